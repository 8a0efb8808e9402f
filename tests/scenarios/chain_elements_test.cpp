#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "support/LauncherRun.h"
#include "support/PackageBuilder.h"

// Every kind of chain element in quiet runs of the real Setup.exe: executables, dependent
// packages, support files, the source cache, user files and persisted properties.
namespace qel {
namespace {

namespace fs = std::filesystem;

constexpr const char* kMain = "{C2000000-0000-4000-8000-000000000002}";
constexpr const char* kDep1 = "{C3000000-0000-4000-8000-000000000001}";
constexpr const char* kDep2 = "{C3000000-0000-4000-8000-000000000002}";
constexpr const char* kDep3 = "{C3000000-0000-4000-8000-000000000003}";
constexpr const char* kEnglish = "<QEL><Properties><Property name=\"Str.ProgressText.Default\" value=\"x\"/></Properties></QEL>";

class ChainElementsTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* file : {"main.txt", "tool.dat", "readme.txt", "extra.txt"}) builder_.AddSourceFile(file, file);
    setup_.WriteLanguage("EN", kEnglish);
  }
  void AddPackage(const std::string& file, const std::string& code, const std::string& name) {
    const std::string built = builder_.Build("product", fs::path(file).filename().string(),
                                             {{"ProductCode", code}, {"ProductName", name}, {"Version", "1.0.0"},
                                              {"EmbedCab", "yes"}, {"Cabinet", "c" + code.substr(1, 8) + ".cab"}});
    ASSERT_FALSE(built.empty());
    fs::create_directories(fs::path(setup_.HostFolder() + "/" + file).parent_path());
    fs::copy_file(built, setup_.HostFolder() + "/" + file, fs::copy_options::overwrite_existing);
  }
  void Chain(const std::string& setups, const std::map<std::string, std::string>& properties = {},
             const std::string& more = "") {
    auto all = properties;
    all.emplace("QEL.UILevel", "5");
    setup_.WriteSetupXml(test::SetupXmlWith(all, "<Setups>" + setups + "</Setups>" + more));
  }
  test::LauncherRun Run(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), {"/l*v", "C:\\run.log"});
    return setup_.Run(arguments);
  }
  std::string Log() const {
    const std::string bytes = machine_.ReadHostFile(machine_.Root() + "/drive_c/run.log").value_or("");
    std::string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
      if (bytes[i + 1] == 0) text += bytes[i];
    return text;
  }
  bool Installed(const char* code) const {
    int status = -1;
    test::InspectMachine(machine_, std::string("features '") + code + "'", &status);
    return status == 0;
  }
  std::string C(const std::string& relative) const { return machine_.Root() + "/drive_c/" + relative; }
  std::string SavedItem(const char* code) const { return test::SavedChainItem(machine_, C("run.log"), code); }

  test::TempMachine machine_;
  test::SetupFolder setup_{machine_, "Setup", "ConfigurableScript"};
  test::PackageBuilder builder_;
};

TEST_F(ChainElementsTest, ExecutablePrerequisiteRunsWithItsResolvedCommandLine) {
  setup_.WriteFile("tools/prereq.exe",
                   "#!/bin/sh\nprintf '%s|' \"$@\" > \"$(pwd)/ran.txt\"\nexit 5\n");
  ::chmod((setup_.HostFolder() + "/tools/prereq.exe").c_str(), 0755);
  Chain("<Msi file=\"tools\\prereq.exe\" productcode=\"{C1000000-0000-4000-8000-000000000001}\" "
        "cmdline=\"/quiet &quot;[GREETING] there&quot; [MISSING]\"/>",
        {{"GREETING", "hello"}});
  const auto run = Run({"/qn"});
  ASSERT_EQ(run.exitStatus, 0) << run.standardError;  // a started executable counts as done
  EXPECT_EQ(machine_.ReadHostFile(setup_.HostFolder() + "/tools/ran.txt"), "/quiet|hello there|0|");
  EXPECT_NE(Log().find("5"), std::string::npos);
}

TEST_F(ChainElementsTest, MissingExecutableFailsWithTheSystemText) {
  Chain("<Msi file=\"nothere.exe\" productcode=\"{C1000000-0000-4000-8000-000000000001}\"/>");
  EXPECT_EQ(Run({"/qn"}).exitStatus, 2);
  EXPECT_NE(SavedItem("{C1000000-0000-4000-8000-000000000001}").find("cannot find the file"), std::string::npos);
}

