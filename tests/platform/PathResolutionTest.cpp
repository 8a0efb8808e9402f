#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/Platform.h"
#include "support/TempMachine.h"

namespace qel::platform {
namespace {

using test::TempMachine;

class PathResolutionTest : public ::testing::Test {
 protected:
  TempMachine machine;
  std::string driveC = machine.Root() + "/drive_c";
};

TEST_F(PathResolutionTest, FindsEntriesWithoutRegardToCase) {
  machine.WriteHostFile(driveC + "/Setup/Product.msi", "msi");
  std::string bytes;
  ASSERT_EQ(Files().ReadFile("c:\\setup\\PRODUCT.MSI", bytes), kSuccess);
  EXPECT_EQ(bytes, "msi");
  EXPECT_EQ(machine.HostPath("C:\\SETUP\\product.msi"), driveC + "/Setup/Product.msi");
}

TEST_F(PathResolutionTest, DriveZIsTheHostRoot) {
  machine.WriteHostFile(driveC + "/Setup/Product.msi", "msi");
  std::string zPath = "Z:";
  for (char c : driveC) zPath += c == '/' ? '\\' : c;
  std::string bytes;
  ASSERT_EQ(Files().ReadFile(zPath + "\\setup\\product.msi", bytes), kSuccess);
  EXPECT_EQ(bytes, "msi");
}

TEST_F(PathResolutionTest, ExactNameWinsOverOthersThatDifferOnlyInCase) {
  machine.WriteHostFile(driveC + "/Data/file.txt", "lower");
  machine.WriteHostFile(driveC + "/Data/FILE.txt", "upper");
  std::string bytes;
  ASSERT_EQ(Files().ReadFile("C:\\Data\\FILE.txt", bytes), kSuccess);
  EXPECT_EQ(bytes, "upper");
  ASSERT_EQ(Files().ReadFile("C:\\Data\\file.txt", bytes), kSuccess);
  EXPECT_EQ(bytes, "lower");
}

TEST_F(PathResolutionTest, LatinOneLettersMatchWithoutRegardToCase) {
  machine.WriteHostFile(driveC + "/\xC3\x9C" "bersicht/\xC3\x89t\xC3\xA9.txt", "x");  // Übersicht/Été.txt
  FileAttributes attributes;
  EXPECT_EQ(Files().GetAttributes("C:\\\xC3\xBC" "BERSICHT\\\xC3\xA9T\xC3\x89.TXT", attributes), kSuccess);
}

struct PathErrorCase {
  const char* path;
  ErrorCode expected;
};

class PathErrorTest : public ::testing::TestWithParam<PathErrorCase> {
 protected:
  TempMachine machine;
};

TEST_P(PathErrorTest, AnswersTheDesktopCode) {
  machine.WriteHostFile(machine.Root() + "/drive_c/Folder/file.txt", "x");
  FileAttributes attributes;
  EXPECT_EQ(Files().GetAttributes(GetParam().path, attributes), GetParam().expected) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Table, PathErrorTest,
    ::testing::Values(PathErrorCase{"C:\\Folder\\file.txt", kSuccess},
                      PathErrorCase{"C:\\Folder\\missing.txt", kErrorFileNotFound},
                      PathErrorCase{"C:\\Missing\\file.txt", kErrorPathNotFound},
                      PathErrorCase{"C:\\Folder\\file.txt\\below", kErrorPathNotFound},
                      PathErrorCase{"Q:\\anything", kErrorPathNotFound},
                      PathErrorCase{"\\\\server\\share\\file.txt", kErrorBadNetPath},
                      PathErrorCase{"\\\\server", kErrorBadNetPath},
                      PathErrorCase{"", kErrorPathNotFound},
                      PathErrorCase{"Folder\\file.txt", kErrorPathNotFound},
                      PathErrorCase{"C:Folder\\file.txt", kErrorPathNotFound},
                      PathErrorCase{"C:\\Folder/file.txt", kErrorInvalidName},
                      PathErrorCase{"C:\\Folder\\fi*e.txt", kErrorInvalidName},
                      PathErrorCase{"C:\\Folder\\.\\\\file.txt", kSuccess},
                      PathErrorCase{"C:\\Other\\..\\Folder\\file.txt", kSuccess},
                      PathErrorCase{"C:\\..\\..\\Folder\\file.txt", kSuccess},
                      PathErrorCase{"C:", kSuccess}, PathErrorCase{"c:\\", kSuccess},
                      PathErrorCase{"\\\\server\\share", kErrorBadNetPath}));

TEST_F(PathResolutionTest, DotDotNeverClimbsAboveTheDriveRoot) {
  EXPECT_EQ(machine.HostPath("C:\\..\\..\\.."), driveC);
  EXPECT_EQ(machine.HostPath("C:\\Windows\\..\\..\\machine.conf"), driveC + "/machine.conf");
  EXPECT_EQ(machine.HostPath("Z:\\..\\tmp"), "/tmp");
}

TEST_F(PathResolutionTest, MappedDriveAndShareComeFromTheTable) {
  const std::string media = machine.Root() + "/media";
  const std::string server = machine.Root() + "/server share";
  machine.WriteHostFile(media + "/Setup.xml", "d");
  machine.WriteHostFile(server + "/Setup.xml", "s");
  machine.WriteDrivesConf("# removable media\nd: " + media + "\n\\\\Server\\Share " + server + "\n");

  std::string bytes;
  ASSERT_EQ(Files().ReadFile("D:\\setup.xml", bytes), kSuccess);
  EXPECT_EQ(bytes, "d");
  ASSERT_EQ(Files().ReadFile("\\\\SERVER\\share\\Setup.xml", bytes), kSuccess);
  EXPECT_EQ(bytes, "s");
  EXPECT_EQ(Files().ReadFile("\\\\server\\other\\Setup.xml", bytes), kErrorBadNetPath);
  EXPECT_EQ(Files().ReadFile("E:\\Setup.xml", bytes), kErrorPathNotFound);
  EXPECT_EQ(Files().FromHostPath(media + "/Setup.xml"), "D:\\Setup.xml");
  EXPECT_EQ(Files().FromHostPath(server + "/a/b"), "\\\\Server\\Share\\a\\b");
}

TEST_F(PathResolutionTest, DriveTableCannotMoveCAndMissingFoldersAreUnreachable) {
  machine.WriteHostFile(driveC + "/here.txt", "c");
  machine.WriteDrivesConf("C: /tmp\nF: " + machine.Root() + "/absent\nG: relative/folder\n"
                          "\\\\host\\gone " + machine.Root() + "/absent\n");
  FileAttributes attributes;
  EXPECT_EQ(Files().GetAttributes("C:\\here.txt", attributes), kSuccess);
  EXPECT_EQ(Files().GetAttributes("F:\\", attributes), kErrorPathNotFound);
  EXPECT_EQ(Files().GetAttributes("G:\\", attributes), kErrorPathNotFound);
  EXPECT_EQ(Files().GetAttributes("\\\\host\\gone\\x", attributes), kErrorBadNetPath);
}

TEST_F(PathResolutionTest, FromHostPathPrefersTheClosestMapping) {
  EXPECT_EQ(Files().FromHostPath(driveC + "/Windows/"), "C:\\Windows");
  EXPECT_EQ(Files().FromHostPath(driveC), "C:\\");
  EXPECT_EQ(Files().FromHostPath("/home/u/setup"), "Z:\\home\\u\\setup");
  EXPECT_EQ(Files().FromHostPath("/"), "Z:\\");
  EXPECT_EQ(Files().FromHostPath(driveC + "x/y"), "Z:" + [&] {
    std::string s;
    for (char c : driveC + "x/y") s += c == '/' ? '\\' : c;
    return s;
  }());
}

TEST_F(PathResolutionTest, ToHostPathKeepsAMissingTailAsGiven) {
  EXPECT_EQ(machine.HostPath("c:\\program files\\New Product\\Bin\\"),
            driveC + "/Program Files/New Product/Bin");
}

// A path spelled as it is on disk is resolved in one walk of the kernel, others component by
// component; both must give the same answers.
TEST_F(PathResolutionTest, ExactlySpelledPathsAnswerLikeTheWalkByComponent) {
  machine.WriteHostFile(driveC + "/Data/Report.txt", "r");
  struct Case {
    std::string path;
    ErrorCode attributes;
    std::string host;
  };
  const Case cases[] = {
      {"C:\\Data\\Report.txt", kSuccess, driveC + "/Data/Report.txt"},
      {"C:\\Data\\REPORT.TXT", kSuccess, driveC + "/Data/Report.txt"},
      {"C:\\DATA\\Report.txt", kSuccess, driveC + "/Data/Report.txt"},
      {"C:\\Data\\new.txt", kErrorFileNotFound, driveC + "/Data/new.txt"},
      {"C:\\Data\\Report.txt\\inside", kErrorPathNotFound, ""},
      {"C:\\Missing\\new.txt", kErrorPathNotFound, driveC + "/Missing/new.txt"},
  };
  for (const auto& c : cases) {
    FileAttributes attributes;
    EXPECT_EQ(Files().GetAttributes(c.path, attributes), c.attributes) << c.path;
    if (!c.host.empty()) {
      EXPECT_EQ(machine.HostPath(c.path), c.host) << c.path;
    }
  }
}

TEST_F(PathResolutionTest, MachineHasItsLayoutAndUser) {
  EXPECT_EQ(Files().TempFolder(), "C:\\Users\\User\\AppData\\Local\\Temp\\");
  FileAttributes attributes;
  EXPECT_EQ(Files().GetAttributes(Files().TempFolder(), attributes), kSuccess);
  EXPECT_TRUE(attributes.isFolder);
  EXPECT_EQ(Files().GetAttributes("C:\\Users\\User\\AppData\\Roaming", attributes), kSuccess);
  EXPECT_EQ(Files().GetAttributes("C:\\Program Files", attributes), kSuccess);
  EXPECT_EQ(Files().GetAttributes("C:\\Windows", attributes), kSuccess);

  machine.WriteMachineConf("# test user\n user = Ada \nos=10.0\n");
  EXPECT_EQ(Files().TempFolder(), "C:\\Users\\Ada\\AppData\\Local\\Temp\\");
  EXPECT_EQ(Files().GetAttributes("C:\\Users\\Ada\\AppData\\Local\\Temp", attributes), kSuccess);
}

TEST_F(PathResolutionTest, AUserNameThatWouldLeaveTheProfilesIsIgnored) {
  machine.WriteMachineConf("user=..\\..\\Windows\n");
  EXPECT_EQ(Files().TempFolder(), "C:\\Users\\User\\AppData\\Local\\Temp\\");
}

TEST_F(PathResolutionTest, FirstUseFromManyThreadsBuildsOneService) {
  std::vector<IFileService*> seen(8);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < seen.size(); ++i) {
    threads.emplace_back([&seen, i] { seen[i] = &Files(); });
  }
  for (std::thread& thread : threads) thread.join();
  for (IFileService* service : seen) EXPECT_EQ(service, seen.front());
}

}  // namespace
}  // namespace qel::platform
