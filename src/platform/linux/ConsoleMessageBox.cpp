#include <iostream>
#include <mutex>

#include "platform/MessageBox.h"

namespace qel::platform {
namespace {

struct PresenterSlot {
  std::mutex mutex;
  MessageBoxPresenter presenter;
};

PresenterSlot& Slot() {
  static PresenterSlot slot;
  return slot;
}

// Nobody can click on a console box; its default button is what an unattended run would get.
int AnswerOnConsole(const std::string& text, const std::string& caption, std::uint32_t style) {
  std::cerr << DescribeMessageBox(text, caption, style) << std::flush;
  return DefaultButtonOf(style);
}

}  // namespace

int ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t style) {
  MessageBoxPresenter presenter;
  {
    PresenterSlot& slot = Slot();
    std::lock_guard lock(slot.mutex);
    presenter = slot.presenter;
  }
  return presenter ? presenter(text, caption, style) : AnswerOnConsole(text, caption, style);
}

void SetMessageBoxPresenter(MessageBoxPresenter presenter) {
  PresenterSlot& slot = Slot();
  std::lock_guard lock(slot.mutex);
  slot.presenter = std::move(presenter);
}

}  // namespace qel::platform
