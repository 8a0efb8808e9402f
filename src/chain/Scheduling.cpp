#include "chain/Scheduling.h"

#include "chain/ItemCondition.h"
#include "config/UtlPath.h"
#include "platform/TextCase.h"

namespace qel {

std::uint32_t ScheduleChain() {
  CUtlXSetupMsi item;
  if (item.Select("") == 0) return 0;
  do {
    ScheduleItem(item);
    CUtlXSetupMsiDbm dependent;
    if (dependent.Select(item.GetProductCode()) == 0) continue;
    do {
      ScheduleDependent(dependent);
    } while (dependent.Xml().CounterNext() != 0);
  } while (item.Xml().CounterNext() != 0);
  return 0;
}

void ScheduleItem(CUtlXSetupMsi& item) {
  const bool admin = item.Properties().IsAdminAction();
  if (item.IsManaged()) {
    item.SetScheduled(!admin || item.SupportsAdmin());
    return;
  }
  if (admin) {
    item.SetScheduled(item.Xml().GetAttribute("scheduled").empty() && item.SupportsAdmin());
    return;
  }
  if (item.IsProductInstalled()) {
    item.SetScheduled(false);
    return;
  }
  if (!item.Xml().GetAttribute("scheduled").empty()) return;
  item.SetScheduled(EvaluateItemCondition(item));
}

void ScheduleDependent(CUtlXSetupMsiDbm& dependent) {
  if (dependent.Xml().GetParentAttribute("scheduled") != "1") {
    dependent.SetScheduled(false);
    return;
  }
  if (dependent.Properties().IsAdminAction()) {
    dependent.SetScheduled(dependent.SupportsAdmin());
    return;
  }
  if (EvaluateItemCondition(dependent)) {
    dependent.SetScheduled(true);
    return;
  }
  const bool verifyingReinstall =
      ToLower(dependent.Properties().GetProperty("REINSTALLMODE")).find('v') != std::string::npos;
  dependent.SetScheduled(verifyingReinstall && dependent.IsProductInstalled() &&
                         CUtlPath(dependent.Xml().GetParentAttribute("file")).Is(CUtlPath::kExists));
}

}  // namespace qel
