#pragma once
#include <cstdint>
#include <string>

// The handler's calls into the installer service, in one place.
namespace qel {

// Logging of the installer service into the run's log (append attribute); mode 0 or an empty
// path switches it off.
void SetInstallerLogging(std::uint32_t mode, const std::string& path);

// No installer dialogs of its own except source resolution, owned by `owner` (0 for none).
void SetInstallerInternalUi(std::uintptr_t owner);

// Installs SetupUIHandler as the installer's external user interface with the installer context.
void InstallExternalUiHandler(std::uint32_t messageFilter);

}  // namespace qel
