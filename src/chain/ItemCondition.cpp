#include "chain/ItemCondition.h"

#include "platform/TextCase.h"

namespace qel {
namespace {

std::string_view TrimWhiteSpace(std::string_view text) {
  constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";
  const std::size_t first = text.find_first_not_of(kWhiteSpace);
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(kWhiteSpace);
  return text.substr(first, last - first + 1);
}

}  // namespace

bool EvaluateItemCondition(std::string_view condition, const CUtlXProperty& properties) {
  if (condition.empty()) return true;
  const std::size_t equals = condition.find('=');
  if (equals != std::string_view::npos && equals > 0) {
    const std::string_view name = TrimWhiteSpace(condition.substr(0, equals));
    const std::string_view value = TrimWhiteSpace(condition.substr(equals + 1));
    return EqualsNoCase(properties.GetProperty(name), value);
  }
  return !properties.GetProperty(condition).empty();
}

bool EvaluateItemCondition(const CUtlXSetup& item) {
  return EvaluateItemCondition(item.GetCondition(), item.Properties());
}

}  // namespace qel
