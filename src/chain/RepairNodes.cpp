#include "chain/RepairNodes.h"

#include <string>

#include "chain/ProductState.h"
#include "chain/UtlXSetupMsiDbm.h"

namespace qel {
namespace {

constexpr const char* kRepairCmdLine =
    "REINSTALL=ALL REINSTALLMODE=m REBOOT=ReallySuppress QEL.CONTEXT=1 QEL.REPAIR.NODE=1";

void AppendRepairNode(CUtlXSetupMsiDbm& dependents, const std::string& productCode) {
  CXMLFileManagerInterface& node = dependents.Xml();
  if (!node.AddNodeToEndOfList("Dbm")) return;
  node.SetAttribute("productcode", productCode);
  node.SetAttribute("file", "RepairNode");
  node.SetAttribute("progresstext", "Str.ProgressText.Common");
  node.SetAttribute("adminsupport", "0");
  node.SetAttribute("cmdline", kRepairCmdLine);
  node.SetAttribute("scheduled", "1");
}

}  // namespace

void AddRepairNodes() {
  CUtlXSetupMsi managed;
  if (managed.SelectManaged() == 0) return;
  const CUtlXProperty& properties = managed.Properties();
  if (!properties.IsPropertySet("Installed") || properties.GetProperty("REMOVE") != "ALL") return;

  CUtlX repairs;
  if (repairs.Select("//QEL/Setups/Repair") == 0) return;
  const std::string managedCode = managed.GetProductCode();
  if (managedCode.empty()) return;
  CUtlXSetupMsiDbm dependents;
  if (dependents.Select(managedCode) == 0) return;

  do {
    const std::string productCode = repairs.Xml().GetAttribute("productcode");
    if (IsProductCodeInstalled(productCode)) AppendRepairNode(dependents, productCode);
  } while (repairs.Xml().CounterNext() != 0);
}

}  // namespace qel
