#include <string>
#include <vector>

#include "config/UtlPath.h"
#include "config/UtlX.h"
#include "config/UtlXProperty.h"
#include "patch/DynamicPatchList.h"
#include "patch/LicenceRule.h"
#include "patch/PatchPhases.h"
#include "patch/PatchTarget.h"
#include "platform/InstallerService.h"
#include "platform/Platform.h"
#include "uimsg/ScriptHooks.h"
#include "uimsg/SetupUIHandler.h"
#include "uimsg/WizardWindow.h"

namespace qel {
namespace {

constexpr std::uint32_t kUserExit = platform::kInstallUserExit;
constexpr std::uint32_t kMaxImageDepth = 4;

bool CancelPending() { return TheSetupUIHandler().State().cancelPending; }

void PublishCaption(const std::string& name) {
  CUtlXProperty properties;
  const std::string text = properties.GetProperty("Str.PatchInitializeProgressText");
  std::string caption = name;
  if (const auto at = text.find("%s"); at != std::string::npos) {
    caption = text;
    caption.replace(at, 2, name);
  }
  properties.SetProperty("Str.ProgressTotalText.Complete", caption);
  if (IWizardWindow* window = ApplicationMainWindow()) window->Refresh(kRefreshTotalCaption, 0);
}

std::vector<platform::PatchSequenceRecord> FoundRecords() { return TheDynamicPatchList().entries; }

void RecordApplicable(const std::string& target, const std::vector<platform::PatchSequenceRecord>& records) {
  const std::uint32_t count = TheDynamicPatchList().count;
  for (std::uint32_t i = 0; i < count && i < records.size(); ++i) {
    if (records[i].status == 0) AddDynamicPatch(target, records[i].patchData, records[i].order);
  }
}

std::uint32_t ExamineInstalledProducts() {
  auto& installer = platform::Installer();
  std::string productCode;
  for (unsigned index = 0; installer.EnumProducts(index, productCode) == platform::kSuccess; ++index) {
    PublishCaption(productCode);
    auto records = FoundRecords();
    if (installer.DeterminePatchSequence(productCode, records) == platform::kSuccess) {
      RecordApplicable(productCode, records);
    }
    if (CancelPending()) return kUserExit;
  }
  PublishCaption("");
  return 0;
}

void WalkImageFolder(const CUtlPath& folder) {
  if (CancelPending()) return;
  std::vector<platform::FileEntry> packages;
  CUtlPath pattern(folder);
  pattern.Append("*.msi");
  platform::Files().Enumerate(pattern, packages);
  for (const auto& entry : packages) {
    if (entry.isFolder) continue;
    PublishCaption(entry.name);
    CUtlPath package(folder);
    package.Append(entry.name);
    auto records = FoundRecords();
    if (platform::Installer().DetermineApplicablePatches(package, records) == platform::kSuccess) {
      RecordApplicable(package, records);
    }
    if (CancelPending()) break;
  }
  PublishCaption("");

  std::vector<platform::FileEntry> children;
  CUtlPath all(folder);
  all.Append("*");
  platform::Files().Enumerate(all, children);
  DynamicPatchList& list = TheDynamicPatchList();
  for (const auto& entry : children) {
    if (CancelPending()) return;
    if (!entry.isFolder || list.depth >= kMaxImageDepth) continue;
    ++list.depth;
    CUtlPath child(folder);
    child.Append(entry.name);
    WalkImageFolder(child);
    --list.depth;
  }
}

bool HasManagedPackage() { return CUtlX().Select("//QEL/Setups/Msi[@managed=1]") > 0; }

}  // namespace

std::uint32_t PatchModeInitialisation() {
  if (FindPatchFiles() && !HasManagedPackage()) {
    CUtlXProperty properties;
    properties.SetProperty("QEL.PatchMode.Only", "1");
    ApplyLicenceRule();
    if (AdminInstallRequested(properties) && CheckPatchTarget() != 0) properties.SetProperty("TARGETDIR", "");
  }
  return CancelPending() ? kUserExit : 0;
}

std::uint32_t SchedulePatches(void*) {
  CUtlXProperty properties;
  if (properties.GetProperty("DisableDynamicPatches") == "1") return 0;
  DynamicPatchList& list = TheDynamicPatchList();
  if (list.count > 0) {
    if (AdminInstallRequested(properties)) {
      const CUtlPath image(properties.GetProperty("TARGETDIR"));
      if (image.Is(CUtlPath::kAbsolute) && image.Is(CUtlPath::kExists)) {
        list.depth = 0;
        WalkImageFolder(image);
      }
    } else {
      ExamineInstalledProducts();
    }
  }
  if (CancelPending()) return kUserExit;
  if (CUtlX().Select("//QEL/Patches/Msp") == 0 && properties.IsPatchModeOnly()) return platform::kPatchTargetNotFound;
  return CallScriptHook(CScriptLibrary::Hook::kAfterSchedulePatches);
}

}  // namespace qel
