#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "chain/ChainTestSupport.h"
#include "chain/ResolveCmdLine.h"

namespace qel {
namespace {

class ResolveCmdLineTest : public test::ChainTest {
 protected:
  void SetUp() override {
    LoadSetup(R"(<QEL><Properties>
      <Property name="INSTALLDIR" value="C:\Program Files\App\"/>
      <Property name="QUOTED" value=' "a b" '/>
      <Property name="EMPTY" value=""/>
      <Property name="SELF" value="x[SELF]"/>
      <Property name="PING" value="[PONG]"/>
      <Property name="PONG" value="[PING]"/>
      <Property name="SUB" value="[INSTALLDIR]sub"/>
      <Property name="OPEN" value="[INSTALLDIR"/>
      <Property name="L1" value="[L2]"/><Property name="L2" value="[L3]"/><Property name="L3" value="[L4]"/>
      <Property name="L4" value="[L5]"/><Property name="L5" value="[L6]"/><Property name="L6" value="[L7]"/>
      <Property name="L7" value="[L8]"/><Property name="L8" value="[L9]"/><Property name="L9" value="deep"/>
      <Property name="Mixed.Case" value="m"/>
      <Property name="" value="nameless"/>
    </Properties><Setups><Msi productcode="{X}"/></Setups></QEL>)");
  }
  std::string Resolve(const std::string& text) { return ResolveReferences(text, store_); }
};

TEST_F(ResolveCmdLineTest, Table) {
  const std::pair<const char*, const char*> cases[] = {
      {"", ""},
      {"A=1 B=2", "A=1 B=2"},
      {R"(INSTALLDIR="[INSTALLDIR]")", R"(INSTALLDIR="C:\Program Files\App\")"},
      {"X=[MISSING] Y=[EMPTY]", "X=0 Y=0"},           // unset or empty reads as 0
      {"Q=\"[QUOTED]\"", "Q=\"a b\""},                 // quotes removed, blanks trimmed
      {"[Mixed.Case][Mixed.Case]", "mm"},               // every occurrence
      {"P=[SUB]", "P=C:\\Program Files\\App\\sub"},    // references inside values resolve
      {"a]b [INSTALLDIR]", "a]b C:\\Program Files\\App\\"},  // a "]" before any "[" is text
      {"[[INSTALLDIR]", "0"},                          // the name runs from the first "[" to the next "]"
      {"[]", "0"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(Resolve(text), expected) << text;
}

// Left as written, resolution would never end on these; the bound gives a finite, stable line.
TEST_F(ResolveCmdLineTest, SelfReferencesAndOpenBracketsEnd) {
  const std::pair<const char*, const char*> cases[] = {
      {"S=[SELF]", "S=x[SELF]"},                       // a value naming itself keeps that reference
      {"P=[PING]", "P=[PING]"},                        // so does a cycle through another property
      {"U=[INSTALLDIR", "U=[INSTALLDIR"},              // an unterminated "[" stays with the rest
      {"A=[EMPTY] U=[ B=[INSTALLDIR]", "A=0 U=0"},    // the name runs to the next "]": " B=[INSTALLDIR"
      {"O=[OPEN] T=1", "O=[INSTALLDIR T=1"},           // also when the value brings it
      {"D=[L1]", "D=[L9]"},                            // values inside values: 8 levels, then as written
      {"D=[L2]", "D=deep"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(Resolve(text), expected) << text;
}

TEST_F(ResolveCmdLineTest, GrowingValuesStopAtTheLengthBound) {
  // Each level doubles: unbounded, this would be 2^7 copies of a 4 KiB value per reference.
  std::string text = "<QEL><Properties><Property name=\"G0\" value=\"" + std::string(4096, 'g') + "\"/>";
  for (int level = 1; level <= 7; ++level)
    text += "<Property name=\"G" + std::to_string(level) + "\" value=\"[G" + std::to_string(level - 1) + "][G" +
            std::to_string(level - 1) + "]\"/>";
  text += "</Properties></QEL>";
  LoadSetup(text);

  const auto start = std::chrono::steady_clock::now();
  const std::string line = Resolve("[G7] [G7] [G7]");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_GE(line.size(), kMaxResolvedLength);
  EXPECT_LE(line.size(), kMaxResolvedLength + 4096 + 64);
  EXPECT_TRUE(line.ends_with("[G7] [G7]"));  // the rest after the bound is copied as written
}

TEST_F(ResolveCmdLineTest, AllPublicPropertiesInDocumentOrder) {
  LoadSetup(R"(<QEL><Properties>
      <Property name="lower" value="x"/>
      <Property name="INSTALLDIR" value="C:\App\"/>
      <Property name="EMPTYPUBLIC" value=""/>
      <Property name="Mixed" value="y"/>
      <Property name="" value="nameless"/>
      <Property name="QUOTES" value='say "hi"'/>
      <Property name="NUM.1_X" value="1"/>
    </Properties><Setups><Msi productcode="{X}" cmdline="QEL_ALL_PUBLIC"/>
    <Msi productcode="{Y}" cmdline="D=[INSTALLDIR]"/></Setups></QEL>)");
  CUtlXSetupMsi item;
  ASSERT_EQ(item.Select("{X}"), 1);
  EXPECT_EQ(ResolveCmdLine(item), R"(INSTALLDIR="C:\App\" QUOTES="say hi" NUM.1_X="1")");
  EXPECT_EQ(item.GetCmdLine(), "QEL_ALL_PUBLIC");  // resolving does not store

  ASSERT_EQ(item.Select("{Y}"), 1);
  EXPECT_EQ(ResolveCmdLine(item), "D=C:\\App\\");
}

TEST_F(ResolveCmdLineTest, AllPublicWithOnlyInstallDirHasNoLeadingBlank) {
  LoadSetup(R"(<QEL><Properties>
      <Property name="Private" value="x"/><Property name="INSTALLDIR" value="C:\A"/><Property name="EMPTY" value=""/>
    </Properties></QEL>)");
  EXPECT_EQ(AllPublicProperties(), "INSTALLDIR=\"C:\\A\"");
}

}  // namespace
}  // namespace qel
