#include "uimsg/Utf16Text.h"

#include <cstdint>

namespace qel {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUnit(std::string& out, std::uint16_t unit) {
  out += static_cast<char>(unit & 0xFF);
  out += static_cast<char>(unit >> 8);
}

void AppendCodePoint(std::string& out, char32_t cp) {
  if (cp < 0x10000) {
    AppendUnit(out, static_cast<std::uint16_t>(cp));
    return;
  }
  cp -= 0x10000;
  AppendUnit(out, static_cast<std::uint16_t>(0xD800 + (cp >> 10)));
  AppendUnit(out, static_cast<std::uint16_t>(0xDC00 + (cp & 0x3FF)));
}

// Decodes one code point at `at` and moves past it; an invalid sequence yields the replacement
// character and moves one byte.
char32_t DecodeOne(std::string_view text, std::size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  int length = 0;
  char32_t cp = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    ++at;
    return lead;
  }
  if ((lead & 0xE0) == 0xC0) {
    length = 2, cp = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, cp = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, cp = lead & 0x07, minimum = 0x10000;
  } else {
    ++at;
    return kReplacement;
  }
  if (at + length > text.size()) {
    ++at;
    return kReplacement;
  }
  for (int i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80) {
      ++at;
      return kReplacement;
    }
    cp = (cp << 6) | (next & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++at;
    return kReplacement;
  }
  at += length;
  return cp;
}

}  // namespace

std::string Utf8ToUtf16Le(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() * 2);
  for (std::size_t at = 0; at < utf8.size();) AppendCodePoint(out, DecodeOne(utf8, at));
  return out;
}

}  // namespace qel
