#include <gtest/gtest.h>

#include <filesystem>

#include "app/LanguagePickerModel.h"
#include "app/RuntimeFolders.h"
#include "config/UtlXProperty.h"
#include "platform/LanguagePicker.h"
#include "platform/Platform.h"
#include "support/TempMachine.h"

namespace qel {
namespace {

namespace fs = std::filesystem;

// Answers as a user would and remembers what it was shown.
class ScriptedPicker final : public platform::ILanguagePicker {
 public:
  ScriptedPicker(std::optional<std::size_t> answer, std::vector<std::string>* shown) : answer_(answer), shown_(shown) {}
  std::optional<std::size_t> Pick(const std::string&, const std::string&, const std::vector<platform::LanguageOption>& options,
                                  std::size_t selected) override {
    for (const auto& option : options) shown_->push_back(option.name);
    EXPECT_EQ(selected, 0u);
    return answer_;
  }

 private:
  std::optional<std::size_t> answer_;
  std::vector<std::string>* shown_;
};

class LanguageFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    machine_.WriteMachineConf("language=fr_FR\n");
    machine_.WriteHostFile(machine_.Root() + "/drive_c/Setup/Setup.xml",
                           "<QEL><Properties><Property name=\"QEL.UILevel\" value=\"5\"/></Properties></QEL>");
    ASSERT_TRUE(LoadRuntimeFolders("C:\\Setup\\Setup.exe"));
  }
  void TearDown() override { platform::SetLanguagePicker(nullptr); }

  void Languages(std::initializer_list<const char*> codes) const {
    for (const char* code : codes) fs::create_directories(machine_.Root() + "/drive_c/Setup/Lang/" + code);
  }
  std::string Choose(LanguageFolderChoice expected = LanguageFolderChoice::kChosen) {
    EXPECT_EQ(ChooseLanguageFolder(properties_, 1033), expected);
    return properties_.GetProperty("QEL.Rt.Folder.Lang");
  }
  std::string RootLang() const { return CXMLFileManagerInterface().GetAttributeSingleNode("/QEL", "lang"); }

  test::TempMachine machine_;
  CUtlXProperty properties_;
  std::vector<std::string> shown_;
};

TEST_F(LanguageFolderTest, PublishesTheProgramFolders) {
  EXPECT_EQ(properties_.GetProperty("QEL.Rt.Folder"), "C:\\Setup\\");
  EXPECT_EQ(properties_.GetProperty("SETUP.EXE.DIR"), "C:\\Setup\\");
  EXPECT_EQ(properties_.GetProperty("QEL.Rt.Folder.Root"), "C:\\Setup\\");
  EXPECT_EQ(properties_.GetProperty("QEL.Rt.Setup.xml"), "C:\\Setup\\Setup.xml");
  EXPECT_EQ(properties_.GetProperty("QEL.Rt.Setup.exe"), "C:\\Setup\\Setup.exe");
}

TEST_F(LanguageFolderTest, MissingSetupXmlSetsNothing) {
  EXPECT_FALSE(LoadRuntimeFolders("C:\\Elsewhere\\Setup.exe"));
}

TEST_F(LanguageFolderTest, SetupLangWinsWithoutPicker) {
  Languages({"DE", "EN", "FR"});
  properties_.SetProperty("SETUP_LANG", "DE");
  EXPECT_EQ(Choose(), "C:\\Setup\\Lang\\DE\\");
  EXPECT_EQ(RootLang(), "DE");
  EXPECT_EQ(properties_.GetProperty("QEL.Rt.OS.LanguageCode"), "FR");
}

TEST_F(LanguageFolderTest, NoWishBecomesDefault) {
  Languages({"default", "EN", "DE"});
  EXPECT_EQ(Choose(), "C:\\Setup\\Lang\\default\\");
  EXPECT_EQ(RootLang(), "default");
}

