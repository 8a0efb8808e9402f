#pragma once
#include <cstdint>

#include "chain/UtlXSetupMsi.h"

// Running one package of the chain through the installer service and recording its result on
// the item. The item's poster decides whether item messages are posted.
namespace qel {

// Runs a scheduled `Msi` item and then its dependents: reconfigured by product code when the
// product is installed and its package is gone, installed from the package otherwise.
std::uint32_t ExecuteItem(CUtlXSetupMsi& item);
// Runs the item from its package file with its resolved command line; `quiet` posts no
// item-start message (rollbacks). An item-start answer of 1602 refuses the item: it does not run
// and its result stays as it was.
std::uint32_t InstallProduct(CUtlXSetupMsi& item, bool quiet);
// Reconfigures the installed product by its product code with the resolved command line.
std::uint32_t ConfigureProduct(CUtlXSetupMsi& item);

}  // namespace qel
