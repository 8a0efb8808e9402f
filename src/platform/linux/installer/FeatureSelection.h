#pragma once
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/linux/installer/Package.h"

// Decides each feature's state for one run: by level and the Condition table on a first
// installation without feature lists, from the installed states in maintenance (or all absent
// on a first installation with lists), then ADDLOCAL, ADDSOURCE and REMOVE (feature names
// separated by commas, or ALL).
namespace qel::platform::installer {

struct FeatureRequest {
  int installLevel = 1;
  std::string addLocal;
  std::string addSource;
  std::string remove;
};

// State per feature: kFeatureStateLocal, kFeatureStateSource or kFeatureStateAbsent.
using FeatureStates = std::map<std::string, int>;

// `installed` holds the installed states in maintenance and is empty on a first installation.
// `condition` evaluates a Condition row (nothing: it does not parse, and the row is ignored).
// Unknown feature names in the lists give kUnknownFeature through `unknownFeature`.
FeatureStates SelectFeatures(const Package& package, const FeatureRequest& request,
                             const std::optional<FeatureStates>& installed,
                             const std::function<std::optional<bool>(const std::string&)>& condition,
                             std::string* unknownFeature);

// Names of the list ("ALL" expands to every feature); empty for an empty list.
std::set<std::string> FeatureList(const Package& package, const std::string& list);

// Components whose files belong on the machine for these feature states.
std::set<std::string> LocalComponents(const Package& package, const FeatureStates& states);

}  // namespace qel::platform::installer
