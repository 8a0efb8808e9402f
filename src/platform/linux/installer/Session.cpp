#include "platform/linux/installer/Session.h"

#include "platform/SystemInfo.h"
#include "platform/TimeFormat.h"

#include <cstdlib>
#include <ctime>

#include "platform/InstallerService.h"
#include "platform/Platform.h"
#include "platform/linux/installer/ConditionEvaluator.h"
#include "platform/linux/SimulatedMachine.h"
#include "platform/linux/installer/PackageReader.h"
#include "platform/linux/installer/PathParts.h"

namespace qel::platform::installer {
namespace {

std::string UserName() { return CurrentMachine()->UserName(); }

std::string Today() { return FormatTime("%Y%m%d", SystemInfo().Now()); }

}  // namespace

std::string ClockTime() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof text, "%H:%M:%S", &local);
  return text;
}

ErrorCode Session::Open(const std::string& packagePath, const ProductDatabase& products,
                        int uiLevel, std::unique_ptr<Session>& out) {
  std::string hostPath;
  ErrorCode mapped = Files().ToHostPath(packagePath, hostPath);
  if (mapped != kSuccess) return mapped == kErrorPathNotFound ? kErrorFileNotFound : mapped;
  auto session = std::make_unique<Session>();
  ErrorCode read = ReadPackage(hostPath, session->package_);
  if (read != kSuccess) return read;
  session->packagePath_ = packagePath;
  if (const ProductRecord* record = products.Find(session->ProductCode())) session->installed_ = *record;
  for (const auto& [name, value] : session->package_.properties) session->properties_[name] = value;
  session->SetStandardProperties(uiLevel);
  out = std::move(session);
  return kSuccess;
}

void Session::SetStandardProperties(int uiLevel) {
  // The simulated machine is a 32-bit desktop; its folders follow the desktop's conventions on
  // drive C: for the machine's current user.
  std::string profile = "C:\\Users\\" + UserName() + "\\";
  const std::pair<std::string, std::string> folders[] = {
      {"ROOTDRIVE", "C:\\"},
      {"WindowsVolume", "C:\\"},
      {"WindowsFolder", "C:\\Windows\\"},
      {"SystemFolder", "C:\\Windows\\System32\\"},
      {"ProgramFilesFolder", "C:\\Program Files\\"},
      {"CommonFilesFolder", "C:\\Program Files\\Common Files\\"},
      {"CommonAppDataFolder", "C:\\ProgramData\\"},
      {"AppDataFolder", profile + "AppData\\Roaming\\"},
      {"LocalAppDataFolder", profile + "AppData\\Local\\"},
      {"PersonalFolder", profile + "Documents\\"},
      {"DesktopFolder", profile + "Desktop\\"},
      {"ProgramMenuFolder", profile + "AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\"},
      {"StartMenuFolder", profile + "AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\"},
      {"TempFolder", Files().TempFolder()},
  };
  for (const auto& [name, value] : folders) {
    properties_[name] = value;
    standardFolders_.insert(name);
  }
  properties_["VersionNT"] = "601";
  properties_["WindowsBuild"] = "7601";
  properties_["Privileged"] = "1";
  properties_["AdminUser"] = "1";
  properties_["LogonUser"] = UserName();
  properties_["USERNAME"] = UserName();
  properties_["Date"] = Today();
  properties_["Time"] = ClockTime();
  properties_["UILevel"] = std::to_string(uiLevel & 0xFF);
  properties_["OriginalDatabase"] = packagePath_;
  properties_["DATABASE"] = packagePath_;
  properties_["SourceDir"] = FolderOf(packagePath_);
  properties_["SOURCEDIR"] = FolderOf(packagePath_);
  properties_["PackageCode"] = package_.packageCode;
  if (!properties_.count("INSTALLLEVEL")) properties_["INSTALLLEVEL"] = "1";
  properties_["ProductState"] = installed_ ? "5" : "-1";
  if (installed_) {
    properties_["Installed"] = installed_->installDate.empty() ? "1" : installed_->installDate;
    properties_["ProductToBeRegistered"] = "1";
  }
}

bool Session::IsStandardFolder(const std::string& directory) const {
  return standardFolders_.count(directory) != 0;
}

std::string Session::GetProperty(const std::string& name) const {
  auto it = properties_.find(name);
  return it == properties_.end() ? std::string() : it->second;
}

void Session::SetProperty(const std::string& name, const std::string& value) {
  if (value.empty()) {
    properties_.erase(name);
    return;
  }
  properties_[name] = value;
}

int Session::InstalledFeatureState(const std::string& feature) const {
  if (!installed_) return kFeatureStateAbsent;
  for (const auto& row : installed_->features)
    if (row.name == feature) return row.state;
  return kFeatureStateAbsent;
}

std::optional<bool> Session::Evaluate(const std::string& condition) const {
  ConditionContext context;
  context.property = [this](const std::string& name) { return GetProperty(name); };
  context.state = [this](char kind, const std::string& name) -> int {
    if (kind == '!') return installed_ ? InstalledFeatureState(name) : kFeatureStateAbsent;
    if (kind == '&') {
      auto it = features_.find(name);
      if (it == features_.end()) return -1;
      return it->second == InstalledFeatureState(name) && installed_ ? -1 : it->second;
    }
    // Components follow their features: present when any feature that holds them is local.
    bool local = false;
    bool wasLocal = false;
    for (const auto& [feature, component] : package_.featureComponents) {
      if (component != name) continue;
      auto it = features_.find(feature);
      local = local || (it != features_.end() && it->second == kFeatureStateLocal);
      wasLocal = wasLocal || InstalledFeatureState(feature) == kFeatureStateLocal;
    }
    if (kind == '?') return wasLocal ? kFeatureStateLocal : kFeatureStateAbsent;
    int action = local ? kFeatureStateLocal : kFeatureStateAbsent;
    return action == (wasLocal ? kFeatureStateLocal : kFeatureStateAbsent) ? -1 : action;
  };
  return EvaluateCondition(condition, context);
}

const std::string* Session::PatchPayload(const std::string& fileKey) const {
  auto found = patchPayloads_.find(fileKey);
  return found == patchPayloads_.end() ? nullptr : &found->second;
}

void Session::SetPatchBeingApplied(AppliedPatch patch, std::string packagePath) {
  patchBeingApplied_ = std::move(patch);
  patchBeingAppliedPath_ = std::move(packagePath);
}

std::string Session::FileTarget(const FileRow& file) const {
  const ComponentRow* component = package_.FindComponent(file.component);
  if (component == nullptr) return {};
  auto dir = layout_.directories.find(component->directory);
  if (dir == layout_.directories.end()) return {};
  return dir->second.target + PickName(file.fileName, false);
}

std::string Session::Format(const std::string& text) const {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '[') {
      out += text[i];
      continue;
    }
    auto close = text.find(']', i + 1);
    if (close == std::string::npos) {
      out += text.substr(i);
      break;
    }
    std::string inner = text.substr(i + 1, close - i - 1);
    i = close;
    if (inner.size() == 2 && inner[0] == '\\') {
      out += inner[1];
      continue;
    }
    if (!inner.empty() && (inner[0] == '#' || inner[0] == '!')) {
      for (const auto& file : package_.files)
        if (file.id == inner.substr(1)) out += FileTarget(file);
      continue;
    }
    if (inner == "~") continue;
    out += GetProperty(inner);
  }
  return out;
}

