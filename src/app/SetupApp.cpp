#include "app/SetupApp.h"

#include "app/RuntimeFolders.h"
#include "app/SetupCmdLine.h"
#include "app/StringTable.h"
#include "chain/ChainDriver.h"
#include "chain/Rollback.h"
#include "config/ResultText.h"
#include "config/UtlPath.h"
#include "config/UtlXPropertyPersistFile.h"
#include "patch/PatchPhases.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"
#include "platform/TextCase.h"
#include "uimsg/RunPhase.h"
#include "uimsg/ScriptHooks.h"
#include "uimsg/SendSetupMessage.h"
#include "uimsg/SetupUIHandler.h"
#include "uimsg/UiMessageTypes.h"

namespace qel {
namespace {

constexpr const char* kBrowserKey = "SOFTWARE\\Microsoft\\Internet Explorer\\Main";
constexpr const char* kInlineImages = "Display Inline Images";

bool IsSuccessLike(std::uint32_t result) {
  return result == 0 || result == platform::kSuccessRebootInitiated || result == platform::kSuccessRebootRequired;
}

unsigned UiLanguage() { return platform::SystemInfo().UserInterfaceLanguage(); }

}  // namespace

std::uint32_t CSetupApp::Run(const std::string& programPath, const std::vector<std::string>& arguments) {
  InitInstance(programPath, arguments);
  return ExitInstance();
}

void CSetupApp::ShowStartupError(unsigned stringId) {
  const std::string text = LoadStringResource(stringId, UiLanguage()).value_or("");
  const std::string caption = LoadStringResource(kStringPickerCaption, UiLanguage()).value_or("Setup");
  platform::ShowMessageBox(text, caption, platform::kMbOk);
}

void CSetupApp::InitInstance(const std::string& programPath, const std::vector<std::string>& arguments) {
  m_setup.Xml().Initialize();
  platform::CreateNamedEvent(kLauncherEventName, false, m_hLauncherEvent);
  InstallScriptLibrary(std::make_unique<CScriptLibrary>(CUtlPath(programPath).GetFolder()));
  auto& hooks = TheSetupUIHandler().hooks;
  hooks.savePersistedProperties = [] { CUtlXPropertyPersistFile().Save(); };
  hooks.recordAdminFile = [](const std::string& actionData) { RecordAdminFile(AdminFileFromActionData(actionData)); };
  hooks.saveAdminFiles = [](const std::string& folder) { SaveAdminFiles(folder); };

  if (!LoadRuntimeFolders(programPath)) {
    ShowStartupError(kStringSetupXmlNotLoaded);
    m_nResult = platform::kInstallFailure;
    m_wizard.Create();
    return;
  }

  CSetupCmdLine cmdLine(m_bAdminInstall);
  const bool cmdLineAccepted = cmdLine.Parse(arguments);
  SwitchInlineImagesOn();
  m_wizard.Create();

  m_nResult = static_cast<std::uint32_t>(SendSetupMessage(INSTALLMESSAGE_INITIALIZE, "%s", cmdLine.GetEcho().c_str()));
  if (m_nResult != 1) return;

  switch (ChooseLanguageFolder(m_properties, UiLanguage())) {
    case LanguageFolderChoice::kCancelled:
      return;
    case LanguageFolderChoice::kNotFound:
      ShowStartupError(kStringLanguageFolderNotFound);
      m_nResult = platform::kInstallFailure;
      return;
    case LanguageFolderChoice::kChosen:
      break;
  }

  if (!cmdLineAccepted) {
    m_wizard.Show();
    SendSetupMessage(INSTALLMESSAGE_SHOWDIALOG, "%s", "Required\\Help.htm");
    m_wizard.RunWizardModalLoop();
    return;
  }

  m_properties.LoadLanguageProperties();
  CUtlXPropertyPersistFile().Load();
  m_properties.LoadCoreProperties();

  const int uiLevel = m_properties.GetUILevel();
  const char* initialPage = uiLevel >= 4 ? "Custom\\Init.htm" : uiLevel == 3 ? "Required\\Init.htm" : nullptr;
  if (initialPage) {
    SendSetupMessage(INSTALLMESSAGE_SHOWDIALOG, "%s", initialPage);
    if (m_properties.GetProperty("QEL.DisableCancel") == "1") m_wizard.SetCancelDisabled(true);
  }

  if (AnotherCopyRuns()) {
    SendSetupMessage(INSTALLMESSAGE_ERROR, "%s", m_properties.GetProperty("Str.SetupAlreadyRunning").c_str());
    m_nResult = platform::kInstallAlreadyRunning;
    return;
  }

  RunPhases();
  Complete();
}

void CSetupApp::RunPhases() {
  m_nResult = InitializationPhase();
  // The patch part sits above the chain's library, so its step of the initialisation runs here,
  // right after the chain's part of that phase succeeded.
  if (m_nResult == 0) m_nResult = PatchModeInitialisation();
  if (m_nResult != 0) return;
  m_nResult = RunWizard();
  if (m_nResult != 0) return;
  ShowProgressPage();
  m_nResult = BeforeExecuteChain();
  if (m_nResult > 1) return;
  std::uint32_t chainRestart = 0;
  if (m_setup.Select("//QEL/Setups/Msi") > 0) {
    m_nResult = ExecuteChain();
    if (!IsSuccessLike(m_nResult)) return;
    chainRestart = m_nResult;
  } else {
    RestoreRebootWithoutChain();
  }
  m_nResult = static_cast<std::uint32_t>(RunPhase(SchedulePatches));
  if (m_nResult != 0) return;
  m_nResult = ApplyPatches();
  if (IsSuccessLike(m_nResult)) RunPhase(AfterExecutePatches);
  // The patch phases answer for the patches alone; a restart the chain needs must not be lost
  // when they find nothing to do.
  if (m_nResult == 0) m_nResult = chainRestart;
}

// BeforeExecuteChain suppresses restarts for the chain's packages and only ChainComplete puts
// the user's REBOOT back; a setup without packages never gets there, and would otherwise lose a
// forced restart that the user asked for.
void CSetupApp::RestoreRebootWithoutChain() {
  const std::string reboot = m_properties.GetProperty("REBOOT.CHAIN");
  if (!reboot.empty()) m_properties.SetProperty("REBOOT", reboot);
}

void CSetupApp::SwitchInlineImagesOn() {
  const auto value = platform::ReadRegistryString(platform::Hive::CurrentUser, kBrowserKey, kInlineImages);
  if (!value || ToLower(*value) != "no") return;
  if (platform::WriteRegistryString(platform::Hive::CurrentUser, kBrowserKey, kInlineImages, "yes") == platform::kSuccess)
    m_bInlineImagesSwitched = true;
}

void CSetupApp::RestoreInlineImages() {
  if (!m_bInlineImagesSwitched) return;
  platform::WriteRegistryString(platform::Hive::CurrentUser, kBrowserKey, kInlineImages, "no");
}

bool CSetupApp::AnotherCopyRuns() {
  if (m_properties.GetProperty("AllowMultipleInstances") == "1") return false;
  const platform::ErrorCode error = platform::CreateNamedMutex(kRunningMutexName, m_hRunningMutex);
  if (error == platform::kSuccess) return false;
  m_hRunningMutex.reset();  // the other copy's mutex is not ours to keep open
  return true;
}

std::uint32_t CSetupApp::RunWizard() {
  if (m_properties.GetUILevel() != 5) return 0;
  std::uint32_t answer = CallScriptHook(CScriptLibrary::Hook::kUIWizardStart);
  if (answer == 0) answer = static_cast<std::uint32_t>(m_wizard.RunWizardModalLoop());
  return answer == 1 ? 0 : answer;
}

void CSetupApp::ShowProgressPage() {
  const int uiLevel = m_properties.GetUILevel();
  const bool disableCancel = m_properties.GetProperty("QEL.DisableCancel") == "1";
  if (uiLevel == 3) {
    SendSetupMessage(INSTALLMESSAGE_SHOWDIALOG, "%s", "Required\\Progress.htm");
    if (!disableCancel) m_wizard.SetCancelDisabled(false);
    return;
  }
  if (uiLevel >= 4) {
    CallScriptHook(CScriptLibrary::Hook::kUIProgressStart);
    m_wizard.SetCancelDisabled(disableCancel);
  }
}

void CSetupApp::Complete() {
  const bool forceReboot = ToLower(m_properties.GetProperty("REBOOT")) == "force";
  bool finishShown = false;
  std::uint32_t answer = 0;
  if (m_properties.GetUILevel() == 5) {
    const bool restart = m_nResult == platform::kSuccessRebootInitiated ||
                         m_nResult == platform::kSuccessRebootRequired || forceReboot;
    const auto hook = restart          ? CScriptLibrary::Hook::kUIWizardCompleteReboot
                      : m_nResult == 0 ? CScriptLibrary::Hook::kUIWizardCompleteSuccess
                                       : CScriptLibrary::Hook::kUIWizardCompleteError;
    answer = CallScriptHook(hook);
    finishShown = true;
  } else if (m_properties.GetProperty("QEL.Show.Finish") == "1") {
    const char* page = IsSuccessLike(m_nResult) ? "Required\\Success.htm" : "Required\\Error.htm";
    answer = static_cast<std::uint32_t>(SendSetupMessage(INSTALLMESSAGE_SHOWDIALOG, "%s", page));
    finishShown = true;
  }
  m_properties.SetProperty("QEL.Installation.Result.Text", GetResultText(m_nResult));
  if (finishShown && answer == 0 && m_wizard.HasWindow()) m_wizard.RunWizardModalLoop();
}

void CSetupApp::CleanUpMaintenanceCopy() {
  if (m_properties.GetProperty("QEL.ARP.Mode") != "1") return;
  const std::string folder = m_properties.GetProperty("QEL.Rt.Folder");
  CUtlPath lang(folder);
  lang.Append("Lang");
  lang.DeleteTree();
  for (const char* name : {"SetupXML.dll", "SetupARP.exe", "Setup.exe", "Setup.xml", "Script.dll"}) {
    CUtlPath file(folder);
    file.Append(name);
    platform::Files().DeleteFile(file.Text());
  }
}

std::uint32_t CSetupApp::ExitInstance() {
  m_hRunningMutex.reset();
  RestoreInlineImages();
  const bool restart = ToLower(m_properties.GetProperty("REBOOT")) == "force";
  SendSetupMessage(INSTALLMESSAGE_TERMINATE, "%d", static_cast<int>(m_nResult));
  CleanUpMaintenanceCopy();
  m_setup.Xml().UnInitialize();
  if (m_hLauncherEvent) m_hLauncherEvent->Set();
  m_hLauncherEvent.reset();
  if (restart) platform::SystemInfo().RequestRestart();
  return m_nResult;
}

}  // namespace qel
