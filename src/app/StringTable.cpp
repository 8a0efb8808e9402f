#include "app/StringTable.h"

#include <span>

namespace qel {
namespace {

struct StringRow {
  unsigned language;
  unsigned id;
  const char* text;
};

constexpr StringRow kRows[] = {
#include "res/StringTable.inc"
};

constexpr unsigned PrimaryLanguage(unsigned languageId) { return languageId & 0x3FF; }

const char* Find(unsigned id, unsigned languageId, bool primaryOnly) {
  for (const auto& row : kRows) {
    if (row.id != id) continue;
    const bool match = primaryOnly ? PrimaryLanguage(row.language) == PrimaryLanguage(languageId)
                                   : row.language == languageId;
    if (match) return row.text;
  }
  return nullptr;
}

}  // namespace

std::optional<std::string> LoadStringResource(unsigned id, unsigned languageId) {
  for (const auto* text : {Find(id, languageId, false), Find(id, languageId, true), Find(id, kLanguageEnglish, false)}) {
    if (text) return std::string(text);
  }
  return std::nullopt;
}

}  // namespace qel
