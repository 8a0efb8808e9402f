#include "platform/linux/PathResolver.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <filesystem>
#include <mutex>
#include <unordered_map>

#include "platform/linux/DesktopNames.h"

namespace qel::platform {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

bool IsValidComponent(std::string_view name, bool wildcardsAllowed) {
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20) return false;
    if (c == '<' || c == '>' || c == ':' || c == '"' || c == '|' || c == '/') return false;
    if ((c == '*' || c == '?') && !wildcardsAllowed) return false;
  }
  return true;
}

bool IsFolder(const std::string& hostPath) {
  struct stat info {};
  return stat(hostPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool EntryExists(const std::string& hostPath) {
  struct stat info {};
  return fstatat(AT_FDCWD, hostPath.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

}  // namespace

ErrorCode ParseDesktopPath(std::string_view path, bool wildcardsInLast, DesktopPath& out) {
  out = {};
  std::string_view rest;
  if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') {
    rest = path.substr(2);
    if (!rest.empty() && rest.front() != '\\') return kErrorPathNotFound;  // drive-relative
    out.drive = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
  } else if (path.starts_with("\\\\")) {
    const std::string_view afterSlashes = path.substr(2);
    const auto serverEnd = afterSlashes.find('\\');
    out.server = std::string(afterSlashes.substr(0, serverEnd));
    if (out.server.empty() || serverEnd == std::string_view::npos) return kErrorBadNetPath;
    const std::string_view afterServer = afterSlashes.substr(serverEnd + 1);
    const auto shareEnd = afterServer.find('\\');
    out.share = std::string(afterServer.substr(0, shareEnd));
    if (out.share.empty()) return kErrorBadNetPath;
    if (!IsValidComponent(out.server, false) || !IsValidComponent(out.share, false)) {
      return kErrorInvalidName;
    }
    rest = shareEnd == std::string_view::npos ? std::string_view{} : afterServer.substr(shareEnd);
  } else {
    return kErrorPathNotFound;
  }

  std::vector<std::string_view> parts;
  for (std::size_t start = 0; start <= rest.size();) {
    const auto end = std::min(rest.find('\\', start), rest.size());
    parts.push_back(rest.substr(start, end - start));
    start = end + 1;
  }
  // The last non-empty part is the one that may hold wildcards.
  std::size_t lastNonEmpty = parts.size();
  for (std::size_t i = parts.size(); i-- > 0;) {
    if (!parts[i].empty()) {
      lastNonEmpty = i;
      break;
    }
  }
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::string_view part = parts[i];
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!out.components.empty()) out.components.pop_back();
      continue;
    }
    if (!IsValidComponent(part, wildcardsInLast && i == lastNonEmpty)) return kErrorInvalidName;
    out.components.emplace_back(part);
  }
  return kSuccess;
}

std::string JoinHostPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

namespace {

struct FolderState {
  dev_t device = 0;
  ino_t inode = 0;
  timespec changed{};
  bool operator==(const FolderState& other) const {
    return device == other.device && inode == other.inode && changed.tv_sec == other.changed.tv_sec &&
           changed.tv_nsec == other.changed.tv_nsec;
  }
};

std::optional<FolderState> StateOf(const std::string& folder) {
  struct stat info {};
  if (stat(folder.c_str(), &info) != 0) return std::nullopt;
  return FolderState{info.st_dev, info.st_ino, info.st_mtim};
}

// The folded names of one folder, each with the entry it stands for (the first in byte order
// when several differ only in case).
struct FolderListing {
  FolderState state;
  std::unordered_map<std::string, std::string> byFoldedName;

  void Add(const std::string& name) {
    auto [slot, inserted] = byFoldedName.try_emplace(FoldCase(name), name);
    if (!inserted && name < slot->second) slot->second = name;
  }
};

class FolderNameCache {
 public:
  std::optional<std::string> Find(const std::string& folder, const std::string& name) {
    const auto state = StateOf(folder);
    if (!state) return std::nullopt;
    std::lock_guard lock(mutex_);
    auto listing = listings_.find(folder);
    if (listing == listings_.end() || !(listing->second.state == *state)) {
      auto scanned = Scan(folder, *state);
      if (!scanned) return std::nullopt;
      if (listings_.size() >= kMaxFolders) listings_.clear();
      listing = listings_.insert_or_assign(folder, std::move(*scanned)).first;
    }
    const auto found = listing->second.byFoldedName.find(FoldCase(name));
    if (found == listing->second.byFoldedName.end()) return std::nullopt;
    return found->second;
  }

  void Changed(const std::string& hostPath, bool added) {
    const auto slash = hostPath.find_last_of('/');
    if (slash == std::string::npos) return;
    const std::string folder = slash == 0 ? "/" : hostPath.substr(0, slash);
    const std::string name = hostPath.substr(slash + 1);
    std::lock_guard lock(mutex_);
    const auto listing = listings_.find(folder);
    if (listing == listings_.end()) return;
    const auto state = StateOf(folder);
    if (!state) {
      listings_.erase(listing);
      return;
    }
    listing->second.state = *state;
    if (added) {
      listing->second.Add(name);
    } else {
      // Another spelling of the same name may remain; a rescan finds it.
      const auto entry = listing->second.byFoldedName.find(FoldCase(name));
      if (entry != listing->second.byFoldedName.end() && entry->second == name) listings_.erase(listing);
    }
  }

