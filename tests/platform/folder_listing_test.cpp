#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/Platform.h"
#include "support/TempMachine.h"

// Case-insensitive lookups go through a kept listing of each folder; it must follow the file
// service's own changes at once and other processes' changes once the folder's time moves on.
namespace qel::platform {
namespace {

namespace fs = std::filesystem;

bool Exists(const std::string& path) {
  FileAttributes attributes;
  return Files().GetAttributes(path, attributes) == kSuccess && attributes.exists;
}

// Longer than the file system's timestamp granularity, so that a later change moves the time.
void NextTick() { std::this_thread::sleep_for(std::chrono::milliseconds(30)); }

TEST(FolderListingTest, FollowsOwnChangesAtOnce) {
  test::TempMachine machine;
  ASSERT_EQ(Files().CreateFolder("C:\\F"), kSuccess);
  EXPECT_FALSE(Exists("c:\\f\\ALPHA.TXT"));  // the folder is listed now
  ASSERT_EQ(Files().WriteFile("C:\\F\\Alpha.txt", "a"), kSuccess);
  EXPECT_TRUE(Exists("c:\\f\\ALPHA.TXT"));
  ASSERT_EQ(Files().MoveFile("C:\\F\\Alpha.txt", "C:\\F\\Gamma.txt"), kSuccess);
  EXPECT_FALSE(Exists("c:\\f\\alpha.txt"));
  EXPECT_TRUE(Exists("c:\\f\\GAMMA.txt"));
  ASSERT_EQ(Files().DeleteFile("C:\\F\\gamma.TXT"), kSuccess);
  EXPECT_FALSE(Exists("c:\\f\\Gamma.txt"));
  // A new name in another spelling lands on the existing entry, not beside it.
  ASSERT_EQ(Files().WriteFile("C:\\F\\Delta.txt", "1"), kSuccess);
  ASSERT_EQ(Files().WriteFile("C:\\F\\DELTA.TXT", "2"), kSuccess);
  EXPECT_EQ(machine.ReadHostFile(machine.Root() + "/drive_c/F/Delta.txt"), "2");
  EXPECT_FALSE(fs::exists(machine.Root() + "/drive_c/F/DELTA.TXT"));
}

TEST(FolderListingTest, SeesOtherProcessesChanges) {
  test::TempMachine machine;
  ASSERT_EQ(Files().CreateFolder("C:\\F"), kSuccess);
  EXPECT_FALSE(Exists("C:\\F\\beta.TXT"));
  NextTick();
  machine.WriteHostFile(machine.Root() + "/drive_c/F/Beta.txt", "b");  // written past the service
  EXPECT_TRUE(Exists("C:\\F\\beta.TXT"));
  NextTick();
  fs::remove(machine.Root() + "/drive_c/F/Beta.txt");
  EXPECT_FALSE(Exists("C:\\F\\BETA.txt"));
}

}  // namespace
}  // namespace qel::platform
