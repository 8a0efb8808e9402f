#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chain/SourceCache.h"
#include "config/ResultText.h"
#include "config/UtlXProperty.h"
#include "config/XMLFileManagerInterface.h"
#include "platform/FileService.h"
#include "platform/InstallerService.h"
#include "platform/Platform.h"
#include "platform/TextCase.h"
#include "support/PackageBuilder.h"
#include "uimsg/SendSetupMessage.h"
#include "uimsg/SetupUIHandler.h"
#include "uimsg/UiMessageTypes.h"
#include "uimsg/UiTestSupport.h"

// The source cache on a temporary machine: source files on C:\Src, the cache below
// "C:\Program Files\Prod", messages through the run's real UI handler.
namespace qel {
namespace {

using test::PropertySeed;

constexpr const char* kCache = "C:\\Program Files\\Prod\\Setup\\";

// Two packages, a dependent among the cached files and one package from elsewhere.
constexpr const char* kChain = R"(<Setups rootfolder="c:\src\">
  <Msi productcode="{B1000000-0000-0000-0000-000000000001}" managed="1" file="c:\src\prod.msi"/>
  <Msi productcode="{B1000000-0000-0000-0000-000000000002}" file="c:\src\sub\pre.msi">
    <Dbm productcode="{B1000000-0000-0000-0000-000000000003}" file="c:\src\sub\deep\dep.msi"/>
  </Msi>
  <Msi productcode="{B1000000-0000-0000-0000-000000000004}" file="c:\elsewhere\other.msi"/>
</Setups>
<FeatureTree><Feature index="0" property="CACHE_SETUP_SOURCE" title="Str.Cache"/></FeatureTree>)";

// The folder "sub" (at every depth), a file named twice (by name and by "*.msi"), files of a
// sub-folder named again in other letter case, and a pattern that matches nothing.
constexpr const char* kSourceFiles = R"(<SourceFiles>
  <SourceFile file="prod.msi"/><SourceFile file="sub"/><SourceFile file="*.msi"/>
  <SourceFile file="SUB\deep\*.txt"/><SourceFile file="missing.cab"/>
</SourceFiles>)";

std::vector<PropertySeed> BaseProperties(std::vector<PropertySeed> more = {}) {
  std::vector<PropertySeed> seeds = {{"INSTALLDIR", "C:\\Program Files\\Prod\\"},
                                     {"Str.CacheSetupSource.Progress.text", "Caching the source"},
                                     {"QEL.LogFile", "C:\\Logs\\run.log"},
                                     {"QEL.LogOptions", "v"}};
  seeds.insert(seeds.end(), more.begin(), more.end());
  return seeds;
}

std::string Attribute(const std::string& expression, const std::string& name) {
  return CXMLFileManagerInterface().GetAttributeSingleNode(expression, name);
}

std::string Property(const std::string& name) { return CUtlXProperty().GetProperty(name); }

struct SrcFile {
  std::string file, size, result;
  bool operator==(const SrcFile&) const = default;
};

std::ostream& operator<<(std::ostream& out, const SrcFile& f) {
  return out << f.file << " size=" << f.size << " result=" << f.result;
}

std::vector<SrcFile> SrcFiles() {
  std::vector<SrcFile> files;
  CXMLFileManagerInterface xml;
  if (xml.SelectNodes("//QEL/SourceFiles/SrcFile") == 0) return files;
  do {
    files.push_back({xml.GetAttribute("file"), xml.GetAttribute("size"), xml.GetAttribute("result")});
  } while (xml.CounterNext());
  return files;
}

bool Exists(const std::string& path) {
  platform::FileAttributes attributes;
  return platform::Files().GetAttributes(path, attributes) == platform::kSuccess && attributes.exists;
}

std::string Content(const std::string& path) {
  std::string bytes;
  platform::Files().ReadFile(path, bytes);
  return bytes;
}

