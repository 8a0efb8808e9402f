#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <pugixml.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "patch/PatchTestSupport.h"
#include "support/LauncherRun.h"
#include "support/PackageBuilder.h"

// Patches applied by the real Setup.exe: found in the setup folder's "patches" folder or
// authored in Setup.xml, applied to the products of a temporary machine or to an
// administrative image.
namespace qel {
namespace {

namespace fs = std::filesystem;

constexpr const char* kMain = "{B1000000-0000-4000-8000-000000000001}";
constexpr const char* kAddon = "{B2000000-0000-4000-8000-000000000002}";
constexpr const char* kElsewhere = "{B9000000-0000-4000-8000-000000000009}";
constexpr const char* kEnglish =
    "<QEL><Properties><Property name=\"Str.ProgressText.Default\" value=\"Updating\"/></Properties></QEL>";

using Attributes = std::map<std::string, std::string>;

class PatchScenario : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* file : {"main.txt", "tool.dat", "readme.txt", "extra.txt"}) {
      builder_.AddSourceFile(file, std::string("old ") + file);
    }
    setup_.WriteLanguage("EN", kEnglish);
  }

  // Builds a package of the sample product into `setup`; answers the chain item for it.
  std::string AddPackage(const test::SetupFolder& setup, const std::string& file, const std::string& code,
                         const std::string& name, const std::string& extra = "") {
    const std::string built = builder_.Build("product", file,
                                             {{"ProductCode", code},
                                              {"ProductName", name},
                                              {"Version", "1.0.0"},
                                              {"EmbedCab", "yes"},
                                              {"Cabinet", file.substr(0, file.find('.')) + ".cab"}});
    EXPECT_FALSE(built.empty());
    if (!restartWhen_.empty()) {
      EXPECT_TRUE(builder_.AddExecuteAction(built, "ScheduleReboot", restartWhen_, 6598));
    }
    fs::copy_file(built, setup.HostFolder() + "/" + file, fs::copy_options::overwrite_existing);
    return "<Msi file=\"" + file + "\" productcode=\"" + code + "\"" + extra + "/>";
  }
  // Writes a patch into the setup folder at `relative` ("patches/fix.msp").
  void AddPatch(const std::string& relative, const test::PatchSpec& spec) {
    fs::create_directories(fs::path(setup_.HostFolder() + "/" + relative).parent_path());
    test::WritePatch(setup_.HostFolder() + "/" + relative, spec);
  }
  // Runs with a log and with the hooks that ran listed in Hooks().
  test::LauncherRun Run(std::vector<std::string> arguments, const test::SetupFolder* setup = nullptr,
                        std::map<std::string, std::string> environment = {}) const {
    arguments.insert(arguments.begin(), {"/l*v", "C:\\run.log"});
    fs::remove(HooksFile());
    environment.emplace("QEL_TEST_HOOK_TRACE", HooksFile());
    return (setup ? *setup : setup_).Run(arguments, environment);
  }
  std::string HooksFile() const { return machine_.Root() + "/hooks.txt"; }
  std::string Hooks() const { return machine_.ReadHostFile(HooksFile()).value_or(""); }
  // An `Msp` element as an author writes it, for a patch in the setup folder's "updates".
  static std::string Authored(const char* order, const char* file) {
    return std::string("<Msp order=\"") + order + "\" name=\"" + kMain + "\" scheduled=\"1\" result=\"X\" " +
           "resulttext=\"Not Executed\" file=\"C:\\Setup\\updates\\" + file + "\"/>";
  }
  std::string Installed(const std::string& product, const std::string& relative = "main.txt") const {
    return machine_.ReadHostFile(machine_.Root() + "/drive_c/Program Files/" + product + "/" + relative).value_or("<missing>");
  }
  // Host paths of the files called `name` anywhere in the administrative image C:\Image.
  std::vector<std::string> ImageCopiesOf(const std::string& name) const {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(machine_.Root() + "/drive_c/Image")) {
      if (entry.path().filename() == name) found.push_back(entry.path());
    }
    return found;
  }
  std::string Log() const { return test::ReadRunLog(machine_.Root() + "/drive_c/run.log"); }

  // The `Msp` elements of the chain document saved beside the log, in document order.
  std::vector<Attributes> SavedPatches() const {
    std::vector<Attributes> patches;
    pugi::xml_document saved;
    if (!saved.load_file((machine_.Root() + "/drive_c/run.log.xml").c_str())) return patches;
    for (const auto& node : saved.select_nodes("//QEL/Patches/Msp")) {
      Attributes attributes;
      for (const auto& attribute : node.node().attributes()) attributes[attribute.name()] = attribute.value();
      patches.push_back(std::move(attributes));
    }
    return patches;
  }
  std::string SavedProperty(const std::string& name) const {
    pugi::xml_document saved;
    if (!saved.load_file((machine_.Root() + "/drive_c/run.log.xml").c_str())) return {};
    const auto node = saved.select_node(("//Property[@name='" + name + "']").c_str());
    return node ? node.node().attribute("value").value() : "<unset>";
  }

  // When set, packages built afterwards ask for a restart under this condition.
  std::string restartWhen_;
  test::TempMachine machine_;
  test::SetupFolder setup_{machine_, "Setup", "ConfigurableScript"};
  test::PackageBuilder builder_;
};

