#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "uimsg/SendSetupMessage.h"

// Chain items whose file is an executable (a path ending in ".exe") rather than a package: the
// chain starts the program and waits for it. The program's exit code is written to the log but
// does not decide the item's result: a program that started counts as done, so a prerequisite
// installer that fails shows only in the log.
namespace qel {

// How often the wait looks at the program, and posts one progress tick.
inline constexpr std::chrono::milliseconds kExecutableTickInterval{500};
// The progress record of one tick of the progress display.
inline constexpr const char* kExecutableTickRecord = "1: 9 2: 0 3: 0 4: 0";

struct ExecutableJob {
  std::string path;          // the item's file
  std::string commandLine;   // the item's resolved command line
  std::string productCode;   // named in the item-start message
  SetupMessagePoster poster = nullptr;  // null: no messages and no ticks
  // Called with the result before the item-end message is posted, so that the item's `result`
  // is written when the user interface hears of the end; may be empty.
  std::function<void(std::uint32_t)> recordResult;
};

// Runs the executable of one item and answers the item's result: 0 when it started (whatever it
// returned), else the system's error code of the failed start (2 for a missing program).
// With a poster: the item-start message "Executable|<product code>" first, a progress tick every
// 500 ms of the wait, and the item-end message with the result last.
// At UI level 3 and up, called on the main thread, the program is waited for on a thread of its
// own while this thread pumps the main loop, so the wizard stays responsive; otherwise the wait
// happens on the calling thread. The caller publishes the item's progress text before.
std::uint32_t RunExecutableItem(const ExecutableJob& job, int uiLevel);

// Starts the executable of the job (its folder as working folder), waits for it with the ticks,
// and logs its exit code; 0 when it started, else the start's error code.
std::uint32_t RunProcess(const ExecutableJob& job);

}  // namespace qel
