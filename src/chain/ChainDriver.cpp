#include "chain/ChainDriver.h"

#include <cstdlib>

#include "chain/AdminItem.h"
#include "chain/Dependents.h"
#include "chain/ManagedPackage.h"
#include "chain/PackageExecution.h"
#include "chain/PrepareChain.h"
#include "chain/RepairNodes.h"
#include "chain/ResultCodes.h"
#include "chain/Rollback.h"
#include "chain/Scheduling.h"
#include "chain/SourceCache.h"
#include "chain/UserFiles.h"
#include "chain/UtlXSetupMsi.h"
#include "chain/UtlXSetupMsiRollback.h"
#include "config/UtlPath.h"
#include "platform/Platform.h"
#include "platform/SystemInfo.h"
#include "platform/TextCase.h"
#include "platform/TimeFormat.h"
#include "uimsg/RunPhase.h"
#include "uimsg/ScriptHooks.h"
#include "uimsg/SendSetupMessage.h"
#include "uimsg/UiMessageTypes.h"

namespace qel {
namespace {

void PostActionStart(const char* action) {
  SendSetupMessage(INSTALLMESSAGE_ACTIONSTART, "Action %s %s", PhaseTimeStamp().c_str(), action);
}

bool ManagedProductInstalled() {
  CUtlXSetupMsi managed;
  return managed.SelectManaged() != 0 && managed.IsProductInstalled();
}

bool InMaintenance(CUtlXProperty& properties) { return !properties.IsAdminAction() && ManagedProductInstalled(); }

// USER_TOKEN_AVAILABLE defaults by the OS version: systems from version 600 on have split tokens.
void DefaultUserTokenAvailable(CUtlXProperty& properties) {
  if (!properties.GetProperty("USER_TOKEN_AVAILABLE").empty()) return;
  const int versionNt = std::atoi(properties.GetProperty("VersionNT").c_str());
  properties.SetProperty("USER_TOKEN_AVAILABLE", versionNt >= 600 ? "0" : "1");
}

// The language folder's transform joins TRANSFORMS unless that already names it.
void ApplyLanguageTransform(CUtlXProperty& properties) {
  std::string name = properties.GetProperty("QEL.Lang.Transform");
  CUtlPath path(properties.GetProperty("QEL.Rt.Folder.Lang"));
  if (!name.empty()) {
    path.Append(name);
    if (!path.Is(CUtlPath::kExists)) name.clear();
  }
  if (name.empty()) {
    properties.SetProperty("QEL.Lang.Transform", "");
    return;
  }
  const std::string transforms = properties.GetProperty("TRANSFORMS");
  if (transforms.empty()) {
    properties.SetProperty("TRANSFORMS", "\"" + path.Text() + "\"");
  } else if (transforms.find(name) == std::string::npos) {
    properties.SetProperty("TRANSFORMS", "\"" + transforms + ";" + path.Text() + "\"");
  }
  properties.SetProperty("QEL.Lang.Transform", path.Text());
}

std::uint32_t PrepareAll() {
  if (const auto result = PrepareChain(&::SendSetupMessage); result != kResultSuccess) return result;
  if (const auto result = PrepareDependents(); result != kResultSuccess) return result;
  return PrepareSupportFiles();
}

std::uint32_t InitializationBody(void*) {
  CUtlXProperty properties;
  CUtlXSetup chain;
  chain.Select("");
  chain.SetRootFolder(ToLower(properties.GetProperty("QEL.Rt.Folder.Root")));

  std::uint32_t result = kResultSuccess;
  if (InMaintenance(properties)) {
    properties.SetProperty("QEL.Lang.Transform", "");
  } else {
    ApplyLanguageTransform(properties);
    result = PrepareAll();
  }
  if (result == kResultSuccess) result = OpenManagedPackage();
  if (result == kResultSuccess) {
    SourceCacheInitialisation();
    // The feature tree, disk space and patch mode are prepared by the wizard and patch parts,
    // which this build does not have yet.
    CollectUserFiles();
    result = CallScriptHook(CScriptLibrary::Hook::kAfterSetupInitialization);
  }
  DefaultUserTokenAvailable(properties);
  return result;
}

std::uint32_t BeforeExecuteChainBody(void*) {
  CUtlXProperty properties;
  if (InMaintenance(properties)) {
    if (const auto result = PrepareAll(); result != kResultSuccess) return result;
  }
  const std::uint32_t scheduled = ScheduleChain();

  // Every package of the chain runs with restarts suppressed; ChainComplete puts the user's
  // REBOOT back.
  const std::string reboot = properties.GetProperty("REBOOT");
  properties.SetProperty("REBOOT", "ReallySuppress");
  if (!reboot.empty()) properties.SetProperty("REBOOT.CHAIN", reboot);
  if (scheduled != kResultSuccess) return scheduled;

  PostActionStart("Script_BeforeExecuteChain");
  const bool admin = properties.IsAdminAction();
  const std::uint32_t result = CallScriptHook(admin ? CScriptLibrary::Hook::kBeforeExecuteChainAdmin
                                                    : CScriptLibrary::Hook::kBeforeExecuteChainInstall);
  if (!admin && result == kResultSuccess) AddRepairNodes();
  return result;
}

// A first installation's folder is normalised, and public properties derived from the default
// folder follow the folder the user picked.
void FixUpInstallFolder(CUtlXProperty& properties) {
  if (ManagedProductInstalled()) return;
  const bool admin = properties.IsAdminAction();
  const char* folderProperty = admin ? "TARGETDIR" : "INSTALLDIR";
  CUtlPath folder(properties.GetProperty(folderProperty));
  folder.NormalizeFolder();
  properties.SetProperty(folderProperty, folder.GetFolderPath());
  if (admin) return;

  const std::string installDir = properties.GetProperty("INSTALLDIR");
  const std::string original = properties.GetProperty("INSTALLDIR_ORIGINAL");
  if (original.empty() || installDir == original) return;
  CUtlX walk;
  if (walk.Select("//QEL/Properties/Property") == 0) return;
  do {
    const std::string name = walk.Xml().GetAttribute("name");
    const std::string value = walk.Xml().GetAttribute("value");
    if (name.empty() || value.empty() || ToUpper(name) != name || name == "INSTALLDIR") continue;
    std::string replaced = value;
    for (auto pos = replaced.find(original); pos != std::string::npos; pos = replaced.find(original, pos + installDir.size()))
      replaced.replace(pos, original.size(), installDir);
    if (replaced != value) properties.SetProperty(name, replaced);
  } while (walk.Xml().CounterNext());
}

// After a failed or cancelled first installation, or a removal, no empty folder of the product
// stays behind, up to the drive's root.
void CleanUpInstallFolder(CUtlXProperty& properties) {
  CUtlXSetupMsi managed;
  if (managed.SelectManaged() == 0 || managed.IsProductInstalled()) return;
  CUtlPath folder(properties.GetProperty("INSTALLDIR"));
  if (folder.IsEmpty()) return;
  folder.RemoveEmptyFolders();
  while (folder.GetFolderPath() != folder.GetRoot()) {
    platform::Files().RemoveFolder(folder.GetPath());
    const std::string before = folder.GetFolderPath();
    folder.RemoveFileSpec();
    if (folder.GetFolderPath() == before || folder.IsEmpty()) break;
  }
}

std::uint32_t ManageSourceFiles(bool beforeChain) {
  PostActionStart("Manage Source Files");
  if (beforeChain) return static_cast<std::uint32_t>(RunPhase([](void*) { return CopyAllSourceFiles(); }));
  RunPhase([](void*) -> std::uint32_t {
    DeleteAllSourceFiles();
    return 0;
  });
  return 0;
}

// Walks back from the cancelled item: every scheduled item before it is rolled back, newest
// first, and its dependents are applied again to what is restored.
void CancelWalk(CUtlXSetupMsi& item) {
  while (item.Xml().CounterLast()) {
    if (!item.IsScheduled()) continue;
    CUtlXSetupMsiRollback rollback;
    if (rollback.Select(item.GetProductCode()) == 0) continue;
    RunRollback(rollback);
    RerunDependents(rollback);
  }
}

}  // namespace

std::uint32_t InstallChain(SetupMessagePoster poster) {
  if (const auto result = ManageSourceFiles(true); result != kResultSuccess) return result;
  std::uint32_t result = kResultSuccess;
  CUtlXSetupMsi item(poster);
  if (item.Select("") != 0) {
    std::uint32_t last = kResultSuccess;
    do {
      if (item.IsScheduled()) last = ExecuteItem(item);
      if (IsRestartResult(last)) {
        result = last;
        continue;
      }
      if (last == kResultUserCancel) {
        result = kResultUserCancel;
        CancelWalk(item);
        break;
      }
      if (last != kResultSuccess) {
        result = last;
        break;
      }
    } while (item.Xml().CounterNext());
  }
  ManageSourceFiles(false);
  RemoveUserFiles(poster);
  return result;
}

namespace {

std::uint32_t AfterExecuteChainAdminBody(void*) {
  std::uint32_t result = CopySupportFiles();
  if (result == kResultSuccess) result = CallScriptHook(CScriptLibrary::Hook::kAfterExecuteChainAdmin);
  return result;
}

std::uint32_t AdminRollbackBody(void*) {
  CUtlXSetupMsi item;
  std::string productCode;
  if (item.SelectManaged() != 0 || item.Select("") != 0) productCode = item.GetProductCode();
  CUtlXSetupMsiRollback rollback(&::SendSetupMessage);
  if (rollback.Select(productCode) == 0) {
    // Without a product code there is no Rollback element; the image list is still undone.
    CUtlXSetupMsiRollback listOnly(&::SendSetupMessage);
    return AdminRollback(listOnly);
  }
  return AdminRollback(rollback);
}

std::uint32_t AdminChain() {
  std::uint32_t result = kResultSuccess;
  CUtlXSetupMsi item(&::SendSetupMessage);
  if (item.Select("") != 0) {
    do {
      const std::uint32_t last = ExecuteAdminItem(item, [](CUtlXSetupMsi& admin) { return InstallProduct(admin, false); });
      if (IsRestartResult(last)) result = last;
      if (!IsSuccessResult(last)) {
        result = last;
        break;
      }
    } while (item.Xml().CounterNext());
  }
  if (IsSuccessResult(result)) {
    const auto after = static_cast<std::uint32_t>(RunPhase(AfterExecuteChainAdminBody));
    if (after != kResultSuccess) result = after;
  }
  if (!IsSuccessResult(result)) RunPhase(AdminRollbackBody);
  return result;
}

std::uint32_t ChainCompleteBody(void*) {
  CUtlXProperty properties;
  const std::string reboot = properties.GetProperty("REBOOT.CHAIN");
  if (!reboot.empty()) properties.SetProperty("REBOOT", reboot);
  SendSetupMessage(INSTALLMESSAGE_COMMONDATA, "%s", "1:2 2:0");
  const std::string stamp = PhaseTimeStamp();
  SendSetupMessage(INSTALLMESSAGE_ACTIONSTART, "Action %s Script_ChainComplete", stamp.c_str());
  SendSetupMessage(INSTALLMESSAGE_INFO, "Action start %s Script_ChainComplete", stamp.c_str());
  const std::uint32_t answer = CallScriptHook(CScriptLibrary::Hook::kAfterExecuteChainInstall);
  SendSetupMessage(INSTALLMESSAGE_INFO, "Action ended %s Script_ChainComplete. Return value %d",
                   PhaseTimeStamp().c_str(), static_cast<int>(answer));
  return 0;
}

void ChainComplete() {
  const std::string stamp = PhaseTimeStamp();
  SendSetupMessage(INSTALLMESSAGE_ACTIONSTART, "Action %s ChainComplete", stamp.c_str());
  SendSetupMessage(INSTALLMESSAGE_INFO, "Action start %s ChainComplete", stamp.c_str());
  const std::int32_t result = RunPhase(ChainCompleteBody);
  SendSetupMessage(INSTALLMESSAGE_INFO, "Action ended %s ChainComplete. Return value %d", PhaseTimeStamp().c_str(),
                   static_cast<int>(result));
}

}  // namespace

std::string PhaseTimeStamp() { return platform::FormatTime("%#H:%#M:%#S:", platform::SystemInfo().Now()); }

std::uint32_t InitializationPhase() {
  PostActionStart("InitializationPhase");
  // Files in use and feature sizes come with the parts that own them; this build has neither.
  return static_cast<std::uint32_t>(RunPhase(InitializationBody));
}

std::uint32_t BeforeExecuteChain() {
  PostActionStart("BeforeExecuteChain");
  return static_cast<std::uint32_t>(RunPhase(BeforeExecuteChainBody));
}

std::uint32_t ExecuteChain() {
  SendSetupMessage(SETUPMESSAGE_CHAINSTART, "%s", "");
  CUtlXProperty properties;
  FixUpInstallFolder(properties);
  std::uint32_t result = kResultSuccess;
  if (properties.IsAdminAction()) {
    result = AdminChain();
  } else {
    result = InstallChain(&::SendSetupMessage);
    if (IsSuccessResult(result)) ChainComplete();
  }
  CleanUpInstallFolder(properties);
  SendSetupMessage(SETUPMESSAGE_CHAINEND, "%d", static_cast<int>(result));
  return result;
}

}  // namespace qel
