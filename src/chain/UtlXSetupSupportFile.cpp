#include "chain/UtlXSetupSupportFile.h"

namespace qel {

int CUtlXSetupSupportFile::Select(const std::string& path) {
  return CUtlX::Select(path.empty() ? "//QEL/Setups//SupportFile" : path);
}

}  // namespace qel
