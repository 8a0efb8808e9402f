#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

// The two-letter code of a system language as GetOsLanguage reports it ("XX" when the launcher
// has none for it).
std::string OsLanguageCode(int osLanguage);

// The languages the picker offers, in the order it tests them.
struct PickerLanguage {
  const char* code;
  unsigned languageId;
};
const std::vector<PickerLanguage>& PickerLanguages();
std::optional<std::string> PickerCodeOf(unsigned languageId);

}  // namespace qel
