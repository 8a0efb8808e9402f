#include "platform/linux/installer/FeatureSelection.h"

#include <sstream>

#include "platform/InstallerService.h"

namespace qel::platform::installer {
namespace {

std::string Trim(const std::string& text) {
  auto begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return {};
  auto end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

int FirstInstallState(const Package& package, const FeatureRow& feature, int installLevel,
                      const std::function<std::optional<bool>(const std::string&)>& condition) {
  int level = feature.level;
  for (const auto& row : package.conditions) {
    if (row.feature != feature.id) continue;
    auto holds = condition(row.condition);
    if (holds && *holds) level = row.level;
  }
  if (level <= 0 || level > installLevel) return kFeatureStateAbsent;
  return kFeatureStateLocal;
}

// A feature below an absent parent cannot be on the machine either.
void ApplyParents(const Package& package, FeatureStates& states) {
  bool changed = true;
  for (int guard = 0; changed && guard < 64; ++guard) {
    changed = false;
    for (const auto& feature : package.features) {
      if (feature.parent.empty()) continue;
      auto parent = states.find(feature.parent);
      if (parent == states.end() || parent->second != kFeatureStateAbsent) continue;
      if (states[feature.id] != kFeatureStateAbsent) {
        states[feature.id] = kFeatureStateAbsent;
        changed = true;
      }
    }
  }
}

// Selecting a feature selects its parents, as a feature cannot be present without them.
void SelectParents(const Package& package, const std::string& id, int state, FeatureStates& states) {
  const FeatureRow* feature = package.FindFeature(id);
  for (int guard = 0; feature != nullptr && !feature->parent.empty() && guard < 64; ++guard) {
    auto& parentState = states[feature->parent];
    if (parentState == kFeatureStateAbsent) parentState = state;
    feature = package.FindFeature(feature->parent);
  }
}

}  // namespace

std::set<std::string> FeatureList(const Package& package, const std::string& list) {
  std::set<std::string> names;
  std::stringstream stream(list);
  std::string name;
  while (std::getline(stream, name, ',')) {
    name = Trim(name);
    if (name.empty()) continue;
    if (name == "ALL") {
      for (const auto& feature : package.features) names.insert(feature.id);
      continue;
    }
    names.insert(name);
  }
  return names;
}

FeatureStates SelectFeatures(const Package& package, const FeatureRequest& request,
                             const std::optional<FeatureStates>& installed,
                             const std::function<std::optional<bool>(const std::string&)>& condition,
                             std::string* unknownFeature) {
  FeatureStates states;
  // As on the desktop, naming features on a first installation installs just those: the levels
  // decide only when no list is given.
  bool listsGiven = !request.addLocal.empty() || !request.addSource.empty() || !request.remove.empty();
  for (const auto& feature : package.features) {
    if (!installed && listsGiven) {
      states[feature.id] = kFeatureStateAbsent;
      continue;
    }
    if (installed) {
      auto it = installed->find(feature.id);
      states[feature.id] = it == installed->end() ? kFeatureStateAbsent : it->second;
      continue;
    }
    states[feature.id] = FirstInstallState(package, feature, request.installLevel, condition);
  }
  if (!installed) ApplyParents(package, states);

  auto apply = [&](const std::string& list, int state) {
    for (const auto& name : FeatureList(package, list)) {
      if (!states.count(name)) {
        if (unknownFeature != nullptr && unknownFeature->empty()) *unknownFeature = name;
        continue;
      }
      states[name] = state;
      if (state != kFeatureStateAbsent) SelectParents(package, name, state, states);
    }
  };
  apply(request.addLocal, kFeatureStateLocal);
  apply(request.addSource, kFeatureStateSource);
  apply(request.remove, kFeatureStateAbsent);
  ApplyParents(package, states);
  return states;
}

std::set<std::string> LocalComponents(const Package& package, const FeatureStates& states) {
  std::set<std::string> components;
  for (const auto& [feature, component] : package.featureComponents) {
    auto state = states.find(feature);
    if (state != states.end() && state->second == kFeatureStateLocal) components.insert(component);
  }
  return components;
}

}  // namespace qel::platform::installer
