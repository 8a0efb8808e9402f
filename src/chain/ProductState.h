#pragma once
#include <string>

namespace qel {

// The one "installed" test of the chain: the installer service reports the product installed
// for this user (5) or for another user (2). An empty code, an unknown product and every other
// state count as not installed. The state is asked anew on every call, so a decision always
// sees the machine as it is at that moment.
bool IsProductCodeInstalled(const std::string& productCode);

}  // namespace qel
