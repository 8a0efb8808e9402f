/* A hook library for tests that exports none of the hooks. */
#include "app/hooks/QelScript.h"

QEL_SCRIPT_EXPORT uint32_t UnrelatedExport(void) { return 7; }
