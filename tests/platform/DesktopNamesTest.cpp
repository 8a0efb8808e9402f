#include "platform/linux/DesktopNames.h"

#include <gtest/gtest.h>

namespace qel::platform {
namespace {

struct MatchCase {
  const char* name;
  const char* pattern;
  bool matches;
};

class WildcardTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(WildcardTest, Matches) {
  EXPECT_EQ(MatchesWildcard(GetParam().name, GetParam().pattern), GetParam().matches)
      << GetParam().name << " ~ " << GetParam().pattern;
}

INSTANTIATE_TEST_SUITE_P(
    Table, WildcardTest,
    ::testing::Values(MatchCase{"Setup.EXE", "*.exe", true}, MatchCase{"setup.exe", "S?TUP.*", true},
                      MatchCase{"README", "*.*", true}, MatchCase{"README", "*.", true},
                      MatchCase{"a.b", "*.", false}, MatchCase{"Data1", "data?", true},
                      MatchCase{"Data", "data?", false}, MatchCase{"Data12", "data?", false},
                      MatchCase{"\xC3\xA9t\xC3\xA9.txt", "?t?.TXT", true},        // été.txt, é is one character
                      MatchCase{"\xC3\x89T\xC3\x89.txt", "\xC3\xA9t\xC3\xA9.*", true},  // ÉTÉ ~ été.*
                      MatchCase{"\xD0\x94\xD0\xB0", "\xD0\xB4*", true},          // Cyrillic Да ~ д*
                      MatchCase{"aXbXc", "a*b*c", true}, MatchCase{"abc", "a*b*c*d", false},
                      MatchCase{"product.msi", "*.msi*", true}, MatchCase{"x", "", false},
                      MatchCase{"\xFF\xFE.bin", "??.bin", true}));  // malformed bytes still count

TEST(FoldCaseTest, LowerCasesBeyondAscii) {
  EXPECT_EQ(FoldCase("PROGRAM Files \xC3\x9C" "BER"), "program files \xC3\xBC" "ber");
  EXPECT_TRUE(EqualsIgnoringCase("\xC3\x85SA", "\xC3\xA5sa"));  // ÅSA / åsa
  EXPECT_FALSE(EqualsIgnoringCase("a", "b"));
}

}  // namespace
}  // namespace qel::platform
