#include "platform/LocaleLanguage.h"

#include <string>

#include "platform/TextCase.h"

namespace qel::platform {
namespace {

struct LocaleId {
  const char* name;   // "ll" or "ll_TT", lower case
  std::uint16_t id;
};

// The languages of the launcher's string table and pages first, then common neighbours. A bare
// language stands for its main country, as the desktop's default sublanguage does (Portuguese's
// is Brazil's, Chinese's the People's Republic's).
constexpr LocaleId kLocales[] = {
    {"en", 1033},    {"en_us", 1033}, {"en_gb", 2057}, {"en_au", 3081}, {"en_ca", 4105},
    {"en_nz", 5129}, {"en_ie", 6153}, {"en_za", 7177},
    {"de", 1031},    {"de_de", 1031}, {"de_ch", 2055}, {"de_at", 3079}, {"de_lu", 4103},
    {"es", 3082},    {"es_es", 3082}, {"es_mx", 2058}, {"es_ar", 11274}, {"es_us", 21514},
    {"fi", 1035},    {"fi_fi", 1035},
    {"sv", 1053},    {"sv_se", 1053}, {"sv_fi", 2077},
    {"cs", 1029},    {"cs_cz", 1029},
    {"fr", 1036},    {"fr_fr", 1036}, {"fr_be", 2060}, {"fr_ca", 3084}, {"fr_ch", 4108},
    {"fr_lu", 5132},
    {"hu", 1038},    {"hu_hu", 1038},
    {"it", 1040},    {"it_it", 1040}, {"it_ch", 2064},
    {"nl", 1043},    {"nl_nl", 1043}, {"nl_be", 2067},
    {"pl", 1045},    {"pl_pl", 1045},
    {"pt", 1046},    {"pt_br", 1046}, {"pt_pt", 2070},
    {"ru", 1049},    {"ru_ru", 1049},
    {"ja", 1041},    {"ja_jp", 1041},
    {"zh", 2052},    {"zh_cn", 2052}, {"zh_sg", 4100}, {"zh_tw", 1028}, {"zh_hk", 3076},
    {"zh_mo", 5124},
    {"ko", 1042},    {"ko_kr", 1042},
    {"da", 1030},    {"nb", 1044},    {"no", 1044},    {"nn", 2068},    {"el", 1032},
    {"tr", 1055},    {"uk", 1058},    {"sk", 1051},    {"sl", 1060},    {"hr", 1050},
    {"ro", 1048},    {"bg", 1026},    {"he", 1037},    {"ar", 1025},    {"th", 1054},
    {"et", 1061},    {"lv", 1062},    {"lt", 1063},    {"ca", 1027},
};

std::optional<std::uint16_t> Lookup(const std::string& name) {
  for (const auto& entry : kLocales) {
    if (name == entry.name) return entry.id;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::uint16_t> LanguageIdFromLocale(std::string_view locale) {
  // Codeset and modifier do not change the language: "de_DE.UTF-8@euro" is "de_DE".
  std::string_view base = locale.substr(0, locale.find_first_of(".@"));
  if (base.empty()) return std::nullopt;
  if (base == "C" || base == "POSIX") return kLanguageEnglishUS;
  std::string name = ToLower(base);
  if (auto dash = name.find('-'); dash != std::string::npos) name[dash] = '_';
  if (auto exact = Lookup(name)) return exact;
  return Lookup(name.substr(0, name.find('_')));
}

}  // namespace qel::platform
