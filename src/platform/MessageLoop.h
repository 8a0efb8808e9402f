#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

// The main thread's message loop. Work reaches the main thread in one of two forms:
//  - a task: any callable returning an integer answer (the common case inside the launcher);
//  - a message: an (id, wparam, lparam) record for a message id registered by name, delivered to
//    the handler set for that id (the launcher's registered messages such as the wizard refresh).
// Both can be posted (queued, no answer) from any thread or sent (the caller waits for the answer)
// from any thread; a send from the main thread itself runs at once, without queueing, as the
// desktop's synchronous send does. Posted work is dispatched only while the main thread pumps:
// inside RunModal or PumpPending. Timers fire on the main thread while it pumps, after the queued
// work, like the desktop's low-priority timer messages.
namespace qel::platform {

using MessageId = std::uint32_t;
using MessageResult = std::intptr_t;
using TimerId = std::uint32_t;

struct Message {
  MessageId id = 0;
  std::uintptr_t wparam = 0;
  std::intptr_t lparam = 0;
};

using Task = std::function<MessageResult()>;
using MessageHandler = std::function<MessageResult(const Message&)>;
using TimerCallback = std::function<void(TimerId)>;

class IMessageLoop {
 public:
  virtual ~IMessageLoop() = default;

  // The same name (without regard to letter case) always gives the same id, in the desktop's
  // range for registered messages (0xC000 to 0xFFFF); 0 when the name is empty or the range is
  // used up.
  virtual MessageId RegisterMessage(std::string_view name) = 0;
  // Sets the handler that receives messages with `id` on the main thread; an empty handler
  // removes it. A message without a handler is dropped and a send of it answers 0.
  virtual void SetMessageHandler(MessageId id, MessageHandler handler) = 0;

  virtual void Post(Task task) = 0;
  virtual void PostMessage(const Message& message) = 0;
  // Runs on the main thread and returns the answer. A send that the loop can no longer carry out
  // (the loop is being destroyed) answers 0.
  virtual MessageResult Send(Task task) = 0;
  virtual MessageResult SendMessage(const Message& message) = 0;

  // Main thread only (elsewhere it answers 0 at once): dispatches queued work and due timers
  // until EndModal is called for this loop, and returns the result given to EndModal. Loops nest: a task dispatched by one loop may
  // run another, and EndModal ends the innermost.
  virtual MessageResult RunModal() = 0;
  // Ends the innermost running modal loop with `result`; callable from any thread. Answers false
  // (and does nothing) when no modal loop runs.
  virtual bool EndModal(MessageResult result) = 0;
  // Main thread only (elsewhere it answers 0): dispatches what is queued now and the timers that are due, without waiting;
  // answers how many tasks, messages and timer calls it dispatched.
  virtual int PumpPending() = 0;

  // Starts or restarts timer `id` (a second call with the same id replaces it). The callback runs
  // on the main thread, first after `interval`, then every `interval` after its previous run ends.
  virtual void SetTimer(TimerId id, std::chrono::milliseconds interval, TimerCallback callback) = 0;
  // Answers false when no timer with `id` runs.
  virtual bool KillTimer(TimerId id) = 0;

  virtual bool IsMainThread() const = 0;
};

// A loop owned by the calling thread, which becomes its main thread. It must outlive every thread
// that posts or sends to it.
std::unique_ptr<IMessageLoop> CreateMessageLoop();

// The process's loop, owned by the thread that calls this first: the launcher calls it at
// start-up on the main thread before any other thread exists.
IMessageLoop& MainLoop();

}  // namespace qel::platform
