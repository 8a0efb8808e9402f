#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ErrorCodes.h"

// Files and folders of the machine, addressed by desktop paths: a drive letter ("C:\Setup\x.msi")
// or a share ("\\server\share\x"), backslashes as separators, letter case not significant.
// Every operation answers a desktop error code (kSuccess when it worked).
namespace qel::platform {

// 100-nanosecond intervals since 1601-01-01 UTC, the desktop's file time.
struct FileTime {
  std::uint64_t ticks = 0;
  auto operator<=>(const FileTime&) const = default;
};

struct FileAttributes {
  bool exists = false;
  bool isFolder = false;
  bool readOnly = false;
  std::uint64_t size = 0;
  FileTime lastWrite;
};

// One entry of an enumeration; `name` is the entry's own name, not a path.
struct FileEntry {
  std::string name;
  bool isFolder = false;
  bool readOnly = false;
  std::uint64_t size = 0;
  FileTime lastWrite;
};

struct DiskSpace {
  std::uint64_t freeBytes = 0;   // available to the caller
  std::uint64_t totalBytes = 0;
};

// Called during a copy with the bytes copied so far and the file's size; answering false stops
// the copy, which then fails with kErrorRequestAborted and leaves no partial target behind.
using CopyProgress = std::function<bool(std::uint64_t copied, std::uint64_t total)>;

// An open file for appending; closed by its destructor.
class IAppendFile {
 public:
  virtual ~IAppendFile() = default;
  virtual ErrorCode Append(const std::string& bytes) = 0;
};

class IFileService {
 public:
  virtual ~IFileService() = default;

  virtual ErrorCode GetAttributes(const std::string& path, FileAttributes& out) = 0;
  // Sets or clears read-only; "normal" is SetReadOnly(path, false).
  virtual ErrorCode SetReadOnly(const std::string& path, bool readOnly) = 0;
  // `pattern` may hold '*' and '?' in its last component, matched without regard to case.
  // "." and ".." are never listed. A missing folder gives kErrorPathNotFound; no match gives
  // kErrorFileNotFound with an empty list.
  virtual ErrorCode Enumerate(const std::string& pattern, std::vector<FileEntry>& out) = 0;
  virtual ErrorCode CreateFolder(const std::string& path) = 0;   // kErrorAlreadyExists if there
  virtual ErrorCode RemoveFolder(const std::string& path) = 0;   // empty folders only
  virtual ErrorCode DeleteFile(const std::string& path) = 0;     // read-only gives access denied
  virtual ErrorCode CopyFile(const std::string& from, const std::string& to, bool failIfExists,
                             const CopyProgress& progress = {}) = 0;
  virtual ErrorCode MoveFile(const std::string& from, const std::string& to) = 0;
  virtual ErrorCode SetLastWriteTime(const std::string& path, FileTime time) = 0;
  virtual ErrorCode GetDiskSpace(const std::string& path, DiskSpace& out) = 0;

  virtual ErrorCode ReadFile(const std::string& path, std::string& bytes) = 0;
  // Replaces the file's content; written to a temporary name first and renamed into place.
  virtual ErrorCode WriteFile(const std::string& path, const std::string& bytes) = 0;
  // Opens for appending, creating the file when `truncate` or when it does not exist.
  virtual ErrorCode OpenAppend(const std::string& path, bool truncate,
                               std::unique_ptr<IAppendFile>& out) = 0;

  // The host path behind a desktop path, for libraries that open files themselves. An existing
  // entry is found without regard to case; a missing last component is kept as given, and so are
  // any missing folders before it (so a folder tree can be created on the host from it).
  virtual ErrorCode ToHostPath(const std::string& path, std::string& hostPath) = 0;
  // The desktop path of a host path (Z: for the host's root unless a mapping is closer).
  virtual std::string FromHostPath(const std::string& hostPath) = 0;

  // The current user's temporary folder, with a trailing backslash.
  virtual std::string TempFolder() = 0;
};

}  // namespace qel::platform
