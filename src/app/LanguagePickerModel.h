#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/LanguagePicker.h"

namespace qel {

// What the language picker offers for a setup folder: every picker language whose folder exists
// under "<root>Lang\" and whose name the string table has, sorted by name as the dialog's sorted
// list shows them, with the first preselected.
struct LanguagePickerModel {
  std::vector<platform::LanguageOption> options;
  std::size_t selected = 0;

  static LanguagePickerModel ForSetupFolder(const std::string& rootFolder, unsigned uiLanguageId);
  // The code of the option at `index` ("" when out of range).
  std::string CodeAt(std::size_t index) const;
};

// Shows the picker for `rootFolder`; answers the picked code ("" when nothing could be picked),
// or nothing when the user cancelled.
std::optional<std::string> PickLanguage(const std::string& rootFolder, unsigned uiLanguageId);

}  // namespace qel
