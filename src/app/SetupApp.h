#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "config/UtlX.h"
#include "config/UtlXProperty.h"
#include "platform/NamedObjects.h"
#include "wizard/SetupWizardDlg.h"

namespace qel {

// The whole run of the launcher: start-up, the phases in their order, completion and shut-down.
// Its result is the process's exit code (the installer's codes; the host's exit status takes it
// modulo 256, the log and the saved chain document keep the full code).
class CSetupApp {
 public:
  CSetupApp() = default;
  virtual ~CSetupApp() = default;
  CSetupApp(const CSetupApp&) = delete;
  CSetupApp& operator=(const CSetupApp&) = delete;

  // `arguments` excludes the program name; `programPath` is the program's desktop path.
  std::uint32_t Run(const std::string& programPath, const std::vector<std::string>& arguments);

  bool IsAdminInstall() const { return m_bAdminInstall; }

 private:
  // Start-up ends early at the exits that skip the completion step.
  void InitInstance(const std::string& programPath, const std::vector<std::string>& arguments);
  std::uint32_t ExitInstance();

  // Steps 16 to 22: the phases, each ending the run at the completion step when it fails.
  void RunPhases();
  void RestoreRebootWithoutChain();
  void SwitchInlineImagesOn();
  void RestoreInlineImages();
  bool AnotherCopyRuns();
  std::uint32_t RunWizard();
  void ShowProgressPage();
  void Complete();
  void CleanUpMaintenanceCopy();
  void ShowStartupError(unsigned stringId);

  std::unique_ptr<platform::INamedMutex> m_hRunningMutex;
  CUtlX m_setup;
  CUtlXProperty m_properties;
  std::uint32_t m_nResult = 0;
  std::unique_ptr<platform::INamedEvent> m_hLauncherEvent;
  bool m_bInlineImagesSwitched = false;
  bool m_bAdminInstall = false;
  CSetupWizardDlg m_wizard;
};

inline constexpr const char* kLauncherEventName = "LAUNCHER_MUTEX_NAME-{9916C6BD-1CBE-41E7-BD3A-EDBF7C04D7B8}";
inline constexpr const char* kRunningMutexName = "Global\\SETUPRUNNING_MUTEX_NAME-{9916C6BD-1CBE-41E7-BD3A-EDBF7C04D7B8}";

}  // namespace qel
