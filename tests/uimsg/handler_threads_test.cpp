#include <gtest/gtest.h>

#include <thread>

#include "platform/MessageLoop.h"
#include "uimsg/RunPhase.h"
#include "uimsg/UiMessageTypes.h"
#include "uimsg/UiTestSupport.h"

namespace qel {
namespace {

// A phase on its worker reports progress while the wizard, on the main thread, confirms a
// cancel: the worker must see it at its next progress message, and its window output must be
// served by the main thread that waits for it.
TEST(HandlerThreads, CancelFromTheMainThreadReachesTheWorkersNextProgressMessage) {
  test::UiMachine ui({{"QEL.UILevel", "3"}, {"Str.ProgressTotalText.Complete", "Installing %d"},
                      {"Str.Initializing.Text.Cancelling", "Cancelling"}});
  test::RecordingWizard wizard;
  SetApplicationMainWindow(&wizard);
  CSetupUIHandler handler;
  handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_INITIALIZE, "");
  handler.Handle(&kUiContextLauncher, SETUPMESSAGE_ITEMSTART, "MsiInstallProduct|a|0|");
  handler.SetPercentModelForTest(1, 0, 0, 0.0f);
  const auto mainThread = std::this_thread::get_id();
  std::thread::id cancelledOn;

  const std::int32_t result = RunPhaseAtLevel(3, [&]() -> std::uint32_t {
    handler.Handle(&kUiContextInstaller, INSTALLMESSAGE_PROGRESS, "1: 0 2: 1000 3: 0 4: 0 ");
    for (int tick = 0; tick < 900; ++tick) {
      if (handler.Handle(&kUiContextInstaller, INSTALLMESSAGE_PROGRESS, "1: 2 2: 1 ") == kAnswerCancel) {
        return 1602;
      }
      if (tick == 20) {
        platform::MainLoop().Post([&] {
          cancelledOn = std::this_thread::get_id();
          return platform::MessageResult{handler.Handle(&kUiContextLauncher, SETUPMESSAGE_CANCEL, "")};
        });
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return 0;
  });

  EXPECT_EQ(result, 1602);
  EXPECT_EQ(cancelledOn, mainThread);
  EXPECT_FALSE(wizard.refreshes.empty());
  for (const auto& refresh : wizard.refreshes) EXPECT_EQ(refresh.code, kRefreshPercent);
  EXPECT_EQ(wizard.refreshes.front().percent.text, "Installing 1");
}

}  // namespace
}  // namespace qel