// Cancels (as the wizard's confirmed Cancel does) when it is shown its n-th percentage, which
// the handler sends at each action-data message of the copy, before that file is copied.
class CancellingWizard : public test::RecordingWizard {
 public:
  explicit CancellingWizard(int atPercentRefresh) : at_(atPercentRefresh) {}
  std::intptr_t Refresh(RefreshCode code, std::intptr_t lparam) override {
    RecordingWizard::Refresh(code, lparam);
    if (code == kRefreshPercent && ++seen_ == at_) qel::SendSetupMessage(SETUPMESSAGE_CANCEL, "");
    return 1;
  }

 private:
  int at_;
  int seen_ = 0;
};

class SourceCacheTest : public ::testing::Test {
 protected:
  void Load(const std::vector<PropertySeed>& properties, const std::string& sourceFiles = kSourceFiles) {
    LoadDocument(properties, std::string(kChain) + sourceFiles);
  }
  // Setup.xml with the properties and everything after them.
  void LoadDocument(const std::vector<PropertySeed>& properties, const std::string& rest) {
    ui_.reset();  // one machine at a time: each puts back the environment it found
    ui_ = std::make_unique<test::UiMachine>(properties, rest);
  }
  void TearDown() override { ui_.reset(); }

  // A file on C:, by a path relative to the drive with backslashes.
  void WriteC(std::string relative, const std::string& bytes) {
    for (char& c : relative)
      if (c == '\\') c = '/';
    ui_->machine.WriteHostFile(ui_->machine.Root() + "/drive_c/" + relative, bytes);
  }
  void WriteSource() {
    WriteC("Src\\prod.msi", std::string(1000, 'p'));
    WriteC("Src\\sub\\pre.msi", std::string(2000, 'q'));
    WriteC("Src\\sub\\deep\\a.txt", std::string(10, 'a'));
    WriteC("Src\\sub\\deep\\dep.msi", std::string(20, 'd'));
    WriteC("Src\\readme.txt", "not listed");
  }

  std::unique_ptr<test::UiMachine> ui_;
};

TEST_F(SourceCacheTest, PatternsExpandAtEveryDepthEachFileOnceWithTheSizes) {
  Load(BaseProperties());
  WriteSource();
  SourceCacheInitialisation();

  const std::vector<SrcFile> expected = {{"c:\\src\\prod.msi", "1000", ""},
                                         {"c:\\src\\sub\\deep\\a.txt", "10", ""},
                                         {"c:\\src\\sub\\deep\\dep.msi", "20", ""},
                                         {"c:\\src\\sub\\pre.msi", "2000", ""}};
  EXPECT_EQ(SrcFiles(), expected);
  EXPECT_EQ(Attribute("//QEL/SourceFiles/SourceFile[2]", "file"), "c:\\src\\sub");
  EXPECT_EQ(Attribute("//QEL/SourceFiles/SourceFile[4]", "file"), "c:\\src\\SUB\\deep\\*.txt");
  EXPECT_EQ(Property("CACHE_SETUP_SOURCE_SIZE_IN_BYTES"), "3030");
  EXPECT_EQ(Property("CACHE_SETUP_SOURCE_SIZE_IN_KB"), "2");
  EXPECT_EQ(Property("CACHE_SETUP_SOURCE_SIZE_IN_MB"), "0");
  EXPECT_EQ(Attribute("//QEL/FeatureTree/Feature", "size"), "2");
}

