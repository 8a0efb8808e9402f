#include <gtest/gtest.h>

#include <string>

#include "chain/ChainTestSupport.h"
#include "chain/UtlXSetupMsi.h"
#include "chain/UtlXSetupMsiDbm.h"
#include "chain/UtlXSetupMsiRollback.h"
#include "chain/UtlXSetupSupportFile.h"
#include "config/ResultText.h"

namespace qel {
namespace {

constexpr const char* kModel = R"(<QEL>
  <Properties>
    <Property name="Str.ProgressText.Default" value="Installing"/>
    <Property name="Str.Mine" value="Mine in progress"/>
  </Properties>
  <Setups rootfolder="C:\Src\MiXeD\">
    <Msi file="a.msi" productcode="{A}" managed="1" adminsupport="0" progresstext="Str.Mine" progresstype="1"/>
    <Msi file="b.msi" productcode="{B}" managed="1">
      <Dbm file="b1.msi" productcode="{B1}" managed="1"/>
      <Dbm file="b2.msi" productcode="{B2}" adminsupport="0"/>
      <Group><SupportFile file="deep.txt"/></Group>
    </Msi>
    <Msi file="c.msi" productcode="{C}" adminsupport="0">
      <Dbm file="c1.msi" productcode="{C1}"/>
    </Msi>
    <Msi file="tools\setup.exe"/>
    <SupportFile file="top.txt"/>
  </Setups>
</QEL>)";

class ChainModelTest : public test::ChainTest {
 protected:
  void SetUp() override { LoadSetup(kModel); }
};

// Gives the abstract base a body, to see its own selection.
class QelCursor : public CUtlXQel {
 public:
  bool SetResult(std::uint32_t) override { return false; }
};

TEST_F(ChainModelTest, SelectionExpressionsPerClass) {
  QelCursor qel;
  EXPECT_EQ(qel.Select(""), 1);
  EXPECT_EQ(qel.Select("//Msi"), 4);

  CUtlXSetup setup;
  ASSERT_EQ(setup.Select(""), 1);
  EXPECT_EQ(setup.GetRootFolder(), "c:\\src\\mixed\\");

  CUtlXSetupMsi msi;
  EXPECT_EQ(msi.Select(""), 4);
  ASSERT_EQ(msi.Select("{C}"), 1);
  EXPECT_EQ(msi.GetFile(), "c.msi");
  EXPECT_EQ(msi.Select("{NOBODY}"), 0);  // tried as an expression of its own, which selects nothing
  EXPECT_EQ(msi.GetFile(), "");
  EXPECT_EQ(msi.Select("//Msi[@file=\"tools\\setup.exe\"]"), 1);  // the fall-back takes expressions
  // A code with quotes stays data: it cannot widen the selection.
  EXPECT_EQ(msi.Select("{A}\"] | //Msi | //x[@y=\""), 0);

  ASSERT_EQ(msi.SelectManaged(), 2);
  EXPECT_EQ(msi.GetProductCode(), "{A}");  // the first managed item is the one used

  CUtlXSetupMsiDbm dbm;
  EXPECT_EQ(dbm.Select(""), 3);
  ASSERT_EQ(dbm.Select("{B}"), 2);
  EXPECT_EQ(dbm.GetFile(), "b1.msi");
  EXPECT_EQ(dbm.Select("{A}"), 0);  // an item without dependents

  CUtlXSetupSupportFile support;
  EXPECT_EQ(support.Select(""), 2);  // at any depth below Setups
}

TEST_F(ChainModelTest, NoManagedItemSelectsNothing) {
  LoadSetup(R"(<QEL><Setups><Msi productcode="{X}" managed="yes"/></Setups></QEL>)");
  CUtlXSetupMsi msi;
  EXPECT_EQ(msi.SelectManaged(), 0);
  EXPECT_FALSE(msi.IsManaged());
  EXPECT_FALSE(msi.SetCmdLine("x"));  // no current node: writes report false
  EXPECT_EQ(msi.GetCmdLine(), "");
}

TEST_F(ChainModelTest, DependentsTakeManagedFromTheParentAndAdminSupportFromBoth) {
  CUtlXSetupMsiDbm dbm;
  // {B1} says managed="1" itself, which never counts; {B2} and the parent of {C1} refuse admin.
  struct Case {
    bool managed;
    bool admin;
  };
  const Case expected[] = {{true, true}, {true, false}, {false, false}};
  ASSERT_EQ(dbm.Select(""), 3);
  for (const auto& want : expected) {
    SCOPED_TRACE(dbm.GetProductCode());
    EXPECT_EQ(dbm.IsManaged(), want.managed);
    EXPECT_EQ(dbm.SupportsAdmin(), want.admin);
    dbm.Xml().CounterNext();
  }

  CUtlXSetupMsi msi;
  msi.Select("{A}");
  EXPECT_FALSE(msi.SupportsAdmin());
  msi.Select("{B}");
  EXPECT_TRUE(msi.SupportsAdmin());  // absent means supported
}

TEST_F(ChainModelTest, RollbackIsCreatedOnceAsLastChildAndSpeaksForItsParent) {
  CUtlXSetupMsiRollback rollback;
  EXPECT_EQ(rollback.Select(""), 0);  // none yet, and none made without a code
  ASSERT_EQ(rollback.Select("{B}"), 1);
  EXPECT_EQ(Attribute("//Msi[@productcode=\"{B}\"]/*[last()]", "productcode"), "");
  EXPECT_EQ(Count("//Msi[@productcode=\"{B}\"]/*[last()][self::Rollback]"), "1");
  EXPECT_EQ(rollback.GetFile(), "b.msi");
  EXPECT_EQ(rollback.GetProductCode(), "{B}");
  EXPECT_TRUE(rollback.IsManaged());
  EXPECT_TRUE(rollback.SetCmdLine("REMOVE=ALL"));
  EXPECT_TRUE(rollback.SetResult(0));

  CUtlXSetupMsiRollback again;
  ASSERT_EQ(again.Select("{B}"), 1);
  EXPECT_EQ(again.GetCmdLine(), "REMOVE=ALL");
  EXPECT_EQ(Count("//Rollback"), "1");
  EXPECT_EQ(again.Select("{NOBODY}"), 0);
  EXPECT_EQ(Count("//Rollback"), "1");
}

TEST_F(ChainModelTest, ResultsWriteTheCodeAndItsText) {
  CUtlXSetupMsi msi;
  ASSERT_EQ(msi.Select("{C}"), 1);
  ASSERT_TRUE(msi.SetResult(1603));
  EXPECT_EQ(Attribute("//Msi[@productcode=\"{C}\"]", "result"), "1603");
  EXPECT_EQ(Attribute("//Msi[@productcode=\"{C}\"]", "resulttext"), GetResultText(1603));
  EXPECT_NE(GetResultText(1603), "1603");
  EXPECT_EQ(msi.GetResult(), 1603u);

  ASSERT_TRUE(msi.SetResult(1234567));
  EXPECT_EQ(Attribute("//Msi[@productcode=\"{C}\"]", "resulttext"), "1234567");

  ASSERT_TRUE(msi.SetResultCode(3010));
  EXPECT_EQ(msi.GetResult(), 3010u);
  EXPECT_EQ(Attribute("//Msi[@productcode=\"{C}\"]", "resulttext"), "1234567");  // left alone

  for (const char* text : {"", "abc", "12x", " 5", "99999999999"}) {
    SetAttribute("//Msi[@productcode=\"{C}\"]", "result", text);
    EXPECT_EQ(msi.GetResult(), 0u) << text;
  }
  SetAttribute("//Msi[@productcode=\"{C}\"]", "result", "-1");
  EXPECT_EQ(msi.GetResult(), 0xFFFFFFFFu);  // "%d" of a code with the top bit reads back
}

TEST_F(ChainModelTest, FilesAndTheRootFolderKeepTheirForms) {
  CUtlXSetupMsi msi;
  ASSERT_EQ(msi.Select("{A}"), 1);
  ASSERT_TRUE(msi.SetFile("C:\\Src\\ÄÖ\\Main.MSI\\\\"));
  EXPECT_EQ(msi.GetFile(), "c:\\src\\äö\\main.msi");

  CUtlXSetup chain;
  ASSERT_EQ(chain.Select(""), 1);
  ASSERT_TRUE(chain.SetRootFolder("D:\\Image\\\\\\"));
  EXPECT_EQ(Attribute("//Setups", "rootfolder"), "D:\\Image\\");
  ASSERT_TRUE(chain.SetRootFolder("D:\\Other"));
  EXPECT_EQ(chain.GetRootFolder(), "d:\\other\\");
}

TEST_F(ChainModelTest, ExecutableItemsEndInExeInAnyCase) {
  CUtlXSetupMsi msi;
  ASSERT_EQ(msi.Select("{A}"), 1);
  const std::pair<const char*, bool> cases[] = {
      {"setup.exe", true}, {"TOOLS\\Setup.ExE", true}, {"setup.exe.msi", false},
      {"setupexe", false}, {"", false},                {"a.msi", false}};
  for (const auto& [file, executable] : cases) {
    SetAttribute("//Msi[@productcode=\"{A}\"]", "file", file);
    EXPECT_EQ(msi.IsExecutable(), executable) << file;
  }
}

TEST_F(ChainModelTest, FlagsScheduleAndProgress) {
  CUtlXSetupMsi a;
  ASSERT_EQ(a.Select("{A}"), 1);
  EXPECT_FALSE(a.IsScheduled());
  a.SetScheduled(true);
  EXPECT_TRUE(a.IsScheduled());
  a.SetScheduled(false);
  EXPECT_EQ(Attribute("//Msi[@productcode=\"{A}\"]", "scheduled"), "0");
  EXPECT_TRUE(a.HasFlag("managed"));
  SetAttribute("//Msi[@productcode=\"{A}\"]", "alwaysexecute", "true");
  EXPECT_FALSE(a.HasFlag("alwaysexecute"));  // only "1" is true

  EXPECT_EQ(a.GetProgressText(), "Mine in progress");
  EXPECT_EQ(a.GetProgressType(), "1");
  ASSERT_TRUE(a.PublishProgressText());
  EXPECT_EQ(store_.GetProperty("Str.ProgressTotalText.Complete"), "Mine in progress");

  CUtlXSetupMsi c;
  ASSERT_EQ(c.Select("{C}"), 1);
  EXPECT_EQ(c.GetProgressText(), "Installing");
  EXPECT_EQ(c.GetProgressType(), "0");
  EXPECT_EQ(c.GetCondition(), "");
}

TEST_F(ChainModelTest, ProductStateCountsOnlyKnownInstalledProducts) {
  CUtlXSetupMsi msi;
  ASSERT_EQ(msi.Select("{A}"), 1);
  EXPECT_FALSE(msi.IsProductInstalled());  // unknown to the installer service
  SetAttribute("//Msi[@productcode=\"{A}\"]", "productcode", "");
  EXPECT_FALSE(msi.IsProductInstalled());

  LoadSetup(std::string("<QEL><Setups><Msi productcode=\"") + test::kHelperCode + "\"/></Setups></QEL>");
  test::InstallChainProduct(test::kHelperCode);
  ASSERT_EQ(msi.Select(test::kHelperCode), 1);
  EXPECT_TRUE(msi.IsProductInstalled());
}

}  // namespace
}  // namespace qel
