#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "patch/PatchTestSupport.h"
#include "platform/InstallerService.h"
#include "platform/Platform.h"
#include "platform/linux/installer/ProductDatabase.h"
#include "support/TempMachine.h"

namespace qel::test {
namespace {

using platform::PatchSequenceRecord;

constexpr const char* kProduct = "{C1000000-0000-0000-0000-000000000001}";
constexpr const char* kOther = "{C1000000-0000-0000-0000-000000000002}";

class InstallerPatches : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    builder_ = new PackageBuilder();
    for (const char* name : {"main.txt", "tool.dat", "readme.txt", "extra.txt"}) builder_->AddSourceFile(name, "old " + std::string(name));
    package_ = builder_->Build("product", "patched.msi",
                               {{"ProductCode", kProduct}, {"ProductName", "Patched"}, {"Version", "1.0.0"},
                                {"EmbedCab", "yes"}, {"Cabinet", "patched.cab"}});
  }
  static void TearDownTestSuite() {
    delete builder_;
    builder_ = nullptr;
  }
  void SetUp() override {
    ASSERT_EQ(platform::Installer().InstallProduct(platform::Files().FromHostPath(package_), "ALLUSERS=1"), platform::kSuccess);
  }
  // Writes a patch into the machine's C:\Patches and answers its desktop path.
  std::string Patch(const std::string& name, const PatchSpec& spec) {
    const std::string host = machine_.Root() + "/drive_c/Patches/" + name;
    std::filesystem::create_directories(machine_.Root() + "/drive_c/Patches");
    WritePatch(host, spec);
    return "C:\\Patches\\" + name;
  }
  std::string MainFile() {
    std::string location, bytes;
    platform::Installer().GetProductInfo(kProduct, "InstallLocation", location);
    platform::Files().ReadFile(location + (location.ends_with("\\") ? "" : "\\") + "main.txt", bytes);
    return bytes;
  }

  TempMachine machine_;
  static PackageBuilder* builder_;
  static std::string package_;
};

PackageBuilder* InstallerPatches::builder_ = nullptr;
std::string InstallerPatches::package_;

TEST_F(InstallerPatches, SequencesOnlyWhatTargetsTheProductAndOrdersAFamilyBySequence) {
  std::vector<PatchSequenceRecord> records = {
      {Patch("later.msp", {"{D0000000-0000-0000-0000-000000000002}", kProduct, {}, "Fam", "1.0.10"}), 0, -1, 0},
      {Patch("other.msp", {"{D0000000-0000-0000-0000-000000000003}", kOther, {}, "", ""}), 0, -1, 0},
      {Patch("earlier.msp", {"{D0000000-0000-0000-0000-000000000001}", std::string(kOther) + ";" + kProduct, {}, "Fam", "1.0.9"}), 0, -1, 0},
      {"C:\\Patches\\missing.msp", 0, -1, 0},
  };
  ASSERT_EQ(platform::Installer().DeterminePatchSequence(kProduct, records), platform::kSuccess);
  EXPECT_EQ(records[0].status, 0u);
  EXPECT_EQ(records[0].order, 1);
  EXPECT_EQ(records[1].status, platform::kPatchTargetNotFound);
  EXPECT_EQ(records[1].order, -1);
  EXPECT_EQ(records[2].status, 0u);
  EXPECT_EQ(records[2].order, 0);
  EXPECT_NE(records[3].status, 0u);

  EXPECT_EQ(platform::Installer().DeterminePatchSequence(kOther, records), platform::kUnknownProduct);
}

TEST_F(InstallerPatches, ApplyReplacesFilesAndRecordsThePatchOnce) {
  const std::string patch = Patch("fix.msp", {"{D0000000-0000-0000-0000-000000000009}", kProduct, {{"MainFile", "patched main"}}, "", ""});
  ASSERT_EQ(MainFile(), "old main.txt");
  ASSERT_EQ(platform::Installer().ApplyPatch(patch, kProduct, platform::kInstallTypeSingleInstance, "REINSTALL=ALL"), platform::kSuccess);
  EXPECT_EQ(MainFile(), "patched main");
  ASSERT_EQ(platform::Installer().ApplyPatch(patch, kProduct, platform::kInstallTypeSingleInstance, ""), platform::kSuccess);

  platform::installer::ProductDatabase database;
  ASSERT_EQ(platform::installer::ProductDatabase::Load(database), platform::kSuccess);
  ASSERT_NE(database.Find(kProduct), nullptr);
  EXPECT_EQ(database.Find(kProduct)->patches, std::vector<std::string>{"{D0000000-0000-0000-0000-000000000009}"});
}

TEST_F(InstallerPatches, ApplyAnswersNotApplicableUnknownAndInvalid) {
  const std::string other = Patch("other.msp", {"{D0000000-0000-0000-0000-000000000003}", kOther, {{"MainFile", "x"}}, "", ""});
  EXPECT_EQ(platform::Installer().ApplyPatch(other, kProduct, platform::kInstallTypeSingleInstance, ""), platform::kPatchTargetNotFound);
  EXPECT_EQ(MainFile(), "old main.txt");
  EXPECT_EQ(platform::Installer().ApplyPatch(other, kOther, platform::kInstallTypeSingleInstance, ""), platform::kUnknownProduct);
  machine_.WriteHostFile(machine_.Root() + "/drive_c/Patches/junk.msp", "not a database");
  EXPECT_EQ(platform::Installer().ApplyPatch("C:\\Patches\\junk.msp", kProduct, platform::kInstallTypeSingleInstance, ""),
            platform::kInstallPackageInvalid);
}

}  // namespace
}  // namespace qel::test