TEST_F(SourceCacheTest, SizePropertiesTruncateToKilobytesAndMegabytes) {
  struct Case {
    std::vector<std::uint64_t> sizes;
    const char *bytes, *kb, *mb;
  };
  const Case cases[] = {{{3145728}, "3145728", "3072", "3"},
                        {{1023, 1}, "1024", "1", "0"},
                        {{1048575}, "1048575", "1023", "0"},
                        {{0}, "0", "0", "0"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    Load(BaseProperties(), R"(<SourceFiles><SourceFile file="data"/></SourceFiles>)");
    for (std::size_t i = 0; i < c.sizes.size(); ++i)
      WriteC("Src\\data\\f" + std::to_string(i), std::string(c.sizes[i], 'x'));
    SourceCacheInitialisation();
    EXPECT_EQ(Property("CACHE_SETUP_SOURCE_SIZE_IN_BYTES"), c.bytes);
    EXPECT_EQ(Property("CACHE_SETUP_SOURCE_SIZE_IN_KB"), c.kb);
    EXPECT_EQ(Property("CACHE_SETUP_SOURCE_SIZE_IN_MB"), c.mb);
    EXPECT_EQ(Attribute("//QEL/FeatureTree/Feature", "size"), c.kb);
  }
}

TEST_F(SourceCacheTest, OptionsSwitchCachingOffOrForceIt) {
  struct Case {
    std::vector<PropertySeed> seeds;
    const char *cache, *showUi;
    std::size_t listed;
  };
  const Case cases[] = {
      {{{"DisableBrowse", "1"}, {"CACHE_SETUP_SOURCE_OPTION", "force"}}, "0", "Hide", 0},
      {{{"IsAdminPackage", "x"}, {"CACHE_SETUP_SOURCE", "1"}}, "0", "Hide", 0},
      {{{"CACHE_SETUP_SOURCE_OPTION", "DISABLE"}, {"CACHE_SETUP_SOURCE", "1"}}, "0", "Hide", 0},
      {{{"CACHE_SETUP_SOURCE_OPTION", "FORCE"}, {"CACHE_SETUP_SOURCE", "0"}}, "1", "Show", 4},
      {{{"CACHE_SETUP_SOURCE", "0"}, {"CACHE_SETUP_SOURCE_SHOWUI", "Show"}}, "0", "Show", 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seeds.front().name + "=" + c.seeds.front().value);
    Load(BaseProperties(c.seeds));
    WriteSource();
    SourceCacheInitialisation();
    EXPECT_EQ(Property("CACHE_SETUP_SOURCE"), c.cache);
    EXPECT_EQ(Property("CACHE_SETUP_SOURCE_SHOWUI"), c.showUi);
    EXPECT_EQ(SrcFiles().size(), c.listed);
  }
}

TEST_F(SourceCacheTest, NoSourceFileEntriesHideTheChoice) {
  Load(BaseProperties({{"CACHE_SETUP_SOURCE", "1"}, {"CACHE_SETUP_SOURCE_OPTION", "force"}}), "");
  WriteSource();
  SourceCacheInitialisation();
  EXPECT_EQ(Property("CACHE_SETUP_SOURCE"), "0");
  EXPECT_EQ(Property("CACHE_SETUP_SOURCE_SHOWUI"), "Hide");
  EXPECT_EQ(Attribute("//QEL/FeatureTree/Feature", "size"), "");
}

TEST_F(SourceCacheTest, CopyFillsTheCacheAndRepointsThePackages) {
  Load(BaseProperties({{"CACHE_SETUP_SOURCE", "1"}}));
  WriteSource();
  // A stale read-only copy from an earlier attempt is replaced.
  WriteC("Program Files\\Prod\\Setup\\prod.msi", "stale");
  ASSERT_EQ(platform::Files().SetReadOnly(std::string(kCache) + "prod.msi", true), platform::kSuccess);
  SourceCacheInitialisation();

  ASSERT_EQ(CopyAllSourceFiles(), 0u);

  const std::string cache = kCache;
  EXPECT_EQ(Content(cache + "prod.msi"), std::string(1000, 'p'));
  EXPECT_EQ(Content(cache + "sub\\pre.msi"), std::string(2000, 'q'));
  EXPECT_EQ(Content(cache + "sub\\deep\\a.txt"), std::string(10, 'a'));
  EXPECT_EQ(Content(cache + "sub\\deep\\dep.msi"), std::string(20, 'd'));
  EXPECT_FALSE(Exists(cache + "readme.txt"));
  EXPECT_TRUE(Exists("C:\\Src\\prod.msi"));  // the source stays

  const std::vector<SrcFile> expected = {{cache + "prod.msi", "1000", "0"},
                                         {cache + "sub\\deep\\a.txt", "10", "0"},
                                         {cache + "sub\\deep\\dep.msi", "20", "0"},
                                         {cache + "sub\\pre.msi", "2000", "0"}};
  EXPECT_EQ(SrcFiles(), expected);

  // The installer will record the cache as the packages' source.
  EXPECT_EQ(Attribute("//QEL/Setups/Msi[1]", "file"), "c:\\program files\\prod\\setup\\prod.msi");
  EXPECT_EQ(Attribute("//QEL/Setups/Msi[2]", "file"), "c:\\program files\\prod\\setup\\sub\\pre.msi");
  EXPECT_EQ(Attribute("//QEL/Setups/Msi[2]/Dbm", "file"), "c:\\program files\\prod\\setup\\sub\\deep\\dep.msi");
  EXPECT_EQ(Attribute("//QEL/Setups/Msi[3]", "file"), "c:\\elsewhere\\other.msi");

  // One item with one tick per file, stepped by the action data, under the caching caption.
  const auto state = TheSetupUIHandler().State();
  EXPECT_EQ(state.itemKind, "SetupCacheSource_CopyAllFiles");
  EXPECT_EQ(state.itemName, "QELCustom");
  EXPECT_EQ(state.totalTicks, 4);
  EXPECT_EQ(state.position, 4);
  EXPECT_EQ(Property("Str.ProgressTotalText.Complete"), "Caching the source");
}

TEST_F(SourceCacheTest, CopyRunsOnlyWhenChosenAndNotDisabledExactly) {
  struct Case {
    const char *cache, *option;
    bool copied;
  };
  const Case cases[] = {{"1", "", true}, {"0", "", false}, {"", "", false}, {"1", "Disable", false}, {"1", "disable", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.cache) + "/" + c.option);
    Load(BaseProperties());
    WriteSource();
    SourceCacheInitialisation();
    CUtlXProperty().SetProperty("CACHE_SETUP_SOURCE", c.cache);
    CUtlXProperty().SetProperty("CACHE_SETUP_SOURCE_OPTION", c.option);
    EXPECT_EQ(CopyAllSourceFiles(), 0u);
    EXPECT_EQ(Exists(std::string(kCache) + "prod.msi"), c.copied);
    EXPECT_EQ(Attribute("//QEL/Setups/Msi[1]", "file") == "c:\\src\\prod.msi", !c.copied);
  }
}

