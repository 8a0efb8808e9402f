#pragma once
#include <cstdint>

#include "chain/UtlXSetupMsi.h"
#include "chain/UtlXSetupMsiDbm.h"

// Which items take part in this run (`scheduled` "1" or "0"). The mode is never stored: every
// decision asks the installer service again whether a product is installed and the store
// whether the run is administrative (ACTION "ADMIN").
namespace qel {

// Walks the `Msi` items in document order, each followed by its dependents. Always 0.
std::uint32_t ScheduleChain();

// The managed item always runs (but not administratively without admin support); in an
// administrative run another item runs only when nothing was authored and it supports it;
// otherwise an installed product is left alone, an authored value stays, and the condition
// decides the rest.
void ScheduleItem(CUtlXSetupMsi& item);

// A dependent runs only with its parent; administratively when both allow it; otherwise by its
// condition, or regardless of it during a reinstall with "v" in REINSTALLMODE when its product
// is installed and its parent's package is at hand.
void ScheduleDependent(CUtlXSetupMsiDbm& dependent);

}  // namespace qel
