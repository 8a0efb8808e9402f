#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "config/UtlXProperty.h"
#include "uimsg/UiContext.h"
#include "uimsg/UiMessageRecords.h"
#include "uimsg/UtlXLogFile.h"
#include "uimsg/WizardWindow.h"

// The UI message handler: one entry for every UI message of the run, whether the launcher posts
// it (SendSetupMessage) or the installer service calls it while it installs a package. It keeps
// the user interface's state (progress, captions, cancel) and reaches the wizard window only
// through synchronous calls on the main thread.
//
// Threads: the handler runs on the thread that posts. The main thread and at most one worker
// (a phase, or the wait for an executable) may be inside it at once, so its state is guarded by
// a mutex that is never held while the wizard window is called or a message box is up: the main
// thread may need to answer the worker's window output while the worker waits for it. The cancel
// flags are atomics so that the main thread's cancel reaches a worker at its next progress message.
namespace qel {

// Work of later parts of the launcher that the handler triggers at its points. Each is optional;
// an empty one is skipped.
struct SetupUIHandlerHooks {
  // ACTIONDATA during an administrative installation's InstallFiles: one copied file's text, for
  // the administrative image's file list ("AdminFiles.xml").
  std::function<void(const std::string& actionData)> recordAdminFile;
  // TERMINATE after a successful administrative installation: save the file list as
  // "AdminFiles.xml" in the normalised TARGETDIR.
  std::function<void(const std::string& targetFolder)> saveAdminFiles;
  // TERMINATE after a successful run: save the persisted properties ("Persist.xml").
  std::function<void()> savePersistedProperties;
  // TERMINATE: restart the applications that the files-in-use step closed.
  std::function<void()> restartClosedApplications;
};

class CSetupUIHandler {
 public:
  CSetupUIHandler();
  virtual ~CSetupUIHandler();
  CSetupUIHandler(const CSetupUIHandler&) = delete;
  CSetupUIHandler& operator=(const CSetupUIHandler&) = delete;

  // Handles one message and answers as the message kind's table says.
  int Handle(const void* context, std::uint32_t type, std::string_view text);

  SetupUIHandlerHooks hooks;

  // The patch application's progress blocks: the install chain's counters and log, driven by
  // the patch phase itself rather than by UI messages. The chain start logs nothing when there
  // is no patch; an item starts with its caption.
  void StartPatchChain();
  void StartPatchItem(const std::string& caption);
  void EndPatchItem();

  // The window is going away: the handler stops sending it anything (and drops its progress bar).
  void ForgetWindow(const IWizardWindow* window);

  // A snapshot of the state, for the tests of the progress and caption rules and for diagnostics.
  struct Snapshot {
    const void* context = nullptr;
    IWizardWindow* mainWindow = nullptr;
    bool hasProgressControl = false;
    ProgressFields lastProgress;
    bool forward = false, scripting = false, stepOnActionData = false, cancelRequested = false;
    std::string totalText, outerTotalText;
    std::int32_t itemsDone = 0, itemIndex = 0;
    bool cancelPending = false, chainRunning = false, captionFinal = false;
    std::string itemKind, itemName, actionName, actionPrefix, actionDescription;
    std::string commonData[4];
    int uiLevel = 5;
    bool adminInstall = false, noRollback = false;
    std::int32_t savedItemIndex = 0, savedItemsToRun = 0, savedBasePercent = 0;
    float savedPercent = 0.0f;
    float multiplier = 0.0f;
    bool nestedChain = false;
    std::int32_t totalTicks = 0, position = 0, step = 0;
    std::int32_t itemsToRun = 0, basePercent = 0;
    float percent = 0.0f;
    bool repairNode = false;
    PercentRecord percentRecord;
  };
  Snapshot State() const;

  // Sets the progress model directly, for tests of one arithmetic rule in isolation.
  void SetProgressModelForTest(std::int32_t totalTicks, std::int32_t position, float multiplier);
  void SetPercentModelForTest(std::int32_t itemsToRun, std::int32_t itemsDone,
                              std::int32_t basePercent, float percent);

  CUtlXLogFile& Log() { return log_; }

 private:
  class Output;

  // Kinds handled entirely under the state lock; window output is queued in `out`.
  IWizardWindow* BoundWindow() const;

  int HandleLocked(std::uint32_t kind, std::string_view text, Output& out);
  int OnInitialize(std::string_view text);
  int OnTerminate(std::string_view text);
  int OnMessageBox(std::uint32_t type, std::string_view text);
  int OnShowDialog(std::string_view text);
  int ShowBox(std::string_view text, std::uint32_t style);

  int OnProgress(std::string_view text, Output& out);
  void OnProgressReset(const ProgressFields& record, Output& out);
  void OnHeartbeat(Output& out);
  int OnActionStart(std::string_view text);
  int OnActionData(std::string_view text, Output& out);
  int OnCommonData(std::string_view text, Output& out);
  int OnChainStart();
  void ResetChainCounters();
  void LogChainStart(const std::string& list, int toExecute, int total);
  void ResetProgressBar(Output& out);
  void EndItemCounters(Output& out);
  int OnItemStart(std::string_view text, Output& out);
  int OnItemEnd(std::string_view text, Output& out);
  int OnChainEnd(std::string_view text);
  int OnCancel();
  int OnDefault(std::string_view text);

  void UpdatePercent(Output& out);
  void SwitchCaptionsToCancelling(bool initializingTextToo);
  std::int32_t Signed(std::int32_t ticks) const { return forward_ ? ticks : -ticks; }

  mutable std::mutex mutex_;

  IWizardWindow* mainWindow_ = nullptr;
  IProgressControl* progressControl_ = nullptr;
  PercentRecord percentRecord_;
  ProgressFields lastProgress_;
  bool forward_ = false;
  bool scripting_ = false;
  bool stepOnActionData_ = false;
  std::atomic<bool> cancelRequested_{false};
  std::string totalText_;
  std::string outerTotalText_;
  std::int32_t itemsDone_ = 0;
  std::int32_t itemIndex_ = 0;
  std::atomic<bool> cancelPending_{false};
  bool chainRunning_ = false;
  std::atomic<bool> captionFinal_{false};
  const void* context_ = &kUiContextNone;
  std::string itemKind_, itemName_, actionName_, actionPrefix_, actionDescription_;
  std::string commonData_[4];
  CUtlXLogFile log_;
  CUtlXProperty properties_;
  int uiLevel_ = 5;
  bool adminInstall_ = false;
  bool noRollback_ = false;
  std::int32_t savedItemIndex_ = 0, savedItemsToRun_ = 0, savedBasePercent_ = 0;
  float savedPercent_ = 0.0f;
  float multiplier_ = 0.0f;
  bool nestedChain_ = false;
  std::int32_t totalTicks_ = 0, position_ = 0, step_ = 0;
  std::int32_t itemsToRun_ = 0, basePercent_ = 0;
  float percent_ = 0.0f;
  bool repairNode_ = false;
};

// The process's handler state, built on first use.
CSetupUIHandler& TheSetupUIHandler();

// The application's main window as INITIALIZE binds it: set by whoever creates the wizard window
// (null means there is none, and every window output of the handler is skipped). Replacing it
// makes the process's handler forget the old one, so a destroyed window is never called.
void SetApplicationMainWindow(IWizardWindow* window);
IWizardWindow* ApplicationMainWindow();

// The handler in the form the installer service calls: the process's handler state.
int SetupUIHandler(const void* context, std::uint32_t type, std::string_view text);

}  // namespace qel