TEST_F(ChainElementsTest, FailingDependentRollsBackItsParentAndReRunsTheOnesBefore) {
  AddPackage("main.msi", kMain, "Main");
  AddPackage("dep1.msi", kDep1, "Dep One");
  AddPackage("dep2.msi", kDep2, "Dep Two");
  AddPackage("dep3.msi", kDep3, "Dep Three");
  const std::string dep2 = setup_.HostFolder() + "/dep2.msi";
  ASSERT_TRUE(builder_.AddCustomAction(dep2, "FailNow", 19, "", "Dependent two fails"));
  ASSERT_TRUE(builder_.AddExecuteAction(dep2, "FailNow", "NOT REMOVE", 6601));
  Chain(std::string("<Msi file=\"main.msi\" productcode=\"") + kMain + "\" managed=\"1\">" +
        "<Dbm file=\"dep1.msi\" productcode=\"" + kDep1 + "\"/>" + "<Dbm file=\"dep2.msi\" productcode=\"" + kDep2 +
        "\"/>" + "<Dbm file=\"dep3.msi\" productcode=\"" + kDep3 + "\"/></Msi>");
  const auto run = Run({"/qn"});
  EXPECT_EQ(run.exitStatus, 1603 % 256);
  EXPECT_FALSE(Installed(kMain));  // the parent was rolled back
  EXPECT_TRUE(Installed(kDep1));   // and the first dependent applied again
  EXPECT_FALSE(Installed(kDep3));  // the third never ran
  EXPECT_EQ(SavedItem(kDep3).find("result="), std::string::npos) << SavedItem(kDep3);
  EXPECT_NE(SavedItem(kDep2).find("result=\"1603\""), std::string::npos) << SavedItem(kDep2);
}

TEST_F(ChainElementsTest, AdministrativeImageWithSupportFilesTwiceAndAFailedOne) {
  AddPackage("main.msi", kMain, "Main");
  setup_.WriteFile("extras/notes/readme.txt", "support");
  Chain(std::string("<Msi file=\"main.msi\" productcode=\"") + kMain + "\" managed=\"1\"/>" +
        "<SupportFile file=\"extras\\notes\\readme.txt\"/>");
  fs::create_directories(C("Image"));
  ASSERT_EQ(Run({"/qn", "/a", "C:\\Image"}).exitStatus, 0);
  EXPECT_EQ(machine_.ReadHostFile(C("Image/extras/notes/readme.txt")), "support");
  EXPECT_TRUE(fs::exists(C("Image/AdminFiles.xml")));

  // The second run to the same image copies nothing: the existing file is not even announced.
  setup_.WriteFile("extras/notes/readme.txt", "changed");
  ASSERT_EQ(Run({"/qn", "/a", "C:\\Image"}).exitStatus, 0);
  EXPECT_EQ(machine_.ReadHostFile(C("Image/extras/notes/readme.txt")), "support");

  // A failed administrative installation deletes what it placed and saves no list.
  fs::create_directories(C("Broken"));
  const std::string main = setup_.HostFolder() + "/main.msi";
  ASSERT_TRUE(builder_.AddCustomAction(main, "FailLate", 19, "", "Failing after the files"));
  ASSERT_TRUE(builder_.RunSql(main, {"INSERT INTO `AdminExecuteSequence` (`Action`, `Condition`, `Sequence`) "
                                     "VALUES ('FailLate', '', 6700)"}));
  EXPECT_EQ(Run({"/qn", "/a", "C:\\Broken"}).exitStatus, 1603 % 256);
  EXPECT_FALSE(fs::exists(C("Broken/AdminFiles.xml")));
  EXPECT_FALSE(fs::exists(C("Broken/main.msi")));
  EXPECT_FALSE(fs::exists(C("Broken/Program Files/Main/main.txt")));
}

