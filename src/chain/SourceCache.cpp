#include "chain/SourceCache.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "chain/Dependents.h"
#include "chain/ResultCodes.h"
#include "chain/UtlXSetup.h"
#include "chain/UtlXSetupMsi.h"
#include "config/UtlPath.h"
#include "config/UtlX.h"
#include "config/UtlXProperty.h"
#include "platform/FileService.h"
#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "uimsg/SendSetupMessage.h"
#include "uimsg/SetupMessageFormat.h"
#include "uimsg/UiMessageTypes.h"
#include "uimsg/UtlXLogFile.h"

namespace qel {
namespace {

constexpr const char* kCacheProperty = "CACHE_SETUP_SOURCE";
constexpr const char* kOptionProperty = "CACHE_SETUP_SOURCE_OPTION";
constexpr const char* kShowUiProperty = "CACHE_SETUP_SOURCE_SHOWUI";
constexpr const char* kSourceFiles = "//QEL/SourceFiles/SourceFile";
constexpr const char* kSrcFiles = "//QEL/SourceFiles/SrcFile";
constexpr const char* kCachedSrcFiles = "//QEL/SourceFiles/SrcFile[@result=\"0\"]";
constexpr const char* kCacheFeature = "//QEL/FeatureTree//Feature[@property=\"CACHE_SETUP_SOURCE\"]";

bool IsManagedProductInstalled() {
  CUtlXSetupMsi managed;
  return managed.SelectManaged() > 0 && managed.IsProductInstalled();
}

void SwitchCachingOff(CUtlXProperty& properties) {
  properties.SetProperty(kCacheProperty, "0");
  properties.SetProperty(kShowUiProperty, "Hide");
}

// The chain's root folder with one trailing backslash; empty when the chain has none.
std::string SourceRootFolder() {
  CUtlXSetup setups;
  if (setups.Select("") == 0) return {};
  const std::string root = setups.GetRootFolder();
  return root.empty() ? std::string() : CUtlPath(root).GetFolderPath();
}

// "Setup" below the normalised INSTALLDIR, with one trailing backslash. Without an INSTALLDIR
// there is no cache: normalising an empty folder would give a relative path.
std::optional<std::string> CacheFolder(const CUtlXProperty& properties) {
  const std::string installDir = properties.GetProperty("INSTALLDIR");
  if (installDir.empty()) return std::nullopt;
  CUtlPath folder(installDir);
  folder.NormalizeFolder();
  if (!folder.Is(CUtlPath::kAbsolute)) return std::nullopt;
  folder.Append("Setup");
  return folder.GetFolderPath();
}

bool StartsWithFolder(const std::string& path, const std::string& folder) {
  return !folder.empty() && ToLower(path).starts_with(ToLower(folder));
}

// Removes `folder` and its sub-folders when empty, then each parent up to and including the
// cache folder that is left empty. Folders outside the cache are never touched.
void RemoveEmptyCacheFolders(CUtlPath folder, const std::optional<std::string>& cacheFolder) {
  folder.RemoveEmptyFolders();
  if (!cacheFolder) return;
  while (StartsWithFolder(folder.GetFolderPath(), *cacheFolder)) {
    platform::Files().RemoveFolder(folder.GetPath());  // refuses a folder that is not empty
    const std::string before = folder.GetFolderPath();
    folder.RemoveFileSpec();
    if (folder.IsEmpty() || folder.GetFolderPath() == before) return;
  }
}

void DeleteIfFile(const std::string& path) {
  platform::FileAttributes attributes;
  if (platform::Files().GetAttributes(path, attributes) != platform::kSuccess) return;
  if (!attributes.exists || attributes.isFolder) return;
  platform::Files().SetReadOnly(path, false);
  platform::Files().DeleteFile(path);
}

// The bar gets one tick per file, stepped by each action-data message.
void PostFileProgressRecords(int fileCount) {
  SendSetupMessage(INSTALLMESSAGE_PROGRESS, "%s", "1: 0 2: 0 3: 0 4: 1 ");
  SendSetupMessage(INSTALLMESSAGE_PROGRESS, "1: 0 2: %d 3: 0 4: 0 ", fileCount);
  SendSetupMessage(INSTALLMESSAGE_PROGRESS, "%s", "1: 1 2: 1 3: 1 4: 0 ");
}

// Expands `SourceFile` patterns into `SrcFile` elements. Desktop paths ignore letter case, so a
// file reached by two patterns in different spellings is still one file: listed and counted once.
class SourceFileCollector {
 public:
  SourceFileCollector(bool markCached) : markCached_(markCached) {
    CUtlX existing;
    if (existing.Select(kSrcFiles) == 0) return;
    do {
      known_.insert(ToLower(existing.Xml().GetAttribute("file")));
    } while (existing.Xml().CounterNext());
  }

