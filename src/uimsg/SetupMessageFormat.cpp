#include "uimsg/SetupMessageFormat.h"

namespace qel {
namespace {

// %d and %u read the same 32 bits as signed or unsigned, as the desktop's formatter does.
void AppendArg(std::string& out, const SetupFormatArg& arg, char conversion) {
  if (const auto* text = std::get_if<std::string_view>(&arg)) {
    out += *text;
    return;
  }
  const std::uint32_t bits = std::holds_alternative<std::int32_t>(arg)
                                 ? static_cast<std::uint32_t>(std::get<std::int32_t>(arg))
                                 : std::get<std::uint32_t>(arg);
  if (conversion == 'u') {
    out += std::to_string(bits);
    return;
  }
  out += std::to_string(static_cast<std::int32_t>(bits));
}

}  // namespace

std::string FormatSetupText(std::string_view format, std::span<const SetupFormatArg> args) {
  std::string out;
  out.reserve(format.size());
  std::size_t next = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c != '%' || i + 1 == format.size()) {
      out += c;
      continue;
    }
    const char conversion = format[++i];
    if (conversion == '%') {
      out += '%';
    } else if (conversion == 's' || conversion == 'd' || conversion == 'u') {
      if (next < args.size()) AppendArg(out, args[next], conversion);
      ++next;
    } else {
      out += '%';
      out += conversion;
    }
  }
  return out;
}

std::string FormatSetupTextV(const char* format, std::va_list args) {
  if (format == nullptr) return {};
  std::string out;
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p != '%' || p[1] == '\0') {
      out += *p;
      continue;
    }
    const char conversion = *++p;
    if (conversion == '%') {
      out += '%';
    } else if (conversion == 's') {
      const char* text = va_arg(args, const char*);
      if (text != nullptr) out += text;
    } else if (conversion == 'd') {
      out += std::to_string(va_arg(args, int));
    } else if (conversion == 'u') {
      out += std::to_string(va_arg(args, unsigned int));
    } else {
      out += '%';
      out += conversion;
    }
  }
  return out;
}

}  // namespace qel
