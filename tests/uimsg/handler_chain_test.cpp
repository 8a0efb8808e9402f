#include <gtest/gtest.h>

#include "config/ResultText.h"
#include "config/UtlPath.h"
#include "config/UtlXProperty.h"
#include "config/XMLFileManagerInterface.h"
#include "uimsg/SendSetupMessage.h"
#include "uimsg/UiMessageTypes.h"
#include "uimsg/UiTestSupport.h"

namespace qel {
namespace {

using test::ReadLog;
using test::RecordingWizard;
using test::UiMachine;

const std::string kSeparator(80, '=');

const char* const kChain =
    "<Setups>"
    "<Msi productcode=\"{A}\" file=\"c:\\a.msi\" scheduled=\"1\"><Dbm productcode=\"{D}\" file=\"c:\\d.msi\" scheduled=\"1\"/></Msi>"
    "<Msi productcode=\"{B}\" file=\"c:\\b.msi\" scheduled=\"0\"><Dbm productcode=\"{E}\" file=\"c:\\e.msi\" scheduled=\"1\"/></Msi>"
    "<Msi productcode=\"{C}\" file=\"c:\\tool.EXE\" scheduled=\"1\"/>"
    "</Setups>";

std::vector<test::PropertySeed> LoggedRun(std::vector<test::PropertySeed> more = {}) {
  more.push_back({"QEL.LogFile", "C:\\Logs\\run.log"});
  more.push_back({"QEL.LogOptions", "v"});
  more.push_back({"Str.ProductDisplayName", "Notes"});
  more.push_back({"Str.ProgressTotalText.Complete", "Installing"});
  more.push_back({"Str.Initializing.Text.Cancelling", "Cancelling"});
  return more;
}

TEST(HandlerChain, ChainStartCountsScheduledItemsAndLogsTheList) {
  UiMachine ui(LoggedRun(), kChain);
  CSetupUIHandler handler;
  handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_INITIALIZE, "/l*v C:\\Logs\\run.log");
  EXPECT_EQ(handler.Handle(&kUiContextLauncher, SETUPMESSAGE_CHAINSTART, ""), 1);
  const auto state = handler.State();
  EXPECT_EQ(state.itemsToRun, 2);  // {A} and its {D}; {E} belongs to an unscheduled item, {C} is an executable
  EXPECT_TRUE(state.chainRunning);
  EXPECT_EQ(state.multiplier, 5.0f);

  const std::string log = ReadLog("C:\\Logs\\run.log");
  EXPECT_NE(log.find("COMMAND LINE: /l*v C:\\Logs\\run.log\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("\r\n\r\n" + kSeparator + "\r\n" + kSeparator + "\r\n=== Install Chain Start\r\n--- QEL ["),
            std::string::npos) << log;
  EXPECT_NE(log.find("]: 3 of 4 items will be executed\r\nExecute Chain:\r\n"
                     "1\tProduct: {A}\tFile: c:\\a.msi\r\n"
                     "2\tProduct: {D}\tFile: c:\\d.msi\r\n"
                     "3\tProduct: {C}\tFile: c:\\tool.EXE\r\n\r\n"),
            std::string::npos) << log;
}

TEST(HandlerChain, AdministrativeChainCountsTheClosingStep) {
  UiMachine ui(LoggedRun({{"ACTION", "ADMIN"}}), kChain);
  CSetupUIHandler handler;
  handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_INITIALIZE, "");
  handler.Handle(&kUiContextLauncher, SETUPMESSAGE_CHAINSTART, "");
  EXPECT_EQ(handler.State().multiplier, 3.0f);
  EXPECT_NE(ReadLog("C:\\Logs\\run.log").find("]: 4 of 5 items will be executed\r\n"), std::string::npos);
  EXPECT_NE(ReadLog("C:\\Logs\\run.log").find("4\tProduct: After Admin Action\tFile: After Admin Action\r\n"),
            std::string::npos);
}

TEST(HandlerChain, ItemBlocksAndChainResult) {
  UiMachine ui(LoggedRun(), kChain);
  CSetupUIHandler handler;
  handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_INITIALIZE, "");
  handler.Handle(&kUiContextLauncher, SETUPMESSAGE_CHAINSTART, "");
  EXPECT_EQ(handler.Handle(&kUiContextLauncher, SETUPMESSAGE_ITEMSTART, "MsiInstallProduct|c:\\a.msi|0|X=1"), 1);
  EXPECT_EQ(handler.State().itemIndex, 1);
  EXPECT_EQ(handler.Handle(&kUiContextLauncher, SETUPMESSAGE_ITEMEND, "1603"), 1);
  EXPECT_EQ(handler.State().itemsDone, 1);
  handler.Handle(&kUiContextLauncher, SETUPMESSAGE_CHAINEND, "1603");
  EXPECT_FALSE(handler.State().chainRunning);

