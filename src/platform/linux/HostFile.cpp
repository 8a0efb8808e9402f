#include "platform/linux/HostFile.h"

#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/linux/ErrnoMapping.h"

namespace qel::platform {
namespace {

// Large enough to run at the file system's speed, small enough for a responsive cancel.
constexpr std::size_t kCopyChunk = 8u << 20;

std::string UniqueSuffix() {
  static std::atomic<unsigned> counter{0};
  char suffix[64];
  std::snprintf(suffix, sizeof suffix, ".qel-%ld-%u-%lx", static_cast<long>(getpid()),
                counter.fetch_add(1), static_cast<unsigned long>(random()));
  return suffix;
}

std::string SiblingName(const std::string& target) {
  const auto slash = target.rfind('/');
  const std::string folder = target.substr(0, slash + 1);
  return folder + "." + target.substr(slash + 1) + UniqueSuffix();
}

enum class CopyMethod { kCopyFileRange, kSendFile, kBuffer };

bool IsUnsupported(int error) {
  return error == EXDEV || error == ENOSYS || error == EOPNOTSUPP || error == EINVAL;
}

// One chunk with the best method still available; 0 at the end, -1 with errno on failure.
ssize_t CopyChunk(int in, int out, CopyMethod& method, std::vector<char>& buffer) {
  if (method == CopyMethod::kCopyFileRange) {
    const ssize_t copied = copy_file_range(in, nullptr, out, nullptr, kCopyChunk, 0);
    if (copied >= 0 || !IsUnsupported(errno)) return copied;
    method = CopyMethod::kSendFile;
  }
  if (method == CopyMethod::kSendFile) {
    const ssize_t copied = sendfile(out, in, nullptr, kCopyChunk);
    if (copied >= 0 || !IsUnsupported(errno)) return copied;
    method = CopyMethod::kBuffer;
  }
  if (buffer.empty()) buffer.resize(kCopyChunk);
  const ssize_t got = read(in, buffer.data(), buffer.size());
  if (got <= 0) return got;
  if (WriteAll(out, buffer.data(), static_cast<std::size_t>(got)) != kSuccess) return -1;
  return got;
}

}  // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = other.Release();
  }
  return *this;
}

UniqueFd::~UniqueFd() {
  if (fd_ >= 0) close(fd_);
}

int UniqueFd::Release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

SiblingTempFile::~SiblingTempFile() {
  if (!path_.empty()) unlink(path_.c_str());
}

ErrorCode SiblingTempFile::Create(const std::string& target, mode_t mode) {
  target_ = target;
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::string candidate = SiblingName(target);
    const int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) {
      fd_ = UniqueFd(fd);
      path_ = std::move(candidate);
      return kSuccess;
    }
    if (errno != EEXIST) return DesktopErrorFromErrno(errno, kErrorPathNotFound);
  }
  return kErrorAlreadyExists;
}

ErrorCode SiblingTempFile::Commit() {
  // Closing reports delayed write errors (a full disk on some file systems) before the rename.
  if (close(fd_.Release()) != 0) return DesktopErrorFromErrno(errno);
  if (rename(path_.c_str(), target_.c_str()) != 0) return DesktopErrorFromErrno(errno);
  path_.clear();
  return kSuccess;
}

NewHostFile::~NewHostFile() {
  if (!path_.empty()) unlink(path_.c_str());
}

ErrorCode NewHostFile::Create(const std::string& path, mode_t mode) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) return errno == EEXIST ? kErrorFileExists : DesktopErrorFromErrno(errno, kErrorPathNotFound);
  fd_ = UniqueFd(fd);
  path_ = path;
  return kSuccess;
}

ErrorCode NewHostFile::Commit() {
  // Closing reports delayed write errors (a full disk on some file systems).
  if (close(fd_.Release()) != 0) return DesktopErrorFromErrno(errno);
  path_.clear();
  return kSuccess;
}

ErrorCode WriteAll(int fd, const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, bytes, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return DesktopErrorFromErrno(errno);
    }
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return kSuccess;
}

namespace {

// Copies the open `in` into `out` (a SiblingTempFile or a NewHostFile) and commits it.
template <typename Target>
ErrorCode CopyInto(int in, const struct stat& source, Target& out, const CopyProgress& progress) {
  const auto total = static_cast<std::uint64_t>(source.st_size);
  if (progress && !progress(0, total)) return kErrorRequestAborted;

  CopyMethod method = CopyMethod::kCopyFileRange;
  std::vector<char> buffer;
  std::uint64_t copied = 0;
  for (;;) {
    const ssize_t chunk = CopyChunk(in, out.Fd(), method, buffer);
    if (chunk < 0) {
      if (errno == EINTR) continue;
      return DesktopErrorFromErrno(errno);
    }
    if (chunk == 0) break;
    copied += static_cast<std::uint64_t>(chunk);
    if (progress && !progress(copied, total)) return kErrorRequestAborted;
  }

  // The desktop's copy keeps the attributes (read-only included) and the last-write time.
  const timespec times[2] = {{0, UTIME_OMIT}, source.st_mtim};
  if (futimens(out.Fd(), times) != 0) return DesktopErrorFromErrno(errno);
  if (fchmod(out.Fd(), source.st_mode & 07777) != 0) return DesktopErrorFromErrno(errno);
  return out.Commit();
}

ErrorCode OpenSource(const std::string& from, UniqueFd& in, struct stat& source) {
  in = UniqueFd(open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in) return DesktopErrorFromErrno(errno);
  if (fstat(in.Get(), &source) != 0) return DesktopErrorFromErrno(errno);
  if (S_ISDIR(source.st_mode)) return kErrorAccessDenied;
  return kSuccess;
}

}  // namespace

ErrorCode CopyHostFile(const std::string& from, const std::string& to, const CopyProgress& progress) {
  UniqueFd in;
  struct stat source {};
  if (const ErrorCode error = OpenSource(from, in, source)) return error;
  SiblingTempFile temp;
  if (const ErrorCode error = temp.Create(to, 0600)) return error;
  return CopyInto(in.Get(), source, temp, progress);
}

ErrorCode CopyHostFileToNew(const std::string& from, const std::string& to, const CopyProgress& progress) {
  UniqueFd in;
  struct stat source {};
  if (const ErrorCode error = OpenSource(from, in, source)) return error;
  NewHostFile target;
  if (const ErrorCode error = target.Create(to, 0600)) return error;
  return CopyInto(in.Get(), source, target, progress);
}

}  // namespace qel::platform
