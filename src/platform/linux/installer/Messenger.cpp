#include "platform/linux/installer/Messenger.h"

#include "platform/linux/installer/Session.h"

namespace qel::platform::installer {

int Messenger::Send(std::uint32_t type, const std::string& text) {
  std::uint32_t kind = type & kInstallMessageKindMask;
  // Progress and common data are records for a progress display, not lines for a reader.
  if (kind != kInstallMessageProgress && kind != kInstallMessageCommonData && log_.Wants(type))
    log_.WriteLine(text);
  if (ui_.handler == nullptr || (ui_.messageFilter & MessageFilterBit(kind)) == 0) return 0;
  return ui_.handler(ui_.context, type, text);
}

void Messenger::ActionStart(const std::string& action, const std::string& description) {
  std::string time = ClockTime();
  Send(kInstallMessageActionStart, "Action " + time + ": " + action + ". " + description);
  Info("Action start " + time + ": " + action + ".");
}

void Messenger::ActionEnded(const std::string& action, int returnValue) {
  Info("Action ended " + ClockTime() + ": " + action + ". Return value " +
       std::to_string(returnValue) + ".");
}

bool Messenger::Progress(int kind, long long field2, long long field3, long long field4) {
  std::string text = "1: " + std::to_string(kind) + " 2: " + std::to_string(field2) + " ";
  if (kind == 0 || kind == 1) text += "3: " + std::to_string(field3) + " ";
  if (kind == 0) text += "4: " + std::to_string(field4) + " ";
  if (Send(kInstallMessageProgress, text) == kHandlerCancel) cancelled_ = true;
  return !cancelled_;
}

bool Messenger::ActionData(const std::string& text) {
  if (Send(kInstallMessageActionData, text) == kHandlerCancel) cancelled_ = true;
  return !cancelled_;
}

int Messenger::Error(const std::string& text, std::uint32_t style) {
  return Send(kInstallMessageError | style, text);
}

}  // namespace qel::platform::installer
