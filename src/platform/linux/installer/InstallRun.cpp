#include "platform/linux/installer/InstallRun.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "platform/InstallerService.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "platform/linux/installer/CabinetExtractor.h"
#include "platform/linux/installer/InstallerCodes.h"
#include "platform/linux/installer/PackageReader.h"
#include "platform/linux/installer/PathParts.h"

namespace qel::platform::installer {
namespace {

constexpr int kMaxRetries = 3;

// Used when a package has no execute sequence of its own.
const std::vector<std::string> kDefaultInstallSequence = {
    "CostInitialize", "FileCost", "CostFinalize", "InstallValidate", "InstallInitialize",
    "RemoveFiles", "InstallFiles", "RegisterProduct", "PublishProduct", "InstallFinalize"};
const std::vector<std::string> kDefaultAdminSequence = {
    "CostInitialize", "FileCost", "CostFinalize", "InstallValidate", "InstallInitialize",
    "InstallAdminPackage", "InstallFiles", "InstallFinalize"};

bool Exists(const std::string& path) {
  FileAttributes attributes;
  return Files().GetAttributes(path, attributes) == kSuccess && attributes.exists;
}

// A full disk is the user's to fix (free space, then Retry); access is not.
std::string WritingErrorText(const std::string& path, ErrorCode error) {
  std::string reason = error == kErrorDiskFull ? ". There is not enough space on the disk."
                                               : ". Verify that you have access to that directory.";
  return "Error 1310. Error writing to file: " + path + reason;
}

std::string StripBraces(const std::string& code) {
  std::string out;
  for (char c : code)
    if (c != '{' && c != '}') out += c;
  return out;
}

}  // namespace

InstallRun::InstallRun(Session& session, Messenger& messenger, ProductDatabase& products)
    : ActionRunner(session, messenger), products_(products) {}

bool InstallRun::Removing() const {
  if (admin_ || !session_.InstalledProduct() || !session_.Costed()) return false;
  for (const auto& [feature, state] : session_.Features())
    if (state != kFeatureStateAbsent) return false;
  return true;
}

std::string InstallRun::OperationName() const {
  if (Removing()) return "Removal";
  if (session_.InstalledProduct() && !admin_) return "Configuration";
  return "Installation";
}

ErrorCode InstallRun::Run() {
  admin_ = session_.GetProperty("ACTION") == "ADMIN";
  reinstallFeatures_ = FeatureList(session_.GetPackage(), session_.GetProperty("REINSTALL"));
  reinstallMode_ = session_.GetProperty("REINSTALLMODE");
  if (reinstallMode_.empty()) reinstallMode_ = "omus";
  std::string unique = UniqueRunSuffix();
  transaction_ = std::make_unique<Transaction>(InstallerDataFolder() + "\\backup-" + unique);
  stagingHost_ = MachineRootHostPath() + "/installer/staging-" + unique;
  stagingDesktop_ = Files().FromHostPath(stagingHost_);

  const Package& package = session_.GetPackage();
  messenger_.Send(kInstallMessageInitialize, "");
  std::string language = package.Property("ProductLanguage");
  messenger_.Send(kInstallMessageCommonData, "1: 0 2: " + (language.empty() ? "1033" : language) + " 3: 1252 ");
  messenger_.Send(kInstallMessageCommonData, "1: 1 2: " + package.Property("ProductName") + " ");

  std::string topAction = admin_ ? "ADMIN" : "INSTALL";
  messenger_.ActionStart(topAction, "");
  std::string table = admin_ ? "AdminExecuteSequence" : "InstallExecuteSequence";
  int result = kActionSuccess;
  auto sequence = package.sequences.find(table);
  if (sequence != package.sequences.end() && !sequence->second.empty()) {
    result = RunSequence(table);
  } else {
    for (const auto& action : admin_ ? kDefaultAdminSequence : kDefaultInstallSequence) {
      result = RunAction(action);
      if (result != kActionSuccess) break;
    }
  }
  if (result == kActionSuccess && scripting_) result = ExecuteScript();
  if (result == kActionSuccess) result = CommitProduct();
  if (result != kActionSuccess) {
    messenger_.Send(kInstallMessageActionStart,
                    "Action " + ClockTime() + ": Rollback. Rolling back action:");
    transaction_->Rollback();
  }
  std::error_code ignored;
  std::filesystem::remove_all(stagingHost_, ignored);
  messenger_.ActionEnded(topAction, result);

  std::string name = package.Property("ProductName");
  if (result == kActionSuccess)
    messenger_.Info("Product: " + name + " -- " + OperationName() + " completed successfully.");
  else
    messenger_.Info("Product: " + name + " -- " + OperationName() + " operation failed.");

  ErrorCode code = ResultCode(result);
  if (code == kSuccess) {
    std::string reboot = session_.GetProperty("REBOOT");
    bool suppressed = !reboot.empty() && (reboot[0] == 'R' || reboot[0] == 'r');
    if ((rebootForced_ || reboot == "Force" || reboot == "F") && !suppressed)
      code = kSuccessRebootInitiated;
    else if (rebootForced_ || rebootScheduled_)
      code = kSuccessRebootRequired;
    if (code != kSuccess) messenger_.Info("The " + name + " installation requires a restart of the machine.");
  }
  messenger_.Send(kInstallMessageTerminate, "");
  return code;
}

int InstallRun::RunSpecificAction(const std::string& action, bool& handled) {
  handled = true;
  if (action == "InstallValidate") return Validate();
  if (action == "InstallInitialize") {
    // The script's length: the actions that write script operations until InstallFinalize.
    int count = 0;
    auto sequence = session_.GetPackage().sequences.find(admin_ ? "AdminExecuteSequence" : "InstallExecuteSequence");
    if (sequence != session_.GetPackage().sequences.end()) {
      bool inside = false;
      for (const auto& row : sequence->second) {
        if (row.action == "InstallFinalize") break;
        if (inside) ++count;
        if (row.action == "InstallInitialize") inside = true;
      }
    }
    scripting_ = true;
    if (!messenger_.Progress(0, count, 0, 1)) return kActionUserExit;
    return kActionSuccess;
  }
  if (action == "InstallFinalize") {
    if (!scripting_) return kActionSuccess;
    scripting_ = false;
    return ExecuteScript();
  }
  if (action == "RemoveFiles") {
    if (!admin_) script_.push_back(StepKind::kRemoveFiles);
    return kActionSuccess;
  }
  if (action == "InstallFiles") {
    script_.push_back(StepKind::kInstallFiles);
    return kActionSuccess;
  }
  if (action == "InstallAdminPackage") {
    if (admin_) script_.push_back(StepKind::kAdminPackage);
    return kActionSuccess;
  }
  if (action == "ScheduleReboot") {
    rebootScheduled_ = true;
    return kActionSuccess;
  }
  if (action == "ForceReboot") {
    rebootForced_ = true;
    return kActionSuccess;
  }
  handled = false;
  return kActionSuccess;
}

void InstallRun::AfterAction(const std::string& action) {
  if (!scripting_ || action == "InstallInitialize") return;
  messenger_.Progress(2, 1);
}

std::vector<InstallRun::PlannedFile> InstallRun::FilesToInstall() const {
  const Package& package = session_.GetPackage();
  std::vector<PlannedFile> planned;
  if (admin_) {
    std::string root = WithTrailingSlash(session_.GetProperty("TARGETDIR"));
    for (const auto& file : package.files) {
      const ComponentRow* component = package.FindComponent(file.component);
      if (component == nullptr) continue;
      auto dir = session_.Layout().directories.find(component->directory);
      if (dir == session_.Layout().directories.end()) continue;
      planned.push_back({&file, root + dir->second.sourceRelative + PickName(file.fileName, session_.ShortNames())});
    }
    return planned;
  }
  std::set<std::string> now = LocalComponents(package, session_.Features());
  std::set<std::string> before;
  if (const auto& installed = session_.InstalledProduct()) {
    FeatureStates states;
    for (const auto& feature : installed->features) states[feature.name] = feature.state;
    before = LocalComponents(package, states);
  }
  std::set<std::string> reinstallComponents;
  for (const auto& [feature, component] : package.featureComponents)
    if (reinstallFeatures_.count(feature)) reinstallComponents.insert(component);
  bool all = reinstallMode_.find_first_of("aA") != std::string::npos;

  for (const auto& file : package.files) {
    if (!now.count(file.component)) continue;
    const ComponentRow* component = package.FindComponent(file.component);
    if (component == nullptr) continue;
    auto holds = session_.Evaluate(component->condition);
    if (holds && !*holds) continue;
    std::string target = session_.FileTarget(file);
    if (session_.PatchPayload(file.id) != nullptr) {
      planned.push_back({&file, target});
      continue;
    }
    if (before.count(file.component)) {
      // Unversioned files carry nothing to compare: a repair restores what is missing, and
      // mode "a" rewrites everything.
      if (!reinstallComponents.count(file.component)) continue;
      if (!all && Exists(target)) continue;
    }
    planned.push_back({&file, target});
  }
  return planned;
}

std::vector<InstalledFile> InstallRun::FilesToRemove() const {
  std::vector<InstalledFile> remove;
  const auto& installed = session_.InstalledProduct();
  if (!installed || admin_) return remove;
  if (Removing()) return installed->files;
  const Package& package = session_.GetPackage();
  std::set<std::string> now = LocalComponents(package, session_.Features());
  std::map<std::string, std::string> componentOfFile;
  for (const auto& file : package.files) componentOfFile[file.id] = file.component;
  for (const auto& file : installed->files) {
    auto component = componentOfFile.find(file.key);
    if (component == componentOfFile.end() || !now.count(component->second)) remove.push_back(file);
  }
  return remove;
}

int InstallRun::Validate() {
  std::uint64_t needed = 0;
  std::string probe;
  for (const auto& file : FilesToInstall()) {
    needed += file.row->size;
    if (probe.empty()) probe = FolderOf(file.target).substr(0, 3);
  }
  if (probe.empty() || needed == 0) return kActionSuccess;
  DiskSpace space;
  if (Files().GetDiskSpace(probe, space) != kSuccess || space.freeBytes >= needed) return kActionSuccess;
  messenger_.Send(kInstallMessageOutOfDiskSpace,
                  "Out of disk space -- Volume: '" + probe + "'; required space: " +
                      std::to_string((needed + 1023) / 1024) + " KB; available space: " +
                      std::to_string(space.freeBytes / 1024) + " KB.");
  return kActionFailure;
}

int InstallRun::ExecuteScript() {
  std::uint64_t total = 1;
  std::vector<PlannedFile> toInstall = FilesToInstall();
  for (const auto& file : toInstall) total += file.row->size;
  total += FilesToRemove().size();
  if (!messenger_.Progress(0, static_cast<long long>(total), 0, 0)) return kActionUserExit;
  for (StepKind step : script_) {
    int result = kActionSuccess;
    switch (step) {
      case StepKind::kRemoveFiles: result = ExecuteRemoveFiles(); break;
      case StepKind::kInstallFiles: result = ExecuteInstallFiles(); break;
      case StepKind::kAdminPackage: result = ExecuteAdminPackage(); break;
    }
    if (result != kActionSuccess) return result;
    if (messenger_.Cancelled()) return kActionUserExit;
  }
  script_.clear();
  return kActionSuccess;
}

int InstallRun::ExecuteRemoveFiles() {
  auto files = FilesToRemove();
  messenger_.Send(kInstallMessageActionStart,
                  "Action " + ClockTime() + ": RemoveFiles. " + ActionDescription("RemoveFiles"));
  if (!messenger_.Progress(1, 1, 0)) return kActionUserExit;
  for (const auto& file : files) {
    if (!messenger_.ActionData("File: " + NameOf(file.path) + ", Directory: " + FolderOf(file.path)))
      return kActionUserExit;
    ErrorCode removed = transaction_->RemoveFile(file.path);
    if (removed != kSuccess)
      return ReportError("Error 1310. Error writing to file: " + file.path +
                         ". Verify that you have access to that directory.");
    if (!messenger_.Progress(2, 1)) return kActionUserExit;
  }
  if (const auto& installed = session_.InstalledProduct()) {
    for (auto it = installed->folders.rbegin(); it != installed->folders.rend(); ++it)
      transaction_->RemoveEmptyFolder(*it);
  }
  return kActionSuccess;
}

std::string InstallRun::UncompressedSource(const FileRow& file) const {
  const ComponentRow* component = session_.GetPackage().FindComponent(file.component);
  if (component == nullptr) return {};
  auto dir = session_.Layout().directories.find(component->directory);
  if (dir == session_.Layout().directories.end()) return {};
  bool shortNames = session_.ShortNames();
  std::string name = PickName(file.fileName, shortNames);
  return WithTrailingSlash(session_.GetProperty("SourceDir")) + dir->second.sourceRelative + name;
}

ErrorCode InstallRun::CachePackage(const std::string& local) {
  std::vector<std::string> embedded;
  for (const auto& media : session_.GetPackage().media) {
    if (!media.cabinet.empty() && media.cabinet[0] == '#') embedded.push_back(media.cabinet.substr(1));
  }
  // Without cabinets to leave out, a plain copy is much cheaper than rewriting the database.
  if (embedded.empty()) return transaction_->PlaceFile(session_.PackagePath(), local, true);
  std::string localHost;
  if (const ErrorCode error = transaction_->RemoveFile(local)) return error;
  if (Files().ToHostPath(local, localHost) != kSuccess) return kErrorPathNotFound;
  if (const ErrorCode error = WriteCachedPackage(session_.GetPackage().hostPath, embedded, localHost)) return error;
  transaction_->RecordCreatedFile(local);
  return kSuccess;
}

// The package the product was installed from, in its source folder; "" when this run is not a
// maintenance of an installed product or the source is gone.
std::string InstallRun::SourcePackageHost() const {
  const auto& installed = session_.InstalledProduct();
  if (!installed || installed->packageName.empty()) return {};
  std::string host;
  const std::string path = WithTrailingSlash(session_.GetProperty("SourceDir")) + installed->packageName;
  if (Files().ToHostPath(path, host) != kSuccess || host == session_.GetPackage().hostPath) return {};
  return host;
}

// Files of a cabinet embedded in the package are read where they lie; the machine's copy of an
// installed package has no cabinets, so maintenance reads them from the product's source.
ErrorCode InstallRun::ExtractEmbedded(const std::string& stream, int diskId, const std::set<std::string>& keys,
                                      std::string& writing) {
  std::string packageHost = session_.GetPackage().hostPath;
  ErrorCode result = ExtractEmbeddedCabinet(packageHost, stream, keys, stagingHost_, &writing);
  if (result == kErrorFileNotFound) {
    if (std::string source = SourcePackageHost(); !source.empty()) {
      packageHost = std::move(source);
      result = ExtractEmbeddedCabinet(packageHost, stream, keys, stagingHost_, &writing);
    }
  }
  if (result != kErrorNotSupported) return result;
  // A stream that cannot be read in place is copied out first.
  const std::string cabinetHost = stagingHost_ + "/cabinet-" + std::to_string(diskId) + ".cab";
  result = ExtractStream(packageHost, stream, cabinetHost);
  if (result == kErrorDiskFull || result == kErrorWriteFault) return result;
  if (result != kSuccess) return kErrorFileNotFound;
  return ExtractCabinet(cabinetHost, keys, stagingHost_, &writing);
}

int InstallRun::StageCabinets(const std::vector<PlannedFile>& files, std::set<std::string>& staged) {
  const Package& package = session_.GetPackage();
  std::map<const MediaRow*, std::set<std::string>> wanted;
  for (const auto& file : files) {
    if (session_.PatchPayload(file.row->id) != nullptr) continue;
    if (!package.FileIsCompressed(*file.row)) continue;
    const MediaRow* media = nullptr;
    for (const auto& row : package.media) {
      if (file.row->sequence <= row.lastSequence) {
        media = &row;
        break;
      }
    }
    if (media == nullptr || media->cabinet.empty())
      return ReportError("Error 1335. The cabinet file for '" + file.row->id +
                         "' required for this installation is not named by the package.");
    wanted[media].insert(file.row->id);
  }
  if (wanted.empty()) return kActionSuccess;
  std::error_code ec;
  std::filesystem::create_directories(stagingHost_, ec);
  for (const auto& [media, keys] : wanted) {
    std::string cabinetShown;
    std::string writing;
    ErrorCode result = kSuccess;
    if (media->cabinet[0] == '#') {
      cabinetShown = session_.PackagePath() + "\\" + media->cabinet.substr(1);
      result = ExtractEmbedded(media->cabinet.substr(1), media->diskId, keys, writing);
    } else {
      cabinetShown = WithTrailingSlash(session_.GetProperty("SourceDir")) + media->cabinet;
      std::string cabinetHost;
      result = Files().ToHostPath(cabinetShown, cabinetHost) == kSuccess && Exists(cabinetShown)
                   ? ExtractCabinet(cabinetHost, keys, stagingHost_, &writing)
                   : kErrorFileNotFound;
    }
    if (result == kErrorDiskFull || result == kErrorWriteFault) {
      return ReportError(WritingErrorText(writing.empty() ? stagingDesktop_ : stagingDesktop_ + "\\" + writing, result));
    }
    if (result == kInstallSourceCorrupt)
      return ReportError("Error 1335. The cabinet file '" + NameOf(cabinetShown) +
                         "' required for this installation is corrupt and cannot be used.");
    if (result != kSuccess)
      return ReportError("Error 1311. Source file not found: " + cabinetShown +
                         ". Verify that the file exists and that you can access it.");
    staged.insert(keys.begin(), keys.end());
  }
  return kActionSuccess;
}

int InstallRun::PlaceOne(const PlannedFile& file, const std::set<std::string>& staged) {
  const std::string* payload = session_.PatchPayload(file.row->id);
  bool fromCabinet = payload == nullptr && staged.count(file.row->id) != 0;
  std::string from = payload != nullptr ? *payload
                     : fromCabinet      ? stagingDesktop_ + "\\" + file.row->id
                                        : UncompressedSource(*file.row);
  for (int attempt = 0;; ++attempt) {
    ErrorCode result = transaction_->CreateFolders(FolderOf(file.target));
    if (result == kSuccess) result = transaction_->PlaceFile(from, file.target, !fromCabinet);
    if (result == kSuccess) return kActionSuccess;
    // The source is only looked at when placing failed: a look per file costs as much as a copy.
    if (!fromCabinet && !Exists(from)) return ReportError("Error 1308. Source file not found: " + from);
    int answer = messenger_.Error(WritingErrorText(file.target, result), kMbIconError | kMbRetryCancel);
    if (answer != kIdRetry || attempt + 1 >= kMaxRetries) return kActionFailure;
  }
}

int InstallRun::ExecuteInstallFiles() {
  auto files = FilesToInstall();
  messenger_.Send(kInstallMessageActionStart,
                  "Action " + ClockTime() + ": InstallFiles. " + ActionDescription("InstallFiles"));
  if (!messenger_.Progress(1, 1, 0)) return kActionUserExit;
  std::set<std::string> staged;
  int stagedResult = StageCabinets(files, staged);
  if (stagedResult != kActionSuccess) return stagedResult;
  for (const auto& file : files) {
    std::string text = "File: " + NameOf(file.target) + ", Directory: " + FolderOf(file.target) +
                       ", Size: " + std::to_string(file.row->size);
    if (!messenger_.ActionData(text)) return kActionUserExit;
    int placed = PlaceOne(file, staged);
    if (placed != kActionSuccess) return placed;
    if (!messenger_.Progress(2, static_cast<long long>(file.row->size))) return kActionUserExit;
  }
  return kActionSuccess;
}

int InstallRun::ExecuteAdminPackage() {
  messenger_.Send(kInstallMessageActionStart, "Action " + ClockTime() + ": InstallAdminPackage. " +
                                                  ActionDescription("InstallAdminPackage"));
  std::string root = WithTrailingSlash(session_.GetProperty("TARGETDIR"));
  std::string target = root + NameOf(session_.PackagePath());
  if (!messenger_.ActionData("File: " + NameOf(target) + ", Directory: " + root)) return kActionUserExit;
  ErrorCode result = transaction_->CreateFolders(root);
  if (result == kSuccess) result = transaction_->RemoveFile(target);
  std::string targetHost;
  if (result == kSuccess) result = Files().ToHostPath(target, targetHost);
  if (result == kSuccess) result = WriteAdminPackage(session_.GetPackage().hostPath, targetHost);
  if (result != kSuccess)
    return ReportError("Error 1310. Error writing to file: " + target +
                       ". Verify that you have access to that directory.");
  transaction_->RecordCreatedFile(target);
  return messenger_.Progress(2, 1) ? kActionSuccess : kActionUserExit;
}

ProductRecord InstallRun::BuildRecord() const {
  const Package& package = session_.GetPackage();
  ProductRecord record;
  if (const auto& installed = session_.InstalledProduct()) record = *installed;
  record.productCode = session_.ProductCode();
  record.name = package.Property("ProductName");
  record.version = package.Property("ProductVersion");
  record.packageCode = package.packageCode;
  record.language = package.Property("ProductLanguage");
  if (!session_.InstalledProduct()) {
    std::string allUsers = session_.GetProperty("ALLUSERS");
    record.context = allUsers.empty() ? "user:" + session_.GetProperty("LogonUser") : "machine";
    record.installSource = FolderOf(session_.PackagePath());
    record.packageName = NameOf(session_.PackagePath());
    record.transforms = session_.GetProperty("TRANSFORMS");
    record.installDate = session_.GetProperty("Date");
  }
  std::string location = session_.GetProperty("ARPINSTALLLOCATION");
  if (location.empty()) location = session_.GetProperty("INSTALLDIR");
  record.installLocation = location;

  record.features.clear();
  for (const auto& feature : package.features) {
    auto state = session_.Features().find(feature.id);
    record.features.push_back({feature.id, feature.parent,
                               state == session_.Features().end() ? kFeatureStateAbsent : state->second});
  }
  record.files.clear();
  std::set<std::string> local = LocalComponents(package, session_.Features());
  for (const auto& file : package.files) {
    if (!local.count(file.component)) continue;
    const ComponentRow* component = package.FindComponent(file.component);
    auto holds = component ? session_.Evaluate(component->condition) : std::nullopt;
    if (component == nullptr || (holds && !*holds)) continue;
    record.files.push_back({file.id, session_.FileTarget(file)});
  }
  // The product owns the folders it created and the folders of its own directories (not the
  // machine's standard folders nor the root); removal takes them away once they are empty.
  std::set<std::string> folders;
  for (const auto& folder : record.folders)
    if (Exists(folder)) folders.insert(folder);
  for (const auto& folder : transaction_->CreatedFolders()) folders.insert(folder);
  for (const auto& row : package.directories) {
    if (row.parent.empty() || row.parent == row.id || session_.IsStandardFolder(row.id)) continue;
    auto dir = session_.Layout().directories.find(row.id);
    if (dir == session_.Layout().directories.end()) continue;
    std::string folder = dir->second.target.substr(0, dir->second.target.size() - 1);
    if (folder.size() > 3 && Exists(folder)) folders.insert(folder);
  }
  // Parents sort before their children, so the reverse order removes children first.
  record.folders.assign(folders.begin(), folders.end());
  return record;
}

// The patch goes into the installer's cache beside the product's package, so that a repair
// without the patch's source can still lay its payload down. Applying it again keeps one entry.
int InstallRun::RecordPatchBeingApplied(ProductRecord& record) {
  const auto& patch = session_.PatchBeingApplied();
  if (!patch) return kActionSuccess;
  for (const auto& known : record.patches)
    if (EqualsNoCase(known.code, patch->code)) return kActionSuccess;
  std::string cache = "C:\\Windows\\Installer";
  std::string local = cache + "\\" + StripBraces(patch->code) + ".msp";
  ErrorCode cached = transaction_->CreateFolders(cache);
  if (cached == kSuccess) cached = transaction_->PlaceFile(session_.PatchBeingAppliedPath(), local, true);
  if (cached != kSuccess)
    return ReportError("Error 1310. Error writing to file: " + local + ". Verify that you have access to that directory.");
  AppliedPatch applied = *patch;
  applied.localPackage = local;
  record.patches.push_back(std::move(applied));
  return kActionSuccess;
}

int InstallRun::CommitProduct() {
  if (admin_) {
    transaction_->Commit();
    return kActionSuccess;
  }
  ProductDatabase updated = products_;
  if (Removing()) {
    const auto& installed = session_.InstalledProduct();
    if (!installed->localPackage.empty() && transaction_->RemoveFile(installed->localPackage) != kSuccess)
      return ReportError("Error 1310. Error writing to file: " + installed->localPackage + ".");
    updated.Remove(session_.ProductCode());
    // One patch may serve several products from one cached copy: the last of them takes it away.
    for (const auto& patch : installed->patches) {
      if (patch.localPackage.empty() || updated.PatchPackageInUse(patch.localPackage)) continue;
      if (transaction_->RemoveFile(patch.localPackage) != kSuccess)
        return ReportError("Error 1310. Error writing to file: " + patch.localPackage + ".");
    }
  } else {
    ProductRecord record = BuildRecord();
    if (record.localPackage.empty() || !Exists(record.localPackage)) {
      std::string cache = "C:\\Windows\\Installer";
      std::string local = cache + "\\" + StripBraces(session_.GetPackage().packageCode) + ".msi";
      ErrorCode cached = transaction_->CreateFolders(cache);
      if (cached == kSuccess) cached = CachePackage(local);
      if (cached != kSuccess)
        return ReportError("Error 1310. Error writing to file: " + local +
                           ". Verify that you have access to that directory.");
      record.localPackage = local;
    }
    if (int recorded = RecordPatchBeingApplied(record); recorded != kActionSuccess) return recorded;
    // The cache folder belongs to the machine, not to the product.
    std::erase_if(record.folders, [](const std::string& folder) {
      return folder == "C:\\Windows" || folder == "C:\\Windows\\Installer";
    });
    updated.Put(std::move(record));
  }
  if (updated.Save() != kSuccess) return ReportError("Error 1402. Could not write the product database.");
  products_ = std::move(updated);
  transaction_->Commit();
  return kActionSuccess;
}

}  // namespace qel::platform::installer