  // Every file that `pattern` matches, and every file at any depth below a folder it matches.
  void Expand(const std::string& pattern) {
    std::vector<platform::FileEntry> entries;
    if (platform::Files().Enumerate(pattern, entries) != platform::kSuccess) return;
    const std::string folder = CUtlPath(pattern).GetFolder();
    for (const platform::FileEntry& entry : entries) {
      if (entry.name == "." || entry.name == "..") continue;
      const std::string path = folder + entry.name;
      if (entry.isFolder) {
        Expand(CUtlPath(path).Append("*.*").Text());
        continue;
      }
      Add(path, entry.size);
    }
  }

  std::uint64_t TotalBytes() const { return total_; }

 private:
  void Add(const std::string& path, std::uint64_t size) {
    if (!known_.insert(ToLower(path)).second) return;
    if (!AppendElement()) return;
    list_.Xml().SetAttribute("size", std::to_string(size));
    if (markCached_) list_.Xml().SetAttribute("result", "0");
    list_.Xml().SetAttribute("file", path);
    total_ += size;
  }

  // New elements go after the last child of the first SourceFiles element; the cursor keeps the
  // newest one as its last node, so the list grows in the order the files are found.
  bool AppendElement() {
    if (!listSelected_) {
      listSelected_ = list_.Select("(//QEL/SourceFiles)[1]/*") > 0;
      if (!listSelected_) return false;
    }
    return list_.Xml().AddNodeToEndOfList("SrcFile");
  }

