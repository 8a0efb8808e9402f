#include "config/XMLFileManagerInterface.h"

#include <string>

#include "config/XmlSlots.h"
#include "platform/Platform.h"

namespace qel {
namespace {

using xmldoc::Slot;
using xmldoc::SlotAt;

bool LooksLikeXmlText(const std::string& text) {
  std::size_t at = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n')) ++at;
  return at < text.size() && text[at] == '<';
}

std::unique_ptr<pugi::xml_document> Parse(const std::string& bytes, pugi::xml_encoding encoding) {
  auto document = std::make_unique<pugi::xml_document>();
  const pugi::xml_parse_result result = document->load_buffer(bytes.data(), bytes.size(), pugi::parse_default, encoding);
  if (!result || !document->document_element()) return nullptr;
  return document;
}

struct StringWriter : pugi::xml_writer {
  std::string bytes;
  void write(const void* data, size_t size) override { bytes.append(static_cast<const char*>(data), size); }
};

bool SetOn(pugi::xml_node node, const std::string& name, std::string_view value) {
  if (!node || !xmldoc::IsXmlName(name)) return false;
  pugi::xml_attribute attribute = node.attribute(name.c_str());
  if (!attribute) attribute = node.append_attribute(name.c_str());
  return attribute.set_value(value.data(), value.size());
}

}  // namespace

CXMLFileManagerInterface::CXMLFileManagerInterface() : cursor_(std::make_unique<xmldoc::Cursor>()) {
  xmldoc::Attach(*cursor_);
}

CXMLFileManagerInterface::~CXMLFileManagerInterface() { xmldoc::Detach(*cursor_); }

CXMLFileManagerInterface::CXMLFileManagerInterface(const CXMLFileManagerInterface& other)
    : cursor_(std::make_unique<xmldoc::Cursor>(*other.cursor_)) {
  xmldoc::Attach(*cursor_);
}

CXMLFileManagerInterface& CXMLFileManagerInterface::operator=(const CXMLFileManagerInterface& other) {
  if (this == &other) return *this;
  xmldoc::Detach(*cursor_);
  *cursor_ = *other.cursor_;
  xmldoc::Attach(*cursor_);
  return *this;
}

int CXMLFileManagerInterface::Initialize() { return 0; }

int CXMLFileManagerInterface::UnInitialize() {
  for (int slot = 0; slot < xmldoc::kSlotCount; ++slot) xmldoc::ReplaceDocument(slot, nullptr);
  return 0;
}

bool CXMLFileManagerInterface::SetFileIndex(int slot) {
  if (!xmldoc::IsValidSlot(slot)) return false;
  xmldoc::Detach(*cursor_);
  cursor_->Clear();
  cursor_->slot = slot;
  xmldoc::Attach(*cursor_);
  return true;
}

int CXMLFileManagerInterface::GetFileIndex() const { return cursor_->slot; }

platform::ErrorCode CXMLFileManagerInterface::CreateXML(const std::string& pathOrText) {
  std::unique_ptr<pugi::xml_document> document;
  platform::ErrorCode error = platform::kSuccess;
  if (LooksLikeXmlText(pathOrText)) {
    document = Parse(pathOrText, pugi::encoding_utf8);
  } else {
    std::string bytes;
    error = pathOrText.empty() ? platform::kErrorFileNotFound : platform::Files().ReadFile(pathOrText, bytes);
    if (error == platform::kSuccess) document = Parse(bytes, pugi::encoding_auto);
  }
  if (!document && error == platform::kSuccess) error = platform::kErrorInvalidData;
  xmldoc::ReplaceDocument(cursor_->slot, std::move(document));
  return error;
}

bool CXMLFileManagerInterface::IsXMLLoaded() const { return SlotAt(cursor_->slot).document != nullptr; }

platform::ErrorCode CXMLFileManagerInterface::Saveit(const std::string& path) const {
  const Slot& slot = SlotAt(cursor_->slot);
  if (!slot.document) return platform::kErrorInvalidHandle;
  StringWriter writer;
  slot.document->save(writer, "\t", pugi::format_default, pugi::encoding_utf8);
  return platform::Files().WriteFile(path, writer.bytes);
}

int CXMLFileManagerInterface::SelectNodes(const std::string& expression) {
  cursor_->Clear();
  const Slot& slot = SlotAt(cursor_->slot);
  if (!slot.document) return 0;
  auto elements = xmldoc::SelectElements(*slot.document, expression);
  if (!elements) return 0;
  cursor_->Select(std::move(*elements));
  return static_cast<int>(cursor_->selection.size());
}

int CXMLFileManagerInterface::CounterNext() { return cursor_->Next() ? 1 : 0; }

int CXMLFileManagerInterface::CounterLast() { return cursor_->Back() ? 1 : 0; }

std::string CXMLFileManagerInterface::GetAttribute(const std::string& name) const {
  return cursor_->Current().attribute(name.c_str()).value();
}

bool CXMLFileManagerInterface::SetAttribute(const std::string& name, std::string_view value) {
  const pugi::xml_node node = cursor_->Current();
  if (!SetOn(node, name, value)) return false;
  if (name == "name" && xmldoc::IsPropertyElement(node)) SlotAt(cursor_->slot).properties.Invalidate();
  return true;
}

std::string CXMLFileManagerInterface::GetAttributeSingleNode(const std::string& expression,
                                                             const std::string& name) const {
  const Slot& slot = SlotAt(cursor_->slot);
  if (!slot.document) return {};
  const auto elements = xmldoc::SelectElements(*slot.document, expression);
  if (!elements || elements->empty()) return {};
  return elements->front().attribute(name.c_str()).value();
}

bool CXMLFileManagerInterface::SetAttributeSingleNode(const std::string& expression, const std::string& name,
                                                      std::string_view value) {
  Slot& slot = SlotAt(cursor_->slot);
  if (!slot.document) return false;
  const auto elements = xmldoc::SelectElements(*slot.document, expression);
  if (!elements || elements->empty()) return false;
  const pugi::xml_node node = elements->front();
  if (!SetOn(node, name, value)) return false;
  if (name == "name" && xmldoc::IsPropertyElement(node)) slot.properties.Invalidate();
  return true;
}

std::string CXMLFileManagerInterface::GetParentAttribute(const std::string& name) const {
  return cursor_->Current().parent().attribute(name.c_str()).value();
}

bool CXMLFileManagerInterface::AddNodeAsChild(const std::string& name) {
  pugi::xml_node node = cursor_->Current();
  if (!node || !xmldoc::IsXmlName(name)) return false;
  const pugi::xml_node child = node.append_child(name.c_str());
  if (!child) return false;
  // A new Property moves the end of the property list, which the index remembers.
  if (xmldoc::IsPropertyElement(child)) SlotAt(cursor_->slot).properties.Invalidate();
  return true;
}

bool CXMLFileManagerInterface::AddNodeToEndOfList(const std::string& name) {
  if (cursor_->selection.empty() || !xmldoc::IsXmlName(name)) return false;
  const pugi::xml_node last = cursor_->selection.back();
  pugi::xml_node parent = last.parent();
  if (parent.type() != pugi::node_element) return false;
  const pugi::xml_node added = parent.insert_child_after(name.c_str(), last);
  if (!added) return false;
  if (xmldoc::IsPropertyElement(added)) SlotAt(cursor_->slot).properties.Invalidate();
  cursor_->selection.push_back(added);
  cursor_->position = cursor_->selection.size() - 1;
  cursor_->betweenNodes = false;
  return true;
}

int CXMLFileManagerInterface::RemoveAll(const std::string& expression) {
  const Slot& slot = SlotAt(cursor_->slot);
  if (!slot.document) return 0;
  const auto elements = xmldoc::SelectElements(*slot.document, expression);
  if (!elements) return 0;
  return xmldoc::RemoveNodes(cursor_->slot, *elements);
}

std::string CXMLFileManagerInterface::GetPropertyValue(std::string_view name) const {
  Slot& slot = SlotAt(cursor_->slot);
  if (!slot.document || name.empty()) return {};
  return slot.properties.Find(*slot.document, name).attribute("value").value();
}

bool CXMLFileManagerInterface::SetPropertyValue(std::string_view name, std::string_view value) {
  Slot& slot = SlotAt(cursor_->slot);
  if (!slot.document) return false;
  return slot.properties.Set(*slot.document, name, value);
}

}  // namespace qel
