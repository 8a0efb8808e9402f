#pragma once
#include <set>
#include <string>
#include <vector>

#include "platform/linux/installer/ActionRunner.h"
#include "platform/linux/installer/ProductDatabase.h"
#include "platform/linux/installer/Transaction.h"

// One installation, repair, change, removal or administrative image of a package. The actions
// between InstallInitialize and InstallFinalize only write a script; InstallFinalize carries it
// out under a transaction, and the product database is written last, so that a failure or a
// Cancel at any point leaves the machine and the database as they were.
namespace qel::platform::installer {

class InstallRun : public ActionRunner {
 public:
  InstallRun(Session& session, Messenger& messenger, ProductDatabase& products);

  // Runs the execute sequence and answers the installer's result code.
  ErrorCode Run();

 protected:
  int RunSpecificAction(const std::string& action, bool& handled) override;
  void AfterAction(const std::string& action) override;

 private:
  enum class StepKind { kRemoveFiles, kInstallFiles, kAdminPackage };
  struct PlannedFile {
    const FileRow* row;
    std::string target;
  };

  int Validate();
  std::vector<PlannedFile> FilesToInstall() const;
  std::vector<InstalledFile> FilesToRemove() const;
  int ExecuteScript();
  int ExecuteRemoveFiles();
  int ExecuteInstallFiles();
  int ExecuteAdminPackage();
  ErrorCode CachePackage(const std::string& local);
  std::string SourcePackageHost() const;
  ErrorCode ExtractEmbedded(const std::string& stream, int diskId, const std::set<std::string>& keys,
                            std::string& writing);
  int StageCabinets(const std::vector<PlannedFile>& files, std::set<std::string>& staged);
  int PlaceOne(const PlannedFile& file, const std::set<std::string>& staged);
  std::string UncompressedSource(const FileRow& file) const;
  int CommitProduct();
  int RecordPatchBeingApplied(ProductRecord& record);
  ProductRecord BuildRecord() const;
  bool Removing() const;
  bool Admin() const { return admin_; }
  std::string OperationName() const;

  ProductDatabase& products_;
  bool admin_ = false;
  bool scripting_ = false;
  std::vector<StepKind> script_;
  std::set<std::string> reinstallFeatures_;
  std::string reinstallMode_;
  bool rebootScheduled_ = false;
  bool rebootForced_ = false;
  std::string stagingHost_;
  std::string stagingDesktop_;
  std::unique_ptr<Transaction> transaction_;
  std::string localPackage_;
};

}  // namespace qel::platform::installer
