#pragma once
#include <string>
#include <string_view>

// Files of their own that services keep in the simulated machine's root (registry, named
// objects, restart requests).
namespace qel::platform {

// The host path of `relative` inside the current machine's root, with its parent folders created.
std::string HostMachineFile(std::string_view relative);

}  // namespace qel::platform
