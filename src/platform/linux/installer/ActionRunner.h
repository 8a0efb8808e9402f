#pragma once
#include <string>

#include "platform/linux/installer/Messenger.h"
#include "platform/linux/installer/Session.h"

// Runs actions and sequence tables in a session. The base runs what is safe in a session that
// only looks at a package (costing, source resolution, property custom actions, error custom
// actions); InstallRun adds what changes the machine.
namespace qel::platform::installer {

// Return values of an action, as the installer's log shows them.
inline constexpr int kActionSuccess = 1;
inline constexpr int kActionUserExit = 2;
inline constexpr int kActionFailure = 3;

class ActionRunner {
 public:
  ActionRunner(Session& session, Messenger& messenger) : session_(session), messenger_(messenger) {}
  virtual ~ActionRunner() = default;

  // Runs the table's actions in sequence order whose conditions hold; stops at the first that
  // does not succeed. A table the package does not have succeeds.
  int RunSequence(const std::string& table);
  // Runs one action with its action-start and action-ended messages.
  int RunAction(const std::string& action);

  // The installer's result code for an action's return value.
  static ErrorCode ResultCode(int actionResult);

 protected:
  // Answers the action's return value; `handled` false sends it to the base.
  virtual int RunSpecificAction(const std::string& action, bool& handled);
  virtual void AfterAction(const std::string& /*action*/) {}
  int ReportError(const std::string& text);

  Session& session_;
  Messenger& messenger_;

 private:
  int RunCustomAction(const CustomActionRow& row);
};

std::string ActionDescription(const std::string& action);

}  // namespace qel::platform::installer
