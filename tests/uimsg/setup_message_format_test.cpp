#include <gtest/gtest.h>

#include <cstdarg>

#include "uimsg/SetupMessageFormat.h"

namespace qel {
namespace {

std::string FormatC(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::string text = FormatSetupTextV(format, args);
  va_end(args);
  return text;
}

TEST(SetupMessageFormat, TypedFormTakesStringsAndNumbers) {
  EXPECT_EQ(FormatSetupText("%s", std::string("Required\\Help.htm")), "Required\\Help.htm");
  EXPECT_EQ(FormatSetupText("%d", 3010u), "3010");
  EXPECT_EQ(FormatSetupText("%d", -1), "-1");
  EXPECT_EQ(FormatSetupText("%u %d", 0x80070005u, 0x80070005u), "2147942405 -2147024891");
  EXPECT_EQ(FormatSetupText("MsiInstallProduct|%s|%s|%s", "c:\\a.msi", std::string_view("0"), "X=1"),
            "MsiInstallProduct|c:\\a.msi|0|X=1");
  EXPECT_EQ(FormatSetupText("100%% of %d", 7), "100% of 7");
  const char* nothing = nullptr;
  EXPECT_EQ(FormatSetupText("[%s]", nothing), "[]");
}

struct RuntimeCase {
  const char* format;
  std::vector<SetupFormatArg> args;
  const char* expected;
};

TEST(SetupMessageFormat, RuntimeFormatsNeverReadMissingOrForeignArguments) {
  const RuntimeCase cases[] = {
      {"%s and %d", {std::string_view("a"), 5}, "a and 5"},
      {"%s %s", {std::string_view("only")}, "only "},      // missing argument shows nothing
      {"%x %n %ls", {std::string_view("a")}, "%x %n %ls"},  // unknown conversions stay as text
      {"%d", {std::string_view("text")}, "text"},
      {"%s", {42}, "42"},
      {"trailing %", {}, "trailing %"},
      {"", {}, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatSetupText(c.format, std::span(c.args)), c.expected) << c.format;
  }
}

TEST(SetupMessageFormat, CFormReadsCharPointersAndInts) {
  EXPECT_EQ(FormatC("%s|%d|%s", "Executable", -7, "{GUID}"), "Executable|-7|{GUID}");
  EXPECT_EQ(FormatC("[%s]", static_cast<const char*>(nullptr)), "[]");
  EXPECT_EQ(FormatC("50%% %n%d", 3), "50% %n3");
  EXPECT_EQ(FormatC("%u", 4294967295u), "4294967295");
  EXPECT_EQ(FormatC("%s", "\xC3\xA4\xE2\x82\xAC"), "\xC3\xA4\xE2\x82\xAC");
  EXPECT_EQ(FormatSetupTextV(nullptr, nullptr), "");
}

}  // namespace
}  // namespace qel
