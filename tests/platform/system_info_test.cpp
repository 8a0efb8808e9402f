#include <gtest/gtest.h>
#include <stdlib.h>

#include <ctime>
#include <filesystem>
#include <map>
#include <regex>
#include <set>

#include "platform/FileService.h"
#include "platform/LocaleLanguage.h"
#include "platform/Platform.h"
#include "platform/SystemInfo.h"
#include "support/TempMachine.h"

namespace qel::platform {
namespace {

using test::TempMachine;

// Sets locale variables for one test and puts the old values back.
class ScopedEnvironment {
 public:
  void Set(const char* name, const char* value) {
    if (!saved_.count(name)) {
      const char* old = std::getenv(name);
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

struct LocaleCase {
  const char* locale;
  std::optional<std::uint16_t> id;
};

class LocaleLanguageTest : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(LocaleLanguageTest, MapsTheLocaleToTheDesktopLanguageId) {
  EXPECT_EQ(LanguageIdFromLocale(GetParam().locale), GetParam().id) << GetParam().locale;
}

INSTANTIATE_TEST_SUITE_P(
    Locales, LocaleLanguageTest,
    ::testing::Values(LocaleCase{"en_US.UTF-8", 1033}, LocaleCase{"C", 1033}, LocaleCase{"POSIX", 1033},
                      LocaleCase{"C.UTF-8", 1033}, LocaleCase{"en_GB", 2057}, LocaleCase{"de_DE.UTF-8@euro", 1031},
                      LocaleCase{"de_AT", 3079}, LocaleCase{"de_LU", 4103}, LocaleCase{"de_BE", 1031},
                      LocaleCase{"es_ES", 3082}, LocaleCase{"fi_FI", 1035}, LocaleCase{"sv_SE", 1053},
                      LocaleCase{"cs_CZ", 1029}, LocaleCase{"fr_FR", 1036}, LocaleCase{"fr_CA", 3084},
                      LocaleCase{"hu_HU", 1038}, LocaleCase{"it_IT", 1040}, LocaleCase{"nl_NL", 1043},
                      LocaleCase{"pl_PL", 1045}, LocaleCase{"pt_BR", 1046}, LocaleCase{"pt_PT", 2070},
                      LocaleCase{"pt", 1046}, LocaleCase{"ru_RU.KOI8-R", 1049}, LocaleCase{"ja_JP.eucJP", 1041},
                      LocaleCase{"zh_CN.GB18030", 2052}, LocaleCase{"zh_TW.Big5", 1028}, LocaleCase{"zh_HK", 3076},
                      LocaleCase{"zh", 2052}, LocaleCase{"ko_KR", 1042}, LocaleCase{"DE-ch", 2055},
                      LocaleCase{"xx_YY", std::nullopt}, LocaleCase{"", std::nullopt}, LocaleCase{".UTF-8", std::nullopt}));

class SystemInfoTest : public ::testing::Test {
 protected:
  void SetLocale(const char* all, const char* messages, const char* lang) {
    environment.Set("LC_ALL", all);
    environment.Set("LC_MESSAGES", messages);
    environment.Set("LANG", lang);
  }

  ScopedEnvironment environment;
  TempMachine machine;
};

TEST_F(SystemInfoTest, SystemLanguageComesFromTheFirstLocaleVariableThatIsSet) {
  SetLocale(nullptr, nullptr, nullptr);
  EXPECT_EQ(SystemInfo().SystemLanguage(), 1033);
  SetLocale(nullptr, nullptr, "de_DE.UTF-8");
  EXPECT_EQ(SystemInfo().SystemLanguage(), 1031);
  SetLocale(nullptr, "zh_TW.UTF-8", "de_DE.UTF-8");
  EXPECT_EQ(SystemInfo().SystemLanguage(), 1028);
  SetLocale("fi_FI", "zh_TW.UTF-8", "de_DE.UTF-8");
  EXPECT_EQ(SystemInfo().SystemLanguage(), 1035);
  EXPECT_EQ(SystemInfo().UserInterfaceLanguage(), 1035);
  SetLocale("", "", "tlh_XX");  // empty counts as unset; an unknown language is US English
  EXPECT_EQ(SystemInfo().SystemLanguage(), 1033);
}

TEST_F(SystemInfoTest, TheMachineConfigurationOverridesTheLocale) {
  SetLocale("fi_FI", nullptr, nullptr);
  machine.WriteMachineConf("language=1036\n");
  EXPECT_EQ(SystemInfo().SystemLanguage(), 1036);
  EXPECT_EQ(SystemInfo().UserInterfaceLanguage(), 1036);
  machine.WriteMachineConf("language=pt_BR\nui_language=1041\n");
  EXPECT_EQ(SystemInfo().SystemLanguage(), 1046);
  EXPECT_EQ(SystemInfo().UserInterfaceLanguage(), 1041);
}

TEST_F(SystemInfoTest, ProgramPathIsThePathItWasStartedByNotTheLinkTarget) {
  namespace fs = std::filesystem;
  const fs::path real = fs::path(machine.Root()) / "drive_c" / "real" / "Setup.exe";
  const fs::path link = fs::path(machine.Root()) / "drive_c" / "Media" / "Setup.exe";
  machine.WriteHostFile(real.string(), "program");
  fs::create_directories(link.parent_path());
  fs::create_symlink(real, link);

  SystemInfo().SetProgramPath(link.string());
  EXPECT_EQ(SystemInfo().ProgramPath(), "C:\\Media\\Setup.exe");

  SystemInfo().SetProgramPath((fs::path(machine.Root()) / "drive_c" / "real" / ".." / "." / "Media" / "Setup.exe").string());
  EXPECT_EQ(SystemInfo().ProgramPath(), "C:\\Media\\Setup.exe");

  const fs::path before = fs::current_path();
  fs::current_path(fs::path(machine.Root()) / "drive_c");
  SystemInfo().SetProgramPath("./Media//Setup.exe");
  fs::current_path(before);
  EXPECT_EQ(SystemInfo().ProgramPath(), "C:\\Media\\Setup.exe");
}

TEST_F(SystemInfoTest, WithoutAnArgumentZeroTheProgramIsTheRunningExecutable) {
  SystemInfo().SetProgramPath("");
  const std::string program = SystemInfo().ProgramPath();
  EXPECT_EQ(program.rfind("Z:\\", 0), 0u) << program;
  EXPECT_NE(program.find("test_platform"), std::string::npos) << program;
}

TEST_F(SystemInfoTest, ABareProgramNameIsLookedUpOnPath) {
  namespace fs = std::filesystem;
  const fs::path bin = fs::path(machine.Root()) / "drive_c" / "Tools";
  machine.WriteHostFile((bin / "Setup.exe").string(), "program");
  fs::permissions(bin / "Setup.exe", fs::perms::owner_exec, fs::perm_options::add);
  environment.Set("PATH", (std::string("/nonexistent:") + bin.string()).c_str());
  SystemInfo().SetProgramPath("Setup.exe");
  EXPECT_EQ(SystemInfo().ProgramPath(), "C:\\Tools\\Setup.exe");
}

TEST_F(SystemInfoTest, GuidsAreNewBracedUpperCaseStrings) {
  const std::regex form("\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}");
  std::set<std::string> seen;
  for (int i = 0; i < 100; ++i) {
    std::optional<std::string> guid = SystemInfo().NewGuid();
    ASSERT_TRUE(guid.has_value());
    EXPECT_TRUE(std::regex_match(*guid, form)) << *guid;
    seen.insert(*guid);
  }
  EXPECT_EQ(seen.size(), 100u);
}

TEST_F(SystemInfoTest, ARestartRequestIsRecordedInTheMachineRootOnly) {
  ASSERT_EQ(SystemInfo().RequestRestart(), kSuccess);
  ASSERT_EQ(SystemInfo().RequestRestart(), kSuccess);
  std::optional<std::string> record = machine.ReadHostFile(machine.Root() + "/restart-requested");
  ASSERT_TRUE(record.has_value());
  const std::regex twoLines("(\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\n){2}");
  EXPECT_TRUE(std::regex_match(*record, twoLines)) << *record;
}

TEST_F(SystemInfoTest, TempFolderIsTheUsersTemporaryFolder) {
  EXPECT_EQ(SystemInfo().TempFolder(), Files().TempFolder());
  EXPECT_EQ(SystemInfo().TempFolder().back(), '\\');
}

TEST_F(SystemInfoTest, NowIsTheLocalTimeOfTheCLibrary) {
  auto localMinute = [] {
    std::time_t now = std::time(nullptr);
    std::tm local = *std::localtime(&now);
    return std::vector<int>{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_wday, local.tm_hour, local.tm_min};
  };
  const std::vector<int> before = localMinute();
  const LocalTime now = SystemInfo().Now();
  const std::vector<int> after = localMinute();
  const std::vector<int> ours{now.year, now.month, now.day, now.dayOfWeek, now.hour, now.minute};
  EXPECT_TRUE(ours == before || ours == after);
  EXPECT_TRUE(now.second >= 0 && now.second <= 60);
  EXPECT_TRUE(now.millisecond >= 0 && now.millisecond <= 999);
}

}  // namespace
}  // namespace qel::platform
