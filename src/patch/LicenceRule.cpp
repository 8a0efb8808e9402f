#include "patch/LicenceRule.h"

#include <optional>
#include <string>
#include <vector>

#include "config/UtlPath.h"
#include "config/UtlXProperty.h"
#include "patch/LicenceDate.h"
#include "patch/PatchTarget.h"
#include "platform/InstallerService.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "uimsg/UtlXLogFile.h"

namespace qel {
namespace {

using platform::Hive;

// The agreement's values are read into fixed buffers: a longer value does not fit, the read
// fails and the value counts as missing.
constexpr std::size_t kDateCapacity = 9;
constexpr std::size_t kPathCapacity = 259;

std::string ReadMachineValue(const std::string& key, const std::string& name, std::size_t capacity) {
  auto value = platform::ReadRegistryString(Hive::LocalMachine, key, name);
  if (!value || value->size() > capacity) return {};
  return *value;
}

std::vector<std::string> SplitKeys(const std::string& list) {
  std::vector<std::string> keys;
  std::size_t start = 0;
  while (start <= list.size()) {
    const auto end = list.find(';', start);
    const std::string key = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (key.empty()) break;  // the list ends at its first empty entry
    keys.push_back(key);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return keys;
}

void LogMalformedDate(const std::string& where, const std::string& text) {
  GlobalLog().WriteLine("Eula date '" + text + "' of " + where +
                        " is not a valid date-> Eula will be displayed");
}

// A date that is not a real calendar day cannot be compared; the agreement is shown rather than
// guessed away.
bool DateRuleShows(const CUtlXProperty& properties) {
  std::optional<LicenceDate> earliest;
  for (const std::string& key : SplitKeys(properties.GetProperty("AppLMRegKey"))) {
    const std::string stored = ReadMachineValue(key, "EulaDate", kDateCapacity);
    if (stored.size() <= 7) continue;
    const auto date = ParseLicenceDate(stored);
    if (!date) {
      LogMalformedDate("HKLM\\" + key, stored);
      return true;
    }
    if (!earliest || *date < *earliest) earliest = date;
  }
  if (!earliest) return true;

  const std::string shippedText = properties.GetProperty("EulaDate");
  if (shippedText.size() <= 7) return true;
  const auto shipped = ParseLicenceDate(shippedText);
  if (!shipped) {
    LogMalformedDate("the property EulaDate", shippedText);
    return true;
  }
  return *shipped > *earliest;
}

bool FileRuleShows(const CUtlXProperty& properties) {
  const std::string key = properties.GetProperty("AppLMRegKey");
  if (key.empty()) return true;
  const std::string productCode = ReadMachineValue(key, "ProductCode", kPathCapacity);
  const std::string eula = ReadMachineValue(key, "Eula", kPathCapacity);
  if (productCode.empty() || eula.empty()) return true;

  std::string location;
  if (platform::Installer().GetProductInfo(productCode, "InstallLocation", location) != platform::kSuccess ||
      location.size() > kPathCapacity) {
    location.clear();
  }
  const std::string fileName = CUtlPath(eula).GetFileName();
  CUtlPath installed(location);
  installed.Append(properties.GetProperty("InstalledEulaPath")).Append(fileName);
  CUtlPath shipped(properties.GetProperty("QEL.Rt.Folder.Lang"));
  shipped.Append(fileName);

  CUtlXLogFile& log = GlobalLog();
  log.WriteLine("Eula Installed: " + installed.Text());
  log.WriteLine("Eula Shipped: " + shipped.Text());

  platform::FileAttributes installedFile, shippedFile;
  if (platform::Files().GetAttributes(installed, installedFile) != platform::kSuccess || !installedFile.exists) {
    log.WriteLine("Installed eula not found-> Eula will be displayed");
    return true;
  }
  if (platform::Files().GetAttributes(shipped, shippedFile) != platform::kSuccess || !shippedFile.exists) {
    log.WriteLine("ShippedEula eula not found-> Eula will be displayed");
    return true;
  }
  if (installedFile.lastWrite < shippedFile.lastWrite) {
    log.WriteLine("Installed eula is older than shipped-> Eula will be displayed");
    return true;
  }
  return false;
}

}  // namespace

bool ApplyLicenceRule() {
  CUtlXProperty properties;
  const std::string preset = properties.GetProperty("EULA_IS_REQUIRED");
  if (preset == "1") return true;
  if (preset == "0") return false;

  properties.SetProperty("EULA_IS_REQUIRED", "1");
  if (!properties.IsPatchModeOnly() || AdminInstallRequested(properties)) return true;
  if (properties.GetProperty("EulaLogicDisabled") == "1") return true;

  const bool show = properties.GetProperty("EulaDate").empty() ? FileRuleShows(properties)
                                                               : DateRuleShows(properties);
  if (!show) properties.SetProperty("EULA_IS_REQUIRED", "0");
  return show;
}

}  // namespace qel
