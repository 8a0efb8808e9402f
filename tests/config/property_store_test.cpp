#include <gtest/gtest.h>

#include <string>

#include "config/ConfigFixtures.h"
#include "config/UtlXProperty.h"
#include "config/XMLFileManagerInterface.h"
#include "config/XPathLiteral.h"
#include "platform/ErrorCodes.h"
#include "support/TempMachine.h"

namespace qel {
namespace {

class PropertyStoreTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(xml.CreateXML(test::ConfigFixture("Setup.xml")), platform::kSuccess); }
  void TearDown() override { xml.UnInitialize(); }

  int PropertyCount() { return xml.SelectNodes("//QEL/Properties/Property"); }
  // Name of the last property element in document order.
  std::string LastPropertyName() { return xml.GetAttributeSingleNode("(//QEL/Properties/Property)[last()]", "name"); }

  test::TempMachine machine;
  CXMLFileManagerInterface xml;
  CUtlXProperty store;
};

TEST_F(PropertyStoreTest, ReadsTheSetupDocument) {
  EXPECT_EQ(store.GetProperty("ProductName"), "Sample Product");
  EXPECT_EQ(store.GetProperty("INSTALLDIR"), "C:\\Program Files\\Sample\\");
  EXPECT_EQ(store.GetProperty("productname"), "");  // names are case-sensitive
  EXPECT_EQ(store.GetProperty("NoValue"), "");
  EXPECT_EQ(store.GetProperty("Missing"), "");
  EXPECT_EQ(store.GetProperty(""), "");
  EXPECT_EQ(store.GetProperty("Duplicate"), "first");
}

TEST_F(PropertyStoreTest, SetPropertyOverwritesTheFirstElementOrAppendsAfterTheLast) {
  const int before = PropertyCount();
  EXPECT_TRUE(store.SetProperty("ProductName", "Renamed"));
  EXPECT_TRUE(store.SetProperty("NoValue", "now set"));
  EXPECT_EQ(PropertyCount(), before);
  EXPECT_EQ(store.GetProperty("ProductName"), "Renamed");
  EXPECT_EQ(store.GetProperty("NoValue"), "now set");

  EXPECT_TRUE(store.SetProperty("Duplicate", "changed"));
  EXPECT_EQ(store.GetProperty("Duplicate"), "changed");
  EXPECT_EQ(xml.GetAttributeSingleNode("(//Property[@name=\"Duplicate\"])[2]", "value"), "second");

  EXPECT_TRUE(store.SetProperty("NEW_ONE", "1"));
  EXPECT_TRUE(store.SetProperty("NEW_TWO", ""));
  EXPECT_EQ(PropertyCount(), before + 2);
  EXPECT_EQ(LastPropertyName(), "NEW_TWO");
  EXPECT_EQ(store.GetProperty("NEW_ONE"), "1");
  EXPECT_EQ(xml.GetAttributeSingleNode("//Property[@name=\"NEW_TWO\"]", "value"), "");

  EXPECT_FALSE(store.SetProperty("", "x"));
  EXPECT_FALSE(store.SetProperty(std::string("A\0B", 3), "x"));
  EXPECT_EQ(PropertyCount(), before + 2);

  // Another store object, and the document interface itself, see the same properties.
  EXPECT_EQ(CUtlXProperty().GetProperty("NEW_ONE"), "1");
}

TEST_F(PropertyStoreTest, NeverCreatesThePropertyListItself) {
  for (const char* text : {"<QEL/>", "<QEL><Properties/></QEL>", "<Other><Properties><Property name=\"A\"/></Properties></Other>"}) {
    ASSERT_EQ(xml.CreateXML(text), platform::kSuccess);
    EXPECT_FALSE(store.SetProperty("A", "1")) << text;
    EXPECT_EQ(store.GetProperty("A"), "") << text;
  }
  xml.UnInitialize();
  EXPECT_FALSE(store.SetProperty("A", "1"));
  EXPECT_EQ(store.GetProperty("A"), "");
}

TEST_F(PropertyStoreTest, NamesWithQuotesAreReadAndWrittenLikeAnyOther) {
  const int before = PropertyCount();
  for (const std::string name : {"Say \"hi\"", "it's", "both \" and '", "]\"[@x='", "]"}) {
    EXPECT_TRUE(store.SetProperty(name, "one")) << name;
    EXPECT_TRUE(store.SetProperty(name, "two")) << name;  // the second write finds the first
    EXPECT_EQ(store.GetProperty(name), "two") << name;
    EXPECT_EQ(xml.SelectNodes("//QEL/Properties/Property[@name=" + XPathLiteral(name) + "]"), 1) << name;
  }
  EXPECT_EQ(PropertyCount(), before + 5);
}

TEST_F(PropertyStoreTest, IndexFollowsRemovals) {
  ASSERT_EQ(xml.RemoveAll("(//Property[@name=\"Duplicate\"])[1]"), 1);
  EXPECT_EQ(store.GetProperty("Duplicate"), "second");
  ASSERT_EQ(xml.RemoveAll("//Property[@name=\"Duplicate\"]"), 1);
  EXPECT_EQ(store.GetProperty("Duplicate"), "");
  EXPECT_TRUE(store.SetProperty("Duplicate", "again"));
  EXPECT_EQ(LastPropertyName(), "Duplicate");

  ASSERT_EQ(xml.RemoveAll("//QEL/Properties"), 1);
  EXPECT_EQ(store.GetProperty("ProductName"), "");
  EXPECT_FALSE(store.SetProperty("ProductName", "x"));
}

