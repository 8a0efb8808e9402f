#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/UtlPath.h"
#include "config/UtlXProperty.h"
#include "patch/LicenceDate.h"
#include "patch/LicenceRule.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "support/PackageBuilder.h"
#include "uimsg/UiTestSupport.h"

namespace qel::test {
namespace {

using platform::Hive;

constexpr const char* kLog = "C:\\run.log";

struct RegistryDate {
  std::string key;
  std::string date;
};

// A patch-only run whose log is started, with the registry dates written under HKLM.
class LicenceRun {
 public:
  LicenceRun(std::vector<PropertySeed> properties, const std::vector<RegistryDate>& dates = {})
      : ui_(WithLog(std::move(properties))) {
    StartLog();
    for (const auto& d : dates) {
      EXPECT_EQ(platform::WriteRegistryString(Hive::LocalMachine, d.key, "EulaDate", d.date), platform::kSuccess);
    }
  }
  std::string Required() const { return CUtlXProperty().GetProperty("EULA_IS_REQUIRED"); }
  std::string Log() const { return ReadLog(kLog); }
  TempMachine& Machine() { return ui_.machine; }

 private:
  static std::vector<PropertySeed> WithLog(std::vector<PropertySeed> properties) {
    properties.push_back({"QEL.LogFile", kLog});
    properties.push_back({"QEL.LogOptions", "v"});
    return properties;
  }
  UiMachine ui_;
};

TEST(LicenceDate, ParsesOnlyRealCalendarDays) {
  struct Case {
    std::string text;
    bool valid;
  } cases[] = {
      {"20200229", true},  {"19000101", true},  {"20201231", true},  {"202001011", true},
      {"20190229", false}, {"18991231", false}, {"20201301", false}, {"20200001", false},
      {"20200431", false}, {"20200100", false}, {"2020A101", false}, {"2020-1-1", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseLicenceDate(c.text).has_value(), c.valid) << c.text;
  }
  EXPECT_LT(*ParseLicenceDate("20191231"), *ParseLicenceDate("20200101"));
}

struct DateCase {
  const char* name;
  std::vector<PropertySeed> properties;
  std::vector<RegistryDate> dates;
  std::string required;
  bool show;
};

TEST(LicenceRule, DecidesByPresetModeAndRegistryDates) {
  const PropertySeed patchOnly{"QEL.PatchMode.Only", "1"};
  const std::vector<DateCase> cases = {
      {"preset 0 is kept without reading anything",
       {patchOnly, {"EULA_IS_REQUIRED", "0"}, {"EulaDate", "20300101"}, {"AppLMRegKey", "SOFTWARE\\A"}},
       {{"SOFTWARE\\A", "20100101"}}, "0", false},
      {"preset 1 is kept", {patchOnly, {"EULA_IS_REQUIRED", "1"}, {"EulaDate", "20100101"}, {"AppLMRegKey", "SOFTWARE\\A"}},
       {{"SOFTWARE\\A", "20300101"}}, "1", true},
      {"not patch-only shows", {{"EulaDate", "20100101"}, {"AppLMRegKey", "SOFTWARE\\A"}},
       {{"SOFTWARE\\A", "20300101"}}, "1", true},
      {"administrative run shows without comparing",
       {patchOnly, {"ACTION", "ADMIN"}, {"EulaDate", "20100101"}, {"AppLMRegKey", "SOFTWARE\\A"}},
       {{"SOFTWARE\\A", "20300101"}}, "1", true},
      {"logic disabled shows", {patchOnly, {"EulaLogicDisabled", "1"}, {"EulaDate", "20100101"}, {"AppLMRegKey", "SOFTWARE\\A"}},
       {{"SOFTWARE\\A", "20300101"}}, "1", true},
      {"equal dates skip", {patchOnly, {"EulaDate", "20200101"}, {"AppLMRegKey", "SOFTWARE\\A"}},
       {{"SOFTWARE\\A", "20200101"}}, "0", false},
      {"shipped earlier skips", {patchOnly, {"EulaDate", "20190101"}, {"AppLMRegKey", "SOFTWARE\\A"}},
       {{"SOFTWARE\\A", "20200101"}}, "0", false},
      {"shipped later shows", {patchOnly, {"EulaDate", "20200102"}, {"AppLMRegKey", "SOFTWARE\\A"}},
       {{"SOFTWARE\\A", "20200101"}}, "1", true},
      {"earliest of two keys counts", {patchOnly, {"EulaDate", "20200101"}, {"AppLMRegKey", "SOFTWARE\\A;SOFTWARE\\B"}},
       {{"SOFTWARE\\A", "20200101"}, {"SOFTWARE\\B", "20190101"}}, "1", true},
      {"short stored value is skipped", {patchOnly, {"EulaDate", "20200101"}, {"AppLMRegKey", "SOFTWARE\\A;SOFTWARE\\B"}},
       {{"SOFTWARE\\A", "2019"}, {"SOFTWARE\\B", "20200101"}}, "0", false},
      {"the list ends at an empty entry", {patchOnly, {"EulaDate", "20200101"}, {"AppLMRegKey", "SOFTWARE\\A;;SOFTWARE\\B"}},
       {{"SOFTWARE\\A", "20200101"}, {"SOFTWARE\\B", "20190101"}}, "0", false},
      {"no stored date shows", {patchOnly, {"EulaDate", "20200101"}, {"AppLMRegKey", "SOFTWARE\\Missing"}}, {}, "1", true},
      {"empty key list shows", {patchOnly, {"EulaDate", "20200101"}}, {}, "1", true},
      {"short shipped date shows", {patchOnly, {"EulaDate", "2020"}, {"AppLMRegKey", "SOFTWARE\\A"}},
       {{"SOFTWARE\\A", "20300101"}}, "1", true},
      {"stored value too long for the buffer is skipped",
       {patchOnly, {"EulaDate", "20200101"}, {"AppLMRegKey", "SOFTWARE\\A;SOFTWARE\\B"}},
       {{"SOFTWARE\\A", "2019010100"}, {"SOFTWARE\\B", "20200101"}}, "0", false},
  };
  for (const auto& c : cases) {
    LicenceRun run(c.properties, c.dates);
    EXPECT_EQ(ApplyLicenceRule(), c.show) << c.name;
    EXPECT_EQ(run.Required(), c.required) << c.name;
  }
}

TEST(LicenceRule, MalformedDateShowsTheAgreementAndSaysWhy) {
  {
    LicenceRun run({{"QEL.PatchMode.Only", "1"}, {"EulaDate", "20100101"}, {"AppLMRegKey", "SOFTWARE\\A"}},
                   {{"SOFTWARE\\A", "20201301"}});
    EXPECT_TRUE(ApplyLicenceRule());
    EXPECT_EQ(run.Required(), "1");
    EXPECT_NE(run.Log().find("Eula date '20201301' of HKLM\\SOFTWARE\\A is not a valid date-> Eula will be displayed"),
              std::string::npos)
        << run.Log();
  }
  {
    LicenceRun run({{"QEL.PatchMode.Only", "1"}, {"EulaDate", "20190230"}, {"AppLMRegKey", "SOFTWARE\\A"}},
                   {{"SOFTWARE\\A", "20300101"}});
    EXPECT_TRUE(ApplyLicenceRule());
    EXPECT_EQ(run.Required(), "1");
    EXPECT_NE(run.Log().find("Eula date '20190230' of the property EulaDate is not a valid date"), std::string::npos);
  }
}

constexpr const char* kProductCode = "{B2000000-0000-0000-0000-000000000001}";

// An installed product whose agreement file lies in its "docs" folder, and a shipped agreement
// in the language folder; the last-write times are set per case.
class LicenceFileRule : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    builder_ = new PackageBuilder();
    for (const char* name : {"main.txt", "tool.dat", "readme.txt", "extra.txt"}) builder_->AddSourceFile(name, name);
    package_ = builder_->Build("product", "eula.msi",
                               {{"ProductCode", kProductCode}, {"ProductName", "Eula Product"}, {"Version", "1.0.0"},
                                {"EmbedCab", "yes"}, {"Cabinet", "eula.cab"}});
  }
  static void TearDownTestSuite() {
    delete builder_;
    builder_ = nullptr;
  }

