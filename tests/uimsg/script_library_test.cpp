#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "uimsg/ScriptLibrary.h"
#include "support/TempMachine.h"

namespace qel {
namespace {

namespace fs = std::filesystem;

class ScriptLibraryTest : public testing::Test {
 protected:
  // A program folder on the machine's C: drive holding the named test library as Script.dll.
  std::string FolderWith(const std::string& library) {
    const std::string folder = machine_.Root() + "/drive_c/Setup";
    fs::create_directories(folder);
    fs::copy_file(std::string(std::getenv("QEL_TEST_HOOKS")) + "/" + library + "/Script.dll", folder + "/Script.dll");
    return "C:\\Setup\\";
  }

  test::TempMachine machine_;
};

TEST_F(ScriptLibraryTest, HooksAnswerWhatTheLibraryAnswers) {
  setenv("QEL_TEST_HOOK_AfterSetupInitialization", "1603", 1);
  const CScriptLibrary script(FolderWith("ConfigurableScript"));
  EXPECT_EQ(script.LoadResult(), platform::kSuccess);
  EXPECT_EQ(script.Call(CScriptLibrary::Hook::kAfterSetupInitialization, nullptr), 1603u);
  EXPECT_EQ(script.Call(CScriptLibrary::Hook::kUIWizardStart, nullptr), 0u);
  unsetenv("QEL_TEST_HOOK_AfterSetupInitialization");
  for (std::size_t i = 0; i < static_cast<std::size_t>(CScriptLibrary::Hook::kCount); ++i)
    EXPECT_TRUE(script.HasHook(static_cast<CScriptLibrary::Hook>(i))) << i;
}

TEST_F(ScriptLibraryTest, MissingHooksAnswerZero) {
  const CScriptLibrary script(FolderWith("HooklessScript"));
  EXPECT_EQ(script.LoadResult(), platform::kSuccess);
  EXPECT_FALSE(script.HasHook(CScriptLibrary::Hook::kUIWizardStart));
  EXPECT_EQ(script.Call(CScriptLibrary::Hook::kUIWizardStart, nullptr), 0u);
  EXPECT_EQ(script.FeatureSelectionChanged(QelFeatureData{}), 0u);
}

TEST_F(ScriptLibraryTest, MissingLibraryIsReportedAndHooksAnswerZero) {
  const CScriptLibrary script("C:\\NoSuchFolder\\");
  EXPECT_NE(script.LoadResult(), platform::kSuccess);
  EXPECT_EQ(script.Call(CScriptLibrary::Hook::kAfterSchedulePatches, nullptr), 0u);
}

TEST_F(ScriptLibraryTest, RunTimeExportsByName) {
  const std::string folder = FolderWith("ConfigurableScript");
  EXPECT_EQ(CScriptLibrary::CallExport(folder, "TestExport"), 42u);
  EXPECT_EQ(CScriptLibrary::CallExport(folder, "NoSuchExport"), std::nullopt);
  EXPECT_EQ(CScriptLibrary::CallExport("C:\\Nowhere\\", "TestExport"), std::nullopt);
}

}  // namespace
}  // namespace qel
