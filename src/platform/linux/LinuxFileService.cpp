#include "platform/linux/LinuxFileService.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/linux/DesktopNames.h"
#include "platform/linux/ErrnoMapping.h"
#include "platform/linux/HostFile.h"

namespace qel::platform {
namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;

bool IsReadOnly(const struct stat& info) { return (info.st_mode & S_IWUSR) == 0; }

std::string ParentOf(const std::string& hostPath) {
  const auto slash = hostPath.rfind('/');
  if (slash == 0 || slash == std::string::npos) return "/";
  return hostPath.substr(0, slash);
}

FileEntry EntryFromStat(std::string name, const struct stat& info) {
  FileEntry entry;
  entry.name = std::move(name);
  entry.isFolder = S_ISDIR(info.st_mode);
  entry.readOnly = IsReadOnly(info);
  entry.size = entry.isFolder ? 0 : static_cast<std::uint64_t>(info.st_size);
  entry.lastWrite = FileTimeFromTimespec(info.st_mtim);
  return entry;
}

// A link that points nowhere is still an entry of its folder; it is listed as an empty file.
bool StatEntry(int dirFd, const char* name, struct stat& info) {
  return fstatat(dirFd, name, &info, 0) == 0 || fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) == 0;
}

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

class LinuxAppendFile final : public IAppendFile {
 public:
  explicit LinuxAppendFile(UniqueFd fd) : fd_(std::move(fd)) {}
  ErrorCode Append(const std::string& bytes) override {
    return WriteAll(fd_.Get(), bytes.data(), bytes.size());
  }

 private:
  UniqueFd fd_;
};

}  // namespace

FileTime FileTimeFromTimespec(const timespec& time) {
  const std::int64_t seconds = static_cast<std::int64_t>(time.tv_sec) + kSecondsFrom1601To1970;
  if (seconds < 0) return {};
  return {static_cast<std::uint64_t>(seconds) * kTicksPerSecond +
          static_cast<std::uint64_t>(time.tv_nsec) / 100};
}

timespec TimespecFromFileTime(FileTime time) {
  timespec result{};
  result.tv_sec = static_cast<time_t>(static_cast<std::int64_t>(time.ticks / kTicksPerSecond) -
                                      kSecondsFrom1601To1970);
  result.tv_nsec = static_cast<long>(time.ticks % kTicksPerSecond) * 100;
  return result;
}

LinuxFileService::LinuxFileService(std::shared_ptr<const SimulatedMachine> machine)
    : machine_(machine), resolver_(std::move(machine)) {}

ErrorCode LinuxFileService::ResolveExisting(const std::string& path, ResolvedPath& out) const {
  if (const ErrorCode error = resolver_.Resolve(path, out)) return error;
  return out.exists ? kSuccess : kErrorFileNotFound;
}

ErrorCode LinuxFileService::ResolveWritableFile(const std::string& path, ResolvedPath& out) const {
  if (const ErrorCode error = resolver_.Resolve(path, out)) return error;
  if (out.isRoot) return kErrorAccessDenied;
  if (!out.exists) return kSuccess;
  struct stat info {};
  if (stat(out.hostPath.c_str(), &info) != 0) return kSuccess;  // a dangling link is replaced
  if (S_ISDIR(info.st_mode) || IsReadOnly(info)) return kErrorAccessDenied;
  return kSuccess;
}

ErrorCode LinuxFileService::GetAttributes(const std::string& path, FileAttributes& out) {
  out = {};
  ResolvedPath resolved;
  if (const ErrorCode error = ResolveExisting(path, resolved)) return error;
  struct stat info {};
  if (stat(resolved.hostPath.c_str(), &info) != 0) return DesktopErrorFromErrno(errno);
  const FileEntry entry = EntryFromStat({}, info);
  out.exists = true;
  out.isFolder = entry.isFolder;
  out.readOnly = entry.readOnly;
  out.size = entry.size;
  out.lastWrite = entry.lastWrite;
  return kSuccess;
}

