#pragma once
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

#include "platform/InstallerService.h"
#include "platform/linux/installer/PatchPackage.h"
#include "platform/linux/installer/PropertyCommandLine.h"
#include "platform/linux/installer/Session.h"

// The installer service of the simulated machine.
namespace qel::platform::installer {

class LinuxInstallerService : public IInstallerService {
 public:
  int QueryProductState(const std::string& productCode) override;
  ErrorCode InstallProduct(const std::string& packagePath, const std::string& commandLine) override;
  ErrorCode ConfigureProduct(const std::string& productCode, int installLevel, int installState,
                             const std::string& commandLine) override;
  ErrorCode GetProductInfo(const std::string& productCode, const std::string& attribute,
                           std::string& value) override;
  ErrorCode OpenPackage(const std::string& packagePath, std::uint32_t options,
                        InstallerHandle& session) override;
  ErrorCode OpenProduct(const std::string& productCode, InstallerHandle& session) override;
  InstallerHandle GetActiveDatabase(InstallerHandle session) override;
  ErrorCode ApplyTransform(InstallerHandle database, const std::string& transform,
                           int errorConditions) override;
  ErrorCode DoAction(InstallerHandle session, const std::string& action) override;
  ErrorCode Sequence(InstallerHandle session, const std::string& table, int mode) override;
  ErrorCode GetProperty(InstallerHandle session, const std::string& name, std::string& value) override;
  ErrorCode SetProperty(InstallerHandle session, const std::string& name,
                        const std::string& value) override;
  ErrorCode OpenView(InstallerHandle database, const std::string& query, InstallerHandle& view) override;
  ErrorCode ViewExecute(InstallerHandle view) override;
  ErrorCode ViewFetch(InstallerHandle view, InstallerHandle& record) override;
  ErrorCode RecordGetString(InstallerHandle record, unsigned field, std::string& value) override;
  int SetInternalUI(int level, std::uintptr_t* owner) override;
  ExternalUi SetExternalUI(const ExternalUi& ui) override;
  ErrorCode EnableLog(std::uint32_t logMode, const std::string& logPath, std::uint32_t attributes) override;
  ErrorCode EnumProducts(unsigned index, std::string& productCode) override;
  ErrorCode EnumFeatures(const std::string& productCode, unsigned index, std::string& feature,
                         std::string& parent) override;
  int QueryFeatureState(const std::string& productCode, const std::string& feature) override;
  ErrorCode CloseHandle(InstallerHandle handle) override;

  // Patches: LinuxInstallerPatches.cpp.
  ErrorCode DeterminePatchSequence(const std::string& productCode,
                                   std::vector<PatchSequenceRecord>& records) override;
  ErrorCode DetermineApplicablePatches(const std::string& packagePath,
                                       std::vector<PatchSequenceRecord>& records) override;
  ErrorCode ApplyPatch(const std::string& patchPackage, const std::string& target, int installType,
                       const std::string& commandLine) override;

 private:
  struct SessionEntry {
    std::shared_ptr<Session> session;
  };
  struct DatabaseEntry {
    std::shared_ptr<Session> session;
  };
  struct ViewEntry {
    std::shared_ptr<Session> session;
    std::string table;
    bool executed = false;
    std::vector<std::vector<std::string>> rows;
    std::size_t next = 0;
  };
  struct RecordEntry {
    std::vector<std::string> fields;
  };
  using Entry = std::variant<SessionEntry, DatabaseEntry, ViewEntry, RecordEntry>;

  struct Settings {
    ExternalUi ui;
    int uiLevel = kInstallUiLevelBasic;
    std::uintptr_t owner = 0;
    std::uint32_t logMode = 0;
    std::string logPath;
    bool logAppend = true;
  };

  // A patch applied by a maintenance run of its target product.
  struct PatchRequest {
    std::string packagePath;  // desktop path of the .msp
    std::string hostPath;
    PatchPackage patch;
  };
  ErrorCode RunInstall(const std::string& packagePath, const PropertyList& properties,
                       const std::string& commandLine, const std::string& sourceOverride,
                       const PatchRequest* patch = nullptr);
  // LinuxInstallerPatches.cpp: replaces the files of an administrative image's package.
  ErrorCode RunImagePatch(const PatchRequest& patch, const std::string& packagePath);
  bool BeginRun();
  void EndRun();
  InstallerHandle Register(Entry entry);
  template <typename T>
  T* Find(InstallerHandle handle);
  std::shared_ptr<Session> FindSession(InstallerHandle handle);
  Settings CurrentSettings();

  std::mutex mutex_;
  std::map<InstallerHandle, Entry> handles_;
  InstallerHandle nextHandle_ = 1;
  Settings settings_;
  bool installing_ = false;
};

}  // namespace qel::platform::installer
