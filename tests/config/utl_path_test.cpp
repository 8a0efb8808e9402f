#include <gtest/gtest.h>

#include "config/UtlPath.h"

namespace qel {
namespace {

struct StringCase {
  const char* input;
  const char* expected;
};

class GetPathTest : public testing::TestWithParam<StringCase> {};
TEST_P(GetPathTest, DropsTrailingBackslashes) {
  EXPECT_EQ(CUtlPath(GetParam().input).GetPath(), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Cases, GetPathTest,
                         testing::Values(StringCase{"C:\\Setup\\\\", "C:\\Setup"}, StringCase{"C:\\", "C:"},
                                         StringCase{"", ""}, StringCase{"\\\\", ""},
                                         StringCase{"a\\b", "a\\b"}));

class GetFolderPathTest : public testing::TestWithParam<StringCase> {};
TEST_P(GetFolderPathTest, EndsInExactlyOneBackslash) {
  EXPECT_EQ(CUtlPath(GetParam().input).GetFolderPath(), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Cases, GetFolderPathTest,
                         testing::Values(StringCase{"C:\\Setup\\\\", "C:\\Setup\\"}, StringCase{"C:", "C:\\"},
                                         StringCase{"", "\\"}, StringCase{"C:\\A\\B", "C:\\A\\B\\"}));

struct AppendCase {
  const char* path;
  const char* part;
  const char* expected;
};
class AppendTest : public testing::TestWithParam<AppendCase> {};
TEST_P(AppendTest, JoinsWithOneSeparator) {
  CUtlPath path(GetParam().path);
  path.Append(GetParam().part);
  EXPECT_EQ(path.Text(), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, AppendTest,
    testing::Values(AppendCase{"C:\\Setup\\", "Lang\\", "C:\\Setup\\Lang\\"},
                    AppendCase{"C:\\Setup", "\\Property.xml", "C:\\Setup\\Property.xml"},
                    AppendCase{"C:\\Setup\\\\", "\\\\x", "C:\\Setup\\x"}, AppendCase{"", "x", "\\x"},
                    // A part from data is never read as a format.
                    AppendCase{"C:\\A", "100%s %d", "C:\\A\\100%s %d"}));

TEST(UtlPathTest, GetFolderKeepsTheSeparator) {
  EXPECT_EQ(CUtlPath("C:\\A\\B.msi").GetFolder(), "C:\\A\\");
  EXPECT_EQ(CUtlPath("C:\\A\\B\\").GetFolder(), "C:\\A\\");
  EXPECT_EQ(CUtlPath("name").GetFolder(), "");
}

TEST(UtlPathTest, RemoveFileSpecDropsLastComponent) {
  EXPECT_EQ(CUtlPath("C:\\A\\B.msi").RemoveFileSpec().Text(), "C:\\A");
  EXPECT_EQ(CUtlPath("C:\\A\\B\\").RemoveFileSpec().Text(), "C:\\A");
  EXPECT_EQ(CUtlPath("name").RemoveFileSpec().Text(), "");
}

TEST(UtlPathTest, GetFileNameTakesLastComponent) {
  EXPECT_EQ(CUtlPath("C:\\A\\B.msi").GetFileName(), "B.msi");
  EXPECT_EQ(CUtlPath("C:\\A\\B\\").GetFileName(), "B");
  EXPECT_EQ(CUtlPath("\\B.msi").GetFileName(), "\\B.msi");  // a leading backslash is no folder
  EXPECT_EQ(CUtlPath("B.msi").GetFileName(), "B.msi");
}

TEST(UtlPathTest, GetRootEndsInOneBackslash) {
  EXPECT_EQ(CUtlPath("C:\\A\\B").GetRoot(), "C:\\");
  EXPECT_EQ(CUtlPath("C:").GetRoot(), "C:\\");
  EXPECT_EQ(CUtlPath("C:\\\\\\").GetRoot(), "C:\\");
  EXPECT_EQ(CUtlPath("\\\\server\\share\\x").GetRoot(), "\\\\server\\");
}

class NormalizeFolderTest : public testing::TestWithParam<StringCase> {};
TEST_P(NormalizeFolderTest, TrimsAndJoins) {
  CUtlPath path(GetParam().input);
  EXPECT_EQ(path.NormalizeFolder().Text(), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(Cases, NormalizeFolderTest,
                         testing::Values(StringCase{"C: \\ Program Files \\\\ X ", "C:\\Program Files\\X\\"},
                                         StringCase{"\\\\server\\share", "\\\\server\\share\\"},
                                         StringCase{"", "\\\\"}, StringCase{"rel\\dir", "\\\\rel\\dir\\"},
                                         StringCase{"  \t", "\\\\"}));

struct IsCase {
  const char* text;
  CUtlPath::Kind kind;
  bool expected;
};
class IsKindTest : public testing::TestWithParam<IsCase> {};
TEST_P(IsKindTest, AnswersByText) {
  EXPECT_EQ(CUtlPath(GetParam().text).Is(GetParam().kind), GetParam().expected) << GetParam().text;
}
INSTANTIATE_TEST_SUITE_P(
    Cases, IsKindTest,
    testing::Values(IsCase{"HTTP://x", CUtlPath::kUrl, true}, IsCase{"httpfoo", CUtlPath::kUrl, true},
                    IsCase{"ftp://x", CUtlPath::kUrl, false}, IsCase{"", CUtlPath::kUrl, false},
                    IsCase{"C:x", CUtlPath::kAbsolute, true}, IsCase{"\\\\s\\x", CUtlPath::kAbsolute, true},
                    IsCase{"\\x", CUtlPath::kAbsolute, false}, IsCase{"1:\\x", CUtlPath::kAbsolute, false},
                    IsCase{"", CUtlPath::kAbsolute, false}, IsCase{"A.EXE", CUtlPath::kExecutable, true},
                    IsCase{"a.exe.txt", CUtlPath::kExecutable, false},
                    IsCase{"setup.Exe", CUtlPath::kExecutable, true},
                    IsCase{"", CUtlPath::kExecutable, false}, IsCase{"relative", CUtlPath::kExists, false}));

TEST(UtlPathTest, CountSubfoldersOfRelativePathIsMany) {
  EXPECT_EQ(CUtlPath("relative\\x").CountSubfolders(), UINT_MAX);
  EXPECT_EQ(CUtlPath("").CountSubfolders(), UINT_MAX);
  EXPECT_EQ(CUtlPath("relative").ListSubfolders(), "");
}

}  // namespace
}  // namespace qel
