#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/NamedObjects.h"
#include "support/ChildProcess.h"
#include "support/TempMachine.h"

namespace qel::platform {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::TempMachine;

const std::string kRunningMutex = "Global\\SETUPRUNNING_MUTEX_NAME-{9916C6BD-1CBE-41E7-BD3A-EDBF7C04D7B8}";
const std::string kLauncherEvent = "LAUNCHER_MUTEX_NAME-{9916C6BD-1CBE-41E7-BD3A-EDBF7C04D7B8}";

class NamedObjectsTest : public ::testing::Test {
 protected:
  // Hand-shakes between the test and its child go through plain files of the machine's root.
  std::string Flag(const std::string& name) const { return machine.Root() + "/" + name; }
  static void Raise(const std::string& flag) { std::ofstream(flag) << "1"; }
  static bool AwaitFlag(const std::string& flag, std::chrono::milliseconds limit = 10s) {
    const auto giveUp = std::chrono::steady_clock::now() + limit;
    while (!std::filesystem::exists(flag)) {
      if (std::chrono::steady_clock::now() > giveUp) return false;
      std::this_thread::sleep_for(1ms);
    }
    return true;
  }

  TempMachine machine;
};

TEST_F(NamedObjectsTest, ASecondHandleInTheSameProcessSeesAlreadyExists) {
  std::unique_ptr<INamedMutex> first;
  std::unique_ptr<INamedMutex> second;
  ASSERT_EQ(CreateNamedMutex(kRunningMutex, first), kSuccess);
  EXPECT_EQ(CreateNamedMutex(kRunningMutex, second), kErrorAlreadyExists);
  EXPECT_NE(second, nullptr);
  first.reset();
  second.reset();
  std::unique_ptr<INamedMutex> third;
  EXPECT_EQ(CreateNamedMutex(kRunningMutex, third), kSuccess);  // every handle closed: gone
}

TEST_F(NamedObjectsTest, NamesDifferingOnlyInCaseOrNamespaceAreDifferentObjects) {
  std::unique_ptr<INamedMutex> a, b, c;
  ASSERT_EQ(CreateNamedMutex("Global\\Setup", a), kSuccess);
  EXPECT_EQ(CreateNamedMutex("Global\\SETUP", b), kSuccess);
  EXPECT_EQ(CreateNamedMutex("Local\\Setup", c), kSuccess);
  std::unique_ptr<INamedMutex> none;
  EXPECT_EQ(CreateNamedMutex("", none), kErrorInvalidName);
  EXPECT_EQ(none, nullptr);
}

TEST_F(NamedObjectsTest, ASecondRunInAnotherProcessSeesAlreadyExists) {
  const std::string ready = Flag("ready");
  const std::string done = Flag("done");
  ChildProcess firstRun([&] {
    std::unique_ptr<INamedMutex> mutex;
    if (CreateNamedMutex(kRunningMutex, mutex) != kSuccess) return 1;
    Raise(ready);
    return AwaitFlag(done) ? 0 : 2;
  });
  ASSERT_TRUE(AwaitFlag(ready));
  {
    std::unique_ptr<INamedMutex> secondRun;
    EXPECT_EQ(CreateNamedMutex(kRunningMutex, secondRun), kErrorAlreadyExists);
  }
  Raise(done);
  EXPECT_EQ(firstRun.Wait(), 0);
  std::unique_ptr<INamedMutex> laterRun;
  EXPECT_EQ(CreateNamedMutex(kRunningMutex, laterRun), kSuccess);
}

TEST_F(NamedObjectsTest, AKilledProcessLeavesNeitherTheMutexNorItsOwnership) {
  const std::string ready = Flag("ready");
  ChildProcess crashing([&] {
    std::unique_ptr<INamedMutex> mutex;
    CreateNamedMutex(kRunningMutex, mutex);
    if (mutex->Wait(0ms) != WaitResult::Signalled) return 1;
    Raise(ready);
    for (;;) std::this_thread::sleep_for(1s);
  });
  ASSERT_TRUE(AwaitFlag(ready));
  std::unique_ptr<INamedMutex> mutex;
  ASSERT_EQ(CreateNamedMutex(kRunningMutex, mutex), kErrorAlreadyExists);
  EXPECT_EQ(mutex->Wait(20ms), WaitResult::TimedOut);
  crashing.Kill();
  EXPECT_EQ(mutex->Wait(1s), WaitResult::Signalled);
  mutex.reset();
  std::unique_ptr<INamedMutex> fresh;
  EXPECT_EQ(CreateNamedMutex(kRunningMutex, fresh), kSuccess);
}

TEST_F(NamedObjectsTest, OwnershipPassesFromOneHandleToAnotherOnRelease) {
  std::unique_ptr<INamedMutex> a, b;
  CreateNamedMutex("Owned", a);
  CreateNamedMutex("Owned", b);
  EXPECT_FALSE(b->Release());  // not owned
  ASSERT_EQ(a->Wait(0ms), WaitResult::Signalled);
  ASSERT_EQ(a->Wait(0ms), WaitResult::Signalled);  // nests
  EXPECT_EQ(b->Wait(10ms), WaitResult::TimedOut);
  EXPECT_TRUE(a->Release());
  EXPECT_EQ(b->Wait(0ms), WaitResult::TimedOut);  // still owned once
  EXPECT_TRUE(a->Release());
  EXPECT_EQ(b->Wait(0ms), WaitResult::Signalled);
}

TEST_F(NamedObjectsTest, AnotherProcessOpensTheEventByNameAndWaitsForItsSignal) {
  std::unique_ptr<INamedEvent> event;
  ASSERT_EQ(CreateNamedEvent(kLauncherEvent, false, event), kSuccess);
  const std::string waiting = Flag("waiting");
  ChildProcess watcher([&] {
    std::unique_ptr<INamedEvent> opened;
    if (OpenNamedEvent(kLauncherEvent, opened) != kSuccess) return 1;
    if (opened->Wait(10ms) != WaitResult::TimedOut) return 2;
    Raise(waiting);
    if (opened->Wait(10s) != WaitResult::Signalled) return 3;
    return opened->Wait(0ms) == WaitResult::Signalled ? 0 : 4;  // manual reset: stays set
  });
  ASSERT_TRUE(AwaitFlag(waiting));
  EXPECT_EQ(event->Set(), kSuccess);
  EXPECT_EQ(watcher.Wait(), 0);
  EXPECT_EQ(event->Reset(), kSuccess);
  EXPECT_EQ(event->Wait(5ms), WaitResult::TimedOut);
}

TEST_F(NamedObjectsTest, OpeningAnEventNobodyHoldsFails) {
  std::unique_ptr<INamedEvent> event;
  EXPECT_EQ(OpenNamedEvent(kLauncherEvent, event), kErrorFileNotFound);
  {
    std::unique_ptr<INamedEvent> created;
    ASSERT_EQ(CreateNamedEvent(kLauncherEvent, true, created), kSuccess);
  }
  // Its file remains on disk, but with the last handle closed the event is gone.
  EXPECT_EQ(OpenNamedEvent(kLauncherEvent, event), kErrorFileNotFound);
  EXPECT_EQ(event, nullptr);
}

TEST_F(NamedObjectsTest, CreatingAnExistingEventKeepsItsStateAndAFreshOneStartsAnew) {
  std::unique_ptr<INamedEvent> first, second;
  ASSERT_EQ(CreateNamedEvent("E", true, first), kSuccess);
  ASSERT_EQ(CreateNamedEvent("E", false, second), kErrorAlreadyExists);
  EXPECT_EQ(second->Wait(0ms), WaitResult::Signalled);
  first.reset();
  second.reset();
  std::unique_ptr<INamedEvent> fresh;
  ASSERT_EQ(CreateNamedEvent("E", false, fresh), kSuccess);
  EXPECT_EQ(fresh->Wait(0ms), WaitResult::TimedOut);
}

}  // namespace
}  // namespace qel::platform
