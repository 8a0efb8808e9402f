#include "chain/UserFiles.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>
#include <vector>

#include "config/UtlPath.h"
#include "config/UtlX.h"
#include "config/UtlXProperty.h"
#include "platform/InstallerService.h"
#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "uimsg/UiMessageTypes.h"

namespace qel {
namespace {

constexpr int kMachineVersionNT = 601;
constexpr const char* kFolderMark = "\\1";

// Where the users' application-data folders are: `profilesRoot`\<profile>`belowProfile`.
struct ProfileLayout {
  std::string profilesRoot;  // without a trailing backslash
  std::string belowProfile;  // begins with a backslash, no trailing one
};

int VersionNT(const CUtlXProperty& properties) {
  const std::string text = properties.GetProperty("VersionNT");
  int version = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), version);
  if (error != std::errc() || end != text.data() + text.size()) return kMachineVersionNT;
  return version;
}

std::optional<ProfileLayout> ReadProfileLayout() {
  const CUtlXProperty properties;
  const int levelsBelowProfile = VersionNT(properties) < 600 ? 1 : 2;
  std::string appData = CUtlPath(properties.GetProperty("AppDataFolder")).GetPath();
  if (appData.empty()) {
    appData = levelsBelowProfile == 1 ? "C:\\Users\\Default\\Application Data" : "C:\\Users\\Default\\AppData\\Roaming";
  }

  // A folder too close to its drive's root has no profile (and profiles root) above it.
  const auto separators = std::count(appData.begin(), appData.end(), '\\');
  if (separators < levelsBelowProfile + 1) return std::nullopt;
  CUtlPath profile(appData);
  for (int i = 0; i < levelsBelowProfile; ++i) profile.RemoveFileSpec();
  CUtlPath root = profile;
  root.RemoveFileSpec();
  return ProfileLayout{root.GetPath(), appData.substr(profile.Text().size())};
}

void RecordPath(const std::string& path) {
  CUtlX container;
  if (container.Select("//QEL/UserFiles") == 0) return;
  if (!container.Xml().AddNodeAsChild("UsrFile")) return;
  CUtlX added;
  if (added.Select("//QEL/UserFiles/UsrFile[not(@file)]") == 0) return;
  added.Xml().SetAttribute("file", path);
}

// Records the matches of `searchPath` (wildcards in its last component); a matching folder is
// recorded with the folder mark and searched again for the same last component.
void RecordMatches(const CUtlPath& searchPath) {
  const std::string folder = searchPath.GetFolder();
  const std::string pattern = searchPath.GetFileName();
  std::vector<platform::FileEntry> entries;
  if (platform::Files().Enumerate(searchPath.Text(), entries) != platform::kSuccess) return;
  for (const platform::FileEntry& entry : entries) {
    const std::string path = folder + entry.name;
    if (!entry.isFolder) {
      RecordPath(path);
      continue;
    }
    RecordPath(path + kFolderMark);
    RecordMatches(CUtlPath(path).Append(pattern));
  }
}

std::vector<std::string> ProfileNames(const ProfileLayout& layout) {
  std::vector<platform::FileEntry> entries;
  std::vector<std::string> names;
  if (platform::Files().Enumerate(layout.profilesRoot + "\\*.*", entries) != platform::kSuccess) return names;
  for (const platform::FileEntry& entry : entries) {
    if (entry.isFolder) names.push_back(entry.name);
  }
  return names;
}

std::vector<std::string> UserFilePatterns() {
  std::vector<std::string> patterns;
  CUtlX userFiles;
  if (userFiles.Select("//QEL/UserFiles/UserFile") == 0) return patterns;
  do {
    patterns.push_back(userFiles.Xml().GetAttribute("file"));
  } while (userFiles.Xml().CounterNext() != 0);
  return patterns;
}

