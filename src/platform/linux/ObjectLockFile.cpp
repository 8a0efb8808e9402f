#include "platform/linux/ObjectLockFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/linux/HostMachineRoot.h"

namespace qel::platform {
namespace {

constexpr std::size_t kLongestEncodedName = 200;
// A creator holds byte 0 exclusively only while it initialises a few bytes; anything longer
// means a stuck process, and opening fails instead of hanging.
constexpr auto kCreatorPatience = std::chrono::seconds(10);

// Object names may hold any character, backslashes included; the file name keeps the readable
// ones and writes the rest as %XX so that distinct names never share a file.
std::string EncodeName(const std::string& name) {
  static const char* hex = "0123456789ABCDEF";
  std::string encoded;
  for (unsigned char c : name) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_' || c == '.' || c == '{' || c == '}';
    if (plain) {
      encoded += static_cast<char>(c);
      continue;
    }
    encoded += '%';
    encoded += hex[c >> 4];
    encoded += hex[c & 0xF];
  }
  return encoded;
}

bool ValidName(const std::string& name) {
  return !name.empty() && EncodeName(name).size() <= kLongestEncodedName;
}

std::string ObjectFile(const std::string& kind, const std::string& name) {
  return HostMachineFile("objects/" + kind + "-" + EncodeName(name));
}

bool SetLock(int fd, short type, long offset) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = offset;
  lock.l_len = 1;
  return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// True when a handle other than ours holds byte 0 in any mode.
bool OthersHold(int fd) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 1;
  if (fcntl(fd, F_OFD_GETLK, &lock) != 0) return true;
  return lock.l_type != F_UNLCK;
}

ErrorCode OpenError() {
  if (errno == ENOENT) return kErrorFileNotFound;
  if (errno == ENAMETOOLONG) return kErrorInvalidName;
  return kErrorAccessDenied;
}

// Takes the shared existence lock, waiting out a creator that is initialising the object.
bool JoinExisting(int fd) {
  const auto giveUp = std::chrono::steady_clock::now() + kCreatorPatience;
  while (!SetLock(fd, F_RDLCK, 0)) {
    if (std::chrono::steady_clock::now() > giveUp) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace

ObjectLockFile::ObjectLockFile(ObjectLockFile&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

ObjectLockFile& ObjectLockFile::operator=(ObjectLockFile&& other) noexcept {
  if (this == &other) return *this;
  if (fd_ >= 0) close(fd_);
  fd_ = other.fd_;
  other.fd_ = -1;
  return *this;
}

ObjectLockFile::~ObjectLockFile() {
  if (fd_ >= 0) close(fd_);
}

ErrorCode ObjectLockFile::Create(const std::string& kind, const std::string& name,
                                 const std::function<bool(int fd)>& initialise, ObjectLockFile& out) {
  if (!ValidName(name)) return kErrorInvalidName;
  ObjectLockFile file(open(ObjectFile(kind, name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
  if (file.fd_ < 0) return OpenError();
  const auto giveUp = std::chrono::steady_clock::now() + kCreatorPatience;
  for (;;) {
    if (SetLock(file.fd_, F_WRLCK, 0)) {
      if (!initialise(file.fd_)) return kErrorAccessDenied;  // closing the file drops the lock
      SetLock(file.fd_, F_RDLCK, 0);  // an open-file-description lock converts atomically
      out = std::move(file);
      return kSuccess;
    }
    // Someone holds it: join them. If every other handle closed in between, we are alone with a
    // stale state and must create afresh, which the next round does.
    if (SetLock(file.fd_, F_RDLCK, 0) && OthersHold(file.fd_)) {
      out = std::move(file);
      return kErrorAlreadyExists;
    }
    if (std::chrono::steady_clock::now() > giveUp) return kErrorAccessDenied;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

ErrorCode ObjectLockFile::Open(const std::string& kind, const std::string& name, ObjectLockFile& out) {
  if (!ValidName(name)) return kErrorInvalidName;
  ObjectLockFile file(open(ObjectFile(kind, name).c_str(), O_RDWR | O_CLOEXEC));
  if (file.fd_ < 0) return OpenError();
  if (!JoinExisting(file.fd_)) return kErrorAccessDenied;
  // The file outlives its object; only a handle held by someone else makes the object real.
  if (!OthersHold(file.fd_)) return kErrorFileNotFound;
  out = std::move(file);
  return kSuccess;
}

bool ObjectLockFile::TryLockByte(long offset) const { return SetLock(fd_, F_WRLCK, offset); }

void ObjectLockFile::UnlockByte(long offset) const { SetLock(fd_, F_UNLCK, offset); }

}  // namespace qel::platform
