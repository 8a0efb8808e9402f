#pragma once
#include <string>
#include <string_view>

// How the desktop compares file names: without regard to case, and with '*' and '?' patterns.
namespace qel::platform {

// Lower-cases UTF-8 text code point by code point with the full Unicode simple case mapping
// (qel::ToLower); malformed bytes are kept as they are, so names differing there stay different.
std::string FoldCase(std::string_view utf8);

bool EqualsIgnoringCase(std::string_view a, std::string_view b);

bool HasWildcards(std::string_view name);

// Matches a name against a pattern of the last path component: '*' any run of characters, '?'
// exactly one character (a code point, not a byte), letter case ignored. As on the desktop, a
// pattern ending in ".*" also matches the name without that extension ("*.*" matches "README"),
// and a pattern ending in "." matches only names without a dot ("*." matches "README").
bool MatchesWildcard(std::string_view name, std::string_view pattern);

}  // namespace qel::platform
