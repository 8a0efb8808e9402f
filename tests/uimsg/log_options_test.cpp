#include <gtest/gtest.h>

#include "uimsg/LogOptions.h"

namespace qel {
namespace {

TEST(LogOptions, InstallerModeFromLetters) {
  EXPECT_EQ(InstallerLogModeFromOptions("voicewarmup"), 0x17DFu);  // 'c' adds nothing
  EXPECT_EQ(InstallerLogModeFromOptions("x"), 0u);
  EXPECT_EQ(InstallerLogModeFromOptions(""), 0u);
  EXPECT_EQ(InstallerLogModeFromOptions("v"), 0x1040u);
  EXPECT_EQ(InstallerLogModeFromOptions("V"), 0u);  // letters are case-sensitive
  EXPECT_EQ(InstallerLogModeFromOptions("*v+"), 0x1040u);
}

TEST(LogOptions, MessageFilterByLevel) {
  EXPECT_EQ(MessageFilterFromOptions("mewuiopar", 2), 0x30Fu);
  EXPECT_EQ(MessageFilterFromOptions("", 2), 0u);
  EXPECT_EQ(MessageFilterFromOptions("e", 3), 0x702u);
  EXPECT_EQ(MessageFilterFromOptions("", 4), 0x7FCFu);
  EXPECT_EQ(MessageFilterFromOptions("mewuar", 5), 0x7FCFu);
}

TEST(LogOptions, PlusKeepsTheOldFileOnlyAfterTheFirstLetter) {
  EXPECT_TRUE(KeepsExistingLog("v+"));
  EXPECT_TRUE(KeepsExistingLog("*v+x"));
  EXPECT_FALSE(KeepsExistingLog("+v"));
  EXPECT_FALSE(KeepsExistingLog("v"));
  EXPECT_FALSE(KeepsExistingLog(""));
}

}  // namespace
}  // namespace qel
