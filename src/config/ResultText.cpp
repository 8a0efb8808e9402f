#include "config/ResultText.h"

#include "platform/SystemMessages.h"

namespace qel {

std::string GetResultText(std::uint32_t code, std::string_view module) {
  if (!module.empty()) {
    if (auto text = platform::ModuleString(module, code)) return *text;
  }
  if (auto text = platform::SystemMessageText(code)) return *text;
  return std::to_string(static_cast<std::int32_t>(code));  // "%d" of the code
}

}  // namespace qel
