#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "chain/ChainTestSupport.h"
#include "chain/ComposeCmdLine.h"
#include "config/XMLFileManagerInterface.h"

namespace qel {
namespace {

using Properties = std::map<std::string, std::string>;

constexpr const char* kNotInstalledCode = "{A1000000-0000-0000-0000-00000000000F}";
const std::string kHead = R"(SETUP.EXE.DIR="[SETUP.EXE.DIR]" REBOOT=[REBOOT] ACTION="[ACTION]")";
const std::string kTail = R"( QEL.CONTEXT="[QEL.CONTEXT]" QEL.UILEVEL="[QEL.UILevel]")";
const std::string kNewManaged = R"( INSTALLDIR="[INSTALLDIR]" ALLUSERS="[ALLUSERS]")";

struct Case {
  const char* name;
  std::string authored;
  bool installed = false;
  bool managed = true;
  Properties properties;
  std::string expected;
  Properties after;         // store values after composition
  std::string extra = "";  // more attributes on the item
};

std::string XmlEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '"') out += "&quot;";
    else if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else out += c;
  }
  return out;
}

// One machine for the whole table, with the helper product installed once.
class ComposeCmdLineTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    machine_ = std::make_unique<test::TempMachine>();
    test::InstallChainProduct(test::kHelperCode);
  }
  static void TearDownTestSuite() { machine_.reset(); }
  void TearDown() override { xml_.UnInitialize(); }

  void Run(const Case& c) {
    SCOPED_TRACE(c.name);
    Properties properties = {{"QEL.UILevel", "5"}, {"ACTION", ""}, {"REBOOT", ""}, {"ALLUSERS", ""}};
    for (const auto& [name, value] : c.properties) properties[name] = value;
    std::string text = "<QEL><Properties>";
    for (const auto& [name, value] : properties)
      text += "<Property name=\"" + name + "\" value=\"" + XmlEscape(value) + "\"/>";
    text += "</Properties><Setups><Msi ";
    if (c.extra.find("file=") == std::string::npos) text += "file=\"a.msi\" ";
    text += "productcode=\"";
    text += c.installed ? test::kHelperCode : kNotInstalledCode;
    text += std::string("\" managed=\"") + (c.managed ? "1" : "0") + "\" cmdline=\"" + XmlEscape(c.authored) + "\" " +
            c.extra + "/></Setups></QEL>";
    ASSERT_EQ(xml_.CreateXML(text), 0u);

    CUtlXSetupMsi item;
    ASSERT_EQ(item.Select(""), 1);
    ComposeCmdLine(item);
    EXPECT_EQ(item.GetCmdLine(), c.expected);
    for (const auto& [name, value] : c.after) EXPECT_EQ(store_.GetProperty(name), value) << name;
  }

  static std::unique_ptr<test::TempMachine> machine_;
  CXMLFileManagerInterface xml_;
  CUtlXProperty store_;
};

std::unique_ptr<test::TempMachine> ComposeCmdLineTest::machine_;

TEST_F(ComposeCmdLineTest, FirstInstallation) {
  const Case cases[] = {
      {"managed, empty line", "", false, true, {}, kHead + kNewManaged + kTail,
       {{"REBOOT", "ReallySuppress"}, {"ALLUSERS", "1"}, {"ACTION", "INSTALL"}}},
      {"not managed: no folder", "", false, false, {}, kHead + R"( ALLUSERS="[ALLUSERS]")" + kTail, {}},
      {"authored ACTION=ADMIN is not doubled", "ACTION=ADMIN", false, true, {},
       R"(ACTION=ADMIN SETUP.EXE.DIR="[SETUP.EXE.DIR]" REBOOT=[REBOOT])" + kNewManaged + kTail, {}},
      {"values already present stay", "", false, true, {{"REBOOT", "Force"}, {"ALLUSERS", "2"}},
       kHead + kNewManaged + kTail, {{"REBOOT", "Force"}, {"ALLUSERS", "2"}}},
      {"authored assignments count by substring", "MYREBOOT=1 INSTALLDIR=C:\\X ALLUSERS=\"\" TRANSFORMS=t.mst", false,
       true, {{"QEL.Lang.Transform", "z:\\lang\\de.mst"}},
       R"(MYREBOOT=1 INSTALLDIR=C:\X ALLUSERS="" TRANSFORMS=t.mst SETUP.EXE.DIR="[SETUP.EXE.DIR]" ACTION="[ACTION]")" + kTail,
       {{"REBOOT", ""}}},
      {"rows 8 to 10", "", false, false,
       {{"SKIP.QEL.DIGITAL.SIGNATURE.CHECK", "1"}, {"REBOOT", "1"}, {"QEL.Lang.Transform", "de.mst"}},
       kHead + R"( ALLUSERS="[ALLUSERS]")" + kTail +
           R"( SKIP.QEL.DIGITAL.SIGNATURE.CHECK=1 REBOOT=ReallySuppress TRANSFORMS="[QEL.Lang.Transform]")",
       {}},
      {"a removal of a product that is not installed adds nothing", "", false, false, {{"REMOVE", "ALL"}},
       kHead + R"( ALLUSERS="[ALLUSERS]")" + kTail, {}},
      {"a UI level out of range is repaired for the reference", "", false, false, {{"QEL.UILevel", "9"}},
       kHead + R"( ALLUSERS="[ALLUSERS]")" + kTail, {{"QEL.UILevel", "5"}}},
  };
  for (const auto& c : cases) Run(c);
}

