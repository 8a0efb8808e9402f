#include "platform/linux/installer/LinuxInstallerService.h"

#include "platform/SystemInfo.h"
#include "platform/TimeFormat.h"

#include <ctime>

#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "platform/linux/SimulatedMachine.h"
#include "platform/linux/installer/ActionRunner.h"
#include "platform/linux/installer/InstallLog.h"
#include "platform/linux/installer/InstallRun.h"
#include "platform/linux/installer/InstallerCodes.h"
#include "platform/linux/installer/Messenger.h"
#include "platform/linux/installer/PatchPayloads.h"
#include "platform/linux/installer/PackageReader.h"
#include "platform/linux/installer/ProductDatabase.h"

namespace qel::platform::installer {
namespace {

constexpr std::uint32_t kLogModeProperties = 0x400;

std::string CurrentUser() { return CurrentMachine()->UserName(); }

// "SELECT * FROM `Table`" (backquotes optional) names the table; nothing for any other query.
std::optional<std::string> SelectAllTable(const std::string& query) {
  std::string text = query;
  std::string upper = ToUpper(text);
  const std::string prefix = "SELECT * FROM ";
  if (upper.rfind(prefix, 0) != 0) return std::nullopt;
  std::string table = text.substr(prefix.size());
  while (!table.empty() && table.back() == ' ') table.pop_back();
  if (table.size() >= 2 && table.front() == '`' && table.back() == '`') table = table.substr(1, table.size() - 2);
  if (table.empty() || table.find_first_of("` ,") != std::string::npos) return std::nullopt;
  return table;
}

// The product keeps the content its patches gave it through every later maintenance. A cached
// patch that has gone or broken is skipped with a line in the log: the files then keep what is on
// the disk, or come back from the product's source when they are missing.
void AddRecordedPatchPayloads(const ProductRecord& product, PatchPayloadFolder& payloads, InstallLog& log) {
  for (const auto& applied : product.patches) {
    if (applied.localPackage.empty()) continue;
    std::string host;
    PatchPackage patch;
    bool readable = Files().ToHostPath(applied.localPackage, host) == kSuccess &&
                    ReadPatchPackage(host, patch) == kSuccess && payloads.Add(host, patch.fileKeys) == kSuccess;
    if (readable) continue;
    log.WriteLine("The cached patch " + applied.localPackage + " of " + applied.code +
                  " cannot be read; its files are left as they are.");
  }
}

}  // namespace

InstallerHandle LinuxInstallerService::Register(Entry entry) {
  std::lock_guard lock(mutex_);
  InstallerHandle handle = nextHandle_++;
  handles_.emplace(handle, std::move(entry));
  return handle;
}

template <typename T>
T* LinuxInstallerService::Find(InstallerHandle handle) {
  std::lock_guard lock(mutex_);
  auto it = handles_.find(handle);
  if (it == handles_.end()) return nullptr;
  return std::get_if<T>(&it->second);
}

std::shared_ptr<Session> LinuxInstallerService::FindSession(InstallerHandle handle) {
  if (auto* entry = Find<SessionEntry>(handle)) return entry->session;
  return nullptr;
}

LinuxInstallerService::Settings LinuxInstallerService::CurrentSettings() {
  std::lock_guard lock(mutex_);
  return settings_;
}

int LinuxInstallerService::QueryProductState(const std::string& productCode) {
  ProductDatabase products;
  if (ProductDatabase::Load(products) != kSuccess) return kProductStateUnknown;
  const ProductRecord* record = products.Find(productCode);
  if (record == nullptr) return kProductStateUnknown;
  if (record->context.rfind("user:", 0) == 0 && record->context != "user:" + CurrentUser())
    return kProductStateAbsent;
  return kProductStateDefault;
}

ErrorCode LinuxInstallerService::InstallProduct(const std::string& packagePath,
                                                const std::string& commandLine) {
  auto properties = ParsePropertyCommandLine(commandLine);
  if (!properties) return kInvalidCommandLine;
  return RunInstall(packagePath, *properties, commandLine, {});
}

ErrorCode LinuxInstallerService::ConfigureProduct(const std::string& productCode, int installLevel,
                                                  int installState, const std::string& commandLine) {
  auto properties = ParsePropertyCommandLine(commandLine);
  if (!properties) return kInvalidCommandLine;
  ProductDatabase products;
  if (ProductDatabase::Load(products) != kSuccess) return kBadConfiguration;
  const ProductRecord* record = products.Find(productCode);
  if (record == nullptr) return kUnknownProduct;
  if (installState == kFeatureStateAbsent) properties->emplace_back("REMOVE", "ALL");
  else if (installState == kFeatureStateLocal) properties->emplace_back("ADDLOCAL", "ALL");
  else if (installState != kFeatureStateDefault) return kErrorInvalidParameter;
  if (installLevel > 0) properties->emplace_back("INSTALLLEVEL", std::to_string(installLevel));
  return RunInstall(record->localPackage, *properties, commandLine, record->installSource);
}

bool LinuxInstallerService::BeginRun() {
  std::lock_guard lock(mutex_);
  if (installing_) return false;
  installing_ = true;
  return true;
}

void LinuxInstallerService::EndRun() {
  std::lock_guard lock(mutex_);
  installing_ = false;
}

ErrorCode LinuxInstallerService::RunInstall(const std::string& packagePath, const PropertyList& properties,
                                            const std::string& commandLine,
                                            const std::string& sourceOverride, const PatchRequest* patch) {
  if (!BeginRun()) return kInstallAlreadyRunning;
  Settings settings = CurrentSettings();
  InstallLog log(settings.logPath, settings.logMode, settings.logAppend);
  Messenger messenger(settings.ui, log);
  log.StartRun(packagePath, patch != nullptr ? patch->packagePath : std::string());
  log.WriteLine("******* CommandLine: " + commandLine);
  PatchPayloadFolder payloads;

  ErrorCode result = kSuccess;
  [&] {
    ProductDatabase products;
    if (ProductDatabase::Load(products) != kSuccess) {
      result = kBadConfiguration;
      return;
    }
    std::unique_ptr<Session> session;
    result = Session::Open(packagePath, products, settings.uiLevel, session);
    if (result == kInstallPackageInvalid) {
      messenger.Error("This installation package could not be opened. Verify that it is a valid installer package.", kMbIconError);
      return;
    }
    if (result != kSuccess) return;
    if (!sourceOverride.empty()) {
      session->SetProperty("SourceDir", sourceOverride);
      session->SetProperty("SOURCEDIR", sourceOverride);
    }
    for (const auto& [name, value] : properties) session->SetProperty(name, value);
    const auto& installed = session->InstalledProduct();
    bool admin = session->GetProperty("ACTION") == "ADMIN";
    if (installed && !admin && installed->packageCode != session->GetPackage().packageCode) {
      messenger.Error("Another version of this product is already installed. Installation of this "
                      "version cannot continue. To configure or remove the existing version of this "
                      "product, use Add/Remove Programs on the Control Panel.",
                      kMbIconError);
      result = kProductVersion;
      return;
    }
    if (installed && !installed->installLocation.empty() && session->GetProperty("INSTALLDIR").empty())
      session->SetProperty("INSTALLDIR", installed->installLocation);
    if (installed && !admin) AddRecordedPatchPayloads(*installed, payloads, log);
    if (patch != nullptr) {
      result = payloads.Add(patch->hostPath, patch->patch.fileKeys);
      if (result != kSuccess) {
        messenger.Error("This patch package could not be opened. Verify that the patch package exists and that "
                        "it is a valid patch package.", kMbIconError);
        return;
      }
      session->SetProperty("PATCH", patch->packagePath);
      session->SetPatchBeingApplied({patch->patch.patchCode, patch->patch.title, {}}, patch->packagePath);
    }
    session->SetPatchPayloads(payloads.Payloads());
    InstallRun run(*session, messenger, products);
    result = run.Run();
    if (settings.logMode & kLogModeProperties)
      for (const auto& [name, value] : session->Properties()) log.WriteLine("Property(S): " + name + " = " + value);
  }();

  log.EndRun(result);
  EndRun();
  return result;
}

ErrorCode LinuxInstallerService::GetProductInfo(const std::string& productCode,
                                                const std::string& attribute, std::string& value) {
  value.clear();
  ProductDatabase products;
  if (ProductDatabase::Load(products) != kSuccess) return kBadConfiguration;
  const ProductRecord* record = products.Find(productCode);
  if (record == nullptr) return kUnknownProduct;
  const std::pair<const char*, const std::string*> fields[] = {
      {"Transforms", &record->transforms},       {"InstallLocation", &record->installLocation},
      {"InstallSource", &record->installSource}, {"ProductName", &record->name},
      {"VersionString", &record->version},       {"PackageName", &record->packageName},
      {"LocalPackage", &record->localPackage},   {"Language", &record->language},
      {"PackageCode", &record->packageCode},     {"InstallDate", &record->installDate},
  };
  for (const auto& [name, field] : fields) {
    if (attribute != name) continue;
    value = *field;
    return kSuccess;
  }
  if (attribute == "AssignmentType") {
    value = record->context == "machine" ? "1" : "0";
    return kSuccess;
  }
  return kUnknownProperty;
}

ErrorCode LinuxInstallerService::OpenPackage(const std::string& packagePath, std::uint32_t,
                                             InstallerHandle& handle) {
  handle = 0;
  ProductDatabase products;
  if (ProductDatabase::Load(products) != kSuccess) return kBadConfiguration;
  std::unique_ptr<Session> session;
  ErrorCode opened = Session::Open(packagePath, products, CurrentSettings().uiLevel, session);
  if (opened == kErrorFileNotFound) return kInstallPackageOpenFailed;
  if (opened != kSuccess) return opened;
  const auto& installed = session->InstalledProduct();
  if (installed && installed->packageCode != session->GetPackage().packageCode) return kProductVersion;
  handle = Register(SessionEntry{std::shared_ptr<Session>(std::move(session))});
  return kSuccess;
}

ErrorCode LinuxInstallerService::OpenProduct(const std::string& productCode, InstallerHandle& handle) {
  handle = 0;
  ProductDatabase products;
  if (ProductDatabase::Load(products) != kSuccess) return kBadConfiguration;
  const ProductRecord* record = products.Find(productCode);
  if (record == nullptr) return kUnknownProduct;
  std::unique_ptr<Session> session;
  ErrorCode opened = Session::Open(record->localPackage, products, CurrentSettings().uiLevel, session);
  if (opened == kErrorFileNotFound) return kInstallSourceAbsent;
  if (opened != kSuccess) return opened;
  session->SetProperty("SourceDir", record->installSource);
  session->SetProperty("SOURCEDIR", record->installSource);
  if (!record->installLocation.empty()) session->SetProperty("INSTALLDIR", record->installLocation);
  handle = Register(SessionEntry{std::shared_ptr<Session>(std::move(session))});
  return kSuccess;
}

InstallerHandle LinuxInstallerService::GetActiveDatabase(InstallerHandle handle) {
  auto session = FindSession(handle);
  if (!session) return 0;
  return Register(DatabaseEntry{session});
}

ErrorCode LinuxInstallerService::ApplyTransform(InstallerHandle database, const std::string& transform, int) {
  auto* entry = Find<DatabaseEntry>(database);
  if (entry == nullptr) return kErrorInvalidHandle;
  entry->session->Transforms().push_back(transform);
  return kSuccess;
}

ErrorCode LinuxInstallerService::DoAction(InstallerHandle handle, const std::string& action) {
  auto session = FindSession(handle);
  if (!session) return kErrorInvalidHandle;
  Settings settings = CurrentSettings();
  InstallLog log(settings.logPath, settings.logMode, true);
  Messenger messenger(settings.ui, log);
  ActionRunner runner(*session, messenger);
  return ActionRunner::ResultCode(runner.RunAction(action));
}

ErrorCode LinuxInstallerService::Sequence(InstallerHandle handle, const std::string& table, int) {
  auto session = FindSession(handle);
  if (!session) return kErrorInvalidHandle;
  Settings settings = CurrentSettings();
  InstallLog log(settings.logPath, settings.logMode, true);
  Messenger messenger(settings.ui, log);
  ActionRunner runner(*session, messenger);
  return ActionRunner::ResultCode(runner.RunSequence(table));
}

ErrorCode LinuxInstallerService::GetProperty(InstallerHandle handle, const std::string& name,
                                             std::string& value) {
  auto session = FindSession(handle);
  if (!session) return kErrorInvalidHandle;
  value = session->GetProperty(name);
  return kSuccess;
}

ErrorCode LinuxInstallerService::SetProperty(InstallerHandle handle, const std::string& name,
                                             const std::string& value) {
  auto session = FindSession(handle);
  if (!session) return kErrorInvalidHandle;
  if (name.empty()) return kErrorInvalidParameter;
  session->SetProperty(name, value);
  return kSuccess;
}

ErrorCode LinuxInstallerService::OpenView(InstallerHandle database, const std::string& query,
                                          InstallerHandle& view) {
  view = 0;
  auto* entry = Find<DatabaseEntry>(database);
  if (entry == nullptr) return kErrorInvalidHandle;
  auto table = SelectAllTable(query);
  if (!table) return kBadQuerySyntax;
  ViewEntry viewEntry{entry->session, *table, false, {}, 0};
  view = Register(std::move(viewEntry));
  return kSuccess;
}

ErrorCode LinuxInstallerService::ViewExecute(InstallerHandle handle) {
  auto* view = Find<ViewEntry>(handle);
  if (view == nullptr) return kErrorInvalidHandle;
  view->rows.clear();
  view->next = 0;
  if (view->table == "_Property") {
    // The session's property table: the package's properties as the session has them now.
    for (const auto& [name, value] : view->session->Properties()) view->rows.push_back({name, value});
  } else {
    ErrorCode read = ReadTableRows(view->session->GetPackage().hostPath, view->table, view->rows);
    if (read != kSuccess) return read;
  }
  view->executed = true;
  return kSuccess;
}

ErrorCode LinuxInstallerService::ViewFetch(InstallerHandle handle, InstallerHandle& record) {
  record = 0;
  auto* view = Find<ViewEntry>(handle);
  if (view == nullptr) return kErrorInvalidHandle;
  if (!view->executed) return kFunctionFailed;
  if (view->next >= view->rows.size()) return kErrorNoMoreItems;
  RecordEntry entry{view->rows[view->next++]};
  record = Register(std::move(entry));
  return kSuccess;
}

ErrorCode LinuxInstallerService::RecordGetString(InstallerHandle handle, unsigned field, std::string& value) {
  value.clear();
  auto* record = Find<RecordEntry>(handle);
  if (record == nullptr) return kErrorInvalidHandle;
  if (field >= 1 && field <= record->fields.size()) value = record->fields[field - 1];
  return kSuccess;
}

int LinuxInstallerService::SetInternalUI(int level, std::uintptr_t* owner) {
  std::lock_guard lock(mutex_);
  int previous = settings_.uiLevel;
  if (level != kInstallUiLevelNoChange) settings_.uiLevel = level;
  if (owner != nullptr) std::swap(settings_.owner, *owner);
  return previous;
}

ExternalUi LinuxInstallerService::SetExternalUI(const ExternalUi& ui) {
  std::lock_guard lock(mutex_);
  ExternalUi previous = settings_.ui;
  settings_.ui = ui;
  return previous;
}

ErrorCode LinuxInstallerService::EnableLog(std::uint32_t logMode, const std::string& logPath,
                                           std::uint32_t attributes) {
  std::lock_guard lock(mutex_);
  settings_.logMode = logPath.empty() ? 0 : logMode;
  settings_.logPath = logMode == 0 ? std::string() : logPath;
  settings_.logAppend = (attributes & kInstallLogAttributeAppend) != 0;
  return kSuccess;
}

ErrorCode LinuxInstallerService::EnumProducts(unsigned index, std::string& productCode) {
  productCode.clear();
  ProductDatabase products;
  if (ProductDatabase::Load(products) != kSuccess) return kBadConfiguration;
  if (index >= products.Products().size()) return kErrorNoMoreItems;
  productCode = products.Products()[index].productCode;
  return kSuccess;
}

ErrorCode LinuxInstallerService::EnumFeatures(const std::string& productCode, unsigned index,
                                              std::string& feature, std::string& parent) {
  feature.clear();
  parent.clear();
  ProductDatabase products;
  if (ProductDatabase::Load(products) != kSuccess) return kBadConfiguration;
  const ProductRecord* record = products.Find(productCode);
  if (record == nullptr) return kUnknownProduct;
  if (index >= record->features.size()) return kErrorNoMoreItems;
  feature = record->features[index].name;
  parent = record->features[index].parent;
  return kSuccess;
}

int LinuxInstallerService::QueryFeatureState(const std::string& productCode, const std::string& feature) {
  ProductDatabase products;
  if (ProductDatabase::Load(products) != kSuccess) return kFeatureStateUnknown;
  const ProductRecord* record = products.Find(productCode);
  if (record == nullptr) return kFeatureStateUnknown;
  for (const auto& row : record->features)
    if (row.name == feature) return row.state;
  return kFeatureStateUnknown;
}

ErrorCode LinuxInstallerService::CloseHandle(InstallerHandle handle) {
  std::lock_guard lock(mutex_);
  return handles_.erase(handle) == 1 ? kSuccess : kErrorInvalidHandle;
}

}  // namespace qel::platform::installer

namespace qel::platform {

IInstallerService& Installer() {
  static installer::LinuxInstallerService service;
  return service;
}

}  // namespace qel::platform
