#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/NamedObjects.h"
#include "support/LauncherRun.h"

namespace qel {
namespace {

namespace fs = std::filesystem;

constexpr const char* kEnglish =
    "<QEL><Properties>"
    "<Property name=\"Str.SetupAlreadyRunning\" value=\"Another setup is running.\"/>"
    "<Property name=\"FROM_LANGUAGE\" value=\"loaded\"/>"
    "</Properties></QEL>";

class StartupTest : public testing::Test {
 protected:
  explicit StartupTest(const std::string& hooks = "ConfigurableScript") : setup_(machine_, "Setup", hooks) {
    setup_.WriteSetupXml(test::SetupXmlWith({{"QEL.UILevel", "5"}}));
    setup_.WriteLanguage("EN", kEnglish);
  }
  std::string LogPath() const { return machine_.Root() + "/drive_c/run.log"; }
  std::string Log() const { return test::ReadRunLog(LogPath()); }
  test::LauncherRun Run(std::vector<std::string> arguments, std::map<std::string, std::string> env = {}) const {
    arguments.insert(arguments.begin(), {"/l*v", "C:\\run.log"});
    env.emplace("QEL_TEST_HOOK_TRACE", machine_.Root() + "/hooks.txt");
    return setup_.Run(arguments, env);
  }
  std::string Hooks() const { return machine_.ReadHostFile(machine_.Root() + "/hooks.txt").value_or(""); }

