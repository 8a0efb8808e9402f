#include <dlfcn.h>
#include <sys/stat.h>

#include "platform/Library.h"
#include "platform/Platform.h"

namespace qel::platform {
namespace {

class HostLibrary final : public ILibrary {
 public:
  explicit HostLibrary(void* handle) : handle_(handle) {}
  HostLibrary(const HostLibrary&) = delete;
  HostLibrary& operator=(const HostLibrary&) = delete;
  ~HostLibrary() override { dlclose(handle_); }

  void* FindExport(const std::string& name) const override {
    if (name.empty()) return nullptr;
    return dlsym(handle_, name.c_str());
  }

 private:
  void* handle_;
};

}  // namespace

ErrorCode LoadLibrary(const std::string& path, std::unique_ptr<ILibrary>& out) {
  std::string hostPath;
  if (Files().ToHostPath(path, hostPath) != kSuccess) return kErrorModNotFound;
  struct stat info {};
  if (stat(hostPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return kErrorModNotFound;
  // Each library keeps its own symbols, as a desktop library does, so that two hook libraries
  // with the same export names never see each other's.
  void* handle = dlopen(hostPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return kErrorBadExeFormat;
  out = std::make_unique<HostLibrary>(handle);
  return kSuccess;
}

}  // namespace qel::platform
