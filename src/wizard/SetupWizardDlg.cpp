#include "wizard/SetupWizardDlg.h"

#include "uimsg/UtlXLogFile.h"

namespace qel {

bool CSetupWizardDlg::Create() { return false; }

int CSetupWizardDlg::RunWizardModalLoop() {
  LogTimed("No wizard page host on this machine: the wizard's loop ends as if every page was accepted");
  return kWizardAccepted;
}

void CSetupWizardDlg::EndModalLoop(int) {}

}  // namespace qel
