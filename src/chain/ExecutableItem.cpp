#include "chain/ExecutableItem.h"

#include <atomic>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>

#include "config/UtlPath.h"
#include "config/UtlXProperty.h"
#include "platform/MessageLoop.h"
#include "platform/Processes.h"
#include "uimsg/UiMessageTypes.h"
#include "uimsg/UtlXLogFile.h"

namespace qel {
namespace {

constexpr const char* kProgressCaptionProperty = "Str.ProgressTotalText.Complete";

// The progress display may replace the caption while the program runs; it is put back before the
// sixth tick and every fifth tick after it.
bool IsCaptionTick(unsigned tick) { return tick >= 6 && (tick - 6) % 5 == 0; }

void PostTick(const ExecutableJob& job, unsigned tick, const std::string& caption) {
  if (IsCaptionTick(tick)) CUtlXProperty().SetProperty(kProgressCaptionProperty, caption);
  job.poster(INSTALLMESSAGE_PROGRESS, "%s", kExecutableTickRecord);
}

// Shared by the calling thread and the waiting thread. `finished` is the waiter's; `waiting` is
// touched only on the main thread, so an end request that arrives after the wait is over
// ends nothing.
struct WaitState {
  std::atomic<bool> finished{false};
  bool waiting = true;
  std::uint32_t result = 0;
};

// The wait on a thread of its own while the main thread pumps. Returns nothing when the thread
// could not be created.
std::optional<std::uint32_t> WaitOnOwnThread(const ExecutableJob& job, platform::IMessageLoop& loop) {
  auto state = std::make_shared<WaitState>();
  std::thread waiter;
  try {
    waiter = std::thread([&job, &loop, state] {
      state->result = RunProcess(job);
      state->finished.store(true, std::memory_order_release);
      // Ending the loop from the main thread's own queue, rather than from here, cannot end the
      // loop before the calling thread has entered it, nor a loop entered after the wait.
      loop.Post([&loop, state] {
        if (state->waiting) loop.EndModal(1);
        return platform::MessageResult{0};
      });
    });
  } catch (const std::system_error&) {
    return std::nullopt;
  }
  // A loop ended by someone else before the program ended is entered again.
  while (!state->finished.load(std::memory_order_acquire)) loop.RunModal();
  state->waiting = false;
  waiter.join();
  return state->result;
}

}  // namespace

std::uint32_t RunProcess(const ExecutableJob& job) {
  const std::string program = CUtlPath(job.path).GetPath();
  const std::string workingFolder = CUtlPath(program).GetFolder();
  const std::string caption = CUtlXProperty().GetProperty(kProgressCaptionProperty);

  std::unique_ptr<platform::IProcess> process;
  const platform::ErrorCode started = platform::StartProcess(program, job.commandLine, workingFolder, process);
  if (started != platform::kSuccess) {
    LogTimed("Executable " + program + " could not be started, error " + std::to_string(started));
    return started;
  }

  unsigned tick = 0;
  bool ended = false;
  while (!ended) {
    ended = process->Wait(kExecutableTickInterval);
    if (job.poster) PostTick(job, ++tick, caption);
    std::this_thread::yield();
  }
  // Only the log hears the exit code: a started program counts as done.
  LogTimed("Executable " + program + " ended with exit code " + std::to_string(process->ExitCode().value_or(0)));
  return platform::kSuccess;
}

std::uint32_t RunExecutableItem(const ExecutableJob& job, int uiLevel) {
  if (job.poster) job.poster(SETUPMESSAGE_ITEMSTART, "Executable|%s", job.productCode.c_str());

  std::optional<std::uint32_t> result;
  platform::IMessageLoop& loop = platform::MainLoop();
  if (uiLevel > 2 && loop.IsMainThread()) result = WaitOnOwnThread(job, loop);
  if (!result) result = RunProcess(job);

  if (job.recordResult) job.recordResult(*result);
  if (job.poster) job.poster(SETUPMESSAGE_ITEMEND, "%d", static_cast<int>(*result));
  return *result;
}

}  // namespace qel