ErrorCode LinuxFileService::SetReadOnly(const std::string& path, bool readOnly) {
  ResolvedPath resolved;
  if (const ErrorCode error = ResolveExisting(path, resolved)) return error;
  struct stat info {};
  if (stat(resolved.hostPath.c_str(), &info) != 0) return DesktopErrorFromErrno(errno);
  const mode_t mode = readOnly ? (info.st_mode & ~mode_t{S_IWUSR | S_IWGRP | S_IWOTH})
                               : (info.st_mode | S_IWUSR);
  if (chmod(resolved.hostPath.c_str(), mode & 07777) != 0) return DesktopErrorFromErrno(errno);
  return kSuccess;
}

ErrorCode LinuxFileService::Enumerate(const std::string& pattern, std::vector<FileEntry>& out) {
  out.clear();
  DesktopPath parsed;
  if (const ErrorCode error = ParseDesktopPath(pattern, true, parsed)) return error;
  if (parsed.components.empty()) return kErrorFileNotFound;  // a volume's root is no entry
  const std::string last = parsed.components.back();
  parsed.components.pop_back();

  ResolvedPath folder;
  if (const ErrorCode error = resolver_.Resolve(parsed, folder, MissingTail::kLastOnly)) return error;
  if (!folder.exists) return kErrorPathNotFound;
  std::unique_ptr<DIR, DirCloser> dir(opendir(folder.hostPath.c_str()));
  if (!dir) return DesktopErrorFromErrno(errno, kErrorPathNotFound);

  struct stat info {};
  if (!HasWildcards(last)) {
    const auto name = FindEntry(folder.hostPath, last);
    if (!name || !StatEntry(dirfd(dir.get()), name->c_str(), info)) return kErrorFileNotFound;
    out.push_back(EntryFromStat(*name, info));
    return kSuccess;
  }
  while (const dirent* entry = readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == ".." || !MatchesWildcard(name, last)) continue;
    if (!StatEntry(dirfd(dir.get()), entry->d_name, info)) continue;  // gone since it was listed
    out.push_back(EntryFromStat(std::string(name), info));
  }
  if (out.empty()) return kErrorFileNotFound;
  // The desktop lists in name order without regard to case; the host's order is arbitrary.
  std::vector<std::pair<std::string, FileEntry>> keyed;
  keyed.reserve(out.size());
  for (FileEntry& entry : out) keyed.emplace_back(FoldCase(entry.name), std::move(entry));
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : a.second.name < b.second.name;
  });
  out.clear();
  for (auto& [key, entry] : keyed) out.push_back(std::move(entry));
  return kSuccess;
}

ErrorCode LinuxFileService::CreateFolder(const std::string& path) {
  ResolvedPath resolved;
  if (const ErrorCode error = resolver_.Resolve(path, resolved)) return error;
  if (resolved.exists) return kErrorAlreadyExists;
  if (mkdir(resolved.hostPath.c_str(), 0777) != 0) {
    return DesktopErrorFromErrno(errno, kErrorPathNotFound);
  }
  NoteEntryAdded(resolved.hostPath);
  return kSuccess;
}

ErrorCode LinuxFileService::RemoveFolder(const std::string& path) {
  ResolvedPath resolved;
  if (const ErrorCode error = ResolveExisting(path, resolved)) return error;
  if (resolved.isRoot) return kErrorAccessDenied;
  struct stat info {};
  if (lstat(resolved.hostPath.c_str(), &info) != 0) return DesktopErrorFromErrno(errno);
  if (!S_ISDIR(info.st_mode)) return kErrorDirectory;
  if (rmdir(resolved.hostPath.c_str()) != 0) return DesktopErrorFromErrno(errno);
  NoteEntryRemoved(resolved.hostPath);
  return kSuccess;
}

ErrorCode LinuxFileService::DeleteFile(const std::string& path) {
  ResolvedPath resolved;
  if (const ErrorCode error = ResolveExisting(path, resolved)) return error;
  struct stat info {};
  if (lstat(resolved.hostPath.c_str(), &info) != 0) return DesktopErrorFromErrno(errno);
  if (S_ISDIR(info.st_mode)) return kErrorAccessDenied;
  if (S_ISREG(info.st_mode) && IsReadOnly(info)) return kErrorAccessDenied;
  if (unlink(resolved.hostPath.c_str()) != 0) return DesktopErrorFromErrno(errno);
  NoteEntryRemoved(resolved.hostPath);
  return kSuccess;
}

