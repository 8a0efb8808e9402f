// The feature-record operations of CXMLFileManagerInterface.
#include <charconv>
#include <string>

#include "config/XMLFileManagerInterface.h"
#include "config/XPathLiteral.h"
#include "config/XmlSlots.h"

namespace qel {
namespace {

pugi::xml_node FindFeature(int slot, const std::string& attribute, const std::string& value) {
  const auto& document = xmldoc::SlotAt(slot).document;
  if (!document) return {};
  const std::string expression = "//QEL/FeatureTree//Feature[@" + attribute + "=" + XPathLiteral(value) + "]";
  const auto found = xmldoc::SelectElements(*document, expression);
  if (!found || found->empty()) return {};
  return found->front();
}

pugi::xml_node FeatureByIndex(int slot, int index) {
  if (index < 0) return {};
  return FindFeature(slot, "index", std::to_string(index));
}

pugi::xml_node FeatureByKey(int slot, const std::string& key) { return FindFeature(slot, "property", key); }

bool Flag(const pugi::xml_node& feature, const char* name) {
  return std::string_view(feature.attribute(name).value()) == "1";
}

std::int32_t IndexOf(const pugi::xml_node& feature) {
  const std::string_view text = feature.attribute("index").value();
  std::int32_t index = -1;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index);
  if (error != std::errc() || end != text.data() + text.size()) return -1;
  return index;
}

void Write(pugi::xml_node feature, const char* name, std::string_view value) {
  pugi::xml_attribute attribute = feature.attribute(name);
  if (!attribute) attribute = feature.append_attribute(name);
  attribute.set_value(value.data(), value.size());
}

void WriteFlag(pugi::xml_node feature, const char* name, bool value) { Write(feature, name, value ? "1" : "0"); }

bool Read(const pugi::xml_node& feature, CXML_FEATURE_DATA& record) {
  if (!feature) return false;
  record = CXML_FEATURE_DATA{};
  record.title = feature.attribute("title").value();
  record.description = feature.attribute("description").value();
  record.destination = feature.attribute("dest").value();
  record.property = feature.attribute("property").value();
  record.checked = Flag(feature, "checked");
  record.checkedAtStart = Flag(feature, "checkedatstart");
  record.expanded = Flag(feature, "expanded");
  record.redTick = Flag(feature, "redtick");
  record.plainBox = Flag(feature, "plainbox");
  record.index = IndexOf(feature);
  return true;
}

// Ticks or clears the feature and mirrors the choice in its property, which the package
// command lines and the source cache read later.
bool Toggle(pugi::xml_node feature, bool checked) {
  if (!feature) return false;
  WriteFlag(feature, "checked", checked);
  const std::string property = feature.attribute("property").value();
  if (!property.empty()) {
    CXMLFileManagerInterface store;  // slot 0: the launcher's property store
    store.SetPropertyValue(property, checked ? "1" : "0");
  }
  return true;
}

}  // namespace

bool CXMLFileManagerInterface::GetFeatureData(int index, CXML_FEATURE_DATA& record) const {
  return Read(FeatureByIndex(GetFileIndex(), index), record);
}

bool CXMLFileManagerInterface::GetFeatureData(const std::string& key, CXML_FEATURE_DATA& record) const {
  return Read(FeatureByKey(GetFileIndex(), key), record);
}

bool CXMLFileManagerInterface::SetFeatureData(CXML_FEATURE_DATA record) {
  pugi::xml_node feature =
      record.index >= 0 ? FeatureByIndex(GetFileIndex(), record.index) : FeatureByKey(GetFileIndex(), record.property);
  if (!feature) return false;
  Write(feature, "title", record.title);
  Write(feature, "description", record.description);
  Write(feature, "dest", record.destination);
  Write(feature, "property", record.property);
  WriteFlag(feature, "checked", record.checked);
  WriteFlag(feature, "checkedatstart", record.checkedAtStart);
  WriteFlag(feature, "expanded", record.expanded);
  WriteFlag(feature, "redtick", record.redTick);
  WriteFlag(feature, "plainbox", record.plainBox);
  return true;
}

bool CXMLFileManagerInterface::ToggleCheck(int index, bool checked) {
  return Toggle(FeatureByIndex(GetFileIndex(), index), checked);
}

bool CXMLFileManagerInterface::ToggleCheck(const std::string& key, bool checked) {
  return Toggle(FeatureByKey(GetFileIndex(), key), checked);
}

}  // namespace qel
