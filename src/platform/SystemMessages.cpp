#include "platform/SystemMessages.h"

#include <unordered_map>

#include "platform/TextCase.h"

namespace qel::platform {
namespace {

// Our own wording of the system's texts for the codes a setup run meets.
const std::unordered_map<std::uint32_t, const char*>& SystemTexts() {
  static const std::unordered_map<std::uint32_t, const char*> texts = {
      {0, "The operation completed successfully."},
      {1, "The function is not valid."},
      {2, "The system cannot find the file specified."},
      {3, "The system cannot find the path specified."},
      {4, "The system cannot open the file."},
      {5, "Access is denied."},
      {6, "The handle is not valid."},
      {8, "Not enough memory is available to complete this operation."},
      {13, "The data is not valid."},
      {19, "The media is write protected."},
      {21, "The device is not ready."},
      {32, "The process cannot access the file because another process is using it."},
      {38, "The end of the file has been reached."},
      {53, "The network path was not found."},
      {67, "The network name cannot be found."},
      {80, "The file already exists."},
      {87, "The parameter is not correct."},
      {112, "There is not enough space on the disk."},
      {123, "The file name, folder name or volume label syntax is not correct."},
      {145, "The folder is not empty."},
      {183, "A file cannot be created when it already exists."},
      {206, "The file name or extension is too long."},
      {234, "More data is available."},
      {259, "No more data is available."},
      {267, "The folder name is not valid."},
      {1223, "The operation was cancelled by the user."},
      {1235, "The request was aborted."},
      {1601, "The installer service could not be accessed."},
      {1602, "The user cancelled the installation."},
      {1603, "A fatal error occurred during installation."},
      {1604, "The installation was suspended and is incomplete."},
      {1605, "This action is only valid for products that are currently installed."},
      {1606, "The feature identifier is not registered."},
      {1607, "The component identifier is not registered."},
      {1608, "This is an unknown property."},
      {1609, "The handle is in an invalid state."},
      {1610, "The configuration data for this product is corrupt."},
      {1612, "The installation source for this product is not available."},
      {1618, "Another installation is already in progress. Complete that installation before "
             "starting this one."},
      {1619, "The installation package could not be opened. Check that the package exists and "
             "that you can reach it, or ask the application vendor to confirm that it is a valid "
             "installer package."},
      {1620, "The installation package could not be opened. Ask the application vendor to confirm "
             "that it is a valid installer package."},
      {1622, "The installation log file could not be opened."},
      {1624, "A transform could not be applied to the installation package."},
      {1627, "The function failed during execution."},
      {1631, "The installer service failed to start."},
      {1638, "Another version of this product is already installed. Installation of this version "
             "cannot continue. To change or repair the installed version, use the control panel's "
             "list of installed programs."},
      {1639, "The command line is not valid. Check the setup's command-line help."},
      {1641, "The installer has started a restart to complete the installation."},
      {1642, "The upgrade cannot be installed because the program to be upgraded is missing, or "
             "the upgrade patch updates a different version of the program."},
      {1648, "No valid sequence could be found for the set of patches."},
      {3010, "A restart is required to complete the installation. This message signals success."},
  };
  return texts;
}

// The installer library's own string resources, keyed by its message numbers.
const std::unordered_map<std::uint32_t, const char*>& InstallerStrings() {
  static const std::unordered_map<std::uint32_t, const char*> strings = {
      {1602, "The installation was cancelled."},
      {1603, "The installation ended prematurely because of an error."},
      {1618, "Another installation is in progress. Wait for it to finish and try again."},
      {1642, "The patch does not apply to any installed product."},
      {1648, "The patches could not be sequenced."},
  };
  return strings;
}

}  // namespace

std::optional<std::string> SystemMessageText(std::uint32_t code) {
  const auto found = SystemTexts().find(code);
  if (found == SystemTexts().end()) return std::nullopt;
  return std::string(found->second) + "\r\n";
}

std::optional<std::string> ModuleString(std::string_view module, std::uint32_t id) {
  if (!EqualsNoCase(module, "msi.dll")) return std::nullopt;
  const auto found = InstallerStrings().find(id);
  if (found == InstallerStrings().end()) return std::nullopt;
  return std::string(found->second);
}

}  // namespace qel::platform
