#pragma once
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The dialog in which the user picks the wizard's language.
namespace qel::platform {

struct LanguageOption {
  std::string name;     // shown to the user
  unsigned languageId;  // the option's data
};

class ILanguagePicker {
 public:
  virtual ~ILanguagePicker() = default;
  // Shows `options` (already in display order) with `selected` preselected, or none when it is
  // out of range. Answers the index picked (out of range when the user confirmed with nothing
  // selected), or nothing when the user cancelled.
  virtual std::optional<std::size_t> Pick(const std::string& caption, const std::string& prompt,
                                          const std::vector<LanguageOption>& options,
                                          std::size_t selected) = 0;
};

ILanguagePicker& LanguagePicker();
// Replaces the picker (the wizard host installs its own; tests answer as a user would);
// nullptr goes back to the machine's own.
void SetLanguagePicker(std::unique_ptr<ILanguagePicker> picker);

}  // namespace qel::platform
