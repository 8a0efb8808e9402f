#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "app/SetupCmdLine.h"
#include "config/UtlXProperty.h"
#include "support/TempMachine.h"

namespace qel {
namespace {

struct CmdLineCase {
  std::vector<std::string> arguments;
  bool accepted;
  std::map<std::string, std::string> expected;  // property -> value ("" for absent)
};

class SetupCmdLineTest : public testing::TestWithParam<CmdLineCase> {
 protected:
  void SetUp() override {
    CXMLFileManagerInterface xml;
    ASSERT_EQ(xml.CreateXML("<QEL><Properties><Property name=\"QEL.UILevel\" value=\"5\"/></Properties></QEL>"), 0u);
  }
  test::TempMachine machine_;
};

TEST_P(SetupCmdLineTest, SetsProperties) {
  bool admin = false;
  CSetupCmdLine cmdLine(admin);
  EXPECT_EQ(cmdLine.Parse(GetParam().arguments), GetParam().accepted);
  CUtlXProperty properties;
  for (const auto& [name, value] : GetParam().expected) EXPECT_EQ(properties.GetProperty(name), value) << name;
}

using P = std::map<std::string, std::string>;
INSTANTIATE_TEST_SUITE_P(
    Table, SetupCmdLineTest,
    testing::Values(
        CmdLineCase{{"/QB!"}, true, P{{"QEL.UILevel", "3"}, {"QEL.DisableCancel", "1"}}},
        CmdLineCase{{"/qn!"}, false, P{{"QEL.UILevel", "2"}, {"QEL.DisableCancel", ""}}},
        CmdLineCase{{"/qr-"}, false, P{{"QEL.NoModalDialogs", ""}}},
        CmdLineCase{{"/qb-"}, true, P{{"QEL.NoModalDialogs", "1"}}},
        CmdLineCase{{"/qb+"}, true, P{{"QEL.UILevel", "3"}, {"QEL.Show.Finish", "1"}}},
        CmdLineCase{{"/qn+"}, true, P{{"QEL.UILevel", "2"}, {"QEL.Show.Finish", "1"}}},
        CmdLineCase{{"/q"}, true, P{{"QEL.UILevel", "2"}}},
        CmdLineCase{{"/qz"}, true, P{{"QEL.UILevel", "2"}}},
        CmdLineCase{{"/quiet"}, true, P{{"QEL.UILevel", "2"}}},
        CmdLineCase{{"/passive"}, true, P{{"QEL.UILevel", "3"}}},
        CmdLineCase{{"/qf"}, true, P{{"QEL.UILevel", "5"}, {"QEL.Show.Finish", "1"}}},
        CmdLineCase{{"/qb", "/x"}, true, P{{"QEL.UILevel", "3"}, {"REMOVE", "ALL"}, {"QEL.Show.Finish", ""}}},
        CmdLineCase{{"/x"}, true, P{{"QEL.UILevel", "3"}, {"REMOVE", "ALL"}, {"QEL.Show.Finish", "0"}}},
        CmdLineCase{{"-uninstall", "/qf"}, true, P{{"QEL.UILevel", "5"}, {"QEL.Show.Finish", "1"}, {"REMOVE", "ALL"}}},
        CmdLineCase{{"/l*v", "/qn", "C:\\log.txt"}, true,
                    P{{"QEL.LogOptions", "iwearucmopv"}, {"QEL.LogFile", "C:\\log.txt"}}},
        CmdLineCase{{"/l*xv", "x.log"}, true, P{{"QEL.LogOptions", "iwearucmopxv"}, {"QEL.LogFile", "x.log"}}},
        CmdLineCase{{"/log", "x.log"}, true, P{{"QEL.LogOptions", "iwearucmop"}}},
        CmdLineCase{{"/l", "x.log"}, true, P{{"QEL.LogOptions", "iwearmo"}}},
        CmdLineCase{{"/lv+", "x.log"}, true, P{{"QEL.LogOptions", "lv+"}, {"QEL.LogFile", "x.log"}}},
        CmdLineCase{{"/fomus"}, true, P{{"REINSTALLMODE", "omus"}}},
        CmdLineCase{{"/forcerestart"}, true, P{{"REBOOT", "Force"}, {"REINSTALLMODE", ""}}},
        CmdLineCase{{"/norestart"}, true, P{{"REBOOT", "ReallySuppress"}}},
        CmdLineCase{{"/promptrestart"}, true, P{{"REBOOT", "Suppress"}}},
        CmdLineCase{{"/ArpMode"}, true, P{{"QEL.ARP.Mode", "1"}}},
        CmdLineCase{{"/?"}, false, P{}}, CmdLineCase{{"-HELP"}, false, P{}},
        CmdLineCase{{"/whatever", "/zz"}, true, P{{"QEL.UILevel", "5"}}},
        CmdLineCase{{"A=1", "AB=", "AB=x=y", "INSTALLDIR=C:\\P F\\"}, true,
                    P{{"A", ""}, {"AB", "x=y"}, {"INSTALLDIR", "C:\\P F\\"}}},
        CmdLineCase{{"Mixed=1", "LATER=1"}, false, P{{"Mixed", ""}, {"LATER", ""}}},
        CmdLineCase{{"PROP_2=\"quoted\""}, true, P{{"PROP_2", "\"quoted\""}}},
        CmdLineCase{{"/a", "C:\\NoSuchFolder"}, true, P{{"ACTION", "ADMIN"}, {"TARGETDIR", ""}}},
        CmdLineCase{{"/a", "C:\\Users"}, true, P{{"ACTION", "ADMIN"}, {"TARGETDIR", "C:\\Users\\"}}},
        CmdLineCase{{"/a", "TARGETDIR=C:\\x"}, true, P{{"TARGETDIR", "C:\\x"}}},
        CmdLineCase{{std::string(100000, 'A') + "=v"}, true, P{{std::string(100000, 'A'), "v"}}},
        CmdLineCase{{"", "/", "="}, true, P{{"QEL.UILevel", "5"}}}));

TEST(SetupCmdLineEchoTest, EchoesArgumentsUpToTheRejectedOne) {
  test::TempMachine machine;
  CXMLFileManagerInterface xml;
  ASSERT_EQ(xml.CreateXML("<QEL><Properties><Property name=\"X\"/></Properties></QEL>"), 0u);
  bool admin = false;
  CSetupCmdLine cmdLine(admin);
  EXPECT_FALSE(cmdLine.Parse({"/qb", "/a", "lower=1", "/l*v", "log.txt"}));
  EXPECT_EQ(cmdLine.GetEcho(), "/qb /a lower=1");
  EXPECT_TRUE(admin);
}

}  // namespace
}  // namespace qel
