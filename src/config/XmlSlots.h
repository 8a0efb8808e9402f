#pragma once
#include <pugixml.hpp>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/PropertyIndex.h"

// The process-wide document slots behind CXMLFileManagerInterface, and the cursors that point
// into them. Internal to the document interface.
namespace qel::xmldoc {

// A selection of element nodes with a current position. When the current node is removed from
// the document the cursor keeps its place between the neighbours: it has no current node until
// CounterNext or CounterLast moves onto a surviving one.
struct Cursor {
  int slot = 0;
  std::vector<pugi::xml_node> selection;
  std::size_t position = 0;
  bool betweenNodes = false;

  pugi::xml_node Current() const;
  void Clear();
  void Select(std::vector<pugi::xml_node> nodes);
  bool Next();
  bool Back();
  // Drops every selected node that is, or lies inside, one of `removedRoots`.
  void Forget(const std::vector<pugi::xml_node>& removedRoots);
};

struct Slot {
  std::unique_ptr<pugi::xml_document> document;
  std::vector<Cursor*> cursors;  // every live cursor addressing this slot
  PropertyIndex properties;
};

inline constexpr int kSlotCount = 5;

bool IsValidSlot(int slot);
Slot& SlotAt(int slot);  // slot must be valid

void Attach(Cursor& cursor);
void Detach(Cursor& cursor);

// Puts `document` (possibly null) into the slot; every cursor on it loses its selection.
void ReplaceDocument(int slot, std::unique_ptr<pugi::xml_document> document);
// Removes the nodes from the slot's document after taking them out of every cursor. A node
// inside another one of the list goes with its ancestor. Answers how many were removed.
int RemoveNodes(int slot, const std::vector<pugi::xml_node>& nodes);

// The element nodes that `expression` selects, in document order; nothing when the expression
// is malformed or does not give a node set.
std::optional<std::vector<pugi::xml_node>> SelectElements(const pugi::xml_node& context,
                                                          const std::string& expression);

// Whether `name` can be written as an element or attribute name (a simplified XML Name:
// a letter, '_', ':' or any non-ASCII byte first, then also digits, '-' and '.').
bool IsXmlName(const std::string& name);

}  // namespace qel::xmldoc
