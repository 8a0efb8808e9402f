#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/MessageLoop.h"
#include "uimsg/RunPhase.h"
#include "uimsg/UiTestSupport.h"

namespace qel {
namespace {

using Clock = std::chrono::steady_clock;

TEST(RunPhase, LevelTwoRunsOnTheCallingThreadAtOnce) {
  platform::MainLoop();
  const auto caller = std::this_thread::get_id();
  std::thread::id ranOn;
  const auto start = Clock::now();
  const std::int32_t result = RunPhaseAtLevel(2, [&] {
    ranOn = std::this_thread::get_id();
    return 1603u;
  });
  EXPECT_EQ(result, 1603);
  EXPECT_EQ(ranOn, caller);
  EXPECT_LT(Clock::now() - start, kPhasePollInterval);
}

TEST(RunPhase, LevelThreeRunsOnAWorkerWhileTheMainLoopKeepsDispatching) {
  platform::IMessageLoop& loop = platform::MainLoop();
  const auto caller = std::this_thread::get_id();
  std::thread::id ranOn;
  std::thread::id answeredOn;
  const std::int32_t result = RunPhaseAtLevel(3, [&] {
    ranOn = std::this_thread::get_id();
    // A synchronous send from the worker is answered only if the main thread keeps pumping.
    const auto answer = loop.Send([&] {
      answeredOn = std::this_thread::get_id();
      return platform::MessageResult{42};
    });
    return static_cast<std::uint32_t>(answer == 42 ? 3010 : 1);
  });
  EXPECT_EQ(result, 3010);
  EXPECT_NE(ranOn, caller);
  EXPECT_EQ(answeredOn, caller);
}

TEST(RunPhase, APhaseThatEndsAtOnceIsCollectedAtTheFirstPoll) {
  platform::MainLoop();
  const auto start = Clock::now();
  EXPECT_EQ(RunPhaseAtLevel(5, [] { return 0u; }), 0);
  EXPECT_GE(Clock::now() - start, kPhasePollInterval);
}

TEST(RunPhase, ALongPhaseIsWaitedForAcrossSeveralPolls) {
  platform::MainLoop();
  std::atomic<int> dispatched{0};
  const auto start = Clock::now();
  const std::int32_t result = RunPhaseAtLevel(4, [&] {
    for (int i = 0; i < 3; ++i) {
      platform::MainLoop().Post([&] { return platform::MessageResult{++dispatched}; });
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    return 7u;
  });
  EXPECT_EQ(result, 7);
  EXPECT_EQ(dispatched.load(), 3);
  EXPECT_GE(Clock::now() - start, 2 * kPhasePollInterval);
}

std::uint32_t PhaseReturningTheUiLevelSeen(void* argument) { return argument == nullptr ? 1641u : 1u; }

TEST(RunPhase, ReadsTheLevelFromTheStoreAndPassesNull) {
  for (const char* level : {"2", "3", "9"}) {
    test::UiMachine ui({{"QEL.UILevel", level}});
    EXPECT_EQ(RunPhase(&PhaseReturningTheUiLevelSeen), 1641) << level;
  }
  EXPECT_EQ(RunPhase(nullptr), 2);
}

}  // namespace
}  // namespace qel