  // Installs the product, writes its key, the installed and the shipped agreement; answers the
  // installed agreement's desktop path.
  std::string Prepare(LicenceRun& run, bool writeInstalled, bool writeShipped) {
    EXPECT_EQ(platform::Installer().InstallProduct(platform::Files().FromHostPath(package_), ""), platform::kSuccess);
    std::string location;
    EXPECT_EQ(platform::Installer().GetProductInfo(kProductCode, "InstallLocation", location), platform::kSuccess);
    EXPECT_FALSE(location.empty());
    platform::WriteRegistryString(Hive::LocalMachine, "SOFTWARE\\Eula", "ProductCode", kProductCode);
    platform::WriteRegistryString(Hive::LocalMachine, "SOFTWARE\\Eula", "Eula", "D:\\build\\Licence.rtf");
    CUtlPath installed(location);
    installed.Append("docs").Append("Licence.rtf");
    if (writeInstalled) {
      EXPECT_EQ(platform::Files().WriteFile(installed, "installed"), platform::kSuccess);
    }
    if (writeShipped) {
      run.Machine().WriteHostFile(run.Machine().Root() + "/drive_c/Setup/Lang/EN/Licence.rtf", "shipped");
    }
    return installed.Text();
  }

  static std::vector<PropertySeed> FileRuleProperties() {
    return {{"QEL.PatchMode.Only", "1"}, {"AppLMRegKey", "SOFTWARE\\Eula"}, {"InstalledEulaPath", "docs"},
            {"QEL.Rt.Folder.Lang", "C:\\Setup\\Lang\\EN"}};
  }

