#include <gtest/gtest.h>

#include "config/UtlXProperty.h"
#include "uimsg/SendSetupMessage.h"
#include "uimsg/UiMessageTypes.h"
#include "uimsg/UiTestSupport.h"

namespace qel {
namespace {

using test::RecordingWizard;
using test::UiMachine;

struct AnswerCase {
  std::uint32_t type;
  const char* text;
  const UiContext* context;
  int answer;
};

// There is no wizard window: boxes go to the platform's presenter (standard error here) and are
// answered with their default button.
TEST(HandlerAnswers, EachKindAnswersAsItsTableSays) {
  UiMachine ui({});
  const AnswerCase cases[] = {
      {0x00000010, "fatal", &kUiContextLauncher, 1},
      {INSTALLMESSAGE_ERROR | 0x10, "error", &kUiContextLauncher, 1},
      {INSTALLMESSAGE_WARNING | 0x34, "warn", &kUiContextLauncher, 6},
      {INSTALLMESSAGE_USER, "", &kUiContextInstaller, 1},
      {INSTALLMESSAGE_INFO, "info", &kUiContextInstaller, 1},
      {INSTALLMESSAGE_FILESINUSE, "", &kUiContextInstaller, 0},
      {INSTALLMESSAGE_RESOLVESOURCE, "", &kUiContextInstaller, 0},
      {INSTALLMESSAGE_OUTOFDISKSPACE, "", &kUiContextInstaller, 1},
      {INSTALLMESSAGE_ACTIONSTART, "Action 1: A. B", &kUiContextInstaller, 1},
      {INSTALLMESSAGE_ACTIONDATA, "file", &kUiContextInstaller, 1},  // no progress control
      {INSTALLMESSAGE_PROGRESS, "1: 0 2: 10 3: 0 4: 0 ", &kUiContextInstaller, 1},
      {INSTALLMESSAGE_PROGRESS, "garbage", &kUiContextInstaller, 1},
      {INSTALLMESSAGE_COMMONDATA, "1:2 2:0", &kUiContextInstaller, 0},
      {INSTALLMESSAGE_INITIALIZE, "", &kUiContextInstaller, 1},
      {INSTALLMESSAGE_TERMINATE, "0", &kUiContextInstaller, 1},
      {INSTALLMESSAGE_SHOWDIALOG, "Required\\Help.htm", &kUiContextInstaller, 0},
      {SETUPMESSAGE_CHAINSTART, "", &kUiContextLauncher, 1},
      {SETUPMESSAGE_ITEMSTART, "QEL|CopySupportFiles|", &kUiContextLauncher, 1},
      {SETUPMESSAGE_ITEMEND, "0", &kUiContextLauncher, 1},
      {SETUPMESSAGE_CHAINEND, "0", &kUiContextLauncher, 1},
      {0x0F000000, "odd", &kUiContextLauncher, 0},
      {0x97000000, "odd", &kUiContextLauncher, 0},
      {SETUPMESSAGE_CANCEL, "", &kUiContextLauncher, 2},
      {INSTALLMESSAGE_PROGRESS, "", &kUiContextInstaller, 2},  // a cancel is requested now
  };
  CSetupUIHandler handler;
  for (const auto& c : cases) {
    EXPECT_EQ(handler.Handle(c.context, c.type, c.text), c.answer) << std::hex << c.type << " " << c.text;
    // The chain start puts the context back to "none" after recording it.
    const void* expected = c.type == SETUPMESSAGE_CHAINSTART ? &kUiContextNone : c.context;
    EXPECT_EQ(handler.State().context, expected) << std::hex << c.type;
  }
}

TEST(HandlerAnswers, TypeZeroAnswersZeroAndLeavesTheContext) {
  UiMachine ui({});
  CSetupUIHandler handler;
  handler.Handle(&kUiContextInstaller, INSTALLMESSAGE_INFO, "");
  EXPECT_EQ(handler.Handle(&kUiContextLauncher, 0, "anything"), 0);
  EXPECT_EQ(handler.State().context, &kUiContextInstaller);
}

TEST(HandlerAnswers, ContextsCompareByIdentityNotText) {
  UiMachine ui({{"QEL.Rt.Folder.Lang", "C:\\Lang\\EN"}, {"QEL.LogFile", "C:\\run.log"}, {"QEL.LogOptions", "v"}});
  CSetupUIHandler handler;
  handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_INITIALIZE, "/l*v");
  // A context that reads "1" but is not the installer's is no refusal: the request is logged.
  static const UiContext lookalike{"1"};
  EXPECT_EQ(handler.Handle(&lookalike, INSTALLMESSAGE_SHOWDIALOG, "Required\\Help.htm"), 0);
  handler.Handle(&kUiContextInstaller, INSTALLMESSAGE_SHOWDIALOG, "Required\\Other.htm");
  const std::string log = test::ReadLog("C:\\run.log");
  EXPECT_NE(log.find("Load dialog: -> Required\\Help.htm\r\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("Other.htm"), std::string::npos);
}

TEST(HandlerAnswers, ResolveSourceAnswersOneForARepairNode) {
  UiMachine ui({});
  CSetupUIHandler handler;
  handler.Handle(&kUiContextLauncher, SETUPMESSAGE_ITEMSTART, "MsiInstallProduct|a.msi|0|X=1 QEL.REPAIR.NODE=1");
  EXPECT_EQ(handler.Handle(&kUiContextInstaller, INSTALLMESSAGE_RESOLVESOURCE, ""), 1);
  handler.Handle(&kUiContextLauncher, SETUPMESSAGE_ITEMEND, "0");
  EXPECT_EQ(handler.Handle(&kUiContextInstaller, INSTALLMESSAGE_RESOLVESOURCE, ""), 0);
}

TEST(HandlerAnswers, ActionDataAnswersZeroWhenTheWizardHasAProgressBar) {
  UiMachine ui({{"QEL.Show.CommonControl.Progress", "1"}});
  RecordingWizard wizard(true);
  SetApplicationMainWindow(&wizard);
  CSetupUIHandler handler;
  handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_INITIALIZE, "");
  EXPECT_TRUE(handler.State().hasProgressControl);
  EXPECT_EQ(handler.Handle(&kUiContextInstaller, INSTALLMESSAGE_ACTIONDATA, "file"), 0);
}

TEST(SendSetupMessage, RunsTheProcessHandlerWithTheLauncherContext) {
  UiMachine ui({});
  EXPECT_EQ(qel::SendSetupMessage(INSTALLMESSAGE_INFO, "%s %d", "text", 5), 1);
  EXPECT_EQ(TheSetupUIHandler().State().context, &kUiContextLauncher);
  EXPECT_EQ(::SendSetupMessage(INSTALLMESSAGE_USER, "%s", "c form"), 1);
  EXPECT_EQ(::SendSetupMessage(0, "%s", "nothing"), 0);
  SetupMessagePoster poster = &::SendSetupMessage;
  EXPECT_EQ(poster(INSTALLMESSAGE_FILESINUSE, "%d", 1), 0);
}

struct BoxCase {
  std::uint32_t type;
  int pressed;
  bool cancelling;
};

TEST(HandlerBoxes, ErrorAnsweredCancelAbortOrNoSwitchesTheCaptions) {
  const BoxCase cases[] = {
      {INSTALLMESSAGE_ERROR | 0x34, 7, true},  {INSTALLMESSAGE_ERROR | 0x01, 2, true},
      {INSTALLMESSAGE_ERROR | 0x02, 3, true},  {INSTALLMESSAGE_ERROR | 0x34, 6, false},
      {INSTALLMESSAGE_WARNING | 0x34, 7, false}, {0x00000010, 1, false},
  };
  for (const auto& c : cases) {
    UiMachine ui({{"QEL.UILevel", "5"}, {"Str.ProductDisplayName", "Notes"},
                  {"Str.Initializing.Text.Cancelling", "Cancelling..."}, {"Str.ProgressTotalText.Complete", "Installing"}});
    RecordingWizard wizard;
    SetApplicationMainWindow(&wizard);
    std::vector<std::string> shown;
    platform::SetMessageBoxPresenter([&](const std::string& text, const std::string& caption, std::uint32_t style) {
      shown.push_back(caption + "|" + text + "|" + std::to_string(style));
      return c.pressed;
    });
    CSetupUIHandler handler;
    handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_INITIALIZE, "");
    EXPECT_EQ(handler.Handle(&kUiContextInstaller, c.type, "Disk full"), c.pressed);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "Notes|Disk full|" + std::to_string(c.type & 0xFFFFFF));
    EXPECT_EQ(handler.State().captionFinal, c.cancelling) << std::hex << c.type;
    EXPECT_EQ(CUtlXProperty().GetProperty("Str.ProgressTotalText.Complete"),
              c.cancelling ? "Cancelling..." : "Installing");
  }
}

