#pragma once
#include <cstdint>
#include <memory>

#include "uimsg/ScriptLibrary.h"

// The run's hook library, installed by the application at start-up and called by the phases at
// their points with the launcher's message poster.
namespace qel {

void InstallScriptLibrary(std::unique_ptr<CScriptLibrary> library);
// Null until a library is installed.
const CScriptLibrary* InstalledScriptLibrary();

// Calls the hook with ::SendSetupMessage; 0 when no library is installed or it lacks the hook.
std::uint32_t CallScriptHook(CScriptLibrary::Hook hook);

}  // namespace qel