  test::TempMachine machine_;
  test::SetupFolder setup_;
};

TEST_F(StartupTest, QuietRunWithoutChainSucceeds) {
  const auto run = Run({"/qn"});
  EXPECT_EQ(run.exitStatus, 0) << run.standardError;
  EXPECT_EQ(Hooks(), "AfterSetupInitialization\nBeforeExecuteChainInstall\nAfterSchedulePatches\nAfterExecutePatches\n");
  const std::string log = Log();
  EXPECT_NE(log.find("COMMAND LINE: /l*v C:\\run.log /qn"), std::string::npos) << log;
  EXPECT_NE(log.find("=== Result: 0 -- The operation completed successfully."), std::string::npos) << log;
  // The chain document is saved beside the log, with the run's properties in it.
  const auto saved = machine_.ReadHostFile(LogPath() + ".xml");
  ASSERT_TRUE(saved);
  EXPECT_NE(saved->find("FROM_LANGUAGE"), std::string::npos);
}

TEST_F(StartupTest, MissingSetupXmlFailsWithMessage) {
  fs::remove(setup_.HostFolder() + "/Setup.xml");
  const auto run = Run({"/qn"});
  EXPECT_EQ(run.exitStatus, 1603 % 256);
  EXPECT_NE(run.standardError.find("Setup.xml could not be loaded."), std::string::npos) << run.standardError;
}

TEST_F(StartupTest, CorruptSetupXmlFailsWithMessage) {
  setup_.WriteSetupXml("<QEL><Properties>");
  const auto run = Run({"/qn"});
  EXPECT_EQ(run.exitStatus, 1603 % 256);
  EXPECT_NE(run.standardError.find("may indicate that the file is corrupt"), std::string::npos);
  EXPECT_EQ(Hooks(), "");
}

TEST_F(StartupTest, MissingLanguageFolderFailsWithMessage) {
  fs::remove_all(setup_.HostFolder() + "/Lang");
  const auto run = Run({"/qn"});
  EXPECT_EQ(run.exitStatus, 1603 % 256);
  EXPECT_NE(run.standardError.find("language folder could not be resolved"), std::string::npos);
}

TEST_F(StartupTest, RejectedCommandLineShowsHelpWithoutLoadingProperties) {
  const auto run = Run({"/qn", "/?"});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(Log().find("Required\\Help.htm"), std::string::npos) << Log();
  const auto saved = machine_.ReadHostFile(LogPath() + ".xml");
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->find("FROM_LANGUAGE"), std::string::npos);
  EXPECT_EQ(Hooks(), "");
}

TEST_F(StartupTest, SecondCopyAnswers1618) {
  std::unique_ptr<platform::INamedMutex> held;
  ASSERT_EQ(platform::CreateNamedMutex("Global\\SETUPRUNNING_MUTEX_NAME-{9916C6BD-1CBE-41E7-BD3A-EDBF7C04D7B8}", held),
            platform::kSuccess);
  const auto run = Run({"/qb"});
  EXPECT_EQ(run.exitStatus, 1618 % 256);
  // No wizard window on this machine: the box goes to standard error.
  EXPECT_NE(run.standardError.find("Another setup is running."), std::string::npos) << run.standardError;
  EXPECT_EQ(Hooks(), "");  // no phase and no completion step
}

TEST_F(StartupTest, MultipleInstancesAllowed) {
  std::unique_ptr<platform::INamedMutex> held;
  platform::CreateNamedMutex("Global\\SETUPRUNNING_MUTEX_NAME-{9916C6BD-1CBE-41E7-BD3A-EDBF7C04D7B8}", held);
  setup_.WriteSetupXml(test::SetupXmlWith({{"QEL.UILevel", "5"}, {"AllowMultipleInstances", "1"}}));
  EXPECT_EQ(Run({"/qn"}).exitStatus, 0);
}

struct HookCase {
  const char* hook;
  const char* answer;
  std::vector<std::string> arguments;
  int exitStatus;
  const char* trace;
};

class HookExitTest : public StartupTest, public testing::WithParamInterface<HookCase> {};

TEST_P(HookExitTest, HookAnswersDecideTheRun) {
  const auto& c = GetParam();
  const auto run = Run(c.arguments, {{std::string("QEL_TEST_HOOK_") + c.hook, c.answer}});
  EXPECT_EQ(run.exitStatus, c.exitStatus) << run.standardError;
  EXPECT_EQ(Hooks(), c.trace);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HookExitTest,
    testing::Values(
        HookCase{"AfterSetupInitialization", "1603", {"/qn"}, 67, "AfterSetupInitialization\n"},
        HookCase{"AfterSetupInitialization", "3010", {"/qf"}, 194,
                 "AfterSetupInitialization\nUIWizardCompleteReboot\n"},
        HookCase{"AfterSetupInitialization", "1641", {"/qn"}, 105, "AfterSetupInitialization\n"},
        HookCase{"AfterSetupInitialization", "1642", {"/qn"}, 106, "AfterSetupInitialization\n"},
        HookCase{"UIWizardStart", "1602", {"/qf"}, 66,
                 "AfterSetupInitialization\nUIWizardStart\nUIWizardCompleteError\n"},
        HookCase{"UIWizardStart", "1", {"/qf"}, 0,
                 "AfterSetupInitialization\nUIWizardStart\nUIProgressStart\nBeforeExecuteChainInstall\n"
                 "AfterSchedulePatches\nAfterExecutePatches\nUIWizardCompleteSuccess\n"},
        HookCase{"BeforeExecuteChainInstall", "1603", {"/qb"}, 67,
                 "AfterSetupInitialization\nBeforeExecuteChainInstall\n"},
        HookCase{"BeforeExecuteChainAdmin", "5", {"/qn", "/a"}, 5,
                 "AfterSetupInitialization\nBeforeExecuteChainAdmin\n"},
        // 1 goes on to the patches, whose answer then stands.
        HookCase{"BeforeExecuteChainInstall", "1", {"/qn"}, 0,
                 "AfterSetupInitialization\nBeforeExecuteChainInstall\nAfterSchedulePatches\nAfterExecutePatches\n"},
        HookCase{"AfterSchedulePatches", "1603", {"/qn"}, 67,
                 "AfterSetupInitialization\nBeforeExecuteChainInstall\nAfterSchedulePatches\n"},
        HookCase{"AfterExecutePatches", "1603", {"/qn"}, 0,
                 "AfterSetupInitialization\nBeforeExecuteChainInstall\nAfterSchedulePatches\nAfterExecutePatches\n"}));

TEST_F(StartupTest, ForcedRestartIsRecordedAndKeepsTheExitCode) {
  const auto run = Run({"/qn", "/forcerestart"});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_TRUE(fs::exists(machine_.Root() + "/restart-requested"));
  EXPECT_EQ(Hooks(), "AfterSetupInitialization\nBeforeExecuteChainInstall\nAfterSchedulePatches\nAfterExecutePatches\n");
}

TEST_F(StartupTest, NoRestartWithoutForce) {
  EXPECT_EQ(Run({"/qn", "/promptrestart"}).exitStatus, 0);
  EXPECT_FALSE(fs::exists(machine_.Root() + "/restart-requested"));
}

TEST_F(StartupTest, UnwritableLogFolderDoesNotStopTheRun) {
  const auto run = setup_.Run({"/qn", "/l*v", "Q:\\nowhere\\run.log"});
  EXPECT_EQ(run.exitStatus, 0) << run.standardError;
}

class NoHookLibraryTest : public StartupTest {
 protected:
  NoHookLibraryTest() : StartupTest("") {}
};

TEST_F(NoHookLibraryTest, RunsWithoutScriptDll) {
  const auto run = Run({"/qn"});
  EXPECT_EQ(run.exitStatus, 0) << run.standardError;
  EXPECT_EQ(Hooks(), "");
}

}  // namespace
}  // namespace qel
