#include <gtest/gtest.h>

#include <regex>

#include "config/ResultText.h"
#include "config/UtlXProperty.h"
#include "platform/Registry.h"
#include "uimsg/UiTestSupport.h"
#include "uimsg/UtlXLogFile.h"

namespace qel {
namespace {

using test::ReadLog;
using test::UiMachine;

const std::string kSeparator(80, '=');

std::string Property(const std::string& name) { return CUtlXProperty().GetProperty(name); }

TEST(LogFile, HeaderIsUtf16WithCrLfAndNoByteOrderMark) {
  UiMachine ui({{"QEL.LogFile", "C:\\Logs\\deep\\run.log"}, {"QEL.LogOptions", "v"}});
  StartLog();
  EXPECT_EQ(Property("QEL.LogFileInitalized"), "1");

  std::string bytes;
  ASSERT_EQ(platform::Files().ReadFile("C:\\Logs\\deep\\run.log", bytes), platform::kSuccess);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), std::string("=\0", 2));
  const std::string text = test::Utf16LeToUtf8(bytes);
  const std::regex header(kSeparator +
                          "\r\n=== Logging Started (Sunday|Monday|Tuesday|Wednesday|Thursday|Friday|Saturday), "
                          "[A-Z][a-z]+ [0-9]{2}, [0-9]{4} -- [0-9]{2}:[0-9]{2} (AM|PM) ===\r\n\r\n\r\n");
  EXPECT_TRUE(std::regex_match(text, header)) << text;
}

TEST(LogFile, TimedLinesAndWritersInterleaveInWriteOrder) {
  UiMachine ui({{"QEL.LogFile", "C:\\run.log"}, {"QEL.LogOptions", "*v"}});
  StartLog();
  CUtlXLogFile first;
  CUtlXLogFile second;
  first.WriteLine("one");
  second.WriteLine("two");
  LogTimed("Initializing");
  first.WriteLine("three \xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80");

  const std::string text = ReadLog("C:\\run.log");
  const std::regex body("[\\s\\S]*\r\n\r\n\r\none\r\ntwo\r\n--- QEL \\[[0-9]{2}:[0-9]{2}:[0-9]{2}\\]: Initializing\r\n"
                        "three \xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80\r\n");
  EXPECT_TRUE(std::regex_match(text, body)) << text;
}

TEST(LogFile, TrailerCarriesTheResultText) {
  UiMachine ui({{"QEL.LogFile", "C:\\run.log"}, {"QEL.LogOptions", "v"}, {"Str.ProductDisplayName", "Notes"}});
  StartLog();
  CUtlXLogFile log;
  WriteLogTrailer(log, 1602);

  const std::string text = ReadLog("C:\\run.log");
  const std::string expected = "\r\n\r\n" + kSeparator + "\r\n=== Notes Installation Complete\r\n=== Result: 1602 -- " +
                               GetResultText(1602) + "\r\n";
  const std::size_t at = text.find("\r\n\r\n" + kSeparator + "\r\n=== Notes");
  ASSERT_NE(at, std::string::npos) << text;
  EXPECT_EQ(text.substr(at, expected.size()), expected);
  EXPECT_NE(GetResultText(1602), "1602");  // the system's own text, not the bare number
  const std::regex stopped("[\\s\\S]*=== Logging stopped: [0-9]{1,2}/[0-9]{1,2}/[0-9]{4} [0-9]{1,2}:[0-9]{1,2}:[0-9]{1,2} ===\r\n");
  EXPECT_TRUE(std::regex_match(text, stopped)) << text;
}

TEST(LogFile, PlusAfterTheFirstLetterAppendsAndInFrontReplaces) {
  struct Case {
    const char* options;
    bool keepsOld;
  };
  for (const Case c : {Case{"v+", true}, Case{"+v", false}, Case{"v", false}}) {
    UiMachine ui({{"QEL.LogFile", "C:\\run.log"}, {"QEL.LogOptions", c.options}});
    {
      std::unique_ptr<platform::IAppendFile> old;
      ASSERT_EQ(platform::Files().OpenAppend("C:\\run.log", true, old), platform::kSuccess);
      old->Append(std::string("o\0l\0d\0\r\0\n\0", 10));
    }
    StartLog();
    const std::string text = ReadLog("C:\\run.log");
    EXPECT_EQ(text.rfind("old\r\n" + kSeparator, 0) == 0, c.keepsOld) << c.options << ": " << text;
    EXPECT_NE(text.find("=== Logging Started"), std::string::npos) << c.options;
  }
}

