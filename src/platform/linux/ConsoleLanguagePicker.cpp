#include <cstdio>
#include <mutex>

#include "platform/LanguagePicker.h"
#include "platform/Platform.h"

namespace qel::platform {
namespace {

// Without a window host the picker cannot ask anybody: it says on standard error what it would
// have offered and takes the preselected language, as pressing Enter on the dialog would.
class ConsoleLanguagePicker final : public ILanguagePicker {
 public:
  std::optional<std::size_t> Pick(const std::string& caption, const std::string& prompt,
                                  const std::vector<LanguageOption>& options, std::size_t selected) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), prompt.c_str());
    for (std::size_t i = 0; i < options.size(); ++i)
      std::fprintf(stderr, "  %c %s\n", i == selected ? '*' : ' ', options[i].name.c_str());
    return selected;
  }
};

std::mutex pickerMutex;
std::unique_ptr<ILanguagePicker> installedPicker;

void DropPicker() {
  std::lock_guard lock(pickerMutex);
  installedPicker.reset();
}

}  // namespace

ILanguagePicker& LanguagePicker() {
  std::lock_guard lock(pickerMutex);
  static std::once_flag registered;
  std::call_once(registered, [] { OnPlatformReset(DropPicker); });
  if (!installedPicker) installedPicker = std::make_unique<ConsoleLanguagePicker>();
  return *installedPicker;
}

void SetLanguagePicker(std::unique_ptr<ILanguagePicker> picker) {
  std::lock_guard lock(pickerMutex);
  installedPicker = std::move(picker);
}

}  // namespace qel::platform
