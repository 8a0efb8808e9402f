#include <gtest/gtest.h>

#include "InstallerTestBase.h"
#include "platform/Platform.h"

namespace qel::test {
namespace {

using namespace qel::platform;

const std::string kFolder = kSampleFolder;

TEST_F(InstallerTest, FirstInstallLaysOutDefaultFeaturesAndRegistersTheProduct) {
  std::string msi = BuildSample();
  ASSERT_FALSE(msi.empty());
  EXPECT_EQ(Installer().QueryProductState(kSampleCode), kProductStateUnknown);

  ASSERT_EQ(Installer().InstallProduct(msi, "ALLUSERS=1"), kSuccess);

  EXPECT_EQ(Read(kFolder + "main.txt"), "main payload\n");
  EXPECT_EQ(Read(kFolder + "bin\\tool.dat"), std::string(5000, 'x'));
  EXPECT_EQ(Read(kFolder + "docs\\readme.txt"), "read me\n");
  EXPECT_FALSE(Exists(kFolder + "extras\\extra.txt"));  // level 3 above INSTALLLEVEL 1
  EXPECT_EQ(Installer().QueryProductState(kSampleCode), kProductStateDefault);

  std::string value;
  EXPECT_EQ(Installer().GetProductInfo(kSampleCode, "ProductName", value), kSuccess);
  EXPECT_EQ(value, "Qel Sample");
  Installer().GetProductInfo(kSampleCode, "VersionString", value);
  EXPECT_EQ(value, "1.0.0");
  Installer().GetProductInfo(kSampleCode, "InstallLocation", value);
  EXPECT_EQ(value, kFolder);
  Installer().GetProductInfo(kSampleCode, "PackageName", value);
  EXPECT_EQ(value, "sample.msi");
  Installer().GetProductInfo(kSampleCode, "InstallSource", value);
  EXPECT_EQ(value, msi.substr(0, msi.size() - std::string("sample.msi").size()));
  Installer().GetProductInfo(kSampleCode, "LocalPackage", value);
  EXPECT_TRUE(Exists(value)) << value;
  EXPECT_EQ(Installer().GetProductInfo(kSampleCode, "NoSuchAttribute", value), 1608u);
  EXPECT_EQ(Installer().GetProductInfo(kOtherCode, "ProductName", value), kUnknownProduct);

  EXPECT_EQ(Installer().QueryFeatureState(kSampleCode, "Main"), kFeatureStateLocal);
  EXPECT_EQ(Installer().QueryFeatureState(kSampleCode, "Extras"), kFeatureStateAbsent);
  EXPECT_EQ(Installer().QueryFeatureState(kSampleCode, "Nope"), kFeatureStateUnknown);
  std::string code, feature, parent;
  EXPECT_EQ(Installer().EnumProducts(0, code), kSuccess);
  EXPECT_EQ(code, kSampleCode);
  EXPECT_EQ(Installer().EnumProducts(1, code), kErrorNoMoreItems);
  EXPECT_EQ(Installer().EnumFeatures(kSampleCode, 2, feature, parent), kSuccess);
  EXPECT_EQ(feature, "Extras");
  EXPECT_EQ(Installer().EnumFeatures(kSampleCode, 3, feature, parent), kErrorNoMoreItems);
}

TEST_F(InstallerTest, InspectorShowsProductsFeaturesAndFilesFromANewProcess) {
  std::string msi = BuildSample();
  ASSERT_EQ(Installer().InstallProduct(msi, ""), kSuccess);

  auto products = Inspect("products");
  EXPECT_EQ(products.exitCode, 0);
  EXPECT_EQ(products.out, std::string(kSampleCode) + "\tinstalled\tQel Sample\t1.0.0\t" + kFolder + "\n");

  auto features = Inspect(std::string("features '") + kSampleCode + "'");
  EXPECT_EQ(features.out, "Main\tlocal\nDocs\tlocal\nExtras\tabsent\n");

  auto files = Inspect(std::string("files '") + kSampleCode + "'");
  EXPECT_EQ(files.out, kFolder + "main.txt\n" + kFolder + "bin\\tool.dat\n" + kFolder + "docs\\readme.txt\n");

  auto unknown = Inspect(std::string("files '") + kOtherCode + "'");
  EXPECT_NE(unknown.exitCode, 0);
  EXPECT_NE(unknown.err.find("unknown product"), std::string::npos);
  EXPECT_TRUE(unknown.out.empty());
}

struct FeatureCase {
  const char* name;
  const char* commandLine;
  bool extras;
  bool docs;
};

class FeatureChoiceTest : public InstallerTest, public ::testing::WithParamInterface<FeatureCase> {};

TEST_P(FeatureChoiceTest, LevelConditionsAndListsChooseTheFeatures) {
  std::string msi = BuildSample();
  ASSERT_TRUE(builder_.AddConditions(HostOf(msi), {{"Extras", 1, "EXTRAS = 1 OR (MODE=\"full\" AND NOT SKIP)"}}));
  ASSERT_EQ(Installer().InstallProduct(msi, GetParam().commandLine), kSuccess);
  EXPECT_EQ(Exists(kFolder + "extras\\extra.txt"), GetParam().extras);
  EXPECT_EQ(Exists(kFolder + "docs\\readme.txt"), GetParam().docs);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FeatureChoiceTest,
    ::testing::Values(FeatureCase{"Default", "", false, true},
                      FeatureCase{"ConditionRow", "EXTRAS=1", true, true},
                      FeatureCase{"ConditionWithStringAndNot", "MODE=full", true, true},
                      FeatureCase{"ConditionNotHolding", "MODE=full SKIP=1", false, true},
                      FeatureCase{"InstallLevel", "INSTALLLEVEL=3", true, true},
                      FeatureCase{"AddLocalInstallsOnlyThoseNamed", "ADDLOCAL=Main,Extras", true, false},
                      FeatureCase{"AddLocalAll", "ADDLOCAL=ALL", true, true},
                      FeatureCase{"AllButRemoved", "ADDLOCAL=ALL REMOVE=Docs", true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InstallerTest, RepairRestoresADeletedFile) {
  std::string msi = BuildSample();
  ASSERT_EQ(Installer().InstallProduct(msi, ""), kSuccess);
  ASSERT_EQ(Files().DeleteFile(kFolder + "bin\\tool.dat"), kSuccess);
  // A file the user changed is left alone by "omus": only what is missing comes back.
  ASSERT_EQ(Files().WriteFile(kFolder + "main.txt", "edited"), kSuccess);

  ASSERT_EQ(Installer().InstallProduct(msi, "REINSTALL=ALL REINSTALLMODE=omus"), kSuccess);

  EXPECT_EQ(Read(kFolder + "bin\\tool.dat"), std::string(5000, 'x'));
  EXPECT_EQ(Read(kFolder + "main.txt"), "edited");

  ASSERT_EQ(Installer().InstallProduct(msi, "REINSTALL=Main REINSTALLMODE=amus"), kSuccess);
  EXPECT_EQ(Read(kFolder + "main.txt"), "main payload\n");
}

TEST_F(InstallerTest, ConfigureProductRepairsFromTheSourceAndRemovesWithoutIt) {
  std::string msi = BuildSample();
  ASSERT_EQ(Installer().InstallProduct(msi, ""), kSuccess);
  // The machine keeps the package without its embedded cabinet: files come from the source.
  ASSERT_EQ(Files().DeleteFile(kFolder + "docs\\readme.txt"), kSuccess);
  EXPECT_EQ(Installer().ConfigureProduct(kSampleCode, 0, kFeatureStateDefault, "REINSTALL=ALL REINSTALLMODE=omus"),
            kSuccess);
  EXPECT_EQ(Read(kFolder + "docs\\readme.txt"), "read me\n");

  // Without the source a missing file cannot come back; the product stays as it was.
  ASSERT_EQ(Files().DeleteFile(msi), kSuccess);
  ASSERT_EQ(Files().DeleteFile(kFolder + "docs\\readme.txt"), kSuccess);
  EXPECT_EQ(Installer().ConfigureProduct(kSampleCode, 0, kFeatureStateDefault, "REINSTALL=ALL REINSTALLMODE=omus"),
            kInstallFailure);
  EXPECT_FALSE(Exists(kFolder + "docs\\readme.txt"));
  EXPECT_EQ(Installer().QueryProductState(kSampleCode), kProductStateDefault);
  EXPECT_EQ(Installer().ConfigureProduct(kOtherCode, 0, kFeatureStateDefault, ""), kUnknownProduct);

  EXPECT_EQ(Installer().ConfigureProduct(kSampleCode, 0, kFeatureStateAbsent, ""), kSuccess);
  EXPECT_EQ(Installer().QueryProductState(kSampleCode), kProductStateUnknown);
  EXPECT_FALSE(Exists(kFolder));
}

TEST_F(InstallerTest, FeatureChangeAddsAndRemovesFiles) {
  std::string msi = BuildSample();
  ASSERT_EQ(Installer().InstallProduct(msi, ""), kSuccess);

  ASSERT_EQ(Installer().InstallProduct(msi, "ADDLOCAL=Extras REMOVE=Docs"), kSuccess);

  EXPECT_EQ(Read(kFolder + "extras\\extra.txt"), "extra payload\n");
  EXPECT_FALSE(Exists(kFolder + "docs\\readme.txt"));
  EXPECT_FALSE(Exists(kFolder + "docs"));
  EXPECT_TRUE(Exists(kFolder + "main.txt"));
  EXPECT_EQ(Inspect(std::string("features '") + kSampleCode + "'").out,
            "Main\tlocal\nDocs\tabsent\nExtras\tlocal\n");
  EXPECT_EQ(Inspect(std::string("files '") + kSampleCode + "'").out,
            kFolder + "main.txt\n" + kFolder + "bin\\tool.dat\n" + kFolder + "extras\\extra.txt\n");
}

TEST_F(InstallerTest, RemovalTakesFilesFoldersAndRegistrationAway) {
  std::string msi = BuildSample();
  ASSERT_EQ(Installer().InstallProduct(msi, ""), kSuccess);
  std::string localPackage;
  Installer().GetProductInfo(kSampleCode, "LocalPackage", localPackage);
  // A file the product did not install keeps its folder.
  ASSERT_EQ(Files().WriteFile(kFolder + "bin\\user.cfg", "mine"), kSuccess);

  ASSERT_EQ(Installer().InstallProduct(msi, "REMOVE=ALL"), kSuccess);

  EXPECT_FALSE(Exists(kFolder + "main.txt"));
  EXPECT_FALSE(Exists(kFolder + "docs"));
  EXPECT_EQ(Read(kFolder + "bin\\user.cfg"), "mine");
  EXPECT_TRUE(Exists("C:\\Program Files"));
  EXPECT_FALSE(Exists(localPackage));
  EXPECT_EQ(Installer().QueryProductState(kSampleCode), kProductStateUnknown);
  EXPECT_EQ(Inspect("products").out, "");

  ASSERT_EQ(Files().DeleteFile(kFolder + "bin\\user.cfg"), kSuccess);
  ASSERT_EQ(Installer().InstallProduct(msi, ""), kSuccess);
  ASSERT_EQ(Installer().InstallProduct(msi, "REMOVE=ALL"), kSuccess);
  EXPECT_FALSE(Exists(kFolder));
}

TEST_F(InstallerTest, TwoProductsSideBySide) {
  std::string first = BuildSample();
  BuildOptions other;
  other.output = "other.msi";
  other.productCode = kOtherCode;
  other.productName = "Qel Other";
  other.version = "2.5.0";
  std::string second = BuildSample(other);
  ASSERT_EQ(Installer().InstallProduct(first, ""), kSuccess);
  ASSERT_EQ(Installer().InstallProduct(second, ""), kSuccess);

  EXPECT_EQ(Inspect("products").out,
            std::string(kSampleCode) + "\tinstalled\tQel Sample\t1.0.0\t" + kFolder + "\n" + kOtherCode +
                "\tinstalled\tQel Other\t2.5.0\tC:\\Program Files\\Qel Other\\\n");

  ASSERT_EQ(Installer().InstallProduct(first, "REMOVE=ALL"), kSuccess);
  EXPECT_EQ(Installer().QueryProductState(kOtherCode), kProductStateDefault);
  EXPECT_TRUE(Exists("C:\\Program Files\\Qel Other\\main.txt"));
  EXPECT_FALSE(Exists(kFolder + "main.txt"));
}

TEST_F(InstallerTest, AnotherVersionOfAnInstalledProductGives1638) {
  std::string msi = BuildSample();
  BuildOptions newer;
  newer.output = "newer.msi";
  newer.version = "1.1.0";
  std::string newerMsi = BuildSample(newer);
  ASSERT_EQ(Installer().InstallProduct(msi, ""), kSuccess);

  InstallerHandleHolder session;
  EXPECT_EQ(Installer().OpenPackage(newerMsi, 0, *session.Out()), kProductVersion);
  EXPECT_EQ(session.Get(), 0u);
  InstallRecorder();
  EXPECT_EQ(Installer().InstallProduct(newerMsi, ""), kProductVersion);
  EXPECT_EQ(recorder_.TextsOf(kInstallMessageError).size(), 1u);
  std::string version;
  Installer().GetProductInfo(kSampleCode, "VersionString", version);
  EXPECT_EQ(version, "1.0.0");

  // The same package opens in maintenance: Installed is set.
  ASSERT_EQ(Installer().OpenPackage(msi, 0, *session.Out()), kSuccess);
  std::string installed;
  EXPECT_EQ(Installer().GetProperty(session.Get(), "Installed", installed), kSuccess);
  EXPECT_FALSE(installed.empty());
}

}  // namespace
}  // namespace qel::test
