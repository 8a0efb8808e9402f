#pragma once
#include <string>

#include "chain/UtlXSetup.h"

namespace qel {

// A `SupportFile` anywhere below //QEL/Setups: a plain file copied into an administrative image.
class CUtlXSetupSupportFile : public CUtlXSetup {
 public:
  explicit CUtlXSetupSupportFile(SetupMessagePoster poster = nullptr) : CUtlXSetup(poster) {}
  ~CUtlXSetupSupportFile() override = default;
  CUtlXSetupSupportFile(const CUtlXSetupSupportFile&) = default;
  CUtlXSetupSupportFile& operator=(const CUtlXSetupSupportFile&) = default;

  // Empty: every support file of the chain.
  int Select(const std::string& path) override;
};

}  // namespace qel
