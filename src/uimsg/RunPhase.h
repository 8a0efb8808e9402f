#pragma once
#include <chrono>
#include <cstdint>
#include <functional>

// The execution host: a phase of long work runs on a worker thread while the main thread waits
// in a nested modal loop that keeps dispatching (the wizard stays usable, the worker's window
// output is served). The loop looks at the worker every 500 ms, so even a phase that ends at once
// is collected at the first look. Without a user interface (level 2) the phase runs directly.
namespace qel {

// A phase body in the form of a thread procedure: it receives null and returns its result.
using PhaseFunction = std::uint32_t (*)(void* argument);

inline constexpr std::chrono::milliseconds kPhasePollInterval{500};

// Reads the UI level from the property store ("QEL.UILevel").
std::int32_t RunPhase(PhaseFunction phase);

// The same at a given level; a level below 3 calls the phase on this thread, and so does a call
// from a thread other than the main thread, which has no loop of its own to wait in.
std::int32_t RunPhaseAtLevel(int uiLevel, const std::function<std::uint32_t()>& phase);

}  // namespace qel
