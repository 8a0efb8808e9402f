#include "app/LanguageCodes.h"

#include <unordered_map>

namespace qel {

std::string OsLanguageCode(int osLanguage) {
  static const std::unordered_map<int, const char*> codes = {
      {3, "CA"},  {4, "CS"},  {5, "CZ"},  {6, "DK"},  {7, "DE"},  {8, "GR"},  {9, "EN"},
      {10, "ES"}, {11, "SU"}, {12, "FR"}, {14, "MA"}, {15, "IS"}, {16, "IT"}, {17, "JP"},
      {18, "KR"}, {19, "NL"}, {20, "NO"}, {21, "PL"}, {22, "BR"}, {25, "RU"}, {27, "SL"},
      {29, "SV"}, {31, "TR"}, {36, "S0"}, {54, "AF"}, {86, "GA"}, {31748, "CT"},
  };
  const auto found = codes.find(osLanguage);
  return found == codes.end() ? "XX" : found->second;
}

const std::vector<PickerLanguage>& PickerLanguages() {
  static const std::vector<PickerLanguage> languages = {
      {"EN", 1033}, {"DE", 1031}, {"FR", 1036}, {"ES", 1034}, {"IT", 1040}, {"BR", 1046},
      {"JP", 1041}, {"CS", 2052}, {"CT", 1028}, {"CZ", 1029}, {"PL", 1045}, {"NL", 1043},
      {"KR", 1042}, {"RU", 1049}, {"MA", 1038}, {"SU", 1035}, {"SV", 1053},
  };
  return languages;
}

std::optional<std::string> PickerCodeOf(unsigned languageId) {
  for (const auto& language : PickerLanguages()) {
    if (language.languageId == languageId) return std::string(language.code);
  }
  return std::nullopt;
}

}  // namespace qel