  const std::string log = ReadLog("C:\\Logs\\run.log");
  EXPECT_NE(log.find(kSeparator + "\r\nRunning: 1 of 2\r\nMsiInstallProduct: c:\\a.msi\r\n\r\nCommand Line: X=1\r\n\r\n\r\n"),
            std::string::npos) << log;
  EXPECT_NE(log.find("MsiInstallProduct: c:\\a.msi\r\n=== " + GetResultText(1603) + kSeparator + "\r\n\r\n"),
            std::string::npos) << log;
  EXPECT_NE(log.find("\r\n\r\n\r\n\r\n--- QEL ["), std::string::npos);
  EXPECT_NE(log.find("]: \r\n=== 1603\r\n=== Installation Chain End\r\n" + kSeparator + "\r\n" + kSeparator + "\r\n"),
            std::string::npos) << log;

  CXMLFileManagerInterface setups;
  EXPECT_EQ(setups.GetAttributeSingleNode("//QEL/Setups", "result"), "1603");
  EXPECT_EQ(setups.GetAttributeSingleNode("//QEL/Setups", "resulttext"), GetResultText(1603));
}

TEST(HandlerChain, NestedChainSpreadsOverTheWholeBarAndGivesTheCountersBack) {
  UiMachine ui(LoggedRun(), kChain);
  CSetupUIHandler handler;
  handler.Handle(&kUiContextLauncher, SETUPMESSAGE_CHAINSTART, "");
  handler.Handle(&kUiContextLauncher, SETUPMESSAGE_ITEMSTART, "MsiInstallProduct|a|0|");
  handler.SetPercentModelForTest(2, 0, 0, 40.0f);
  handler.Handle(&kUiContextLauncher, SETUPMESSAGE_ITEMEND, "0");
  handler.Handle(&kUiContextLauncher, SETUPMESSAGE_ITEMSTART, "MsiInstallProduct|b|1|");
  auto nested = handler.State();
  EXPECT_TRUE(nested.nestedChain);
  EXPECT_EQ(nested.itemsToRun, 1);
  EXPECT_EQ(nested.itemIndex, 1);
  EXPECT_EQ(nested.percent, 0.0f);
  EXPECT_EQ(nested.savedItemsToRun, 2);
  EXPECT_EQ(nested.savedBasePercent, 40);
  EXPECT_EQ(nested.savedItemIndex, 2);
  handler.Handle(&kUiContextLauncher, SETUPMESSAGE_ITEMEND, "0");
  handler.Handle(&kUiContextLauncher, SETUPMESSAGE_ITEMSTART, "MsiInstallProduct|c|0|");
  auto back = handler.State();
  EXPECT_FALSE(back.nestedChain);
  EXPECT_EQ(back.itemsToRun, 2);
  EXPECT_EQ(back.basePercent, 40);
  EXPECT_EQ(back.itemIndex, 3);
  EXPECT_EQ(back.savedItemsToRun, 0);
}

TEST(HandlerCancel, FlagsStopTheRunningPackageAndTheNextItem) {
  UiMachine ui(LoggedRun(), kChain);
  CSetupUIHandler handler;
  handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_INITIALIZE, "");
  handler.Handle(&kUiContextLauncher, SETUPMESSAGE_CHAINSTART, "");
  handler.Handle(&kUiContextLauncher, SETUPMESSAGE_ITEMSTART, "MsiInstallProduct|a|0|");
  EXPECT_EQ(handler.Handle(&kUiContextInstaller, INSTALLMESSAGE_PROGRESS, "1: 0 2: 100 3: 0 4: 0 "), 1);

  EXPECT_EQ(handler.Handle(&kUiContextLauncher, SETUPMESSAGE_CANCEL, ""), 2);
  auto state = handler.State();
  EXPECT_TRUE(state.cancelPending);
  EXPECT_TRUE(state.cancelRequested);
  EXPECT_EQ(state.totalText, "Cancelling");
  EXPECT_EQ(CUtlXProperty().GetProperty("Str.Initializing.Text"), "Cancelling");
  EXPECT_EQ(CUtlXProperty().GetProperty("Str.ProgressTotalText.Complete"), "Cancelling");
  EXPECT_EQ(handler.Handle(&kUiContextInstaller, INSTALLMESSAGE_PROGRESS, ""), 2);
  EXPECT_EQ(handler.Handle(&kUiContextInstaller, INSTALLMESSAGE_PROGRESS, "1: 2 2: 5 "), 2);

  // The package returns 1602; its end counts the chain down from a full bar.
  handler.Handle(&kUiContextLauncher, SETUPMESSAGE_ITEMEND, "1602");
  state = handler.State();
  EXPECT_TRUE(state.captionFinal);
  EXPECT_EQ(state.percent, 100.0f);
  EXPECT_FALSE(state.cancelRequested);  // cleared while the chain runs
  EXPECT_TRUE(state.cancelPending);

