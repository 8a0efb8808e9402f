#pragma once
#include <cstdint>

// The patch phases that follow the chain.
namespace qel {

// Finds the patches of the setup folder and sequences them; ends with the hook's answer.
std::uint32_t SchedulePatches(void* unused);
// Applies the scheduled patches in order.
std::uint32_t ApplyPatches();
// The hook after a successful patch application; its answer is not used.
std::uint32_t AfterExecutePatches(void* unused);

}  // namespace qel