TEST_F(PatchScenario, PatchFoundBesideTheChainIsAppliedAfterTheInstallation) {
  const std::string item = AddPackage(setup_, "main.msi", kMain, "Main Product", " managed=\"1\"");
  setup_.WriteSetupXml(
      test::SetupXmlWith({{"QEL.UILevel", "5"}, {"DisableDynamicPatches", "1"}}, "<Setups>" + item + "</Setups>"));
  AddPatch("patches/Fix.msp", {"{F1000000-0000-4000-8000-000000000001}", kMain, {{"MainFile", "patched main"}}});

  // Switched off, the scheduling finds nothing and does not even ask the hook.
  auto run = Run({"/qn"});
  ASSERT_EQ(run.exitStatus, 0) << run.standardError;
  EXPECT_EQ(Installed("Main Product"), "old main.txt");
  EXPECT_TRUE(SavedPatches().empty());
  EXPECT_EQ(Hooks().find("AfterSchedulePatches"), std::string::npos) << Hooks();

  setup_.WriteSetupXml(test::SetupXmlWith({{"QEL.UILevel", "5"}}, "<Setups>" + item + "</Setups>"));
  run = Run({"/qn"});
  ASSERT_EQ(run.exitStatus, 0) << run.standardError;
  EXPECT_EQ(Installed("Main Product"), "patched main");
  EXPECT_EQ(Installed("Main Product", "bin/tool.dat"), "old tool.dat");
  EXPECT_NE(Hooks().find("AfterSchedulePatches\nAfterExecutePatches"), std::string::npos) << Hooks();

  const auto patches = SavedPatches();
  ASSERT_EQ(patches.size(), 1u);
  EXPECT_EQ(patches[0].at("order"), "0");
  EXPECT_EQ(patches[0].at("name"), kMain);
  EXPECT_EQ(patches[0].at("file"), "c:\\setup\\patches\\fix.msp");
  EXPECT_EQ(patches[0].at("result"), "0");
  EXPECT_EQ(patches[0].at("progresstext"), "Updating");
  EXPECT_EQ(patches[0].at("cmdline"), "REINSTALLMODE=oums REINSTALL=ALL REBOOT=ReallySuppress");
  EXPECT_NE(Log().find("MsiApplyPatch()"), std::string::npos);
  EXPECT_NE(test::InspectMachine(machine_, std::string("patches ") + kMain).find("{F1000000-0000-4000-8000-000000000001}"),
            std::string::npos);
}

