#include <gtest/gtest.h>

#include <filesystem>

#include "config/UtlPath.h"
#include "platform/Platform.h"
#include "support/TempMachine.h"

namespace qel {
namespace {

namespace fs = std::filesystem;

class UtlPathFoldersTest : public testing::Test {
 protected:
  bool HostExists(const std::string& relative) const { return fs::exists(machine_.Root() + "/drive_c/" + relative); }
  void Write(const std::string& relative) const { machine_.WriteHostFile(machine_.Root() + "/drive_c/" + relative, "x"); }

  test::TempMachine machine_;
};

TEST_F(UtlPathFoldersTest, CreateFoldersStopsAtTheLastBackslash) {
  EXPECT_EQ(CUtlPath().CreateFolders("C:\\A\\B"), platform::kSuccess);
  EXPECT_TRUE(HostExists("A"));
  EXPECT_FALSE(HostExists("A/B"));
  EXPECT_EQ(CUtlPath("C:\\A\\B\\C\\").CreateFolders(), platform::kSuccess);
  EXPECT_TRUE(HostExists("A/B/C"));
}

TEST_F(UtlPathFoldersTest, CreateFoldersReportsTheLastError) {
  EXPECT_EQ(CUtlPath("Q:\\nowhere\\").CreateFolders(), platform::kErrorPathNotFound);
}

TEST_F(UtlPathFoldersTest, ExistsFindsFilesFoldersAndBareDrives) {
  Write("Setup/Setup.xml");
  EXPECT_TRUE(CUtlPath("C:\\Setup\\Setup.xml").Is(CUtlPath::kExists));
  EXPECT_TRUE(CUtlPath("c:\\SETUP\\").Is(CUtlPath::kExists));
  EXPECT_TRUE(CUtlPath("C:").Is(CUtlPath::kExists));
  EXPECT_FALSE(CUtlPath("C:\\Setup\\Missing.xml").Is(CUtlPath::kExists));
  EXPECT_FALSE(CUtlPath("Q:\\").Is(CUtlPath::kExists));
}

TEST_F(UtlPathFoldersTest, EmptyFolderExists) {
  fs::create_directories(machine_.Root() + "/drive_c/Empty");
  EXPECT_TRUE(CUtlPath("C:\\Empty").Is(CUtlPath::kExists));
}

TEST_F(UtlPathFoldersTest, RemoveEmptyFoldersKeepsFilesAndTheirParents) {
  Write("T/keep/a/file.txt");
  fs::create_directories(machine_.Root() + "/drive_c/T/gone/deeper");
  CUtlPath("C:\\T").RemoveEmptyFolders();
  EXPECT_FALSE(HostExists("T/gone"));
  EXPECT_TRUE(HostExists("T/keep/a/file.txt"));
  CUtlPath("relative").RemoveEmptyFolders();  // not absolute: nothing happens
}

TEST_F(UtlPathFoldersTest, DeleteTreeRemovesReadOnlyFiles) {
  Write("T/a/b.txt");
  Write("T/c.txt");
  ASSERT_EQ(platform::Files().SetReadOnly("C:\\T\\a\\b.txt", true), platform::kSuccess);
  CUtlPath("C:\\T\\").DeleteTree();
  EXPECT_FALSE(HostExists("T"));
}

TEST_F(UtlPathFoldersTest, ListsAndCountsSubfolders) {
  fs::create_directories(machine_.Root() + "/drive_c/S/Lang/EN");
  fs::create_directories(machine_.Root() + "/drive_c/S/Lang/DE");
  Write("S/Lang/readme.txt");
  const CUtlPath lang("C:\\S\\Lang\\");
  EXPECT_EQ(lang.CountSubfolders(), 2u);
  const std::string list = lang.ListSubfolders();
  EXPECT_TRUE(list == "EN,DE" || list == "DE,EN") << list;
  EXPECT_EQ(CUtlPath("C:\\S\\Missing").CountSubfolders(), 0u);
}

}  // namespace
}  // namespace qel
