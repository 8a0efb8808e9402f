#include <gtest/gtest.h>

#include <thread>

#include "config/UtlXProperty.h"
#include "uimsg/MainThreadRequest.h"
#include "uimsg/UiMessageTypes.h"
#include "uimsg/UiTestSupport.h"

namespace qel {
namespace {

TEST(MainThreadRequest, AnswerGoesToThePropertyAndTheEventOnce) {
  test::UiMachine ui({});
  static const UiContext requestContext{"request"};
  const std::string text = "note";
  SetupUIRequest record{&requestContext, INSTALLMESSAGE_INFO, &text, 7};
  EXPECT_EQ(HandleSetupUIRequest(record), 1);
  EXPECT_EQ(CUtlXProperty().GetProperty("QEL.Runtime.7.SetupUIHandler.ReturnValue"), "1");
  EXPECT_TRUE(HandlerDoneEvent().Wait(std::chrono::milliseconds(0)));
  EXPECT_FALSE(HandlerDoneEvent().Wait(std::chrono::milliseconds(0)));
}

TEST(MainThreadRequest, AnotherThreadGetsTheMainThreadsAnswer) {
  test::UiMachine ui({});
  platform::IMessageLoop& loop = platform::MainLoop();
  InstallMainThreadRequestPath(loop);
  std::optional<std::int32_t> answer;
  std::thread sender([&] {
    answer = RequestOnMainThread(loop, &kUiContextLauncher, INSTALLMESSAGE_INFO, "", 12, std::chrono::seconds(10));
    loop.EndModal(0);
  });
  loop.RunModal();
  sender.join();
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(*answer, 1);
  EXPECT_EQ(CUtlXProperty().GetProperty("QEL.Runtime.12.SetupUIHandler.ReturnValue"), "1");
  EXPECT_EQ(TheSetupUIHandler().State().context, &kUiContextLauncher);
}

TEST(MainThreadRequest, RegisteredMessagesHaveStableIds) {
  platform::IMessageLoop& loop = platform::MainLoop();
  const SetupMessageIds first = RegisterSetupMessages(loop);
  const SetupMessageIds second = RegisterSetupMessages(loop);
  EXPECT_EQ(first.installMessage, second.installMessage);
  EXPECT_NE(first.installMessage, first.refresh);
  EXPECT_NE(first.refresh, first.disableCancel);
  EXPECT_GE(first.installMessage, 0xC000u);
}

}  // namespace
}  // namespace qel
