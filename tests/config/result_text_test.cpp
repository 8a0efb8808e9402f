#include <gtest/gtest.h>

#include "config/ResultText.h"

namespace qel {
namespace {

TEST(ResultTextTest, SystemTextsKeepTheirLineBreak) {
  for (std::uint32_t code : {0u, 2u, 3u, 5u, 32u, 53u, 87u, 112u, 183u, 1223u, 1235u, 1602u, 1603u, 1612u,
                             1618u, 1619u, 1638u, 1641u, 1642u, 1648u, 3010u}) {
    const std::string text = GetResultText(code);
    ASSERT_GT(text.size(), 2u) << code;
    EXPECT_TRUE(text.ends_with("\r\n")) << code;
    EXPECT_NE(text, std::to_string(code) + "\r\n") << code;
  }
  EXPECT_EQ(GetResultText(2), "The system cannot find the file specified.\r\n");
}

TEST(ResultTextTest, UnknownCodeGivesDecimal) {
  EXPECT_EQ(GetResultText(1234567), "1234567");
  EXPECT_EQ(GetResultText(0xFFFFFFFFu), "-1");
}

TEST(ResultTextTest, ModuleStringWinsThenFallsBackToSystemText) {
  EXPECT_EQ(GetResultText(1603, "Msi.dll"), "The installation ended prematurely because of an error.");
  EXPECT_EQ(GetResultText(1603, "MSI.DLL"), GetResultText(1603, "Msi.dll"));
  EXPECT_EQ(GetResultText(2, "Msi.dll"), GetResultText(2));
  EXPECT_EQ(GetResultText(1603, "Other.dll"), GetResultText(1603));
  EXPECT_EQ(GetResultText(1234567, "Msi.dll"), "1234567");
}

}  // namespace
}  // namespace qel