TEST_F(PatchScenario, PatchForTwoProductsIsAppliedToEach) {
  const std::string items = AddPackage(setup_, "main.msi", kMain, "Main Product", " managed=\"1\"") +
                            AddPackage(setup_, "addon.msi", kAddon, "Addon");
  setup_.WriteSetupXml(test::SetupXmlWith({{"QEL.UILevel", "5"}}, "<Setups>" + items + "</Setups>"));
  AddPatch("patches/both.msp", {"{F2000000-0000-4000-8000-000000000002}", std::string(kMain) + ";" + kAddon,
                                {{"ToolFile", "patched tool"}}});

  const auto run = Run({"/qn"});
  ASSERT_EQ(run.exitStatus, 0) << run.standardError;
  EXPECT_EQ(Installed("Main Product", "bin/tool.dat"), "patched tool");
  EXPECT_EQ(Installed("Addon", "bin/tool.dat"), "patched tool");
  const auto patches = SavedPatches();
  ASSERT_EQ(patches.size(), 2u);
  EXPECT_NE(patches[0].at("name"), patches[1].at("name"));
  for (const auto& patch : patches) {
    EXPECT_EQ(patch.at("file"), "c:\\setup\\patches\\both.msp");
    EXPECT_EQ(patch.at("result"), "0");
  }
}

TEST_F(PatchScenario, AuthoredOrdersStopAtTheFirstGap) {
  const std::string item = AddPackage(setup_, "main.msi", kMain, "Main Product", " managed=\"1\"");
  AddPatch("updates/one.msp", {"{F3000000-0000-4000-8000-000000000001}", kMain, {{"MainFile", "one"}}});
  AddPatch("updates/two.msp", {"{F3000000-0000-4000-8000-000000000002}", kMain, {{"ToolFile", "two"}}});
  AddPatch("updates/four.msp", {"{F3000000-0000-4000-8000-000000000004}", kMain, {{"DocFile", "four"}}});
  setup_.WriteSetupXml(test::SetupXmlWith(
      {{"QEL.UILevel", "5"}, {"two.msp", "REINSTALL=[REINSTALL] REINSTALLMODE=amus PATCHED=[QEL.UILevel]"},
       {"MSP_CMDLINE", "REINSTALL=[REINSTALL] REINSTALLMODE=[REINSTALLMODE] FROM=shared"}},
      "<Setups>" + item + "</Setups><Patches>" + Authored("3", "four.msp") + Authored("1", "two.msp") + Authored("0", "one.msp") +
          "</Patches>"));

  const auto run = Run({"/qn"});
  ASSERT_EQ(run.exitStatus, 0) << run.standardError;
  EXPECT_EQ(Installed("Main Product"), "one");
  EXPECT_EQ(Installed("Main Product", "bin/tool.dat"), "two");
  EXPECT_EQ(Installed("Main Product", "docs/readme.txt"), "old readme.txt");
  const auto patches = SavedPatches();
  ASSERT_EQ(patches.size(), 3u);
  EXPECT_EQ(patches[0].at("result"), "X");
  EXPECT_EQ(patches[0].at("resulttext"), "Not Executed");
  EXPECT_EQ(patches[0].count("cmdline"), 0u);
  EXPECT_EQ(patches[1].at("result"), "0");
  // The property named after the patch file holds that patch's own command line.
  EXPECT_EQ(patches[1].at("cmdline"), "REINSTALL=ALL REINSTALLMODE=amus PATCHED=2");
  EXPECT_EQ(patches[2].at("result"), "0");
  EXPECT_EQ(patches[2].at("cmdline"), "REINSTALL=ALL REINSTALLMODE=oums FROM=shared");
}

