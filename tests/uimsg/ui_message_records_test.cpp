#include <gtest/gtest.h>

#include "uimsg/UiMessageRecords.h"

namespace qel {
namespace {

struct ProgressCase {
  const char* text;
  bool parsed;
  std::array<std::int32_t, 4> fields;  // after parsing over {9, 8, 7, 6}
};

TEST(ProgressRecord, ParsesTheFieldsItsKindCarries) {
  const ProgressCase cases[] = {
      {"1: 0 2: 1000 3: 0 4: 1 ", true, {0, 1000, 0, 1}},
      {"1: 0 2: 0 3: 0 4: 1 ", true, {0, 0, 0, 1}},
      {"1: 2 2: 1 3: 0 4: 0 ", true, {2, 1, 7, 6}},      // kind 2 stops after field 2
      {"1: 3 2: 250 3: 5 4: 5", true, {3, 250, 7, 6}},   // kind 3 too
      {"1: 1 2: 1 3: 1 4: 0 ", true, {1, 1, 1, 6}},      // kind 1 stops after field 3
      {"1: 9 2: 0 3: 0 4: 0", true, {9, 0, 0, 0}},
      {"1: 0 2: -40", true, {0, -40, 7, 6}},             // ends early: the rest keeps its values
      {"2: 55 ", true, {9, 55, 7, 6}},                   // no kind: the previous one stays
      {"", false, {9, 8, 7, 6}},
      {"x: 1", false, {9, 8, 7, 6}},
      {"1: x 2: 5", false, {9, 8, 7, 6}},
      {"5: 1", false, {9, 8, 7, 6}},
      {"1: 0 2: 99999999999 3: 0 4: 0", true, {0, 0, 0, 0}},  // out of range reads as 0
  };
  for (const auto& c : cases) {
    ProgressFields fields;
    fields.field = {9, 8, 7, 6};
    EXPECT_EQ(ParseProgressRecord(c.text, fields), c.parsed) << c.text;
    EXPECT_EQ(fields.field, c.fields) << c.text;
  }
}

TEST(CommonData, IgnoresBlanksAndSplitsByFieldLabels) {
  struct Case {
    const char* text;
    std::array<std::string, 4> fields;
  };
  const Case cases[] = {
      {"1:2 2:0", {"2", "0", "", ""}},
      {"1: 2 2: 1", {"2", "1", "", ""}},
      {"1:1 2:1033 3:1252 4:x", {"1", "1033", "1252", "x"}},
      {"junk 1:2", {"2", "", "", ""}},
      {"1:2 9:zz 2:1", {"2", "1", "", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseCommonData(c.text), c.fields) << c.text;
}

TEST(ActionStart, SplitsPrefixNameAndDescription) {
  struct Case {
    const char* text;
    const char* prefix;
    const char* name;
    const char* description;
  };
  const Case cases[] = {
      {"Action 16:54:12: InstallFiles. Copying new files", "Action 16:54:12:", "InstallFiles",
       "Copying new files"},
      {"Action 16:54:12: CostFinalize", "Action 16:54:12:", "CostFinalize", ""},
      {"Action 1: Name..  Lead blanks", "Action 1:", "Name", "Lead blanks"},
      {"no colon here", "no colon here", "", ""},
  };
  for (const auto& c : cases) {
    const ActionStartText split = SplitActionStart(c.text);
    EXPECT_EQ(split.prefix, c.prefix) << c.text;
    EXPECT_EQ(split.name, c.name) << c.text;
    EXPECT_EQ(split.description, c.description) << c.text;
  }
}

}  // namespace
}  // namespace qel
