#pragma once
#include "chain/UtlXSetupMsi.h"

namespace qel {

// An authored `cmdline` standing for every public property of the store; expanded at execution
// and never composed.
inline constexpr const char* kAllPublicCmdLine = "QEL_ALL_PUBLIC";

// Turns the item's authored `cmdline` into the template that every package of the chain gets:
// the folder of Setup.exe, the restart, action and context properties, and per mode the
// administrative target, the installed product's repair or removal, or the new product's folder
// and ALLUSERS, written as [references] to the store. A property the line already assigns is
// never added twice. Executables, `cmdlinenomodify="1"` and QEL_ALL_PUBLIC are left as they are.
//
// For an installed product, a removal (REMOVE exactly "ALL") is passed on as " REMOVE=ALL":
// without it a removal would run the package as a maintenance installation that changes
// nothing, and report success.
void ComposeCmdLine(CUtlXSetupMsi& item);

}  // namespace qel