ErrorCode Session::Cost(std::string* unknownFeature) {
  // Directory properties that costing itself set earlier are not overrides: a changed parent
  // (INSTALLDIR set after a first costing) must carry its children along.
  auto lookup = [this](const std::string& name) {
    std::string value = GetProperty(name);
    auto previous = resolvedDirectoryProperties_.find(name);
    if (previous != resolvedDirectoryProperties_.end() && previous->second == value) return std::string();
    return value;
  };
  DirectoryLayout layout;
  ErrorCode resolved = ResolveDirectories(package_, lookup, false, layout);
  if (resolved != kSuccess) return resolved;
  layout_ = std::move(layout);
  // An administrative image mirrors the source layout under TARGETDIR: the machine's own
  // folders play no part in it.
  if (GetProperty("ACTION") == "ADMIN") {
    std::string root = WithTrailingSlash(GetProperty("TARGETDIR"));
    if (root.empty()) root = WithTrailingSlash(GetProperty("ROOTDRIVE"));
    for (auto& [id, dir] : layout_.directories) dir.target = root + dir.sourceRelative;
  }
  for (const auto& [id, dir] : layout_.directories) {
    SetProperty(id, dir.target);
    resolvedDirectoryProperties_[id] = dir.target;
  }

  FeatureRequest request;
  request.installLevel = std::atoi(GetProperty("INSTALLLEVEL").c_str());
  if (request.installLevel <= 0) request.installLevel = 1;
  request.addLocal = GetProperty("ADDLOCAL");
  request.addSource = GetProperty("ADDSOURCE");
  request.remove = GetProperty("REMOVE");
  std::optional<FeatureStates> installedStates;
  if (installed_) {
    installedStates = FeatureStates{};
    for (const auto& feature : installed_->features) (*installedStates)[feature.name] = feature.state;
  }
  features_ = SelectFeatures(package_, request, installedStates,
                             [this](const std::string& c) { return Evaluate(c); }, unknownFeature);
  costed_ = true;
  return kSuccess;
}

}  // namespace qel::platform::installer
