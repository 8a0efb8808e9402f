#pragma once
#include <string>
#include <string_view>

// Letter case of UTF-8 text, mapped per Unicode code point (never per byte). Bytes that are not
// valid UTF-8 pass through unchanged.
namespace qel {

std::string ToLower(std::string_view text);
std::string ToUpper(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace qel