TEST_F(PropertyStoreTest, IndexFollowsNodesAddedAndNamedThroughTheInterface) {
  // The way Persist.xml is seeded: a new element, then its name.
  ASSERT_EQ(xml.SelectNodes("//QEL/Properties/Property"), PropertyCount());
  ASSERT_TRUE(xml.AddNodeToEndOfList("Property"));
  ASSERT_TRUE(xml.SetAttribute("name", "Added"));
  ASSERT_TRUE(xml.SetAttribute("value", "by the interface"));
  EXPECT_EQ(store.GetProperty("Added"), "by the interface");

  // An element named like an earlier one does not win over it.
  ASSERT_TRUE(xml.AddNodeToEndOfList("Property"));
  ASSERT_TRUE(xml.SetAttribute("name", "ProductName"));
  ASSERT_TRUE(xml.SetAttribute("value", "shadow"));
  EXPECT_EQ(store.GetProperty("ProductName"), "Sample Product");

  // A nameless element added as a child moves the end of the list.
  ASSERT_EQ(xml.SelectNodes("//QEL/Properties"), 1);
  ASSERT_TRUE(xml.AddNodeAsChild("Property"));
  EXPECT_TRUE(store.SetProperty("AfterNameless", "1"));
  EXPECT_EQ(LastPropertyName(), "AfterNameless");
  ASSERT_EQ(xml.SelectNodes("//QEL/Properties/Property[not(@name)]"), 1);
  ASSERT_TRUE(xml.SetAttribute("name", "NamedLater"));
  EXPECT_EQ(store.GetProperty("NamedLater"), "");  // no value yet
  ASSERT_TRUE(xml.SetAttribute("value", "v"));
  EXPECT_EQ(store.GetProperty("NamedLater"), "v");
}

TEST_F(PropertyStoreTest, IndexFollowsRenamesAndReplacedDocuments) {
  ASSERT_EQ(xml.SelectNodes("//Property[@name=\"Duplicate\"]"), 2);
  ASSERT_TRUE(xml.SetAttribute("name", "Renamed"));
  EXPECT_EQ(store.GetProperty("Renamed"), "first");
  EXPECT_EQ(store.GetProperty("Duplicate"), "second");

  ASSERT_TRUE(xml.SetAttributeSingleNode("//Property[@name=\"Renamed\"]", "name", "Duplicate"));
  EXPECT_EQ(store.GetProperty("Duplicate"), "first");
  EXPECT_EQ(store.GetProperty("Renamed"), "");

  ASSERT_EQ(xml.CreateXML("<QEL><Properties><Property name=\"ProductName\" value=\"Other\"/></Properties></QEL>"),
            platform::kSuccess);
  EXPECT_EQ(store.GetProperty("ProductName"), "Other");
  EXPECT_EQ(store.GetProperty("Duplicate"), "");
  EXPECT_TRUE(store.SetProperty("Duplicate", "new"));
  EXPECT_EQ(xml.SelectNodes("//Property"), 2);
}

TEST_F(PropertyStoreTest, StoresOnOtherSlotsAreSeparate) {
  CUtlXProperty persist(XMLFILE_PERSIST);
  CXMLFileManagerInterface persistDocument;
  ASSERT_TRUE(persistDocument.SetFileIndex(XMLFILE_PERSIST));
  ASSERT_EQ(persistDocument.CreateXML("<QEL><Properties><Property name=\"QEL.PropertyPresistFile.Created\" value=\"t\"/>"
                                      "</Properties></QEL>"),
            platform::kSuccess);
  EXPECT_TRUE(persist.SetProperty("KeepAdmin", "C:\\Image"));
  EXPECT_EQ(persist.GetProperty("ProductName"), "");
  EXPECT_EQ(store.GetProperty("KeepAdmin"), "C:\\Admin");
  EXPECT_EQ(persist.GetProperty("KeepAdmin"), "C:\\Image");
}

TEST_F(PropertyStoreTest, TypedHelpers) {
  struct SetCase {
    const char* value;
    bool set;
  };
  for (const SetCase& c : {SetCase{"", false}, SetCase{"0", false}, SetCase{"1", true}, SetCase{"00", true},
                           SetCase{"no", true}}) {
    ASSERT_TRUE(store.SetProperty("Flag", c.value));
    EXPECT_EQ(store.IsPropertySet("Flag"), c.set) << c.value;
  }
  EXPECT_FALSE(store.IsPropertySet("Missing"));

  EXPECT_FALSE(store.IsRunFromSource());
  ASSERT_TRUE(store.SetProperty("RUN_FROM_SOURCE", "1"));
  EXPECT_TRUE(store.IsRunFromSource());
  EXPECT_FALSE(store.IsPatchModeOnly());
  ASSERT_TRUE(store.SetProperty("QEL.PatchMode.Only", "1"));
  EXPECT_TRUE(store.IsPatchModeOnly());
  ASSERT_TRUE(store.SetProperty("QEL.PatchMode.Only", "true"));
  EXPECT_FALSE(store.IsPatchModeOnly());
}

