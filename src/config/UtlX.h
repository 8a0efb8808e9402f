#pragma once
#include <string>

#include "config/XMLFileManagerInterface.h"

namespace qel {

// One cursor on a document slot (slot 0, Setup.xml, unless told otherwise). The chain wrappers
// derive from it and give Select their own expressions.
class CUtlX {
 public:
  explicit CUtlX(int slot = XMLFILE_SETUP);
  virtual ~CUtlX() = default;
  CUtlX(const CUtlX&) = default;
  CUtlX& operator=(const CUtlX&) = default;

  // Selects the nodes of the expression; answers their number, the cursor on the first.
  virtual int Select(const std::string& path);

  CXMLFileManagerInterface& Xml() { return xml_; }
  const CXMLFileManagerInterface& Xml() const { return xml_; }

 private:
  CXMLFileManagerInterface xml_;
};

}  // namespace qel
