#include "chain/UtlXSetupMsiRollback.h"

namespace qel {

int CUtlXSetupMsiRollback::Select(const std::string& parentProductCode) {
  if (parentProductCode.empty()) return CUtlX::Select("//QEL/Setups/Msi/Rollback");
  const std::string item = "//QEL/Setups/Msi" + ProductCodePredicate(parentProductCode);
  const std::string rollback = item + "/Rollback";
  const int count = CUtlX::Select(rollback);
  if (count != 0) return count;
  if (CUtlX::Select(item) == 0) return 0;
  Xml().AddNodeAsChild("Rollback");
  return CUtlX::Select(rollback);
}

std::string CUtlXSetupMsiRollback::GetFile() const { return Xml().GetParentAttribute("file"); }

std::string CUtlXSetupMsiRollback::GetProductCode() const { return Xml().GetParentAttribute("productcode"); }

bool CUtlXSetupMsiRollback::IsManaged() const { return Xml().GetParentAttribute("managed") == "1"; }

}  // namespace qel