  static PackageBuilder* builder_;
  static std::string package_;
};

PackageBuilder* LicenceFileRule::builder_ = nullptr;
std::string LicenceFileRule::package_;

TEST_F(LicenceFileRule, ComparesLastWriteTimes) {
  constexpr std::uint64_t kBase = 133'000'000'000'000'000;  // a day in 2022, in file-time ticks
  constexpr std::uint64_t kSecond = 10'000'000;
  struct Case {
    const char* name;
    std::uint64_t installedTicks;
    std::uint64_t shippedTicks;
    std::string required;
    bool olderLine;
  } cases[] = {
      {"equal times skip", kBase, kBase, "0", false},
      {"installed newer skips", kBase + kSecond, kBase, "0", false},
      {"installed older shows", kBase - kSecond, kBase, "1", true},
  };
  for (const auto& c : cases) {
    LicenceRun run(FileRuleProperties());
    const std::string installed = Prepare(run, true, true);
    ASSERT_EQ(platform::Files().SetLastWriteTime(installed, {c.installedTicks}), platform::kSuccess);
    ASSERT_EQ(platform::Files().SetLastWriteTime("C:\\Setup\\Lang\\EN\\Licence.rtf", {c.shippedTicks}), platform::kSuccess);

    EXPECT_EQ(ApplyLicenceRule(), c.required == "1") << c.name;
    EXPECT_EQ(run.Required(), c.required) << c.name;
    const std::string log = run.Log();
    EXPECT_NE(log.find("Eula Installed: " + installed + "\r\n"), std::string::npos) << c.name << log;
    EXPECT_NE(log.find("Eula Shipped: C:\\Setup\\Lang\\EN\\Licence.rtf\r\n"), std::string::npos) << c.name;
    EXPECT_EQ(log.find("Installed eula is older than shipped-> Eula will be displayed") != std::string::npos,
              c.olderLine)
        << c.name;
    EXPECT_EQ(log.find("not found"), std::string::npos) << c.name;
  }
}

TEST_F(LicenceFileRule, MissingFilesShowTheAgreement) {
  {
    LicenceRun run(FileRuleProperties());
    Prepare(run, false, true);
    EXPECT_TRUE(ApplyLicenceRule());
    EXPECT_EQ(run.Required(), "1");
    EXPECT_NE(run.Log().find("Installed eula not found-> Eula will be displayed"), std::string::npos);
  }
  {
    LicenceRun run(FileRuleProperties());
    Prepare(run, true, false);
    EXPECT_TRUE(ApplyLicenceRule());
    EXPECT_EQ(run.Required(), "1");
    EXPECT_NE(run.Log().find("ShippedEula eula not found-> Eula will be displayed"), std::string::npos);
  }
}

TEST_F(LicenceFileRule, MissingKeyValuesShowWithoutLooking) {
  LicenceRun run(std::vector<PropertySeed>{{"QEL.PatchMode.Only", "1"}, {"AppLMRegKey", "SOFTWARE\\Nothing"}});
  EXPECT_TRUE(ApplyLicenceRule());
  EXPECT_EQ(run.Required(), "1");
  EXPECT_EQ(run.Log().find("Eula Installed"), std::string::npos);
}

}  // namespace
}  // namespace qel::test
