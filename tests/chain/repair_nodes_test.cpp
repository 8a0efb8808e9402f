#include <gtest/gtest.h>

#include <string>

#include "chain/ChainTestSupport.h"
#include "chain/RepairNodes.h"
#include "platform/Platform.h"

namespace qel {
namespace {

using test::kManagedCode;
using test::kRepairCode;

// Chain.xml names two products to repair after a removal: kRepairCode and one never installed.
class RepairNodesTest : public test::ChainTest {
 protected:
  void SetUp() override {
    LoadSetup("Chain.xml");
    store_.SetProperty("Installed", "1");
    store_.SetProperty("REMOVE", "ALL");
    test::InstallChainProduct(kRepairCode);
  }
  std::string ManagedDependents() { return Count(ManagedPath() + "/Dbm"); }
  static std::string ManagedPath() { return "//Msi[@productcode=\"" + std::string(kManagedCode) + "\"]"; }
};

TEST_F(RepairNodesTest, InstalledRepairProductsFollowTheManagedItemsDependents) {
  AddRepairNodes();
  ASSERT_EQ(ManagedDependents(), "3");
  const std::string node = ManagedPath() + "/Dbm[3]";
  EXPECT_EQ(Attribute(node, "productcode"), kRepairCode);
  EXPECT_EQ(Attribute(node, "cmdline"), "REINSTALL=ALL REINSTALLMODE=m REBOOT=ReallySuppress QEL.CONTEXT=1 QEL.REPAIR.NODE=1");

  // The attributes are written in their documented order.
  const std::string saved = machine_.Root() + "/drive_c/saved.xml";
  ASSERT_EQ(xml_.Saveit("C:\\saved.xml"), 0u);
  const auto text = machine_.ReadHostFile(saved);
  ASSERT_TRUE(text.has_value());
  EXPECT_NE(text->find(std::string("<Dbm productcode=\"") + kRepairCode +
                       "\" file=\"RepairNode\" progresstext=\"Str.ProgressText.Common\" adminsupport=\"0\" "
                       "cmdline=\"REINSTALL=ALL REINSTALLMODE=m REBOOT=ReallySuppress QEL.CONTEXT=1 "
                       "QEL.REPAIR.NODE=1\" scheduled=\"1\""),
            std::string::npos)
      << *text;
}

TEST_F(RepairNodesTest, NothingIsAddedUnlessAllConditionsHold) {
  struct Case {
    const char* name;
    const char* installed;
    const char* remove;
  };
  const Case cases[] = {{"Installed 0", "0", "ALL"}, {"Installed empty", "", "ALL"}, {"REMOVE not exactly ALL", "1", "all"},
                        {"REMOVE a feature", "1", "Docs"}};
  for (const auto& c : cases) {
    store_.SetProperty("Installed", c.installed);
    store_.SetProperty("REMOVE", c.remove);
    AddRepairNodes();
    EXPECT_EQ(ManagedDependents(), "2") << c.name;
  }
}

TEST_F(RepairNodesTest, AManagedItemWithoutDependentsGetsNone) {
  ASSERT_EQ(xml_.RemoveAll(ManagedPath() + "/Dbm"), 2);
  AddRepairNodes();
  EXPECT_EQ(ManagedDependents(), "0");
  EXPECT_EQ(Count("//Dbm"), "1");  // the other item's dependent is not a place for them either
}

TEST_F(RepairNodesTest, AChainWithoutAManagedItemOrRepairElementsGetsNone) {
  SetAttribute(ManagedPath(), "managed", "0");
  AddRepairNodes();
  EXPECT_EQ(Count("//Dbm"), "3");

  SetAttribute(ManagedPath(), "managed", "1");
  ASSERT_EQ(xml_.RemoveAll("//Repair"), 2);
  AddRepairNodes();
  EXPECT_EQ(Count("//Dbm"), "3");
}

}  // namespace
}  // namespace qel
