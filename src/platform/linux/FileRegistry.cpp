#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <mutex>

#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/linux/HostMachineRoot.h"
#include "platform/linux/RegistryDocument.h"

namespace qel::platform {
namespace {

constexpr const char* kRegistryFile = "registry.reg";

bool ReadWhole(int fd, std::string& out) {
  char buffer[65536];
  for (;;) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    out.append(buffer, static_cast<std::size_t>(got));
  }
}

bool WriteWhole(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return false;
    done += static_cast<std::size_t>(put);
  }
  return true;
}

// Holds the registry's writer lock (a separate file, so that readers never wait) for one
// read-modify-write; other processes' writers queue behind it.
class WriterLock {
 public:
  explicit WriterLock(const std::string& path)
      : fd_(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
    if (fd_ >= 0 && flock(fd_, LOCK_EX) != 0) {
      close(fd_);
      fd_ = -1;
    }
  }
  WriterLock(const WriterLock&) = delete;
  WriterLock& operator=(const WriterLock&) = delete;
  ~WriterLock() {
    if (fd_ >= 0) close(fd_);
  }
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_;
};

class FileRegistry final : public IRegistry {
 public:
  FileRegistry() : path_(HostMachineFile(kRegistryFile)) {}

  ErrorCode GetValue(Hive hive, const std::string& key, const std::string& name,
                     RegistryValue& out) override {
    std::lock_guard lock(mutex_);
    auto fullPath = RegistryDocument::FullPath(hive, key);
    if (!fullPath) return kErrorFileNotFound;
    if (ErrorCode loaded = Refresh(); loaded != kSuccess) return loaded;
    const RegistryKeyEntry* entry = document_.Find(*fullPath);
    const RegistryValue* value = entry ? FindValue(*entry, name) : nullptr;
    if (!value) return kErrorFileNotFound;
    out = *value;
    return kSuccess;
  }

  ErrorCode SetValue(Hive hive, const std::string& key, const std::string& name,
                     const RegistryValue& value) override {
    return Change(hive, key, [&](RegistryDocument& document, const std::string& fullPath) {
      PutValue(document.Create(fullPath), name, value);
      return kSuccess;
    });
  }

  ErrorCode DeleteValue(Hive hive, const std::string& key, const std::string& name) override {
    return Change(hive, key, [&](RegistryDocument& document, const std::string& fullPath) {
      RegistryKeyEntry* entry = document.Find(fullPath);
      return entry && RemoveValue(*entry, name) ? kSuccess : kErrorFileNotFound;
    });
  }

  ErrorCode CreateKey(Hive hive, const std::string& key) override {
    return Change(hive, key, [](RegistryDocument& document, const std::string& fullPath) {
      document.Create(fullPath);
      return kSuccess;
    });
  }

  bool KeyExists(Hive hive, const std::string& key) override {
    std::lock_guard lock(mutex_);
    auto fullPath = RegistryDocument::FullPath(hive, key);
    if (!fullPath || Refresh() != kSuccess) return false;
    return fullPath->find('\\') == std::string::npos || document_.Find(*fullPath) != nullptr;
  }

  ErrorCode DeleteTree(Hive hive, const std::string& key) override {
    return Change(hive, key, [](RegistryDocument& document, const std::string& fullPath) {
      if (fullPath.find('\\') == std::string::npos) return kErrorAccessDenied;  // a hive stays
      if (!document.Find(fullPath)) return kErrorFileNotFound;
      document.EraseTree(fullPath);
      return kSuccess;
    });
  }

  ErrorCode ListSubKeys(Hive hive, const std::string& key, std::vector<std::string>& out) override {
    std::lock_guard lock(mutex_);
    auto fullPath = RegistryDocument::FullPath(hive, key);
    if (!fullPath) return kErrorFileNotFound;
    if (ErrorCode loaded = Refresh(); loaded != kSuccess) return loaded;
    const bool isHive = fullPath->find('\\') == std::string::npos;
    if (!isHive && !document_.Find(*fullPath)) return kErrorFileNotFound;
    out = document_.SubKeyNames(*fullPath);
    return kSuccess;
  }

  std::string ProblemText() override {
    std::lock_guard lock(mutex_);
    return problem_;
  }

 private:
  using Edit = std::function<ErrorCode(RegistryDocument&, const std::string& fullPath)>;

  ErrorCode Change(Hive hive, const std::string& key, const Edit& edit) {
    std::lock_guard lock(mutex_);
    auto fullPath = RegistryDocument::FullPath(hive, key);
    if (!fullPath) return kErrorInvalidParameter;
    WriterLock writer(path_ + ".lock");
    if (!writer.Held()) return kErrorAccessDenied;
    if (ErrorCode loaded = Refresh(); loaded != kSuccess) return loaded;
    RegistryDocument changed = document_;
    if (ErrorCode edited = edit(changed, *fullPath); edited != kSuccess) return edited;
    if (ErrorCode saved = Save(changed); saved != kSuccess) return saved;
    document_ = std::move(changed);
    return kSuccess;
  }

  // Reads the file afresh on every call: another process may have replaced it, and a file's
  // identity (inode, size, coarse timestamps) cannot tell two quick replacements apart. The file
  // is small and the launcher asks it a handful of questions per run. A file that does not parse
  // keeps failing until someone repairs it by hand; it is never written over.
  ErrorCode Refresh() {
    problem_.clear();
    std::string text;
    int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
      document_ = {};
      return kSuccess;
    }
    const bool read = fd >= 0 && ReadWhole(fd, text);
    if (fd >= 0) close(fd);
    if (!read) return kErrorAccessDenied;
    std::string why;
    auto parsed = RegistryDocument::Parse(text, why);
    if (!parsed) {
      problem_ = "The registry file " + path_ + " is corrupt, " + why +
                 "; it is left as it is until it is repaired or removed.";
      document_ = {};
      return kErrorBadDb;
    }
    document_ = std::move(*parsed);
    return kSuccess;
  }

  ErrorCode Save(const RegistryDocument& document) {
    const std::string temporary = path_ + ".tmp." + std::to_string(getpid());
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return kErrorAccessDenied;
    const bool written = WriteWhole(fd, document.Serialize()) && fsync(fd) == 0;
    close(fd);
    if (!written || rename(temporary.c_str(), path_.c_str()) != 0) {
      const int error = errno;
      unlink(temporary.c_str());
      return error == ENOSPC ? kErrorDiskFull : kErrorAccessDenied;
    }
    return kSuccess;
  }

  const std::string path_;
  std::mutex mutex_;
  RegistryDocument document_;
  std::string problem_;
};

std::mutex registryMutex;
std::unique_ptr<IRegistry> registry;

void DropRegistry() {
  std::lock_guard lock(registryMutex);
  registry.reset();
}

}  // namespace

IRegistry& Registry() {
  std::lock_guard lock(registryMutex);
  if (!registry) {
    static std::once_flag registered;
    std::call_once(registered, [] { OnPlatformReset(&DropRegistry); });
    registry = std::make_unique<FileRegistry>();
  }
  return *registry;
}

}  // namespace qel::platform
