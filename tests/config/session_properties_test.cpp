#include <gtest/gtest.h>

#include "config/UtlXProperty.h"
#include "platform/InstallerService.h"
#include "platform/Platform.h"
#include "support/PackageBuilder.h"
#include "support/TempMachine.h"

namespace qel {
namespace {

using platform::Installer;
using platform::InstallerHandleHolder;

// The store and a real package opened as an installer session.
class SessionPropertiesTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* file : {"main.txt", "tool.dat", "readme.txt", "extra.txt"}) builder_.AddSourceFile(file, file);
    const std::string package = builder_.Build("product", "sample.msi",
                                               {{"ProductCode", "{AAAA1111-2222-3333-4444-555555555555}"},
                                                {"ProductName", "Qel Sample"},
                                                {"Version", "1.0.0"},
                                                {"EmbedCab", "yes"},
                                                {"Cabinet", "sample.cab"}});
    ASSERT_FALSE(package.empty());
    ASSERT_EQ(Installer().OpenPackage(platform::Files().FromHostPath(package), 0, *session_.Out()), platform::kSuccess);
    ASSERT_EQ(CXMLFileManagerInterface().CreateXML(
                  "<QEL><Properties>"
                  "<Property name=\"PUBLIC_1\" value=\"one\"/>"
                  "<Property name=\"Mixed\" value=\"private\"/>"
                  "<Property name=\"ADDLOCAL\" value=\"Main\"/>"
                  "<Property name=\"QEL.UILevel\" value=\"2\"/>"
                  "<Property name=\"INSTALLDIR\" value=\"C:\\Chosen\\\"/>"
                  "</Properties></QEL>"),
              0u);
  }
  std::string Session(const std::string& name) {
    std::string value;
    Installer().GetProperty(session_.Get(), name, value);
    return value;
  }

  test::TempMachine machine_;
  test::PackageBuilder builder_;
  InstallerHandleHolder session_;
  CUtlXProperty properties_;
};

TEST_F(SessionPropertiesTest, PushSendsOnlyPublicPropertiesButTheFeatureLists) {
  properties_.PushPublicProperties(session_.Get());
  EXPECT_EQ(Session("PUBLIC_1"), "one");
  EXPECT_EQ(Session("INSTALLDIR"), "C:\\Chosen\\");
  EXPECT_EQ(Session("Mixed"), "");
  EXPECT_EQ(Session("ADDLOCAL"), "");
  EXPECT_EQ(Session("QEL.UILevel"), "");
}

TEST_F(SessionPropertiesTest, PullBringsTheSessionBackAndRemembersTheFolders) {
  ASSERT_EQ(Installer().Sequence(session_.Get(), "InstallUISequence", 0), platform::kSuccess);
  Installer().SetProperty(session_.Get(), "REMOVE", "Docs");
  properties_.PullSessionProperties(session_.Get());
  EXPECT_EQ(properties_.GetProperty("ProductName"), "Qel Sample");
  EXPECT_EQ(properties_.GetProperty("ProductCode"), "{AAAA1111-2222-3333-4444-555555555555}");
  EXPECT_FALSE(properties_.GetProperty("INSTALLDIR").empty());
  EXPECT_EQ(properties_.GetProperty("INSTALLDIR_ORIGINAL"), properties_.GetProperty("INSTALLDIR"));
  EXPECT_EQ(properties_.GetProperty("TARGETDIR_ORIGINAL"), properties_.GetProperty("TARGETDIR"));
  EXPECT_EQ(properties_.GetProperty("REMOVE"), "");
  EXPECT_EQ(properties_.GetProperty("ADDLOCAL"), "Main");  // the store's own value stays
}

}  // namespace
}  // namespace qel
