#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>
#include <utility>

#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "platform/linux/installer/ImagePatchRun.h"
#include "platform/linux/installer/InstallLog.h"
#include "platform/linux/installer/InstallerCodes.h"
#include "platform/linux/installer/LinuxInstallerService.h"
#include "platform/linux/installer/Messenger.h"
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

// A patch whose family already has a later member on the product would take the product
// backwards; no order of the two makes sense, so it is refused. Applied patches whose cached
// copy has gone cannot be compared and do not block.
bool SupersededOnProduct(const PatchPackage& patch, const ProductRecord& product) {
  const PatchSequenceEntry wanted = patch.SequenceFor(product.productCode);
  for (const auto& applied : product.patches) {
    if (ToUpper(applied.code) == ToUpper(patch.patchCode) || applied.localPackage.empty()) continue;
    PatchPackage earlier;
    if (ReadPatch(applied.localPackage, kPatchDataFilePath, earlier) != kSuccess) continue;
    const PatchSequenceEntry have = earlier.SequenceFor(product.productCode);
    if (ToUpper(have.family) == ToUpper(wanted.family) && CompareSequences(have.sequence, wanted.sequence) > 0) return true;
  }
  return false;
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
                                            const std::string& commandLine) {
  PatchRequest request;
  request.packagePath = patchPackage;
  if (Files().ToHostPath(patchPackage, request.hostPath) != kSuccess || !std::filesystem::is_regular_file(request.hostPath)) {
    return kInstallPackageOpenFailed;
  }
  if (ReadPatchPackage(request.hostPath, request.patch) != kSuccess) return kInstallPackageInvalid;
  auto properties = ParsePropertyCommandLine(commandLine);
  if (!properties) return kInvalidCommandLine;
  // An image has no session to take properties: its files are replaced as they are.
  if (installType == kInstallTypeNetworkImage) return RunImagePatch(request, target);
  if (installType != kInstallTypeSingleInstance) return kErrorInvalidParameter;

  ProductDatabase database;
  if (ProductDatabase::Load(database) != kSuccess) return kBadConfiguration;
  const ProductRecord* record = database.Find(target);
  if (record == nullptr) return kUnknownProduct;
  if (!request.patch.Targets(target)) return kPatchTargetNotFound;
  if (SupersededOnProduct(request.patch, *record)) return kPatchNoSequence;
  FileAttributes cached;
  if (Files().GetAttributes(record->localPackage, cached) != kSuccess || !cached.exists) return kInstallSourceAbsent;
  // A patch is a maintenance run of the product from its cached package, with the payload in
  // place of the files it names.
  return RunInstall(record->localPackage, *properties, commandLine, record->installSource, &request);
}

ErrorCode LinuxInstallerService::RunImagePatch(const PatchRequest& request, const std::string& packagePath) {
  std::string packageHost;
  if (Files().ToHostPath(packagePath, packageHost) != kSuccess) return kInstallPackageOpenFailed;
  Package package;
  if (ReadPackage(packageHost, package) != kSuccess) return kInstallPackageOpenFailed;
  if (!request.patch.Targets(package.Property("ProductCode"))) return kPatchTargetNotFound;

  if (!BeginRun()) return kInstallAlreadyRunning;
  Settings settings = CurrentSettings();
  InstallLog log(settings.logPath, settings.logMode, settings.logAppend);
  Messenger messenger(settings.ui, log);
  log.StartRun(packagePath, request.packagePath);
  const ErrorCode result = ImagePatchRun(package, packagePath, request.hostPath, request.patch, messenger).Run();
  log.EndRun(result);
  EndRun();
  return result;
}

}  // namespace qel::platform::installer
