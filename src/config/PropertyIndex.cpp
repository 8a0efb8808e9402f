#include "config/PropertyIndex.h"

#include <cstring>

namespace qel::xmldoc {
namespace {

bool HasName(const pugi::xml_node& node, const char* name) {
  return node.type() == pugi::node_element && std::strcmp(node.name(), name) == 0;
}

// Calls `visit` for every node below `root` in document order.
template <typename Visit>
void WalkInDocumentOrder(const pugi::xml_node& root, Visit visit) {
  pugi::xml_node node = root.first_child();
  while (node) {
    visit(node);
    if (node.first_child()) {
      node = node.first_child();
      continue;
    }
    while (node != root && !node.next_sibling()) node = node.parent();
    if (node == root) return;
    node = node.next_sibling();
  }
}

}  // namespace

bool IsPropertyElement(const pugi::xml_node& node) {
  if (!HasName(node, "Property")) return false;
  const pugi::xml_node list = node.parent();
  return HasName(list, "Properties") && HasName(list.parent(), "QEL");
}

pugi::xml_node PropertyIndex::Find(const pugi::xml_node& document, std::string_view name) {
  RebuildIfStale(document);
  const auto found = first_.find(name);
  return found == first_.end() ? pugi::xml_node() : found->second;
}

bool PropertyIndex::Set(const pugi::xml_node& document, std::string_view name, std::string_view value) {
  // A NUL would cut the name short inside the document and break the index's agreement with it.
  if (name.empty() || name.find('\0') != std::string_view::npos) return false;
  pugi::xml_node element = Find(document, name);
  if (element) {
    pugi::xml_attribute valueAttribute = element.attribute("value");
    if (!valueAttribute) valueAttribute = element.append_attribute("value");
    return valueAttribute.set_value(value.data(), value.size());
  }
  if (!last_) return false;

  element = last_.parent().insert_child_after("Property", last_);
  if (!element) return false;
  const std::string key(name);
  element.append_attribute("name").set_value(key.c_str());
  element.append_attribute("value").set_value(value.data(), value.size());
  first_.emplace(key, element);
  last_ = element;
  return true;
}

void PropertyIndex::RebuildIfStale(const pugi::xml_node& document) {
  if (!stale_) return;
  const std::size_t previousSize = first_.size();
  first_.clear();
  first_.reserve(previousSize);
  last_ = pugi::xml_node();
  WalkInDocumentOrder(document, [this](const pugi::xml_node& node) {
    if (!IsPropertyElement(node)) return;
    last_ = node;
    const char* name = node.attribute("name").value();
    if (*name != '\0') first_.emplace(name, node);  // emplace keeps the first of a name
  });
  stale_ = false;
}

}  // namespace qel::xmldoc
