#include <gtest/gtest.h>

#include "config/UtlXProperty.h"
#include "uimsg/UiMessageTypes.h"
#include "uimsg/UiTestSupport.h"

namespace qel {
namespace {

using test::RecordingWizard;
using test::UiMachine;

int Progress(CSetupUIHandler& handler, const char* record) {
  return handler.Handle(&kUiContextInstaller, INSTALLMESSAGE_PROGRESS, record);
}

struct ResetCase {
  const char* name;
  std::int32_t total, position;
  float multiplier;
  const char* record;
  std::int32_t expectedTotal, expectedPosition;
  bool forward, scripting;
};

TEST(HandlerProgress, ResetKeepsTheFilledFraction) {
  const ResetCase cases[] = {
      {"scripting, normal install", 0, 0, 5.0f, "1: 0 2: 1000 3: 0 4: 1 ", 5000, 0, true, true},
      {"scripting, administrative", 0, 0, 3.0f, "1: 0 2: 1000 3: 0 4: 1 ", 3000, 0, true, true},
      {"quarter filled", 1000, 250, 5.0f, "1: 0 2: 600 3: 0 4: 0 ", 750, 187, true, false},
      {"empty counts as full", 1000, 0, 5.0f, "1: 0 2: 400 3: 0 4: 0 ", 800, 800, true, false},
      {"right after item start", 0, 0, 5.0f, "1: 0 2: 400 3: 1 4: 0 ", 400, 0, false, false},
      {"empty reset", 1000, 500, 5.0f, "1: 0 2: 0 3: 0 4: 1 ", 0, 0, true, true},
      {"huge stretch is clamped", 0, 0, 5.0f, "1: 0 2: 2147483647 3: 0 4: 1 ", 2147483647, 0, true, true},
  };
  for (const auto& c : cases) {
    UiMachine ui({});
    CSetupUIHandler handler;
    handler.SetProgressModelForTest(c.total, c.position, c.multiplier);
    EXPECT_EQ(Progress(handler, c.record), 1) << c.name;
    const auto state = handler.State();
    EXPECT_EQ(state.totalTicks, c.expectedTotal) << c.name;
    EXPECT_EQ(state.position, c.expectedPosition) << c.name;
    EXPECT_EQ(state.forward, c.forward) << c.name;
    EXPECT_EQ(state.scripting, c.scripting) << c.name;
  }
}

TEST(HandlerProgress, ReportsAddsAndActionInfoMoveTheModel) {
  UiMachine ui({});
  CSetupUIHandler handler;
  Progress(handler, "1: 2 2: 10 ");  // no total yet: nothing moves
  EXPECT_EQ(handler.State().position, 0);
  Progress(handler, "1: 0 2: 100 3: 0 4: 0 ");
  Progress(handler, "1: 2 2: 10 ");
  EXPECT_EQ(handler.State().position, 10);
  Progress(handler, "1: 3 2: 50 ");
  EXPECT_EQ(handler.State().totalTicks, 150);
  Progress(handler, "1: 1 2: 4 3: 1 ");
  EXPECT_EQ(handler.State().step, 4);
  EXPECT_TRUE(handler.State().stepOnActionData);
  handler.Handle(&kUiContextInstaller, INSTALLMESSAGE_ACTIONDATA, "file");
  handler.Handle(&kUiContextInstaller, INSTALLMESSAGE_ACTIONDATA, "file");
  EXPECT_EQ(handler.State().position, 18);
  Progress(handler, "1: 1 2: 4 3: 0 ");
  EXPECT_FALSE(handler.State().stepOnActionData);
  Progress(handler, "1: 5 2: 999 3: 9 4: 9");  // kind 5 does nothing
  EXPECT_EQ(handler.State().position, 18);
  EXPECT_EQ(handler.State().totalTicks, 150);

  // Backwards: a reset with field 3 set makes reports count down.
  Progress(handler, "1: 0 2: 0 3: 0 4: 0 ");
  Progress(handler, "1: 0 2: 100 3: 1 4: 0 ");
  Progress(handler, "1: 2 2: 30 ");
  EXPECT_EQ(handler.State().position, -30);
}

// Three items in the chain, the one running at the given fraction of its ticks.
struct PercentCase {
  const char* name;
  const char* caption;
  std::int32_t itemsToRun, itemsDone, basePercent;
  float startPercent;
  int ticksOfHundred;
  bool expectSent;
  float expectedPercent;
  const char* expectedText;
};

TEST(HandlerPercent, OverallPercentageAndItsCaption) {
  const PercentCase cases[] = {
      {"third item at half", "Installing %d percent", 3, 2, 33, 33.0f, 50, true, 49.666f, "Installing 49 percent"},
      {"caption without %d", "Installing", 3, 0, 33, 0.0f, 50, true, 49.666f, "Installing"},
      {"below one percent", "Installing %d", 3, 0, 0, 0.0f, 2, true, 0.666f, "&nbsp;"},
      {"never backwards", "x", 3, 0, 33, 60.0f, 50, false, 60.0f, ""},
      {"item below 1% of its ticks", "x", 3, 0, 33, 0.0f, 0, false, 0.0f, ""},
  };
  for (const auto& c : cases) {
    UiMachine ui({{"QEL.UILevel", "5"}, {"Str.ProgressTotalText.Complete", c.caption}});
    RecordingWizard wizard;
    SetApplicationMainWindow(&wizard);
    CSetupUIHandler handler;
    handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_INITIALIZE, "");
    handler.Handle(&kUiContextLauncher, SETUPMESSAGE_ITEMSTART, "MsiInstallProduct|c:\\a.msi|0|");
    handler.SetPercentModelForTest(c.itemsToRun, c.itemsDone, c.basePercent, c.startPercent);
    Progress(handler, "1: 0 2: 100 3: 0 4: 0 ");
    Progress(handler, (std::string("1: 2 2: ") + std::to_string(c.ticksOfHundred) + " ").c_str());
    EXPECT_NEAR(handler.State().percent, c.expectedPercent, 0.01) << c.name;
    if (!c.expectSent) {
      EXPECT_TRUE(wizard.refreshes.empty()) << c.name;
      continue;
    }
    ASSERT_EQ(wizard.refreshes.size(), 1u) << c.name;
    EXPECT_EQ(wizard.refreshes[0].code, kRefreshPercent);
    EXPECT_NEAR(wizard.refreshes[0].percent.percent, c.expectedPercent, 0.01) << c.name;
    EXPECT_EQ(wizard.refreshes[0].percent.text, c.expectedText) << c.name;
  }
}

TEST(HandlerPercent, NothingIsSentWithoutAWindowOrAtLevelTwo) {
  for (const char* level : {"2", "5"}) {
    UiMachine ui({{"QEL.UILevel", level}});
    RecordingWizard wizard;
    if (std::string(level) == "2") SetApplicationMainWindow(&wizard);
    CSetupUIHandler handler;
    handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_INITIALIZE, "");
    handler.SetPercentModelForTest(1, 0, 0, 0.0f);
    Progress(handler, "1: 0 2: 100 3: 0 4: 0 ");
    Progress(handler, "1: 2 2: 50 ");
    EXPECT_EQ(handler.State().percent, 0.0f) << level;
    EXPECT_TRUE(wizard.refreshes.empty()) << level;
  }
}

