#include "platform/linux/installer/PathParts.h"

#include <unistd.h>

#include <atomic>

namespace qel::platform::installer {

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
  const auto slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string UniqueRunSuffix() {
  static std::atomic<int> counter{0};
  return std::to_string(::getpid()) + "-" + std::to_string(++counter);
}

}  // namespace qel::platform::installer