TEST_F(ChainElementsTest, PersistedPropertiesTravelFromAnAdministrativeRunIntoTheImage) {
  AddPackage("main.msi", kMain, "Main");
  setup_.WriteSetupXml(test::SetupXmlWith(
      {{"QEL.UILevel", "5"}}, std::string("<Setups><Msi file=\"main.msi\" productcode=\"") + kMain +
                                  "\" managed=\"1\"/></Setups>"));
  // COMPANY is marked for the image; the command line chooses its value.
  std::string xml = machine_.ReadHostFile(setup_.HostFolder() + "/Setup.xml").value();
  xml.replace(xml.find("<Properties>"), 12, "<Properties><Property name=\"COMPANY\" value=\"Default\" persist=\"1\"/>");
  setup_.WriteSetupXml(xml);
  fs::create_directories(C("Image"));
  ASSERT_EQ(Run({"/qn", "/a", "C:\\Image", "COMPANY=Chosen Ltd"}).exitStatus, 0);
  const auto persisted = machine_.ReadHostFile(C("Image/Persist.xml"));
  ASSERT_TRUE(persisted);
  EXPECT_NE(persisted->find("Chosen Ltd"), std::string::npos) << *persisted;

  test::SetupFolder image(machine_, "Image", "");
  image.WriteSetupXml(xml);
  image.WriteLanguage("EN", kEnglish);
  ASSERT_EQ(image.Run({"/qn", "/l*v", "C:\\image.log"}).exitStatus, 0);
  const auto saved = machine_.ReadHostFile(C("image.log.xml")).value_or("");
  EXPECT_NE(saved.find("name=\"COMPANY\" value=\"Chosen Ltd\""), std::string::npos) << saved;
}

TEST_F(ChainElementsTest, UserFilesOfEveryProfileAreRemovedWithTheProduct) {
  AddPackage("main.msi", kMain, "Main");
  Chain(std::string("<Msi file=\"main.msi\" productcode=\"") + kMain + "\" managed=\"1\"/>", {},
        "<UserFiles><UserFile file=\"Main\\settings.ini\"/></UserFiles>");
  ASSERT_EQ(Run({"/qn"}).exitStatus, 0);
  for (const char* user : {"Alice", "Bob"})
    machine_.WriteHostFile(C(std::string("Users/") + user + "/AppData/Roaming/Main/settings.ini"), "x");
  machine_.WriteHostFile(C("Users/Bob/AppData/Roaming/Main/keep.txt"), "mine");
  ASSERT_EQ(Run({"/qn", "/x", "REMOVEUSERFILES=1"}).exitStatus, 0);
  EXPECT_FALSE(fs::exists(C("Users/Alice/AppData/Roaming/Main")));
  EXPECT_FALSE(fs::exists(C("Users/Bob/AppData/Roaming/Main/settings.ini")));
  EXPECT_TRUE(fs::exists(C("Users/Bob/AppData/Roaming/Main/keep.txt")));
}

TEST_F(ChainElementsTest, CachedSourceRepairsAfterTheOriginalIsGone) {
  AddPackage("main.msi", kMain, "Main");
  Chain(std::string("<Msi file=\"main.msi\" productcode=\"") + kMain + "\" managed=\"1\"/>",
        {{"CACHE_SETUP_SOURCE", "1"}}, "<SourceFiles><SourceFile file=\"*.msi\"/></SourceFiles>");
  ASSERT_EQ(Run({"/qn"}).exitStatus, 0);
  EXPECT_TRUE(fs::exists(C("Program Files/Main/Setup/main.msi")));
  fs::remove(setup_.HostFolder() + "/main.msi");
  fs::remove(C("Program Files/Main/main.txt"));
  const auto run = Run({"/qn", "/fomus"});
  EXPECT_EQ(run.exitStatus, 0) << run.standardError;
  EXPECT_TRUE(fs::exists(C("Program Files/Main/main.txt")));
}

TEST_F(ChainElementsTest, FailedFirstInstallationLeavesNoCache) {
  AddPackage("main.msi", kMain, "Main");
  const std::string main = setup_.HostFolder() + "/main.msi";
  ASSERT_TRUE(builder_.AddCustomAction(main, "FailNow", 19, "", "Failing"));
  ASSERT_TRUE(builder_.AddExecuteAction(main, "FailNow", "1", 6601));
  Chain(std::string("<Msi file=\"main.msi\" productcode=\"") + kMain + "\" managed=\"1\"/>",
        {{"CACHE_SETUP_SOURCE", "1"}}, "<SourceFiles><SourceFile file=\"*.msi\"/></SourceFiles>");
  EXPECT_EQ(Run({"/qn"}).exitStatus, 1603 % 256);
  EXPECT_FALSE(fs::exists(C("Program Files/Main")));
}

}  // namespace
}  // namespace qel
