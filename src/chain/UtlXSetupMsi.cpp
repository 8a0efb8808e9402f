#include "chain/UtlXSetupMsi.h"

#include "chain/ProductState.h"
#include "config/XPathLiteral.h"

namespace qel {

std::string ProductCodePredicate(const std::string& productCode) {
  return "[@productcode=" + XPathLiteral(productCode) + "]";
}

int CUtlXSetupMsi::Select(const std::string& productCode) {
  if (productCode.empty()) return CUtlX::Select("//QEL/Setups/Msi");
  return SelectWithFallback("//QEL/Setups/Msi" + ProductCodePredicate(productCode), productCode);
}

int CUtlXSetupMsi::SelectWithFallback(const std::string& expression, const std::string& argument) {
  const int count = CUtlX::Select(expression);
  if (count != 0) return count;
  return CUtlX::Select(argument);
}

std::string CUtlXSetupMsi::GetProductCode() const { return Xml().GetAttribute("productcode"); }

std::string CUtlXSetupMsi::GetCmdLine() const { return Xml().GetAttribute("cmdline"); }

bool CUtlXSetupMsi::SetCmdLine(const std::string& text) { return Xml().SetAttribute("cmdline", text); }

bool CUtlXSetupMsi::IsManaged() const { return Xml().GetAttribute("managed") == "1"; }

bool CUtlXSetupMsi::SupportsAdmin() const { return Xml().GetAttribute("adminsupport") != "0"; }

int CUtlXSetupMsi::SelectManaged() { return CUtlX::Select("//QEL/Setups/Msi[@managed=\"1\"]"); }

bool CUtlXSetupMsi::IsProductInstalled() const { return IsProductCodeInstalled(GetProductCode()); }

}  // namespace qel
