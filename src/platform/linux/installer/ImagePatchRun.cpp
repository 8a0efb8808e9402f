#include "platform/linux/installer/ImagePatchRun.h"

#include <filesystem>
#include <map>
#include <system_error>

#include "platform/InstallerService.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/linux/installer/ActionRunner.h"
#include "platform/linux/installer/DirectoryResolver.h"
#include "platform/linux/installer/PatchPayloads.h"
#include "platform/linux/installer/PathParts.h"
#include "platform/linux/installer/ProductDatabase.h"
#include "platform/linux/installer/Session.h"
#include "platform/linux/installer/Transaction.h"

namespace qel::platform::installer {
namespace {

FileAttributes AttributesOf(const std::string& path) {
  FileAttributes attributes;
  if (Files().GetAttributes(path, attributes) != kSuccess) return {};
  return attributes;
}


}  // namespace

ImagePatchRun::ImagePatchRun(const Package& package, std::string packagePath, std::string patchHostPath,
                             const PatchPackage& patch, Messenger& messenger)
    : package_(package),
      packagePath_(std::move(packagePath)),
      patchHostPath_(std::move(patchHostPath)),
      patch_(patch),
      messenger_(messenger) {}

// The image holds only the files of the patch that it has: a payload for a file the image lacks
// has nothing to replace.
std::vector<ImagePatchRun::ImageFile> ImagePatchRun::FilesOfImage() const {
  std::vector<ImageFile> files;
  const bool shortNames = (package_.wordCount & kSummarySourceShortNames) != 0;
  DirectoryLayout layout;
  if (ResolveDirectories(package_, [](const std::string&) { return std::string(); }, shortNames, layout) != kSuccess)
    return files;
  const std::string root = FolderOf(packagePath_);
  for (const auto& key : patch_.fileKeys) {
    for (const auto& file : package_.files) {
      if (file.id != key) continue;
      const ComponentRow* component = package_.FindComponent(file.component);
      if (component == nullptr) continue;
      const auto dir = layout.directories.find(component->directory);
      if (dir == layout.directories.end()) continue;
      const std::string target = root + dir->second.sourceRelative + PickName(file.fileName, shortNames);
      const FileAttributes attributes = AttributesOf(target);
      if (attributes.exists && !attributes.isFolder) files.push_back({key, target});
    }
  }
  return files;
}

int ImagePatchRun::ReplaceFiles(Transaction& transaction, const std::vector<ImageFile>& files,
                                const std::map<std::string, std::string>& payloads) {
  messenger_.Send(kInstallMessageActionStart,
                  "Action " + ClockTime() + ": InstallFiles. " + ActionDescription("InstallFiles"));
  if (!messenger_.Progress(1, 1, 0)) return kActionUserExit;
  for (const auto& file : files) {
    const std::string& payload = payloads.at(file.key);
    const std::uint64_t size = AttributesOf(payload).size;
    if (!messenger_.ActionData("File: " + NameOf(file.target) + ", Directory: " + FolderOf(file.target) +
                               ", Size: " + std::to_string(size)))
      return kActionUserExit;
    if (transaction.PlaceFile(payload, file.target, true) != kSuccess) {
      messenger_.Error("Error 1310. Error writing to file: " + file.target +
                           ". Verify that you have access to that directory.",
                       kMbIconError);
      return kActionFailure;
    }
    if (!messenger_.Progress(2, static_cast<long long>(size))) return kActionUserExit;
  }
  return kActionSuccess;
}

// The package is changed on a copy, which then takes the package's place inside the
// transaction: a failure after this step still restores the package as it was.
int ImagePatchRun::RecordPatch(Transaction& transaction, const std::string& scratchHost) {
  std::string packageHost;
  std::error_code copyError;
  const std::string copyHost = scratchHost + "/package.msi";
  std::filesystem::create_directories(scratchHost, copyError);
  if (!copyError && Files().ToHostPath(packagePath_, packageHost) == kSuccess)
    std::filesystem::copy_file(packageHost, copyHost, std::filesystem::copy_options::overwrite_existing, copyError);
  if (copyError || packageHost.empty() || RecordPatchInImagePackage(copyHost, patch_) != kSuccess ||
      transaction.PlaceFile(Files().FromHostPath(copyHost), packagePath_, false) != kSuccess) {
    messenger_.Error("Error 1310. Error writing to file: " + packagePath_ +
                         ". Verify that you have access to that directory.",
                     kMbIconError);
    return kActionFailure;
  }
  return messenger_.Progress(2, 1) ? kActionSuccess : kActionUserExit;
}

ErrorCode ImagePatchRun::Run() {
  messenger_.Send(kInstallMessageInitialize, "");
  const std::string language = package_.Property("ProductLanguage");
  const std::string name = package_.Property("ProductName");
  messenger_.Send(kInstallMessageCommonData, "1: 0 2: " + (language.empty() ? "1033" : language) + " 3: 1252 ");
  messenger_.Send(kInstallMessageCommonData, "1: 1 2: " + name + " ");
  messenger_.ActionStart("ADMIN", "");

  PatchPayloadFolder payloads;
  const std::vector<ImageFile> files = FilesOfImage();
  std::vector<std::string> keys;
  for (const auto& file : files) keys.push_back(file.key);
  int result = kActionSuccess;
  if (payloads.Add(patchHostPath_, keys) != kSuccess) {
    messenger_.Error("This patch package could not be opened. Verify that the patch package exists and that it "
                     "is a valid patch package.",
                     kMbIconError);
    messenger_.ActionEnded("ADMIN", kActionFailure);
    messenger_.Send(kInstallMessageTerminate, "");
    return kInstallPackageInvalid;
  }

  std::uint64_t total = 1;
  for (const auto& [key, payload] : payloads.Payloads()) total += AttributesOf(payload).size;
  const std::string unique = UniqueRunSuffix();
  Transaction transaction(InstallerDataFolder() + "\\backup-" + unique);
  if (!messenger_.Progress(0, static_cast<long long>(total), 0, 0)) result = kActionUserExit;
  if (result == kActionSuccess) result = ReplaceFiles(transaction, files, payloads.Payloads());
  const std::string scratchHost = MachineRootHostPath() + "/installer/image-patch-" + unique;
  if (result == kActionSuccess) result = RecordPatch(transaction, scratchHost);
  if (result == kActionSuccess) {
    transaction.Commit();
  } else {
    messenger_.Send(kInstallMessageActionStart, "Action " + ClockTime() + ": Rollback. Rolling back action:");
    transaction.Rollback();
  }
  std::error_code ignored;
  std::filesystem::remove_all(scratchHost, ignored);
  messenger_.ActionEnded("ADMIN", result);
  messenger_.Info("Product: " + name + " -- " +
                  (result == kActionSuccess ? "Installation completed successfully." : "Installation operation failed."));
  messenger_.Send(kInstallMessageTerminate, "");
  return ActionRunner::ResultCode(result);
}

}  // namespace qel::platform::installer
