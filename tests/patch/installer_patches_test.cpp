#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "patch/PatchTestSupport.h"
#include "platform/InstallerService.h"
#include "platform/Platform.h"
#include "platform/linux/installer/PatchPackage.h"
#include "platform/linux/installer/ProductDatabase.h"
#include "support/LauncherRun.h"
#include "support/TempMachine.h"

namespace qel::test {
namespace {

using platform::PatchSequenceRecord;
namespace installer = platform::installer;

constexpr const char* kProduct = "{C1000000-0000-0000-0000-000000000001}";
constexpr const char* kOther = "{C1000000-0000-0000-0000-000000000002}";
constexpr const char* kFixCode = "{D0000000-0000-0000-0000-000000000009}";
constexpr const char* kCachedFix = "C:\\Windows\\Installer\\D0000000-0000-0000-0000-000000000009.msp";
constexpr const char* kPatchLine = "REINSTALLMODE=oums REINSTALL=ALL REBOOT=ReallySuppress";

// Records what the installer reports and answers Cancel where a test asks it to.
struct PatchMessages {
  std::vector<std::pair<std::uint32_t, std::string>> messages;
  int cancelAtProgress = 0;  // the n-th progress message, from 1
  bool cancelAfterFirstFile = false;
  int progressSeen = 0;
  bool fileSeen = false;

  static int Handle(void* context, std::uint32_t type, const std::string& text) {
    auto* self = static_cast<PatchMessages*>(context);
    const std::uint32_t kind = type & platform::kInstallMessageKindMask;
    self->messages.emplace_back(kind, text);
    if (kind == platform::kInstallMessageActionData && text.rfind("File: ", 0) == 0) self->fileSeen = true;
    if (kind != platform::kInstallMessageProgress) return platform::kHandlerNotHandled;
    ++self->progressSeen;
    if (self->progressSeen == self->cancelAtProgress || (self->cancelAfterFirstFile && self->fileSeen))
      return platform::kHandlerCancel;
    return platform::kHandlerOk;
  }
  bool Has(std::uint32_t kind, const std::string& part) const {
    for (const auto& [k, text] : messages)
      if (k == kind && text.find(part) != std::string::npos) return true;
    return false;
  }
};

class InstallerPatches : public ::testing::Test {
 protected:
  // The product can be asked for a restart (SCHEDULE=1) or to fail (FAILME=1) from the command
  // line a patch is applied with.
  static void SetUpTestSuite() {
    builder_ = std::make_unique<PackageBuilder>();
    for (const char* name : {"main.txt", "tool.dat", "readme.txt", "extra.txt"}) builder_->AddSourceFile(name, "old " + std::string(name));
    package_ = builder_->Build("product", "patched.msi",
                               {{"ProductCode", kProduct}, {"ProductName", "Patched"}, {"Version", "1.0.0"},
                                {"EmbedCab", "yes"}, {"Cabinet", "patched.cab"}});
    builder_->AddExecuteAction(package_, "ScheduleReboot", "SCHEDULE = 1", 6598);
    builder_->AddCustomAction(package_, "FailNow", 19, "", "Failing on purpose");
    builder_->AddExecuteAction(package_, "FailNow", "FAILME = 1", 6601);
  }
  static void TearDownTestSuite() { builder_.reset(); }
  void SetUp() override {
    ASSERT_EQ(platform::Installer().InstallProduct(platform::Files().FromHostPath(package_), "ALLUSERS=1"), platform::kSuccess);
  }
  void TearDown() override {
    platform::Installer().SetExternalUI({});
    platform::Installer().EnableLog(0, "", 0);
  }
  void Record() { platform::Installer().SetExternalUI({&PatchMessages::Handle, 0xFFFFFFFF, &messages_}); }