  // The next item does not run.
  EXPECT_EQ(handler.Handle(&kUiContextLauncher, SETUPMESSAGE_ITEMSTART, "MsiInstallProduct|d|0|"), 1602);
  EXPECT_FALSE(handler.State().cancelPending);
  EXPECT_EQ(handler.Handle(&kUiContextLauncher, SETUPMESSAGE_ITEMSTART, "MsiInstallProduct|e|0|"), 1);
  const std::string log = ReadLog("C:\\Logs\\run.log");
  EXPECT_NE(log.find("MsiInstallProduct: d\r\n=== " + GetResultText(1602)), std::string::npos) << log;
}

TEST(HandlerTerminate, TrailerAndChainDocumentBesideTheLog) {
  UiMachine ui(LoggedRun(), kChain);
  CSetupUIHandler handler;
  handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_INITIALIZE, "");
  handler.Handle(&kUiContextLauncher, SETUPMESSAGE_CHAINSTART, "");
  handler.Handle(&kUiContextLauncher, SETUPMESSAGE_CHAINEND, "3010");
  EXPECT_EQ(handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_TERMINATE, "3010"), 1);

  const std::string log = ReadLog("C:\\Logs\\run.log");
  EXPECT_NE(log.find("=== Notes Installation Complete\r\n=== Result: 3010 -- " + GetResultText(3010)), std::string::npos)
      << log;
  CXMLFileManagerInterface saved;
  saved.SetFileIndex(XMLFILE_UNUSED);
  ASSERT_EQ(saved.CreateXML("C:\\Logs\\run.log.xml"), platform::kSuccess);
  EXPECT_EQ(saved.GetAttributeSingleNode("//QEL/Setups", "result"), "3010");
  EXPECT_EQ(saved.GetAttributeSingleNode("//QEL/Setups/Msi[@productcode=\"{A}\"]", "scheduled"), "1");
}

TEST(HandlerTerminate, NoLogMeansNoChainDocument) {
  UiMachine ui({{"QEL.LogFile", "C:\\Logs\\run.log"}}, kChain);
  CSetupUIHandler handler;
  handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_INITIALIZE, "");
  handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_TERMINATE, "0");
  platform::FileAttributes attributes;
  platform::Files().GetAttributes("C:\\Logs\\run.log.xml", attributes);
  EXPECT_FALSE(attributes.exists);
}

TEST(HandlerTerminate, EndOfRunSavesByResultAndAction) {
  struct Case {
    const char* action;
    const char* code;
    bool adminFiles;
    bool persisted;
  };
  const Case cases[] = {{"ADMIN", "0", true, true},      {"ADMIN", "1641", true, true},
                        {"ADMIN", "1603", false, false}, {"INSTALL", "3010", false, true},
                        {"INSTALL", "1602", false, false}};
  for (const auto& c : cases) {
    UiMachine ui({{"ACTION", c.action}, {"TARGETDIR", " C:\\Image \\\\sub"}});
    CSetupUIHandler handler;
    std::vector<std::string> calls;
    handler.hooks.saveAdminFiles = [&](const std::string& folder) { calls.push_back("admin " + folder); };
    handler.hooks.savePersistedProperties = [&] { calls.push_back("persist"); };
    handler.hooks.restartClosedApplications = [&] { calls.push_back("restart"); };
    handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_INITIALIZE, "");
    handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_TERMINATE, c.code);
    std::vector<std::string> expected;
    if (c.adminFiles) expected.push_back("admin C:\\Image\\sub\\");
    if (c.persisted) expected.push_back("persist");
    expected.push_back("restart");
    EXPECT_EQ(calls, expected) << c.action << " " << c.code;
  }
}

