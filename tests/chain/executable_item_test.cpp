#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdarg>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "chain/ExecutableItem.h"
#include "config/UtlXProperty.h"
#include "platform/MessageLoop.h"
#include "uimsg/SetupMessageFormat.h"
#include "uimsg/UiMessageTypes.h"
#include "uimsg/UiTestSupport.h"
#include "uimsg/UtlXLogFile.h"

namespace qel {
namespace {

using namespace std::chrono_literals;

constexpr const char* kCaption = "Str.ProgressTotalText.Complete";
constexpr const char* kProductCode = "{11111111-2222-3333-4444-555555555555}";

struct PostedMessage {
  std::uint32_t type;
  std::string text;
  std::thread::id thread;
  std::string captionAtTick;  // the progress caption when a tick arrived
};

// What the item posted. The poster plays the progress display too: after each tick it puts its
// own caption in place, as the display does when it shows another text.
struct Recorder {
  std::mutex mutex;
  std::vector<PostedMessage> messages;
};
Recorder g_recorder;

std::int32_t RecordingPoster(std::uint32_t type, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::string text = FormatSetupTextV(format, args);
  va_end(args);
  std::string caption;
  if (type == INSTALLMESSAGE_PROGRESS) {
    caption = CUtlXProperty().GetProperty(kCaption);
    CUtlXProperty().SetProperty(kCaption, "replaced by the display");
  }
  std::lock_guard lock(g_recorder.mutex);
  g_recorder.messages.push_back({type, std::move(text), std::this_thread::get_id(), caption});
  return 0;
}

std::vector<PostedMessage> TakeMessages() {
  std::lock_guard lock(g_recorder.mutex);
  return std::exchange(g_recorder.messages, {});
}

class ExecutableItemTest : public ::testing::Test {
 protected:
  ExecutableItemTest()
      : ui({{"QEL.LogFile", "C:\\Logs\\run.log"}, {"QEL.LogOptions", "v"}, {kCaption, "Installing the prerequisite"}}) {
    StartLog();
    TakeMessages();
  }

  // Writes the host script "C:\Prereq\prereq.exe" and answers its desktop path.
  std::string WritePrereq(const std::string& body) {
    const std::string host = ui.machine.Root() + "/drive_c/Prereq/prereq.exe";
    ui.machine.WriteHostFile(host, "#!/bin/sh\n" + body);
    chmod(host.c_str(), 0755);
    return "C:\\Prereq\\prereq.exe";
  }

  ExecutableJob Job(const std::string& path, const std::string& commandLine = {}) {
    ExecutableJob job;
    job.path = path;
    job.commandLine = commandLine;
    job.productCode = kProductCode;
    job.poster = RecordingPoster;
    job.recordResult = [](std::uint32_t result) {
      std::lock_guard lock(g_recorder.mutex);
      g_recorder.messages.push_back({0xFFFFFFFF, std::to_string(result), std::this_thread::get_id(), {}});
    };
    return job;
  }

  static std::string Log() { return test::ReadLog("C:\\Logs\\run.log"); }

