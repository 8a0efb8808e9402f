#include <gtest/gtest.h>

#include <map>

#include "platform/ErrorCodes.h"
#include "platform/linux/installer/ConditionEvaluator.h"
#include "platform/linux/installer/DirectoryResolver.h"
#include "platform/linux/installer/ProductDatabase.h"
#include "platform/linux/installer/PropertyCommandLine.h"

namespace qel::platform::installer {
namespace {

struct ConditionCase {
  const char* condition;
  std::optional<bool> expected;
};

class ConditionTest : public ::testing::TestWithParam<ConditionCase> {};

TEST_P(ConditionTest, Evaluates) {
  std::map<std::string, std::string> properties = {
      {"Installed", "20240101"}, {"VersionNT", "601"}, {"NAME", "Qel"}, {"ZERO", "0"}, {"REMOVE", "ALL"}};
  ConditionContext context;
  context.property = [&](const std::string& name) {
    auto it = properties.find(name);
    return it == properties.end() ? std::string() : it->second;
  };
  context.state = [](char kind, const std::string& name) { return kind == '&' && name == "Main" ? 3 : 2; };
  EXPECT_EQ(EvaluateCondition(GetParam().condition, context), GetParam().expected) << GetParam().condition;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConditionTest,
    ::testing::Values(ConditionCase{"", true}, ConditionCase{"   ", true}, ConditionCase{"Installed", true},
                      ConditionCase{"NOT Installed", false}, ConditionCase{"Missing", false},
                      ConditionCase{"ZERO", false}, ConditionCase{"VersionNT >= 600", true},
                      ConditionCase{"VersionNT < 600", false}, ConditionCase{"VersionNT = \"601\"", true},
                      ConditionCase{"NAME = \"Qel\"", true}, ConditionCase{"NAME = \"qel\"", false},
                      ConditionCase{"NAME ~= \"qel\"", true}, ConditionCase{"REMOVE~=\"all\"", true},
                      ConditionCase{"NAME >< \"e\"", true}, ConditionCase{"NAME << \"Q\"", true},
                      ConditionCase{"NAME >> \"l\"", true}, ConditionCase{"NAME <> \"Qel\"", false},
                      ConditionCase{"Installed AND NOT REMOVE", false},
                      ConditionCase{"NOT Installed OR REMOVE=\"ALL\"", true},
                      ConditionCase{"(Missing OR NAME) AND (VersionNT > 500)", true},
                      ConditionCase{"not installed or name", true},  // keywords in any case; names are not
                      ConditionCase{"Installed XOR NAME", false}, ConditionCase{"Missing IMP ZERO", true},
                      ConditionCase{"&Main = 3", true}, ConditionCase{"!Main = 3", false},
                      ConditionCase{"3 > 2 AND -1 < 0", true},
                      ConditionCase{"(NAME", std::nullopt}, ConditionCase{"NAME = ", std::nullopt},
                      ConditionCase{"NAME = \"open", std::nullopt}, ConditionCase{"AND", std::nullopt},
                      ConditionCase{"NAME NAME", std::nullopt}));

struct LineCase {
  const char* line;
  std::optional<PropertyList> expected;
};

class CommandLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(CommandLineTest, Parses) { EXPECT_EQ(ParsePropertyCommandLine(GetParam().line), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Table, CommandLineTest,
    ::testing::Values(LineCase{"", PropertyList{}}, LineCase{"  A=1   B=two ", PropertyList{{"A", "1"}, {"B", "two"}}},
                      LineCase{"DIR=\"C:\\Program Files\\X\" E=\"\"",
                               PropertyList{{"DIR", "C:\\Program Files\\X"}, {"E", ""}}},
                      LineCase{"Q=\"say \"\"hi\"\"\"", PropertyList{{"Q", "say \"hi\""}}},
                      LineCase{"T=\"a;b\" REMOVE=ALL", PropertyList{{"T", "a;b"}, {"REMOVE", "ALL"}}},
                      LineCase{"NOVALUE", std::nullopt}, LineCase{"=x", std::nullopt},
                      LineCase{"A=\"open", std::nullopt}));

DirectoryRow Row(const char* id, const char* parent, const char* defaultDir) { return {id, parent, defaultDir}; }

TEST(DirectoryResolverTest, ResolvesNamesOverridesAndSourcePaths) {
  Package package;
  package.directories = {Row("TARGETDIR", "", "SourceDir"), Row("ProgramFilesFolder", "TARGETDIR", "."),
                         Row("INSTALLDIR", "ProgramFilesFolder", "PROG~1|My Program:src"),
                         Row("Sub", "INSTALLDIR", "SUB|Sub Folder")};
  std::map<std::string, std::string> properties = {{"ProgramFilesFolder", "C:\\Program Files\\"}};
  auto lookup = [&](const std::string& name) {
    auto it = properties.find(name);
    return it == properties.end() ? std::string() : it->second;
  };
  DirectoryLayout layout;
  ASSERT_EQ(ResolveDirectories(package, lookup, false, layout), kSuccess);
  EXPECT_EQ(layout.directories["Sub"].target, "C:\\Program Files\\My Program\\Sub Folder\\");
  EXPECT_EQ(layout.directories["Sub"].sourceRelative, "src\\Sub Folder\\");
  EXPECT_EQ(layout.directories["TARGETDIR"].target, "C:\\");

  properties["INSTALLDIR"] = "D:\\Apps";
  ASSERT_EQ(ResolveDirectories(package, lookup, true, layout), kSuccess);
  EXPECT_EQ(layout.directories["Sub"].target, "D:\\Apps\\SUB\\");
}

TEST(DirectoryResolverTest, LoopsAndMissingParentsAreErrors) {
  auto none = [](const std::string&) { return std::string(); };
  DirectoryLayout layout;
  Package loop;
  loop.directories = {Row("TARGETDIR", "", "SourceDir"), Row("A", "B", "a"), Row("B", "A", "b")};
  EXPECT_EQ(ResolveDirectories(loop, none, false, layout), kBadConfiguration);
  Package orphan;
  orphan.directories = {Row("TARGETDIR", "", "SourceDir"), Row("A", "Nowhere", "a")};
  EXPECT_EQ(ResolveDirectories(orphan, none, false, layout), kBadConfiguration);
}

TEST(ProductDatabaseTest, RoundTripsValuesWithTabsAndBreaks) {
  ProductDatabase database;
  ProductRecord record;
  record.productCode = "{C0DE}";
  record.name = "Name\twith tab\nand line\\slash";
  record.transforms = "\"C:\\a b\\x.mst\";y.mst";
  record.features = {{"Main", "", 3}, {"Sub", "Main", 2}};
  record.files = {{"F1", "C:\\P\\f1.txt"}};
  record.folders = {"C:\\P"};
  database.Put(record);
  ProductDatabase parsed;
  ASSERT_TRUE(ProductDatabase::Parse(database.Serialize(), parsed));
  ASSERT_NE(parsed.Find("{c0de}"), nullptr);
  EXPECT_EQ(parsed.Find("{C0DE}")->name, record.name);
  EXPECT_EQ(parsed.Find("{C0DE}")->transforms, record.transforms);
  EXPECT_EQ(parsed.Find("{C0DE}")->features[1].parent, "Main");
  EXPECT_EQ(parsed.Serialize(), database.Serialize());

  EXPECT_FALSE(ProductDatabase::Parse("not our file\n", parsed));
  EXPECT_FALSE(ProductDatabase::Parse("qel-installer-products 1\nname\tno product yet\n", parsed));
  EXPECT_FALSE(ProductDatabase::Parse("qel-installer-products 1\nproduct\t{X}\nname\tunfinished\n", parsed));
}

}  // namespace
}  // namespace qel::platform::installer
