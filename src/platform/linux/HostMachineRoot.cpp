#include "platform/linux/HostMachineRoot.h"

#include <filesystem>
#include <system_error>

#include "platform/linux/SimulatedMachine.h"

namespace qel::platform {

std::string HostMachineFile(std::string_view relative) {
  std::filesystem::path path = std::filesystem::path(CurrentMachine()->Root()) / relative;
  std::error_code ignored;  // a folder that cannot be made shows up as the caller's open error
  std::filesystem::create_directories(path.parent_path(), ignored);
  return path.string();
}

}  // namespace qel::platform
