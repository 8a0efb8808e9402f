#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/LauncherRun.h"
#include "support/PackageBuilder.h"

namespace qel {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPrereq = "{A1000000-0000-4000-8000-000000000001}";
constexpr const char* kMain = "{A2000000-0000-4000-8000-000000000002}";
constexpr const char* kAddon = "{A3000000-0000-4000-8000-000000000003}";
constexpr const char* kEnglish =
    "<QEL><Properties><Property name=\"Str.ProgressText.Default\" value=\"Installing\"/></Properties></QEL>";

// A setup folder with a chain of real packages built from tests/fixtures/wxs/product.wxs, run by
// the real Setup.exe on a temporary machine.
class ChainTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* file : {"main.txt", "tool.dat", "readme.txt", "extra.txt"}) builder_.AddSourceFile(file, file);
    setup_.WriteLanguage("EN", kEnglish);
  }

  // Builds a package of the sample product into the setup folder; answers its host path.
  std::string AddPackage(const std::string& file, const std::string& code, const std::string& name) {
    const std::string built =
        builder_.Build("product", file,
                       {{"ProductCode", code},
                        {"ProductName", name},
                        {"Version", "1.0.0"},
                        {"EmbedCab", "yes"},
                        {"Cabinet", file.substr(0, file.find('.')) + ".cab"}});
    EXPECT_FALSE(built.empty());
    const std::string target = setup_.HostFolder() + "/" + file;
    fs::copy_file(built, target, fs::copy_options::overwrite_existing);
    return target;
  }
  static std::string Item(const char* file, const char* code, const char* extra = "") {
    return std::string("<Msi file=\"") + file + "\" productcode=\"" + code + "\"" + extra + "/>";
  }
  void ThreePackageChain() {
    AddPackage("prereq.msi", kPrereq, "Prereq");
    AddPackage("main.msi", kMain, "Main Product");
    AddPackage("addon.msi", kAddon, "Addon");
    // The managed package takes its features from a property, as a product's wizard sets them.
    setup_.WriteSetupXml(test::SetupXmlWith(
        {{"QEL.UILevel", "5"}, {"MAIN_FEATURES", "Main,Docs"}},
        "<Setups>" + Item("prereq.msi", kPrereq) +
            Item("main.msi", kMain, " managed=\"1\" cmdline=\"ADDLOCAL=&quot;[MAIN_FEATURES]&quot;\"") +
            Item("addon.msi", kAddon) + "</Setups>"));
  }
  test::LauncherRun Run(std::vector<std::string> arguments, std::map<std::string, std::string> env = {}) const {
    arguments.insert(arguments.begin(), {"/l*v", "C:\\run.log"});
    return setup_.Run(arguments, env);
  }
  std::string Product(const char* name, const std::string& relative = "main.txt") const {
    return machine_.Root() + "/drive_c/Program Files/" + name + "/" + relative;
  }
  std::string Products() const { return test::InspectMachine(machine_, "products"); }
  std::string SavedItem(const char* code) const {
    return test::SavedChainItem(machine_, machine_.Root() + "/drive_c/run.log", code);
  }

  test::TempMachine machine_;
  test::SetupFolder setup_{machine_, "Setup", "ConfigurableScript"};
  test::PackageBuilder builder_;
};

TEST_F(ChainTest, FirstInstallationThenRepairChangeAndRemoval) {
  ThreePackageChain();
  auto run = Run({"/qn"});
  ASSERT_EQ(run.exitStatus, 0) << run.standardError;
  EXPECT_TRUE(fs::exists(Product("Prereq")));
  EXPECT_TRUE(fs::exists(Product("Main Product", "docs/readme.txt")));
  EXPECT_FALSE(fs::exists(Product("Main Product", "extras/extra.txt")));
  EXPECT_TRUE(fs::exists(Product("Addon")));
  for (const char* code : {kPrereq, kMain, kAddon}) EXPECT_NE(Products().find(code), std::string::npos) << code;
  const std::string main = SavedItem(kMain);
  EXPECT_NE(main.find("scheduled=\"1\""), std::string::npos) << main;
  EXPECT_NE(main.find("result=\"0\""), std::string::npos) << main;
  EXPECT_NE(main.find("ACTION=&quot;INSTALL&quot;"), std::string::npos) << main;
  EXPECT_EQ(main.find('['), std::string::npos) << "resolved line keeps a reference: " << main;

  // Repair: a deleted file comes back; the other, unmanaged products are left alone.
  fs::remove(Product("Main Product"));
  run = Run({"/qn", "/fomus"});
  ASSERT_EQ(run.exitStatus, 0) << run.standardError;
  EXPECT_TRUE(fs::exists(Product("Main Product")));
  EXPECT_NE(SavedItem(kMain).find("REINSTALL"), std::string::npos) << SavedItem(kMain);
  EXPECT_NE(SavedItem(kPrereq).find("scheduled=\"0\""), std::string::npos) << SavedItem(kPrereq);

  // Feature change: a feature the first installation left out is added.
  run = Run({"/qn", "MAIN_FEATURES=Main,Docs,Extras"});
  ASSERT_EQ(run.exitStatus, 0) << run.standardError;
  EXPECT_TRUE(fs::exists(Product("Main Product", "extras/extra.txt"))) << SavedItem(kMain);

  // Removal takes the managed product away and its folder with it; the others stay.
  run = Run({"/qn", "/x"});
  ASSERT_EQ(run.exitStatus, 0) << run.standardError;
  EXPECT_EQ(Products().find(kMain), std::string::npos);
  EXPECT_FALSE(fs::exists(Product("Main Product", "")));
  EXPECT_NE(Products().find(kPrereq), std::string::npos);
  EXPECT_NE(SavedItem(kMain).find("REMOVE=ALL"), std::string::npos) << SavedItem(kMain);
}

