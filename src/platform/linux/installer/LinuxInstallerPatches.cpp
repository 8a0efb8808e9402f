#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>
#include <utility>

#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "platform/linux/installer/DirectoryResolver.h"
#include "platform/linux/installer/InstallerCodes.h"
#include "platform/linux/installer/LinuxInstallerService.h"
#include "platform/linux/installer/PackageReader.h"
#include "platform/linux/installer/PatchPackage.h"
#include "platform/linux/installer/ProductDatabase.h"

// Patch sequencing and application of the simulated machine's installer. The patch formats are
// described in PatchPackage.h.
namespace qel::platform::installer {
namespace {

ErrorCode ReadPatch(const std::string& desktopPath, std::uint32_t dataType, PatchPackage& out) {
  std::string host;
  if (Files().ToHostPath(desktopPath, host) != kSuccess) return kErrorFileNotFound;
  if (!std::filesystem::is_regular_file(host)) return kErrorFileNotFound;
  return dataType == kPatchDataXmlPath ? ReadPatchDescription(host, out) : ReadPatchPackage(host, out);
}

// Marks what applies to the product and numbers it: within a family by sequence, and the
// families keep the places their members were given in.
void SequencePatches(const std::string& productCode, std::vector<PatchSequenceRecord>& records) {
  std::vector<std::size_t> applicable;
  std::map<std::string, std::vector<std::pair<std::size_t, std::string>>> families;  // family -> (index, sequence)
  for (std::size_t i = 0; i < records.size(); ++i) {
    auto& record = records[i];
    record.order = -1;
    PatchPackage patch;
    if (const ErrorCode error = ReadPatch(record.patchData, record.dataType, patch)) {
      record.status = error;
      continue;
    }
    if (!patch.Targets(productCode)) {
      record.status = kPatchTargetNotFound;
      continue;
    }
    record.status = kSuccess;
    applicable.push_back(i);
    const PatchSequenceEntry entry = patch.SequenceFor(productCode);
    families[ToUpper(entry.family)].emplace_back(i, entry.sequence);
  }

  // Each family's members, in sequence order, fill the slots its members hold in the request.
  std::map<std::size_t, std::size_t> slotToRecord;
  for (auto& [family, members] : families) {
    std::vector<std::size_t> slots;
    for (const auto& member : members) slots.push_back(member.first);
    std::stable_sort(members.begin(), members.end(), [](const auto& a, const auto& b) {
      return CompareSequences(a.second, b.second) < 0;
    });
    for (std::size_t k = 0; k < slots.size(); ++k) slotToRecord[slots[k]] = members[k].first;
  }
  std::int32_t order = 0;
  for (std::size_t slot : applicable) records[slotToRecord[slot]].order = order++;
}

bool InstalledPerMachine(const ProductDatabase& database, const std::string& productCode) {
  const ProductRecord* record = database.Find(productCode);
  return record != nullptr && record->context == "machine";
}

// Writes every payload next to its target first, then moves them into place, so a patch whose
// payload is damaged changes nothing.
ErrorCode ReplaceFiles(const std::string& patchHost, const std::vector<std::pair<std::string, std::string>>& keyToHostTarget) {
  std::vector<std::pair<std::string, std::string>> staged;
  auto discard = [&] {
    std::error_code ignored;
    for (const auto& s : staged) std::filesystem::remove(s.first, ignored);
  };
  for (const auto& [key, target] : keyToHostTarget) {
    const std::string temporary = target + ".qelpatch";
    staged.emplace_back(temporary, target);
    if (const ErrorCode error = ExtractStream(patchHost, key, temporary)) {
      discard();
      return error == kInstallSourceCorrupt ? kInstallPackageInvalid : error;
    }
  }
  for (const auto& [temporary, target] : staged) {
    std::error_code error;
    std::filesystem::rename(temporary, target, error);
    if (error) {
      discard();
      return kInstallFailure;
    }
  }
  return kSuccess;
}

ErrorCode PatchInstalledProduct(const std::string& patchHost, const PatchPackage& patch, const std::string& productCode) {
  ProductDatabase database;
  if (ProductDatabase::Load(database) != kSuccess) return kInstallFailure;
  const ProductRecord* found = database.Find(productCode);
  if (found == nullptr) return kUnknownProduct;
  if (!patch.Targets(productCode)) return kPatchTargetNotFound;
  ProductRecord record = *found;

  // A payload for a file the product did not install (a feature left out) has nothing to
  // replace.
  std::vector<std::pair<std::string, std::string>> targets;
  for (const auto& key : patch.fileKeys) {
    for (const auto& file : record.files) {
      if (file.key != key) continue;
      std::string host;
      if (Files().ToHostPath(file.path, host) != kSuccess) return kInstallFailure;
      targets.emplace_back(key, host);
    }
  }
  if (const ErrorCode error = ReplaceFiles(patchHost, targets)) return error;

  bool known = false;
  for (const auto& code : record.patches) known = known || ToUpper(code) == ToUpper(patch.patchCode);
  if (!known) record.patches.push_back(patch.patchCode);
  database.Put(std::move(record));
  return database.Save() == kSuccess ? kSuccess : kInstallFailure;
}

ErrorCode PatchImagePackage(const std::string& patchHost, const PatchPackage& patch, const std::string& packagePath) {
  std::string packageHost;
  if (Files().ToHostPath(packagePath, packageHost) != kSuccess) return kInstallPackageOpenFailed;
  Package package;
  if (ReadPackage(packageHost, package) != kSuccess) return kInstallPackageOpenFailed;
  if (!patch.Targets(package.Property("ProductCode"))) return kPatchTargetNotFound;

  const bool shortNames = (package.wordCount & kSummarySourceShortNames) != 0;
  DirectoryLayout layout;
  if (const ErrorCode error = ResolveDirectories(package, [](const std::string&) { return std::string(); },
                                                 shortNames, layout)) {
    return error;
  }
  const std::filesystem::path imageRoot = std::filesystem::path(packageHost).parent_path();
  std::vector<std::pair<std::string, std::string>> targets;
  for (const auto& key : patch.fileKeys) {
    for (const auto& file : package.files) {
      if (file.id != key) continue;
      const ComponentRow* component = package.FindComponent(file.component);
      if (component == nullptr) continue;
      const auto dir = layout.directories.find(component->directory);
      if (dir == layout.directories.end()) continue;
      std::string relative = dir->second.sourceRelative + PickName(file.fileName, shortNames);
      for (char& c : relative) if (c == '\\') c = '/';
      const std::filesystem::path host = imageRoot / relative;
      if (!std::filesystem::exists(host)) continue;
      targets.emplace_back(key, host.string());
    }
  }
  return ReplaceFiles(patchHost, targets);
}

}  // namespace

ErrorCode LinuxInstallerService::DeterminePatchSequence(const std::string& productCode,
                                                        std::vector<PatchSequenceRecord>& records) {
  ProductDatabase database;
  if (ProductDatabase::Load(database) != kSuccess) return kInstallFailure;
  if (!InstalledPerMachine(database, productCode)) return kUnknownProduct;
  SequencePatches(productCode, records);
  return kSuccess;
}

ErrorCode LinuxInstallerService::DetermineApplicablePatches(const std::string& packagePath,
                                                            std::vector<PatchSequenceRecord>& records) {
  std::string host;
  if (Files().ToHostPath(packagePath, host) != kSuccess) return kInstallPackageOpenFailed;
  Package package;
  if (ReadPackage(host, package) != kSuccess) return kInstallPackageOpenFailed;
  SequencePatches(package.Property("ProductCode"), records);
  return kSuccess;
}

ErrorCode LinuxInstallerService::ApplyPatch(const std::string& patchPackage, const std::string& target, int installType,
                                            const std::string& /*commandLine: the payload replaces whole files*/) {
  std::string patchHost;
  if (Files().ToHostPath(patchPackage, patchHost) != kSuccess || !std::filesystem::is_regular_file(patchHost)) {
    return kInstallPackageOpenFailed;
  }
  PatchPackage patch;
  if (ReadPatchPackage(patchHost, patch) != kSuccess) return kInstallPackageInvalid;
  if (installType == kInstallTypeSingleInstance) return PatchInstalledProduct(patchHost, patch, target);
  if (installType == kInstallTypeNetworkImage) return PatchImagePackage(patchHost, patch, target);
  return kErrorInvalidParameter;
}

}  // namespace qel::platform::installer