std::vector<std::string> RecordedPaths() {
  std::vector<std::string> paths;
  CUtlX records;
  if (records.Select("//QEL/UserFiles/UsrFile") == 0) return paths;
  do {
    std::string path = records.Xml().GetAttribute("file");
    if (!path.empty()) paths.push_back(std::move(path));
  } while (records.Xml().CounterNext() != 0);
  return paths;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(std::string_view(text).substr(0, prefix.size()), prefix);
}

// The application-data folder (with a trailing backslash) of the profile that holds `path`, when
// `path` lies strictly inside it.
std::optional<std::string> OwningAppDataFolder(const std::string& path, const ProfileLayout& layout) {
  const std::string rootFolder = layout.profilesRoot + "\\";
  if (!StartsWithNoCase(path, rootFolder)) return std::nullopt;
  const std::size_t profileEnd = path.find('\\', rootFolder.size());
  if (profileEnd == std::string::npos || profileEnd == rootFolder.size()) return std::nullopt;
  const std::string appData = path.substr(0, profileEnd) + layout.belowProfile + "\\";
  if (!StartsWithNoCase(path, appData) || path.size() == appData.size()) return std::nullopt;
  return appData;
}

bool IsManagedProductRemoved() {
  CUtlX managed;
  if (managed.Select("//QEL/Setups/Msi[@managed=\"1\"]") == 0) return false;
  const std::string productCode = managed.Xml().GetAttribute("productcode");
  const int state = productCode.empty() ? platform::kProductStateUnknown
                                        : platform::Installer().QueryProductState(productCode);
  return state != platform::kProductStateDefault && state != platform::kProductStateAbsent;
}

// Removes the record's file and the folders that it leaves empty, from its own folder up to the
// profile's application-data folder, which stays.
void RemoveRecorded(const std::string& path, const std::string& appDataFolder) {
  platform::Files().DeleteFile(path);
  CUtlPath folder(CUtlPath(path).GetFolder());
  // The other programs' empty folders in the application-data folder are not ours to remove.
  if (EqualsNoCase(folder.GetFolderPath(), appDataFolder)) return;
  folder.RemoveEmptyFolders();
  while (folder.GetFolderPath() != folder.GetRoot()) {
    if (EqualsNoCase(folder.GetFolderPath(), appDataFolder)) return;
    // Only an empty folder goes; one already gone or still holding something is stepped over.
    platform::Files().RemoveFolder(folder.GetPath());
    const std::string before = folder.GetFolderPath();
    folder.RemoveFileSpec();
    if (folder.GetFolderPath() == before) return;
  }
}

}  // namespace

void CollectUserFiles() {
  const std::vector<std::string> patterns = UserFilePatterns();
  if (patterns.empty()) return;
  const std::optional<ProfileLayout> layout = ReadProfileLayout();
  if (!layout) return;
  const std::vector<std::string> profiles = ProfileNames(*layout);
  for (const std::string& pattern : patterns) {
    if (pattern.empty()) continue;
    for (const std::string& profile : profiles) {
      RecordMatches(CUtlPath(layout->profilesRoot).Append(profile).Append(layout->belowProfile).Append(pattern));
    }
  }
}

std::uint32_t RemoveUserFiles(SetupMessagePoster poster) {
  const CUtlXProperty properties;
  if (properties.GetProperty("REMOVEUSERFILES") != "1" || properties.GetProperty("REMOVE") != "ALL") return 0;
  if (!IsManagedProductRemoved()) return 0;
  const std::optional<ProfileLayout> layout = ReadProfileLayout();
  if (!layout) return 0;

  if (poster) poster(INSTALLMESSAGE_COMMONDATA, "%s", "1:2 2:0");
  for (const std::string& path : RecordedPaths()) {
    const std::optional<std::string> appData = OwningAppDataFolder(path, *layout);
    if (appData) RemoveRecorded(path, *appData);
  }
  if (poster) poster(INSTALLMESSAGE_COMMONDATA, "%s", "1:2 2:1");
  return 0;
}

}  // namespace qel
