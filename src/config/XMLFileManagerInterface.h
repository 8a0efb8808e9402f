#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "config/FeatureData.h"
#include "platform/ErrorCodes.h"

namespace qel {

namespace xmldoc {
struct Cursor;
}

// The process-wide document slots.
enum XMLFILENAMES : int {
  XMLFILE_SETUP = 0,       // Setup.xml, with the property store
  XMLFILE_ADMINFILES = 1,  // the administrative-image file list
  XMLFILE_UNUSED = 2,      // addressable, but the launcher keeps nothing here
  XMLFILE_PERSIST = 3,     // Persist.xml
  XMLFILE_PROPERTIES = 4,  // the property documents read at start-up
  XMLFILE_COUNT = 5
};

// All access to the launcher's XML documents. Documents live in the process-wide slots above;
// an interface object addresses one slot (0 when constructed) and keeps its own cursor (a
// selection of element nodes, in document order, with a current node). Objects on one slot
// share its document. Expressions are XPath 1.0, evaluated against the document node.
//
// Failures are results, never exceptions: a malformed expression, one that does not give a
// node set, a missing node or an unloaded slot gives 0, false or the empty string.
//
// What other cursors see when a document changes:
//  - CreateXML on a slot (whether it succeeds or fails) empties every cursor on that slot.
//  - RemoveAll takes the removed nodes (and anything inside them) out of every cursor on the
//    slot. The others keep their selection and current node. A cursor whose current node was
//    removed has no current node (reads give "", writes false) until CounterNext moves it onto
//    the next surviving node or CounterLast onto the previous one.
//  - Added nodes never enter other cursors' selections.
// No cursor ever points at a node that has left its document.
//
// Not locked: the launcher uses the documents from one thread at a time.
class CXMLFileManagerInterface {
 public:
  CXMLFileManagerInterface();
  ~CXMLFileManagerInterface();
  CXMLFileManagerInterface(const CXMLFileManagerInterface& other);
  CXMLFileManagerInterface& operator=(const CXMLFileManagerInterface& other);

  // Start-up and exit of the library. UnInitialize drops every slot's document.
  int Initialize();
  int UnInitialize();

  // Later calls address `slot`; the cursor starts empty. False (and nothing changes) for a
  // number outside XMLFILENAMES.
  bool SetFileIndex(int slot);
  int GetFileIndex() const;

  // Loads the slot from XML text (text whose first character after white space and an optional
  // byte-order mark is '<') or from the desktop file at that path (encoding detected from its
  // byte-order mark, UTF-8 otherwise). 0 on success. On failure the slot is left empty, so a
  // missing file leaves nothing to read: the file service's error for a file that cannot be
  // read, kErrorInvalidData for a document that does not parse.
  platform::ErrorCode CreateXML(const std::string& pathOrText);
  bool IsXMLLoaded() const;
  // Writes the slot's document as UTF-8 XML (with a declaration, indented) to a desktop path.
  platform::ErrorCode Saveit(const std::string& path) const;

  // Selects the element nodes of `expression`; answers their number, the cursor on the first.
  int SelectNodes(const std::string& expression);
  // One node forward / back; 0 (and the cursor stays) when there is none, 1 otherwise.
  int CounterNext();
  int CounterLast();

  std::string GetAttribute(const std::string& name) const;
  bool SetAttribute(const std::string& name, std::string_view value);
  // On the first element that `expression` selects; this object's cursor does not move.
  std::string GetAttributeSingleNode(const std::string& expression, const std::string& name) const;
  bool SetAttributeSingleNode(const std::string& expression, const std::string& name, std::string_view value);
  std::string GetParentAttribute(const std::string& name) const;

  // Appends an empty element as the last child of the current node; the cursor stays.
  bool AddNodeAsChild(const std::string& name);
  // Inserts an empty element after the last node of the selection, as its sibling; it joins
  // the selection and becomes the current node. False for an empty selection and for a last
  // node that is the document element (a document has one).
  bool AddNodeToEndOfList(const std::string& name);
  // Removes every element that `expression` selects; answers how many subtrees went.
  int RemoveAll(const std::string& expression);

  // The feature tree ("//QEL/FeatureTree//Feature"); attribute names: FeatureData.h.
  // By the feature's `index` or by its `property` (first match in document order).
  bool GetFeatureData(int index, CXML_FEATURE_DATA& record) const;
  bool GetFeatureData(const std::string& key, CXML_FEATURE_DATA& record) const;
  // Writes the record to the feature with its `index` (to the one with its `property` when the
  // index is negative).
  bool SetFeatureData(CXML_FEATURE_DATA record);
  // Sets the feature's `checked` and, so that later readers see the choice, its property in the
  // property store of slot 0 to "1" or "0". Sub-features are left as they are.
  bool ToggleCheck(int index, bool checked);
  bool ToggleCheck(const std::string& key, bool checked);

  // The property list of this slot's document ("//QEL/Properties/Property", `name`, `value`),
  // looked up through an index by name: the first element of a name in document order counts,
  // whatever characters the name holds. Setting overwrites that element's value or appends a
  // new element after the last property; it never creates the first one (false then).
  std::string GetPropertyValue(std::string_view name) const;
  bool SetPropertyValue(std::string_view name, std::string_view value);

 private:
  std::unique_ptr<xmldoc::Cursor> cursor_;
};

// The system's language as a primary language id, except Traditional Chinese, which answers
// 31748 whatever its region.
int GetOsLanguage();

}  // namespace qel
