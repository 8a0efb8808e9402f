#include "uimsg/SetupUIHandler.h"

#include <thread>

#include "config/ResultText.h"
#include "config/UtlPath.h"
#include "platform/MessageBox.h"
#include "platform/MessageLoop.h"
#include "uimsg/HandlerOutput.h"
#include "uimsg/SetupMessageFormat.h"
#include "uimsg/UiMessageTypes.h"

namespace qel {
namespace {

std::atomic<IWizardWindow*> g_applicationMainWindow{nullptr};

constexpr const char* kCancellingText = "Str.Initializing.Text.Cancelling";

}  // namespace

int OnMainThread(const std::function<int()>& call) {
  auto& loop = platform::MainLoop();
  if (loop.IsMainThread()) return call();
  return static_cast<int>(loop.Send([&call] { return static_cast<platform::MessageResult>(call()); }));
}

void CSetupUIHandler::Output::Run(IWizardWindow* window, const CSetupUIHandler& owner) {
  if (window != nullptr && !window_.empty()) {
    OnMainThread([&] {
      if (owner.BoundWindow() != window) return 0;
      for (auto& call : window_) call(*window);
      return 0;
    });
  }
  for (auto& call : later_) call();
}

void SetApplicationMainWindow(IWizardWindow* window) {
  IWizardWindow* previous = g_applicationMainWindow.exchange(window);
  if (previous != nullptr && previous != window) TheSetupUIHandler().ForgetWindow(previous);
}

IWizardWindow* CSetupUIHandler::BoundWindow() const {
  std::lock_guard lock(mutex_);
  return mainWindow_;
}

void CSetupUIHandler::ForgetWindow(const IWizardWindow* window) {
  std::lock_guard lock(mutex_);
  if (mainWindow_ != window) return;
  mainWindow_ = nullptr;
  progressControl_ = nullptr;
}
IWizardWindow* ApplicationMainWindow() { return g_applicationMainWindow; }

CSetupUIHandler::CSetupUIHandler() = default;
CSetupUIHandler::~CSetupUIHandler() = default;

CSetupUIHandler& TheSetupUIHandler() {
  static CSetupUIHandler handler;
  return handler;
}

int SetupUIHandler(const void* context, std::uint32_t type, std::string_view text) {
  return TheSetupUIHandler().Handle(context, type, text);
}

int CSetupUIHandler::Handle(const void* context, std::uint32_t type, std::string_view text) {
  if (type == 0) return 0;
  {
    std::lock_guard lock(mutex_);
    context_ = context;
  }
  const std::uint32_t kind = type & kUiMessageKindMask;
  switch (kind) {
    case INSTALLMESSAGE_FATALEXIT:
    case INSTALLMESSAGE_ERROR:
    case INSTALLMESSAGE_WARNING:
    case INSTALLMESSAGE_OUTOFDISKSPACE:
      return OnMessageBox(type, text);
    case INSTALLMESSAGE_INITIALIZE:
      return OnInitialize(text);
    case INSTALLMESSAGE_TERMINATE:
      return OnTerminate(text);
    case INSTALLMESSAGE_SHOWDIALOG:
      return OnShowDialog(text);
    default:
      break;
  }
  Output out;
  IWizardWindow* window = nullptr;
  int answer = 0;
  {
    std::lock_guard lock(mutex_);
    answer = HandleLocked(kind, text, out);
    window = mainWindow_;
  }
  out.Run(window, *this);
  // Give the other threads their turn between the installer's progress messages, as the
  // installer expects of a handler that drives a user interface.
  if (kind == INSTALLMESSAGE_PROGRESS) std::this_thread::yield();
  return answer;
}

int CSetupUIHandler::HandleLocked(std::uint32_t kind, std::string_view text, Output& out) {
  switch (kind) {
    case INSTALLMESSAGE_USER:
    case INSTALLMESSAGE_INFO:
      return 1;
    case INSTALLMESSAGE_FILESINUSE:
      return 0;
    case INSTALLMESSAGE_RESOLVESOURCE:
      return repairNode_ ? 1 : 0;
    case INSTALLMESSAGE_ACTIONSTART:
      return OnActionStart(text);
    case INSTALLMESSAGE_ACTIONDATA:
      return OnActionData(text, out);
    case INSTALLMESSAGE_PROGRESS:
      return OnProgress(text, out);
    case INSTALLMESSAGE_COMMONDATA:
      return OnCommonData(text, out);
    case SETUPMESSAGE_CHAINSTART:
      return OnChainStart();
    case SETUPMESSAGE_ITEMSTART:
      return OnItemStart(text, out);
    case SETUPMESSAGE_ITEMEND:
      return OnItemEnd(text, out);
    case SETUPMESSAGE_CHAINEND:
      return OnChainEnd(text);
    case SETUPMESSAGE_CANCEL:
      return OnCancel();
    default:
      return OnDefault(text);
  }
}

// The box rule: no box below level 3, for a repair node or when the run asks for no modal
// dialogs. A box that must be shown while no wizard window exists goes to the platform's own
// presenter (standard error, answered with the default button) rather than being lost.
int CSetupUIHandler::ShowBox(std::string_view text, std::uint32_t style) {
  std::string caption;
  {
    std::lock_guard lock(mutex_);
    if (properties_.GetProperty("QEL.NoModalDialogs") == "1" || repairNode_ || uiLevel_ < 3) {
      return kAnswerNone;
    }
    caption = properties_.GetProperty("Str.ProductDisplayName");
  }
  const std::string boxText(text);
  return OnMainThread([&] { return platform::ShowMessageBox(boxText, caption, style); });
}

int CSetupUIHandler::OnMessageBox(std::uint32_t type, std::string_view text) {
  const int answer = ShowBox(text, type & kUiMessageStyleMask);
  if ((type & kUiMessageKindMask) != INSTALLMESSAGE_ERROR) return answer;
  if (answer == kAnswerCancel || answer == kAnswerAbort || answer == kAnswerNo) {
    std::lock_guard lock(mutex_);
    SwitchCaptionsToCancelling(false);
    captionFinal_ = true;
  }
  return answer;
}

void CSetupUIHandler::SwitchCaptionsToCancelling(bool initializingTextToo) {
  const std::string cancelling = properties_.GetProperty(kCancellingText);
  if (initializingTextToo) properties_.SetProperty("Str.Initializing.Text", cancelling);
  properties_.SetProperty("Str.ProgressTotalText.Complete", cancelling);
  totalText_ = cancelling;
}

int CSetupUIHandler::OnShowDialog(std::string_view text) {
  const void* context = nullptr;
  std::string lang;
  IWizardWindow* window = nullptr;
  int uiLevel = 5;
  {
    std::lock_guard lock(mutex_);
    context = context_;
    lang = properties_.GetProperty("QEL.Rt.Folder.Lang");
    window = mainWindow_;
    uiLevel = uiLevel_;
  }
  if (context == &kUiContextInstaller) return 0;
  if (context != &kUiContextLauncher) {
    log_.WriteLine(FormatSetupText("Load dialog: -> %s", text));
    return 0;
  }
  CUtlPath page(lang);
  page.Append(text);
  std::string logged;
  int answer = 0;
  if (page.Is(CUtlPath::kExists)) {
    if (window != nullptr) {
      OnMainThread([&] {
        if (BoundWindow() == window) window->LoadPage(page.Text());
        return 0;
      });
    }
    logged = page.Text();
  } else {
    logged = FormatSetupText("%s %s", GetResultText(platform::kErrorFileNotFound), page.Text());
    if (uiLevel == 5) ShowBox(logged, kBoxIconExclamation | kBoxOk);
    answer = 2;
  }
  log_.WriteLine(FormatSetupText("Load dialog: -> %s", logged));
  return answer;
}

int CSetupUIHandler::OnCancel() {
  cancelPending_ = true;
  cancelRequested_ = true;
  SwitchCaptionsToCancelling(true);
  return kAnswerCancel;
}

int CSetupUIHandler::OnDefault(std::string_view text) {
  log_.WriteLine(FormatSetupText("********** DEBUG Error: OnInstallDefault -> %s", text));
  return 0;
}

CSetupUIHandler::Snapshot CSetupUIHandler::State() const {
  std::lock_guard lock(mutex_);
  Snapshot s;
  s.context = context_;
  s.mainWindow = mainWindow_;
  s.hasProgressControl = progressControl_ != nullptr;
  s.lastProgress = lastProgress_;
  s.forward = forward_, s.scripting = scripting_, s.stepOnActionData = stepOnActionData_;
  s.cancelRequested = cancelRequested_;
  s.totalText = totalText_, s.outerTotalText = outerTotalText_;
  s.itemsDone = itemsDone_, s.itemIndex = itemIndex_;
  s.cancelPending = cancelPending_, s.chainRunning = chainRunning_, s.captionFinal = captionFinal_;
  s.itemKind = itemKind_, s.itemName = itemName_, s.actionName = actionName_;
  s.actionPrefix = actionPrefix_, s.actionDescription = actionDescription_;
  for (int i = 0; i < 4; ++i) s.commonData[i] = commonData_[i];
  s.uiLevel = uiLevel_, s.adminInstall = adminInstall_, s.noRollback = noRollback_;
  s.savedItemIndex = savedItemIndex_, s.savedItemsToRun = savedItemsToRun_;
  s.savedBasePercent = savedBasePercent_, s.savedPercent = savedPercent_;
  s.multiplier = multiplier_, s.nestedChain = nestedChain_;
  s.totalTicks = totalTicks_, s.position = position_, s.step = step_;
  s.itemsToRun = itemsToRun_, s.basePercent = basePercent_, s.percent = percent_;
  s.repairNode = repairNode_;
  s.percentRecord = percentRecord_;
  return s;
}

void CSetupUIHandler::SetProgressModelForTest(std::int32_t totalTicks, std::int32_t position,
                                              float multiplier) {
  std::lock_guard lock(mutex_);
  totalTicks_ = totalTicks, position_ = position, multiplier_ = multiplier;
}

void CSetupUIHandler::SetPercentModelForTest(std::int32_t itemsToRun, std::int32_t itemsDone,
                                             std::int32_t basePercent, float percent) {
  std::lock_guard lock(mutex_);
  itemsToRun_ = itemsToRun, itemsDone_ = itemsDone, basePercent_ = basePercent, percent_ = percent;
}

}  // namespace qel