  test::UiMachine ui;
};

TEST_F(ExecutableItemTest, SilentRunWaitsOnTheCallingThreadWithTicksAndCountsAFailingProgramAsDone) {
  const std::string path = WritePrereq("printf '%s\\n' \"$@\" > args.txt\nsleep 2.7\nexit 3\n");
  const std::uint32_t result = RunExecutableItem(Job(path, R"(/quiet "TARGETDIR=C:\A B\\")"), 2);
  EXPECT_EQ(result, 0u);

  EXPECT_EQ(ui.machine.ReadHostFile(ui.machine.Root() + "/drive_c/Prereq/args.txt"), "/quiet\nTARGETDIR=C:\\A B\\\n")
      << "the arguments are split by the desktop rules and the program runs in its own folder";

  const std::vector<PostedMessage> messages = TakeMessages();
  ASSERT_GE(messages.size(), 9u);  // start, six ticks or more, the result, end
  EXPECT_EQ(messages.front().type, SETUPMESSAGE_ITEMSTART);
  EXPECT_EQ(messages.front().text, std::string("Executable|") + kProductCode);
  const PostedMessage& recorded = messages[messages.size() - 2];
  EXPECT_EQ(recorded.type, 0xFFFFFFFFu) << "the result is recorded before the item-end message";
  EXPECT_EQ(recorded.text, "0");
  EXPECT_EQ(messages.back().type, SETUPMESSAGE_ITEMEND);
  EXPECT_EQ(messages.back().text, "0");

  std::vector<std::string> captions;
  for (std::size_t i = 1; i + 2 < messages.size(); ++i) {
    EXPECT_EQ(messages[i].type, INSTALLMESSAGE_PROGRESS);
    EXPECT_EQ(messages[i].text, kExecutableTickRecord);
    captions.push_back(messages[i].captionAtTick);
  }
  for (const PostedMessage& message : messages) EXPECT_EQ(message.thread, std::this_thread::get_id());
  ASSERT_GE(captions.size(), 6u);
  EXPECT_EQ(captions[0], "Installing the prerequisite");
  for (std::size_t tick = 2; tick <= 5; ++tick) EXPECT_EQ(captions[tick - 1], "replaced by the display") << tick;
  EXPECT_EQ(captions[5], "Installing the prerequisite") << "the caption is put back before the sixth tick";

  EXPECT_NE(Log().find("Executable C:\\Prereq\\prereq.exe ended with exit code 3"), std::string::npos) << Log();
}

TEST_F(ExecutableItemTest, WithAUserInterfaceTheWaitIsOnItsOwnThreadWhileTheMainLoopPumps) {
  const std::string path = WritePrereq("sleep 1.2\n");
  platform::IMessageLoop& loop = platform::MainLoop();
  int timerCalls = 0;
  loop.SetTimer(0x7E57, 100ms, [&](platform::TimerId) { ++timerCalls; });

  const std::uint32_t result = RunExecutableItem(Job(path), 5);
  loop.KillTimer(0x7E57);

  EXPECT_EQ(result, 0u);
  EXPECT_GE(timerCalls, 5) << "the main thread dispatched its timer during the wait";
  const std::vector<PostedMessage> messages = TakeMessages();
  ASSERT_GE(messages.size(), 5u);
  EXPECT_EQ(messages.front().type, SETUPMESSAGE_ITEMSTART);
  EXPECT_EQ(messages.back().type, SETUPMESSAGE_ITEMEND);
  int ticks = 0;
  for (const PostedMessage& message : messages) {
    if (message.type != INSTALLMESSAGE_PROGRESS) continue;
    ++ticks;
    EXPECT_NE(message.thread, std::this_thread::get_id()) << "ticks come from the waiting thread";
  }
  EXPECT_GE(ticks, 2);
  EXPECT_NE(Log().find("ended with exit code 0"), std::string::npos) << Log();
}

TEST_F(ExecutableItemTest, AMissingProgramGivesTwoAtEveryLevelWithoutTicks) {
  WritePrereq("exit 0\n");  // the folder is there, the program named is not
  for (const int level : {2, 5}) {
    const std::uint32_t result = RunExecutableItem(Job("C:\\Prereq\\missing.exe"), level);
    EXPECT_EQ(result, platform::kErrorFileNotFound) << level;
    const std::vector<PostedMessage> messages = TakeMessages();
    ASSERT_EQ(messages.size(), 3u) << level;
    EXPECT_EQ(messages[0].type, SETUPMESSAGE_ITEMSTART);
    EXPECT_EQ(messages[1].text, "2");
    EXPECT_EQ(messages[2].type, SETUPMESSAGE_ITEMEND);
    EXPECT_EQ(messages[2].text, "2");
  }
  EXPECT_NE(Log().find("Executable C:\\Prereq\\missing.exe could not be started, error 2"), std::string::npos) << Log();
}

TEST_F(ExecutableItemTest, WithoutAPosterNothingIsPostedAndTheCaptionStays) {
  const std::string path = WritePrereq("sleep 0.6\n");
  ExecutableJob job = Job(path);
  job.poster = nullptr;
  job.recordResult = {};
  EXPECT_EQ(RunExecutableItem(job, 5), 0u);
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_EQ(CUtlXProperty().GetProperty(kCaption), "Installing the prerequisite");
}

}  // namespace
}  // namespace qel
