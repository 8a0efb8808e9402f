#include <gtest/gtest.h>

#include <cstdarg>

#include "ChainTestSupport.h"
#include "chain/ChainDriver.h"
#include "chain/Dependents.h"
#include "chain/PrepareChain.h"
#include "chain/Scheduling.h"
#include "config/UtlPath.h"
#include "platform/InstallerService.h"
#include "uimsg/UiMessageTypes.h"

// The install chain's cancel: the user's cancel reaches the chain as a refused item start, and
// every scheduled item before it is rolled back, newest first, with its dependents run again.
namespace qel::test {
namespace {

int itemStarts = 0;
int refuseAt = 0;
std::vector<std::string> started;

// Stands in for the run's handler: answers the n-th item start with 1602, as the handler does
// once the user has confirmed Cancel, and records what started.
std::int32_t CancellingPoster(std::uint32_t type, const char* format, ...) {
  if ((type & 0xFF000000u) != SETUPMESSAGE_ITEMSTART) return 0;
  va_list arguments;
  va_start(arguments, format);
  char text[2048];
  std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  started.emplace_back(text);
  return ++itemStarts == refuseAt ? 1602 : 0;
}

class CancelWalkTest : public ChainTest {
 protected:
  void SetUp() override {
    itemStarts = 0;
    started.clear();
    // The packages lie side by side in one folder, the chain's root.
    const std::string root = CUtlPath(ChainPackage(kManagedCode)).GetFolder();
    const auto name = [](const char* code) { return CUtlPath(ChainPackage(code)).GetFileName(); };
    std::string items;
    for (const char* code : {kPrereqCode, kManagedCode, kHelperCode}) {
      ASSERT_EQ(CUtlPath(ChainPackage(code)).GetFolder(), root);
      items += "<Msi file=\"" + name(code) + "\" productcode=\"" + code + "\"" +
               (code == kManagedCode ? " managed=\"1\"" : "") + ">";
      if (code == kManagedCode) items += "<Dbm file=\"" + name(kRepairCode) + "\" productcode=\"" + kRepairCode + "\"/>";
      items += "</Msi>";
    }
    LoadSetup("<QEL><Properties><Property name=\"QEL.UILevel\" value=\"2\"/>"
              "<Property name=\"INSTALLDIR\" value=\"C:\\Program Files\\Managed\\\"/></Properties><Setups rootfolder=\"" +
              root + "\">" + items + "</Setups></QEL>");
    ASSERT_EQ(PrepareChain(nullptr), 0u);
    ASSERT_EQ(PrepareDependents(), 0u);
    ASSERT_EQ(ScheduleChain(), 0u);
  }
  static bool Installed(const char* code) {
    return platform::Installer().QueryProductState(code) == platform::kProductStateDefault;
  }
};

TEST_F(CancelWalkTest, CancelAtTheThirdItemRollsBackTheSecondThenTheFirst) {
  refuseAt = 4;  // prereq, managed, its dependent, then the helper is refused
  EXPECT_EQ(InstallChain(&CancellingPoster), 1602u);
  EXPECT_FALSE(Installed(kPrereqCode));
  EXPECT_FALSE(Installed(kManagedCode));
  EXPECT_FALSE(Installed(kHelperCode));
  // The dependent ran after its parent, and again after the parent's rollback (no item start of
  // its own then: the walk posts nothing), which installs it afresh.
  EXPECT_TRUE(Installed(kRepairCode));
  ASSERT_EQ(started.size(), 4u);
  EXPECT_EQ(ItemAttribute(kHelperCode, "result"), "");  // a refused item records nothing
  EXPECT_EQ(Attribute(std::string("//QEL/Setups/Msi[@productcode=\"") + kManagedCode + "\"]/Rollback", "result"), "0");
  EXPECT_EQ(Attribute(std::string("//QEL/Setups/Msi[@productcode=\"") + kPrereqCode + "\"]/Rollback", "result"), "0");
}

TEST_F(CancelWalkTest, CancelAtTheFirstItemRollsNothingBack) {
  refuseAt = 1;
  EXPECT_EQ(InstallChain(&CancellingPoster), 1602u);
  EXPECT_FALSE(Installed(kPrereqCode));
  EXPECT_EQ(Attribute(std::string("//QEL/Setups/Msi[@productcode=\"") + kPrereqCode + "\"]/Rollback", "result"), "");
}

}  // namespace
}  // namespace qel::test
