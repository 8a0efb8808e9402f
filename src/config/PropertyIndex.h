#pragma once
#include <pugixml.hpp>

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace qel::xmldoc {

// True for an element that the property path "//QEL/Properties/Property" selects.
bool IsPropertyElement(const pugi::xml_node& node);

// The property list of one document, indexed by name so that a read or write does not walk the
// document. The first element of a name in document order is the one that counts. The index
// is rebuilt lazily after a change it cannot follow (the owner calls Invalidate); writes that go
// through Set keep it current without a rebuild.
class PropertyIndex {
 public:
  void Invalidate() { stale_ = true; }

  // The first element named `name`, or a null node.
  pugi::xml_node Find(const pugi::xml_node& document, std::string_view name);
  // Overwrites the first element of that name, or appends a new element after the last one.
  // False for an empty name or when the document has no property to append after.
  bool Set(const pugi::xml_node& document, std::string_view name, std::string_view value);

 private:
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
  };

  void RebuildIfStale(const pugi::xml_node& document);

  bool stale_ = true;
  std::unordered_map<std::string, pugi::xml_node, NameHash, std::equal_to<>> first_;
  pugi::xml_node last_;
};

}  // namespace qel::xmldoc
