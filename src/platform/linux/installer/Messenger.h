#pragma once
#include <cstdint>
#include <string>

#include "platform/InstallerService.h"
#include "platform/linux/installer/InstallLog.h"

// Sends the installer's messages of one run: to the external handler when its filter selects
// the kind, and to the log when the log mode does. Remembers a Cancel given to a progress
// message, which stops the run at its next step.
namespace qel::platform::installer {

class Messenger {
 public:
  Messenger(const ExternalUi& ui, InstallLog& log) : ui_(ui), log_(log) {}

  int Send(std::uint32_t type, const std::string& text);

  void ActionStart(const std::string& action, const std::string& description);
  void ActionEnded(const std::string& action, int returnValue);
  void Info(const std::string& text) { Send(kInstallMessageInfo, text); }
  // "1: a 2: b 3: c 4: d " records; false once the handler answered Cancel.
  bool Progress(int kind, long long field2, long long field3 = 0, long long field4 = 0);
  bool ActionData(const std::string& text);
  // An error message box; answers what the handler chose (0 when nobody answered).
  int Error(const std::string& text, std::uint32_t style);

  bool Cancelled() const { return cancelled_; }
  InstallLog& Log() { return log_; }

 private:
  ExternalUi ui_;
  InstallLog& log_;
  bool cancelled_ = false;
};

}  // namespace qel::platform::installer
