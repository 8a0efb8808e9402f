#include <gtest/gtest.h>

#include "app/StringTable.h"

namespace qel {
namespace {

constexpr unsigned kTranslations[] = {1031, 1034, 1035, 1053, 1029, 1036, 1038, 1040, 1043, 1045, 1046, 1049};
constexpr unsigned kPickerLanguages[] = {1033, 1031, 1036, 1034, 1040, 1046, 1041, 2052, 1028,
                                         1029, 1045, 1043, 1042, 1049, 1038, 1035, 1053};

TEST(StringTableTest, EnglishTexts) {
  EXPECT_EQ(LoadStringResource(103, 1033), "Setup.xml could not be loaded. This may indicate that the file is corrupt.");
  EXPECT_EQ(LoadStringResource(104, 1033),
            "The path to the language folder could not be resolved, setup cannot continue.");
  EXPECT_EQ(LoadStringResource(105, 1033), "Setup");
  EXPECT_EQ(LoadStringResource(106, 1033), "Choose the language for the installation wizard.");
  EXPECT_EQ(LoadStringResource(1046, 1033), "Brazilian Portuguese");
}

TEST(StringTableTest, EveryTranslationHasItsOwnStartupTextsAndAllNames) {
  for (unsigned language : kTranslations) {
    for (unsigned id : {103u, 104u, 106u}) {
      const auto text = LoadStringResource(id, language);
      ASSERT_TRUE(text) << language << " " << id;
      EXPECT_NE(*text, *LoadStringResource(id, 1033)) << language << " " << id << " is not translated";
    }
    for (unsigned name : kPickerLanguages) EXPECT_TRUE(LoadStringResource(name, language)) << language;
  }
}

TEST(StringTableTest, FallsBackByPrimaryLanguageThenEnglish) {
  EXPECT_EQ(LoadStringResource(1031, 2055), LoadStringResource(1031, 1031));  // Swiss German
  EXPECT_EQ(LoadStringResource(105, 1041), "Setup");                         // Japanese: English
  EXPECT_FALSE(LoadStringResource(999, 1033));
}

}  // namespace
}  // namespace qel
