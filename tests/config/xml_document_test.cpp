#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/ConfigFixtures.h"
#include "config/XMLFileManagerInterface.h"
#include "platform/ErrorCodes.h"
#include "platform/Platform.h"
#include "support/TempMachine.h"

namespace qel {
namespace {

constexpr const char* kChain = R"(<QEL>
  <Setups>
    <Msi file="a.msi" productcode="A"><Dbm file="a1.msi"/><Dbm file="a2.msi"/></Msi>
    <Msi file="b.msi" productcode="B"/>
    <Msi file="c.msi" productcode="C"/>
  </Setups>
</QEL>)";

class XmlDocumentTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(xml.CreateXML(kChain), platform::kSuccess); }
  void TearDown() override { xml.UnInitialize(); }

  // The `file` of every node from the current one to the end of the selection.
  static std::vector<std::string> FilesFromCursor(CXMLFileManagerInterface& cursor) {
    std::vector<std::string> files{cursor.GetAttribute("file")};
    while (cursor.CounterNext() != 0) files.push_back(cursor.GetAttribute("file"));
    return files;
  }

  test::TempMachine machine;
  CXMLFileManagerInterface xml;
};

TEST_F(XmlDocumentTest, SelectionCountsAndStartsOnFirstNode) {
  EXPECT_EQ(xml.SelectNodes("//QEL/Setups/Msi"), 3);
  EXPECT_EQ(xml.GetAttribute("file"), "a.msi");
  EXPECT_EQ(xml.SelectNodes("QEL/Setups"), 1);  // relative to the document
  EXPECT_EQ(xml.SelectNodes("//QEL/Setups/Msi[@productcode=\"B\" and not(@scheduled)]"), 1);
  EXPECT_EQ(xml.GetAttribute("file"), "b.msi");
  EXPECT_EQ(xml.SelectNodes("//QEL/Setups/Msi[@productcode!=\"B\"]"), 2);
  EXPECT_EQ(xml.SelectNodes("//Nothing"), 0);
  EXPECT_EQ(xml.GetAttribute("file"), "");
  EXPECT_FALSE(xml.SetAttribute("file", "x"));
}

TEST_F(XmlDocumentTest, CursorMovesForwardAndBackAndStopsAtTheEnds) {
  ASSERT_EQ(xml.SelectNodes("//Msi"), 3);
  EXPECT_EQ(xml.CounterLast(), 0);
  EXPECT_EQ(xml.GetAttribute("file"), "a.msi");
  EXPECT_EQ(FilesFromCursor(xml), (std::vector<std::string>{"a.msi", "b.msi", "c.msi"}));
  EXPECT_EQ(xml.CounterNext(), 0);
  EXPECT_EQ(xml.GetAttribute("file"), "c.msi");
  EXPECT_EQ(xml.CounterLast(), 1);
  EXPECT_EQ(xml.GetAttribute("file"), "b.msi");
  EXPECT_EQ(xml.CounterLast(), 1);
  EXPECT_EQ(xml.CounterLast(), 0);
  EXPECT_EQ(xml.GetAttribute("file"), "a.msi");
}

TEST_F(XmlDocumentTest, AttributesAreReadAndWrittenOnTheCurrentNodeAndItsParent) {
  ASSERT_EQ(xml.SelectNodes("//Msi[@productcode=\"A\"]/Dbm"), 2);
  EXPECT_EQ(xml.GetAttribute("missing"), "");
  EXPECT_EQ(xml.GetParentAttribute("productcode"), "A");
  EXPECT_TRUE(xml.SetAttribute("scheduled", "1"));
  EXPECT_TRUE(xml.SetAttribute("file", "a1 & <new>.msi"));
  EXPECT_FALSE(xml.SetAttribute("bad name", "x"));
  EXPECT_FALSE(xml.SetAttribute("", "x"));

  CXMLFileManagerInterface other;
  EXPECT_EQ(other.GetAttributeSingleNode("//Dbm[@scheduled=\"1\"]", "file"), "a1 & <new>.msi");
  EXPECT_TRUE(other.SetAttributeSingleNode("//Msi[@productcode=\"C\"]", "result", "1603"));
  EXPECT_FALSE(other.SetAttributeSingleNode("//Msi[@productcode=\"Z\"]", "result", "1603"));
  EXPECT_EQ(xml.GetAttributeSingleNode("//Msi[3]", "result"), "1603");
  EXPECT_EQ(xml.GetAttributeSingleNode("//Msi[@productcode=\"Z\"]", "file"), "");
}

