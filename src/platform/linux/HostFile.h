#pragma once
#include <sys/types.h>

#include <string>

#include "platform/FileService.h"

// Host file helpers shared by the file service: an owned descriptor, a temporary sibling that
// becomes the target only when renamed into place, and the copy loop.
namespace qel::platform {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd();

  int Get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  int Release();

 private:
  int fd_ = -1;
};

// A new file beside `target` under a hidden unique name. Removed by the destructor unless
// Commit renamed it over the target, so a failed or cancelled write leaves nothing behind.
class SiblingTempFile {
 public:
  SiblingTempFile() = default;
  SiblingTempFile(const SiblingTempFile&) = delete;
  SiblingTempFile& operator=(const SiblingTempFile&) = delete;
  ~SiblingTempFile();

  // Creates the file with `mode` (the process's umask applies).
  ErrorCode Create(const std::string& target, mode_t mode);
  int Fd() const { return fd_.Get(); }
  ErrorCode Commit();

 private:
  UniqueFd fd_;
  std::string path_;
  std::string target_;
};

// A file created where there was none (never replacing anything). Removed by the destructor
// unless Commit kept it, so a failed or cancelled write leaves nothing behind; while it is being
// written, others can see it partly written.
class NewHostFile {
 public:
  NewHostFile() = default;
  NewHostFile(const NewHostFile&) = delete;
  NewHostFile& operator=(const NewHostFile&) = delete;
  ~NewHostFile();

  // kErrorFileExists when an entry is already there.
  ErrorCode Create(const std::string& path, mode_t mode);
  int Fd() const { return fd_.Get(); }
  ErrorCode Commit();

 private:
  UniqueFd fd_;
  std::string path_;
};

// Writes all of `bytes`, retrying short writes and interruptions.
ErrorCode WriteAll(int fd, const char* bytes, std::size_t size);

// Copies the host file `from` to `to` (replacing it), keeping the permission bits and the
// modification time, with `progress` consulted after every chunk. Runs in the kernel where it
// can (copy_file_range, then sendfile) and falls back to large buffers.
ErrorCode CopyHostFile(const std::string& from, const std::string& to, const CopyProgress& progress);
// The same for a `to` that does not exist: written in place, without a temporary and a rename
// (kErrorFileExists when something is there).
ErrorCode CopyHostFileToNew(const std::string& from, const std::string& to, const CopyProgress& progress);

}  // namespace qel::platform
