/* A hook library for tests. Each hook answers the number in the environment variable named
 * QEL_TEST_HOOK_<hook name without "Script_"> (0 when unset), and, when QEL_TEST_HOOK_TRACE names
 * a file, appends the hook's name to it, so a test can see which hooks ran in which order.
 * QEL_TEST_HOOK_POST_<hook> = "<type>:<text>" makes the hook post that message through the
 * launcher's poster first (type in hexadecimal). */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "uimsg/QelScript.h"

static uint32_t Answer(const char* hook, QelSetupMessagePoster poster) {
  char name[128];
  const char* trace = getenv("QEL_TEST_HOOK_TRACE");
  if (trace) {
    FILE* file = fopen(trace, "a");
    if (file) {
      fprintf(file, "%s\n", hook);
      fclose(file);
    }
  }
  snprintf(name, sizeof name, "QEL_TEST_HOOK_POST_%s", hook);
  const char* post = getenv(name);
  if (post && poster) {
    const char* colon = strchr(post, ':');
    if (colon) poster((uint32_t)strtoul(post, NULL, 16), "%s", colon + 1);
  }
  snprintf(name, sizeof name, "QEL_TEST_HOOK_%s", hook);
  const char* value = getenv(name);
  return value ? (uint32_t)strtoul(value, NULL, 10) : 0;
}

#define HOOK(name) \
  uint32_t Script_##name(QelSetupMessagePoster poster) { return Answer(#name, poster); }

HOOK(AfterSetupInitialization)
HOOK(UIWizardStart)
HOOK(UIProgressStart)
HOOK(BeforeExecuteChainInstall)
HOOK(BeforeExecuteChainAdmin)
HOOK(AfterExecuteChainInstall)
HOOK(AfterExecuteChainAdmin)
HOOK(AfterSchedulePatches)
HOOK(AfterExecutePatches)
HOOK(UIWizardCompleteSuccess)
HOOK(UIWizardCompleteError)
HOOK(UIWizardCompleteReboot)

uint32_t Script_FeatureSelectionChanged(QelFeatureData feature) { return Answer(feature.property, NULL); }

/* A run-time export as a page would name it. */
QEL_SCRIPT_EXPORT uint32_t TestExport(void) { return 42; }
