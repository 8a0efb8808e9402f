#include "patch/PatchPhases.h"

#include "uimsg/ScriptHooks.h"
#include "uimsg/UtlXLogFile.h"

namespace qel {

std::uint32_t SchedulePatches(void*) {
  // Patch discovery and sequencing are not built yet: no patch is scheduled, which the log says.
  LogTimed("Patch discovery is not available in this build; no patch is scheduled");
  return CallScriptHook(CScriptLibrary::Hook::kAfterSchedulePatches);
}

std::uint32_t ApplyPatches() { return 0; }  // nothing was scheduled

std::uint32_t AfterExecutePatches(void*) {
  CallScriptHook(CScriptLibrary::Hook::kAfterExecutePatches);
  return 0;
}

}  // namespace qel
