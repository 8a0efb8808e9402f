#include <gtest/gtest.h>

#include "config/UtlXProperty.h"
#include "config/XMLFileManagerInterface.h"
#include "platform/ErrorCodes.h"

namespace qel {
namespace {

struct ConditionCase {
  const char* condition;
  bool expected;
};

class EvaluateConditionTest : public testing::TestWithParam<ConditionCase> {
 protected:
  void SetUp() override {
    ASSERT_EQ(xml.CreateXML(R"(<QEL><Properties>
      <Property name="Mode" value="Full"/>
      <Property name="Flag" value="1"/>
      <Property name="Zero" value="0"/>
      <Property name="Empty" value=""/>
      <Property name="=Equals" value="x"/>
      <Property name="Season" value="&#xE9;t&#xE9;"/>
    </Properties></QEL>)"),
              platform::kSuccess);
  }
  void TearDown() override { xml.UnInitialize(); }

  CXMLFileManagerInterface xml;
};

TEST_P(EvaluateConditionTest, FollowsTheConditionRules) {
  EXPECT_EQ(CUtlXProperty().EvaluateCondition(GetParam().condition), GetParam().expected) << GetParam().condition;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EvaluateConditionTest,
    testing::Values(ConditionCase{"", true}, ConditionCase{"1", true}, ConditionCase{"!", false},
                    ConditionCase{"!1", false}, ConditionCase{"!!1", false}, ConditionCase{"!!Missing", true},
                    ConditionCase{"!!Mode", false}, ConditionCase{"Mode", true}, ConditionCase{"Zero", true},
                    ConditionCase{"Empty", false}, ConditionCase{"Missing", false}, ConditionCase{"!Missing", true},
                    ConditionCase{"Mode=Full", true}, ConditionCase{" Mode  =  full ", true},
                    ConditionCase{"Mode=Ful", false}, ConditionCase{"!Mode=full", false},
                    ConditionCase{"Mode==Full", false}, ConditionCase{"Missing=", true},
                    ConditionCase{"Empty =  ", true}, ConditionCase{"Mode=", false},
                    ConditionCase{"=Equals", true}, ConditionCase{"=Mode", false},
                    ConditionCase{"!=Equals", false}, ConditionCase{"Season=\xC3\x89T\xC3\x89", true},
                    ConditionCase{" 1", false}, ConditionCase{"Flag", true}, ConditionCase{"Flag=1", true}));

}  // namespace
}  // namespace qel
