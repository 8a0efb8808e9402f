#include <gtest/gtest.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "InstallerTestBase.h"
#include "platform/Platform.h"

namespace qel::test {
namespace {

using namespace qel::platform;

const std::string kTarget = "T:\\Qel Sample\\";

// A real full disk: a 1 MiB tmpfs, mapped as drive T: where the product is installed, or over the
// installer's own folder where it unpacks cabinets.
class DiskFullInstallTest : public InstallerTest {
 protected:
  void TearDown() override {
    InstallerTest::TearDown();
    if (!mountPoint_.empty()) umount2(mountPoint_.c_str(), MNT_DETACH);
  }

  // Answers why when the machine does not let the test mount.
  std::string MountSmallDisk(const std::string& hostFolder) {
    std::filesystem::create_directories(hostFolder);
    if (mount("tmpfs", hostFolder.c_str(), "tmpfs", 0, "size=1m") != 0) {
      return std::string("cannot mount a small tmpfs here (") + std::strerror(errno) +
             "); run as root with mount rights to test a full disk";
    }
    mountPoint_ = hostFolder;
    return {};
  }
  std::string MountDriveT() {
    std::string refused = MountSmallDisk(machine_.Root() + "/small");
    if (refused.empty()) machine_.WriteDrivesConf("T: " + mountPoint_ + "\n");
    return refused;
  }

  std::vector<std::string> EntriesOfDisk() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(mountPoint_))
      names.push_back(entry.path().filename().string());
    return names;
  }

  std::string mountPoint_;
};

// Fills the disk as the files start to be laid down (the space check before them passed), and
// notes whether the first file was already in place when the installer reported the error.
struct DiskFiller {
  MessageRecorder* recorder;
  std::string hostFolder;
  std::uint64_t leaveFree;
  bool filled = false;
  bool firstFileWasPlaced = false;

  static int Handle(void* context, std::uint32_t type, const std::string& text) {
    auto* self = static_cast<DiskFiller*>(context);
    std::uint32_t kind = type & kInstallMessageKindMask;
    if (kind == kInstallMessageActionStart && text.find(": InstallFiles.") != std::string::npos) self->Fill();
    if (kind == kInstallMessageError) {
      FileAttributes attributes;
      self->firstFileWasPlaced = Files().GetAttributes(kTarget + "main.txt", attributes) == kSuccess;
    }
    return MessageRecorder::Handle(self->recorder, type, text);
  }

  void Fill() {
    if (filled) return;
    filled = true;
    DiskSpace space;
    ASSERT_EQ(Files().GetDiskSpace("T:\\", space), kSuccess);
    ASSERT_GT(space.freeBytes, leaveFree);
    std::ofstream(hostFolder + "/filler", std::ios::binary) << std::string(space.freeBytes - leaveFree, '\0');
  }
};

TEST_F(DiskFullInstallTest, DiskThatFillsDuringTheInstallFailsItAndTakesBackWhatWasPlaced) {
  if (std::string refused = MountDriveT(); !refused.empty()) GTEST_SKIP() << refused;
  builder_.AddSourceFile("tool.dat", std::string(400 * 1024, 'x'));
  std::string other = BuildSample({.output = "other.msi", .productCode = kOtherCode, .productName = "Qel Other"});
  ASSERT_EQ(Installer().InstallProduct(other, ""), kSuccess);
  std::string productsBefore = Inspect("products").out;
  ASSERT_NE(productsBefore, "");
  std::string msi = BuildSample();
  DiskFiller filler{&recorder_, mountPoint_, 100 * 1024};
  Installer().SetExternalUI({&DiskFiller::Handle, 0xFFFFFFFF, &filler});

  EXPECT_EQ(Installer().InstallProduct(msi, "INSTALLDIR=\"T:\\Qel Sample\""), kInstallFailure);

  ASSERT_TRUE(filler.filled);
  auto errors = recorder_.TextsOf(kInstallMessageError);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "Error 1310. Error writing to file: " + kTarget +
                           "bin\\tool.dat. There is not enough space on the disk.");
  EXPECT_TRUE(filler.firstFileWasPlaced);
  EXPECT_FALSE(Exists(kTarget));
  // Nothing of the run stays on the disk: no file, no folder, no half-written temporary.
  EXPECT_EQ(EntriesOfDisk(), std::vector<std::string>{"filler"});
  EXPECT_EQ(Installer().QueryProductState(kSampleCode), kProductStateUnknown);
  EXPECT_EQ(Inspect("products").out, productsBefore);
}

TEST_F(DiskFullInstallTest, PackageLargerThanTheDiskIsRefusedBeforeAnyFile) {
  if (std::string refused = MountDriveT(); !refused.empty()) GTEST_SKIP() << refused;
  builder_.AddSourceFile("tool.dat", std::string(2 * 1024 * 1024, 'x'));
  std::string msi = BuildSample();
  InstallRecorder();

  EXPECT_EQ(Installer().InstallProduct(msi, "INSTALLDIR=\"T:\\Qel Sample\""), kInstallFailure);

  auto outOfSpace = recorder_.TextsOf(kInstallMessageOutOfDiskSpace);
  ASSERT_EQ(outOfSpace.size(), 1u);
  EXPECT_EQ(outOfSpace[0].rfind("Out of disk space -- Volume: 'T:\\'; required space: ", 0), 0u) << outOfSpace[0];
  for (const auto& data : recorder_.TextsOf(kInstallMessageActionData))
    EXPECT_EQ(data.find(", Size: "), std::string::npos) << "a file was laid down: " << data;
  EXPECT_TRUE(EntriesOfDisk().empty());
  EXPECT_EQ(Installer().QueryProductState(kSampleCode), kProductStateUnknown);
}

TEST_F(DiskFullInstallTest, FullDiskWhileUnpackingTheCabinetIsAWritingErrorNotACorruptCabinet) {
  if (std::string refused = MountSmallDisk(machine_.Root() + "/installer"); !refused.empty())
    GTEST_SKIP() << refused;
  builder_.AddSourceFile("tool.dat", std::string(2 * 1024 * 1024, 'x'));  // packs small, unpacks large
  std::string msi = BuildSample();
  InstallRecorder();

  EXPECT_EQ(Installer().InstallProduct(msi, ""), kInstallFailure);

  auto errors = recorder_.TextsOf(kInstallMessageError);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].rfind("Error 1310. Error writing to file: ", 0), 0u) << errors[0];
  const std::string ending = "\\ToolFile. There is not enough space on the disk.";
  EXPECT_TRUE(errors[0].ends_with(ending)) << errors[0];
  EXPECT_FALSE(Exists(kSampleFolder));
  EXPECT_EQ(Installer().QueryProductState(kSampleCode), kProductStateUnknown);
  EXPECT_TRUE(EntriesOfDisk().empty());
}

}  // namespace
}  // namespace qel::test
