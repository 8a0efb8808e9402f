#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "chain/UtlXSetupMsi.h"
#include "config/UtlXProperty.h"

namespace qel {

// How far resolution goes, so that any store and any template give a finite line:
//  - a value may itself hold references; they are expanded too, down to this many levels of
//    values inside values; a reference found deeper is kept as written;
inline constexpr int kMaxReferenceDepth = 8;
//  - once the line has grown to this many bytes, the rest of the text is copied as it is,
//    references included (a line this long is far past what a package command line can hold).
inline constexpr std::size_t kMaxResolvedLength = 64 * 1024;

// Replaces every "[NAME]" of a template by the value of the property NAME: "0" for an empty or
// missing property, double quotes removed and white space trimmed at both ends (the template's
// own quotes enclose the value). The text is read once from left to right, each reference
// expanded where it stands:
//  - a reference to a property that is already being expanded (a value that names itself,
//    directly or through others) is kept as written, so "[A]" with A = "x[A]" gives "x[A]";
//  - a "[" with no "]" after it is kept literally together with the rest of the text;
//  - the limits above end everything else.
std::string ResolveReferences(std::string_view text, const CUtlXProperty& properties);

// Every `//QEL/Properties/Property` in document order whose name is entirely upper case and
// whose value is non-empty, as NAME="value" pairs separated by one blank, double quotes removed
// from the values. Elements without a name are skipped.
std::string AllPublicProperties();

// The item's `cmdline` as the package receives it now: QEL_ALL_PUBLIC expanded to all public
// properties, anything else with its references resolved. The item is not changed.
std::string ResolveCmdLine(const CUtlXSetupMsi& item);

}  // namespace qel
