#include <gtest/gtest.h>

#include <cstdarg>
#include <filesystem>
#include <string>
#include <vector>

#include "chain/UserFiles.h"
#include "config/UtlX.h"
#include "config/XMLFileManagerInterface.h"
#include "uimsg/SetupMessageFormat.h"
#include "uimsg/UiMessageTypes.h"
#include "uimsg/UiTestSupport.h"

namespace qel {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> g_posted;

std::int32_t RecordingPoster(std::uint32_t type, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  const std::string text = FormatSetupTextV(format, args);
  va_end(args);
  g_posted.push_back((type == INSTALLMESSAGE_COMMONDATA ? "commondata " : "other ") + text);
  return 0;
}

// A chain whose managed product is not installed, as after a removal.
constexpr const char* kRemovedChain =
    "<Setups><Msi managed=\"1\" productcode=\"{0E0E0E0E-1111-2222-3333-444444444444}\" file=\"p.msi\"/></Setups>";

class UserFilesTest : public ::testing::Test {
 protected:
  UserFilesTest() { g_posted.clear(); }

  // Loads the document with these UserFile patterns (and any extra UserFiles content).
  void LoadSetup(const std::vector<test::PropertySeed>& properties, const std::vector<std::string>& patterns,
                 const std::string& chain = kRemovedChain, const std::string& extra = {}) {
    std::string userFiles = "<UserFiles>";
    for (const std::string& pattern : patterns) userFiles += "<UserFile file=\"" + pattern + "\"/>";
    userFiles += extra + "</UserFiles>";
    CXMLFileManagerInterface setup;
    ASSERT_EQ(setup.CreateXML(test::SetupDocument(properties, chain + userFiles)), platform::kSuccess);
  }

  static std::vector<test::PropertySeed> RemovalProperties(const std::string& versionNT = "601",
                                                           const std::string& appData = "C:\\Users\\User\\AppData\\Roaming\\") {
    return {{"AppDataFolder", appData}, {"VersionNT", versionNT}, {"REMOVE", "ALL"}, {"REMOVEUSERFILES", "1"}};
  }

  // Creates a host file below C:\Users.
  void UserFile(const std::string& relative) const {
    ui.machine.WriteHostFile(ui.machine.Root() + "/drive_c/Users/" + relative, "data");
  }
  bool Exists(const std::string& relative) const {
    return fs::exists(ui.machine.Root() + "/drive_c/Users/" + relative);
  }

  static std::vector<std::string> Records() {
    std::vector<std::string> files;
    CUtlX records;
    if (records.Select("//QEL/UserFiles/UsrFile") == 0) return files;
    do {
      files.push_back(records.Xml().GetAttribute("file"));
    } while (records.Xml().CounterNext() != 0);
    return files;
  }

