#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/MessageLoop.h"
#include "platform/Platform.h"
#include "platform/TextCase.h"

namespace qel::platform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr MessageId kFirstRegisteredMessage = 0xC000;
constexpr MessageId kLastRegisteredMessage = 0xFFFF;

// Answer of one send. Shared with the sender so that a sender still waiting when the loop is
// destroyed wakes up on live memory.
struct SendSlot {
  MessageResult result = 0;
  bool done = false;
};

struct QueuedWork {
  Task task;
  std::shared_ptr<SendSlot> slot;  // null for posted work
};

struct TimerEntry {
  std::chrono::milliseconds interval{};
  std::shared_ptr<TimerCallback> callback;
  Clock::time_point due;
  std::uint64_t generation = 0;
};

struct ModalFrame {
  bool ended = false;
  MessageResult result = 0;
};

// Everything the other threads touch, behind one mutex; kept alive by the senders that wait.
struct LoopState {
  std::mutex mutex;
  std::condition_variable workArrived;
  std::condition_variable answered;
  std::deque<QueuedWork> queue;
  std::map<TimerId, TimerEntry> timers;
  std::uint64_t nextGeneration = 1;
  std::vector<ModalFrame> modal;
  std::map<std::string, MessageId> registered;
  MessageId nextRegistered = kFirstRegisteredMessage;
  std::map<MessageId, std::shared_ptr<MessageHandler>> handlers;
  bool closing = false;
};

// Marks a send answered even when its task throws, so that the sender never waits forever.
class AnswerOnExit {
 public:
  AnswerOnExit(LoopState& state, std::shared_ptr<SendSlot> slot)
      : state_(state), slot_(std::move(slot)) {}
  AnswerOnExit(const AnswerOnExit&) = delete;
  AnswerOnExit& operator=(const AnswerOnExit&) = delete;
  ~AnswerOnExit() {
    if (!slot_) return;
    std::lock_guard lock(state_.mutex);
    slot_->result = result_;
    slot_->done = true;
    state_.answered.notify_all();
  }
  void Set(MessageResult result) { result_ = result; }

 private:
  LoopState& state_;
  std::shared_ptr<SendSlot> slot_;
  MessageResult result_ = 0;
};

class ThreadMessageLoop final : public IMessageLoop {
 public:
  ThreadMessageLoop() : owner_(std::this_thread::get_id()), state_(std::make_shared<LoopState>()) {}

  ~ThreadMessageLoop() override {
    std::lock_guard lock(state_->mutex);
    state_->closing = true;
    for (auto& work : state_->queue) {
      if (work.slot) work.slot->done = true;
    }
    state_->queue.clear();
    state_->answered.notify_all();
  }

  MessageId RegisterMessage(std::string_view name) override {
    if (name.empty()) return 0;
    std::string key = ToLower(name);
    std::lock_guard lock(state_->mutex);
    if (auto found = state_->registered.find(key); found != state_->registered.end()) {
      return found->second;
    }
    if (state_->nextRegistered > kLastRegisteredMessage) return 0;
    MessageId id = state_->nextRegistered++;
    state_->registered.emplace(std::move(key), id);
    return id;
  }

  void SetMessageHandler(MessageId id, MessageHandler handler) override {
    std::lock_guard lock(state_->mutex);
    if (!handler) {
      state_->handlers.erase(id);
      return;
    }
    state_->handlers[id] = std::make_shared<MessageHandler>(std::move(handler));
  }

  void Post(Task task) override {
    std::lock_guard lock(state_->mutex);
    if (state_->closing) return;
    state_->queue.push_back({std::move(task), nullptr});
    state_->workArrived.notify_all();
  }

  void PostMessage(const Message& message) override {
    Post([this, message] { return Deliver(message); });
  }

  MessageResult Send(Task task) override {
    if (IsMainThread()) return task();
    std::shared_ptr<LoopState> state = state_;
    auto slot = std::make_shared<SendSlot>();
    std::unique_lock lock(state->mutex);
    if (state->closing) return 0;
    state->queue.push_back({std::move(task), slot});
    state->workArrived.notify_all();
    state->answered.wait(lock, [&] { return slot->done; });
    return slot->result;
  }

  MessageResult SendMessage(const Message& message) override {
    return Send([this, message] { return Deliver(message); });
  }

  MessageResult RunModal() override {
    if (!IsMainThread()) return 0;  // two threads dispatching would break the one-owner rule
    std::unique_lock lock(state_->mutex);
    state_->modal.push_back({});
    const std::size_t depth = state_->modal.size() - 1;
    for (;;) {
      if (state_->modal[depth].ended) {
        MessageResult result = state_->modal[depth].result;
        state_->modal.pop_back();
        return result;
      }
      if (RunOneQueued(lock)) continue;
      if (RunOneDueTimer(lock)) continue;
      WaitForWork(lock);
    }
  }

