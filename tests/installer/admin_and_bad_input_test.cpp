#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "InstallerTestBase.h"
#include "platform/Platform.h"
#include "platform/linux/installer/Package.h"
#include "platform/linux/installer/PackageReader.h"

namespace qel::test {
namespace {

using namespace qel::platform;

const std::string kFolder = kSampleFolder;

TEST_F(InstallerTest, AdministrativeImageHoldsUncompressedFilesAndPackage) {
  std::string msi = BuildSample();
  InstallRecorder();

  ASSERT_EQ(Installer().InstallProduct(msi, "ACTION=ADMIN TARGETDIR=C:\\Image"), kSuccess);

  EXPECT_EQ(Read("C:\\Image\\Qel Sample\\main.txt"), "main payload\n");
  EXPECT_EQ(Read("C:\\Image\\Qel Sample\\bin\\tool.dat"), std::string(5000, 'x'));
  EXPECT_EQ(Read("C:\\Image\\Qel Sample\\extras\\extra.txt"), "extra payload\n");
  EXPECT_EQ(Installer().QueryProductState(kSampleCode), kProductStateUnknown);
  EXPECT_FALSE(Exists(kFolder));
  installer::Package image;
  ASSERT_EQ(installer::ReadPackage(HostOf("C:\\Image\\sample.msi"), image), kSuccess);
  EXPECT_FALSE(image.Compressed());
  EXPECT_NE(image.wordCount & installer::kSummarySourceAdminImage, 0);

  int fileData = 0;
  for (const auto& text : recorder_.TextsOf(kInstallMessageActionData))
    fileData += text.find(", Size: ") != std::string::npos ? 1 : 0;
  EXPECT_EQ(fileData, 4);

  // The image installs like a disc: files come from its folders, not from a cabinet.
  ASSERT_EQ(Installer().InstallProduct("C:\\Image\\sample.msi", "ADDLOCAL=ALL"), kSuccess);
  EXPECT_EQ(Read(kFolder + "extras\\extra.txt"), "extra payload\n");
  std::string source;
  Installer().GetProductInfo(kSampleCode, "InstallSource", source);
  EXPECT_EQ(source, "C:\\Image\\");
}

TEST_F(InstallerTest, ImageWithAMissingFileFailsAndLeavesNothing) {
  std::string msi = BuildSample();
  ASSERT_EQ(Installer().InstallProduct(msi, "ACTION=ADMIN TARGETDIR=C:\\Image"), kSuccess);
  ASSERT_EQ(Files().DeleteFile("C:\\Image\\Qel Sample\\docs\\readme.txt"), kSuccess);
  InstallRecorder();

  EXPECT_EQ(Installer().InstallProduct("C:\\Image\\sample.msi", ""), kInstallFailure);
  bool reported = false;
  for (const auto& text : recorder_.TextsOf(kInstallMessageError))
    reported = reported || text == "Error 1308. Source file not found: C:\\Image\\Qel Sample\\docs\\readme.txt";
  EXPECT_TRUE(reported);
  EXPECT_FALSE(Exists(kFolder));
  EXPECT_EQ(Installer().QueryProductState(kSampleCode), kProductStateUnknown);
}

TEST_F(InstallerTest, PackageThatIsMissingOrNotAPackage) {
  std::string msi = BuildSample();
  EXPECT_EQ(Installer().InstallProduct("C:\\nowhere\\missing.msi", ""), kErrorFileNotFound);

  ASSERT_EQ(Files().WriteFile("C:\\bogus.msi", "this is not an installer database"), kSuccess);
  InstallRecorder();
  EXPECT_EQ(Installer().InstallProduct("C:\\bogus.msi", ""), kInstallPackageInvalid);
  EXPECT_EQ(recorder_.TextsOf(kInstallMessageError).size(), 1u);

  std::string whole = Read(msi);
  ASSERT_EQ(Files().WriteFile("C:\\truncated.msi", whole.substr(0, whole.size() / 3)), kSuccess);
  EXPECT_EQ(Installer().InstallProduct("C:\\truncated.msi", ""), kInstallPackageInvalid);
  InstallerHandleHolder session;
  EXPECT_EQ(Installer().OpenPackage("C:\\truncated.msi", 0, *session.Out()), kInstallPackageInvalid);
  EXPECT_EQ(Installer().InstallProduct(msi, "BROKEN=\"unclosed"), kInvalidCommandLine);
  EXPECT_EQ(Inspect("products").out, "");
}

TEST_F(InstallerTest, MissingOrCorruptCabinetFailsAndLeavesNothing) {
  // wixl writes no cabinet beside a package: move the embedded one out and point Media at it.
  std::string msi = BuildSample();
  std::string cabinet = builder_.Folder() + "/sample.cab";
  ASSERT_EQ(installer::ExtractStream(HostOf(msi), "sample.cab", cabinet), kSuccess);
  ASSERT_TRUE(builder_.RunSql(HostOf(msi), {"UPDATE `Media` SET `Cabinet` = 'sample.cab' WHERE `DiskId` = 1"}));
  std::filesystem::rename(cabinet, cabinet + ".away");
  InstallRecorder();

  EXPECT_EQ(Installer().InstallProduct(msi, ""), kInstallFailure);
  auto errors = recorder_.TextsOf(kInstallMessageError);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].rfind("Error 1311. Source file not found: ", 0), 0u) << errors[0];
  EXPECT_FALSE(Exists(kFolder));

