#include "uimsg/MainThreadRequest.h"

#include <memory>
#include <optional>
#include <utility>

#include "config/UtlXProperty.h"
#include "uimsg/SetupMessageFormat.h"
#include "uimsg/SetupUIHandler.h"
#include "uimsg/UiMessageRecords.h"

namespace qel {

void AutoResetEvent::Set() {
  std::lock_guard lock(mutex_);
  signalled_ = true;
  changed_.notify_one();
}

bool AutoResetEvent::Wait(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  if (!changed_.wait_for(lock, timeout, [this] { return signalled_; })) return false;
  signalled_ = false;
  return true;
}

AutoResetEvent& HandlerDoneEvent() {
  static AutoResetEvent event;
  return event;
}

SetupMessageIds RegisterSetupMessages(platform::IMessageLoop& loop) {
  return {loop.RegisterMessage(kInstallMessageRequestName), loop.RegisterMessage(kRefreshMessageName),
          loop.RegisterMessage(kDisableCancelMessageName)};
}

std::string RequestAnswerProperty(std::int32_t requestId) {
  return FormatSetupText("QEL.Runtime.%d.SetupUIHandler.ReturnValue", requestId);
}

int HandleSetupUIRequest(const SetupUIRequest& record) {
  const std::string empty;
  const int answer = SetupUIHandler(record.context, record.type, record.text ? *record.text : empty);
  CUtlXProperty().SetProperty(RequestAnswerProperty(record.requestId), std::to_string(answer));
  HandlerDoneEvent().Set();
  return answer;
}

void InstallMainThreadRequestPath(platform::IMessageLoop& loop) {
  const SetupMessageIds ids = RegisterSetupMessages(loop);
  loop.SetMessageHandler(ids.installMessage, [](const platform::Message& message) {
    if (message.wparam == 0) return platform::MessageResult{0};
    const auto* record = reinterpret_cast<const SetupUIRequest*>(message.wparam);
    return static_cast<platform::MessageResult>(HandleSetupUIRequest(*record));
  });
}

std::optional<std::int32_t> RequestOnMainThread(platform::IMessageLoop& loop, const void* context,
                                                std::uint32_t type, const std::string& text,
                                                std::int32_t requestId,
                                                std::chrono::milliseconds timeout) {
  static std::mutex oneAtATime;
  std::lock_guard lock(oneAtATime);
  // The record is shared with the queued work, so an answer that comes after a timeout still
  // finds it alive.
  auto request = std::make_shared<std::pair<SetupUIRequest, std::string>>();
  request->second = text;
  request->first = {context, type, &request->second, requestId};
  const platform::MessageId id = loop.RegisterMessage(kInstallMessageRequestName);
  loop.Post([&loop, id, request] {
    return loop.SendMessage({id, reinterpret_cast<std::uintptr_t>(&request->first), 0});
  });
  if (!HandlerDoneEvent().Wait(timeout)) return std::nullopt;
  return ParseDecimalOrZero(CUtlXProperty().GetProperty(RequestAnswerProperty(requestId)));
}

}  // namespace qel
