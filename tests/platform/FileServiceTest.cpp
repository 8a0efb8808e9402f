#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/Platform.h"
#include "support/TempMachine.h"

namespace qel::platform {
namespace {

using test::TempMachine;

std::vector<std::string> Names(const std::vector<FileEntry>& entries) {
  std::vector<std::string> names;
  for (const FileEntry& entry : entries) names.push_back(entry.name);
  return names;
}

class FileServiceTest : public ::testing::Test {
 protected:
  void Put(const std::string& relative, const std::string& bytes = "x") {
    machine.WriteHostFile(driveC + "/" + relative, bytes);
  }
  bool HostExists(const std::string& relative) {
    return std::filesystem::exists(driveC + "/" + relative);
  }

  TempMachine machine;
  std::string driveC = machine.Root() + "/drive_c";
};

struct WildcardCase {
  const char* pattern;
  std::vector<std::string> expected;
  ErrorCode error;
};

class EnumerateTest : public ::testing::TestWithParam<WildcardCase> {
 protected:
  TempMachine machine;
};

TEST_P(EnumerateTest, MatchesLikeTheDesktop) {
  const std::string folder = machine.Root() + "/drive_c/Dir";
  for (const char* name : {"Setup.exe", "setup.ini", "README", "a.b.c", "Data"}) {
    machine.WriteHostFile(folder + "/" + name, "x");
  }
  std::filesystem::create_directory(folder + "/Lang");
  std::vector<FileEntry> entries;
  EXPECT_EQ(Files().Enumerate(GetParam().pattern, entries), GetParam().error) << GetParam().pattern;
  EXPECT_EQ(Names(entries), GetParam().expected) << GetParam().pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Table, EnumerateTest,
    ::testing::Values(
        WildcardCase{"C:\\Dir\\*", {"a.b.c", "Data", "Lang", "README", "Setup.exe", "setup.ini"}, kSuccess},
        WildcardCase{"C:\\dir\\*.*", {"a.b.c", "Data", "Lang", "README", "Setup.exe", "setup.ini"}, kSuccess},
        WildcardCase{"C:\\Dir\\SETUP.*", {"Setup.exe", "setup.ini"}, kSuccess},
        WildcardCase{"C:\\Dir\\*.EXE", {"Setup.exe"}, kSuccess},
        WildcardCase{"C:\\Dir\\?ata", {"Data"}, kSuccess},
        WildcardCase{"C:\\Dir\\*.", {"Data", "Lang", "README"}, kSuccess},
        WildcardCase{"C:\\Dir\\a*c", {"a.b.c"}, kSuccess},
        WildcardCase{"C:\\Dir\\readme", {"README"}, kSuccess},
        WildcardCase{"C:\\Dir\\*.msi", {}, kErrorFileNotFound},
        WildcardCase{"C:\\Dir\\nothing", {}, kErrorFileNotFound},
        WildcardCase{"C:\\Missing\\*.*", {}, kErrorPathNotFound},
        WildcardCase{"C:\\Dir\\README\\*", {}, kErrorPathNotFound},
        WildcardCase{"C:\\Di?\\*", {}, kErrorInvalidName}));

TEST_F(FileServiceTest, EnumerationReportsKindSizeAndReadOnly) {
  Put("Dir/file.bin", "12345");
  std::filesystem::create_directory(driveC + "/Dir/Sub");
  ASSERT_EQ(Files().SetReadOnly("C:\\Dir\\file.bin", true), kSuccess);
  std::vector<FileEntry> entries;
  ASSERT_EQ(Files().Enumerate("C:\\Dir\\*", entries), kSuccess);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "file.bin");
  EXPECT_FALSE(entries[0].isFolder);
  EXPECT_TRUE(entries[0].readOnly);
  EXPECT_EQ(entries[0].size, 5u);
  EXPECT_EQ(entries[1].name, "Sub");
  EXPECT_TRUE(entries[1].isFolder);
}

TEST_F(FileServiceTest, ReadOnlyFileCannotBeDeletedUntilMadeNormal) {
  Put("ro.txt");
  ASSERT_EQ(Files().SetReadOnly("C:\\RO.TXT", true), kSuccess);
  FileAttributes attributes;
  ASSERT_EQ(Files().GetAttributes("C:\\ro.txt", attributes), kSuccess);
  EXPECT_TRUE(attributes.readOnly);
  EXPECT_EQ(Files().DeleteFile("C:\\ro.txt"), kErrorAccessDenied);
  EXPECT_TRUE(HostExists("ro.txt"));
  EXPECT_EQ(Files().WriteFile("C:\\ro.txt", "new"), kErrorAccessDenied);
  std::unique_ptr<IAppendFile> append;
  EXPECT_EQ(Files().OpenAppend("C:\\ro.txt", false, append), kErrorAccessDenied);

  ASSERT_EQ(Files().SetReadOnly("C:\\ro.txt", false), kSuccess);
  EXPECT_EQ(Files().DeleteFile("C:\\ro.txt"), kSuccess);
  EXPECT_FALSE(HostExists("ro.txt"));
  EXPECT_EQ(Files().DeleteFile("C:\\ro.txt"), kErrorFileNotFound);
}

TEST_F(FileServiceTest, FoldersAreCreatedAndRemovedOnlyWhenEmpty) {
  EXPECT_EQ(Files().CreateFolder("C:\\New\\"), kSuccess);
  EXPECT_EQ(Files().CreateFolder("C:\\new"), kErrorAlreadyExists);
  EXPECT_EQ(Files().CreateFolder("C:\\Missing\\New"), kErrorPathNotFound);
  Put("New/file.txt");
  EXPECT_EQ(Files().RemoveFolder("C:\\NEW"), kErrorDirNotEmpty);
  EXPECT_EQ(Files().RemoveFolder("C:\\New\\file.txt"), kErrorDirectory);
  EXPECT_EQ(Files().DeleteFile("C:\\New"), kErrorAccessDenied);
  ASSERT_EQ(Files().DeleteFile("C:\\new\\FILE.txt"), kSuccess);
  EXPECT_EQ(Files().RemoveFolder("C:\\new"), kSuccess);
  EXPECT_FALSE(HostExists("New"));
  EXPECT_EQ(Files().RemoveFolder("C:\\"), kErrorAccessDenied);
}

TEST_F(FileServiceTest, CopyKeepsContentAndTimeAndHonoursFailIfExists) {
  Put("src.bin", "content");
  ASSERT_EQ(Files().SetLastWriteTime("C:\\src.bin", FileTime{132'000'000'000'000'000}), kSuccess);
  ASSERT_EQ(Files().CopyFile("C:\\SRC.bin", "C:\\dst.bin", true), kSuccess);
  EXPECT_EQ(machine.ReadHostFile(driveC + "/dst.bin"), "content");
  FileAttributes attributes;
  ASSERT_EQ(Files().GetAttributes("C:\\dst.bin", attributes), kSuccess);
  EXPECT_EQ(attributes.lastWrite.ticks, 132'000'000'000'000'000u);

  Put("src.bin", "changed");
  EXPECT_EQ(Files().CopyFile("C:\\src.bin", "C:\\DST.bin", true), kErrorFileExists);
  EXPECT_EQ(machine.ReadHostFile(driveC + "/dst.bin"), "content");
  ASSERT_EQ(Files().CopyFile("C:\\src.bin", "C:\\DST.bin", false), kSuccess);
  EXPECT_EQ(machine.ReadHostFile(driveC + "/dst.bin"), "changed");
  EXPECT_FALSE(HostExists("DST.bin"));  // the existing entry was replaced, not a second one made

  EXPECT_EQ(Files().CopyFile("C:\\none.bin", "C:\\x.bin", false), kErrorFileNotFound);
  EXPECT_EQ(Files().CopyFile("C:\\src.bin", "C:\\NoFolder\\x.bin", false), kErrorPathNotFound);
  EXPECT_EQ(Files().CopyFile("C:\\src.bin", "C:\\src.bin", false), kErrorSharingViolation);
  ASSERT_EQ(Files().SetReadOnly("C:\\dst.bin", true), kSuccess);
  EXPECT_EQ(Files().CopyFile("C:\\src.bin", "C:\\dst.bin", false), kErrorAccessDenied);
  EXPECT_EQ(Files().CopyFile("C:\\src.bin", "C:\\Windows", false), kErrorAccessDenied);
}

TEST_F(FileServiceTest, CancelledCopyFailsAndLeavesNoTarget) {
  Put("big.bin", std::string(20u << 20, 'b'));
  std::vector<std::uint64_t> reports;
  const ErrorCode result = Files().CopyFile("C:\\big.bin", "C:\\copy.bin", false,
                                            [&](std::uint64_t copied, std::uint64_t total) {
                                              EXPECT_EQ(total, 20u << 20);
                                              reports.push_back(copied);
                                              return copied == 0;  // cancel after the first chunk
                                            });
  EXPECT_EQ(result, kErrorRequestAborted);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_GT(reports[1], 0u);
  EXPECT_LT(reports[1], 20u << 20);
  std::vector<FileEntry> entries;
  ASSERT_EQ(Files().Enumerate("C:\\*.*", entries), kSuccess);
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"big.bin", "Program Files", "Users", "Windows"}));
}

TEST_F(FileServiceTest, CopyReportsProgressUpToTheWholeFile) {
  Put("big.bin", std::string(19u << 20, 'b'));
  std::uint64_t last = 0;
  ASSERT_EQ(Files().CopyFile("C:\\big.bin", "C:\\copy.bin", false,
                             [&](std::uint64_t copied, std::uint64_t) {
                               EXPECT_GE(copied, last);
                               last = copied;
                               return true;
                             }),
            kSuccess);
  EXPECT_EQ(last, 19u << 20);
  FileAttributes attributes;
  ASSERT_EQ(Files().GetAttributes("C:\\copy.bin", attributes), kSuccess);
  EXPECT_EQ(attributes.size, 19u << 20);
}

TEST_F(FileServiceTest, MoveRenamesChangesCaseAndRefusesAnExistingTarget) {
  Put("a.txt", "a");
  Put("b.txt", "b");
  EXPECT_EQ(Files().MoveFile("C:\\a.txt", "C:\\B.TXT"), kErrorAlreadyExists);
  ASSERT_EQ(Files().MoveFile("C:\\a.txt", "C:\\A.TXT"), kSuccess);
  EXPECT_TRUE(HostExists("A.TXT"));
  EXPECT_FALSE(HostExists("a.txt"));
  ASSERT_EQ(Files().CreateFolder("C:\\Target"), kSuccess);
  ASSERT_EQ(Files().MoveFile("C:\\a.txt", "C:\\target\\moved.txt"), kSuccess);
  EXPECT_EQ(machine.ReadHostFile(driveC + "/Target/moved.txt"), "a");
  EXPECT_EQ(Files().MoveFile("C:\\a.txt", "C:\\c.txt"), kErrorFileNotFound);
  EXPECT_EQ(Files().MoveFile("C:\\b.txt", "C:\\Nowhere\\c.txt"), kErrorPathNotFound);
}

TEST_F(FileServiceTest, WriteReplacesWholeFileAndKeepsNoTemporaries) {
  ASSERT_EQ(Files().WriteFile("C:\\Windows\\state.txt", "first"), kSuccess);
  ASSERT_EQ(Files().WriteFile("c:\\windows\\STATE.txt", "second"), kSuccess);
  std::string bytes;
  ASSERT_EQ(Files().ReadFile("C:\\Windows\\state.txt", bytes), kSuccess);
  EXPECT_EQ(bytes, "second");
  std::vector<FileEntry> entries;
  ASSERT_EQ(Files().Enumerate("C:\\Windows\\*", entries), kSuccess);
  EXPECT_EQ(Names(entries), std::vector<std::string>{"state.txt"});
  EXPECT_EQ(Files().WriteFile("C:\\Windows", "x"), kErrorAccessDenied);
  EXPECT_EQ(Files().WriteFile("C:\\NoFolder\\x.txt", "x"), kErrorPathNotFound);
  EXPECT_EQ(Files().ReadFile("C:\\Windows", bytes), kErrorAccessDenied);
}

TEST_F(FileServiceTest, AppendAddsToTheEndOrStartsOver) {
  {
    std::unique_ptr<IAppendFile> log;
    ASSERT_EQ(Files().OpenAppend("C:\\setup.log", false, log), kSuccess);
    ASSERT_EQ(log->Append("one\n"), kSuccess);
  }
  {
    std::unique_ptr<IAppendFile> log;
    ASSERT_EQ(Files().OpenAppend("C:\\SETUP.LOG", false, log), kSuccess);
    ASSERT_EQ(log->Append("two\n"), kSuccess);
  }
  EXPECT_EQ(machine.ReadHostFile(driveC + "/setup.log"), "one\ntwo\n");
  std::unique_ptr<IAppendFile> log;
  ASSERT_EQ(Files().OpenAppend("C:\\setup.log", true, log), kSuccess);
  ASSERT_EQ(log->Append("three\n"), kSuccess);
  EXPECT_EQ(machine.ReadHostFile(driveC + "/setup.log"), "three\n");
  EXPECT_EQ(Files().OpenAppend("C:\\NoFolder\\x.log", false, log), kErrorPathNotFound);
}

TEST_F(FileServiceTest, LastWriteTimeRoundTripsInDesktopTicks) {
  Put("t.txt");
  // 2020-01-01T00:00:00.1234567Z: the tick below the microsecond must survive.
  const FileTime time{132'223'104'001'234'567};
  ASSERT_EQ(Files().SetLastWriteTime("C:\\T.TXT", time), kSuccess);
  struct stat info {};
  ASSERT_EQ(stat((driveC + "/t.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mtim.tv_sec, 1577836800);
  EXPECT_EQ(info.st_mtim.tv_nsec, 123456700);
  FileAttributes attributes;
  ASSERT_EQ(Files().GetAttributes("C:\\t.txt", attributes), kSuccess);
  EXPECT_EQ(attributes.lastWrite, time);
  EXPECT_EQ(Files().SetLastWriteTime("C:\\none.txt", time), kErrorFileNotFound);
}

TEST_F(FileServiceTest, DiskSpaceOfAFolderNotYetCreated) {
  DiskSpace space;
  ASSERT_EQ(Files().GetDiskSpace("C:\\Program Files\\New Product\\", space), kSuccess);
  EXPECT_GT(space.totalBytes, 0u);
  EXPECT_LE(space.freeBytes, space.totalBytes);
  EXPECT_EQ(Files().GetDiskSpace("Q:\\", space), kErrorPathNotFound);
}

// A real full disk: a 1 MiB tmpfs mapped as drive T:.
class DiskFullTest : public FileServiceTest {
 protected:
  void SetUp() override {
    mountPoint = machine.Root() + "/small";
    std::filesystem::create_directory(mountPoint);
    if (mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=1m") != 0) {
      GTEST_SKIP() << "cannot mount a small tmpfs here (" << std::strerror(errno)
                   << "); run as root with mount rights to test a full disk";
    }
    mounted = true;
    machine.WriteDrivesConf("T: " + mountPoint + "\n");
  }
  void TearDown() override {
    if (mounted) umount2(mountPoint.c_str(), MNT_DETACH);
  }

  std::string mountPoint;
  bool mounted = false;
};

TEST_F(DiskFullTest, WriteAndCopyFailWithDiskFullAndLeaveNothing) {
  const std::string twoMegabytes(2u << 20, 'x');
  EXPECT_EQ(Files().WriteFile("T:\\big.bin", twoMegabytes), kErrorDiskFull);
  Put("big.bin", twoMegabytes);
  EXPECT_EQ(Files().CopyFile("C:\\big.bin", "T:\\copy.bin", false), kErrorDiskFull);
  std::vector<FileEntry> entries;
  EXPECT_EQ(Files().Enumerate("T:\\*", entries), kErrorFileNotFound);

  DiskSpace space;
  ASSERT_EQ(Files().GetDiskSpace("T:\\", space), kSuccess);
  EXPECT_EQ(space.totalBytes, 1u << 20);
}

TEST_F(DiskFullTest, MoveToAnotherVolumeCopiesFilesButNotFolders) {
  Put("small.txt", "small");
  ASSERT_EQ(Files().MoveFile("C:\\small.txt", "T:\\small.txt"), kSuccess);
  EXPECT_FALSE(HostExists("small.txt"));
  EXPECT_EQ(machine.ReadHostFile(mountPoint + "/small.txt"), "small");
  ASSERT_EQ(Files().CreateFolder("C:\\Folder"), kSuccess);
  EXPECT_EQ(Files().MoveFile("C:\\Folder", "T:\\Folder"), kErrorNotSameDevice);
}

}  // namespace
}  // namespace qel::platform