TEST(HandlerPercent, NativeProgressBarMirrorsTheModel) {
  UiMachine ui({{"QEL.UILevel", "5"}, {"QEL.Show.CommonControl.Progress", "1"}});
  RecordingWizard wizard(true);
  SetApplicationMainWindow(&wizard);
  CSetupUIHandler handler;
  handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_INITIALIZE, "");
  handler.Handle(&kUiContextLauncher, SETUPMESSAGE_ITEMSTART, "MsiInstallProduct|a|0|");
  Progress(handler, "1: 0 2: 100 3: 0 4: 0 ");
  Progress(handler, "1: 1 2: 5 3: 1 ");
  Progress(handler, "1: 2 2: 7 ");
  handler.Handle(&kUiContextInstaller, INSTALLMESSAGE_ACTIONDATA, "f");
  const std::vector<std::string> expected = {"range 0 0", "pos 0", "range 0 100", "pos 0", "step 5", "move 7", "stepit"};
  EXPECT_EQ(wizard.progress.calls, expected);
}

TEST(HandlerCaptions, HeartbeatsAddDots) {
  UiMachine ui({{"Str.ProgressTotalText.Complete", "Running tool"}});
  RecordingWizard wizard;
  SetApplicationMainWindow(&wizard);
  CSetupUIHandler handler;
  handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_INITIALIZE, "");
  Progress(handler, "1: 9 2: 0 3: 0 4: 0");
  EXPECT_EQ(CUtlXProperty().GetProperty("Str.ProgressTotalText.Complete"), "Running tool .");
  Progress(handler, "1: 9 2: 0 3: 0 4: 0");
  EXPECT_EQ(CUtlXProperty().GetProperty("Str.ProgressTotalText.Complete"), "Running tool ..");
  ASSERT_EQ(wizard.refreshes.size(), 2u);
  EXPECT_EQ(wizard.refreshes[1].code, kRefreshTotalCaption);
}

