#pragma once
#include <cstdint>

#include "chain/UtlXSetupMsi.h"
#include "uimsg/SendSetupMessage.h"

namespace qel {

// Prepares every `Msi` item that has a product code, in document order: its file made absolute
// (ResolveFile), its command line template (ComposeCmdLine) and its `Rollback` element.
//
// In maintenance (not administrative, the managed product installed) the installed product's
// source is looked for first. When the user will need it (UI level 4 or more, no removal, no
// "v" in REINSTALLMODE) the installer service may ask for it, and not finding it ends
// preparation with 1612; otherwise a missing source only disables Cancel (COMMONDATA
// "1:2 2:0" through `poster`, when there is one).
//
// Each item's `Rollback` element is created and its command line composed from the machine as
// it is now.
std::uint32_t PrepareChain(SetupMessagePoster poster);

// Joins the chain's `rootfolder` and the item's authored (relative) `file`. With
// `useInstalledSource`, outside an administrative run and when the item's own product is
// installed, the item is taken from the folder the product was installed from instead, and
// `rootfolder` follows it so that everything joined afterwards comes from that source too.
void ResolveFile(CUtlXSetupMsi& item, bool useInstalledSource);

}  // namespace qel
