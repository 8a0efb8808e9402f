#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "platform/MessageLoop.h"

// The main-thread request path: a thread of the process that needs the handler to run on the
// main thread posts the registered message "UWM_SETUPAPP_INSTALLMESSAGE-{...}" with a pointer to
// its request record, waits for HandlerDoneEvent, and reads the answer from the property
// "QEL.Runtime.<requestId>.SetupUIHandler.ReturnValue". The launcher's own threads never need it
// (SendSetupMessage runs the handler where it is posted); it serves code loaded into the process.
namespace qel {

inline constexpr const char* kInstallMessageRequestName =
    "UWM_SETUPAPP_INSTALLMESSAGE-{9916C6BD-1CBE-41E7-BD3A-EDBF7C04D7B8}";
inline constexpr const char* kRefreshMessageName =
    "UWM_SETUPDLG_REFRESH-{9916C6BD-1CBE-41E7-BD3A-EDBF7C04D7B8}";
inline constexpr const char* kDisableCancelMessageName =
    "UWM_SETUPDLG_INSTALLMESSAGE_DISABLECANCEL-{9916C6BD-1CBE-41E7-BD3A-EDBF7C04D7B8}";

// Owned by the sender; valid until the answer is signalled.
struct SetupUIRequest {
  const void* context = nullptr;
  std::uint32_t type = 0;
  const std::string* text = nullptr;
  std::int32_t requestId = 0;
};

// An unnamed auto-reset event: one Set releases one Wait.
class AutoResetEvent {
 public:
  void Set();
  // False when the timeout passed first.
  bool Wait(std::chrono::milliseconds timeout);

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool signalled_ = false;
};

// The event that answers a main-thread request.
AutoResetEvent& HandlerDoneEvent();

// The registered messages' ids in `loop`.
struct SetupMessageIds {
  platform::MessageId installMessage = 0;
  platform::MessageId refresh = 0;
  platform::MessageId disableCancel = 0;
};
SetupMessageIds RegisterSetupMessages(platform::IMessageLoop& loop);

// The property that carries the answer of request `requestId`.
std::string RequestAnswerProperty(std::int32_t requestId);

// Main thread: runs the handler for the request at `record`, stores its answer in the request's
// property, signals HandlerDoneEvent, and answers the handler's answer.
int HandleSetupUIRequest(const SetupUIRequest& record);

// Makes `loop` run the request path for the install-message id; called once at start-up.
void InstallMainThreadRequestPath(platform::IMessageLoop& loop);

// A sender's side: posts the request to the main thread, waits for the event (at most `timeout`)
// and reads the answer from the property; nothing on a timeout. Only one request may be
// outstanding at a time, as the event is shared; concurrent senders are queued here.
std::optional<std::int32_t> RequestOnMainThread(platform::IMessageLoop& loop, const void* context,
                                                std::uint32_t type, const std::string& text,
                                                std::int32_t requestId,
                                                std::chrono::milliseconds timeout);

}  // namespace qel