TEST_F(ChainTest, InstalledPrerequisiteIsNotScheduled) {
  AddPackage("prereq.msi", kPrereq, "Prereq");
  setup_.WriteSetupXml(test::SetupXmlWith({{"QEL.UILevel", "5"}}, "<Setups>" + Item("prereq.msi", kPrereq) + "</Setups>"));
  ASSERT_EQ(Run({"/qn"}).exitStatus, 0);
  ThreePackageChain();
  ASSERT_EQ(Run({"/qn"}).exitStatus, 0);
  EXPECT_NE(SavedItem(kPrereq).find("scheduled=\"0\""), std::string::npos) << SavedItem(kPrereq);
  EXPECT_EQ(SavedItem(kPrereq).find("result="), std::string::npos) << SavedItem(kPrereq);
  EXPECT_NE(SavedItem(kMain).find("result=\"0\""), std::string::npos);
}

TEST_F(ChainTest, RestartRequiredKeepsTheChainGoing) {
  ThreePackageChain();
  ASSERT_TRUE(builder_.AddExecuteAction(setup_.HostFolder() + "/prereq.msi", "ScheduleReboot", "1", 6598));
  const auto run = Run({"/qn"});
  EXPECT_EQ(run.exitStatus, 3010 % 256) << run.standardError;
  EXPECT_NE(SavedItem(kPrereq).find("result=\"3010\""), std::string::npos) << SavedItem(kPrereq);
  EXPECT_TRUE(fs::exists(Product("Addon")));
}

TEST_F(ChainTest, FailingPackageStopsTheChainAndKeepsEarlierItems) {
  ThreePackageChain();
  const std::string main = setup_.HostFolder() + "/main.msi";
  ASSERT_TRUE(builder_.AddCustomAction(main, "FailNow", 19, "", "Failing on purpose"));
  ASSERT_TRUE(builder_.AddExecuteAction(main, "FailNow", "1", 6601));
  const auto run = Run({"/qn"});
  EXPECT_EQ(run.exitStatus, 1603 % 256);
  EXPECT_NE(Products().find(kPrereq), std::string::npos);
  EXPECT_EQ(Products().find(kMain), std::string::npos);
  EXPECT_EQ(Products().find(kAddon), std::string::npos);
  EXPECT_NE(SavedItem(kMain).find("result=\"1603\""), std::string::npos) << SavedItem(kMain);
  EXPECT_FALSE(fs::exists(Product("Main Product", "")));  // the empty install folder is cleaned up
}

TEST_F(ChainTest, CancelBeforeTheChainInstallsNothing) {
  ThreePackageChain();
  const auto run = Run({"/qb"}, {{"QEL_TEST_HOOK_POST_BeforeExecuteChainInstall", "96000000:cancel"}});
  EXPECT_EQ(run.exitStatus, 1602 % 256) << run.standardError;
  EXPECT_EQ(Products().find(kPrereq), std::string::npos) << Products();
}

TEST_F(ChainTest, AdministrativeImageInstallsLater) {
  ThreePackageChain();
  fs::create_directories(machine_.Root() + "/drive_c/Image");
  auto run = Run({"/qn", "/a", "C:\\Image"});
  ASSERT_EQ(run.exitStatus, 0) << run.standardError;
  EXPECT_TRUE(fs::exists(machine_.Root() + "/drive_c/Image/main.msi"));
  EXPECT_TRUE(fs::exists(machine_.Root() + "/drive_c/Image/AdminFiles.xml"));
  EXPECT_EQ(Products().find(kMain), std::string::npos);  // an image installs nothing on the machine

  test::SetupFolder image(machine_, "Image", "");
  image.WriteSetupXml(
      test::SetupXmlWith({{"QEL.UILevel", "5"}}, "<Setups>" + Item("main.msi", kMain, " managed=\"1\"") + "</Setups>"));
  image.WriteLanguage("EN", kEnglish);
  run = image.Run({"/qn"});
  ASSERT_EQ(run.exitStatus, 0) << run.standardError;
  EXPECT_NE(Products().find(kMain), std::string::npos);
  EXPECT_TRUE(fs::exists(Product("Main Product")));
}

}  // namespace
}  // namespace qel
