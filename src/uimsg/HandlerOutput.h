#pragma once
#include <functional>
#include <vector>

#include "uimsg/SetupUIHandler.h"

namespace qel {

// What one message does outside the handler's state: calls on the wizard window (run together
// on the main thread, in order) and calls into other parts of the launcher. Both run after the
// state lock is released, so that neither can deadlock against a thread waiting for the lock.
class CSetupUIHandler::Output {
 public:
  void Window(std::function<void(IWizardWindow&)> call) { window_.push_back(std::move(call)); }
  void Later(std::function<void()> call) { later_.push_back(std::move(call)); }

  // The window calls run only while `window` is still the one `owner` is bound to, checked on
  // the main thread, where a window is also unbound before it goes away.
  void Run(IWizardWindow* window, const CSetupUIHandler& owner);

 private:
  std::vector<std::function<void(IWizardWindow&)>> window_;
  std::vector<std::function<void()>> later_;
};

// Runs `call` on the main thread and waits for it; at once when already there.
int OnMainThread(const std::function<int()>& call);

}  // namespace qel
