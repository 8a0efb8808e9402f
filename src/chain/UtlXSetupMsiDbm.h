#pragma once
#include <string>

#include "chain/UtlXSetupMsi.h"

namespace qel {

// A dependent package (`Dbm` under an `Msi`). It has its own file, product code and command
// line; whether it counts as managed is its parent's business, and an administrative
// installation needs both its parent's and its own consent.
class CUtlXSetupMsiDbm : public CUtlXSetupMsi {
 public:
  explicit CUtlXSetupMsiDbm(SetupMessagePoster poster = nullptr) : CUtlXSetupMsi(poster) {}
  ~CUtlXSetupMsiDbm() override = default;
  CUtlXSetupMsiDbm(const CUtlXSetupMsiDbm&) = default;
  CUtlXSetupMsiDbm& operator=(const CUtlXSetupMsiDbm&) = default;

  // Empty: every dependent of every item. A product code: the dependents of the item with that
  // code; when it has none, the argument is tried as an expression of its own.
  int Select(const std::string& parentProductCode) override;

  bool IsManaged() const override;
  bool SupportsAdmin() const override;
};

}  // namespace qel