TEST(HandlerCaptions, NestedChainCaptionFollowsTheActions) {
  UiMachine ui({{"Str.ProgressTotalText.Complete", "Outer"}});
  CSetupUIHandler handler;
  handler.Handle(&kUiContextLauncher, SETUPMESSAGE_ITEMSTART, "Executable|{P}|1|");
  handler.Handle(&kUiContextInstaller, INSTALLMESSAGE_ACTIONSTART, "Action 10:00:00: InstallFiles. Copying new files");
  EXPECT_EQ(handler.State().totalText, "Outer Copying new files");
  handler.Handle(&kUiContextInstaller, INSTALLMESSAGE_ACTIONSTART, "Action 10:00:01: CostFinalize");
  EXPECT_EQ(handler.State().totalText, "Outer");
  EXPECT_EQ(handler.State().actionName, "CostFinalize");

  // Outside a nested chain actions leave the caption alone.
  handler.Handle(&kUiContextLauncher, SETUPMESSAGE_ITEMSTART, "MsiInstallProduct|a|0|");
  handler.Handle(&kUiContextInstaller, INSTALLMESSAGE_ACTIONSTART, "Action 10:00:02: X. Doing x");
  EXPECT_EQ(handler.State().totalText, "Outer");
}

TEST(HandlerCaptions, CommonDataSwitchesCancelAndExecutablesDisableIt) {
  UiMachine ui({});
  RecordingWizard wizard;
  SetApplicationMainWindow(&wizard);
  CSetupUIHandler handler;
  handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_INITIALIZE, "");
  handler.Handle(&kUiContextInstaller, INSTALLMESSAGE_COMMONDATA, "1:2 2:0");
  handler.Handle(&kUiContextInstaller, INSTALLMESSAGE_COMMONDATA, "1: 2 2: 1");
  handler.Handle(&kUiContextInstaller, INSTALLMESSAGE_COMMONDATA, "1:1 2:1033");
  handler.Handle(&kUiContextLauncher, SETUPMESSAGE_ITEMSTART, "Executable|{P}");
  handler.Handle(&kUiContextLauncher, SETUPMESSAGE_ITEMEND, "0");
  std::vector<std::intptr_t> cancelStates;
  for (const auto& r : wizard.refreshes) {
    if (r.code == kRefreshCancelButton) cancelStates.push_back(r.lparam);
  }
  EXPECT_EQ(cancelStates, (std::vector<std::intptr_t>{0, 1, 0, 1}));
  EXPECT_EQ(handler.State().commonData[1], "1033");
}

}  // namespace
}  // namespace qel
