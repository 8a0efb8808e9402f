#include "config/XmlSlots.h"

#include <algorithm>
#include <array>
#include <new>
#include <unordered_set>

namespace qel::xmldoc {
namespace {

std::array<Slot, kSlotCount>& Slots() {
  static std::array<Slot, kSlotCount> slots;
  return slots;
}

bool InsideAny(pugi::xml_node node, const std::unordered_set<pugi::xml_node_struct*>& roots) {
  for (; node; node = node.parent()) {
    if (roots.count(node.internal_object()) != 0) return true;
  }
  return false;
}

bool IsNameStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

bool IsNameChar(unsigned char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

}  // namespace

pugi::xml_node Cursor::Current() const {
  if (betweenNodes || position >= selection.size()) return {};
  return selection[position];
}

void Cursor::Clear() {
  selection.clear();
  position = 0;
  betweenNodes = false;
}

void Cursor::Select(std::vector<pugi::xml_node> nodes) {
  selection = std::move(nodes);
  position = 0;
  betweenNodes = false;
}

bool Cursor::Next() {
  if (betweenNodes) {
    if (position >= selection.size()) return false;
    betweenNodes = false;
    return true;
  }
  if (position + 1 >= selection.size()) return false;
  ++position;
  return true;
}

bool Cursor::Back() {
  if (position == 0 || selection.empty()) return false;
  --position;
  betweenNodes = false;
  return true;
}

void Cursor::Forget(const std::vector<pugi::xml_node>& removedRoots) {
  std::unordered_set<pugi::xml_node_struct*> roots;
  for (const auto& node : removedRoots) roots.insert(node.internal_object());

  std::vector<pugi::xml_node> kept;
  std::size_t keptBeforePosition = 0;
  bool currentRemoved = false;
  for (std::size_t i = 0; i < selection.size(); ++i) {
    if (InsideAny(selection[i], roots)) {
      if (i == position && !betweenNodes) currentRemoved = true;
      continue;
    }
    if (i < position) ++keptBeforePosition;
    kept.push_back(selection[i]);
  }
  selection = std::move(kept);
  position = keptBeforePosition;
  betweenNodes = betweenNodes || currentRemoved;
}

bool IsValidSlot(int slot) { return slot >= 0 && slot < kSlotCount; }

Slot& SlotAt(int slot) { return Slots()[static_cast<std::size_t>(slot)]; }

void Attach(Cursor& cursor) { SlotAt(cursor.slot).cursors.push_back(&cursor); }

void Detach(Cursor& cursor) {
  auto& cursors = SlotAt(cursor.slot).cursors;
  cursors.erase(std::remove(cursors.begin(), cursors.end(), &cursor), cursors.end());
}

void ReplaceDocument(int slot, std::unique_ptr<pugi::xml_document> document) {
  Slot& target = SlotAt(slot);
  for (Cursor* cursor : target.cursors) cursor->Clear();
  target.properties.Invalidate();
  target.document = std::move(document);
}

int RemoveNodes(int slot, const std::vector<pugi::xml_node>& nodes) {
  Slot& target = SlotAt(slot);
  std::unordered_set<pugi::xml_node_struct*> all;
  for (const auto& node : nodes) all.insert(node.internal_object());

  // Only the outermost nodes are removed; their descendants in the list go with them.
  std::vector<pugi::xml_node> roots;
  for (const auto& node : nodes) {
    if (!node.parent() || InsideAny(node.parent(), all)) continue;
    roots.push_back(node);
  }
  if (roots.empty()) return 0;

  for (Cursor* cursor : target.cursors) cursor->Forget(roots);
  target.properties.Invalidate();
  for (auto& node : roots) node.parent().remove_child(node);
  return static_cast<int>(roots.size());
}

std::optional<std::vector<pugi::xml_node>> SelectElements(const pugi::xml_node& context,
                                                          const std::string& expression) {
  if (expression.empty() || expression.find('\0') != std::string::npos) return std::nullopt;
  try {
    pugi::xpath_query query(expression.c_str());
    if (!query || query.return_type() != pugi::xpath_type_node_set) return std::nullopt;
    pugi::xpath_node_set found = query.evaluate_node_set(context);
    found.sort();
    std::vector<pugi::xml_node> elements;
    elements.reserve(found.size());
    for (const auto& match : found) {
      if (match.node().type() == pugi::node_element) elements.push_back(match.node());
    }
    return elements;
  } catch (const pugi::xpath_exception&) {
    return std::nullopt;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

bool IsXmlName(const std::string& name) {
  if (name.empty() || !IsNameStart(static_cast<unsigned char>(name.front()))) return false;
  return std::all_of(name.begin(), name.end(), [](char c) { return IsNameChar(static_cast<unsigned char>(c)); });
}

}  // namespace qel::xmldoc
