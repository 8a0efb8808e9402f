#include "chain/Dependents.h"

#include "chain/ComposeCmdLine.h"
#include "chain/PackageExecution.h"
#include "chain/PrepareChain.h"
#include "chain/ResultCodes.h"
#include "chain/Rollback.h"
#include "chain/TextReplace.h"
#include "chain/UtlXSetupMsiDbm.h"
#include "config/UtlPath.h"
#include "config/XPathLiteral.h"
#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "uimsg/SendSetupMessage.h"
#include "uimsg/UiMessageTypes.h"

namespace qel {
namespace {

bool FileExists(const std::string& path) { return CUtlPath(path).Is(CUtlPath::kExists); }

std::uint32_t RunDependent(CUtlXSetupMsiDbm& dependent) {
  if (dependent.IsProductInstalled() && !FileExists(dependent.GetFile())) return ConfigureProduct(dependent);
  return InstallProduct(dependent, false);
}

void RollBackParent(const CUtlXSetupMsi& item) {
  CUtlXSetupMsiRollback rollback(item.Poster());
  if (rollback.Select(item.GetProductCode()) != 0) RunRollback(rollback);
}

std::uint32_t CopySupportFile(CUtlXSetupSupportFile& item) {
  const std::string source = item.GetFile();
  const std::string destination = GetSupportFileDestination(item);
  CUtlPath folder(destination);
  folder.RemoveFileSpec();
  CUtlPath().CreateFolders(folder.GetFolderPath());
  const auto poster = item.Poster();
  if (!poster) return 0;
  // Each progress report may be answered with Cancel, which stops the copy.
  std::uint32_t result = platform::Files().CopyFile(source, destination, true, [poster](std::uint64_t, std::uint64_t) {
    return poster(INSTALLMESSAGE_PROGRESS, "%s", "") != kAnswerCancel;
  });
  if (result == platform::kErrorRequestAborted) result = kResultUserCancel;
  item.SetResult(result);
  return result;
}

}  // namespace

std::uint32_t PrepareDependents() {
  CUtlXSetupMsi managed;
  const bool managedInstalled = managed.SelectManaged() != 0 && managed.IsProductInstalled();
  CUtlXSetupMsiDbm dependent;
  if (dependent.Select("") == 0) return 0;
  do {
    if (dependent.GetProductCode().empty()) continue;
    const bool mayUseInstalledSource = !dependent.HasFlag("msiresolvesource") && managedInstalled;
    ResolveFile(dependent, mayUseInstalledSource);
    ComposeCmdLine(dependent);
  } while (dependent.Xml().CounterNext());
  return 0;
}

std::uint32_t PrepareSupportFiles() {
  CUtlXSetup chain;
  chain.Select("");
  const std::string root = chain.GetRootFolder();
  CUtlXSetupSupportFile item;
  if (item.Select("") == 0) return 0;
  do {
    const std::string file = item.GetFile();
    if (file.empty()) continue;
    CUtlPath absolute(root);
    absolute.Append(file);
    item.SetFile(absolute.Text());
  } while (item.Xml().CounterNext());
  return 0;
}

std::uint32_t RunDependents(CUtlXSetupMsi& item) {
  CUtlXSetupMsiDbm dependent(item.Poster());
  if (dependent.Select(item.GetProductCode()) == 0) return 0;
  std::uint32_t result = kResultSuccess;
  int position = 0;
  do {
    if (!dependent.IsScheduled()) {
      ++position;
      continue;
    }
    const std::uint32_t last = RunDependent(dependent);
    if (IsRestartResult(last)) result = last;
    if (IsSuccessResult(last)) {
      ++position;
      continue;
    }
    result = last;
    RollBackParent(item);
    if (position == 0) return result;
    // Against the restored parent, the failed dependent and every one before it run again.
    do {
      if (dependent.IsScheduled()) RunDependent(dependent);
    } while (dependent.Xml().CounterLast());
    return result;
  } while (dependent.Xml().CounterNext());
  return result;
}

void RerunDependents(CUtlXSetupMsiRollback& rollback) {
  CUtlXSetupMsiDbm dependent;
  if (dependent.Select(rollback.GetProductCode()) == 0) return;
  do {
    RunDependent(dependent);
  } while (dependent.Xml().CounterNext());
}

std::string GetSupportFileDestination(const CUtlXSetupSupportFile& item) {
  CUtlXSetup chain;
  chain.Select("");
  const std::string root = CUtlPath(chain.GetRootFolder()).GetFolderPath();
  const std::string target = CUtlPath(item.Properties().GetProperty("TARGETDIR")).GetFolderPath();
  return CUtlPath(ReplaceAll(item.GetFile(), root, target)).GetPath();
}

std::uint32_t CopySupportFiles() {
  CUtlXSetupSupportFile item(&::SendSetupMessage);
  const int count = item.Select("");
  if (count == 0) return 0;
  SendSetupMessage(SETUPMESSAGE_ITEMSTART, "%s", "QEL|CopySupportFiles|");
  SendSetupMessage(INSTALLMESSAGE_PROGRESS, "%s", "1: 0 2: 0 3: 0 4: 1 ");
  SendSetupMessage(INSTALLMESSAGE_PROGRESS, "1: 0 2: %d 3: 0 4: 0 ", count);
  SendSetupMessage(INSTALLMESSAGE_PROGRESS, "%s", "1: 2 2: 1 3: 0 4: 0 ");
  do {
    const std::string destination = GetSupportFileDestination(item);
    if (FileExists(destination)) continue;
    const int answer = SendSetupMessage(INSTALLMESSAGE_ACTIONDATA, "%s", destination.c_str());
    if (answer != 0 && answer != 1) continue;
    if (CopySupportFile(item) == kResultUserCancel) return kResultUserCancel;
  } while (item.Xml().CounterNext());
  return 0;
}

void ReplaceItemFile(const std::string& oldPath, const std::string& newPath) {
  const std::string old = XPathLiteral(ToLower(oldPath));
  for (const std::string& expression :
       {"//QEL/Setups/Msi[@file=" + old + "]", "//QEL/Setups/Msi/Dbm[@file=" + old + "]"}) {
    CUtlXSetupMsi item;
    if (item.Select(expression) == 0) continue;
    do {
      item.SetFile(newPath);
    } while (item.Xml().CounterNext());
  }
}

}  // namespace qel
