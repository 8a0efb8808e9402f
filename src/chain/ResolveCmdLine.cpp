#include "chain/ResolveCmdLine.h"

#include <algorithm>
#include <vector>

#include "chain/ComposeCmdLine.h"
#include "platform/TextCase.h"

namespace qel {
namespace {

std::string WithoutQuotes(std::string text) {
  std::erase(text, '"');
  return text;
}

std::string TrimWhiteSpace(const std::string& text) {
  constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";
  const std::size_t first = text.find_first_not_of(kWhiteSpace);
  if (first == std::string::npos) return {};
  const std::size_t last = text.find_last_not_of(kWhiteSpace);
  return text.substr(first, last - first + 1);
}

class ReferenceResolver {
 public:
  explicit ReferenceResolver(const CUtlXProperty& properties) : properties_(properties) {}

  std::string Resolve(std::string_view text) {
    std::string line;
    Expand(text, 0, line);
    return line;
  }

 private:
  void Expand(std::string_view text, int depth, std::string& line) {
    std::size_t position = 0;
    while (position < text.size()) {
      const std::size_t open = text.find('[', position);
      const std::size_t close = open == std::string_view::npos ? open : text.find(']', open + 1);
      if (close == std::string_view::npos || line.size() >= kMaxResolvedLength) {
        line.append(text.substr(position));
        return;
      }
      line.append(text.substr(position, open - position));
      const std::string_view reference = text.substr(open, close - open + 1);
      const std::string name(reference.substr(1, reference.size() - 2));
      position = close + 1;
      if (depth >= kMaxReferenceDepth || IsBeingExpanded(name)) {
        line.append(reference);
        continue;
      }
      expanding_.push_back(name);
      Expand(ValueOf(name), depth + 1, line);
      expanding_.pop_back();
    }
  }

  std::string ValueOf(const std::string& name) const {
    std::string value = properties_.GetProperty(name);
    if (value.empty()) value = "0";
    return TrimWhiteSpace(WithoutQuotes(std::move(value)));
  }

  bool IsBeingExpanded(const std::string& name) const {
    return std::find(expanding_.begin(), expanding_.end(), name) != expanding_.end();
  }

  const CUtlXProperty& properties_;
  std::vector<std::string> expanding_;
};

}  // namespace

std::string ResolveReferences(std::string_view text, const CUtlXProperty& properties) {
  return ReferenceResolver(properties).Resolve(text);
}

std::string AllPublicProperties() {
  CXMLFileManagerInterface list;
  std::string line;
  if (list.SelectNodes("//QEL/Properties/Property") == 0) return line;
  do {
    const std::string name = list.GetAttribute("name");
    const std::string value = list.GetAttribute("value");
    if (name.empty() || value.empty() || ToUpper(name) != name) continue;
    if (!line.empty()) line += ' ';
    line += name + "=\"" + WithoutQuotes(value) + "\"";
  } while (list.CounterNext() != 0);
  return line;
}

std::string ResolveCmdLine(const CUtlXSetupMsi& item) {
  const std::string line = item.GetCmdLine();
  if (line == kAllPublicCmdLine) return AllPublicProperties();
  return ResolveReferences(line, item.Properties());
}

}  // namespace qel
