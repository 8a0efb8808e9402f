#pragma once
#include <cstdint>
#include <functional>

#include "chain/UtlXSetupMsi.h"

namespace qel {

// Runs one package of the administrative chain from its file (the package execution's
// InstallProduct with quiet false): the item's result.
using InstallItemFunction = std::function<std::uint32_t(CUtlXSetupMsi& item)>;

// The administrative execution of one `Msi` item (its `scheduled` plays no part):
//  - TARGETDIR is extended, for the duration, by the item's folder relative to the chain root,
//    so that the image keeps the layout of the source;
//  - the item is installed administratively (`installItem`) when it is the managed item and
//    supports it, when its condition is exactly "ACTION=ADMIN", or when `alwaysexecute` is
//    "1"; its dependents follow when that succeeded;
//  - otherwise its package is appended to the support files (copied after the chain; only when
//    the chain has support files at all) and its dependents follow;
//  - the dependents of the managed item that support it are installed, every other dependent
//    is appended to the support files.
// Answers 0, the last 1641 or 3010, or the first failure.
std::uint32_t ExecuteAdminItem(CUtlXSetupMsi& item, const InstallItemFunction& installItem);

// Appends a `SupportFile` with that `file` after the chain's last support file; false (nothing
// appended) when the chain has none.
bool AppendSupportFile(const std::string& file);

}  // namespace qel
