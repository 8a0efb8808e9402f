#include "platform/TextCase.h"

#include <locale.h>
#include <wctype.h>

#include <cstdint>

namespace qel {
namespace {

// glibc's C.UTF-8 locale knows the full Unicode case tables; it is opened once and never
// installed as the process locale, so nothing else changes behaviour.
locale_t UnicodeLocale() {
  static const locale_t locale = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    return l ? l : newlocale(LC_CTYPE_MASK, "C", locale_t{});
  }();
  return locale;
}

// Decodes one code point at `pos`; answers the number of bytes used, 0 for an invalid sequence.
std::size_t Decode(std::string_view text, std::size_t pos, char32_t& cp) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
  const std::uint8_t lead = byte(pos);
  std::size_t length = 0;
  if (lead < 0x80) {
    cp = lead;
    return 1;
  }
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    cp = lead & 0x07;
  } else {
    return 0;
  }
  if (pos + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(pos + i) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(pos + i) & 0x3F);
  }
  return length;
}

void Encode(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

template <typename Map>
std::string MapCase(std::string_view text, Map map) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const char c = text[pos];
    if (static_cast<std::uint8_t>(c) < 0x80) {  // ASCII needs no table
      out += map(static_cast<char32_t>(c));
      ++pos;
      continue;
    }
    char32_t cp = 0;
    const std::size_t used = Decode(text, pos, cp);
    if (used == 0) {
      out += c;
      ++pos;
      continue;
    }
    Encode(map(cp), out);
    pos += used;
  }
  return out;
}

char32_t Lower(char32_t cp) {
  if (cp < 0x80) return (cp >= 'A' && cp <= 'Z') ? cp + ('a' - 'A') : cp;
  return static_cast<char32_t>(towlower_l(static_cast<wint_t>(cp), UnicodeLocale()));
}

char32_t Upper(char32_t cp) {
  if (cp < 0x80) return (cp >= 'a' && cp <= 'z') ? cp - ('a' - 'A') : cp;
  return static_cast<char32_t>(towupper_l(static_cast<wint_t>(cp), UnicodeLocale()));
}

}  // namespace

std::string ToLower(std::string_view text) { return MapCase(text, Lower); }
std::string ToUpper(std::string_view text) { return MapCase(text, Upper); }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a == b) return true;
  // Path lookups compare one name against every entry of a folder: plain ASCII needs neither
  // the case tables nor an allocation.
  const auto isAscii = [](std::string_view s) {
    for (const char c : s)
      if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
  };
  if (isAscii(a) && isAscii(b)) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (Lower(static_cast<char32_t>(a[i])) != Lower(static_cast<char32_t>(b[i]))) return false;
    }
    return true;
  }
  return ToLower(a) == ToLower(b);
}

}  // namespace qel
