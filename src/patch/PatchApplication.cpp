#include <string>

#include "chain/ComposeCmdLine.h"
#include "chain/ResolveCmdLine.h"
#include "config/ResultText.h"
#include "config/UtlPath.h"
#include "config/UtlX.h"
#include "config/UtlXProperty.h"
#include "patch/PatchPhases.h"
#include "patch/PatchTarget.h"
#include "platform/InstallerService.h"
#include "platform/TextCase.h"
#include "uimsg/ScriptHooks.h"
#include "uimsg/SetupMessageFormat.h"
#include "uimsg/SetupUIHandler.h"
#include "uimsg/UtlXLogFile.h"
#include "uimsg/WizardWindow.h"

namespace qel {
namespace {

constexpr const char* kDefaultPatchTemplate = "REINSTALLMODE=[REINSTALLMODE] REINSTALL=[REINSTALL] REBOOT=ReallySuppress";
constexpr int kMaxPatchOrder = 29;

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

std::string Resolve(const std::string& line, const CUtlXProperty& properties) {
  if (line == kAllPublicCmdLine) return AllPublicProperties();
  return ResolveReferences(line, properties);
}

void SetCancelEnabled(bool enabled) {
  if (IWizardWindow* window = ApplicationMainWindow()) window->Refresh(kRefreshCancelButton, enabled ? 1 : 0);
}

bool IsFailure(const std::string& result) {
  // "X": not applied or not applicable. A restart request is a success and must not reach the
  // final page's list of failures.
  return result != "X" && result != std::to_string(platform::kSuccessRebootRequired) &&
         result != std::to_string(platform::kSuccessRebootInitiated);
}

// Failed patches are left for the final page as "Msp.Error.N".
void EndPatchChain() {
  CUtlX patches;
  auto& xml = patches.Xml();
  if (xml.SelectNodes("//QEL/Patches/Msp[@result!='0']") == 0) return;
  CUtlXProperty properties;
  int number = 0;
  do {
    if (!IsFailure(xml.GetAttribute("result"))) continue;
    properties.SetProperty("Msp.Error." + std::to_string(number++),
                           CUtlPath(xml.GetAttribute("file")).GetFileName() + " -- " + xml.GetAttribute("resulttext"));
  } while (xml.CounterNext() == 1);
}

}  // namespace

std::string ComposePatchCmdLine(const CUtlX& patch) {
  CUtlXProperty properties;
  const std::string fileName = ToLower(CUtlPath(patch.Xml().GetAttribute("file")).GetFileName());
  std::string line;
  if (const std::string own = properties.GetProperty(fileName); !own.empty()) {
    line = Resolve(own, properties);
  } else if (const std::string shared = properties.GetProperty("MSP_CMDLINE"); !shared.empty()) {
    line = Resolve(shared, properties);
  }
  if (line.empty()) line = Resolve(kDefaultPatchTemplate, properties);
  line = ReplaceAll(line, "REINSTALLMODE=0", "REINSTALLMODE=oums");
  return ReplaceAll(line, "REINSTALL=0", "REINSTALL=ALL");
}

std::uint32_t ApplyPatch(CUtlX& patch) {
  auto& xml = patch.Xml();
  const std::string name = xml.GetAttribute("name");
  const std::string file = xml.GetAttribute("file");
  const std::string cmdLine = ComposePatchCmdLine(patch);
  xml.SetAttribute("cmdline", cmdLine);

  CUtlXProperty properties;
  const bool admin = AdminInstallRequested(properties);
  const int installType = admin ? platform::kInstallTypeNetworkImage : platform::kInstallTypeSingleInstance;
  CUtlXLogFile& log = GlobalLog();
  const std::string separator(kLogSeparator);
  log.WriteLine(admin ? separator + "\r\nMsiApplyPatch()\r\n" + name + "\r\n" + file + "\r\n" + cmdLine
                      : separator + "\r\nMsiApplyPatch()\r\n" + file + "\r\n" + cmdLine);

  CSetupUIHandler& handler = TheSetupUIHandler();
  handler.StartPatchItem(xml.GetAttribute("progresstext"));
  std::uint32_t result = platform::Installer().ApplyPatch(file, name, installType, cmdLine);
  handler.EndPatchItem();

  xml.SetAttribute("result", std::to_string(result));
  xml.SetAttribute("resulttext", GetResultText(result, "Msi.dll"));
  if (result == platform::kPatchTargetNotFound || result == platform::kPatchNoSequence) {
    xml.SetAttribute("result", "X");
    result = 0;
  }
  log.WriteLine(kLogSeparator);
  return result;
}

std::uint32_t ApplyPatches() {
  CUtlXProperty properties;
  if (properties.IsPatchModeOnly() && CUtlX().Select("//QEL/Patches/Msp") == 0) return platform::kPatchTargetNotFound;

  TheSetupUIHandler().StartPatchChain();
  std::uint32_t overall = 0;
  bool cancelDisabled = false;
  bool stopped = false;
  for (int order = 0; order <= kMaxPatchOrder && !stopped; ++order) {
    CUtlX patches;
    const int selected = patches.Select("QEL/Patches/Msp[@order='" + std::to_string(order) + "']");
    if (selected == 0) break;
    for (int i = 0; i < selected; ++i) {
      if (i > 0) patches.Xml().CounterNext();
      const std::uint32_t result = ApplyPatch(patches);
      if (!cancelDisabled) {
        SetCancelEnabled(false);
        cancelDisabled = true;
      }
      if (result == 0) continue;
      if (result == platform::kSuccessRebootInitiated || result == platform::kSuccessRebootRequired) {
        overall = platform::kSuccessRebootRequired;
        continue;
      }
      overall = result;
      stopped = true;
      break;
    }
  }
  EndPatchChain();
  SetCancelEnabled(true);
  return overall;
}

std::uint32_t AfterExecutePatches(void*) {
  CallScriptHook(CScriptLibrary::Hook::kAfterExecutePatches);
  return 0;
}

}  // namespace qel
