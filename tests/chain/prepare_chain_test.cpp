#include <gtest/gtest.h>

#include <string>

#include "chain/ChainTestSupport.h"
#include "chain/PosterRecorder.h"
#include "chain/PrepareChain.h"
#include "chain/ResultCodes.h"
#include "config/UtlPath.h"
#include "platform/InstallerService.h"
#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "uimsg/UiMessageTypes.h"

namespace qel {
namespace {

using test::kManagedCode;
using test::kPrereqCode;

constexpr const char* kExtraCode = "{A1000000-0000-0000-0000-000000000006}";
const std::string kFirstInstallTemplate =
    R"(SETUP.EXE.DIR="[SETUP.EXE.DIR]" REBOOT=[REBOOT] ACTION="[ACTION]" INSTALLDIR="[INSTALLDIR]" ALLUSERS="[ALLUSERS]" QEL.CONTEXT="[QEL.CONTEXT]" QEL.UILEVEL="[QEL.UILevel]")";

class PrepareChainTest : public test::ChainTest {
 protected:
  void SetUp() override {
    LoadSetup("Chain.xml");
    test::PostedMessages().clear();
  }
  std::string Item(const char* code, const char* name) { return ItemAttribute(code, name); }
  // The folder the managed package was installed from, as the installer service reports it.
  static std::string InstalledFolder() { return CUtlPath(test::ChainPackage(kManagedCode)).GetFolder(); }
};

TEST_F(PrepareChainTest, FirstInstallationMakesFilesAbsoluteComposesAndCreatesRollbacks) {
  ASSERT_EQ(PrepareChain(&test::RecordPost), 0u);
  EXPECT_EQ(Item(kPrereqCode, "file"), "c:\\src\\prereq\\prereq.msi");
  EXPECT_EQ(Item(kManagedCode, "file"), "c:\\src\\main.msi");
  EXPECT_EQ(Item(kManagedCode, "cmdline"), kFirstInstallTemplate);
  EXPECT_EQ(Attribute("//Setups", "rootfolder"), "C:\\Src\\");  // not re-pointed

  // Every item with a product code has exactly one Rollback; the executable without one is untouched.
  EXPECT_EQ(Count("//Msi[@productcode]"), "4");
  EXPECT_EQ(Count("//Msi[@productcode][count(Rollback)=1]"), "4");
  EXPECT_EQ(Count("//Msi[not(@productcode)]/Rollback"), "0");
  EXPECT_EQ(Attribute("//Msi[not(@productcode)]", "file"), "tools\\Setup.EXE");
  EXPECT_EQ(Attribute("//Msi[not(@productcode)]", "cmdline"), "/quiet");
  // Dependents are prepared by their own step.
  EXPECT_EQ(Attribute("//Dbm[1]", "file"), "deps\\Lang.msi");
  EXPECT_TRUE(test::PostedMessages().empty());

  // A second preparation finds the Rollback elements and creates none.
  ASSERT_EQ(PrepareChain(nullptr), 0u);
  EXPECT_EQ(Count("//Rollback"), "4");
}

TEST_F(PrepareChainTest, MaintenanceTakesTheManagedPackageFromItsInstalledSource) {
  test::InstallChainProduct(kManagedCode);
  store_.SetProperty("REINSTALLMODE", "omus");
  ASSERT_EQ(PrepareChain(&test::RecordPost), 0u);

  const std::string source = ToLower(CUtlPath(InstalledFolder()).GetFolderPath());
  EXPECT_EQ(Item(kManagedCode, "file"), source + "main.msi");
  EXPECT_EQ(Attribute("//Setups", "rootfolder"), source);
  // Items before the managed one keep the old root, items after it use the new one.
  EXPECT_EQ(Item(kPrereqCode, "file"), "c:\\src\\prereq\\prereq.msi");
  EXPECT_EQ(Item(kExtraCode, "file"), source + "extra.msi");

  EXPECT_EQ(Item(kManagedCode, "cmdline"),
            R"(SETUP.EXE.DIR="[SETUP.EXE.DIR]" REBOOT=[REBOOT] ACTION="[ACTION]" REINSTALLMODE="omus" REINSTALL=ALL QEL.CONTEXT="[QEL.CONTEXT]" QEL.UILEVEL="[QEL.UILevel]")");
  EXPECT_EQ(store_.GetProperty("MANAGEDINSTALLED"), "1");
  EXPECT_EQ(store_.GetProperty("QEL.NoModalDialogs"), "0");  // set for the quiet look-up, then put back
  EXPECT_TRUE(test::PostedMessages().empty());
}

TEST_F(PrepareChainTest, AdministrativeRunNeverRepoints) {
  test::InstallChainProduct(kManagedCode);
  store_.SetProperty("ACTION", "ADMIN");
  ASSERT_EQ(PrepareChain(nullptr), 0u);
  EXPECT_EQ(Item(kManagedCode, "file"), "c:\\src\\main.msi");
  EXPECT_EQ(Attribute("//Setups", "rootfolder"), "C:\\Src\\");
}

class MissingSourceTest : public PrepareChainTest {
 protected:
  void SetUp() override {
    PrepareChainTest::SetUp();
    test::InstallChainProduct(kManagedCode);
    // Without its cached package the installed product cannot be opened, so its source is unknown.
    std::string cached;
    ASSERT_EQ(platform::Installer().GetProductInfo(kManagedCode, "LocalPackage", cached), 0u);
    ASSERT_EQ(platform::Files().DeleteFile(cached), 0u);
  }
};

TEST_F(MissingSourceTest, NeededByTheUserItEndsPreparationWith1612) {
  store_.SetProperty("QEL.UILevel", "5");
  EXPECT_EQ(PrepareChain(&test::RecordPost), kResultSourceUnavailable);
  EXPECT_EQ(Item(kManagedCode, "cmdline"), "");  // nothing prepared
}

TEST_F(MissingSourceTest, NotNeededItOnlyDisablesCancel) {
  struct Case {
    const char* name;
    const char* uiLevel;
    const char* remove;
    const char* reinstallMode;
  };
  const Case cases[] = {{"quiet", "3", "", ""}, {"removal", "5", "ALL", ""}, {"verifying repair", "5", "", "omuV"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LoadSetup("Chain.xml");  // preparation runs once per run
    test::PostedMessages().clear();
    store_.SetProperty("QEL.UILevel", c.uiLevel);
    store_.SetProperty("REMOVE", c.remove);
    store_.SetProperty("REINSTALLMODE", c.reinstallMode);
    store_.SetProperty("QEL.NoModalDialogs", "1");
    EXPECT_EQ(PrepareChain(&test::RecordPost), 0u);
    ASSERT_EQ(test::PostedMessages().size(), 1u);
    EXPECT_EQ(test::PostedMessages()[0].type, INSTALLMESSAGE_COMMONDATA);
    EXPECT_EQ(test::PostedMessages()[0].text, "1:2 2:0");
    EXPECT_EQ(Item(kManagedCode, "file"), "c:\\src\\main.msi");  // not re-pointed
    EXPECT_EQ(store_.GetProperty("QEL.NoModalDialogs"), "1");    // left as it was found
  }
}

}  // namespace
}  // namespace qel