TEST_F(SourceCacheTest, CancelAtAProgressMessageStopsWith1602AndDeletionLeavesNoEmptyFolders) {
  Load(BaseProperties({{"CACHE_SETUP_SOURCE", "1"}}));
  WriteSource();
  WriteC("Program Files\\Prod\\keep.txt", "not the cache's");
  SourceCacheInitialisation();
  CancellingWizard wizard(2);  // cancels before the second file, sub\deep\a.txt, is copied
  SetApplicationMainWindow(&wizard);
  ASSERT_EQ(qel::SendSetupMessage(INSTALLMESSAGE_INITIALIZE, "%s", ""), 1);
  qel::SendSetupMessage(SETUPMESSAGE_CHAINSTART, "");

  EXPECT_EQ(CopyAllSourceFiles(), 1602u);

  const std::string cache = kCache;
  EXPECT_TRUE(Exists(cache + "prod.msi"));
  EXPECT_FALSE(Exists(cache + "sub")) << "the folders made for the cancelled copy are gone again";
  const std::vector<SrcFile> expected = {{cache + "prod.msi", "1000", "0"},
                                         {"c:\\src\\sub\\deep\\a.txt", "10", ""},
                                         {"c:\\src\\sub\\deep\\dep.msi", "20", ""},
                                         {"c:\\src\\sub\\pre.msi", "2000", ""}};
  EXPECT_EQ(SrcFiles(), expected);
  EXPECT_EQ(Attribute("//QEL/Setups/Msi[1]", "file"), "c:\\program files\\prod\\setup\\prod.msi");
  EXPECT_EQ(Attribute("//QEL/Setups/Msi[2]", "file"), "c:\\src\\sub\\pre.msi");

  // The item's end carries the cancel into the log.
  const std::string log = test::ReadLog("C:\\Logs\\run.log");
  EXPECT_NE(log.find("SetupCacheSource_CopyAllFiles: QELCustom\r\n=== " + GetResultText(1602)), std::string::npos)
      << log;

  // The product was never installed: the copies go and so does every cache folder they leave.
  DeleteAllSourceFiles();
  EXPECT_FALSE(Exists("C:\\Program Files\\Prod\\Setup"));
  EXPECT_TRUE(Exists("C:\\Program Files\\Prod\\keep.txt"));
  EXPECT_TRUE(Exists("C:\\Src\\prod.msi"));
}