  // Writes a patch into the machine's C:\Patches and answers its desktop path.
  std::string Patch(const std::string& name, const PatchSpec& spec) {
    const std::string host = machine_.Root() + "/drive_c/Patches/" + name;
    std::filesystem::create_directories(machine_.Root() + "/drive_c/Patches");
    WritePatch(host, spec);
    return "C:\\Patches\\" + name;
  }
  std::string FixPatch() {
    return Patch("fix.msp", {kFixCode, kProduct, {{"MainFile", "patched main"}}, "", "", "Main fix"});
  }
  platform::ErrorCode Apply(const std::string& patch, const std::string& commandLine = kPatchLine) {
    return platform::Installer().ApplyPatch(patch, kProduct, platform::kInstallTypeSingleInstance, commandLine);
  }
  std::string InstalledFile(const std::string& relative) {
    std::string location, bytes;
    platform::Installer().GetProductInfo(kProduct, "InstallLocation", location);
    platform::Files().ReadFile(location + (location.ends_with("\\") ? "" : "\\") + relative, bytes);
    return bytes;
  }
  std::string MainFile() { return InstalledFile("main.txt"); }
  std::vector<installer::AppliedPatch> RecordedPatches() {
    installer::ProductDatabase database;
    EXPECT_EQ(installer::ProductDatabase::Load(database), platform::kSuccess);
    const installer::ProductRecord* record = database.Find(kProduct);
    return record == nullptr ? std::vector<installer::AppliedPatch>{} : record->patches;
  }
  bool Exists(const std::string& desktopPath) {
    platform::FileAttributes attributes;
    return platform::Files().GetAttributes(desktopPath, attributes) == platform::kSuccess && attributes.exists;
  }

  TempMachine machine_;
  PatchMessages messages_;
  static std::unique_ptr<PackageBuilder> builder_;
  static std::string package_;
};

std::unique_ptr<PackageBuilder> InstallerPatches::builder_;
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
  const std::string patch = Patch("fix.msp", {kFixCode, kProduct, {{"MainFile", "patched main"}}, "", ""});
  ASSERT_EQ(MainFile(), "old main.txt");
  ASSERT_EQ(platform::Installer().ApplyPatch(patch, kProduct, platform::kInstallTypeSingleInstance, "REINSTALL=ALL"), platform::kSuccess);
  EXPECT_EQ(MainFile(), "patched main");
  ASSERT_EQ(platform::Installer().ApplyPatch(patch, kProduct, platform::kInstallTypeSingleInstance, ""), platform::kSuccess);

