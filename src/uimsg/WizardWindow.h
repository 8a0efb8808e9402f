#pragma once
#include <cstdint>
#include <string>

// What the UI message handler needs of the wizard window (its message boxes go through the
// platform's ShowMessageBox, whose presenter the wizard host replaces). The handler calls these only on the
// main thread (it sends its window output there synchronously), so an implementation needs no
// locking of its own. A null window means "no wizard window": every window output is skipped.
namespace qel {

// Codes of the registered refresh message "UWM_SETUPDLG_REFRESH-{...}"; the code goes in wParam.
enum RefreshCode : std::uintptr_t {
  kRefreshCancelButton = 1,   // lParam 1 enables Cancel, 0 disables it
  kRefreshPercent = 2,        // lParam points to a PercentRecord, valid during the call
  kRefreshTotalCaption = 3,   // lParam 0: re-read "Str.ProgressTotalText.Complete"
};

struct PercentRecord {
  float percent = 0.0f;   // 0 to 100
  std::string text;       // the caption shown with it
};

// The wizard's native progress bar (child control 1000).
class IProgressControl {
 public:
  virtual ~IProgressControl() = default;
  virtual void SetRange(std::int32_t low, std::int32_t high) = 0;
  virtual void SetPosition(std::int32_t position) = 0;
  virtual void SetStep(std::int32_t step) = 0;
  virtual void MoveBy(std::int32_t delta) = 0;
  virtual void StepIt() = 0;
};

class IWizardWindow {
 public:
  virtual ~IWizardWindow() = default;

  // The refresh message with its code and parameter; answers what the window answers.
  virtual std::intptr_t Refresh(RefreshCode code, std::intptr_t lparam) = 0;
  // Child 1000, or null when the wizard has no native progress bar.
  virtual IProgressControl* ProgressControl() = 0;
  // Shows the page at a full path (it exists).
  virtual void LoadPage(const std::string& path) = 0;
  // The opaque handle the installer service takes as the owner of its own dialogs.
  virtual std::uintptr_t Handle() = 0;
};

}  // namespace qel
