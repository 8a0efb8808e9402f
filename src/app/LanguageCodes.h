#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

// The system language as the document library reports it: the primary language id, or 31748
// for Traditional Chinese.
inline constexpr unsigned kTraditionalChinese = 31748;
unsigned OsLanguageFromLanguageId(unsigned languageId);

// The two-letter code of a system language ("XX" when the launcher has none for it).
std::string OsLanguageCode(unsigned osLanguage);

// The languages the picker offers, in the order it tests them.
struct PickerLanguage {
  const char* code;
  unsigned languageId;
};
const std::vector<PickerLanguage>& PickerLanguages();
std::optional<std::string> PickerCodeOf(unsigned languageId);

}  // namespace qel
