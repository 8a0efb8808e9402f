#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "uimsg/QelScript.h"
#include "platform/ErrorCodes.h"
#include "platform/Library.h"

namespace qel {

// The product's hook library, Script.dll beside the program, with its hooks looked up by name
// once. A hook the library lacks, or every hook when the library is missing, answers 0 as the
// default library's hooks do.
class CScriptLibrary {
 public:
  enum class Hook : std::size_t {
    kAfterSetupInitialization,
    kUIWizardStart,
    kUIProgressStart,
    kBeforeExecuteChainInstall,
    kBeforeExecuteChainAdmin,
    kAfterExecuteChainInstall,
    kAfterExecuteChainAdmin,
    kAfterSchedulePatches,
    kAfterExecutePatches,
    kUIWizardCompleteSuccess,
    kUIWizardCompleteError,
    kUIWizardCompleteReboot,
    kCount
  };

  // Loads "Script.dll" from `programFolder` (a desktop folder path).
  explicit CScriptLibrary(const std::string& programFolder);

  // kSuccess, or why the library could not be loaded.
  platform::ErrorCode LoadResult() const { return loadResult_; }
  bool HasHook(Hook hook) const { return hooks_[static_cast<std::size_t>(hook)] != nullptr; }
  static const char* HookName(Hook hook);

  std::uint32_t Call(Hook hook, QelSetupMessagePoster poster) const;
  std::uint32_t FeatureSelectionChanged(const QelFeatureData& feature) const;

  // Loads the library afresh, calls its export `name` with no arguments and unloads it again.
  // Nothing when the library or the export is missing.
  static std::optional<std::uint32_t> CallExport(const std::string& programFolder, const std::string& name);

 private:
  std::unique_ptr<platform::ILibrary> library_;
  platform::ErrorCode loadResult_ = platform::kSuccess;
  std::array<QelScriptHook, static_cast<std::size_t>(Hook::kCount)> hooks_{};
  QelFeatureHook featureHook_ = nullptr;
};

}  // namespace qel
