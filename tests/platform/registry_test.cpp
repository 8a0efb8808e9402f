#include <gtest/gtest.h>

#include <string>

#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/linux/RegistryDocument.h"
#include "support/ChildProcess.h"
#include "support/TempMachine.h"

namespace qel::platform {
namespace {

using test::ChildProcess;
using test::TempMachine;

const std::string kBrowserKey = "SOFTWARE\\Microsoft\\Internet Explorer\\Main";
const std::string kPolicyKey = "SOFTWARE\\Policies\\Microsoft\\Windows\\Installer";

class RegistryTest : public ::testing::Test {
 protected:
  std::string RegistryFile() const { return machine.Root() + "/registry.reg"; }
  TempMachine machine;
};

TEST_F(RegistryTest, StringAndDwordValuesRoundTripWithNamesInAnyCase) {
  ASSERT_EQ(WriteRegistryString(Hive::LocalMachine, kPolicyKey, "Logging", "voicewarmup"), kSuccess);
  ASSERT_EQ(WriteRegistryDword(Hive::LocalMachine, kPolicyKey, "debug", 1), kSuccess);
  EXPECT_EQ(ReadRegistryString(Hive::LocalMachine, "software\\POLICIES\\microsoft\\windows\\installer", "LOGGING"),
            "voicewarmup");
  EXPECT_EQ(ReadRegistryDword(Hive::LocalMachine, kPolicyKey, "Debug"), 1u);
  // A value of the other type, another hive, a missing value: nothing.
  EXPECT_EQ(ReadRegistryString(Hive::LocalMachine, kPolicyKey, "debug"), std::nullopt);
  EXPECT_EQ(ReadRegistryString(Hive::CurrentUser, kPolicyKey, "Logging"), std::nullopt);
  RegistryValue value;
  EXPECT_EQ(Registry().GetValue(Hive::LocalMachine, kPolicyKey, "Missing", value), kErrorFileNotFound);
  EXPECT_EQ(Registry().GetValue(Hive::LocalMachine, "SOFTWARE\\Nowhere", "x", value), kErrorFileNotFound);
}

TEST_F(RegistryTest, TheFileIsReadableTextThatANewProcessReadsBack) {
  ASSERT_EQ(WriteRegistryString(Hive::CurrentUser, kBrowserKey, "Display Inline Images", "say \"no\"\\\n"), kSuccess);
  ASSERT_EQ(WriteRegistryDword(Hive::CurrentUser, kBrowserKey, "", 0xDEADBEEF), kSuccess);
  EXPECT_EQ(machine.ReadHostFile(RegistryFile()),
            "QEL Registry 1\n"
            "\n[HKEY_CURRENT_USER]\n"
            "\n[HKEY_CURRENT_USER\\SOFTWARE]\n"
            "\n[HKEY_CURRENT_USER\\SOFTWARE\\Microsoft]\n"
            "\n[HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Internet Explorer]\n"
            "\n[HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Internet Explorer\\Main]\n"
            "\"Display Inline Images\"=\"say \\\"no\\\"\\\\\\n\"\n"
            "@=dword:deadbeef\n");
  ChildProcess reader([&] {
    ResetPlatform();  // a process of its own: nothing cached
    auto text = ReadRegistryString(Hive::CurrentUser, kBrowserKey, "display inline images");
    return text == "say \"no\"\\\n" && ReadRegistryDword(Hive::CurrentUser, kBrowserKey, "") == 0xDEADBEEF ? 0 : 1;
  });
  EXPECT_EQ(reader.Wait(), 0);
}

TEST_F(RegistryTest, KeysKeepTheCaseTheyWereCreatedWith) {
  ASSERT_EQ(Registry().CreateKey(Hive::LocalMachine, "SOFTWARE\\Vendor\\Product"), kSuccess);
  ASSERT_EQ(WriteRegistryString(Hive::LocalMachine, "software\\vendor\\PRODUCT\\Sub", "a", "1"), kSuccess);
  std::vector<std::string> names;
  ASSERT_EQ(Registry().ListSubKeys(Hive::LocalMachine, "Software\\Vendor", names), kSuccess);
  EXPECT_EQ(names, std::vector<std::string>{"Product"});
  ASSERT_EQ(Registry().ListSubKeys(Hive::LocalMachine, "SOFTWARE\\Vendor\\Product", names), kSuccess);
  EXPECT_EQ(names, std::vector<std::string>{"Sub"});
}

TEST_F(RegistryTest, ValuesAndWholeTreesAreDeleted) {
  WriteRegistryString(Hive::LocalMachine, "SOFTWARE\\Vendor\\Product", "keep", "1");
  WriteRegistryString(Hive::LocalMachine, "SOFTWARE\\Vendor\\Product\\Deep\\Deeper", "gone", "1");
  WriteRegistryString(Hive::LocalMachine, "SOFTWARE\\Vendor\\ProductTwo", "other", "1");
  EXPECT_EQ(Registry().DeleteValue(Hive::LocalMachine, "SOFTWARE\\Vendor\\Product", "KEEP"), kSuccess);
  EXPECT_EQ(Registry().DeleteValue(Hive::LocalMachine, "SOFTWARE\\Vendor\\Product", "keep"), kErrorFileNotFound);
  EXPECT_EQ(Registry().DeleteTree(Hive::LocalMachine, "software\\vendor\\product"), kSuccess);
  EXPECT_FALSE(Registry().KeyExists(Hive::LocalMachine, "SOFTWARE\\Vendor\\Product\\Deep"));
  EXPECT_FALSE(Registry().KeyExists(Hive::LocalMachine, "SOFTWARE\\Vendor\\Product"));
  EXPECT_TRUE(Registry().KeyExists(Hive::LocalMachine, "SOFTWARE\\Vendor\\ProductTwo"));  // a sibling, not a child
  EXPECT_EQ(Registry().DeleteTree(Hive::LocalMachine, "SOFTWARE\\Vendor\\Product"), kErrorFileNotFound);
  EXPECT_EQ(Registry().DeleteTree(Hive::LocalMachine, ""), kErrorAccessDenied);
  EXPECT_TRUE(Registry().KeyExists(Hive::CurrentUser, ""));
}

TEST_F(RegistryTest, AKeyPathWithAnEmptyNameIsRefused) {
  EXPECT_EQ(WriteRegistryString(Hive::LocalMachine, "SOFTWARE\\\\Vendor", "a", "1"), kErrorInvalidParameter);
  EXPECT_FALSE(machine.ReadHostFile(RegistryFile()).has_value());
}

TEST_F(RegistryTest, AnEditByAnotherProcessIsSeenByTheNextCall) {
  ASSERT_EQ(WriteRegistryString(Hive::CurrentUser, kBrowserKey, "Display Inline Images", "yes"), kSuccess);
  ChildProcess writer([&] { return WriteRegistryString(Hive::CurrentUser, kBrowserKey, "Display Inline Images", "no") == kSuccess ? 0 : 1; });
  ASSERT_EQ(writer.Wait(), 0);
  EXPECT_EQ(ReadRegistryString(Hive::CurrentUser, kBrowserKey, "Display Inline Images"), "no");
  // A user's hand edit counts as well.
  machine.WriteHostFile(RegistryFile(), "QEL Registry 1\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\Main]\n"
                                        "; switched by hand\n\"Display Inline Images\"=\"maybe\"\n");
  EXPECT_EQ(ReadRegistryString(Hive::CurrentUser, kBrowserKey, "Display Inline Images"), "maybe");
}

TEST_F(RegistryTest, WritersInTwoProcessesLoseNoValue) {
  constexpr int kEach = 40;
  auto writeMany = [](const std::string& prefix) {
    for (int i = 0; i < kEach; ++i) {
      if (WriteRegistryDword(Hive::LocalMachine, "SOFTWARE\\Race", prefix + std::to_string(i), i) != kSuccess) return 1;
    }
    return 0;
  };
  ChildProcess other([&] { return writeMany("child"); });
  EXPECT_EQ(writeMany("parent"), 0);
  ASSERT_EQ(other.Wait(), 0);
  for (int i = 0; i < kEach; ++i) {
    EXPECT_EQ(ReadRegistryDword(Hive::LocalMachine, "SOFTWARE\\Race", "parent" + std::to_string(i)), static_cast<unsigned>(i));
    EXPECT_EQ(ReadRegistryDword(Hive::LocalMachine, "SOFTWARE\\Race", "child" + std::to_string(i)), static_cast<unsigned>(i));
  }
}

TEST_F(RegistryTest, ACorruptFileFailsEveryCallAndIsNeverOverwritten) {
  const std::string corrupt = "QEL Registry 1\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\"Logging\"=voicewarmup\n";
  machine.WriteHostFile(RegistryFile(), corrupt);
  RegistryValue value;
  EXPECT_EQ(Registry().GetValue(Hive::LocalMachine, "SOFTWARE", "Logging", value), kErrorBadDb);
  EXPECT_NE(Registry().ProblemText().find("line 3"), std::string::npos);
  EXPECT_NE(Registry().ProblemText().find(RegistryFile()), std::string::npos);
  EXPECT_EQ(WriteRegistryString(Hive::LocalMachine, "SOFTWARE", "Logging", "v"), kErrorBadDb);
  EXPECT_EQ(machine.ReadHostFile(RegistryFile()), corrupt);
  // Repaired by hand, it works again.
  machine.WriteHostFile(RegistryFile(), "QEL Registry 1\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\"Logging\"=\"v\"\n");
  EXPECT_EQ(ReadRegistryString(Hive::LocalMachine, "SOFTWARE", "Logging"), "v");
  EXPECT_EQ(Registry().ProblemText(), "");
}

struct ParseCase {
  const char* text;
  const char* problemStart;  // "" when the text is sound
};

class RegistryParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(RegistryParseTest, NamesTheLineAndTheFault) {
  std::string problem;
  auto document = RegistryDocument::Parse(GetParam().text, problem);
  if (std::string(GetParam().problemStart).empty()) {
    EXPECT_TRUE(document.has_value()) << problem;
    return;
  }
  EXPECT_FALSE(document.has_value());
  EXPECT_EQ(problem.rfind(GetParam().problemStart, 0), 0u) << problem;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RegistryParseTest,
    ::testing::Values(
        ParseCase{"QEL Registry 1\n\n; nothing yet\n", ""},
        ParseCase{"QEL Registry 1\r\n[HKEY_CURRENT_USER\\A]\r\n@=\"x\"\r\n\"n\"=dword:1F\r\n", ""},
        ParseCase{"", "line 0: the file is empty"},
        ParseCase{"REGEDIT4\n", "line 1:"},
        ParseCase{"QEL Registry 1\n\"a\"=\"b\"\n", "line 2: a value line comes before"},
        ParseCase{"QEL Registry 1\n[HKEY_CLASSES_ROOT\\A]\n", "line 2: the key is not under"},
        ParseCase{"QEL Registry 1\n[HKEY_CURRENT_USER\\A\n", "line 2: a key line must end"},
        ParseCase{"QEL Registry 1\n[HKEY_CURRENT_USER\\A\\\\B]\n", "line 2: the key path has an empty name"},
        ParseCase{"QEL Registry 1\n[HKEY_CURRENT_USER\\A]\n\"a\"=dword:123456789\n", "line 3: the value is"},
        ParseCase{"QEL Registry 1\n[HKEY_CURRENT_USER\\A]\n\"a\"=dword:xyz\n", "line 3: the value is"},
        ParseCase{"QEL Registry 1\n[HKEY_CURRENT_USER\\A]\n\"a\"=\"b\\t\"\n", "line 3: the value is"},
        ParseCase{"QEL Registry 1\n[HKEY_CURRENT_USER\\A]\n\"a\"=\"b\" trailing\n", "line 3: the value is"},
        ParseCase{"QEL Registry 1\n[HKEY_CURRENT_USER\\A]\n\"a=\"b\"\n", "line 3: '=' expected"},
        ParseCase{"QEL Registry 1\n[HKEY_CURRENT_USER\\A]\n\"unterminated\n", "line 3: the value name"}));

}  // namespace
}  // namespace qel::platform
