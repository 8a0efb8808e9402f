#include "platform/linux/DesktopNames.h"

#include "platform/TextCase.h"

namespace qel::platform {
namespace {

// Decodes one code point at `pos`, advancing it; a malformed byte comes back as itself tagged
// in the high bit so it never equals a real code point but still matches '?'.
char32_t DecodeAt(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  auto malformed = [&] {
    ++pos;
    return static_cast<char32_t>(0x80000000u | lead);
  };
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  int length = 0;
  char32_t cp = 0;
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
    return malformed();
  }
  if (pos + length > text.size()) return malformed();
  for (int i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    if ((next & 0xC0) != 0x80) return malformed();
    cp = (cp << 6) | (next & 0x3F);
  }
  pos += length;
  return cp;
}

std::u32string FoldedCodePoints(std::string_view text) {
  const std::string folded = ToLower(text);
  std::u32string out;
  out.reserve(folded.size());
  for (std::size_t pos = 0; pos < folded.size();) out += DecodeAt(folded, pos);
  return out;
}

// Classic greedy matcher with one backtrack point for the last '*'; linear in practice.
bool MatchFolded(const std::u32string& name, const std::u32string& pattern) {
  std::size_t n = 0, p = 0;
  std::size_t starPattern = std::u32string::npos, starName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == U'*') {
      starPattern = p++;
      starName = n;
    } else if (starPattern != std::u32string::npos) {
      p = starPattern + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == U'*') ++p;
  return p == pattern.size();
}

}  // namespace

std::string FoldCase(std::string_view utf8) { return ToLower(utf8); }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) { return EqualsNoCase(a, b); }

bool HasWildcards(std::string_view name) {
  return name.find_first_of("*?") != std::string_view::npos;
}

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
  const std::u32string foldedName = FoldedCodePoints(name);
  const std::u32string foldedPattern = FoldedCodePoints(pattern);
  if (MatchFolded(foldedName, foldedPattern)) return true;
  const std::size_t size = foldedPattern.size();
  if (size >= 2 && foldedPattern.ends_with(U".*")) {
    return MatchFolded(foldedName, foldedPattern.substr(0, size - 2));
  }
  if (size >= 2 && foldedPattern.back() == U'.' && foldedPattern[size - 2] != U'.') {
    return foldedName.find(U'.') == std::u32string::npos &&
           MatchFolded(foldedName, foldedPattern.substr(0, size - 1));
  }
  return false;
}

}  // namespace qel::platform
