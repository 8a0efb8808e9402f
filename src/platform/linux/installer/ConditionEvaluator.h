#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The installer's condition language: properties, "strings", integers, the comparison
// operators (= <> < > <= >=, >< contains, << starts with, >> ends with, each case-blind with a
// leading ~), NOT, AND, OR, XOR, EQV, IMP, parentheses, %ENVIRONMENT and the state operators
// $component, ?component, &feature, !feature.
namespace qel::platform::installer {

struct ConditionContext {
  std::function<std::string(const std::string&)> property;
  // Answers a state operator: `kind` is '$', '?', '&' or '!'; -1 when unknown.
  std::function<int(char kind, const std::string&)> state;
};

// An empty condition is true; nothing for a condition that does not parse.
std::optional<bool> EvaluateCondition(std::string_view condition, const ConditionContext& context);

}  // namespace qel::platform::installer
