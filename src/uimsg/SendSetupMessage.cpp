#include "uimsg/SendSetupMessage.h"

#include <cstdarg>

#include "uimsg/SetupUIHandler.h"

namespace qel {

std::int32_t PostSetupText(std::uint32_t type, const std::string& text) {
  return SetupUIHandler(&kUiContextLauncher, type, text);
}

}  // namespace qel

extern "C" std::int32_t SendSetupMessage(std::uint32_t type, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::string text = qel::FormatSetupTextV(format, args);
  va_end(args);
  return qel::PostSetupText(type, text);
}
