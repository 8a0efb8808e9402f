#include "app/LanguagePickerModel.h"

#include <algorithm>

#include "app/LanguageCodes.h"
#include "app/StringTable.h"
#include "config/UtlPath.h"
#include "platform/TextCase.h"

namespace qel {

LanguagePickerModel LanguagePickerModel::ForSetupFolder(const std::string& rootFolder, unsigned uiLanguageId) {
  LanguagePickerModel model;
  for (const auto& language : PickerLanguages()) {
    CUtlPath folder(rootFolder);
    folder.Append("Lang\\").Append(language.code);
    if (!folder.Is(CUtlPath::kExists)) continue;
    auto name = LoadStringResource(language.languageId, uiLanguageId);
    if (!name) continue;  // a language without a name is not offered
    model.options.push_back({std::move(*name), language.languageId});
  }
  // The list sorts without regard to case; equal names keep the order in which they came.
  std::stable_sort(model.options.begin(), model.options.end(), [](const auto& a, const auto& b) {
    return ToLower(a.name) < ToLower(b.name);
  });
  return model;
}

std::string LanguagePickerModel::CodeAt(std::size_t index) const {
  if (index >= options.size()) return {};
  return PickerCodeOf(options[index].languageId).value_or("");
}

std::optional<std::string> PickLanguage(const std::string& rootFolder, unsigned uiLanguageId) {
  const auto model = LanguagePickerModel::ForSetupFolder(rootFolder, uiLanguageId);
  const auto caption = LoadStringResource(kStringPickerCaption, uiLanguageId).value_or("");
  const auto prompt = LoadStringResource(kStringPickerPrompt, uiLanguageId).value_or("");
  const auto picked = platform::LanguagePicker().Pick(caption, prompt, model.options, model.selected);
  if (!picked) return std::nullopt;
  return model.CodeAt(*picked);
}

}  // namespace qel
