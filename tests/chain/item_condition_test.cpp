#include <gtest/gtest.h>

#include "chain/ChainTestSupport.h"
#include "chain/ItemCondition.h"

namespace qel {
namespace {

class ItemConditionTest : public test::ChainTest {
 protected:
  void SetUp() override {
    LoadSetup(R"(<QEL><Properties>
      <Property name="LANG" value="De"/>
      <Property name="EMPTY" value=""/>
      <Property name=" PADDED " value="x"/>
      <Property name="=A" value="eq"/>
      <Property name="!NEG" value="bang"/>
      <Property name="1" value="one"/>
    </Properties></QEL>)");
  }
};

TEST_F(ItemConditionTest, Table) {
  struct Case {
    const char* condition;
    bool expected;
  };
  const Case cases[] = {
      {"", true},
      {"LANG=de", true},             // letter case of the value does not matter
      {"  LANG  =  DE  ", true},     // blanks around name and value do not matter
      {"LANG=en", false},
      {"lang=de", false},            // the name's case does
      {"MISSING=", true},            // an unset property equals the empty value
      {"LANG=", false},
      {"LANG", true},
      {"EMPTY", false},
      {"MISSING", false},
      {" PADDED ", true},            // a bare name is used untrimmed
      {"PADDED", false},
      {"=A", true},                  // "=" first: the whole text names the property
      {"=B", false},
      {"!NEG", true},                // no negation: "!" is part of the name
      {"!LANG", false},
      {"1", true},                   // "1" is a name like any other
      {"0", false},
      {"LANG=De=x", false},          // the value is everything after the first "="
  };
  for (const auto& c : cases) EXPECT_EQ(EvaluateItemCondition(c.condition, store_), c.expected) << "[" << c.condition << "]";
}

TEST_F(ItemConditionTest, ConditionOneIsFalseWithoutSuchAProperty) {
  LoadSetup(R"(<QEL><Properties><Property name="X" value="1"/></Properties><Setups><Msi condition="1"/></Setups></QEL>)");
  CUtlXSetup item;
  ASSERT_EQ(item.Select("//Msi"), 1);
  EXPECT_FALSE(EvaluateItemCondition(item));
}

}  // namespace
}  // namespace qel
