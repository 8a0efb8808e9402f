#include <cmath>

#include "config/ResultText.h"
#include "config/XMLFileManagerInterface.h"
#include "platform/TextCase.h"
#include "uimsg/HandlerOutput.h"
#include "uimsg/SetupMessageFormat.h"
#include "uimsg/SetupUIHandler.h"
#include "uimsg/UiMessageTypes.h"

// The install chain's blocks: the counters of the overall percentage and the log around the
// chain and each of its items.
namespace qel {
namespace {

bool IsExecutableFile(const std::string& file) {
  const std::string lower = ToLower(file);
  return lower.size() >= 4 && lower.compare(lower.size() - 4, 4, ".exe") == 0;
}

struct ChainCount {
  int total = 0;        // every item of the chain
  int toExecute = 0;    // scheduled items
  int inPercent = 0;    // scheduled items that are not executables
  std::string list = "Execute Chain:\r\n";
};

// Counts the item under the cursor; answers whether it is scheduled.
bool CountItem(CXMLFileManagerInterface& cursor, ChainCount& count) {
  ++count.total;
  if (cursor.GetAttribute("scheduled") != "1") return false;
  ++count.toExecute;
  count.list += FormatSetupText("%d\tProduct: %s\tFile: %s\r\n", count.toExecute,
                                cursor.GetAttribute("productcode"), cursor.GetAttribute("file"));
  if (!IsExecutableFile(cursor.GetAttribute("file"))) ++count.inPercent;
  return true;
}

void CountAdminAction(ChainCount& count) {
  ++count.total;
  ++count.toExecute;
  count.list += FormatSetupText("%d\tProduct: %s\tFile: %s\r\n", count.toExecute, "After Admin Action",
                                "After Admin Action");
}

ChainCount CountChain(bool adminInstall) {
  ChainCount count;
  CXMLFileManagerInterface items;
  const int itemCount = items.SelectNodes("//QEL/Setups/Msi");
  for (int index = 1; index <= itemCount; ++index) {
    if (CountItem(items, count)) {
      CXMLFileManagerInterface dependents;
      const std::string expression = FormatSetupText("(//QEL/Setups/Msi)[%d]/Dbm", index);
      if (dependents.SelectNodes(expression) > 0) {
        do {
          CountItem(dependents, count);
        } while (dependents.CounterNext() != 0);
      }
    }
    if (index < itemCount) items.CounterNext();
  }
  if (adminInstall) CountAdminAction(count);
  return count;
}

// The patches in document order; `found` tells whether there is any.
ChainCount CountPatches(bool adminInstall, bool& found) {
  ChainCount count;
  CXMLFileManagerInterface patches;
  found = patches.SelectNodes("//QEL/Patches/Msp") > 0;
  if (!found) return count;
  do {
    CountItem(patches, count);
  } while (patches.CounterNext() != 0);
  if (adminInstall) CountAdminAction(count);
  return count;
}

std::vector<std::string> SplitFields(std::string_view text, char separator) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(separator, start);
    fields.emplace_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
    if (at == std::string_view::npos) return fields;
    start = at + 1;
  }
}

}  // namespace

void CSetupUIHandler::ResetChainCounters() {
  percent_ = 0.0f;
  itemIndex_ = 0;
  itemsToRun_ = 0;
  basePercent_ = 0;
  itemsDone_ = 0;
  chainRunning_ = true;
  captionFinal_ = false;
  context_ = &kUiContextNone;
  itemKind_.clear(), itemName_.clear();
  actionName_.clear(), actionPrefix_.clear(), actionDescription_.clear();
}

void CSetupUIHandler::LogChainStart(const std::string& list, int toExecute, int total) {
  log_.WriteLine("\r\n");
  log_.WriteLine(kLogSeparator);
  log_.WriteLine(kLogSeparator);
  log_.WriteLine("=== Install Chain Start");
  LogTimed(FormatSetupText("%d of %d items will be executed", toExecute, total));
  log_.WriteLine(list);
}

int CSetupUIHandler::OnChainStart() {
  ResetChainCounters();
  const ChainCount count = CountChain(adminInstall_);
  itemsToRun_ = count.inPercent;
  LogChainStart(count.list, count.toExecute, count.total);
  multiplier_ = adminInstall_ ? 3.0f : 5.0f;
  return kAnswerOk;
}

void CSetupUIHandler::StartPatchChain() {
  std::lock_guard lock(mutex_);
  ResetChainCounters();
  bool found = false;
  const ChainCount count = CountPatches(adminInstall_, found);
  if (!found) return;
  itemsToRun_ = count.inPercent;
  LogChainStart(count.list, count.toExecute, count.total);
  multiplier_ = adminInstall_ ? 3.0f : 5.0f;
}

void CSetupUIHandler::StartPatchItem(const std::string& caption) {
  Output out;
  IWizardWindow* window = nullptr;
  {
    std::lock_guard lock(mutex_);
    forward_ = scripting_ = stepOnActionData_ = false;
    cancelRequested_ = false;
    totalText_ = caption;
    if (!captionFinal_ && caption.empty()) totalText_ = properties_.GetProperty("Str.ProgressText.Default");
    lastProgress_ = {};
    itemKind_.clear(), itemName_.clear();
    actionName_.clear(), actionPrefix_.clear(), actionDescription_.clear();
    ResetProgressBar(out);
    ++itemIndex_;
    position_ = step_ = totalTicks_ = 0;
    window = mainWindow_;
  }
  out.Run(window, *this);
}