TEST(HandlerDialogs, ShowDialogLoadsExistingPagesAndReportsMissingOnes) {
  UiMachine ui(LoggedRun({{"QEL.Rt.Folder.Lang", "C:\\Setup\\Lang\\EN"}, {"QEL.UILevel", "5"}}));
  CUtlPath("C:\\Setup\\Lang\\EN\\Required\\").CreateFolders();
  ASSERT_EQ(platform::Files().WriteFile("C:\\Setup\\Lang\\EN\\Required\\Help.htm", "<html/>"), platform::kSuccess);
  RecordingWizard wizard;
  SetApplicationMainWindow(&wizard);
  std::vector<std::string> boxes;
  platform::SetMessageBoxPresenter([&](const std::string& text, const std::string&, std::uint32_t style) {
    boxes.push_back(text + "|" + std::to_string(style));
    return 1;
  });
  CSetupUIHandler handler;
  handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_INITIALIZE, "");
  EXPECT_EQ(handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_SHOWDIALOG, "Required\\Help.htm"), 0);
  EXPECT_EQ(wizard.pages, (std::vector<std::string>{"C:\\Setup\\Lang\\EN\\Required\\Help.htm"}));
  EXPECT_EQ(handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_SHOWDIALOG, "Custom\\Gone.htm"), 2);
  const std::string missing = GetResultText(2) + " C:\\Setup\\Lang\\EN\\Custom\\Gone.htm";
  EXPECT_EQ(boxes, (std::vector<std::string>{missing + "|48"}));
  EXPECT_EQ(handler.Handle(&kUiContextInstaller, INSTALLMESSAGE_SHOWDIALOG, "Required\\Help.htm"), 0);
  EXPECT_EQ(wizard.pages.size(), 1u);

  const std::string log = ReadLog("C:\\Logs\\run.log");
  EXPECT_NE(log.find("Load dialog: -> C:\\Setup\\Lang\\EN\\Required\\Help.htm\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Load dialog: -> " + missing + "\r\n"), std::string::npos) << log;
}

TEST(HandlerDialogs, WithoutAWizardWindowAMissingPageIsShownLoggedAndAnsweredTwo) {
  UiMachine ui(LoggedRun({{"QEL.Rt.Folder.Lang", "C:\\Setup\\Lang\\EN"}, {"QEL.UILevel", "5"}}));
  int boxes = 0;
  platform::SetMessageBoxPresenter([&](const std::string&, const std::string&, std::uint32_t) { return ++boxes, 1; });
  CSetupUIHandler handler;
  handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_INITIALIZE, "");
  EXPECT_EQ(handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_SHOWDIALOG, "Required\\Success.htm"), 2);
  EXPECT_EQ(boxes, 1);
  EXPECT_NE(ReadLog("C:\\Logs\\run.log").find("Load dialog: -> " + GetResultText(2)), std::string::npos);
}

TEST(HandlerDefault, UnknownKindsAreLogged) {
  UiMachine ui(LoggedRun());
  CSetupUIHandler handler;
  handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_INITIALIZE, "");
  EXPECT_EQ(handler.Handle(&kUiContextLauncher, 0x97000000, "strange"), 0);
  EXPECT_NE(ReadLog("C:\\Logs\\run.log").find("********** DEBUG Error: OnInstallDefault -> strange\r\n"),
            std::string::npos);
}

const char* const kPatches =
    "<Patches>"
    "<Msp order=\"0\" name=\"{A}\" file=\"c:\\p\\one.msp\" scheduled=\"1\"/>"
    "<Msp order=\"1\" name=\"{B}\" productcode=\"{B}\" file=\"c:\\p\\two.msp\" scheduled=\"0\"/>"
    "<Msp order=\"1\" name=\"{C}\" file=\"c:\\p\\three.msp\" scheduled=\"1\"/>"
    "</Patches>";

TEST(HandlerPatchChain, CountsAndLogsThePatchesAndStepsItemsWithoutMessages) {
  UiMachine ui(LoggedRun({{"Str.ProgressText.Default", "Updating"}}), kPatches);
  CSetupUIHandler handler;
  handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_INITIALIZE, "");
  handler.StartPatchChain();
  EXPECT_EQ(handler.State().itemsToRun, 2);
  EXPECT_TRUE(handler.State().chainRunning);
  EXPECT_NE(ReadLog("C:\\Logs\\run.log").find("]: 2 of 3 items will be executed\r\nExecute Chain:\r\n"
                                              "1\tProduct: \tFile: c:\\p\\one.msp\r\n"
                                              "2\tProduct: \tFile: c:\\p\\three.msp\r\n"),
            std::string::npos) << ReadLog("C:\\Logs\\run.log");

  // An item without a caption of its own shows the default progress text.
  handler.StartPatchItem("");
  EXPECT_EQ(handler.State().totalText, "Updating");
  EXPECT_EQ(handler.State().itemIndex, 1);
  handler.EndPatchItem();
  EXPECT_EQ(handler.State().itemsDone, 1);
  handler.StartPatchItem("Patching two");
  EXPECT_EQ(handler.State().totalText, "Patching two");
  EXPECT_EQ(handler.State().itemIndex, 2);
}

TEST(HandlerPatchChain, NothingToApplyLogsNothing) {
  UiMachine ui(LoggedRun());
  CSetupUIHandler handler;
  handler.Handle(&kUiContextLauncher, INSTALLMESSAGE_INITIALIZE, "");
  handler.StartPatchChain();
  EXPECT_TRUE(handler.State().chainRunning);
  EXPECT_EQ(ReadLog("C:\\Logs\\run.log").find("Install Chain Start"), std::string::npos);
}

}  // namespace
}  // namespace qel
