#include <gtest/gtest.h>

#include <string>

#include "config/XMLFileManagerInterface.h"
#include "support/TempMachine.h"

namespace qel {
namespace {

struct LanguageCase {
  const char* configured;
  int expected;
};
class GetOsLanguageTest : public testing::TestWithParam<LanguageCase> {};

TEST_P(GetOsLanguageTest, AnswersThePrimaryLanguageOrTraditionalChinese) {
  test::TempMachine machine;
  machine.WriteMachineConf(std::string("language=") + GetParam().configured + "\n");
  EXPECT_EQ(GetOsLanguage(), GetParam().expected) << GetParam().configured;
}

INSTANTIATE_TEST_SUITE_P(Cases, GetOsLanguageTest,
                         testing::Values(LanguageCase{"1033", 9}, LanguageCase{"2057", 9}, LanguageCase{"1031", 7},
                                         LanguageCase{"1028", 31748}, LanguageCase{"3076", 31748},
                                         LanguageCase{"5124", 31748}, LanguageCase{"2052", 4},
                                         LanguageCase{"4100", 4}));

}  // namespace
}  // namespace qel
