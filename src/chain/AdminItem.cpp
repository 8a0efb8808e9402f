#include "chain/AdminItem.h"

#include <string>

#include "chain/ResultCodes.h"
#include "chain/UtlXSetupMsiDbm.h"
#include "chain/UtlXSetupSupportFile.h"
#include "chain/TextReplace.h"
#include "config/UtlPath.h"

namespace qel {
namespace {

// The item's folder below the chain root ("sub\"), or "" for a package directly in the root.
std::string FolderBelowRoot(const CUtlXSetupMsi& item) {
  CUtlXSetup chain;
  chain.Select("");
  const std::string root = CUtlPath(chain.GetRootFolder()).GetFolderPath();
  CUtlPath folder(item.GetFile());
  folder.RemoveFileSpec();
  const std::string relative = CUtlPath(ReplaceAll(folder.Text(), root, "")).GetFolderPath();
  return relative == root ? std::string() : relative;
}

bool InstallsAdministratively(const CUtlXSetupMsi& item) {
  return (item.IsManaged() && item.SupportsAdmin()) || item.GetCondition() == "ACTION=ADMIN" ||
         item.HasFlag("alwaysexecute");
}

std::uint32_t RunAdminDependents(const CUtlXSetupMsi& item, const InstallItemFunction& installItem) {
  // Selecting by an empty code would take every dependent of the chain, other items' too.
  const std::string productCode = item.GetProductCode();
  if (productCode.empty()) return kResultSuccess;
  CUtlXSetupMsiDbm dependent(item.Poster());
  if (dependent.Select(productCode) == 0) return kResultSuccess;
  std::uint32_t remembered = kResultSuccess;
  do {
    std::uint32_t result = kResultSuccess;
    if (dependent.IsManaged() && dependent.SupportsAdmin())
      result = installItem(dependent);
    else
      AppendSupportFile(dependent.GetFile());
    if (IsRestartResult(result)) remembered = result;
    else if (result != kResultSuccess) return result;
  } while (dependent.Xml().CounterNext() != 0);
  return remembered;
}

// Puts TARGETDIR back as it was when the item started, whatever way the item ends.
class TargetDirScope {
 public:
  explicit TargetDirScope(CUtlXProperty& properties)
      : properties_(properties), saved_(properties.GetProperty("TARGETDIR")) {}
  ~TargetDirScope() { properties_.SetProperty("TARGETDIR", CUtlPath(saved_).GetPath()); }
  TargetDirScope(const TargetDirScope&) = delete;
  TargetDirScope& operator=(const TargetDirScope&) = delete;
  const std::string& Saved() const { return saved_; }

 private:
  CUtlXProperty& properties_;
  std::string saved_;
};

}  // namespace

bool AppendSupportFile(const std::string& file) {
  CUtlXSetupSupportFile supportFiles;
  if (supportFiles.Select("") == 0) return false;
  if (!supportFiles.Xml().AddNodeToEndOfList("SupportFile")) return false;
  return supportFiles.Xml().SetAttribute("file", file);
}

std::uint32_t ExecuteAdminItem(CUtlXSetupMsi& item, const InstallItemFunction& installItem) {
  TargetDirScope targetDir(item.Properties());
  const std::string relative = FolderBelowRoot(item);
  if (!relative.empty()) item.Properties().SetProperty("TARGETDIR", CUtlPath(targetDir.Saved()).Append(relative).Text());

  if (!InstallsAdministratively(item)) {
    AppendSupportFile(item.GetFile());
    return RunAdminDependents(item, installItem);
  }
  std::uint32_t result = installItem(item);
  if (!IsSuccessResult(result)) return result;
  const std::uint32_t dependents = RunAdminDependents(item, installItem);
  return dependents != kResultSuccess ? dependents : result;
}

}  // namespace qel