TEST_F(LanguageFolderTest, UseOsTakesTheSystemLanguage) {
  Languages({"FR", "EN"});
  properties_.SetProperty("SETUP_LANG", "use_os");
  EXPECT_EQ(Choose(), "C:\\Setup\\Lang\\FR\\");
}

TEST_F(LanguageFolderTest, UnknownSystemLanguageFallsBack) {
  machine_.WriteMachineConf("language=1066\n");  // Vietnamese has no code here
  Languages({"EN", "DE"});
  properties_.SetProperty("SETUP_LANG", "use_os");
  properties_.SetUILevel(3);
  EXPECT_EQ(Choose(), "C:\\Setup\\Lang\\EN\\");
  EXPECT_EQ(properties_.GetProperty("QEL.Rt.OS.LanguageCode"), "XX");
}

TEST_F(LanguageFolderTest, OnlyFolderIsUsedWhateverTheWish) {
  Languages({"IT"});
  properties_.SetProperty("SETUP_LANG", "DE");
  EXPECT_EQ(Choose(), "C:\\Setup\\Lang\\IT\\");
}

TEST_F(LanguageFolderTest, BelowFullUiWithoutEnglishTakesTheFirstListed) {
  Languages({"NL"});
  properties_.SetUILevel(3);
  properties_.SetProperty("SETUP_LANG", "JP");
  Languages({"PL"});
  const std::string chosen = Choose();
  EXPECT_TRUE(chosen == "C:\\Setup\\Lang\\NL\\" || chosen == "C:\\Setup\\Lang\\PL\\") << chosen;
}

TEST_F(LanguageFolderTest, FullUiShowsThePickerSortedByName) {
  Languages({"FR", "DE", "EN", "XY"});
  properties_.SetProperty("SETUP_LANG", "JP");
  platform::SetLanguagePicker(std::make_unique<ScriptedPicker>(1, &shown_));
  EXPECT_EQ(Choose(), "C:\\Setup\\Lang\\FR\\");
  EXPECT_EQ(shown_, (std::vector<std::string>{"English", "French", "German"}));
  EXPECT_EQ(properties_.GetProperty("LanguagePicker_LangPicked"), "FR");
}

TEST_F(LanguageFolderTest, FullUiWithAnExistingWishShowsNoPicker) {
  Languages({"FR", "DE"});
  properties_.SetProperty("SETUP_LANG", "DE");
  platform::SetLanguagePicker(std::make_unique<ScriptedPicker>(std::nullopt, &shown_));
  EXPECT_EQ(Choose(), "C:\\Setup\\Lang\\DE\\");
  EXPECT_TRUE(shown_.empty());
}

TEST_F(LanguageFolderTest, CancelledPicker) {
  Languages({"FR", "DE"});
  platform::SetLanguagePicker(std::make_unique<ScriptedPicker>(std::nullopt, &shown_));
  Choose(LanguageFolderChoice::kCancelled);
}

TEST_F(LanguageFolderTest, NoLanguageFolderAtAll) {
  properties_.SetProperty("SETUP_LANG", "EN");
  Choose(LanguageFolderChoice::kNotFound);
}

TEST(LanguagePickerModelTest, NamesInTheUserInterfaceLanguage) {
  test::TempMachine machine;
  for (const char* code : {"EN", "DE", "SV"}) fs::create_directories(machine.Root() + "/drive_c/S/Lang/" + code);
  const auto model = LanguagePickerModel::ForSetupFolder("C:\\S\\", 1031);
  ASSERT_EQ(model.options.size(), 3u);
  EXPECT_EQ(model.options[0].name, "Deutsch");
  EXPECT_EQ(model.options[1].name, "Englisch");
  EXPECT_EQ(model.options[2].name, "Schwedisch");
  EXPECT_EQ(model.CodeAt(2), "SV");
  EXPECT_EQ(model.CodeAt(9), "");
}

}  // namespace
}  // namespace qel
