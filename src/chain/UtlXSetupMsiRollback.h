#pragma once
#include <string>

#include "chain/UtlXSetupMsi.h"
#include "chain/UtlXSetupMsiRollbackFile.h"

namespace qel {

// The `Rollback` child of an `Msi`: how to undo that package. It stands in for its parent where
// the package is concerned (file, product code, managed) and keeps its own command line and
// result. Selecting it by the parent's product code creates it the first time.
class CUtlXSetupMsiRollback : public CUtlXSetupMsi {
 public:
  explicit CUtlXSetupMsiRollback(SetupMessagePoster poster = nullptr) : CUtlXSetupMsi(poster) {}
  ~CUtlXSetupMsiRollback() override = default;
  CUtlXSetupMsiRollback(const CUtlXSetupMsiRollback&) = default;
  CUtlXSetupMsiRollback& operator=(const CUtlXSetupMsiRollback&) = default;

  // A product code: the `Rollback` of the item with that code, appended as the item's last
  // child when it has none yet; 0 when no item carries the code. Empty: every existing
  // `Rollback` of the chain, none created (an item without a product code never gets one).
  int Select(const std::string& parentProductCode) override;

  std::string GetFile() const override;
  std::string GetProductCode() const override;
  bool IsManaged() const override;

  // Writes the rollback command line (defined with the rollback, chain/Rollback.cpp): removal for
  // a product the chain is about to install, the feature states of before for one already
  // installed (outside an administrative run).
  virtual bool ComposeRollbackCmdLine();

  CUtlXSetupMsiRollbackFile& RollbackFile() { return rollbackFile_; }

 private:
  CUtlXSetupMsiRollbackFile rollbackFile_;
};

}  // namespace qel
