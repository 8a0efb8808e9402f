#include "platform/linux/installer/ActionRunner.h"

#include <map>

#include "platform/MessageBox.h"
#include "platform/linux/installer/InstallerCodes.h"

namespace qel::platform::installer {
namespace {

constexpr int kCustomActionError = 19;
constexpr int kCustomActionSetDirectory = 35;
constexpr int kCustomActionSetProperty = 51;

// Actions that only matter on the desktop (registry, shortcuts, services, searches): nothing to
// do on this machine, and nothing that could fail.
bool IsQuietStandardAction(const std::string& action) {
  static const char* const kNames[] = {
      "ValidateProductID", "FindRelatedProducts", "AppSearch", "LaunchConditions", "CCPSearch",
      "RMCCPSearch", "MigrateFeatureStates", "FileCost", "CostInitialize", "InstallValidate",
      "ProcessComponents", "UnpublishFeatures", "RegisterUser", "PublishFeatures",
      "PublishProduct", "RegisterProduct", "CreateFolders", "RemoveFolders", "WriteRegistryValues",
      "RemoveRegistryValues", "CreateShortcuts", "RemoveShortcuts", "RemoveExistingProducts",
      "InstallServices", "StopServices", "DeleteServices", "StartServices", "RemoveODBC",
      "SelfRegModules", "SelfUnregModules", "RegisterTypeLibraries", "UnregisterTypeLibraries",
      "WriteIniValues", "RemoveIniValues", "MsiUnpublishAssemblies", "MsiPublishAssemblies",
      "DuplicateFiles", "RemoveDuplicateFiles", "RemoveEnvironmentStrings",
      "WriteEnvironmentStrings", "SetODBCFolders", "AllocateRegistrySpace", "ExecuteAction",
      "InstallExecute", "InstallExecuteAgain", "PatchFiles", "MoveFiles", "BindImage",
      "CreateFolders", "IsolateComponents", "RegisterClassInfo", "UnregisterClassInfo",
      "RegisterExtensionInfo", "UnregisterExtensionInfo", "RegisterMIMEInfo", "UnregisterMIMEInfo",
      "RegisterProgIdInfo", "UnregisterProgIdInfo", "RegisterComPlus", "UnregisterComPlus",
      "RegisterFonts", "UnregisterFonts", "PublishComponents", "UnpublishComponents",
      "DisableRollback"};
  for (const char* name : kNames)
    if (action == name) return true;
  return false;
}

}  // namespace

std::string ActionDescription(const std::string& action) {
  static const std::map<std::string, std::string> kDescriptions = {
      {"CostInitialize", "Computing space requirements"},
      {"FileCost", "Computing space requirements"},
      {"CostFinalize", "Computing space requirements"},
      {"InstallValidate", "Validating install"},
      {"RemoveFiles", "Removing files"},
      {"InstallFiles", "Copying new files"},
      {"InstallAdminPackage", "Copying network install files"},
      {"CreateFolders", "Creating folders"},
      {"RegisterProduct", "Registering product"},
      {"RegisterUser", "Registering user"},
      {"PublishFeatures", "Publishing Product Features"},
      {"UnpublishFeatures", "Unpublishing Product Features"},
      {"PublishProduct", "Publishing product information"},
      {"ProcessComponents", "Updating component registration"},
      {"FindRelatedProducts", "Searching for related applications"},
      {"AppSearch", "Searching for installed applications"},
      {"LaunchConditions", "Evaluating launch conditions"},
      {"GenerateScript", "Generating script operations for action:"},
      {"Rollback", "Rolling back action:"},
  };
  auto it = kDescriptions.find(action);
  return it == kDescriptions.end() ? std::string() : it->second;
}

ErrorCode ActionRunner::ResultCode(int actionResult) {
  if (actionResult == kActionSuccess) return kSuccess;
  if (actionResult == kActionUserExit) return kInstallUserExit;
  return kInstallFailure;
}

int ActionRunner::ReportError(const std::string& text) {
  messenger_.Error(text, kMbIconError);
  return kActionFailure;
}

int ActionRunner::RunSequence(const std::string& table) {
  const auto& sequences = session_.GetPackage().sequences;
  auto it = sequences.find(table);
  if (it == sequences.end()) return kActionSuccess;
  for (const auto& row : it->second) {
    // Negative numbers name the dialogs shown at the end of a run; there are none here.
    if (row.sequence <= 0) continue;
    auto holds = session_.Evaluate(row.condition);
    if (!holds) return ReportError("Internal Error 2763. " + row.action + ", " + row.condition);
    if (!*holds) continue;
    int result = RunAction(row.action);
    if (result != kActionSuccess) return result;
    if (messenger_.Cancelled()) return kActionUserExit;
  }
  return kActionSuccess;
}

int ActionRunner::RunAction(const std::string& action) {
  messenger_.ActionStart(action, ActionDescription(action));
  bool handled = false;
  int result = RunSpecificAction(action, handled);
  if (!handled) {
    auto custom = session_.GetPackage().customActions.find(action);
    if (custom != session_.GetPackage().customActions.end()) {
      result = RunCustomAction(custom->second);
    } else if (action == "CostFinalize") {
      std::string unknownFeature;
      ErrorCode costed = session_.Cost(&unknownFeature);
      if (costed != kSuccess)
        result = ReportError("Internal Error 2706. The Directory table has a loop or a missing parent folder.");
      else if (!unknownFeature.empty())
        result = ReportError("Internal Error 2711. " + unknownFeature);
      else
        result = kActionSuccess;
    } else if (action == "ResolveSource") {
      std::string source = session_.GetProperty("SourceDir");
      session_.SetProperty("SourceDir", source);
      session_.SetProperty("SOURCEDIR", source);
      result = kActionSuccess;
    } else if (IsQuietStandardAction(action)) {
      result = kActionSuccess;
    } else {
      // Dialogs and actions this machine does not perform: the run goes on without them, and
      // the log says so.
      messenger_.Info("Action " + action + " is not performed on this machine.");
      result = kActionSuccess;
    }
  }
  if (messenger_.Cancelled() && result == kActionSuccess) result = kActionUserExit;
  messenger_.ActionEnded(action, result);
  AfterAction(action);
  return result;
}

int ActionRunner::RunCustomAction(const CustomActionRow& row) {
  int base = row.type & 0x3F;
  switch (base) {
    case kCustomActionError:
      return ReportError(session_.Format(row.target));
    case kCustomActionSetProperty:
      session_.SetProperty(row.source, session_.Format(row.target));
      return kActionSuccess;
    case kCustomActionSetDirectory:
      session_.SetProperty(row.source, WithTrailingSlash(session_.Format(row.target)));
      return kActionSuccess;
    default:
      messenger_.Info("Custom action " + row.action + " of type " + std::to_string(row.type) +
                      " is not run on this machine.");
      return kActionSuccess;
  }
}

int ActionRunner::RunSpecificAction(const std::string&, bool& handled) {
  handled = false;
  return kActionSuccess;
}

}  // namespace qel::platform::installer
