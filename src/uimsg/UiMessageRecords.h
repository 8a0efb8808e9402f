#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The structured texts that some UI message kinds carry, parsed without any state.
namespace qel {

// A decimal number with an optional sign; anything else, or a number out of the 32-bit range, is 0.
std::int32_t ParseDecimalOrZero(std::string_view text);

// Fields 1 to 4 of a progress record ("1: 0 2: 1000 3: 0 4: 1 "); field 1 is the record kind.
struct ProgressFields {
  std::array<std::int32_t, 4> field{};
  std::int32_t Kind() const { return field[0]; }
};

// Parses `text` over `last`, so that the fields the record does not carry keep their previous
// values. Answers false, leaving `last` as it was, for an empty or malformed record.
bool ParseProgressRecord(std::string_view text, ProgressFields& last);

// The four fields of a common-data record ("1:2 2:0"); blanks do not count.
std::array<std::string, 4> ParseCommonData(std::string_view text);

// "Action 16:54:12: InstallFiles. Copying new files" split into its prefix (up to and including
// the first colon that a blank follows), the action name and its description.
struct ActionStartText {
  std::string prefix;
  std::string name;
  std::string description;
};
ActionStartText SplitActionStart(std::string_view text);

}  // namespace qel
