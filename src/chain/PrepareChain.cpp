#include "chain/PrepareChain.h"

#include <string>

#include "chain/ComposeCmdLine.h"
#include "chain/InstalledSource.h"
#include "chain/ResultCodes.h"
#include "chain/UtlXSetupMsiRollback.h"
#include "chain/TextReplace.h"
#include "config/UtlPath.h"
#include "platform/TextCase.h"
#include "uimsg/UiMessageTypes.h"

namespace qel {
namespace {

// 0, or 1612 when the user would need the installed source and it cannot be found.
std::uint32_t LocateMaintenanceSource(CUtlXSetupMsi& managed, SetupMessagePoster poster) {
  CUtlXProperty& properties = managed.Properties();
  const std::string reinstallMode = ToLower(properties.GetProperty("REINSTALLMODE"));
  const bool neededInteractively = properties.GetUILevel() >= 4 && properties.GetProperty("REMOVE") != "ALL" &&
                                   reinstallMode.find('v') == std::string::npos;
  if (neededInteractively) {
    if (ResolveInstalledSource(managed.GetProductCode(), true).empty()) return kResultSourceUnavailable;
    return kResultSuccess;
  }
  if (ResolveInstalledSource(managed.GetProductCode(), false).empty() && poster != nullptr)
    poster(INSTALLMESSAGE_COMMONDATA, "%s", "1:2 2:0");
  return kResultSuccess;
}

}  // namespace

std::uint32_t PrepareChain(SetupMessagePoster poster) {
  CUtlXSetupMsi managed;
  if (!managed.Properties().IsAdminAction() && managed.SelectManaged() != 0 && managed.IsProductInstalled()) {
    const std::uint32_t result = LocateMaintenanceSource(managed, poster);
    if (result != kResultSuccess) return result;
  }

  CUtlXSetupMsi item;
  if (item.Select("") == 0) return kResultSuccess;
  do {
    const std::string productCode = item.GetProductCode();
    if (productCode.empty()) continue;
    ResolveFile(item, item.IsManaged());
    ComposeCmdLine(item);
    CUtlXSetupMsiRollback rollback;
    if (rollback.Select(productCode) != 0) rollback.ComposeRollbackCmdLine();
  } while (item.Xml().CounterNext() != 0);
  return kResultSuccess;
}

void ResolveFile(CUtlXSetupMsi& item, bool useInstalledSource) {
  const bool installed = item.IsProductInstalled();
  const bool admin = item.Properties().IsAdminAction();
  const std::string authored = item.GetFile();

  CUtlXSetup chain;
  chain.Select("");
  CUtlPath absolute(chain.GetRootFolder());
  absolute.Append(authored);
  item.SetFile(absolute);

  if (!useInstalledSource || admin || !installed) return;
  const std::string source = ResolveInstalledSource(item.GetProductCode(), false);
  if (source.empty()) return;
  CUtlPath repointed(source);
  repointed.Append(CUtlPath(authored).GetFileName());
  chain.SetRootFolder(ReplaceAll(ToLower(repointed.Text()), ToLower(authored), ""));
  item.SetFile(repointed);
}

}  // namespace qel
