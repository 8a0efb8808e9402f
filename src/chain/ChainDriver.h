#pragma once
#include <cstdint>
#include <string>

#include "uimsg/SendSetupMessage.h"

// The phases the application runs in a fixed order. Each answers an installer result code.
namespace qel {

// Prepares the chain and lets the other parts initialise before the wizard.
std::uint32_t InitializationPhase();
// Schedules the items and calls the "before" hook; the run goes on for 0 and 1.
std::uint32_t BeforeExecuteChain();
// Runs the install chain, or the administrative chain for ACTION=ADMIN.
std::uint32_t ExecuteChain();

// The install chain on its own, its items posting through `poster`: the scheduled items in
// order, a restart code remembered, a cancel walking back over the items before it, any other
// failure ending the chain. ExecuteChain runs it with SendSetupMessage.
std::uint32_t InstallChain(SetupMessagePoster poster);

// "%#H:%#M:%#S:" of the current local time, the stamp of the phases' action lines.
std::string PhaseTimeStamp();

}  // namespace qel