TEST_F(XmlDocumentTest, AddNodeAsChildKeepsTheCursorAndTheChildIsFoundByItsMissingAttribute) {
  ASSERT_EQ(xml.SelectNodes("//Msi[@productcode=\"B\"]"), 1);
  ASSERT_TRUE(xml.AddNodeAsChild("Rollback"));
  EXPECT_EQ(xml.GetAttribute("file"), "b.msi");
  EXPECT_FALSE(xml.AddNodeAsChild("not a name"));

  ASSERT_EQ(xml.SelectNodes("//Msi[@productcode=\"B\"]/Rollback[not(@cmdline)]"), 1);
  EXPECT_TRUE(xml.SetAttribute("cmdline", "REMOVE=ALL"));
  EXPECT_EQ(xml.GetAttributeSingleNode("//Msi/Rollback", "cmdline"), "REMOVE=ALL");
}

TEST_F(XmlDocumentTest, AddNodeToEndOfListAppendsAfterTheLastSelectedSiblingAndMakesItCurrent) {
  ASSERT_EQ(xml.SelectNodes("//Msi[@productcode=\"A\"]/Dbm"), 2);
  ASSERT_TRUE(xml.AddNodeToEndOfList("Dbm"));
  EXPECT_TRUE(xml.SetAttribute("file", "repair.msi"));
  EXPECT_EQ(xml.CounterNext(), 0);  // the new node is the last of the selection
  EXPECT_EQ(xml.CounterLast(), 1);
  EXPECT_EQ(xml.GetAttribute("file"), "a2.msi");

  CXMLFileManagerInterface check;
  ASSERT_EQ(check.SelectNodes("//Msi[@productcode=\"A\"]/Dbm"), 3);
  EXPECT_EQ(FilesFromCursor(check), (std::vector<std::string>{"a1.msi", "a2.msi", "repair.msi"}));

  EXPECT_EQ(xml.SelectNodes("//Msi[@productcode=\"B\"]/Dbm"), 0);
  EXPECT_FALSE(xml.AddNodeToEndOfList("Dbm"));  // an empty list gives no parent
  ASSERT_EQ(xml.SelectNodes("/QEL"), 1);
  EXPECT_FALSE(xml.AddNodeToEndOfList("QEL"));  // a document has one root element
}

TEST_F(XmlDocumentTest, RemoveAllTakesNestedMatchesWithTheirAncestor) {
  EXPECT_EQ(xml.RemoveAll("//Msi[@productcode=\"A\"] | //Dbm"), 1);
  EXPECT_EQ(xml.SelectNodes("//Dbm"), 0);
  EXPECT_EQ(xml.SelectNodes("//Msi"), 2);
  EXPECT_EQ(xml.RemoveAll("//Nothing"), 0);
  EXPECT_EQ(xml.RemoveAll("//Msi["), 0);
  EXPECT_EQ(xml.SelectNodes("//Msi"), 2);
}

TEST_F(XmlDocumentTest, RemovedNodesLeaveOtherCursorsWithoutDanglingNodes) {
  CXMLFileManagerInterface walker;
  ASSERT_EQ(walker.SelectNodes("//Msi"), 3);
  ASSERT_EQ(walker.CounterNext(), 1);  // on b.msi
  CXMLFileManagerInterface dependents;
  ASSERT_EQ(dependents.SelectNodes("//Dbm"), 2);

  ASSERT_EQ(xml.RemoveAll("//Msi[@productcode=\"B\"] | //Msi[@productcode=\"A\"]"), 2);

  // The walker's current node went: it sits between nodes and reads nothing.
  EXPECT_EQ(walker.GetAttribute("file"), "");
  EXPECT_FALSE(walker.SetAttribute("file", "x"));
  EXPECT_FALSE(walker.AddNodeAsChild("Dbm"));
  EXPECT_EQ(walker.CounterNext(), 1);
  EXPECT_EQ(walker.GetAttribute("file"), "c.msi");
  EXPECT_EQ(walker.CounterLast(), 0);
  EXPECT_EQ(walker.CounterNext(), 0);

  // The Dbm nodes went with their parent.
  EXPECT_EQ(dependents.GetAttribute("file"), "");
  EXPECT_EQ(dependents.CounterNext(), 0);
  EXPECT_EQ(dependents.CounterLast(), 0);
  EXPECT_FALSE(dependents.AddNodeToEndOfList("Dbm"));
}