TEST_F(PatchScenario, PatchOnlySourceAppliesWhatFitsAndOtherwiseExits1642) {
  AddPatch("patches/fix.msp", {"{F4000000-0000-4000-8000-000000000001}", kMain, {{"MainFile", "patched main"}}});
  setup_.WriteSetupXml(test::SetupXmlWith({{"QEL.UILevel", "5"}}));

  // Nothing on the machine takes the patch.
  auto run = Run({"/qn"});
  EXPECT_EQ(run.exitStatus, 1642 % 256) << run.standardError;
  EXPECT_TRUE(SavedPatches().empty());
  EXPECT_EQ(SavedProperty("QEL.PatchMode.Only"), "1");

  // Once the product is installed (by its own setup), the same source patches it.
  test::SetupFolder product(machine_, "Product", "");
  product.WriteLanguage("EN", kEnglish);
  product.WriteSetupXml(test::SetupXmlWith(
      {{"QEL.UILevel", "5"}}, "<Setups>" + AddPackage(product, "main.msi", kMain, "Main Product", " managed=\"1\"") + "</Setups>"));
  ASSERT_EQ(Run({"/qn"}, &product).exitStatus, 0);
  EXPECT_EQ(Installed("Main Product"), "old main.txt");

  run = Run({"/qn"});
  ASSERT_EQ(run.exitStatus, 0) << run.standardError;
  EXPECT_EQ(Installed("Main Product"), "patched main");
  ASSERT_EQ(SavedPatches().size(), 1u);
  EXPECT_EQ(SavedPatches()[0].at("result"), "0");
}

TEST_F(PatchScenario, ThirtyOnePatchFilesShowTheMessageAndNoneIsUsed) {
  const std::string item = AddPackage(setup_, "main.msi", kMain, "Main Product", " managed=\"1\"");
  setup_.WriteSetupXml(test::SetupXmlWith({{"QEL.UILevel", "5"}}, "<Setups>" + item + "</Setups>"));
  AddPatch("patches/fix00.msp", {"{F5000000-0000-4000-8000-000000000001}", kMain, {{"MainFile", "patched main"}}});
  for (int i = 1; i < 31; ++i) {
    fs::copy_file(setup_.HostFolder() + "/patches/fix00.msp",
                  setup_.HostFolder() + "/patches/fix" + std::to_string(i) + ".msp");
  }

  auto run = Run({"/qb"});
  ASSERT_EQ(run.exitStatus, 0) << run.standardError;
  EXPECT_NE(run.standardError.find("There are too many .msp files in the patches folder. Setup will only dynamically "
                                   "determine a maximum of 30 patches to install.\n\nRemove some .msp files before "
                                   "continuing."),
            std::string::npos)
      << run.standardError;
  EXPECT_TRUE(SavedPatches().empty());
  EXPECT_EQ(Installed("Main Product"), "old main.txt");

  // A quiet run never waits on a box: the log says why no patch was used.
  run = Run({"/qn"});
  ASSERT_EQ(run.exitStatus, 0) << run.standardError;
  EXPECT_EQ(run.standardError.find("too many .msp files"), std::string::npos) << run.standardError;
  EXPECT_NE(Log().find("More than 30 patch files"), std::string::npos);
  EXPECT_TRUE(SavedPatches().empty());
}

TEST_F(PatchScenario, DescriptionFilesNameThePatchesBesideThem) {
  const std::string item = AddPackage(setup_, "main.msi", kMain, "Main Product", " managed=\"1\"");
  setup_.WriteSetupXml(
      test::SetupXmlWith({{"QEL.UILevel", "5"}, {"PatchEnginePatchSequenceInfo", "XML"}}, "<Setups>" + item + "</Setups>"));
  AddPatch("patches/fix.msp", {"{F6000000-0000-4000-8000-000000000001}", kMain, {{"MainFile", "patched main"}}});
  // A package without a description is not looked at in this mode.
  AddPatch("patches/other.msp", {"{F6000000-0000-4000-8000-000000000002}", kMain, {{"ToolFile", "patched tool"}}});
  setup_.WriteFile("patches/fix.msp.xml",
                   "<MsiPatch PatchGUID=\"{F6000000-0000-4000-8000-000000000001}\"><TargetProduct><TargetProductCode>" +
                       std::string(kMain) + "</TargetProductCode></TargetProduct></MsiPatch>");
  setup_.WriteFile("patches/stranger.msp.xml",
                   "<MsiPatch PatchGUID=\"{F6000000-0000-4000-8000-000000000003}\"><TargetProduct><TargetProductCode>" +
                       std::string(kElsewhere) + "</TargetProductCode></TargetProduct></MsiPatch>");

  const auto run = Run({"/qn"});
  ASSERT_EQ(run.exitStatus, 0) << run.standardError;
  const auto patches = SavedPatches();
  ASSERT_EQ(patches.size(), 1u);
  EXPECT_EQ(patches[0].at("file"), "c:\\setup\\patches\\fix.msp");
  EXPECT_EQ(patches[0].at("result"), "0");
  EXPECT_EQ(Installed("Main Product"), "patched main");
  EXPECT_EQ(Installed("Main Product", "bin/tool.dat"), "old tool.dat");
}

