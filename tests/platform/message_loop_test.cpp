#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/MessageLoop.h"

namespace qel::platform {
namespace {

using namespace std::chrono_literals;

TEST(MessageLoopTest, PostedTasksRunOnTheMainThreadInOrderUntilEndModal) {
  auto loop = CreateMessageLoop();
  std::vector<int> seen;  // touched only on the main thread
  std::thread worker([&] {
    for (int i = 0; i < 100; ++i) {
      loop->Post([&, i] {
        EXPECT_TRUE(loop->IsMainThread());
        seen.push_back(i);
        return 0;
      });
    }
    loop->Post([&] {
      loop->EndModal(42);
      return 0;
    });
  });
  EXPECT_EQ(loop->RunModal(), 42);
  worker.join();
  ASSERT_EQ(seen.size(), 100u);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(seen[i], i);
}

TEST(MessageLoopTest, SendFromAWorkerRunsOnTheMainThreadAndReturnsItsAnswer) {
  auto loop = CreateMessageLoop();
  int mainOnlyCounter = 0;
  std::thread worker([&] {
    MessageResult total = 0;
    for (int i = 1; i <= 50; ++i) {
      total += loop->Send([&] {
        EXPECT_TRUE(loop->IsMainThread());
        return ++mainOnlyCounter;
      });
    }
    loop->EndModal(total);
  });
  EXPECT_EQ(loop->RunModal(), 50 * 51 / 2);
  worker.join();
  EXPECT_EQ(mainOnlyCounter, 50);
}

TEST(MessageLoopTest, SendOnTheMainThreadRunsAtOnceWithoutPumping) {
  auto loop = CreateMessageLoop();
  bool posted = false;
  loop->Post([&] {
    posted = true;
    return 0;
  });
  EXPECT_EQ(loop->Send([] { return 9; }), 9);
  EXPECT_FALSE(posted);  // the send did not dispatch the queue
  EXPECT_EQ(loop->PumpPending(), 1);
  EXPECT_TRUE(posted);
}

// A phase on a worker while the main thread waits in a modal loop that a timer ends, as the
// launcher's execution host does; inside, the worker's sends open and end a nested loop.
TEST(MessageLoopTest, NestedModalLoopsDispatchWhileTheyWaitAndEndInnermostFirst) {
  auto loop = CreateMessageLoop();
  std::atomic<bool> workerDone{false};
  std::vector<MessageResult> innerResults;
  std::thread worker([&] {
    loop->Send([&] {
      // Runs on the main thread inside the outer loop; the nested loop keeps dispatching, so the
      // worker's second send (posted from the timer below) still gets through.
      loop->Post([&] {
        loop->EndModal(5);
        return 0;
      });
      innerResults.push_back(loop->RunModal());
      return 0;
    });
    EXPECT_EQ(loop->Send([] { return 3; }), 3);
    workerDone = true;
  });
  loop->SetTimer(1, 10ms, [&](TimerId id) {
    if (!workerDone) return;
    loop->KillTimer(id);
    loop->EndModal(7);
  });
  EXPECT_EQ(loop->RunModal(), 7);
  worker.join();
  EXPECT_EQ(innerResults, std::vector<MessageResult>{5});
  EXPECT_FALSE(loop->KillTimer(1));
}

TEST(MessageLoopTest, EndModalWithoutARunningLoopAnswersFalse) {
  auto loop = CreateMessageLoop();
  EXPECT_FALSE(loop->EndModal(1));
}

TEST(MessageLoopTest, OnlyTheMainThreadPumps) {
  auto loop = CreateMessageLoop();
  bool ran = false;
  loop->Post([&] {
    ran = true;
    return 0;
  });
  std::thread other([&] {
    EXPECT_EQ(loop->PumpPending(), 0);
    EXPECT_EQ(loop->RunModal(), 0);
  });
  other.join();
  EXPECT_FALSE(ran);
  EXPECT_EQ(loop->PumpPending(), 1);
  EXPECT_TRUE(ran);
}

TEST(MessageLoopTest, TimerRepeatsUntilKilledAndSetTimerReplacesTheSameId) {
  auto loop = CreateMessageLoop();
  int firstCalls = 0;
  int secondCalls = 0;
  loop->SetTimer(4, 1h, [&](TimerId) { ++firstCalls; });
  loop->SetTimer(4, 5ms, [&](TimerId id) {
    EXPECT_EQ(id, 4u);
    if (++secondCalls == 3) loop->EndModal(0);
  });
  const auto start = std::chrono::steady_clock::now();
  loop->RunModal();
  EXPECT_GE(std::chrono::steady_clock::now() - start, 15ms);
  EXPECT_EQ(firstCalls, 0);
  EXPECT_EQ(secondCalls, 3);
  EXPECT_TRUE(loop->KillTimer(4));
  std::this_thread::sleep_for(10ms);
  EXPECT_EQ(loop->PumpPending(), 0);
  EXPECT_EQ(secondCalls, 3);
}

TEST(MessageLoopTest, PumpPendingRunsOnlyWhatWasQueuedWhenItStarted) {
  auto loop = CreateMessageLoop();
  int runs = 0;
  std::function<MessageResult()> reposting = [&] {
    ++runs;
    loop->Post(reposting);
    return 0;
  };
  loop->Post(reposting);
  EXPECT_EQ(loop->PumpPending(), 1);
  EXPECT_EQ(loop->PumpPending(), 1);
  EXPECT_EQ(runs, 2);
}

TEST(MessageLoopTest, RegisteredMessagesAreFoundByNameWithoutRegardToCase) {
  auto loop = CreateMessageLoop();
  const MessageId refresh = loop->RegisterMessage("UWM_SETUPDLG_REFRESH-{9916C6BD-1CBE-41E7-BD3A-EDBF7C04D7B8}");
  const MessageId other = loop->RegisterMessage("UWM_SETUPAPP_INSTALLMESSAGE-{9916C6BD-1CBE-41E7-BD3A-EDBF7C04D7B8}");
  EXPECT_GE(refresh, 0xC000u);
  EXPECT_LE(refresh, 0xFFFFu);
  EXPECT_NE(refresh, other);
  EXPECT_EQ(loop->RegisterMessage("uwm_setupdlg_refresh-{9916c6bd-1cbe-41e7-bd3a-edbf7c04d7b8}"), refresh);
  EXPECT_EQ(loop->RegisterMessage(""), 0u);
}

TEST(MessageLoopTest, MessagesReachTheHandlerOfTheirIdWithTheirParameters) {
  auto loop = CreateMessageLoop();
  const MessageId refresh = loop->RegisterMessage("refresh");
  std::vector<std::pair<std::uintptr_t, std::intptr_t>> received;
  loop->SetMessageHandler(refresh, [&](const Message& message) {
    EXPECT_TRUE(loop->IsMainThread());
    received.emplace_back(message.wparam, message.lparam);
    return static_cast<MessageResult>(message.wparam * 10);
  });
  std::thread worker([&] {
    EXPECT_EQ(loop->SendMessage({refresh, 2, -1}), 20);
    loop->PostMessage({refresh, 3, 0});
    EXPECT_EQ(loop->SendMessage({refresh + 1, 1, 1}), 0);  // nobody handles it
    loop->Post([&] {
      loop->EndModal(0);
      return 0;
    });
  });
  loop->RunModal();
  worker.join();
  using Received = std::vector<std::pair<std::uintptr_t, std::intptr_t>>;
  EXPECT_EQ(received, (Received{{2, -1}, {3, 0}}));
  loop->SetMessageHandler(refresh, {});
  EXPECT_EQ(loop->SendMessage({refresh, 1, 0}), 0);
}

TEST(MessageLoopTest, ASenderWaitingWhenTheLoopGoesAwayIsAnsweredWithZero) {
  auto loop = CreateMessageLoop();
  IMessageLoop* target = loop.get();
  std::atomic<bool> sending{false};
  std::atomic<MessageResult> answer{-1};
  std::thread worker([&, target] {
    sending = true;
    answer = target->Send([] { return 1; });
  });
  while (!sending) std::this_thread::yield();
  std::this_thread::sleep_for(100ms);  // let the send reach the queue
  loop.reset();
  worker.join();
  EXPECT_EQ(answer, 0);
}

TEST(MessageLoopTest, MainLoopIsOneInstanceForTheProcess) {
  EXPECT_EQ(&MainLoop(), &MainLoop());
  EXPECT_TRUE(MainLoop().IsMainThread());
}

}  // namespace
}  // namespace qel::platform