TEST_F(XmlDocumentTest, ACursorBehindTheRemovedNodeKeepsItsPlace) {
  CXMLFileManagerInterface walker;
  ASSERT_EQ(walker.SelectNodes("//Msi"), 3);
  ASSERT_EQ(walker.CounterNext(), 1);
  ASSERT_EQ(walker.CounterNext(), 1);  // on c.msi
  ASSERT_EQ(xml.RemoveAll("//Msi[@productcode=\"A\"]"), 1);
  EXPECT_EQ(walker.GetAttribute("file"), "c.msi");
  EXPECT_EQ(walker.CounterLast(), 1);
  EXPECT_EQ(walker.GetAttribute("file"), "b.msi");
  EXPECT_EQ(walker.CounterLast(), 0);
}

TEST_F(XmlDocumentTest, ReplacingTheDocumentEmptiesEveryCursorOnTheSlotOnly) {
  CXMLFileManagerInterface walker;
  ASSERT_EQ(walker.SelectNodes("//Msi"), 3);
  CXMLFileManagerInterface persist;
  ASSERT_TRUE(persist.SetFileIndex(XMLFILE_PERSIST));
  ASSERT_EQ(persist.CreateXML("<QEL><Properties><Property name=\"P\"/></Properties></QEL>"), platform::kSuccess);
  ASSERT_EQ(persist.SelectNodes("//Property"), 1);

  ASSERT_EQ(xml.CreateXML("<QEL><Setups><Msi file=\"new.msi\"/></Setups></QEL>"), platform::kSuccess);
  EXPECT_EQ(walker.GetAttribute("file"), "");
  EXPECT_EQ(walker.CounterNext(), 0);
  EXPECT_EQ(walker.SelectNodes("//Msi"), 1);
  EXPECT_EQ(walker.GetAttribute("file"), "new.msi");
  EXPECT_EQ(persist.GetAttribute("name"), "P");
}

TEST_F(XmlDocumentTest, ObjectsOnOneSlotShareTheDocumentAndSlotsAreSeparate) {
  CXMLFileManagerInterface admin;
  EXPECT_FALSE(admin.SetFileIndex(XMLFILE_COUNT));
  EXPECT_FALSE(admin.SetFileIndex(-1));
  ASSERT_TRUE(admin.SetFileIndex(XMLFILE_ADMINFILES));
  EXPECT_FALSE(admin.IsXMLLoaded());
  EXPECT_EQ(admin.SelectNodes("//Msi"), 0);

  CXMLFileManagerInterface second;
  ASSERT_EQ(second.SelectNodes("//Msi"), 3);
  ASSERT_TRUE(second.SetAttribute("scheduled", "1"));
  EXPECT_EQ(xml.GetAttributeSingleNode("//Msi[1]", "scheduled"), "1");

  CXMLFileManagerInterface copy(second);  // a copy gets its own cursor at the same place
  ASSERT_EQ(second.CounterNext(), 1);
  EXPECT_EQ(copy.GetAttribute("file"), "a.msi");
  EXPECT_EQ(second.GetAttribute("file"), "b.msi");
}

class BadExpressionTest : public XmlDocumentTest, public testing::WithParamInterface<std::string> {};

TEST_P(BadExpressionTest, GivesAFailureResultAndNoException) {
  const std::string& expression = GetParam();
  EXPECT_EQ(xml.SelectNodes(expression), 0);
  EXPECT_EQ(xml.GetAttribute("file"), "");
  EXPECT_EQ(xml.GetAttributeSingleNode(expression, "file"), "");
  EXPECT_FALSE(xml.SetAttributeSingleNode(expression, "file", "x"));
  EXPECT_EQ(xml.RemoveAll(expression), 0);
  EXPECT_EQ(xml.SelectNodes("//Msi"), 3);
}
INSTANTIATE_TEST_SUITE_P(Cases, BadExpressionTest,
                         testing::ValuesIn(std::vector<std::string>{"", "//Msi[", "//Msi[@productcode=\"A\"\"]", "count(//Msi)", "1 + 1",
                                         "//Msi/@file", "/", "unknown-function()", std::string("//Msi\0x", 7)}));

