#include <unistd.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "platform/NamedObjects.h"
#include "platform/linux/ObjectLockFile.h"

namespace qel::platform {
namespace {

constexpr long kOwnerByte = 1;       // a mutex's owner holds this byte exclusively
constexpr off_t kEventStateAt = 0;   // an event's state: one byte of the file, '1' signalled
constexpr auto kPollInterval = std::chrono::milliseconds(2);

// Waits by polling `ready` (another process changes the state, so there is nothing to be woken
// by); the interval keeps a waiting process cheap while answering within a few milliseconds.
WaitResult PollUntil(const std::function<std::optional<bool>()>& ready, WaitTimeout timeout) {
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    std::optional<bool> state = ready();
    if (!state) return WaitResult::Failed;
    if (*state) return WaitResult::Signalled;
    if (timeout && std::chrono::steady_clock::now() - start >= *timeout) return WaitResult::TimedOut;
    std::this_thread::sleep_for(kPollInterval);
  }
}

// Ownership belongs to the handle, not to a thread: the launcher never shares a handle between
// threads. Waiting again on an owned handle nests, as the desktop's mutex does.
class LockFileMutex final : public INamedMutex {
 public:
  explicit LockFileMutex(ObjectLockFile file) : file_(std::move(file)) {}

  WaitResult Wait(WaitTimeout timeout) override {
    std::lock_guard lock(mutex_);
    if (depth_ > 0) {
      ++depth_;
      return WaitResult::Signalled;
    }
    WaitResult result = PollUntil([this] { return std::optional<bool>(file_.TryLockByte(kOwnerByte)); },
                                  timeout);
    if (result == WaitResult::Signalled) depth_ = 1;
    return result;
  }

  bool Release() override {
    std::lock_guard lock(mutex_);
    if (depth_ == 0) return false;
    if (--depth_ == 0) file_.UnlockByte(kOwnerByte);
    return true;
  }

 private:
  ObjectLockFile file_;
  std::mutex mutex_;
  int depth_ = 0;
};

class LockFileEvent final : public INamedEvent {
 public:
  explicit LockFileEvent(ObjectLockFile file) : file_(std::move(file)) {}

  ErrorCode Set() override { return WriteState('1'); }
  ErrorCode Reset() override { return WriteState('0'); }

  WaitResult Wait(WaitTimeout timeout) override {
    return PollUntil([this] { return ReadSignalled(); }, timeout);
  }

 private:
  ErrorCode WriteState(char state) {
    return pwrite(file_.Descriptor(), &state, 1, kEventStateAt) == 1 ? kSuccess : kErrorAccessDenied;
  }

  std::optional<bool> ReadSignalled() {
    char state = '0';
    if (pread(file_.Descriptor(), &state, 1, kEventStateAt) < 0) return std::nullopt;
    return state == '1';
  }

  ObjectLockFile file_;
};

}  // namespace

ErrorCode CreateNamedMutex(const std::string& name, std::unique_ptr<INamedMutex>& out) {
  ObjectLockFile file;
  ErrorCode result = ObjectLockFile::Create("mutex", name, [](int) { return true; }, file);
  if (result != kSuccess && result != kErrorAlreadyExists) return result;
  out = std::make_unique<LockFileMutex>(std::move(file));
  return result;
}

ErrorCode CreateNamedEvent(const std::string& name, bool signalled,
                           std::unique_ptr<INamedEvent>& out) {
  // A fresh event starts from the caller's state, whatever an earlier, vanished event left.
  auto initialise = [signalled](int fd) {
    const char state = signalled ? '1' : '0';
    return ftruncate(fd, 0) == 0 && pwrite(fd, &state, 1, kEventStateAt) == 1;
  };
  ObjectLockFile file;
  ErrorCode result = ObjectLockFile::Create("event", name, initialise, file);
  if (result != kSuccess && result != kErrorAlreadyExists) return result;
  out = std::make_unique<LockFileEvent>(std::move(file));
  return result;
}

ErrorCode OpenNamedEvent(const std::string& name, std::unique_ptr<INamedEvent>& out) {
  ObjectLockFile file;
  ErrorCode result = ObjectLockFile::Open("event", name, file);
  if (result != kSuccess) return result;
  out = std::make_unique<LockFileEvent>(std::move(file));
  return kSuccess;
}

}  // namespace qel::platform
