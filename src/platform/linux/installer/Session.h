#pragma once
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/ErrorCodes.h"
#include "platform/linux/installer/DirectoryResolver.h"
#include "platform/linux/installer/FeatureSelection.h"
#include "platform/linux/installer/Package.h"
#include "platform/linux/installer/ProductDatabase.h"

// One package opened for work: its tables, the session's properties, the product as installed
// (in maintenance) and what costing decided (folders and feature states).
namespace qel::platform::installer {

class Session {
 public:
  // Reads the package at a desktop path and fills the standard properties. kErrorFileNotFound
  // for a missing package, kInstallPackageInvalid for a file that is not one.
  static ErrorCode Open(const std::string& packagePath, const ProductDatabase& products,
                        int uiLevel, std::unique_ptr<Session>& out);

  const Package& GetPackage() const { return package_; }
  const std::string& PackagePath() const { return packagePath_; }
  const std::optional<ProductRecord>& InstalledProduct() const { return installed_; }
  std::string ProductCode() const { return package_.Property("ProductCode"); }

  std::string GetProperty(const std::string& name) const;
  void SetProperty(const std::string& name, const std::string& value);
  const std::map<std::string, std::string>& Properties() const { return properties_; }

  std::vector<std::string>& Transforms() { return transforms_; }

  // Resolves folders into properties and chooses feature states (CostFinalize).
  ErrorCode Cost(std::string* unknownFeature);
  bool Costed() const { return costed_; }
  const DirectoryLayout& Layout() const { return layout_; }
  const FeatureStates& Features() const { return features_; }
  void SetFeatures(FeatureStates states) { features_ = std::move(states); }

  // The installer's condition language on this session's properties and states; nothing when
  // the condition does not parse.
  std::optional<bool> Evaluate(const std::string& condition) const;
  // Replaces [PROPERTY], [#filekey], [\x] references.
  std::string Format(const std::string& text) const;

  // Target path of a file of the package (after costing).
  std::string FileTarget(const FileRow& file) const;
  // The machine's own folders (ProgramFilesFolder ...), which no product owns.
  bool IsStandardFolder(const std::string& directory) const;
  bool ShortNames() const { return (package_.wordCount & kSummarySourceShortNames) != 0; }

  // Patch payloads for this run: File key -> desktop path of the new content. A file named here
  // is laid down from its payload instead of the package's source, and rewritten whenever the
  // product keeps it, whatever REINSTALLMODE says.
  void SetPatchPayloads(std::map<std::string, std::string> payloads) { patchPayloads_ = std::move(payloads); }
  const std::string* PatchPayload(const std::string& fileKey) const;
  // The patch this run applies, recorded with the product (and its package cached) on success.
  void SetPatchBeingApplied(AppliedPatch patch, std::string packagePath);
  const std::optional<AppliedPatch>& PatchBeingApplied() const { return patchBeingApplied_; }
  const std::string& PatchBeingAppliedPath() const { return patchBeingAppliedPath_; }

 private:
  void SetStandardProperties(int uiLevel);
  int InstalledFeatureState(const std::string& feature) const;

  Package package_;
  std::string packagePath_;
  std::map<std::string, std::string> properties_;
  std::vector<std::string> transforms_;
  std::optional<ProductRecord> installed_;
  DirectoryLayout layout_;
  std::map<std::string, std::string> resolvedDirectoryProperties_;
  FeatureStates features_;
  std::set<std::string> standardFolders_;
  bool costed_ = false;
  std::map<std::string, std::string> patchPayloads_;
  std::optional<AppliedPatch> patchBeingApplied_;
  std::string patchBeingAppliedPath_;
};

// "hh:mm:ss" of the local time, as the installer's action lines show it.
std::string ClockTime();

}  // namespace qel::platform::installer