ErrorCode LinuxFileService::CopyFile(const std::string& from, const std::string& to,
                                     bool failIfExists, const CopyProgress& progress) {
  ResolvedPath source;
  if (const ErrorCode error = ResolveExisting(from, source)) return error;
  struct stat sourceInfo {};
  if (stat(source.hostPath.c_str(), &sourceInfo) != 0) return DesktopErrorFromErrno(errno);
  if (S_ISDIR(sourceInfo.st_mode)) return kErrorAccessDenied;

  ResolvedPath target;
  if (const ErrorCode error = resolver_.Resolve(to, target)) return error;
  if (target.isRoot) return kErrorAccessDenied;
  if (target.exists && failIfExists) return kErrorFileExists;
  if (!target.exists) {
    const ErrorCode copied = CopyHostFileToNew(source.hostPath, target.hostPath, progress);
    if (copied == kSuccess) NoteEntryAdded(target.hostPath);
    // Someone else created the name meanwhile: replace it like any existing target.
    if (copied != kErrorFileExists || failIfExists) return copied;
  }
  if (const ErrorCode error = ResolveWritableFile(to, target)) return error;
  struct stat targetInfo {};
  if (target.exists && stat(target.hostPath.c_str(), &targetInfo) == 0 &&
      targetInfo.st_dev == sourceInfo.st_dev && targetInfo.st_ino == sourceInfo.st_ino) {
    return kErrorSharingViolation;  // the desktop refuses to copy a file onto itself
  }
  const ErrorCode copied = CopyHostFile(source.hostPath, target.hostPath, progress);
  if (copied == kSuccess) NoteEntryAdded(target.hostPath);
  return copied;
}

ErrorCode LinuxFileService::MoveFile(const std::string& from, const std::string& to) {
  ResolvedPath source;
  if (const ErrorCode error = ResolveExisting(from, source)) return error;
  if (source.isRoot) return kErrorAccessDenied;
  struct stat sourceInfo {};
  if (lstat(source.hostPath.c_str(), &sourceInfo) != 0) return DesktopErrorFromErrno(errno);

  DesktopPath parsedTarget;
  if (const ErrorCode error = ParseDesktopPath(to, false, parsedTarget)) return error;
  ResolvedPath target;
  if (const ErrorCode error = resolver_.Resolve(parsedTarget, target, MissingTail::kLastOnly)) {
    return error;
  }
  if (target.isRoot) return kErrorAccessDenied;
  if (target.exists) {
    // Only the entry itself may stand at the target: a move that changes the letter case.
    struct stat targetInfo {};
    if (lstat(target.hostPath.c_str(), &targetInfo) != 0 || targetInfo.st_dev != sourceInfo.st_dev ||
        targetInfo.st_ino != sourceInfo.st_ino) {
      return kErrorAlreadyExists;
    }
  }
  const std::string targetHost = JoinHostPath(ParentOf(target.hostPath), parsedTarget.components.back());
  if (targetHost == source.hostPath) return kSuccess;
  if (renameat2(AT_FDCWD, source.hostPath.c_str(), AT_FDCWD, targetHost.c_str(), RENAME_NOREPLACE) == 0) {
    NoteEntryRemoved(source.hostPath);
    NoteEntryAdded(targetHost);
    return kSuccess;
  }
  if (errno == EEXIST) return kErrorAlreadyExists;
  if (errno != EXDEV) return DesktopErrorFromErrno(errno, kErrorPathNotFound);
  // Another volume: the desktop moves files by copying them, but not folders.
  if (!S_ISREG(sourceInfo.st_mode)) return kErrorNotSameDevice;
  if (const ErrorCode error = CopyHostFile(source.hostPath, targetHost, {})) return error;
  NoteEntryAdded(targetHost);
  if (unlink(source.hostPath.c_str()) != 0) return DesktopErrorFromErrno(errno);
  NoteEntryRemoved(source.hostPath);
  return kSuccess;
}