void CSetupUIHandler::EndPatchItem() {
  Output out;
  IWizardWindow* window = nullptr;
  {
    std::lock_guard lock(mutex_);
    EndItemCounters(out);
    window = mainWindow_;
  }
  out.Run(window, *this);
}

void CSetupUIHandler::ResetProgressBar(Output& out) {
  out.Window([control = progressControl_](IWizardWindow&) {
    if (!control) return;
    control->SetRange(0, 0);
    control->SetPosition(0);
  });
}

int CSetupUIHandler::OnItemStart(std::string_view text, Output& out) {
  if (!captionFinal_) totalText_ = properties_.GetProperty("Str.ProgressTotalText.Complete");
  forward_ = false;
  scripting_ = false;
  stepOnActionData_ = false;
  cancelRequested_ = false;
  lastProgress_ = {};
  itemKind_.clear(), itemName_.clear();
  actionName_.clear(), actionPrefix_.clear(), actionDescription_.clear();

  // The first item of the outer chain after a nested chain takes the outer counters back.
  if (savedItemsToRun_ > 0) {
    percent_ = savedPercent_;
    itemsToRun_ = savedItemsToRun_;
    basePercent_ = savedBasePercent_;
    itemIndex_ = savedItemIndex_;
    savedPercent_ = 0.0f;
    savedItemsToRun_ = savedBasePercent_ = savedItemIndex_ = 0;
    outerTotalText_.clear();
  }
  nestedChain_ = false;

  const std::vector<std::string> fields = SplitFields(text, '|');
  auto field = [&fields](std::size_t i) { return i < fields.size() ? fields[i] : std::string(); };
  itemKind_ = field(0);
  itemName_ = field(1);
  if (field(2) == "1") nestedChain_ = true;
  const std::string commandLine = field(3);
  repairNode_ = commandLine.find("QEL.REPAIR.NODE=1") != std::string::npos;

  if (itemKind_ == "Executable") {
    out.Window([](IWizardWindow& window) { window.Refresh(kRefreshCancelButton, 0); });
  }
  if (itemKind_ == "SetupCacheSource_CopyAllFiles") ++itemsToRun_;
  if (itemKind_ == "SetupCacheSource_DeleteAllFiles" && itemsDone_ == 0) itemsDone_ = 1;

  ResetProgressBar(out);
  position_ = step_ = totalTicks_ = 0;
  if (adminInstall_ && captionFinal_) multiplier_ = 1.0f;
  ++itemIndex_;

  log_.WriteLine(kLogSeparator);
  log_.WriteLine(FormatSetupText("Running: %d of %d\r\n%s: %s\r\n\r\nCommand Line: %s", itemIndex_,
                                 itemsToRun_, itemKind_, itemName_, commandLine));
  log_.WriteLine("\r\n");

  if (cancelPending_.exchange(false)) {
    OnItemEnd("1602", out);
    return kAnswerItemCancelled;
  }
  if (nestedChain_) {
    savedPercent_ = percent_;
    savedItemsToRun_ = itemsToRun_;
    savedBasePercent_ = basePercent_;
    savedItemIndex_ = itemIndex_;
    outerTotalText_ = totalText_;
    percent_ = 0.0f;
    itemsToRun_ = 1;
    basePercent_ = 0;
    itemIndex_ = 1;
  }
  return kAnswerOk;
}

int CSetupUIHandler::OnItemEnd(std::string_view text, Output& out) {
  const std::int32_t code = ParseDecimalOrZero(text);
  EndItemCounters(out);
  log_.WriteLine(FormatSetupText("%s: %s\r\n=== %s%s\r\n", itemKind_, itemName_,
                                 GetResultText(static_cast<std::uint32_t>(code)), kLogSeparator));
  repairNode_ = false;
  return kAnswerOk;
}

void CSetupUIHandler::EndItemCounters(Output& out) {
  basePercent_ = static_cast<std::int32_t>(std::trunc(percent_));
  if (!adminInstall_ && !cancelRequested_ && itemKind_ != "Executable" && !captionFinal_) ++itemsDone_;
  if (cancelRequested_) {
    // From here the rest of the chain counts down from a full bar.
    percent_ = 100.0f;
    captionFinal_ = true;
    basePercent_ = 100;
    if (itemsDone_ > 1) --itemsDone_;
  }
  if (itemKind_ == "Executable") {
    out.Window([](IWizardWindow& window) { window.Refresh(kRefreshCancelButton, 1); });
  }
  if (chainRunning_) cancelRequested_ = false;
}

int CSetupUIHandler::OnChainEnd(std::string_view text) {
  log_.WriteLine("\r\n");
  log_.WriteLine("\r\n");
  LogTimed("");
  log_.WriteLine(FormatSetupText("=== %s", text));
  log_.WriteLine("=== Installation Chain End");
  log_.WriteLine(kLogSeparator);
  log_.WriteLine(kLogSeparator);
  chainRunning_ = false;

  const std::int32_t code = ParseDecimalOrZero(text);
  CXMLFileManagerInterface setups;
  if (setups.SelectNodes("QEL/Setups") > 0) {
    setups.SetAttribute("result", std::to_string(code));
    setups.SetAttribute("resulttext", GetResultText(static_cast<std::uint32_t>(code)));
  }
  return kAnswerOk;
}

}  // namespace qel