TEST(HandlerBoxes, NoBoxBelowLevelThreeForRepairNodesOrWhenSuppressed) {
  struct Case {
    const char* uiLevel;
    const char* noModal;
    bool window;
    bool repairNode;
  };
  const Case cases[] = {
      {"2", "0", false, false}, {"2", "0", true, false}, {"5", "1", true, false}, {"5", "0", true, true}};
  for (const auto& c : cases) {
    UiMachine ui({{"QEL.UILevel", c.uiLevel}, {"QEL.NoModalDialogs", c.noModal}});
    RecordingWizard wizard;
    if (c.window) SetApplicationMainWindow(&wizard);
    int shown = 0;
    platform::SetMessageBoxPresenter([&](const std::string&, const std::string&, std::uint32_t) { return ++shown, 1; });
    CSetupUIHandler handler;
    handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_INITIALIZE, "");
    if (c.repairNode) handler.Handle(&kUiContextLauncher, SETUPMESSAGE_ITEMSTART, "K|N|0|QEL.REPAIR.NODE=1");
    EXPECT_EQ(handler.Handle(&kUiContextInstaller, INSTALLMESSAGE_ERROR | 0x10, "x"), 0);
    EXPECT_EQ(shown, 0) << c.uiLevel << c.noModal << c.window << c.repairNode;
  }
}