TEST_F(SourceCacheTest, DeletionRemovesEveryCopyAndTheCacheFolders) {
  Load(BaseProperties({{"CACHE_SETUP_SOURCE", "1"}}));
  WriteSource();
  SourceCacheInitialisation();
  ASSERT_EQ(CopyAllSourceFiles(), 0u);
  ASSERT_TRUE(Exists(std::string(kCache) + "sub\\deep\\dep.msi"));
  ASSERT_EQ(platform::Files().SetReadOnly(std::string(kCache) + "sub\\pre.msi", true), platform::kSuccess);

  DeleteAllSourceFiles();

  EXPECT_FALSE(Exists("C:\\Program Files\\Prod\\Setup"));
  EXPECT_TRUE(Exists("C:\\Program Files\\Prod"));  // the install folder is the chain's to clean
  EXPECT_TRUE(Exists("C:\\Src\\sub\\deep\\dep.msi"));
  const auto state = TheSetupUIHandler().State();
  EXPECT_EQ(state.itemKind, "SetupCacheSource_DeleteAllFiles");
  EXPECT_EQ(state.totalTicks, 4);
}

TEST_F(SourceCacheTest, DeletionKeepsAFolderThatHoldsAnotherFile) {
  Load(BaseProperties({{"CACHE_SETUP_SOURCE", "1"}}));
  WriteSource();
  SourceCacheInitialisation();
  ASSERT_EQ(CopyAllSourceFiles(), 0u);
  WriteC("Program Files\\Prod\\Setup\\sub\\user.ini", "the user's");

  DeleteAllSourceFiles();

  EXPECT_TRUE(Exists(std::string(kCache) + "sub\\user.ini"));
  EXPECT_FALSE(Exists(std::string(kCache) + "sub\\deep"));
  EXPECT_FALSE(Exists(std::string(kCache) + "prod.msi"));
}

// A listed file outside the source folder has no place in the cache: "copying" it would put it
// onto itself after deleting the original.
TEST_F(SourceCacheTest, FileOutsideTheSourceFolderIsLeftAlone) {
  Load(BaseProperties({{"CACHE_SETUP_SOURCE", "1"}}),
       R"(<SourceFiles><SrcFile file="C:\Program Files\Prod\Setup\own.dat" size="3"/>
          <SourceFile file="prod.msi"/></SourceFiles>)");
  WriteSource();
  WriteC("Program Files\\Prod\\Setup\\own.dat", "own");
  SourceCacheInitialisation();

  EXPECT_EQ(CopyAllSourceFiles(), 0u);
  EXPECT_EQ(Content(std::string(kCache) + "own.dat"), "own");
  EXPECT_EQ(Attribute("//QEL/SourceFiles/SrcFile[1]", "result"), "");
  EXPECT_EQ(Content(std::string(kCache) + "prod.msi"), std::string(1000, 'p'));
}