TEST(LogFile, OptionsWithoutAnInstallerModeStartNothing) {
  UiMachine ui({{"QEL.LogFile", "C:\\run.log"}, {"QEL.LogOptions", "x"}});
  CUtlXLogFile log;
  EXPECT_TRUE(log.Enabled());
  StartLog();
  log.WriteLine("never");
  LogTimed("never");
  EXPECT_EQ(Property("QEL.LogFileInitalized"), "");
  platform::FileAttributes attributes;
  platform::Files().GetAttributes("C:\\run.log", attributes);
  EXPECT_FALSE(attributes.exists);
}

TEST(LogFile, WithoutAPathTheLogGoesToTheTemporaryFolder) {
  UiMachine ui({{"QEL.LogOptions", "v"}});
  StartLog();
  const std::string path = Property("QEL.LogFile");
  const std::string temp = platform::Files().TempFolder();
  ASSERT_EQ(path.rfind(temp, 0), 0u) << path;
  EXPECT_TRUE(std::regex_match(path.substr(temp.size()), std::regex("QEL[0-9A-F]{5}\\.log"))) << path;
  EXPECT_NE(ReadLog(path).find("=== Logging Started"), std::string::npos);
}

TEST(LogFile, ALineBeforeTheHeaderIsDroppedNotKept) {
  UiMachine ui({{"QEL.LogFile", "C:\\run.log"}, {"QEL.LogOptions", "v"}});
  CUtlXLogFile early;
  early.WriteLine("too early");
  StartLog();
  early.WriteLine("in time");
  const std::string text = ReadLog("C:\\run.log");
  EXPECT_EQ(text.find("too early"), std::string::npos);
  EXPECT_NE(text.find("\r\n\r\n\r\nin time\r\n"), std::string::npos) << text;
}

TEST(LogFile, ObjectBuiltBeforeTheOptionsWereKnownWritesOnceTheLogStarts) {
  UiMachine ui({{"QEL.LogFile", "C:\\run.log"}});
  CUtlXLogFile builtEarly;
  EXPECT_FALSE(builtEarly.Enabled());
  CUtlXProperty().SetProperty("QEL.LogOptions", "v");  // the command line, read later
  StartLog();
  builtEarly.WriteLine("from the early object");
  EXPECT_NE(ReadLog("C:\\run.log").find("from the early object\r\n"), std::string::npos);
}

TEST(LogFile, MachinePolicySwitchesLoggingOn) {
  UiMachine ui({{"QEL.LogFile", "C:\\run.log"}});
  const std::string key = "SOFTWARE\\Policies\\Microsoft\\Windows\\Installer";
  ASSERT_EQ(platform::WriteRegistryString(platform::Hive::LocalMachine, key, "Logging",
                                          "voicewarmup-and-far-too-long-for-the-buffer"),
            platform::kSuccess);
  ASSERT_EQ(platform::WriteRegistryDword(platform::Hive::LocalMachine, key, "debug", 1), platform::kSuccess);
  CUtlXLogFile log;
  EXPECT_EQ(log.Options(), "voicewarmup-and-far-too-x");  // 24 characters, then the debug letter
  EXPECT_EQ(Property("QEL.LogOptions"), "voicewarmup-and-far-too-x");
}

TEST(LogFile, NoPolicyAndNoOptionsMeansNoLog) {
  UiMachine ui({{"QEL.LogFile", "C:\\run.log"}});
  CUtlXLogFile log;
  EXPECT_EQ(log.Options(), "");
  EXPECT_FALSE(log.Enabled());
}

TEST(LogFile, UnwritableFolderSwitchesLoggingOffWithoutStoppingTheRun) {
  UiMachine ui({{"QEL.LogFile", "C:\\blocker\\run.log"}, {"QEL.LogOptions", "v"}});
  ASSERT_EQ(platform::Files().WriteFile("C:\\blocker", "a file where the folder should be"), platform::kSuccess);
  StartLog();
  CUtlXLogFile log;
  log.WriteLine("dropped");
  LogTimed("dropped");
  EXPECT_FALSE(log.Enabled());
  EXPECT_FALSE(GlobalLog().Enabled());
}

}  // namespace
}  // namespace qel