  bool markCached_;
  std::set<std::string> known_;
  CUtlX list_;
  bool listSelected_ = false;
  std::uint64_t total_ = 0;
};

// Lists the files; false when nothing is listed.
bool CollectSourceFiles(CUtlXProperty& properties) {
  CUtlX sourceFiles;
  if (sourceFiles.Select(kSourceFiles) == 0) {
    SwitchCachingOff(properties);
    return false;
  }
  // An installed product's files are looked for in its cache, where an earlier run put them.
  const bool installed = IsManagedProductInstalled();
  std::string base = SourceRootFolder();
  if (installed) base = CacheFolder(properties).value_or(std::string());
  if (base.empty()) return false;

  SourceFileCollector collector(installed);
  do {
    const std::string file = sourceFiles.Xml().GetAttribute("file");
    if (file.empty()) continue;
    const std::string path = CUtlPath(base).Append(file).Text();
    sourceFiles.Xml().SetAttribute("file", path);
    collector.Expand(path);
  } while (sourceFiles.Xml().CounterNext());

  const std::uint64_t bytes = collector.TotalBytes();
  properties.SetProperty("CACHE_SETUP_SOURCE_SIZE_IN_BYTES", std::to_string(bytes));
  properties.SetProperty("CACHE_SETUP_SOURCE_SIZE_IN_KB", std::to_string(bytes / 1024));
  properties.SetProperty("CACHE_SETUP_SOURCE_SIZE_IN_MB", std::to_string(bytes / 1024 / 1024));
  return true;
}

// Copies the current `SrcFile` into the cache; 0, 1602 or the system error.
std::uint32_t CopySourceFile(CUtlX& item, const std::string& sourceRoot, const std::string& cacheFolder) {
  const std::string source = item.Xml().GetAttribute("file");
  // A file outside the source root would be "copied" onto itself, and the delete before the
  // copy would destroy the original: such a file is not cached.
  if (!StartsWithFolder(source, sourceRoot)) {
    SendSetupMessage(INSTALLMESSAGE_ACTIONDATA, "%s", source);
    LogTimed(FormatSetupText("Source cache: %s is not below the source folder and is not cached", source));
    return kResultSuccess;
  }
  const std::string copy = cacheFolder + source.substr(sourceRoot.size());
  CUtlPath().CreateFolders(copy);
  SendSetupMessage(INSTALLMESSAGE_ACTIONDATA, "%s", copy);
  DeleteIfFile(copy);

  // The user's Cancel reaches the copy as the answer to a progress message.
  const platform::ErrorCode error = platform::Files().CopyFile(
      source, copy, false, [](std::uint64_t, std::uint64_t) {
        return SendSetupMessage(INSTALLMESSAGE_PROGRESS, "%s", "") != kAnswerCancel;
      });
  if (error == platform::kSuccess) {
    item.Xml().SetAttribute("result", "0");
    item.Xml().SetAttribute("file", copy);
    ReplaceItemFile(source, copy);
    return kResultSuccess;
  }
  CUtlPath folder(copy);
  RemoveEmptyCacheFolders(folder.RemoveFileSpec(), cacheFolder);
  if (error == platform::kErrorRequestAborted) return kResultUserCancel;
  LogTimed(FormatSetupText("Source cache: copying %s to %s failed with %d", source, copy, static_cast<int>(error)));
  return error;
}

}  // namespace

void SourceCacheInitialisation() {
  CUtlXProperty properties;
  const std::string option = ToLower(properties.GetProperty(kOptionProperty));
  if (!properties.GetProperty("DisableBrowse").empty() || !properties.GetProperty("IsAdminPackage").empty() ||
      option == "disable") {
    SwitchCachingOff(properties);
    return;
  }
  if (!CollectSourceFiles(properties)) return;

  CUtlX feature;
  feature.Xml().SetAttributeSingleNode(kCacheFeature, "size", properties.GetProperty("CACHE_SETUP_SOURCE_SIZE_IN_KB"));
  if (option == "force") {
    properties.SetProperty(kShowUiProperty, "Show");
    properties.SetProperty(kCacheProperty, "1");
  }
}

std::uint32_t CopyAllSourceFiles() {
  if (IsManagedProductInstalled()) return kResultSuccess;
  CUtlXProperty properties;
  if (properties.GetProperty(kCacheProperty) != "1" || properties.GetProperty(kOptionProperty) == "Disable")
    return kResultSuccess;
  CUtlX files;
  const int count = files.Select(kSrcFiles);
  if (count == 0) return kResultSuccess;

  const std::string sourceRoot = SourceRootFolder();
  const std::optional<std::string> cacheFolder = CacheFolder(properties);
  if (sourceRoot.empty() || !cacheFolder) {
    LogTimed("Source cache: no source folder or no INSTALLDIR; nothing is cached");
    return kResultSuccess;
  }

  properties.SetProperty("Str.ProgressTotalText.Complete", properties.GetProperty("Str.CacheSetupSource.Progress.text"));
  // A cancel that was pending before the copy began ends the item at once (the handler has
  // already written its end).
  if (SendSetupMessage(SETUPMESSAGE_ITEMSTART, "%s", "SetupCacheSource_CopyAllFiles|QELCustom|0") ==
      kAnswerItemCancelled)
    return kResultUserCancel;
  PostFileProgressRecords(count);

  std::uint32_t result = kResultSuccess;
  do {
    result = CopySourceFile(files, sourceRoot, *cacheFolder);
  } while (result == kResultSuccess && files.Xml().CounterNext());
  SendSetupMessage(SETUPMESSAGE_ITEMEND, "%d", static_cast<int>(result));
  return result;
}

void DeleteAllSourceFiles() {
  if (IsManagedProductInstalled()) return;
  CUtlX files;
  const int count = files.Select(kCachedSrcFiles);
  if (count == 0) return;

  SendSetupMessage(SETUPMESSAGE_ITEMSTART, "%s", "SetupCacheSource_DeleteAllFiles|QELCustom|0");
  PostFileProgressRecords(count);
  const std::optional<std::string> cacheFolder = CacheFolder(CUtlXProperty());
  do {
    SendSetupMessage(INSTALLMESSAGE_ACTIONDATA, "%s", "");
    const std::string path = files.Xml().GetAttribute("file");
    if (path.empty()) continue;
    DeleteIfFile(path);
    CUtlPath folder(path);
    RemoveEmptyCacheFolders(folder.RemoveFileSpec(), cacheFolder);
  } while (files.Xml().CounterNext());
}

}  // namespace qel