// The point of the cache: the package installed from its re-pointed path has the cache as its
// source, so a repair finds it after the original media are gone.
TEST_F(SourceCacheTest, PackageInstalledFromTheRepointedPathRecordsTheCacheAsItsSource) {
  const std::string productCode = "{B1000000-0000-0000-0000-00000000000B}";
  LoadDocument(BaseProperties({{"CACHE_SETUP_SOURCE", "1"}}),
               R"(<Setups rootfolder="c:\src\"><Msi managed="1" productcode=")" + productCode +
                   R"(" file="c:\src\prod.msi"/></Setups><SourceFiles><SourceFile file="prod.msi"/></SourceFiles>)");
  test::PackageBuilder builder;
  for (const char* payload : {"main.txt", "tool.dat", "readme.txt", "extra.txt"}) builder.AddSourceFile(payload, "x\n");
  const std::string package = builder.Build("product", "prod.msi",
                                            {{"ProductCode", productCode}, {"ProductName", "Cached"},
                                             {"Version", "1.0.0"}, {"EmbedCab", "yes"}, {"Cabinet", "prod.cab"}});
  ASSERT_FALSE(package.empty());
  const auto bytes = ui_->machine.ReadHostFile(package);
  ASSERT_TRUE(bytes.has_value());
  WriteC("Src\\prod.msi", *bytes);
  SourceCacheInitialisation();
  ASSERT_EQ(CopyAllSourceFiles(), 0u);

  const std::string repointed = Attribute("//QEL/Setups/Msi", "file");
  ASSERT_EQ(repointed, "c:\\program files\\prod\\setup\\prod.msi");
  ASSERT_EQ(platform::Installer().InstallProduct(repointed, ""), platform::kSuccess);
  std::string source;
  ASSERT_EQ(platform::Installer().GetProductInfo(productCode, "InstallSource", source), platform::kSuccess);
  EXPECT_EQ(ToLower(source), "c:\\program files\\prod\\setup\\");

  // Installed now: the end of the chain keeps the cache.
  DeleteAllSourceFiles();
  EXPECT_TRUE(Exists(std::string(kCache) + "prod.msi"));
}

// With the managed product installed, the list is made from the cache an earlier run filled;
// nothing is copied, and the cache stays at the end of the chain.
TEST_F(SourceCacheTest, InstalledProductListsTheCacheAndKeepsIt) {
  const std::string productCode = "{B1000000-0000-0000-0000-00000000000A}";
  const std::string chain = R"(<Setups rootfolder="c:\src\"><Msi managed="1" productcode=")" + productCode +
                            R"(" file="c:\src\prod.msi"/></Setups>)";
  LoadDocument(BaseProperties({{"CACHE_SETUP_SOURCE", "1"}}),
               chain + R"(<SourceFiles><SourceFile file="*.msi"/></SourceFiles>)");
  test::PackageBuilder builder;
  for (const char* payload : {"main.txt", "tool.dat", "readme.txt", "extra.txt"}) builder.AddSourceFile(payload, "x\n");
  const std::string package = builder.Build("product", "installed.msi",
                                            {{"ProductCode", productCode}, {"ProductName", "Installed"},
                                             {"Version", "1.0.0"}, {"EmbedCab", "yes"}, {"Cabinet", "installed.cab"}});
  ASSERT_FALSE(package.empty());
  ASSERT_EQ(platform::Installer().InstallProduct(platform::Files().FromHostPath(package), ""), platform::kSuccess);
  WriteC("Src\\prod.msi", "new source");
  WriteC("Program Files\\Prod\\Setup\\prod.msi", "cached");
  SourceCacheInitialisation();

  const std::vector<SrcFile> expected = {{std::string(kCache) + "prod.msi", "6", "0"}};
  EXPECT_EQ(SrcFiles(), expected);

  EXPECT_EQ(CopyAllSourceFiles(), 0u);
  EXPECT_EQ(Content(std::string(kCache) + "prod.msi"), "cached");
  EXPECT_EQ(Attribute("//QEL/Setups/Msi", "file"), "c:\\src\\prod.msi");
  DeleteAllSourceFiles();
  EXPECT_TRUE(Exists(std::string(kCache) + "prod.msi"));
}

}  // namespace
}  // namespace qel
