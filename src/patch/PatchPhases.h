#pragma once
#include <cstdint>
#include <string>

#include "config/UtlX.h"

// The patch phases: discovery at the end of initialisation, scheduling and application after
// the install chain.
namespace qel {

// The last step of initialisation: finds the patch files and enters patch-only mode when the
// source has patches but no managed package. 1602 when a cancel is pending, else 0.
std::uint32_t PatchModeInitialisation();

// Records every applicable (target, patch) pair as an `Msp`; 1642 in patch-only mode when
// nothing applies, 1602 on cancel, else the "after schedule patches" hook's answer.
std::uint32_t SchedulePatches(void* unused);

// Applies the `Msp` elements by order from 0; the first failure stops the rest.
std::uint32_t ApplyPatches();
// Applies one `Msp` (the cursor's current node) and records its result.
std::uint32_t ApplyPatch(CUtlX& patch);
// The command line for one `Msp`: the property named like the patch file, "MSP_CMDLINE", or the
// default template, resolved.
std::string ComposePatchCmdLine(const CUtlX& patch);

// The hook after a successful patch application; its answer is not used.
std::uint32_t AfterExecutePatches(void* unused);

}  // namespace qel
