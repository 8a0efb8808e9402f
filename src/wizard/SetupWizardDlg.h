#pragma once

namespace qel {

// The wizard dialog as the run uses it: created hidden at start-up, shown for the help page,
// the wizard and the finish page, its modal loop ended by a page function with a result.
//
// This machine has no page host yet: there is no window, so the run posts its pages to the UI
// handler (which logs them) and a modal loop ends at once with 1, the code with which the pages'
// normal end ("next" through to the last page) ends it. A full-wizard run therefore proceeds as
// if the user had accepted every page with its defaults.
class CSetupWizardDlg {
 public:
  // Creates the window hidden; false when no window can exist on this machine.
  bool Create();
  bool HasWindow() const { return false; }
  void Show() {}
  int RunWizardModalLoop();
  void EndModalLoop(int result);
  void SetCancelDisabled(bool disabled) { cancelDisabled_ = disabled; }
  bool CancelDisabled() const { return cancelDisabled_; }

 private:
  bool cancelDisabled_ = false;
};

inline constexpr int kWizardAccepted = 1;

}  // namespace qel