  const auto patches = RecordedPatches();
  ASSERT_EQ(patches.size(), 1u);
  EXPECT_EQ(patches[0].code, kFixCode);
}

TEST_F(InstallerPatches, AnEarlierMemberOfAnAppliedFamilyHasNoValidSequence) {
  const std::string later = Patch("later.msp", {"{D0000000-0000-0000-0000-000000000012}", kProduct, {{"MainFile", "1.2"}}, "Fam", "1.2"});
  const std::string earlier = Patch("earlier.msp", {"{D0000000-0000-0000-0000-000000000011}", kProduct, {{"MainFile", "1.1"}}, "Fam", "1.1"});
  const std::string stranger = Patch("stranger.msp", {"{D0000000-0000-0000-0000-000000000013}", kProduct, {{"ToolFile", "t"}}, "Other", "0.1"});
  ASSERT_EQ(Apply(later), platform::kSuccess);
  EXPECT_EQ(Apply(earlier), platform::kPatchNoSequence);
  EXPECT_EQ(MainFile(), "1.2");
  EXPECT_EQ(RecordedPatches().size(), 1u);
  // Another family, and the same patch again, still apply.
  EXPECT_EQ(Apply(stranger), platform::kSuccess);
  EXPECT_EQ(Apply(later), platform::kSuccess);
}

TEST_F(InstallerPatches, ApplyAnswersNotApplicableUnknownAndInvalid) {
  const std::string other = Patch("other.msp", {"{D0000000-0000-0000-0000-000000000003}", kOther, {{"MainFile", "x"}}, "", ""});
  EXPECT_EQ(platform::Installer().ApplyPatch(other, kProduct, platform::kInstallTypeSingleInstance, ""), platform::kPatchTargetNotFound);
  EXPECT_EQ(MainFile(), "old main.txt");
  EXPECT_EQ(platform::Installer().ApplyPatch(other, kOther, platform::kInstallTypeSingleInstance, ""), platform::kUnknownProduct);
  machine_.WriteHostFile(machine_.Root() + "/drive_c/Patches/junk.msp", "not a database");
  EXPECT_EQ(platform::Installer().ApplyPatch("C:\\Patches\\junk.msp", kProduct, platform::kInstallTypeSingleInstance, ""),
            platform::kInstallPackageInvalid);
  EXPECT_EQ(platform::Installer().ApplyPatch("C:\\Patches\\absent.msp", kProduct, platform::kInstallTypeSingleInstance, ""),
            platform::kInstallPackageOpenFailed);
  // A patch that names a payload it does not carry is as broken as one that is no database.
  const std::string hollow = Patch("hollow.msp", {"{D0000000-0000-0000-0000-000000000004}", kProduct, {{"MainFile", "x"}}, "", ""});
  ASSERT_EQ(std::system(("msibuild " + Quote(machine_.HostPath(hollow)) + " -q " +
                         Quote("INSERT INTO `PatchFile` (`File`) VALUES ('ToolFile')") + " >/dev/null 2>&1").c_str()), 0);
  EXPECT_EQ(Apply(hollow), platform::kInstallPackageInvalid);
  EXPECT_EQ(MainFile(), "old main.txt");
  EXPECT_TRUE(RecordedPatches().empty());
}

TEST_F(InstallerPatches, ApplyIsAMaintenanceRunThatReportsEachFileAndRecordsThePatchWithItsTitle) {
  const std::string patch = FixPatch();
  ASSERT_EQ(platform::Files().CreateFolder("C:\\Logs"), platform::kSuccess);
  platform::Installer().EnableLog(0xFFFFFFFF, "C:\\Logs\\patch.log", 0);
  Record();

  ASSERT_EQ(Apply(patch), platform::kSuccess);

  EXPECT_EQ(MainFile(), "patched main");
  EXPECT_EQ(InstalledFile("bin\\tool.dat"), "old tool.dat");
  EXPECT_TRUE(messages_.Has(platform::kInstallMessageActionStart, "InstallFiles"));
  EXPECT_TRUE(messages_.Has(platform::kInstallMessageActionData, "File: main.txt"));
  // Files the patch does not name stay where they are under REINSTALLMODE "o".
  EXPECT_FALSE(messages_.Has(platform::kInstallMessageActionData, "File: tool.dat"));
  EXPECT_TRUE(messages_.Has(platform::kInstallMessageProgress, "1: 2 "));
  const std::string log = ReadRunLog(machine_.HostPath("C:\\Logs\\patch.log"));
  EXPECT_NE(log.find("******* Patch: " + patch), std::string::npos) << log;
  EXPECT_NE(log.find("******* CommandLine: " + std::string(kPatchLine)), std::string::npos);
  EXPECT_NE(log.find("Property(S): PATCH = " + patch), std::string::npos);

  const auto patches = RecordedPatches();
  ASSERT_EQ(patches.size(), 1u);
  EXPECT_EQ(patches[0].title, "Main fix");
  EXPECT_EQ(patches[0].localPackage, kCachedFix);
  EXPECT_TRUE(Exists(kCachedFix));

  int status = -1;
  EXPECT_EQ(InspectMachine(machine_, std::string("patches '") + kProduct + "'", &status),
            std::string(kFixCode) + "\tMain fix\n");
  EXPECT_EQ(status, 0);
  InspectMachine(machine_, std::string("patches '") + kOther + "'", &status);
  EXPECT_NE(status, 0);
}

struct UndoneCase {
  const char* name;
  std::string commandLine;
  int cancelAtProgress;
  bool cancelAfterFirstFile;
  platform::ErrorCode expected;
};

class PatchUndone : public InstallerPatches, public ::testing::WithParamInterface<UndoneCase> {};

TEST_P(PatchUndone, LeavesFilesRecordAndCacheAsTheyWere) {
  const std::string patch = FixPatch();
  messages_.cancelAtProgress = GetParam().cancelAtProgress;
  messages_.cancelAfterFirstFile = GetParam().cancelAfterFirstFile;
  Record();

  EXPECT_EQ(Apply(patch, GetParam().commandLine), GetParam().expected);

  EXPECT_EQ(MainFile(), "old main.txt");
  EXPECT_TRUE(RecordedPatches().empty());
  EXPECT_FALSE(Exists(kCachedFix));
  // Nothing was left behind for the next run either: the same patch then goes through.
  messages_ = {};
  EXPECT_EQ(Apply(patch), platform::kSuccess);
  EXPECT_EQ(MainFile(), "patched main");
}

INSTANTIATE_TEST_SUITE_P(Cases, PatchUndone,
                         ::testing::Values(UndoneCase{"CancelAtFirstProgress", kPatchLine, 1, false, platform::kInstallUserExit},
                                           UndoneCase{"CancelAfterTheFile", kPatchLine, 0, true, platform::kInstallUserExit},
                                           UndoneCase{"FailingCustomAction", std::string(kPatchLine) + " FAILME=1", 0, false,
                                                      platform::kInstallFailure}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(InstallerPatches, RestartRequestOfTheProductAnswers3010EvenWhenSuppressed) {
  const std::string patch = FixPatch();
  EXPECT_EQ(Apply(patch, std::string(kPatchLine) + " SCHEDULE=1"), platform::kSuccessRebootRequired);
  EXPECT_EQ(MainFile(), "patched main");
  EXPECT_EQ(RecordedPatches().size(), 1u);
}

TEST_F(InstallerPatches, LaterRepairKeepsThePatchedContent) {
  ASSERT_EQ(Apply(FixPatch()), platform::kSuccess);
  // The patch's own file is gone: the repair must not need it.
  ASSERT_EQ(platform::Files().DeleteFile("C:\\Patches\\fix.msp"), platform::kSuccess);
  std::string location;
  platform::Installer().GetProductInfo(kProduct, "InstallLocation", location);
  const std::string main = location + (location.ends_with("\\") ? "" : "\\") + "main.txt";

  for (const char* mode : {"omus", "amus"}) {
    SCOPED_TRACE(mode);
    ASSERT_EQ(platform::Files().DeleteFile(main), platform::kSuccess);
    ASSERT_EQ(platform::Installer().ConfigureProduct(kProduct, 0, platform::kFeatureStateDefault,
                                                     std::string("REINSTALL=ALL REINSTALLMODE=") + mode),
              platform::kSuccess);
    EXPECT_EQ(MainFile(), "patched main");
    EXPECT_EQ(InstalledFile("docs\\readme.txt"), "old readme.txt");
  }
  EXPECT_EQ(RecordedPatches().size(), 1u);
}

TEST_F(InstallerPatches, RepairWithoutTheCachedPatchSucceedsAndSaysSoInTheLog) {
  ASSERT_EQ(Apply(FixPatch()), platform::kSuccess);
  ASSERT_EQ(platform::Files().DeleteFile(kCachedFix), platform::kSuccess);
  ASSERT_EQ(platform::Files().CreateFolder("C:\\Logs"), platform::kSuccess);
  platform::Installer().EnableLog(0xFFFFFFFF, "C:\\Logs\\repair.log", 0);

  ASSERT_EQ(platform::Installer().ConfigureProduct(kProduct, 0, platform::kFeatureStateDefault,
                                                   "REINSTALL=ALL REINSTALLMODE=omus"),
            platform::kSuccess);
  EXPECT_EQ(MainFile(), "patched main");
  EXPECT_NE(ReadRunLog(machine_.HostPath("C:\\Logs\\repair.log")).find("The cached patch " + std::string(kCachedFix)),
            std::string::npos);
}

TEST_F(InstallerPatches, LaterPatchOfTheSameFileWinsAndRemovalDeletesTheCachedPatches) {
  ASSERT_EQ(Apply(FixPatch()), platform::kSuccess);
  const std::string second = Patch("second.msp", {"{D0000000-0000-0000-0000-00000000000A}", kProduct,
                                                  {{"MainFile", "second main"}, {"DocFile", "second readme"}}, "", ""});
  ASSERT_EQ(Apply(second), platform::kSuccess);
  EXPECT_EQ(MainFile(), "second main");
  ASSERT_EQ(platform::Installer().ConfigureProduct(kProduct, 0, platform::kFeatureStateDefault,
                                                   "REINSTALL=ALL REINSTALLMODE=amus"),
            platform::kSuccess);
  EXPECT_EQ(MainFile(), "second main");
  EXPECT_EQ(InstalledFile("docs\\readme.txt"), "second readme");
  const auto patches = RecordedPatches();
  ASSERT_EQ(patches.size(), 2u);
  const std::string secondCache = patches[1].localPackage;
  ASSERT_TRUE(Exists(secondCache));

  ASSERT_EQ(platform::Installer().ConfigureProduct(kProduct, 0, platform::kFeatureStateAbsent, ""), platform::kSuccess);
  EXPECT_EQ(platform::Installer().QueryProductState(kProduct), platform::kProductStateUnknown);
  EXPECT_FALSE(Exists(kCachedFix));
  EXPECT_FALSE(Exists(secondCache));
}

TEST_F(InstallerPatches, PatchSharedByTwoProductsKeepsItsCachedCopyUntilTheLastIsRemoved) {
  const std::string otherPackage = builder_->Build("product", "other.msi",
                                                   {{"ProductCode", kOther}, {"ProductName", "Other"}, {"Version", "1.0.0"},
                                                    {"EmbedCab", "yes"}, {"Cabinet", "other.cab"}});
  ASSERT_EQ(platform::Installer().InstallProduct(platform::Files().FromHostPath(otherPackage), "ALLUSERS=1"), platform::kSuccess);
  const std::string patch = Patch("both.msp", {kFixCode, std::string(kProduct) + ";" + kOther, {{"MainFile", "both"}}, "", ""});
  ASSERT_EQ(Apply(patch), platform::kSuccess);
  ASSERT_EQ(platform::Installer().ApplyPatch(patch, kOther, platform::kInstallTypeSingleInstance, kPatchLine), platform::kSuccess);

  ASSERT_EQ(platform::Installer().ConfigureProduct(kOther, 0, platform::kFeatureStateAbsent, ""), platform::kSuccess);
  EXPECT_TRUE(Exists(kCachedFix));
  ASSERT_EQ(platform::Installer().ConfigureProduct(kProduct, 0, platform::kFeatureStateAbsent, ""), platform::kSuccess);
  EXPECT_FALSE(Exists(kCachedFix));
}

TEST(AppliedPatchRecord, RoundTripsTitlesWithTabsAndReadsTheOlderCodeOnlyLines) {
  installer::ProductDatabase database;
  installer::ProductRecord record;
  record.productCode = kProduct;
  record.patches = {{kFixCode, "Fix\tof \"main\"\nsecond line", "C:\\Windows\\Installer\\x.msp"}, {"{E}", "", ""}};
  database.Put(record);
  installer::ProductDatabase parsed;
  ASSERT_TRUE(installer::ProductDatabase::Parse(database.Serialize(), parsed));
  ASSERT_NE(parsed.Find(kProduct), nullptr);
  ASSERT_EQ(parsed.Find(kProduct)->patches.size(), 2u);
  EXPECT_EQ(parsed.Find(kProduct)->patches[0].title, record.patches[0].title);
  EXPECT_EQ(parsed.Find(kProduct)->patches[0].localPackage, record.patches[0].localPackage);
  EXPECT_TRUE(parsed.PatchPackageInUse("c:\\windows\\installer\\X.MSP"));

  ASSERT_TRUE(installer::ProductDatabase::Parse("qel-installer-products 1\nproduct\t{P}\npatch\t{OLD}\nend\n", parsed));
  ASSERT_EQ(parsed.Find("{P}")->patches.size(), 1u);
  EXPECT_EQ(parsed.Find("{P}")->patches[0].code, "{OLD}");
  EXPECT_FALSE(installer::ProductDatabase::Parse("qel-installer-products 1\nproduct\t{P}\npatch\t{A}\tthree\nend\n", parsed));
}

// The payload of a file the product left out (Extras is not installed by default) has nothing to
// replace and is not installed by the patch either.
TEST_F(InstallerPatches, PayloadOfAFileTheProductDidNotInstallIsLeftAlone) {
  const std::string patch = Patch("extra.msp", {"{D0000000-0000-0000-0000-00000000000B}", kProduct,
                                                {{"ExtraFile", "patched extra"}, {"MainFile", "patched main"}}, "", ""});
  ASSERT_EQ(Apply(patch), platform::kSuccess);
  EXPECT_EQ(MainFile(), "patched main");
  EXPECT_EQ(InstalledFile("extras\\extra.txt"), "");
}

class ImagePatches : public InstallerPatches {
 protected:
  void SetUp() override {
    ASSERT_EQ(platform::Installer().InstallProduct(platform::Files().FromHostPath(package_), "ACTION=ADMIN TARGETDIR=C:\\Image"),
              platform::kSuccess);
  }
  platform::ErrorCode ApplyToImage(const std::string& patch) {
    return platform::Installer().ApplyPatch(patch, kImagePackage, platform::kInstallTypeNetworkImage, kPatchLine);
  }
  std::string ImageMain() {
    std::string bytes;
    platform::Files().ReadFile("C:\\Image\\Patched\\main.txt", bytes);
    return bytes;
  }
  static constexpr const char* kImagePackage = "C:\\Image\\patched.msi";
};

TEST_F(ImagePatches, ReplacesTheImageFilesAndRecordsThePatchInItsPackage) {
  Record();
  ASSERT_EQ(ApplyToImage(FixPatch()), platform::kSuccess);

  EXPECT_EQ(ImageMain(), "patched main");
  EXPECT_TRUE(messages_.Has(platform::kInstallMessageActionData, "File: main.txt"));
  const auto recorded = installer::ImagePackagePatches(machine_.HostPath(kImagePackage));
  ASSERT_EQ(recorded.size(), 1u);
  EXPECT_EQ(recorded[0].first, kFixCode);
  EXPECT_EQ(recorded[0].second, "Main fix");
  EXPECT_EQ(InspectMachine(machine_, std::string("image-patches '") + kImagePackage + "'"),
            std::string(kFixCode) + "\tMain fix\n");
  // Once per patch, and the image still installs, with the patched file.
  ASSERT_EQ(ApplyToImage("C:\\Patches\\fix.msp"), platform::kSuccess);
  EXPECT_EQ(installer::ImagePackagePatches(machine_.HostPath(kImagePackage)).size(), 1u);
  ASSERT_EQ(platform::Installer().InstallProduct(kImagePackage, "ALLUSERS=1"), platform::kSuccess);
  EXPECT_EQ(MainFile(), "patched main");
  EXPECT_EQ(InstalledFile("bin\\tool.dat"), "old tool.dat");
}

TEST_F(ImagePatches, CancelLeavesTheImageAsItWas) {
  messages_.cancelAfterFirstFile = true;
  Record();
  EXPECT_EQ(ApplyToImage(FixPatch()), platform::kInstallUserExit);
  EXPECT_EQ(ImageMain(), "old main.txt");
  EXPECT_TRUE(installer::ImagePackagePatches(machine_.HostPath(kImagePackage)).empty());
}

TEST_F(ImagePatches, PatchForAnotherProductDoesNothing) {
  const std::string other = Patch("other.msp", {"{D0000000-0000-0000-0000-000000000003}", kOther, {{"MainFile", "x"}}, "", ""});
  EXPECT_EQ(ApplyToImage(other), platform::kPatchTargetNotFound);
  EXPECT_EQ(ImageMain(), "old main.txt");
}

}  // namespace
}  // namespace qel::test
