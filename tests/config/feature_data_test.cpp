#include <gtest/gtest.h>

#include "config/UtlXProperty.h"
#include "config/XMLFileManagerInterface.h"
#include "platform/ErrorCodes.h"

namespace qel {
namespace {

constexpr const char* kTree = R"(<QEL>
  <Properties><Property name="QEL.UILevel" value="5"/></Properties>
  <FeatureTree>
    <Feature property="MAIN" title="Main" description="The program" index="0" checked="1" expanded="1">
      <Feature property="HELP" title="Help" index="1" redtick="1" plainbox="yes"/>
    </Feature>
    <Feature property="QUOTE&quot;D" title="Odd key" index="2"/>
    <Feature title="No property" index="3"/>
    <Feature property="LATE" title="Not indexed yet"/>
  </FeatureTree>
</QEL>)";

class FeatureDataTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(xml.CreateXML(kTree), platform::kSuccess); }
  void TearDown() override { xml.UnInitialize(); }

  CXMLFileManagerInterface xml;
  CUtlXProperty store;
};

TEST_F(FeatureDataTest, RecordIsReadByIndexOrByKey) {
  CXML_FEATURE_DATA record;
  ASSERT_TRUE(xml.GetFeatureData(0, record));
  EXPECT_EQ(record.title, "Main");
  EXPECT_EQ(record.description, "The program");
  EXPECT_EQ(record.property, "MAIN");
  EXPECT_TRUE(record.checked);
  EXPECT_TRUE(record.expanded);
  EXPECT_FALSE(record.redTick);
  EXPECT_EQ(record.index, 0);

  ASSERT_TRUE(xml.GetFeatureData(std::string("HELP"), record));
  EXPECT_EQ(record.index, 1);
  EXPECT_TRUE(record.redTick);
  EXPECT_FALSE(record.plainBox);  // only "1" is true
  EXPECT_FALSE(record.checked);
  EXPECT_EQ(record.title, "Help");
  EXPECT_EQ(record.description, "");  // the previous record's text does not linger

  ASSERT_TRUE(xml.GetFeatureData(std::string("QUOTE\"D"), record));
  EXPECT_EQ(record.index, 2);
  ASSERT_TRUE(xml.GetFeatureData(std::string("LATE"), record));
  EXPECT_EQ(record.index, -1);

  EXPECT_FALSE(xml.GetFeatureData(9, record));
  EXPECT_FALSE(xml.GetFeatureData(-1, record));
  EXPECT_FALSE(xml.GetFeatureData(std::string("help"), record));  // keys are exact
  EXPECT_FALSE(xml.GetFeatureData(std::string(""), record));
}

TEST_F(FeatureDataTest, SetFeatureDataWritesTheRecordBackToItsFeature) {
  CXML_FEATURE_DATA record;
  ASSERT_TRUE(xml.GetFeatureData(1, record));
  record.title = "Help files";
  record.destination = "INSTALLDIR";
  record.checked = true;
  record.checkedAtStart = true;
  record.plainBox = true;
  record.property = "HELPFILES";
  ASSERT_TRUE(xml.SetFeatureData(record));

  CXML_FEATURE_DATA reread;
  ASSERT_TRUE(xml.GetFeatureData(std::string("HELPFILES"), reread));
  EXPECT_EQ(reread.index, 1);
  EXPECT_EQ(reread.title, "Help files");
  EXPECT_EQ(reread.destination, "INSTALLDIR");
  EXPECT_TRUE(reread.checked && reread.checkedAtStart && reread.plainBox && reread.redTick);
  EXPECT_EQ(xml.GetAttributeSingleNode("//Feature[@index=\"1\"]", "dest"), "INSTALLDIR");

  // Without an index the record goes to the feature with its property.
  ASSERT_TRUE(xml.GetFeatureData(std::string("LATE"), record));
  record.title = "Late feature";
  EXPECT_TRUE(xml.SetFeatureData(record));
  EXPECT_EQ(xml.GetAttributeSingleNode("//Feature[@property=\"LATE\"]", "title"), "Late feature");

  record.index = 42;
  EXPECT_FALSE(xml.SetFeatureData(record));
}

TEST_F(FeatureDataTest, ToggleCheckSetsCheckedAndTheFeaturePropertyInTheStore) {
  EXPECT_EQ(store.GetProperty("HELP"), "");
  ASSERT_TRUE(xml.ToggleCheck(1, true));
  EXPECT_EQ(xml.GetAttributeSingleNode("//Feature[@index=\"1\"]", "checked"), "1");
  EXPECT_EQ(store.GetProperty("HELP"), "1");
  EXPECT_EQ(xml.GetAttributeSingleNode("//Feature[@index=\"0\"]", "checked"), "1");  // parent untouched

  ASSERT_TRUE(xml.ToggleCheck(std::string("MAIN"), false));
  EXPECT_EQ(xml.GetAttributeSingleNode("//Feature[@index=\"0\"]", "checked"), "0");
  EXPECT_EQ(store.GetProperty("MAIN"), "0");
  EXPECT_EQ(xml.GetAttributeSingleNode("//Feature[@index=\"1\"]", "checked"), "1");  // child untouched

  ASSERT_TRUE(xml.ToggleCheck(std::string("QUOTE\"D"), true));
  EXPECT_EQ(store.GetProperty("QUOTE\"D"), "1");

  ASSERT_TRUE(xml.ToggleCheck(3, true));  // no property: only the tick changes
  EXPECT_EQ(xml.GetAttributeSingleNode("//Feature[@index=\"3\"]", "checked"), "1");

  EXPECT_FALSE(xml.ToggleCheck(7, true));
  EXPECT_FALSE(xml.ToggleCheck(std::string("NONE"), true));
  EXPECT_EQ(store.GetProperty("NONE"), "");
}

}  // namespace
}  // namespace qel
