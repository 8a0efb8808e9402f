/* A hook library for tests that exports none of the hooks. */
#include "uimsg/QelScript.h"

QEL_SCRIPT_EXPORT uint32_t UnrelatedExport(void) { return 7; }
