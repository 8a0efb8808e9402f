#pragma once

namespace qel {

// Before a removal of the managed product (the product installed, `Installed` set, REMOVE
// exactly "ALL"), every product named by //QEL/Setups/Repair that is installed gets a repair
// run right after the removal: a `Dbm` appended to the managed item's dependents, reconfigured
// by product code ("RepairNode" is never a file) with a fixed command line. Nodes can only be
// appended to an existing list, so a managed item without dependents gets none; neither does a
// managed item without a product code (it has no dependents of its own to append to).
void AddRepairNodes();

}  // namespace qel