  bool EndModal(MessageResult result) override {
    std::lock_guard lock(state_->mutex);
    for (auto frame = state_->modal.rbegin(); frame != state_->modal.rend(); ++frame) {
      if (frame->ended) continue;
      frame->ended = true;
      frame->result = result;
      state_->workArrived.notify_all();
      return true;
    }
    return false;
  }

  int PumpPending() override {
    if (!IsMainThread()) return 0;
    std::unique_lock lock(state_->mutex);
    int dispatched = 0;
    // Only what is queued now: a task that posts again must not keep this call busy forever.
    for (std::size_t waiting = state_->queue.size(); waiting > 0 && RunOneQueued(lock); --waiting) {
      ++dispatched;
    }
    std::vector<TimerId> due;
    const auto now = Clock::now();
    for (const auto& [id, timer] : state_->timers) {
      if (timer.due <= now) due.push_back(id);
    }
    for (TimerId id : due) {
      if (RunTimerIfDue(lock, id, now)) ++dispatched;
    }
    return dispatched;
  }

  void SetTimer(TimerId id, std::chrono::milliseconds interval, TimerCallback callback) override {
    std::lock_guard lock(state_->mutex);
    TimerEntry& timer = state_->timers[id];
    timer.interval = interval;
    timer.callback = std::make_shared<TimerCallback>(std::move(callback));
    timer.due = Clock::now() + interval;
    timer.generation = state_->nextGeneration++;
    state_->workArrived.notify_all();
  }

  bool KillTimer(TimerId id) override {
    std::lock_guard lock(state_->mutex);
    return state_->timers.erase(id) > 0;
  }

  bool IsMainThread() const override { return std::this_thread::get_id() == owner_; }

 private:
  MessageResult Deliver(const Message& message) {
    std::shared_ptr<MessageHandler> handler;
    {
      std::lock_guard lock(state_->mutex);
      auto found = state_->handlers.find(message.id);
      if (found == state_->handlers.end()) return 0;
      handler = found->second;
    }
    return (*handler)(message);
  }

  // Each Run* function is entered and left with the lock held and releases it while user code
  // runs, so that the code may post, send, set timers or nest another modal loop.
  bool RunOneQueued(std::unique_lock<std::mutex>& lock) {
    if (state_->queue.empty()) return false;
    QueuedWork work = std::move(state_->queue.front());
    state_->queue.pop_front();
    lock.unlock();
    {
      AnswerOnExit answer(*state_, std::move(work.slot));
      answer.Set(work.task());
    }
    lock.lock();
    return true;
  }

  bool RunOneDueTimer(std::unique_lock<std::mutex>& lock) {
    const auto now = Clock::now();
    for (const auto& [id, timer] : state_->timers) {
      if (timer.due <= now) return RunTimerIfDue(lock, id, now);
    }
    return false;
  }

  bool RunTimerIfDue(std::unique_lock<std::mutex>& lock, TimerId id, Clock::time_point now) {
    auto found = state_->timers.find(id);
    if (found == state_->timers.end() || found->second.due > now) return false;
    std::shared_ptr<TimerCallback> callback = found->second.callback;
    const std::uint64_t generation = found->second.generation;
    lock.unlock();
    (*callback)(id);
    lock.lock();
    // The callback may have killed or replaced its timer; only an untouched timer is rescheduled.
    found = state_->timers.find(id);
    if (found != state_->timers.end() && found->second.generation == generation) {
      found->second.due = Clock::now() + found->second.interval;
    }
    return true;
  }

  void WaitForWork(std::unique_lock<std::mutex>& lock) {
    std::optional<Clock::time_point> nextDue;
    for (const auto& [id, timer] : state_->timers) {
      if (!nextDue || timer.due < *nextDue) nextDue = timer.due;
    }
    if (nextDue) {
      state_->workArrived.wait_until(lock, *nextDue);
      return;
    }
    state_->workArrived.wait(lock);
  }

  const std::thread::id owner_;
  std::shared_ptr<LoopState> state_;
};

std::mutex mainLoopMutex;
std::unique_ptr<IMessageLoop> mainLoop;

void DropMainLoop() {
  std::lock_guard lock(mainLoopMutex);
  mainLoop.reset();
}

}  // namespace

std::unique_ptr<IMessageLoop> CreateMessageLoop() { return std::make_unique<ThreadMessageLoop>(); }

IMessageLoop& MainLoop() {
  std::lock_guard lock(mainLoopMutex);
  if (!mainLoop) {
    static std::once_flag registered;
    std::call_once(registered, [] { OnPlatformReset(&DropMainLoop); });
    mainLoop = CreateMessageLoop();
  }
  return *mainLoop;
}

}  // namespace qel::platform
