#include "config/UtlX.h"

namespace qel {

CUtlX::CUtlX(int slot) { xml_.SetFileIndex(slot); }

int CUtlX::Select(const std::string& path) { return xml_.SelectNodes(path); }

}  // namespace qel
