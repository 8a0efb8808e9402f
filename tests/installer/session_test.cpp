#include <gtest/gtest.h>

#include <map>

#include "InstallerTestBase.h"
#include "platform/Platform.h"

namespace qel::test {
namespace {

using namespace qel::platform;

std::map<std::string, std::string> PropertyTable(InstallerHandle session) {
  std::map<std::string, std::string> table;
  InstallerHandleHolder database(Installer().GetActiveDatabase(session));
  InstallerHandleHolder view;
  if (Installer().OpenView(database.Get(), "SELECT * FROM `_Property`", *view.Out()) != kSuccess) return table;
  if (Installer().ViewExecute(view.Get()) != kSuccess) return table;
  InstallerHandleHolder record;
  while (Installer().ViewFetch(view.Get(), *record.Out()) == kSuccess) {
    std::string name, value;
    Installer().RecordGetString(record.Get(), 1, name);
    Installer().RecordGetString(record.Get(), 2, value);
    table[name] = value;
  }
  return table;
}

TEST_F(InstallerTest, UiSequenceResolvesFoldersIntoProperties) {
  std::string msi = BuildSample();
  InstallerHandleHolder session;
  ASSERT_EQ(Installer().OpenPackage(msi, 0, *session.Out()), kSuccess);
  ASSERT_EQ(Installer().SetProperty(session.Get(), "MYPROP", "given"), kSuccess);

  ASSERT_EQ(Installer().Sequence(session.Get(), "InstallUISequence", 0), kSuccess);

  auto table = PropertyTable(session.Get());
  EXPECT_EQ(table["INSTALLDIR"], kSampleFolder);
  EXPECT_EQ(table["BinDir"], std::string(kSampleFolder) + "bin\\");
  EXPECT_EQ(table["ProgramFilesFolder"], "C:\\Program Files\\");
  EXPECT_EQ(table["ProductCode"], kSampleCode);
  EXPECT_EQ(table["MYPROP"], "given");
  EXPECT_EQ(table.count("Installed"), 0u);
  EXPECT_FALSE(Exists(kSampleFolder));  // a session never changes the machine

  // A folder the caller sets before costing carries its children along.
  ASSERT_EQ(Installer().SetProperty(session.Get(), "INSTALLDIR", "D:\\Apps\\Sample"), kSuccess);
  ASSERT_EQ(Installer().DoAction(session.Get(), "CostFinalize"), kSuccess);
  std::string bin;
  Installer().GetProperty(session.Get(), "BinDir", bin);
  EXPECT_EQ(bin, "D:\\Apps\\Sample\\bin\\");
}

TEST_F(InstallerTest, AdminSequenceAndSourceResolution) {
  std::string msi = BuildSample();
  InstallerHandleHolder session;
  ASSERT_EQ(Installer().OpenPackage(msi, 0, *session.Out()), kSuccess);
  ASSERT_EQ(Installer().SetProperty(session.Get(), "TARGETDIR", "C:\\Image"), kSuccess);
  ASSERT_EQ(Installer().SetProperty(session.Get(), "ACTION", "ADMIN"), kSuccess);
  ASSERT_EQ(Installer().Sequence(session.Get(), "AdminUISequence", 0), kSuccess);
  std::string installDir;
  Installer().GetProperty(session.Get(), "INSTALLDIR", installDir);
  EXPECT_EQ(installDir, "C:\\Image\\Qel Sample\\");

  ASSERT_EQ(Installer().InstallProduct(msi, ""), kSuccess);
  std::string transforms = "\"C:\\Lang\\1031.mst\"";
  InstallerHandleHolder product;
  ASSERT_EQ(Installer().OpenProduct(kSampleCode, *product.Out()), kSuccess);
  InstallerHandleHolder database(Installer().GetActiveDatabase(product.Get()));
  EXPECT_EQ(Installer().ApplyTransform(database.Get(), transforms, 319), kSuccess);
  EXPECT_EQ(Installer().DoAction(product.Get(), "CostInitialize"), kSuccess);
  EXPECT_EQ(Installer().DoAction(product.Get(), "ResolveSource"), kSuccess);
  std::string source, installed;
  Installer().GetProperty(product.Get(), "SourceDir", source);
  Installer().GetProperty(product.Get(), "Installed", installed);
  EXPECT_EQ(source, msi.substr(0, msi.rfind('\\') + 1));
  EXPECT_FALSE(installed.empty());
  EXPECT_EQ(Installer().OpenProduct(kOtherCode, *product.Out()), kUnknownProduct);
}

TEST_F(InstallerTest, HandlesAndViewsRejectMisuse) {
  std::string msi = BuildSample();
  InstallerHandleHolder session;
  ASSERT_EQ(Installer().OpenPackage(msi, 0, *session.Out()), kSuccess);
  InstallerHandleHolder database(Installer().GetActiveDatabase(session.Get()));
  ASSERT_NE(database.Get(), 0u);
  EXPECT_EQ(Installer().GetActiveDatabase(database.Get()), 0u);
  InstallerHandleHolder view;
  EXPECT_EQ(Installer().OpenView(database.Get(), "DELETE FROM `File`", *view.Out()), 1615u);
  EXPECT_EQ(Installer().OpenView(session.Get(), "SELECT * FROM `_Property`", *view.Out()), kErrorInvalidHandle);
  ASSERT_EQ(Installer().OpenView(database.Get(), "SELECT * FROM `File`", *view.Out()), kSuccess);
  InstallerHandleHolder record;
  EXPECT_EQ(Installer().ViewFetch(view.Get(), *record.Out()), kFunctionFailed);  // not executed
  ASSERT_EQ(Installer().ViewExecute(view.Get()), kSuccess);
  int rows = 0;
  while (Installer().ViewFetch(view.Get(), *record.Out()) == kSuccess) ++rows;
  EXPECT_EQ(rows, 4);
  EXPECT_EQ(Installer().CloseHandle(123456), kErrorInvalidHandle);
  std::string value;
  EXPECT_EQ(Installer().GetProperty(9999, "X", value), kErrorInvalidHandle);
}

TEST_F(InstallerTest, UiSettingsAnswerThePreviousOnes) {
  std::uintptr_t owner = 42;
  int previous = Installer().SetInternalUI(0x102, &owner);
  std::uintptr_t back = owner;
  EXPECT_EQ(Installer().SetInternalUI(previous, &back), 0x102);
  EXPECT_EQ(back, 42u);

  MessageRecorder other;
  ExternalUi first{&MessageRecorder::Handle, 0x7FCF, &recorder_};
  Installer().SetExternalUI(first);
  ExternalUi replaced = Installer().SetExternalUI({&MessageRecorder::Handle, 1, &other});
  EXPECT_EQ(replaced.context, &recorder_);
  EXPECT_EQ(replaced.messageFilter, 0x7FCFu);
}

}  // namespace
}  // namespace qel::test
