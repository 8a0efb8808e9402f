#include "uimsg/RunPhase.h"

#include <atomic>
#include <memory>
#include <system_error>
#include <thread>

#include "config/UtlXProperty.h"
#include "platform/MessageLoop.h"

namespace qel {
namespace {

// One timer id per running host, so that nested hosts (a phase started from a dialog that a
// running phase brought up) do not restart each other's timers.
std::atomic<platform::TimerId> g_nextTimerId{0x5E70};

// The worker of one phase. Its result is published before `finished`, so the main thread reads
// it only after it has seen the worker end.
// The host's answer when it could not start the worker, as the desktop host answers without a thread.
constexpr std::int32_t kNoWorkerThread = 2;

struct PhaseWorker {
  std::function<std::uint32_t()> body;
  std::uint32_t result = 0;
  std::atomic<bool> finished{false};
  std::thread thread;
};

}  // namespace

std::int32_t RunPhaseAtLevel(int uiLevel, const std::function<std::uint32_t()>& phase) {
  platform::IMessageLoop& loop = platform::MainLoop();
  if (uiLevel < 3 || !loop.IsMainThread()) return static_cast<std::int32_t>(phase());

  auto worker = std::make_shared<PhaseWorker>();
  worker->body = phase;
  const platform::TimerId timer = g_nextTimerId++;
  bool collected = false;
  loop.SetTimer(timer, kPhasePollInterval, [&loop, &collected, worker, timer](platform::TimerId) {
    std::this_thread::yield();
    if (collected || !worker->finished.load(std::memory_order_acquire)) return;
    collected = true;
    loop.KillTimer(timer);
    loop.EndModal(1);
  });
  // The worker starts only once the timer runs, as a thread created suspended would.
  try {
    worker->thread = std::thread([worker] {
      worker->result = worker->body();
      worker->finished.store(true, std::memory_order_release);
    });
  } catch (const std::system_error&) {
    loop.KillTimer(timer);
    return kNoWorkerThread;
  }
  loop.RunModal();
  worker->thread.join();
  loop.KillTimer(timer);
  return static_cast<std::int32_t>(worker->result);
}

std::int32_t RunPhase(PhaseFunction phase) {
  if (phase == nullptr) return kNoWorkerThread;
  const int uiLevel = CUtlXProperty().GetUILevel();
  return RunPhaseAtLevel(uiLevel, [phase] { return phase(nullptr); });
}

}  // namespace qel