TEST_F(PatchScenario, AdministrativeImageIsPatchedInPlace) {
  const std::string item = AddPackage(setup_, "main.msi", kMain, "Main Product", " managed=\"1\"");
  setup_.WriteSetupXml(test::SetupXmlWith({{"QEL.UILevel", "5"}}, "<Setups>" + item + "</Setups>"));
  AddPatch("patches/fix.msp", {"{F7000000-0000-4000-8000-000000000001}", kMain, {{"MainFile", "patched main"}}});
  fs::create_directories(machine_.Root() + "/drive_c/Image");

  const auto run = Run({"/qn", "/a", "C:\\Image"});
  ASSERT_EQ(run.exitStatus, 0) << run.standardError;
  const auto mainFiles = ImageCopiesOf("main.txt");
  ASSERT_EQ(mainFiles.size(), 1u);
  EXPECT_EQ(machine_.ReadHostFile(mainFiles[0]).value_or(""), "patched main");
  const auto patches = SavedPatches();
  ASSERT_EQ(patches.size(), 1u);
  EXPECT_EQ(patches[0].at("name"), "C:\\Image\\main.msi");
  EXPECT_EQ(patches[0].at("result"), "0");
  EXPECT_EQ(test::InspectMachine(machine_, "products").find(kMain), std::string::npos);
}

TEST_F(PatchScenario, PatchOnlyAdministrativeRunPatchesOnlyAMarkedImage) {
  test::SetupFolder product(machine_, "Product", "");
  product.WriteLanguage("EN", kEnglish);
  product.WriteSetupXml(test::SetupXmlWith(
      {{"QEL.UILevel", "5"}}, "<Setups>" + AddPackage(product, "main.msi", kMain, "Main Product", " managed=\"1\"") + "</Setups>"));
  fs::create_directories(machine_.Root() + "/drive_c/Image");
  ASSERT_EQ(Run({"/qn", "/a", "C:\\Image"}, &product).exitStatus, 0);
  const auto copies = ImageCopiesOf("main.txt");
  ASSERT_FALSE(copies.empty());
  const std::string imageMain = copies.back();

  AddPatch("patches/fix.msp", {"{F8000000-0000-4000-8000-000000000001}", kMain, {{"MainFile", "patched main"}}});
  setup_.WriteSetupXml(test::SetupXmlWith({{"QEL.UILevel", "5"}, {"PatchSearchFile", "Image.mark"}}));

  // Without its mark file the folder is not taken for an image: nothing is examined.
  auto run = Run({"/qn", "/a", "C:\\Image"});
  EXPECT_EQ(run.exitStatus, 1642 % 256) << run.standardError;
  EXPECT_EQ(machine_.ReadHostFile(imageMain).value_or(""), "old main.txt");

  std::ofstream(machine_.Root() + "/drive_c/Image/Image.mark") << "image";
  run = Run({"/qn", "/a", "C:\\Image"});
  ASSERT_EQ(run.exitStatus, 0) << run.standardError;
  EXPECT_EQ(machine_.ReadHostFile(imageMain).value_or(""), "patched main");
  ASSERT_EQ(SavedPatches().size(), 1u);
  EXPECT_EQ(SavedPatches()[0].at("name"), "C:\\Image\\main.msi");
}

