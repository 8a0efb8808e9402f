#include <gtest/gtest.h>

#include <regex>

#include "InstallerTestBase.h"
#include "platform/Platform.h"

namespace qel::test {
namespace {

using namespace qel::platform;

const std::string kFolder = kSampleFolder;

std::string Utf16ToAscii(const std::string& bytes) {
  std::string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) text += bytes[i + 1] == 0 ? bytes[i] : '?';
  return text;
}

TEST_F(InstallerTest, HandlerSeesTheInstallersMessagesInOrder) {
  std::string msi = BuildSample();
  InstallRecorder();
  ASSERT_EQ(Installer().InstallProduct(msi, ""), kSuccess);

  const auto& messages = recorder_.messages;
  ASSERT_GE(messages.size(), 10u);
  EXPECT_EQ(messages.front().Kind(), kInstallMessageInitialize);
  EXPECT_EQ(messages[1].Kind(), kInstallMessageCommonData);
  EXPECT_EQ(messages[1].text, "1: 0 2: 1033 3: 1252 ");
  EXPECT_EQ(messages[2].text, "1: 1 2: Qel Sample ");
  EXPECT_EQ(messages.back().Kind(), kInstallMessageTerminate);

  auto starts = recorder_.TextsOf(kInstallMessageActionStart);
  ASSERT_FALSE(starts.empty());
  EXPECT_TRUE(std::regex_match(starts.front(), std::regex(R"(Action \d\d:\d\d:\d\d: INSTALL\. )"))) << starts.front();
  auto position = [&](const std::string& needle) {
    for (std::size_t i = 0; i < starts.size(); ++i)
      if (starts[i].find(needle) != std::string::npos) return static_cast<int>(i);
    return -1;
  };
  EXPECT_LT(position(": CostFinalize. Computing space requirements"), position(": InstallFiles. Copying new files"));
  EXPECT_LT(position(": InstallInitialize. "), position(": InstallFinalize. "));

  auto progress = recorder_.TextsOf(kInstallMessageProgress);
  ASSERT_FALSE(progress.empty());
  EXPECT_TRUE(std::regex_match(progress.front(), std::regex(R"(1: 0 2: \d+ 3: 0 4: 1 )"))) << progress.front();
  bool executionReset = false;
  for (const auto& record : progress) {
    EXPECT_TRUE(std::regex_match(record, std::regex(R"(1: [0-3] 2: \d+ (3: \d+ (4: \d+ )?)?)"))) << record;
    executionReset = executionReset || std::regex_match(record, std::regex(R"(1: 0 2: \d+ 3: 0 4: 0 )"));
  }
  EXPECT_TRUE(executionReset);

  auto data = recorder_.TextsOf(kInstallMessageActionData);
  std::vector<std::string> expected = {"File: main.txt, Directory: " + kFolder + ", Size: 13",
                                       "File: tool.dat, Directory: " + kFolder + "bin\\, Size: 5000",
                                       "File: readme.txt, Directory: " + kFolder + "docs\\, Size: 8"};
  EXPECT_EQ(data, expected);

  auto info = recorder_.TextsOf(kInstallMessageInfo);
  EXPECT_NE(std::find(info.begin(), info.end(), "Product: Qel Sample -- Installation completed successfully."),
            info.end());
  EXPECT_TRUE(std::any_of(info.begin(), info.end(), [](const std::string& line) {
    return std::regex_match(line, std::regex(R"(Action ended \d\d:\d\d:\d\d: InstallFinalize\. Return value 1\.)"));
  }));
}

TEST_F(InstallerTest, MessageFilterSelectsKinds) {
  std::string msi = BuildSample();
  InstallRecorder(MessageFilterBit(kInstallMessageProgress) | MessageFilterBit(kInstallMessageActionData));
  ASSERT_EQ(Installer().InstallProduct(msi, ""), kSuccess);
  ASSERT_FALSE(recorder_.messages.empty());
  for (const auto& message : recorder_.messages)
    EXPECT_TRUE(message.Kind() == kInstallMessageProgress || message.Kind() == kInstallMessageActionData)
        << message.text;
}

TEST_F(InstallerTest, CancelAtTheThirdProgressMessageUndoesThePackage) {
  std::string msi = BuildSample();
  recorder_.cancelAtProgress = 3;
  InstallRecorder();
  EXPECT_EQ(Installer().InstallProduct(msi, ""), kInstallUserExit);
  EXPECT_EQ(recorder_.TextsOf(kInstallMessageProgress).size(), 3u);
  EXPECT_FALSE(Exists(kFolder));
  EXPECT_EQ(Installer().QueryProductState(kSampleCode), kProductStateUnknown);
  EXPECT_EQ(recorder_.messages.back().Kind(), kInstallMessageTerminate);
}

TEST_F(InstallerTest, CancelWhileCopyingRestoresWhatWasThere) {
  std::string msi = BuildSample();
  ASSERT_EQ(Files().CreateFolder("C:\\Program Files\\Qel Sample"), kSuccess);
  ASSERT_EQ(Files().WriteFile(kFolder + "main.txt", "older file"), kSuccess);
  recorder_.cancelAfterFirstFile = true;
  InstallRecorder();

  EXPECT_EQ(Installer().InstallProduct(msi, ""), kInstallUserExit);

  EXPECT_EQ(Read(kFolder + "main.txt"), "older file");
  EXPECT_FALSE(Exists(kFolder + "bin"));
  EXPECT_EQ(Installer().QueryProductState(kSampleCode), kProductStateUnknown);
  EXPECT_EQ(Inspect("products").out, "");
}

// Files from an uncompressed image are copied straight to their new names, with no temporary
// beside them: the cancel must still take back the one already copied.
TEST_F(InstallerTest, CancelWhileCopyingFromAnImageLeavesNothing) {
  std::string msi = BuildSample();
  ASSERT_EQ(Installer().InstallProduct(msi, "ACTION=ADMIN TARGETDIR=C:\\Image"), kSuccess);
  recorder_.cancelAfterFirstFile = true;
  InstallRecorder();

  EXPECT_EQ(Installer().InstallProduct("C:\\Image\\sample.msi", ""), kInstallUserExit);

  EXPECT_FALSE(Exists(kFolder));
  EXPECT_EQ(Installer().QueryProductState(kSampleCode), kProductStateUnknown);
}

struct RebootCase {
  const char* name;
  const char* commandLine;
  ErrorCode expected;
};

class RebootTest : public InstallerTest, public ::testing::WithParamInterface<RebootCase> {};

TEST_P(RebootTest, RestartActionsGiveTheirCodes) {
  std::string msi = BuildSample();
  ASSERT_TRUE(builder_.AddExecuteAction(HostOf(msi), "ScheduleReboot", "SCHEDULE = 1", 6598));
  ASSERT_TRUE(builder_.AddExecuteAction(HostOf(msi), "ForceReboot", "FORCE = 1", 6599));
  EXPECT_EQ(Installer().InstallProduct(msi, GetParam().commandLine), GetParam().expected);
  EXPECT_EQ(Installer().QueryProductState(kSampleCode), kProductStateDefault);
}

INSTANTIATE_TEST_SUITE_P(Cases, RebootTest,
                         ::testing::Values(RebootCase{"None", "", kSuccess},
                                           RebootCase{"Scheduled", "SCHEDULE=1", kSuccessRebootRequired},
                                           RebootCase{"Forced", "FORCE=1", kSuccessRebootInitiated},
                                           RebootCase{"ForcedButSuppressed", "FORCE=1 REBOOT=ReallySuppress",
                                                      kSuccessRebootRequired}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(InstallerTest, ErrorCustomActionFailsWith1603AfterItsMessage) {
  std::string msi = BuildSample();
  ASSERT_TRUE(builder_.AddCustomAction(HostOf(msi), "FailNow", 19, "", "Failing on purpose: [ProductName]"));
  ASSERT_TRUE(builder_.AddExecuteAction(HostOf(msi), "FailNow", "FAILME = 1", 6601));
  InstallRecorder();

  EXPECT_EQ(Installer().InstallProduct(msi, "FAILME=1"), kInstallFailure);

  auto errors = recorder_.TextsOf(kInstallMessageError);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "Failing on purpose: Qel Sample");
  EXPECT_FALSE(Exists(kFolder));
  EXPECT_EQ(Installer().QueryProductState(kSampleCode), kProductStateUnknown);

  recorder_.messages.clear();
  EXPECT_EQ(Installer().InstallProduct(msi, ""), kSuccess);
  EXPECT_TRUE(recorder_.TextsOf(kInstallMessageError).empty());
}

TEST_F(InstallerTest, LogGetsTheInstallersLinesInUtf16) {
  std::string msi = BuildSample();
  ASSERT_EQ(Files().CreateFolder("C:\\Logs"), kSuccess);
  std::string launcherLine = "launcher line\r\n";
  std::string existing;
  for (char c : launcherLine) existing += std::string{c, '\0'};
  ASSERT_EQ(Files().WriteFile("C:\\Logs\\setup.log", existing), kSuccess);
  std::uint32_t mode = MessageFilterBit(kInstallMessageInfo) | MessageFilterBit(kInstallMessageActionStart) |
                       MessageFilterBit(kInstallMessageActionData);
  ASSERT_EQ(Installer().EnableLog(mode, "C:\\Logs\\setup.log", kInstallLogAttributeAppend), kSuccess);

  ASSERT_EQ(Installer().InstallProduct(msi, ""), kSuccess);

  std::string bytes = Read("C:\\Logs\\setup.log");
  ASSERT_EQ(bytes.size() % 2, 0u);
  std::string text = Utf16ToAscii(bytes);
  EXPECT_EQ(text.rfind("launcher line\r\n=== Logging started: ", 0), 0u) << text.substr(0, 80);
  EXPECT_NE(text.find("\r\nProduct: Qel Sample -- Installation completed successfully.\r\n"), std::string::npos);
  EXPECT_NE(text.find("File: tool.dat, Directory: " + kFolder + "bin\\, Size: 5000\r\n"), std::string::npos);
  EXPECT_TRUE(std::regex_search(text, std::regex(R"(\r\nAction start \d\d:\d\d:\d\d: InstallFiles\.\r\n)")));
  EXPECT_EQ(text.find("\n\n"), std::string::npos);
  EXPECT_EQ(text.find('\r' + std::string("\r")), std::string::npos);

  // Without the append attribute the next installation starts the file anew.
  ASSERT_EQ(Installer().EnableLog(mode, "C:\\Logs\\setup.log", 0), kSuccess);
  ASSERT_EQ(Installer().InstallProduct(msi, "REMOVE=ALL"), kSuccess);
  text = Utf16ToAscii(Read("C:\\Logs\\setup.log"));
  EXPECT_EQ(text.rfind("=== Logging started: ", 0), 0u);
  EXPECT_NE(text.find("Removal completed successfully."), std::string::npos);
}

}  // namespace
}  // namespace qel::test
