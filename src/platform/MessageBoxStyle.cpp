#include "platform/MessageBox.h"

namespace qel::platform {
namespace {

const char* ButtonLabel(int id) {
  switch (id) {
    case kIdOk: return "OK";
    case kIdCancel: return "Cancel";
    case kIdAbort: return "Abort";
    case kIdRetry: return "Retry";
    case kIdIgnore: return "Ignore";
    case kIdYes: return "Yes";
    case kIdNo: return "No";
    default: return "?";
  }
}

const char* IconLabel(std::uint32_t style) {
  switch (style & kMbIconMask) {
    case kMbIconError: return "error";
    case kMbIconQuestion: return "question";
    case kMbIconWarning: return "warning";
    case kMbIconInformation: return "information";
    default: return nullptr;
  }
}

}  // namespace

std::vector<int> MessageBoxButtons(std::uint32_t style) {
  switch (style & kMbButtonMask) {
    case kMbOk: return {kIdOk};
    case kMbOkCancel: return {kIdOk, kIdCancel};
    case kMbAbortRetryIgnore: return {kIdAbort, kIdRetry, kIdIgnore};
    case kMbYesNoCancel: return {kIdYes, kIdNo, kIdCancel};
    case kMbYesNo: return {kIdYes, kIdNo};
    case kMbRetryCancel: return {kIdRetry, kIdCancel};
    default: return {};
  }
}

int DefaultButtonOf(std::uint32_t style) {
  std::vector<int> buttons = MessageBoxButtons(style);
  if (buttons.empty()) return 0;
  const std::size_t index = (style & kMbDefaultButtonMask) >> 8;
  return index < buttons.size() ? buttons[index] : buttons.front();
}

std::string DescribeMessageBox(const std::string& text, const std::string& caption, std::uint32_t style) {
  std::string description = "[" + caption + "]";
  if (const char* icon = IconLabel(style)) description += std::string(" (") + icon + ")";
  description += "\n" + text + "\n";
  const int defaultButton = DefaultButtonOf(style);
  std::vector<int> buttons = MessageBoxButtons(style);
  if (buttons.empty()) return description + "(no buttons: unknown style)\n";
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    if (i > 0) description += " ";
    const std::string label = ButtonLabel(buttons[i]);
    description += buttons[i] == defaultButton ? "<" + label + ">" : "[" + label + "]";
  }
  return description + " -> " + ButtonLabel(defaultButton) + "\n";
}

}  // namespace qel::platform