TEST_F(PropertyStoreTest, IsAdminActionFillsAnEmptyAction) {
  EXPECT_FALSE(store.IsAdminAction());
  EXPECT_EQ(store.GetProperty("ACTION"), "INSTALL");
  ASSERT_TRUE(store.SetProperty("ACTION", "admin"));
  EXPECT_FALSE(store.IsAdminAction());
  EXPECT_EQ(store.GetProperty("ACTION"), "admin");
  ASSERT_TRUE(store.SetProperty("ACTION", "ADMIN"));
  EXPECT_TRUE(store.IsAdminAction());
}

struct UILevelCase {
  const char* stored;
  int level;
  const char* storedAfter;
};
class GetUILevelTest : public PropertyStoreTest, public testing::WithParamInterface<UILevelCase> {};

TEST_P(GetUILevelTest, AnswersTheLevelAndRepairsAnythingOutsideTwoToFive) {
  ASSERT_TRUE(store.SetProperty("QEL.UILevel", GetParam().stored));
  EXPECT_EQ(store.GetUILevel(), GetParam().level);
  EXPECT_EQ(store.GetProperty("QEL.UILevel"), GetParam().storedAfter);
}
INSTANTIATE_TEST_SUITE_P(Cases, GetUILevelTest,
                         testing::Values(UILevelCase{"2", 2, "2"}, UILevelCase{"3", 3, "3"}, UILevelCase{"4", 4, "4"},
                                         UILevelCase{"5", 5, "5"}, UILevelCase{"7", 5, "5"},
                                         UILevelCase{"abc", 5, "5"}, UILevelCase{"", 5, "5"},
                                         UILevelCase{"1", 5, "5"}, UILevelCase{"-3", 5, "5"},
                                         UILevelCase{"3 ", 5, "5"}, UILevelCase{"99999999999", 5, "5"}));

TEST_F(PropertyStoreTest, SetUILevelStoresTheDecimalLevel) {
  store.SetUILevel(3);
  EXPECT_EQ(store.GetProperty("QEL.UILevel"), "3");
  EXPECT_EQ(store.GetUILevel(), 3);
}

TEST_F(PropertyStoreTest, LoadLanguagePropertiesCopiesPropertyXmlOverTheStore) {
  const int before = PropertyCount();
  ASSERT_TRUE(store.SetProperty("QEL.Rt.Folder.Lang", test::ConfigFixture("Lang/EN")));
  store.LoadLanguageProperties();
  EXPECT_EQ(store.GetProperty("Str.Feature.Main"), "Main program");
  EXPECT_EQ(store.GetProperty("ProductName"), "Sample Product (English)");
  EXPECT_EQ(store.GetProperty("Str.Repeated"), "late");
  EXPECT_EQ(store.GetProperty("Str.Quote\"d"), "quoted name");
  EXPECT_EQ(PropertyCount(), before + 4);  // the nameless entry is skipped

  CXMLFileManagerInterface startUp;
  ASSERT_TRUE(startUp.SetFileIndex(XMLFILE_PROPERTIES));
  EXPECT_TRUE(startUp.IsXMLLoaded());

  // A language folder without Property.xml copies nothing and leaves slot 4 empty.
  ASSERT_TRUE(store.SetProperty("QEL.Rt.Folder.Lang", test::ConfigFixture("Lang")));
  store.LoadLanguageProperties();
  EXPECT_FALSE(startUp.IsXMLLoaded());
  EXPECT_EQ(PropertyCount(), before + 4);
}

TEST_F(PropertyStoreTest, LoadCorePropertiesTakesTextOrAFile) {
  ASSERT_TRUE(store.SetProperty(
      "CORE_PROPERTIES_XML", "<QEL><Properties><Property name=\"QEL.Core\" value=\"text\"/></Properties></QEL>"));
  store.LoadCoreProperties();
  EXPECT_EQ(store.GetProperty("QEL.Core"), "text");

  ASSERT_TRUE(store.SetProperty("CORE_PROPERTIES_XML", test::ConfigFixture("Core.xml")));
  store.LoadCoreProperties();
  EXPECT_EQ(store.GetProperty("QEL.Core.FromFile"), "yes");
  EXPECT_EQ(store.GetProperty("ProductName"), "Core Product");

  const int before = PropertyCount();
  for (const std::string& broken : {std::string(), test::ConfigFixture("Malformed.xml"), std::string("<QEL>"),
                                    std::string("C:\\Nowhere\\Core.xml")}) {
    ASSERT_TRUE(store.SetProperty("CORE_PROPERTIES_XML", broken));
    store.LoadCoreProperties();
    EXPECT_EQ(PropertyCount(), before) << broken;
    EXPECT_EQ(store.GetProperty("ProductName"), "Core Product") << broken;
  }
}

}  // namespace
}  // namespace qel