TEST_F(ComposeCmdLineTest, AdministrativeInstallation) {
  const Case cases[] = {
      {"managed", "", false, true, {{"ACTION", "ADMIN"}, {"REMOVE", "ALL"}},
       kHead + R"( TARGETDIR="[TARGETDIR]" DISABLEROLLBACK=1)" + kTail, {{"ALLUSERS", ""}}},
      {"installed product, authored target", "TARGETDIR=D:\\I", true, true, {{"ACTION", "ADMIN"}, {"REINSTALLMODE", "omus"}},
       R"(TARGETDIR=D:\I SETUP.EXE.DIR="[SETUP.EXE.DIR]" REBOOT=[REBOOT] ACTION="[ACTION]" DISABLEROLLBACK=1)" + kTail,
       {{"MANAGEDINSTALLED", ""}}},
  };
  for (const auto& c : cases) Run(c);
}

TEST_F(ComposeCmdLineTest, InstalledProduct) {
  const Case cases[] = {
      {"repair of the managed product moves no folder", R"(INSTALLDIR="[INSTALLDIR]")", true, true,
       {{"REINSTALLMODE", "omus"}},
       R"(MANAGEDINSTALLED="[INSTALLDIR]" SETUP.EXE.DIR="[SETUP.EXE.DIR]" REBOOT=[REBOOT] ACTION="[ACTION]" REINSTALLMODE="omus" REINSTALL=ALL)" +
           kTail,
       {{"MANAGEDINSTALLED", "1"}, {"ALLUSERS", ""}}},
      {"feature change", "", true, true, {}, kHead + kTail, {{"MANAGEDINSTALLED", "1"}}},
      {"not managed keeps its folder", "INSTALLDIR=C:\\X", true, false, {{"REINSTALLMODE", "v"}},
       R"(INSTALLDIR=C:\X SETUP.EXE.DIR="[SETUP.EXE.DIR]" REBOOT=[REBOOT] ACTION="[ACTION]" REINSTALLMODE="v" REINSTALL=ALL)" + kTail,
       {{"MANAGEDINSTALLED", ""}}},
      {"authored REINSTALL keeps its list", "REINSTALL=Main", true, true, {{"REINSTALLMODE", "e"}},
       R"(REINSTALL=Main SETUP.EXE.DIR="[SETUP.EXE.DIR]" REBOOT=[REBOOT] ACTION="[ACTION]" REINSTALLMODE="e")" + kTail, {}},
      // The removal reaches the package: without it /x would run a maintenance that changes nothing.
      {"removal", "", true, true, {{"REMOVE", "ALL"}}, kHead + " REMOVE=ALL" + kTail, {}},
      {"removal with a repair mode", "", true, true, {{"REMOVE", "ALL"}, {"REINSTALLMODE", "m"}},
       kHead + R"( REINSTALLMODE="m" REINSTALL=ALL REMOVE=ALL)" + kTail, {}},
      {"removal already authored", "REMOVE=Docs", true, true, {{"REMOVE", "ALL"}},
       R"(REMOVE=Docs SETUP.EXE.DIR="[SETUP.EXE.DIR]" REBOOT=[REBOOT] ACTION="[ACTION]")" + kTail, {}},
      {"only exactly ALL is a removal", "", true, true, {{"REMOVE", "All"}}, kHead + kTail, {}},
      {"a feature list is not a removal", "", true, true, {{"REMOVE", "Docs"}}, kHead + kTail, {}},
  };
  for (const auto& c : cases) Run(c);
}

TEST_F(ComposeCmdLineTest, LinesLeftAsAuthored) {
  const Case cases[] = {
      {"cmdlinenomodify", "A=[B]", false, true, {}, "A=[B]", {{"REBOOT", ""}}, "cmdlinenomodify=\"1\""},
      {"all public properties", "QEL_ALL_PUBLIC", false, true, {}, "QEL_ALL_PUBLIC", {{"ALLUSERS", ""}}},
      {"executable", "/quiet", false, true, {}, "/quiet", {}, "file=\"tools\\Setup.EXE\""},
  };
  for (const auto& c : cases) Run(c);
}

}  // namespace
}  // namespace qel
