#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/Processes.h"
#include "support/TempMachine.h"

namespace qel::platform {
namespace {

using namespace std::chrono_literals;
using test::TempMachine;

struct SplitCase {
  const char* line;
  std::vector<std::string> arguments;
};

class SplitCommandLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, SplitsAsTheDesktopRuntimeDoes) {
  EXPECT_EQ(SplitCommandLine(GetParam().line), GetParam().arguments) << "line: " << GetParam().line;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitCommandLineTest,
    ::testing::Values(
        SplitCase{"", {}},
        SplitCase{" \t ", {}},
        SplitCase{"a b\tc", {"a", "b", "c"}},
        SplitCase{"  a   b  ", {"a", "b"}},
        SplitCase{R"("a b" c)", {"a b", "c"}},
        SplitCase{R"(INSTALLDIR="C:\Program Files\App" /q)", {R"(INSTALLDIR=C:\Program Files\App)", "/q"}},
        SplitCase{R"(a"b c"d)", {"ab cd"}},
        SplitCase{R"(C:\dir\file \\server\share)", {R"(C:\dir\file)", R"(\\server\share)"}},
        SplitCase{R"(a\\\b)", {R"(a\\\b)"}},
        SplitCase{R"(a\"b)", {R"(a"b)"}},
        SplitCase{R"(a\\"b c")", {R"(a\b c)"}},
        SplitCase{R"(a\\\"b)", {R"(a\"b)"}},
        SplitCase{R"(a\\\\"b c" d)", {R"(a\\b c)", "d"}},
        SplitCase{R"("C:\dir\\" next)", {R"(C:\dir\)", "next"}},
        SplitCase{R"("" x)", {"", "x"}},
        SplitCase{R"("a""b" c)", {R"(a"b)", "c"}},
        SplitCase{R"("a "" b")", {R"(a " b)"}},
        SplitCase{R"("unterminated quote)", {"unterminated quote"}},
        SplitCase{R"(trailing\)", {R"(trailing\)"}}));

class ProcessesTest : public ::testing::Test {
 protected:
  // A host script on drive C: at `desktopPath` (below C:\), executable unless told otherwise.
  std::string WriteScript(const std::string& relative, const std::string& body, bool executable = true) {
    const std::string host = machine.Root() + "/drive_c/" + relative;
    machine.WriteHostFile(host, "#!/bin/sh\n" + body);
    chmod(host.c_str(), executable ? 0755 : 0644);
    std::string desktop = "C:\\" + relative;
    for (char& c : desktop) {
      if (c == '/') c = '\\';
    }
    return desktop;
  }

  static std::uint32_t RunToEnd(IProcess& process) {
    EXPECT_TRUE(process.Wait(10s));
    return process.ExitCode().value_or(0xFFFFFFFF);
  }

  TempMachine machine;
};

TEST_F(ProcessesTest, ExitCodeOfAScriptIsSeenAfterTheWait) {
  const std::string program = WriteScript("Tools/exit7.exe", "exit 7\n");
  std::unique_ptr<IProcess> process;
  ASSERT_EQ(StartProcess(program, "", "", process), kSuccess);
  EXPECT_NE(process->Id(), 0u);
  EXPECT_EQ(RunToEnd(*process), 7u);
  EXPECT_TRUE(process->Wait(0ms)) << "an ended process stays ended";
}

TEST_F(ProcessesTest, ArgumentsAndWorkingFolderReachTheProgram) {
  const std::string program = WriteScript("Tools/echo.exe", "pwd > cwd.txt\nprintf '%s\\n' \"$@\" > args.txt\n");
  std::filesystem::create_directories(machine.Root() + "/drive_c/Work Folder");
  std::unique_ptr<IProcess> process;
  ASSERT_EQ(StartProcess(program, R"(/q "INSTALLDIR=C:\A B\\" x\"y)", "C:\\work folder", process), kSuccess);
  EXPECT_EQ(RunToEnd(*process), 0u);

  const std::string folder = machine.Root() + "/drive_c/Work Folder";
  EXPECT_EQ(machine.ReadHostFile(folder + "/args.txt"), "/q\nINSTALLDIR=C:\\A B\\\nx\"y\n");
  EXPECT_EQ(machine.ReadHostFile(folder + "/cwd.txt"), std::filesystem::canonical(folder).string() + "\n");
}

TEST_F(ProcessesTest, ProgramsThatCannotStartAnswerTheDesktopCodes) {
  WriteScript("Tools/plain.exe", "exit 0\n", false);
  const std::string runnable = WriteScript("Tools/ok.exe", "exit 0\n");
  std::filesystem::create_directories(machine.Root() + "/drive_c/Tools/Folder.exe");
  machine.WriteHostFile(machine.Root() + "/drive_c/Tools/garbage.exe", "\x01\x02 not a program");
  chmod((machine.Root() + "/drive_c/Tools/garbage.exe").c_str(), 0755);

  struct Case {
    std::string program;
    std::string folder;
    ErrorCode expected;
  };
  const Case cases[] = {
      {"C:\\Tools\\missing.exe", "", kErrorFileNotFound},
      {"C:\\NoSuchFolder\\missing.exe", "", kErrorPathNotFound},
      {"C:\\Tools\\plain.exe", "", kErrorAccessDenied},
      {"C:\\Tools\\Folder.exe", "", kErrorAccessDenied},
      {"C:\\Tools\\garbage.exe", "", kErrorBadExeFormat},
      {runnable, "C:\\NoSuchFolder", kErrorDirectory},
      {runnable, "C:\\Tools\\ok.exe", kErrorDirectory},
  };
  for (const Case& c : cases) {
    std::unique_ptr<IProcess> process;
    EXPECT_EQ(StartProcess(c.program, "", c.folder, process), c.expected) << c.program << " in " << c.folder;
    EXPECT_EQ(process, nullptr);
  }
}

TEST_F(ProcessesTest, ARunningProgramIsListedWithItsExecutableAndClosesWhenAsked) {
  const std::string host = machine.Root() + "/drive_c/Tools/holder.exe";
  std::filesystem::create_directories(machine.Root() + "/drive_c/Tools");
  const std::string sleepProgram = std::filesystem::exists("/usr/bin/sleep") ? "/usr/bin/sleep" : "/bin/sleep";
  std::filesystem::copy_file(sleepProgram, host);

  std::unique_ptr<IProcess> process;
  ASSERT_EQ(StartProcess("C:\\TOOLS\\Holder.exe", "30", "", process), kSuccess);
  EXPECT_FALSE(process->Wait(50ms));
  EXPECT_EQ(process->ExitCode(), std::nullopt);

  std::vector<RunningProcess> running;
  ASSERT_EQ(ListProcesses(running), kSuccess);
  const auto found = std::find_if(running.begin(), running.end(),
                                  [&](const RunningProcess& p) { return p.id == process->Id(); });
  ASSERT_NE(found, running.end());
  EXPECT_EQ(found->executable, "C:\\Tools\\holder.exe");
  EXPECT_TRUE(std::is_sorted(running.begin(), running.end(),
                             [](const RunningProcess& a, const RunningProcess& b) { return a.id < b.id; }));

  ASSERT_EQ(RequestProcessClose(process->Id()), kSuccess);
  EXPECT_EQ(RunToEnd(*process), 128u + 15u);
}

TEST_F(ProcessesTest, ClosingAProcessThatDoesNotRunIsAnInvalidParameter) {
  EXPECT_EQ(RequestProcessClose(0), kErrorInvalidParameter);
  EXPECT_EQ(RequestProcessClose(0x7FFFFFF0u), kErrorInvalidParameter);
}

}  // namespace
}  // namespace qel::platform
