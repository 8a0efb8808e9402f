#include "chain/UtlXSetupMsiDbm.h"

namespace qel {

int CUtlXSetupMsiDbm::Select(const std::string& parentProductCode) {
  if (parentProductCode.empty()) return CUtlX::Select("//QEL/Setups/Msi/Dbm");
  return SelectWithFallback("//QEL/Setups/Msi" + ProductCodePredicate(parentProductCode) + "/Dbm",
                            parentProductCode);
}

bool CUtlXSetupMsiDbm::IsManaged() const { return Xml().GetParentAttribute("managed") == "1"; }

bool CUtlXSetupMsiDbm::SupportsAdmin() const {
  return Xml().GetParentAttribute("adminsupport") != "0" && Xml().GetAttribute("adminsupport") != "0";
}

}  // namespace qel
