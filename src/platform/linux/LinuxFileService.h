#pragma once
#include <ctime>
#include <memory>

#include "platform/FileService.h"
#include "platform/linux/PathResolver.h"
#include "platform/linux/SimulatedMachine.h"

// The file service of the simulated machine: desktop paths resolved by PathResolver, host
// errors answered as desktop codes.
//
// Read-only is the owner's write permission bit. Because root ignores permission bits, the
// operations that the desktop refuses on a read-only file (delete, overwrite, append) check the
// bit themselves. Whole-file writes and copies over an existing file go to a hidden sibling
// first and are renamed into place; a copy to a new name is written in place (a temporary and a
// rename cost as much as copying a small file) and removed again when it fails. Either way a
// failure or a cancel never leaves a partial target. Free space is that of the
// volume holding the nearest existing folder of the path, so a folder not yet created can be
// asked about.
namespace qel::platform {

class LinuxFileService final : public IFileService {
 public:
  explicit LinuxFileService(std::shared_ptr<const SimulatedMachine> machine);

  ErrorCode GetAttributes(const std::string& path, FileAttributes& out) override;
  ErrorCode SetReadOnly(const std::string& path, bool readOnly) override;
  ErrorCode Enumerate(const std::string& pattern, std::vector<FileEntry>& out) override;
  ErrorCode CreateFolder(const std::string& path) override;
  ErrorCode RemoveFolder(const std::string& path) override;
  ErrorCode DeleteFile(const std::string& path) override;
  ErrorCode CopyFile(const std::string& from, const std::string& to, bool failIfExists,
                     const CopyProgress& progress) override;
  ErrorCode MoveFile(const std::string& from, const std::string& to) override;
  ErrorCode SetLastWriteTime(const std::string& path, FileTime time) override;
  ErrorCode GetDiskSpace(const std::string& path, DiskSpace& out) override;
  ErrorCode ReadFile(const std::string& path, std::string& bytes) override;
  ErrorCode WriteFile(const std::string& path, const std::string& bytes) override;
  ErrorCode OpenAppend(const std::string& path, bool truncate,
                       std::unique_ptr<IAppendFile>& out) override;
  ErrorCode ToHostPath(const std::string& path, std::string& hostPath) override;
  std::string FromHostPath(const std::string& hostPath) override;
  std::string TempFolder() override;

 private:
  // Resolves a path whose every component must exist (kErrorFileNotFound for a missing last).
  ErrorCode ResolveExisting(const std::string& path, ResolvedPath& out) const;
  // Resolves the target of a write: its folder must exist, a folder or a read-only file there
  // refuses the write.
  ErrorCode ResolveWritableFile(const std::string& path, ResolvedPath& out) const;

  std::shared_ptr<const SimulatedMachine> machine_;
  PathResolver resolver_;
};

// Host time <-> desktop file time.
FileTime FileTimeFromTimespec(const timespec& time);
timespec TimespecFromFileTime(FileTime time);

}  // namespace qel::platform
