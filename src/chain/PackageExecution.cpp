#include "chain/PackageExecution.h"

#include "chain/Dependents.h"
#include "chain/ExecutableItem.h"
#include "chain/ResolveCmdLine.h"
#include "chain/ResultCodes.h"
#include "chain/Rollback.h"
#include "config/ResultText.h"
#include "config/UtlPath.h"
#include "platform/InstallerService.h"
#include "uimsg/UiMessageTypes.h"

namespace qel {
namespace {

bool FileExists(const std::string& path) { return CUtlPath(path).Is(CUtlPath::kExists); }

// Writes the result and, with a poster, tells the user interface that the item ended.
std::uint32_t EndItem(CUtlXSetupMsi& item, std::uint32_t result) {
  item.SetResult(result);
  if (const auto poster = item.Poster()) poster(SETUPMESSAGE_ITEMEND, "%d", static_cast<int>(result));
  return result;
}

// A package that is not where the chain expects it: nothing to undo during a removal, an error
// otherwise.
std::uint32_t MissingPackage(const CUtlXSetupMsi& item, const std::string& package) {
  const auto poster = item.Poster();
  if (!poster) return kResultFileNotFound;
  if (item.Properties().GetProperty("REMOVE") == "ALL") return kResultSuccess;
  const std::string text = GetResultText(kResultFileNotFound) + "\n" + package;
  poster(INSTALLMESSAGE_ERROR, "%s", text.c_str());
  return kResultFileNotFound;
}

// An executable item is started and waited for instead of being installed.
std::uint32_t RunExecutable(CUtlXSetupMsi& item) {
  item.PublishProgressText();
  ExecutableJob job;
  job.path = item.GetFile();
  job.commandLine = ResolveCmdLine(item);
  job.productCode = item.GetProductCode();
  job.poster = item.Poster();
  job.recordResult = [&item](std::uint32_t result) { item.SetResult(result); };
  return RunExecutableItem(job, item.Properties().GetUILevel());
}

}  // namespace

std::uint32_t ExecuteItem(CUtlXSetupMsi& item) {
  std::uint32_t result = item.IsProductInstalled() && !FileExists(item.GetFile()) ? ConfigureProduct(item)
                                                                                  : InstallProduct(item, false);
  if (!IsSuccessResult(result)) return result;
  const std::uint32_t dependents = RunDependents(item);
  return dependents != kResultSuccess ? dependents : result;
}

std::uint32_t InstallProduct(CUtlXSetupMsi& item, bool quiet) {
  if (item.IsExecutable()) return RunExecutable(item);

  const std::string package = item.GetFile();
  const std::string cmdLine = ResolveCmdLine(item);
  const std::string progressType = item.GetProgressType();
  item.PublishProgressText();
  item.SetCmdLine(cmdLine);

  if (!quiet && item.Poster()) {
    const int answer = item.Poster()(SETUPMESSAGE_ITEMSTART, "MsiInstallProduct|%s|%s|%s", package.c_str(),
                                     progressType.c_str(), cmdLine.c_str());
    if (answer == static_cast<int>(kResultUserCancel)) return kResultUserCancel;
  }

  std::uint32_t result = platform::Installer().InstallProduct(package, cmdLine);
  if (result == kResultFileNotFound) result = MissingPackage(item, package);

  CUtlXProperty properties;
  if (properties.IsAdminAction()) {
    CUtlPath copy(properties.GetProperty("TARGETDIR"));
    copy.Append(CUtlPath(package).GetFileName());
    RecordAdminFile(copy.Text());
  }
  return EndItem(item, result);
}

std::uint32_t ConfigureProduct(CUtlXSetupMsi& item) {
  if (item.IsExecutable()) return RunExecutable(item);

  const std::string productCode = item.GetProductCode();
  const std::string cmdLine = ResolveCmdLine(item);
  const std::string progressType = item.GetProgressType();
  item.SetCmdLine(cmdLine);

  if (item.Poster()) {
    const int answer = item.Poster()(SETUPMESSAGE_ITEMSTART, "RunMsiConfigureProductEx|%s|%s|%s", productCode.c_str(),
                                     progressType.c_str(), cmdLine.c_str());
    if (answer == static_cast<int>(kResultUserCancel)) return kResultUserCancel;
  }
  item.PublishProgressText();

  const std::uint32_t result =
      platform::Installer().ConfigureProduct(productCode, 0, platform::kFeatureStateDefault, cmdLine);
  return EndItem(item, result);
}

}  // namespace qel
