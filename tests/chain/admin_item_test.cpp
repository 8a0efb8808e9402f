#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "chain/AdminItem.h"
#include "chain/ChainTestSupport.h"
#include "chain/PrepareChain.h"
#include "chain/ResultCodes.h"

namespace qel {
namespace {

using test::kManagedCode;

constexpr const char* kLangCode = "{A1000000-0000-0000-0000-000000000005}";

// Package execution is another part's job; here a recorder stands in for it, so that the
// decisions (what is installed, with which TARGETDIR, what becomes a support file) are seen.
struct InstallRecorder {
  struct Call {
    std::string file;
    std::string targetDir;
  };
  std::vector<Call> calls;
  std::map<std::string, std::uint32_t> results;  // by product code; 0 otherwise

  InstallItemFunction Function() {
    return [this](CUtlXSetupMsi& item) {
      calls.push_back({item.GetFile(), item.Properties().GetProperty("TARGETDIR")});
      auto found = results.find(item.GetProductCode());
      return found == results.end() ? kResultSuccess : found->second;
    };
  }
};

// Chain.xml in an administrative run, prepared, with Extra moved to a sub-folder and admitted
// by "ACTION=ADMIN", and Other admitted by alwaysexecute.
class AdminItemTest : public test::ChainTest {
 protected:
  void SetUp() override {
    LoadSetup("Chain.xml");
    store_.SetProperty("ACTION", "ADMIN");
    SetAttribute("//Msi[@productcode=\"{A1000000-0000-0000-0000-000000000006}\"]", "file", "Sub\\Extra.msi");
    SetAttribute("//Msi[@productcode=\"{A1000000-0000-0000-0000-000000000006}\"]", "condition", "ACTION=ADMIN");
    SetAttribute("//Msi[@productcode=\"{A1000000-0000-0000-0000-000000000007}\"]", "alwaysexecute", "1");
    ASSERT_EQ(PrepareChain(nullptr), 0u);
  }

  // Runs every item as the administrative chain does; the results in document order.
  std::vector<std::uint32_t> RunAll() {
    std::vector<std::uint32_t> results;
    CUtlXSetupMsi item;
    if (item.Select("") == 0) return results;
    do {
      results.push_back(ExecuteAdminItem(item, recorder_.Function()));
      EXPECT_EQ(store_.GetProperty("TARGETDIR"), "C:\\Image");
    } while (item.Xml().CounterNext() != 0);
    return results;
  }

  std::vector<std::string> SupportFiles() {
    std::vector<std::string> files;
    if (xml_.SelectNodes("//QEL/Setups//SupportFile") == 0) return files;
    do files.push_back(xml_.GetAttribute("file"));
    while (xml_.CounterNext() != 0);
    return files;
  }

  InstallRecorder recorder_;
};

TEST_F(AdminItemTest, InstallsWhatMayBeImagedAndCopiesTheRest) {
  EXPECT_EQ(RunAll(), (std::vector<std::uint32_t>{0, 0, 0, 0, 0}));

  ASSERT_EQ(recorder_.calls.size(), 4u);
  EXPECT_EQ(recorder_.calls[0].file, "c:\\src\\main.msi");  // the managed item, in the root
  EXPECT_EQ(recorder_.calls[0].targetDir, "C:\\Image");
  EXPECT_EQ(recorder_.calls[1].file, "deps\\Lang.msi");  // dependents are prepared elsewhere
  EXPECT_EQ(recorder_.calls[1].targetDir, "C:\\Image");  // a dependent uses its parent's target
  EXPECT_EQ(recorder_.calls[2].file, "c:\\src\\sub\\extra.msi");  // condition ACTION=ADMIN
  EXPECT_EQ(recorder_.calls[2].targetDir, "C:\\Image\\sub\\");  // the image keeps the source layout
  EXPECT_EQ(recorder_.calls[3].file, "c:\\src\\other.msi");  // alwaysexecute

  EXPECT_EQ(SupportFiles(), (std::vector<std::string>{"readme.txt", "c:\\src\\prereq\\prereq.msi", "deps\\Helper.msi",
                                                      "OtherDep.msi", "tools\\Setup.EXE"}));
}

TEST_F(AdminItemTest, RestartCodesAreKeptAndFailuresStopTheDependents) {
  recorder_.results[kLangCode] = kResultRestartRequired;
  CUtlXSetupMsi managed;
  ASSERT_EQ(managed.SelectManaged(), 1);
  EXPECT_EQ(ExecuteAdminItem(managed, recorder_.Function()), kResultRestartRequired);

  recorder_.calls.clear();
  recorder_.results[kManagedCode] = 1603;
  EXPECT_EQ(ExecuteAdminItem(managed, recorder_.Function()), 1603u);
  EXPECT_EQ(recorder_.calls.size(), 1u);  // the dependents did not run

  recorder_.calls.clear();
  recorder_.results[kManagedCode] = kResultRestartStarted;
  recorder_.results[kLangCode] = 1603;
  EXPECT_EQ(ExecuteAdminItem(managed, recorder_.Function()), 1603u);  // a failing dependent replaces it
  EXPECT_EQ(store_.GetProperty("TARGETDIR"), "C:\\Image");
}

TEST_F(AdminItemTest, AManagedItemWithoutAdminSupportIsCopied) {
  SetAttribute("//Msi[@managed=\"1\"]", "adminsupport", "0");
  CUtlXSetupMsi managed;
  ASSERT_EQ(managed.SelectManaged(), 1);
  EXPECT_EQ(ExecuteAdminItem(managed, recorder_.Function()), 0u);
  // Its dependents lose admin support with it and are copied too.
  ASSERT_EQ(recorder_.calls.size(), 0u);
  EXPECT_EQ(SupportFiles(), (std::vector<std::string>{"readme.txt", "c:\\src\\main.msi", "deps\\Lang.msi", "deps\\Helper.msi"}));
}

TEST_F(AdminItemTest, WithoutSupportFilesNothingIsCopied) {
  ASSERT_EQ(xml_.RemoveAll("//SupportFile"), 1);
  EXPECT_EQ(RunAll(), (std::vector<std::uint32_t>{0, 0, 0, 0, 0}));
  EXPECT_EQ(Count("//SupportFile"), "0");
  EXPECT_EQ(recorder_.calls.size(), 4u);
}

}  // namespace
}  // namespace qel
