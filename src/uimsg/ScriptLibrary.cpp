#include "uimsg/ScriptLibrary.h"

#include "config/UtlPath.h"

namespace qel {
namespace {

constexpr const char* kHookNames[] = {
    "Script_AfterSetupInitialization",  "Script_UIWizardStart",           "Script_UIProgressStart",
    "Script_BeforeExecuteChainInstall", "Script_BeforeExecuteChainAdmin", "Script_AfterExecuteChainInstall",
    "Script_AfterExecuteChainAdmin",    "Script_AfterSchedulePatches",    "Script_AfterExecutePatches",
    "Script_UIWizardCompleteSuccess",   "Script_UIWizardCompleteError",   "Script_UIWizardCompleteReboot",
};
static_assert(std::size(kHookNames) == static_cast<std::size_t>(CScriptLibrary::Hook::kCount));

std::string LibraryPath(const std::string& programFolder) {
  CUtlPath path(programFolder);
  path.Append("Script.dll");
  return path.Text();
}

}  // namespace

CScriptLibrary::CScriptLibrary(const std::string& programFolder) {
  loadResult_ = platform::LoadLibrary(LibraryPath(programFolder), library_);
  if (!library_) return;
  for (std::size_t i = 0; i < hooks_.size(); ++i) hooks_[i] = library_->FindFunction<QelScriptHook>(kHookNames[i]);
  featureHook_ = library_->FindFunction<QelFeatureHook>("Script_FeatureSelectionChanged");
}

const char* CScriptLibrary::HookName(Hook hook) { return kHookNames[static_cast<std::size_t>(hook)]; }

std::uint32_t CScriptLibrary::Call(Hook hook, QelSetupMessagePoster poster) const {
  const QelScriptHook function = hooks_[static_cast<std::size_t>(hook)];
  return function ? function(poster) : 0;
}

std::uint32_t CScriptLibrary::FeatureSelectionChanged(const QelFeatureData& feature) const {
  return featureHook_ ? featureHook_(feature) : 0;
}

std::optional<std::uint32_t> CScriptLibrary::CallExport(const std::string& programFolder, const std::string& name) {
  std::unique_ptr<platform::ILibrary> library;
  if (platform::LoadLibrary(LibraryPath(programFolder), library) != platform::kSuccess || !library) return std::nullopt;
  const auto function = library->FindFunction<QelScriptExport>(name);
  if (!function) return std::nullopt;
  return function();
}

}  // namespace qel
