#pragma once
#include <cstdint>
#include <string_view>

// What the log option letters switch on ("QEL.LogOptions", in the manner of the installer's
// command-line log options; letters are case-sensitive and count anywhere in the string).
namespace qel {

// The installer service's log mode: m e w u i o a r p v; every other letter adds nothing.
std::uint32_t InstallerLogModeFromOptions(std::string_view options);

// The message filter the handler asks of the installer service: the letters m e w u a r, plus
// the action-start, action-data and progress kinds at level 3, and every kind but information
// and files-in-use at levels 4 and 5 whatever the letters say.
std::uint32_t MessageFilterFromOptions(std::string_view options, int uiLevel);

// "+" after the first letter keeps an existing log file and appends to it ("v+"); a "+" in
// front ("+v") does not count, and the old file is replaced.
bool KeepsExistingLog(std::string_view options);

}  // namespace qel