 private:
  static constexpr std::size_t kMaxFolders = 256;

  static std::optional<FolderListing> Scan(const std::string& folder, const FolderState& state) {
    DirHandle dir(opendir(folder.c_str()));
    if (!dir) return std::nullopt;
    FolderListing listing{state, {}};
    while (const dirent* entry = readdir(dir.get())) {
      const std::string_view entryName = entry->d_name;
      if (entryName == "." || entryName == "..") continue;
      listing.Add(std::string(entryName));
    }
    return listing;
  }

  std::mutex mutex_;
  std::unordered_map<std::string, FolderListing> listings_;
};

FolderNameCache& NameCache() {
  static FolderNameCache cache;
  return cache;
}

}  // namespace

std::optional<std::string> FindEntry(const std::string& folder, const std::string& name) {
  if (EntryExists(JoinHostPath(folder, name))) return name;
  return NameCache().Find(folder, name);
}

void NoteEntryAdded(const std::string& hostPath) { NameCache().Changed(hostPath, true); }
void NoteEntryRemoved(const std::string& hostPath) { NameCache().Changed(hostPath, false); }

PathResolver::PathResolver(std::shared_ptr<const SimulatedMachine> machine)
    : machine_(std::move(machine)) {}

ErrorCode PathResolver::VolumeFolder(const DesktopPath& path, std::string& folder) const {
  const auto mapped = path.drive ? machine_->DriveFolder(path.drive)
                                 : machine_->ShareFolder(path.server, path.share);
  if (!mapped) return path.drive ? kErrorPathNotFound : kErrorBadNetPath;
  folder = *mapped;
  return kSuccess;
}

ErrorCode PathResolver::Resolve(std::string_view path, ResolvedPath& out,
                                MissingTail missing) const {
  DesktopPath parsed;
  if (const ErrorCode error = ParseDesktopPath(path, false, parsed)) return error;
  return Resolve(parsed, out, missing);
}

// Most paths name entries spelled exactly as they are on disk, or a new entry in such a folder:
// the kernel walks the whole path in one call then, where the walk below costs two calls per
// component. Answers false when the path needs that walk (a folder spelled in another case or
// missing, or not a folder).
bool PathResolver::ResolveExactSpelling(const std::string& volume, const DesktopPath& path,
                                        ResolvedPath& out) const {
  std::string parent = volume;
  for (std::size_t i = 0; i + 1 < path.components.size(); ++i) parent = JoinHostPath(parent, path.components[i]);
  std::string full = JoinHostPath(parent, path.components.back());
  struct stat info {};
  if (lstat(full.c_str(), &info) == 0) {
    out.hostPath = std::move(full);
    out.exists = true;
    return true;
  }
  if (errno != ENOENT) return false;
  if (!IsFolder(parent)) return false;
  if (const auto entry = NameCache().Find(parent, path.components.back())) {
    out.hostPath = JoinHostPath(parent, *entry);
    out.exists = true;
    return true;
  }
  out.hostPath = std::move(full);
  out.exists = false;
  return true;
}

ErrorCode PathResolver::Resolve(const DesktopPath& path, ResolvedPath& out,
                                MissingTail missing) const {
  out = {};
  std::string current;
  if (const ErrorCode error = VolumeFolder(path, current)) return error;
  out.isRoot = path.components.empty();
  // An entry found under the volume's folder shows that the folder is there.
  if (!out.isRoot && ResolveExactSpelling(current, path, out)) return kSuccess;
  if (!IsFolder(current)) return path.drive ? kErrorPathNotFound : kErrorBadNetPath;
  bool found = true;
  for (std::size_t i = 0; i < path.components.size(); ++i) {
    const std::string& component = path.components[i];
    const bool last = i + 1 == path.components.size();
    if (!found) {
      current = JoinHostPath(current, component);
      continue;
    }
    const auto entry = FindEntry(current, component);
    if (!entry) {
      if (!last && missing == MissingTail::kLastOnly) return kErrorPathNotFound;
      found = false;
      current = JoinHostPath(current, component);
      continue;
    }
    current = JoinHostPath(current, *entry);
    if (!last && !IsFolder(current)) return kErrorPathNotFound;
  }
  out.hostPath = std::move(current);
  out.exists = found;
  return kSuccess;
}

std::string PathResolver::FromHostPath(const std::string& hostPath) const {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path absolute = fs::absolute(hostPath, ec);
  if (ec) absolute = hostPath;
  std::string normal = absolute.lexically_normal().string();
  while (normal.size() > 1 && normal.back() == '/') normal.pop_back();

  std::string bestName;
  std::size_t bestLength = 0;
  for (const auto& [name, folder] : machine_->Mappings()) {
    const bool inside = folder == "/" || normal == folder ||
                        (normal.starts_with(folder) && normal[folder.size()] == '/');
    if (!inside || (!bestName.empty() && folder.size() <= bestLength)) continue;
    bestName = name;
    bestLength = folder == "/" ? 0 : folder.size();
  }
  if (bestName.empty()) bestName = "Z:";
  std::string rest = normal.substr(std::min(bestLength, normal.size()));
  for (char& c : rest) {
    if (c == '/') c = '\\';
  }
  if (rest.empty() || rest == "\\") return bestName + "\\";
  if (rest.front() != '\\') rest.insert(rest.begin(), '\\');
  return bestName + rest;
}

}  // namespace qel::platform