  test::UiMachine ui{std::vector<test::PropertySeed>{}};
};

TEST_F(UserFilesTest, TheFileOfEveryProfileIsRecordedAndRemovedWithTheFoldersItLeavesEmpty) {
  UserFile("alice/AppData/Roaming/Vendor/App/settings.ini");
  UserFile("alice/AppData/Roaming/Other/keep.ini");
  UserFile("bob/AppData/Roaming/Vendor/App/settings.ini");
  UserFile("carol/AppData/Roaming/Vendor/App/unrelated.ini");
  LoadSetup(RemovalProperties(), {"Vendor\\App\\settings.ini"});

  CollectUserFiles();
  EXPECT_EQ(Records(), (std::vector<std::string>{"C:\\Users\\alice\\AppData\\Roaming\\Vendor\\App\\settings.ini",
                                                 "C:\\Users\\bob\\AppData\\Roaming\\Vendor\\App\\settings.ini"}));

  EXPECT_EQ(RemoveUserFiles(RecordingPoster), 0u);
  EXPECT_EQ(g_posted, (std::vector<std::string>{"commondata 1:2 2:0", "commondata 1:2 2:1"}));
  EXPECT_FALSE(Exists("alice/AppData/Roaming/Vendor"));
  EXPECT_FALSE(Exists("bob/AppData/Roaming/Vendor"));
  EXPECT_TRUE(Exists("bob/AppData/Roaming")) << "the application-data folder itself is the user's and stays";
  EXPECT_TRUE(Exists("alice/AppData/Roaming/Other/keep.ini"));
  EXPECT_TRUE(Exists("carol/AppData/Roaming/Vendor/App/unrelated.ini")) << "a folder with other files survives";
}

TEST_F(UserFilesTest, FoldersAreRecordedWithTheMarkAndSearchedOnlyForTheirOwnLastComponent) {
  UserFile("alice/AppData/Roaming/Vendor/Cache/a.tmp");
  UserFile("alice/AppData/Roaming/Vendor/Logs/a.log");
  UserFile("alice/AppData/Roaming/Vendor/Logs/old/b.log");
  UserFile("alice/AppData/Roaming/Vendor/Data/log1.txt");
  UserFile("alice/AppData/Roaming/Vendor/Data/log10.txt");
  LoadSetup(RemovalProperties(), {"Vendor\\Cache", "Vendor\\Logs\\*.*", "Vendor\\Data\\LOG?.txt"});

  CollectUserFiles();
  const std::string base = "C:\\Users\\alice\\AppData\\Roaming\\Vendor\\";
  EXPECT_EQ(Records(), (std::vector<std::string>{base + "Cache\\1", base + "Logs\\a.log", base + "Logs\\old\\1",
                                                 base + "Logs\\old\\b.log", base + "Data\\log1.txt"}));

  RemoveUserFiles(RecordingPoster);
  EXPECT_TRUE(Exists("alice/AppData/Roaming/Vendor/Cache/a.tmp")) << "a recorded folder keeps what was not recorded";
  EXPECT_FALSE(Exists("alice/AppData/Roaming/Vendor/Logs"));
  EXPECT_FALSE(Exists("alice/AppData/Roaming/Vendor/Data/log1.txt"));
  EXPECT_TRUE(Exists("alice/AppData/Roaming/Vendor/Data/log10.txt"));
}

TEST_F(UserFilesTest, BelowVersion600TheApplicationDataFolderIsOneLevelBelowTheProfile) {
  UserFile("carol/Application Data/Vendor/x.ini");
  UserFile("carol/AppData/Roaming/Vendor/x.ini");
  LoadSetup(RemovalProperties("501", "C:\\Users\\User\\Application Data\\"), {"Vendor\\x.ini"});

  CollectUserFiles();
  EXPECT_EQ(Records(), (std::vector<std::string>{"C:\\Users\\carol\\Application Data\\Vendor\\x.ini"}));
}

TEST_F(UserFilesTest, WithoutTheStoreFactsTheMachinesProfilesAndLayoutAreUsed) {
  UserFile("dave/AppData/Roaming/Vendor/x.ini");
  LoadSetup({}, {"Vendor\\x.ini"});

  CollectUserFiles();
  EXPECT_EQ(Records(), (std::vector<std::string>{"C:\\Users\\dave\\AppData\\Roaming\\Vendor\\x.ini"}));
}

TEST_F(UserFilesTest, NothingIsDeletedUnlessTheProductWasRemovedAndTheUserAskedForIt) {
  struct Case {
    const char* name;
    const char* removeUserFiles;
    const char* remove;
    std::string chain;
  };
  const Case cases[] = {
      {"REMOVEUSERFILES unset", "", "ALL", kRemovedChain},
      {"REMOVEUSERFILES not exactly 1", "yes", "ALL", kRemovedChain},
      {"not a removal", "1", "", kRemovedChain},
      {"no managed item", "1", "ALL", "<Setups><Msi productcode=\"{0E0E0E0E-1111-2222-3333-444444444444}\"/></Setups>"},
  };
  UserFile("alice/AppData/Roaming/Vendor/x.ini");
  for (const Case& c : cases) {
    g_posted.clear();
    LoadSetup({{"AppDataFolder", "C:\\Users\\User\\AppData\\Roaming\\"},
               {"VersionNT", "601"},
               {"REMOVEUSERFILES", c.removeUserFiles},
               {"REMOVE", c.remove}},
              {"Vendor\\x.ini"}, c.chain);
    CollectUserFiles();
    ASSERT_EQ(Records().size(), 1u) << c.name;
    EXPECT_EQ(RemoveUserFiles(RecordingPoster), 0u);
    EXPECT_TRUE(Exists("alice/AppData/Roaming/Vendor/x.ini")) << c.name;
    EXPECT_TRUE(g_posted.empty()) << c.name;
  }
}

TEST_F(UserFilesTest, RemovalStaysInsideTheProfilesApplicationDataFolders) {
  ui.machine.WriteHostFile(ui.machine.Root() + "/drive_c/Important/keep.txt", "data");
  UserFile("alice/keep.txt");
  UserFile("alice/AppData/Roaming/top.ini");
  fs::create_directories(ui.machine.Root() + "/drive_c/Users/alice/AppData/Roaming/OtherProgram");
  LoadSetup(RemovalProperties(), {"top.ini"}, kRemovedChain,
            "<UsrFile file=\"C:\\Important\\keep.txt\"/><UsrFile file=\"C:\\Users\\alice\\keep.txt\"/>"
            "<UsrFile file=\"C:\\Users\\alice\\AppData\\Roaming\\1\"/>");
  CollectUserFiles();

  RemoveUserFiles(RecordingPoster);
  EXPECT_FALSE(Exists("alice/AppData/Roaming/top.ini"));
  EXPECT_TRUE(Exists("alice/AppData/Roaming/OtherProgram")) << "another program's empty folder is not ours";
  EXPECT_TRUE(fs::exists(ui.machine.Root() + "/drive_c/Important/keep.txt"));
  EXPECT_TRUE(Exists("alice/keep.txt"));
}

TEST_F(UserFilesTest, WithoutAUserFilesElementNothingIsRecorded) {
  UserFile("alice/AppData/Roaming/Vendor/x.ini");
  CXMLFileManagerInterface setup;
  ASSERT_EQ(setup.CreateXML(test::SetupDocument(RemovalProperties(), kRemovedChain)), platform::kSuccess);
  CollectUserFiles();
  RemoveUserFiles(RecordingPoster);
  EXPECT_TRUE(Records().empty());
  EXPECT_TRUE(Exists("alice/AppData/Roaming/Vendor/x.ini"));
}

}  // namespace
}  // namespace qel
