#include "uimsg/ScriptHooks.h"

#include "uimsg/SendSetupMessage.h"

namespace qel {
namespace {

// Written once at start-up on the main thread before any phase thread exists; read afterwards.
std::unique_ptr<CScriptLibrary>& Installed() {
  static std::unique_ptr<CScriptLibrary> library;
  return library;
}

}  // namespace

void InstallScriptLibrary(std::unique_ptr<CScriptLibrary> library) { Installed() = std::move(library); }

const CScriptLibrary* InstalledScriptLibrary() { return Installed().get(); }

std::uint32_t CallScriptHook(CScriptLibrary::Hook hook) {
  const CScriptLibrary* library = InstalledScriptLibrary();
  return library ? library->Call(hook, &::SendSetupMessage) : 0;
}

}  // namespace qel
