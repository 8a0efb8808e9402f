#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chain/ChainTestSupport.h"
#include "chain/Scheduling.h"

namespace qel {
namespace {

using test::kHelperCode;
using test::kManagedCode;
using test::kPrereqCode;

constexpr const char* kLangCode = "{A1000000-0000-0000-0000-000000000005}";
constexpr const char* kExtraCode = "{A1000000-0000-0000-0000-000000000006}";
constexpr const char* kOtherCode = "{A1000000-0000-0000-0000-000000000007}";
constexpr const char* kOtherDepCode = "{A1000000-0000-0000-0000-000000000008}";

// Chain.xml: prereq (condition NEED_PREREQ), managed with the dependents Lang (condition
// " LANG = de ") and Helper (condition MISSING, adminsupport 0), Extra (authored scheduled 0),
// Other (condition "WANT = yes", false) with OtherDep, and an executable without a product code.
class SchedulingTest : public test::ChainTest {
 protected:
  void SetUp() override { LoadSetup("Chain.xml"); }

  // `scheduled` of every item in document order, one character each ("-" when absent).
  std::string Schedule() {
    EXPECT_EQ(ScheduleChain(), 0u);
    std::string marks;
    for (const char* code : {kPrereqCode, kManagedCode, kLangCode, kHelperCode, kExtraCode, kOtherCode, kOtherDepCode}) {
      const std::string value = ItemAttribute(code, "scheduled");
      marks += value.empty() ? "-" : value;
    }
    const std::string tools = Attribute("//Msi[@file=\"tools\\Setup.EXE\"]", "scheduled");
    return marks + (tools.empty() ? "-" : tools);
  }
};

// Order of the marks: prereq, managed, Lang, Helper, Extra, Other, OtherDep, tools.

TEST_F(SchedulingTest, FirstInstallationFollowsConditionsAndAuthoredValues) {
  EXPECT_EQ(Schedule(), "11100001");
  EXPECT_EQ(store_.GetProperty("ACTION"), "INSTALL");  // the administrative test fills an empty ACTION
}

TEST_F(SchedulingTest, AuthoredValueSurvivesAFalseConditionAndADependentFollowsItsParent) {
  SetAttribute("//Msi[@productcode=\"" + std::string(kOtherCode) + "\"]", "scheduled", "1");
  SetAttribute("//Msi[@productcode=\"" + std::string(kManagedCode) + "\"]/Dbm[1]", "condition", "LANG=fr");
  EXPECT_EQ(Schedule(), "11000111");
}

TEST_F(SchedulingTest, AnInstalledPrerequisiteIsLeftAloneInAFirstInstallation) {
  test::InstallChainProduct(kPrereqCode);
  EXPECT_EQ(Schedule(), "01100001");
}

TEST_F(SchedulingTest, MaintenanceRunsTheManagedItemAndLeavesOtherInstalledProducts) {
  test::InstallChainProduct(kManagedCode);
  test::InstallChainProduct(kPrereqCode);
  SetAttribute("//Msi[@productcode=\"" + std::string(kPrereqCode) + "\"]", "scheduled", "1");  // authored, still 0
  EXPECT_EQ(Schedule(), "01100001");
}

TEST_F(SchedulingTest, VerifyingReinstallRunsAnInstalledDependentWhateverItsCondition) {
  const std::string managed = "//Msi[@productcode=\"" + std::string(kManagedCode) + "\"]";
  store_.SetProperty("REINSTALLMODE", "omus");
  test::InstallChainProduct(kManagedCode);
  test::InstallChainProduct(kHelperCode);
  SetAttribute(managed, "file", test::ChainPackage(kManagedCode));
  EXPECT_EQ(Schedule(), "11100001");  // no "v": the condition decides

  store_.SetProperty("REINSTALLMODE", "OMUSV");
  EXPECT_EQ(Schedule(), "11110001");

  SetAttribute(managed, "file", "C:\\nowhere\\main.msi");  // the parent's package is not at hand
  EXPECT_EQ(Schedule(), "11100001");
}

TEST_F(SchedulingTest, VerifyingReinstallNeedsTheDependentInstalled) {
  store_.SetProperty("REINSTALLMODE", "v");
  SetAttribute("//Msi[@productcode=\"" + std::string(kManagedCode) + "\"]", "file", test::ChainPackage(kManagedCode));
  EXPECT_EQ(Schedule(), "11100001");
}

TEST_F(SchedulingTest, AdministrativeRunIgnoresConditionsAndHonoursAdminSupport) {
  store_.SetProperty("ACTION", "ADMIN");
  test::InstallChainProduct(kPrereqCode);  // installed or not makes no difference here
  EXPECT_EQ(Schedule(), "11100110");
}

TEST_F(SchedulingTest, AdministrativeRunWithoutAdminSupportOnTheManagedItem) {
  store_.SetProperty("ACTION", "ADMIN");
  SetAttribute("//Msi[@productcode=\"" + std::string(kManagedCode) + "\"]", "adminsupport", "0");
  EXPECT_EQ(Schedule(), "10000110");
}

TEST_F(SchedulingTest, AdminIsExactAndCaseSensitive) {
  store_.SetProperty("ACTION", "admin");
  EXPECT_EQ(Schedule(), "11100001");
}

}  // namespace
}  // namespace qel
