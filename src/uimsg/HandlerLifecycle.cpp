#include "config/UtlPath.h"
#include "config/XMLFileManagerInterface.h"
#include "platform/Platform.h"
#include "uimsg/HandlerOutput.h"
#include "uimsg/InstallerHookup.h"
#include "uimsg/LogOptions.h"
#include "uimsg/SetupMessageFormat.h"
#include "uimsg/SetupUIHandler.h"
#include "uimsg/UiMessageTypes.h"

// The handler's first and last messages of the run: it binds the wizard and starts the log at
// INITIALIZE, and writes the trailer and the end-of-run documents at TERMINATE.
namespace qel {
namespace {

bool IsSuccessLike(std::uint32_t code) { return code == 0 || code == 1641 || code == 3010; }

}  // namespace

int CSetupUIHandler::OnInitialize(std::string_view text) {
  {
    std::lock_guard lock(mutex_);
    if (context_ != &kUiContextLauncher) return kAnswerOk;
  }
  IWizardWindow* window = ApplicationMainWindow();
  IProgressControl* control = nullptr;
  if (window != nullptr && properties_.GetProperty("QEL.Show.CommonControl.Progress") == "1") {
    OnMainThread([&] {
      control = window->ProgressControl();
      return 0;
    });
  }
  std::uint32_t filter = 0;
  int uiLevel = 5;
  {
    std::lock_guard lock(mutex_);
    mainWindow_ = window;
    progressControl_ = control;
    adminInstall_ = properties_.IsAdminAction();
    uiLevel_ = properties_.GetUILevel();
    noRollback_ = properties_.GetProperty("DISABLEROLLBACK") == "1";
    filter = MessageFilterFromOptions(properties_.GetProperty("QEL.LogOptions"), uiLevel_);
    uiLevel = uiLevel_;
  }
  std::uintptr_t owner = 0;
  if (window != nullptr && uiLevel > 2) {
    OnMainThread([&] {
      owner = window->Handle();
      return 0;
    });
  }
  SetInstallerInternalUi(owner);
  StartLog();
  LogTimed("Initializing");
  log_.WriteLine(FormatSetupText("COMMAND LINE: %s", text));
  InstallExternalUiHandler(filter);
  return kAnswerOk;
}

int CSetupUIHandler::OnTerminate(std::string_view text) {
  bool adminInstall = false;
  {
    std::lock_guard lock(mutex_);
    if (context_ != &kUiContextLauncher) return kAnswerOk;
    adminInstall = adminInstall_;
  }
  const auto exitCode = static_cast<std::uint32_t>(ParseDecimalOrZero(text));
  WriteLogTrailer(log_, exitCode);

  if (adminInstall && IsSuccessLike(exitCode) && hooks.saveAdminFiles) {
    const std::string targetDir = properties_.GetProperty("TARGETDIR");
    if (!targetDir.empty()) {
      CUtlPath folder(targetDir);
      folder.NormalizeFolder();
      if (!folder.IsEmpty()) hooks.saveAdminFiles(folder.Text());
    }
  }
  if (IsSuccessLike(exitCode) && hooks.savePersistedProperties) hooks.savePersistedProperties();

  // The chain document with every run-time attribute goes beside the log, so that a run can be
  // examined after the fact.
  const std::string logPath = log_.Path();
  platform::FileAttributes attributes;
  if (!logPath.empty() && platform::Files().GetAttributes(logPath, attributes) == platform::kSuccess &&
      attributes.exists && !attributes.isFolder) {
    CXMLFileManagerInterface chainDocument;
    chainDocument.Saveit(logPath + ".xml");
  }
  if (hooks.restartClosedApplications) hooks.restartClosedApplications();
  return kAnswerOk;
}

}  // namespace qel
