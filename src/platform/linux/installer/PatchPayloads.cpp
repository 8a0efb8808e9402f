#include "platform/linux/installer/PatchPayloads.h"

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <system_error>

#include "platform/Platform.h"
#include "platform/linux/installer/PackageReader.h"
#include "platform/linux/installer/ProductDatabase.h"

namespace qel::platform::installer {
namespace {

std::string UniqueFolderName() {
  static std::atomic<int> counter{0};
  return "patch-payloads-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
}

}  // namespace

PatchPayloadFolder::PatchPayloadFolder() : hostFolder_(MachineRootHostPath() + "/installer/" + UniqueFolderName()) {}

PatchPayloadFolder::~PatchPayloadFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(hostFolder_, ignored);
}

ErrorCode PatchPayloadFolder::Add(const std::string& patchHostPath, const std::vector<std::string>& fileKeys) {
  if (fileKeys.empty()) return kSuccess;
  std::error_code created;
  std::filesystem::create_directories(hostFolder_, created);
  if (created) return kInstallFailure;
  // Payload files are numbered: file keys are the package's names and need not suit a host
  // file name.
  std::map<std::string, std::string> added;
  for (const auto& key : fileKeys) {
    const std::string host = hostFolder_ + "/" + std::to_string(++extracted_);
    if (ExtractStream(patchHostPath, key, host) != kSuccess) return kInstallPackageInvalid;
    added[key] = Files().FromHostPath(host);
  }
  for (auto& [key, path] : added) payloads_[key] = std::move(path);
  return kSuccess;
}

}  // namespace qel::platform::installer
