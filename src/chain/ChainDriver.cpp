#include "chain/ChainDriver.h"

#include "config/UtlXProperty.h"
#include "platform/ErrorCodes.h"
#include "platform/SystemInfo.h"
#include "platform/TimeFormat.h"
#include "uimsg/RunPhase.h"
#include "uimsg/ScriptHooks.h"
#include "uimsg/SendSetupMessage.h"
#include "uimsg/UiMessageTypes.h"
#include "uimsg/UtlXLogFile.h"

namespace qel {
namespace {

void PostActionStart(const char* action) {
  SendSetupMessage(INSTALLMESSAGE_ACTIONSTART, "Action %s %s", PhaseTimeStamp().c_str(), action);
}

// USER_TOKEN_AVAILABLE defaults by the OS version: systems from version 600 on have split tokens.
void DefaultUserTokenAvailable(CUtlXProperty& properties) {
  if (!properties.GetProperty("USER_TOKEN_AVAILABLE").empty()) return;
  const int versionNt = std::atoi(properties.GetProperty("VersionNT").c_str());
  properties.SetProperty("USER_TOKEN_AVAILABLE", versionNt >= 600 ? "0" : "1");
}

std::uint32_t InitializationBody(void*) {
  CUtlXProperty properties;
  // The chain preparation, the managed package's UI sequence, the source cache, the feature
  // tree, user files, disk space and patch mode come with the install chain; what runs here is
  // the hook, whose answer is the phase's result, and the defaults that need no package.
  std::uint32_t result = CallScriptHook(CScriptLibrary::Hook::kAfterSetupInitialization);
  DefaultUserTokenAvailable(properties);
  return result;
}

std::uint32_t BeforeExecuteChainBody(void*) {
  CUtlXProperty properties;
  // Every package of the chain runs with restarts suppressed; ChainComplete puts the user's
  // REBOOT back.
  const std::string reboot = properties.GetProperty("REBOOT");
  properties.SetProperty("REBOOT", "ReallySuppress");
  if (!reboot.empty()) properties.SetProperty("REBOOT.CHAIN", reboot);

  PostActionStart("Script_BeforeExecuteChain");
  return CallScriptHook(properties.IsAdminAction() ? CScriptLibrary::Hook::kBeforeExecuteChainAdmin
                                                   : CScriptLibrary::Hook::kBeforeExecuteChainInstall);
}

}  // namespace

std::string PhaseTimeStamp() {
  return platform::FormatTime("%#H:%#M:%#S:", platform::SystemInfo().Now());
}

std::uint32_t InitializationPhase() {
  PostActionStart("InitializationPhase");
  return static_cast<std::uint32_t>(RunPhase(InitializationBody));
}

std::uint32_t BeforeExecuteChain() {
  PostActionStart("BeforeExecuteChain");
  return static_cast<std::uint32_t>(RunPhase(BeforeExecuteChainBody));
}

std::uint32_t ExecuteChain() {
  SendSetupMessage(SETUPMESSAGE_CHAINSTART, "%s", "");
  // Package execution is not built yet: a chain with packages must not be reported as done.
  LogTimed("Package execution is not available in this build; the chain fails without installing");
  const std::uint32_t result = platform::kInstallFailure;
  SendSetupMessage(SETUPMESSAGE_CHAINEND, "%d", static_cast<int>(result));
  return result;
}

}  // namespace qel