ErrorCode LinuxFileService::SetLastWriteTime(const std::string& path, FileTime time) {
  ResolvedPath resolved;
  if (const ErrorCode error = ResolveExisting(path, resolved)) return error;
  const timespec times[2] = {{0, UTIME_OMIT}, TimespecFromFileTime(time)};
  if (utimensat(AT_FDCWD, resolved.hostPath.c_str(), times, 0) != 0) return DesktopErrorFromErrno(errno);
  return kSuccess;
}

ErrorCode LinuxFileService::GetDiskSpace(const std::string& path, DiskSpace& out) {
  out = {};
  ResolvedPath resolved;
  if (const ErrorCode error = resolver_.Resolve(path, resolved, MissingTail::kAny)) return error;
  std::string folder = resolved.hostPath;
  struct statvfs info {};
  while (statvfs(folder.c_str(), &info) != 0) {
    if ((errno != ENOENT && errno != ENOTDIR) || folder == "/") return DesktopErrorFromErrno(errno);
    folder = ParentOf(folder);
  }
  out.freeBytes = static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
  out.totalBytes = static_cast<std::uint64_t>(info.f_blocks) * info.f_frsize;
  return kSuccess;
}

ErrorCode LinuxFileService::ReadFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  ResolvedPath resolved;
  if (const ErrorCode error = ResolveExisting(path, resolved)) return error;
  UniqueFd fd(open(resolved.hostPath.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) return DesktopErrorFromErrno(errno);
  struct stat info {};
  if (fstat(fd.Get(), &info) != 0) return DesktopErrorFromErrno(errno);
  if (S_ISDIR(info.st_mode)) return kErrorAccessDenied;
  bytes.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = read(fd.Get(), buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      bytes.clear();
      return DesktopErrorFromErrno(errno);
    }
    if (got == 0) return kSuccess;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
}

ErrorCode LinuxFileService::WriteFile(const std::string& path, const std::string& bytes) {
  ResolvedPath resolved;
  if (const ErrorCode error = ResolveWritableFile(path, resolved)) return error;
  struct stat existing {};
  const bool replaces = resolved.exists && stat(resolved.hostPath.c_str(), &existing) == 0;
  SiblingTempFile temp;
  if (const ErrorCode error = temp.Create(resolved.hostPath, 0666)) return error;
  if (replaces && fchmod(temp.Fd(), existing.st_mode & 07777) != 0) return DesktopErrorFromErrno(errno);
  if (const ErrorCode error = WriteAll(temp.Fd(), bytes.data(), bytes.size())) return error;
  const ErrorCode committed = temp.Commit();
  if (committed == kSuccess) NoteEntryAdded(resolved.hostPath);
  return committed;
}

ErrorCode LinuxFileService::OpenAppend(const std::string& path, bool truncate,
                                       std::unique_ptr<IAppendFile>& out) {
  out.reset();
  ResolvedPath resolved;
  if (const ErrorCode error = ResolveWritableFile(path, resolved)) return error;
  const int flags = O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | (truncate ? O_TRUNC : 0);
  UniqueFd fd(open(resolved.hostPath.c_str(), flags, 0666));
  if (!fd) return DesktopErrorFromErrno(errno, kErrorPathNotFound);
  NoteEntryAdded(resolved.hostPath);
  out = std::make_unique<LinuxAppendFile>(std::move(fd));
  return kSuccess;
}

ErrorCode LinuxFileService::ToHostPath(const std::string& path, std::string& hostPath) {
  hostPath.clear();
  ResolvedPath resolved;
  if (const ErrorCode error = resolver_.Resolve(path, resolved, MissingTail::kAny)) return error;
  hostPath = std::move(resolved.hostPath);
  return kSuccess;
}

std::string LinuxFileService::FromHostPath(const std::string& hostPath) {
  return resolver_.FromHostPath(hostPath);
}

std::string LinuxFileService::TempFolder() { return machine_->TempFolder(); }

}  // namespace qel::platform
