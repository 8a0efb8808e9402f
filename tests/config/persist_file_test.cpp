#include <gtest/gtest.h>

#include "config/UtlXPropertyPersistFile.h"
#include "support/TempMachine.h"

namespace qel {
namespace {

class PersistFileTest : public testing::Test {
 protected:
  void SetUp() override {
    CXMLFileManagerInterface persist;
    persist.SetFileIndex(XMLFILE_PERSIST);
    persist.UnInitialize();  // every slot starts empty, as in a new process
    LoadSetup("<QEL><Properties>"
              "<Property name=\"QEL.Rt.Folder\" value=\"C:\\Image\\\"/>"
              "<Property name=\"TARGETDIR\" value=\"C:\\Image\\\"/>"
              "<Property name=\"ACTION\" value=\"ADMIN\"/>"
              "<Property name=\"COMPANY\" value=\"Acme\" persist=\"1\"/>"
              "<Property name=\"EMPTY\" persist=\"1\"/>"
              "<Property name=\"NOT_KEPT\" value=\"x\"/>"
              "</Properties></QEL>");
  }
  static void LoadSetup(const std::string& text) { ASSERT_EQ(CXMLFileManagerInterface().CreateXML(text), 0u); }
  std::optional<std::string> Saved() const { return machine_.ReadHostFile(machine_.Root() + "/drive_c/Image/Persist.xml"); }

  test::TempMachine machine_;
  CUtlXProperty properties_;
};

TEST_F(PersistFileTest, AdministrativeRunWritesMarkedPropertiesWithStamp) {
  machine_.WriteHostFile(machine_.Root() + "/drive_c/Image/readme.txt", "image");
  CUtlXPropertyPersistFile().Save();
  const auto saved = Saved();
  ASSERT_TRUE(saved);
  EXPECT_NE(saved->find("QEL.PropertyPresistFile.Created"), std::string::npos);
  EXPECT_NE(saved->find("name=\"COMPANY\" value=\"Acme\""), std::string::npos) << *saved;
  EXPECT_NE(saved->find("name=\"EMPTY\" value=\"\""), std::string::npos) << *saved;
  EXPECT_EQ(saved->find("NOT_KEPT"), std::string::npos);
  EXPECT_LT(saved->find("QEL.PropertyPresistFile.Created"), saved->find("COMPANY"));
}

TEST_F(PersistFileTest, NothingWrittenOutsideAnAdministrativeRunOrInPatchOnlyMode) {
  machine_.WriteHostFile(machine_.Root() + "/drive_c/Image/readme.txt", "image");
  properties_.SetProperty("ACTION", "");
  CUtlXPropertyPersistFile().Save();
  EXPECT_FALSE(Saved());
  EXPECT_EQ(properties_.GetProperty("ACTION"), "INSTALL");
  properties_.SetProperty("ACTION", "ADMIN");
  properties_.SetProperty("QEL.PatchMode.Only", "1");
  CUtlXPropertyPersistFile().Save();
  EXPECT_FALSE(Saved());
}

TEST_F(PersistFileTest, LoadCopiesIntoTheStoreAndSaveCarriesTheDocumentForward) {
  machine_.WriteHostFile(machine_.Root() + "/drive_c/Image/Persist.xml",
                         "<QEL><Properties>"
                         "<Property name=\"QEL.PropertyPresistFile.Created\" value=\"01/02/26 3:04:05\"/>"
                         "<Property name=\"COMPANY\" value=\"Earlier\"/>"
                         "<Property name=\"CHOSEN_BEFORE\" value=\"yes\"/>"
                         "</Properties></QEL>");
  CUtlXPropertyPersistFile().Load();
  EXPECT_EQ(properties_.GetProperty("CHOSEN_BEFORE"), "yes");
  EXPECT_EQ(properties_.GetProperty("QEL.PropertyPresistFile.Created"), "01/02/26 3:04:05");

  CUtlXPropertyPersistFile().Save();
  const auto saved = Saved();
  ASSERT_TRUE(saved);
  EXPECT_NE(saved->find("01/02/26 3:04:05"), std::string::npos);  // the first stamp stays
  EXPECT_NE(saved->find("CHOSEN_BEFORE"), std::string::npos);
  EXPECT_NE(saved->find("\"Earlier\""), std::string::npos);  // the store holds what Load brought
}

TEST_F(PersistFileTest, MissingOrBrokenFileIsIgnored) {
  CUtlXPropertyPersistFile().Load();
  EXPECT_EQ(properties_.GetProperty("COMPANY"), "Acme");
  machine_.WriteHostFile(machine_.Root() + "/drive_c/Image/Persist.xml", "<QEL><Properties>");
  CUtlXPropertyPersistFile().Load();
  EXPECT_EQ(properties_.GetProperty("COMPANY"), "Acme");
}

}  // namespace
}  // namespace qel