  std::ofstream(cabinet, std::ios::binary) << "MSCF but not really a cabinet";
  recorder_.messages.clear();
  EXPECT_EQ(Installer().InstallProduct(msi, ""), kInstallFailure);
  errors = recorder_.TextsOf(kInstallMessageError);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].rfind("Error 1335. ", 0), 0u) << errors[0];
  EXPECT_FALSE(Exists(kFolder));
  EXPECT_EQ(Installer().QueryProductState(kSampleCode), kProductStateUnknown);

  std::filesystem::rename(cabinet + ".away", cabinet);
  EXPECT_EQ(Installer().InstallProduct(msi, ""), kSuccess);
  EXPECT_EQ(Read(kFolder + "docs\\readme.txt"), "read me\n");
}

TEST_F(InstallerTest, DirectoryLoopFailsWithoutTouchingTheMachine) {
  std::string msi = BuildSample();
  ASSERT_TRUE(builder_.RunSql(HostOf(msi), {"UPDATE `Directory` SET `Directory_Parent` = 'BinDir' WHERE `Directory` = 'INSTALLDIR'"}));
  InstallRecorder();
  EXPECT_EQ(Installer().InstallProduct(msi, ""), kInstallFailure);
  EXPECT_EQ(recorder_.TextsOf(kInstallMessageError).size(), 1u);
  EXPECT_EQ(Installer().QueryProductState(kSampleCode), kProductStateUnknown);
  InstallerHandleHolder session;
  ASSERT_EQ(Installer().OpenPackage(msi, 0, *session.Out()), kSuccess);
  EXPECT_EQ(Installer().Sequence(session.Get(), "InstallUISequence", 0), kInstallFailure);
}

TEST_F(InstallerTest, UnwritableTargetUndoesTheFilesAlreadyPlaced) {
  std::string msi = BuildSample();
  ASSERT_EQ(Installer().InstallProduct(msi, ""), kSuccess);
  // A folder where the new file must go: the third file cannot be written after two were.
  ASSERT_EQ(Installer().InstallProduct(msi, "REMOVE=ALL"), kSuccess);
  ASSERT_EQ(Files().CreateFolder(kFolder.substr(0, kFolder.size() - 1)), kSuccess);
  ASSERT_EQ(Files().CreateFolder(kFolder + "docs"), kSuccess);
  ASSERT_EQ(Files().CreateFolder(kFolder + "docs\\readme.txt"), kSuccess);
  ASSERT_EQ(Files().WriteFile(kFolder + "docs\\readme.txt\\keep", "k"), kSuccess);
  InstallRecorder();

  EXPECT_EQ(Installer().InstallProduct(msi, ""), kInstallFailure);

  auto errors = recorder_.TextsOf(kInstallMessageError);
  ASSERT_FALSE(errors.empty());
  EXPECT_EQ(errors[0].rfind("Error 1310. Error writing to file: " + kFolder + "docs\\readme.txt", 0), 0u);
  EXPECT_FALSE(Exists(kFolder + "main.txt"));
  EXPECT_FALSE(Exists(kFolder + "bin"));
  EXPECT_EQ(Read(kFolder + "docs\\readme.txt\\keep"), "k");
  EXPECT_EQ(Installer().QueryProductState(kSampleCode), kProductStateUnknown);
}

}  // namespace
}  // namespace qel::test
