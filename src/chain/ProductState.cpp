#include "chain/ProductState.h"

#include "platform/InstallerService.h"

namespace qel {

bool IsProductCodeInstalled(const std::string& productCode) {
  if (productCode.empty()) return false;
  const int state = platform::Installer().QueryProductState(productCode);
  return state == platform::kProductStateDefault || state == platform::kProductStateAbsent;
}

}  // namespace qel
