#pragma once
#include <functional>
#include <string>

#include "platform/ErrorCodes.h"

// The file behind one handle to a named object. Byte 0 of the file carries the object's
// existence: every open handle holds a shared lock on it, and a creator briefly holds it
// exclusively while it initialises the object. The locks are open-file-description locks, so two
// handles in one process see each other as two processes would, and the kernel drops them when a
// holder dies: a killed process never leaves an object behind. Further bytes are free for the
// object's own locks and state. The files themselves stay in the root's "objects" folder, a few
// bytes for each name ever used; only their locks say whether an object exists.
namespace qel::platform {

class ObjectLockFile {
 public:
  ObjectLockFile() = default;
  ObjectLockFile(const ObjectLockFile&) = delete;
  ObjectLockFile& operator=(const ObjectLockFile&) = delete;
  ObjectLockFile(ObjectLockFile&& other) noexcept;
  ObjectLockFile& operator=(ObjectLockFile&& other) noexcept;
  ~ObjectLockFile();

  // Opens or creates the object `kind`/`name`. When no other handle exists, `initialise` runs
  // while the object is held exclusively and the answer is kSuccess (kErrorAccessDenied when
  // `initialise` fails); otherwise the answer is kErrorAlreadyExists with the handle open as well.
  static ErrorCode Create(const std::string& kind, const std::string& name,
                          const std::function<bool(int fd)>& initialise, ObjectLockFile& out);
  // Opens an object that exists; kErrorFileNotFound when no handle to it is open anywhere.
  static ErrorCode Open(const std::string& kind, const std::string& name, ObjectLockFile& out);

  int Descriptor() const { return fd_; }

  // Non-blocking exclusive lock on byte `offset` (> 0); false when another handle holds it.
  bool TryLockByte(long offset) const;
  void UnlockByte(long offset) const;

 private:
  explicit ObjectLockFile(int fd) : fd_(fd) {}
  int fd_ = -1;
};

}  // namespace qel::platform
