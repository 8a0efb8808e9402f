#include "chain/UtlXQel.h"

namespace qel {

int CUtlXQel::Select(const std::string& path) { return CUtlX::Select(path.empty() ? "QEL" : path); }

}  // namespace qel
