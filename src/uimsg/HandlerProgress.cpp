#include <algorithm>
#include <cmath>
#include <limits>

#include "uimsg/HandlerOutput.h"
#include "uimsg/SetupUIHandler.h"
#include "uimsg/UiMessageTypes.h"

// The progress bar model and the overall percentage across the chain's items.
namespace qel {
namespace {

// Tick counts come from outside (the installer service, hook libraries); wide arithmetic and a
// clamp keep a hostile record from overflowing the 32-bit model.
std::int32_t Clamp32(long double value) {
  if (std::isnan(value)) return 0;
  constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
  constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
  if (value <= kMin) return kMin;
  if (value >= kMax) return kMax;
  return static_cast<std::int32_t>(value);
}

std::int32_t Negate(std::int32_t value) {
  return value == std::numeric_limits<std::int32_t>::min() ? std::numeric_limits<std::int32_t>::max()
                                                           : -value;
}

std::string CaptionFor(const std::string& totalText, float percent) {
  const auto whole = static_cast<long long>(std::trunc(percent));
  if (totalText.empty() || whole <= 0) return "&nbsp;";
  std::string caption = totalText;
  if (auto at = caption.find("%d"); at != std::string::npos) {
    caption.replace(at, 2, std::to_string(whole));
  }
  return caption;
}

}  // namespace

int CSetupUIHandler::OnProgress(std::string_view text, Output& out) {
  ProgressFields record = lastProgress_;
  if (ParseProgressRecord(text, record)) {
    lastProgress_ = record;
    const std::int32_t field2 = record.field[1];
    switch (record.Kind()) {
      case 0:
        OnProgressReset(record, out);
        break;
      case 1:
        if (totalTicks_ == 0) break;
        if (record.field[2] >= 1) {
          step_ = forward_ ? field2 : Negate(field2);
          out.Window([control = progressControl_, step = step_](IWizardWindow&) {
            if (control) control->SetStep(step);
          });
          stepOnActionData_ = true;
          UpdatePercent(out);
        } else {
          stepOnActionData_ = false;
        }
        break;
      case 2: {
        if (totalTicks_ == 0) break;
        const std::int32_t delta = forward_ ? field2 : Negate(field2);
        if (adminInstall_) {
          step_ = delta;
          stepOnActionData_ = true;
          out.Window([control = progressControl_, delta](IWizardWindow&) {
            if (control) control->SetStep(delta);
          });
        }
        out.Window([control = progressControl_, delta](IWizardWindow&) {
          if (control) control->MoveBy(delta);
        });
        position_ = Clamp32(static_cast<long double>(position_) + delta);
        UpdatePercent(out);
        break;
      }
      case 3:
        if (totalTicks_ > 0) totalTicks_ = Clamp32(static_cast<long double>(totalTicks_) + field2);
        break;
      case 9:
        OnHeartbeat(out);
        break;
      default:
        break;
    }
  }
  return cancelRequested_ ? kAnswerCancel : kAnswerOk;
}

void CSetupUIHandler::OnProgressReset(const ProgressFields& record, Output& out) {
  const std::int32_t field2 = record.field[1];
  scripting_ = record.field[3] == 1;
  if (field2 == 0) {
    totalTicks_ = 0;
    position_ = 0;
  } else if (scripting_) {
    totalTicks_ = Clamp32(static_cast<long double>(field2) * multiplier_);
    position_ = 0;
  } else if (totalTicks_ == 0) {
    totalTicks_ = field2;
    position_ = 0;
  } else {
    // The part of the bar already filled stays filled: the new stretch is added behind it.
    float filled = static_cast<float>(position_) / static_cast<float>(totalTicks_);
    if (filled == 0.0f) filled = 1.0f;
    totalTicks_ = Clamp32(static_cast<long double>(field2) +
                          std::max<long double>(0, std::trunc(static_cast<long double>(field2) * filled)));
    position_ = std::max<std::int32_t>(0, Clamp32(std::trunc(static_cast<long double>(filled) * totalTicks_)));
  }
  forward_ = record.field[2] == 0;
  out.Window([control = progressControl_, total = totalTicks_, position = position_](IWizardWindow&) {
    if (!control) return;
    control->SetRange(0, total);
    control->SetPosition(position);
  });
}

// Each heartbeat of a running executable adds one dot to the caption, so the user sees life.
void CSetupUIHandler::OnHeartbeat(Output& out) {
  std::string caption = properties_.GetProperty("Str.ProgressTotalText.Complete");
  caption += (!caption.empty() && caption.back() == '.') ? "." : " .";
  properties_.SetProperty("Str.ProgressTotalText.Complete", caption);
  out.Window([](IWizardWindow& window) { window.Refresh(kRefreshTotalCaption, 0); });
}

void CSetupUIHandler::UpdatePercent(Output& out) {
  if (uiLevel_ == 2 || mainWindow_ == nullptr || totalTicks_ == 0 || itemsToRun_ == 0) return;
  const float itemPercent = 100.0f * static_cast<float>(position_) / static_cast<float>(totalTicks_);
  const float wholeItemPercent = std::trunc(itemPercent);
  if (wholeItemPercent < 1.0f || wholeItemPercent > 100.0f) return;

  const bool cancelRequested = cancelRequested_;
  const bool captionFinal = captionFinal_;
  float divisor = static_cast<float>(itemsToRun_);
  if (nestedChain_ || cancelRequested) {
    divisor = 1.0f;
  } else if (captionFinal) {
    divisor = static_cast<float>(itemsDone_);
  }
  if (divisor == 0.0f) {
    // Counting down with no finished item left: the share is unbounded and the bar empties.
    percent_ = 0.0f;
    return;
  }
  const float candidate = captionFinal ? static_cast<float>(basePercent_) - itemPercent / divisor
                                       : static_cast<float>(basePercent_) + itemPercent / divisor;
  // The bar never runs backwards while installing, nor forwards while cancelling.
  if (captionFinal || cancelRequested) {
    if (candidate > percent_) return;
  } else if (candidate < percent_) {
    return;
  }
  percent_ = candidate;
  if (candidate < 0.0f) {
    percent_ = 0.0f;
    return;
  }
  if (candidate > 100.0f) return;
  percentRecord_.percent = percent_;
  percentRecord_.text = CaptionFor(totalText_, percent_);
  out.Window([record = percentRecord_](IWizardWindow& window) {
    window.Refresh(kRefreshPercent, reinterpret_cast<std::intptr_t>(&record));
  });
}

int CSetupUIHandler::OnActionStart(std::string_view text) {
  ActionStartText split = SplitActionStart(text);
  actionPrefix_ = std::move(split.prefix);
  actionName_ = std::move(split.name);
  actionDescription_ = std::move(split.description);
  if (nestedChain_) {
    if (outerTotalText_.empty()) {
      totalText_ = actionDescription_;
    } else if (!actionDescription_.empty()) {
      totalText_ = outerTotalText_ + " " + actionDescription_;
    } else {
      totalText_ = outerTotalText_;
    }
  }
  return kAnswerOk;
}

int CSetupUIHandler::OnActionData(std::string_view text, Output& out) {
  if (adminInstall_ && !noRollback_ && !scripting_ &&
      actionName_.find("InstallFiles") != std::string::npos && hooks.recordAdminFile) {
    out.Later([record = hooks.recordAdminFile, line = std::string(text)] { record(line); });
  }
  if (totalTicks_ > 0 && stepOnActionData_ && uiLevel_ > 2) {
    out.Window([control = progressControl_](IWizardWindow&) {
      if (control) control->StepIt();
    });
    position_ = Clamp32(static_cast<long double>(position_) + step_);
    UpdatePercent(out);
  }
  return progressControl_ != nullptr ? 0 : 1;
}

int CSetupUIHandler::OnCommonData(std::string_view text, Output& out) {
  if (text.empty()) return 0;
  auto fields = ParseCommonData(text);
  for (int i = 0; i < 4; ++i) commonData_[i] = std::move(fields[i]);
  const int kind = commonData_[0].empty() ? 4 : ParseDecimalOrZero(commonData_[0]);
  if (kind == 2) {
    const bool enable = !commonData_[1].empty() && ParseDecimalOrZero(commonData_[1]) != 0;
    out.Window([enable](IWizardWindow& window) { window.Refresh(kRefreshCancelButton, enable ? 1 : 0); });
  }
  return 0;
}

}  // namespace qel