// A box the run must show while no wizard window exists still reaches the user.
TEST(HandlerBoxes, WithoutAWizardWindowTheBoxGoesToThePresenter) {
  UiMachine ui({{"QEL.UILevel", "3"}});
  int shown = 0;
  platform::SetMessageBoxPresenter([&](const std::string&, const std::string&, std::uint32_t) { return ++shown, 7; });
  CSetupUIHandler handler;
  handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_INITIALIZE, "");
  EXPECT_EQ(handler.Handle(&kUiContextInstaller, INSTALLMESSAGE_ERROR | 0x14, "x"), 7);
  EXPECT_EQ(shown, 1);
}

TEST(HandlerBoxes, WithoutAPresenterTheBoxGoesToStandardErrorWithItsDefaultButton) {
  UiMachine ui({{"QEL.UILevel", "5"}, {"Str.ProductDisplayName", "Notes"}});
  RecordingWizard wizard;
  SetApplicationMainWindow(&wizard);
  CSetupUIHandler handler;
  handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_INITIALIZE, "");
  testing::internal::CaptureStderr();
  const int answer = handler.Handle(&kUiContextInstaller, INSTALLMESSAGE_WARNING | 0x134, "Continue?");
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(answer, 7);  // Yes/No with the second button as default
  EXPECT_NE(err.find("Continue?"), std::string::npos);
}

}  // namespace
}  // namespace qel