TEST_F(XmlDocumentTest, MalformedTextFailsAndLeavesTheSlotEmpty) {
  for (const char* text : {"<QEL><Setups></QEL>", "<QEL", "< >", "<?xml version=\"1.0\"?>"}) {
    EXPECT_EQ(xml.CreateXML(text), platform::kErrorInvalidData) << text;
    EXPECT_FALSE(xml.IsXMLLoaded()) << text;
    EXPECT_EQ(xml.SelectNodes("//Msi"), 0);
    EXPECT_FALSE(xml.SetPropertyValue("A", "1"));
  }
}

TEST_F(XmlDocumentTest, TextIsRecognisedAfterWhiteSpaceAndAByteOrderMark) {
  EXPECT_EQ(xml.CreateXML("\xEF\xBB\xBF \r\n\t<QEL><A/></QEL>"), platform::kSuccess);
  EXPECT_EQ(xml.SelectNodes("/QEL/A"), 1);
}

TEST_F(XmlDocumentTest, FilesAreReadThroughTheFileService) {
  EXPECT_EQ(xml.CreateXML("C:\\Setup\\Missing.xml"), platform::kErrorPathNotFound);
  EXPECT_FALSE(xml.IsXMLLoaded());
  EXPECT_EQ(xml.CreateXML(""), platform::kErrorFileNotFound);
  EXPECT_EQ(xml.CreateXML(test::ConfigFixture("Malformed.xml")), platform::kErrorInvalidData);
  EXPECT_FALSE(xml.IsXMLLoaded());

  ASSERT_EQ(xml.CreateXML(test::ConfigFixture("Setup.xml")), platform::kSuccess);
  EXPECT_EQ(xml.SelectNodes("//QEL/Setups/Msi"), 3);

  // A UTF-16 file with its byte-order mark, as desktop editors write them.
  std::string utf16 = "\xFF\xFE";
  for (char16_t c : std::u16string(u"<QEL><Properties><Property name=\"Str.Caf\u00E9\" value=\"1\"/></Properties></QEL>")) {
    utf16 += static_cast<char>(c & 0xFF);
    utf16 += static_cast<char>((c >> 8) & 0xFF);
  }
  machine.WriteHostFile(machine.Root() + "/drive_c/Setup/Wide.xml", utf16);
  ASSERT_EQ(xml.CreateXML("C:\\Setup\\Wide.xml"), platform::kSuccess);
  EXPECT_EQ(xml.GetAttributeSingleNode("//Property", "name"), "Str.Caf\xC3\xA9");
}

TEST_F(XmlDocumentTest, SaveitWritesUtf8XmlThatLoadsAgain) {
  ASSERT_EQ(xml.SelectNodes("//Msi[1]"), 1);
  ASSERT_TRUE(xml.SetAttribute("resulttext", "Caf\xC3\xA9 \"quoted\" <&>"));
  ASSERT_EQ(xml.Saveit("C:\\Out\\Chain.xml"), platform::kErrorPathNotFound);
  machine.WriteHostFile(machine.Root() + "/drive_c/Out/keep", "");
  ASSERT_EQ(xml.Saveit("C:\\Out\\Chain.xml"), platform::kSuccess);

  const auto saved = machine.ReadHostFile(machine.HostPath("C:\\Out\\Chain.xml"));
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(saved->rfind("<?xml version=\"1.0\"?>", 0), 0u);
  EXPECT_NE(saved->find("Caf\xC3\xA9 &quot;quoted&quot; &lt;&amp;>"), std::string::npos) << *saved;

  CXMLFileManagerInterface reloaded;
  ASSERT_TRUE(reloaded.SetFileIndex(XMLFILE_UNUSED));
  ASSERT_EQ(reloaded.CreateXML("C:\\Out\\Chain.xml"), platform::kSuccess);
  EXPECT_EQ(reloaded.GetAttributeSingleNode("//Msi[1]", "resulttext"), "Caf\xC3\xA9 \"quoted\" <&>");
  EXPECT_EQ(reloaded.SelectNodes("//Dbm"), 2);

  CXMLFileManagerInterface empty;
  ASSERT_TRUE(empty.SetFileIndex(XMLFILE_ADMINFILES));
  EXPECT_NE(empty.Saveit("C:\\Out\\Empty.xml"), platform::kSuccess);
}

}  // namespace
}  // namespace qel