TEST_F(PatchScenario, FailedPatchStopsTheRestAndIsLeftForTheFinalPage) {
  const std::string item = AddPackage(setup_, "main.msi", kMain, "Main Product", " managed=\"1\"");
  setup_.WriteFile("updates/broken.msp", "this is not a patch package");
  AddPatch("updates/later.msp", {"{F9000000-0000-4000-8000-000000000002}", kMain, {{"MainFile", "later"}}});
  setup_.WriteSetupXml(test::SetupXmlWith(
      {{"QEL.UILevel", "5"}},
      "<Setups>" + item + "</Setups><Patches>" + Authored("0", "broken.msp") + Authored("1", "later.msp") + "</Patches>"));

  const auto run = Run({"/qn"});
  const auto patches = SavedPatches();
  ASSERT_EQ(patches.size(), 2u);
  const std::string failure = patches[0].at("result");
  EXPECT_NE(failure, "0");
  EXPECT_NE(failure, "X");
  EXPECT_EQ(run.exitStatus, std::stoi(failure) % 256) << run.standardError;
  EXPECT_EQ(SavedProperty("Msp.Error.0"), "broken.msp -- " + patches[0].at("resulttext"));
  EXPECT_EQ(SavedProperty("Msp.Error.1"), "<unset>");
  EXPECT_EQ(patches[1].at("result"), "X");
  EXPECT_EQ(Installed("Main Product"), "old main.txt");
  EXPECT_EQ(Hooks().find("AfterExecutePatches"), std::string::npos) << Hooks();
}

TEST_F(PatchScenario, RestartAskedByOnePatchIsKeptAfterTheNext) {
  restartWhen_ = "PATCH >< \"restart.msp\"";
  const std::string item = AddPackage(setup_, "main.msi", kMain, "Main Product", " managed=\"1\"");
  AddPatch("updates/restart.msp", {"{FA000000-0000-4000-8000-000000000001}", kMain, {{"MainFile", "first"}}});
  AddPatch("updates/plain.msp", {"{FA000000-0000-4000-8000-000000000002}", kMain, {{"ToolFile", "second"}}});
  setup_.WriteSetupXml(test::SetupXmlWith(
      {{"QEL.UILevel", "5"}}, "<Setups>" + item + "</Setups><Patches>" + Authored("0", "restart.msp") + Authored("1", "plain.msp") + "</Patches>"));

  const auto run = Run({"/qn"});
  EXPECT_EQ(run.exitStatus, 3010 % 256) << run.standardError;
  const auto patches = SavedPatches();
  ASSERT_EQ(patches.size(), 2u);
  EXPECT_EQ(patches[0].at("result"), "3010");
  EXPECT_EQ(patches[1].at("result"), "0");
  EXPECT_EQ(Installed("Main Product"), "first");
  EXPECT_EQ(Installed("Main Product", "bin/tool.dat"), "second");
  EXPECT_EQ(SavedProperty("Msp.Error.0"), "<unset>");
  EXPECT_NE(Hooks().find("AfterExecutePatches"), std::string::npos) << Hooks();
}

TEST_F(PatchScenario, CancelAfterTheChainAppliesNoPatch) {
  const std::string item = AddPackage(setup_, "main.msi", kMain, "Main Product", " managed=\"1\"");
  setup_.WriteSetupXml(test::SetupXmlWith({{"QEL.UILevel", "5"}}, "<Setups>" + item + "</Setups>"));
  AddPatch("patches/fix.msp", {"{FB000000-0000-4000-8000-000000000001}", kMain, {{"MainFile", "patched main"}}});

  const auto run = Run({"/qb"}, nullptr, {{"QEL_TEST_HOOK_POST_AfterExecuteChainInstall", "96000000:cancel"}});
  EXPECT_EQ(run.exitStatus, 1602 % 256) << run.standardError;
  // The product examined before the cancel was seen keeps its record; nothing is applied.
  const auto patches = SavedPatches();
  ASSERT_EQ(patches.size(), 1u);
  EXPECT_EQ(patches[0].at("result"), "X");
  EXPECT_EQ(patches[0].count("cmdline"), 0u);
  EXPECT_EQ(Installed("Main Product"), "old main.txt");
  EXPECT_EQ(Hooks().find("AfterExecutePatches"), std::string::npos) << Hooks();
}

}  // namespace
}  // namespace qel
