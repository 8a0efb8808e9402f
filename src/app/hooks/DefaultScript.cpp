// The hook library of a product without product-specific behaviour: every hook answers 0, which
// lets the launcher do its own work at each point, and there are no run-time exports.
#include "uimsg/QelScript.h"

extern "C" {

uint32_t Script_AfterSetupInitialization(QelSetupMessagePoster) { return 0; }
uint32_t Script_UIWizardStart(QelSetupMessagePoster) { return 0; }
uint32_t Script_UIProgressStart(QelSetupMessagePoster) { return 0; }
uint32_t Script_BeforeExecuteChainInstall(QelSetupMessagePoster) { return 0; }
uint32_t Script_BeforeExecuteChainAdmin(QelSetupMessagePoster) { return 0; }
uint32_t Script_AfterExecuteChainInstall(QelSetupMessagePoster) { return 0; }
uint32_t Script_AfterExecuteChainAdmin(QelSetupMessagePoster) { return 0; }
uint32_t Script_AfterSchedulePatches(QelSetupMessagePoster) { return 0; }
uint32_t Script_AfterExecutePatches(QelSetupMessagePoster) { return 0; }
uint32_t Script_UIWizardCompleteSuccess(QelSetupMessagePoster) { return 0; }
uint32_t Script_UIWizardCompleteError(QelSetupMessagePoster) { return 0; }
uint32_t Script_UIWizardCompleteReboot(QelSetupMessagePoster) { return 0; }
uint32_t Script_FeatureSelectionChanged(QelFeatureData) { return 0; }

}
