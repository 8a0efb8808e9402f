#include "uimsg/InstallerHookup.h"

#include "platform/InstallerService.h"
#include "uimsg/SetupUIHandler.h"

namespace qel {
namespace {

int InstallerEntry(void* context, std::uint32_t messageType, const std::string& text) {
  return SetupUIHandler(context, messageType, text);
}

}  // namespace

void SetInstallerLogging(std::uint32_t mode, const std::string& path) {
  platform::Installer().EnableLog(mode, mode == 0 ? std::string() : path,
                                  platform::kInstallLogAttributeAppend);
}

void SetInstallerInternalUi(std::uintptr_t owner) {
  std::uintptr_t parent = owner;
  platform::Installer().SetInternalUI(platform::kInstallUiLevelNone | platform::kInstallUiLevelSourceResOnly,
                                      owner != 0 ? &parent : nullptr);
}

void InstallExternalUiHandler(std::uint32_t messageFilter) {
  // The installer service hands the context back untouched; the handler only compares its address.
  platform::ExternalUi ui;
  ui.handler = &InstallerEntry;
  ui.messageFilter = messageFilter;
  ui.context = const_cast<UiContext*>(&kUiContextInstaller);
  platform::Installer().SetExternalUI(ui);
}

}  // namespace qel
