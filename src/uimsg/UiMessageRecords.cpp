#include "uimsg/UiMessageRecords.h"

#include <charconv>

namespace qel {

std::int32_t ParseDecimalOrZero(std::string_view token) {
  if (!token.empty() && token.front() == '+') token.remove_prefix(1);
  std::int32_t value = 0;
  auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  (void)end;
  return error == std::errc{} ? value : 0;
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Where the record stops being read, by its kind.
int LastFieldOf(std::int32_t kind) {
  if (kind == 2 || kind == 3) return 2;
  if (kind == 1) return 3;
  return 4;
}

}  // namespace

bool ParseProgressRecord(std::string_view text, ProgressFields& last) {
  if (text.empty()) return false;
  ProgressFields parsed = last;
  std::size_t at = 0;
  int lastField = 4;
  while (at < text.size()) {
    const char label = text[at];
    if (label < '1' || label > '4') return false;
    const int field = label - '0';
    at += 3;  // the label, its colon and the blank after it
    if (at >= text.size()) break;
    if (field == 1) {
      if (!IsDigit(text[at])) return false;
      parsed.field[0] = text[at] - '0';
      lastField = LastFieldOf(parsed.field[0]);
      ++at;
    } else {
      const std::size_t blank = text.find(' ', at);
      const std::size_t end = blank == std::string_view::npos ? text.size() : blank;
      parsed.field[field - 1] = ParseDecimalOrZero(text.substr(at, end - at));
      at = end;
    }
    if (at < text.size() && text[at] == ' ') ++at;
    if (field >= lastField) break;
  }
  last = parsed;
  return true;
}

std::array<std::string, 4> ParseCommonData(std::string_view text) {
  std::string packed;
  for (char c : text) {
    if (c != ' ') packed += c;
  }
  std::array<std::string, 4> fields;
  int current = -1;
  for (std::size_t i = 0; i < packed.size(); ++i) {
    const char c = packed[i];
    if (c == ':') continue;
    if (i + 1 < packed.size() && packed[i + 1] == ':') {
      current = (c >= '1' && c <= '4') ? c - '1' : -1;
      continue;
    }
    if (current >= 0) fields[current] += c;
  }
  return fields;
}

ActionStartText SplitActionStart(std::string_view text) {
  ActionStartText out;
  const std::size_t colon = text.find(": ");
  if (colon == std::string_view::npos) {
    out.prefix = std::string(text);
    return out;
  }
  out.prefix = std::string(text.substr(0, colon + 1));
  std::string_view rest = text.substr(colon + 2);
  const std::size_t stop = rest.find(". ");
  std::string_view name = stop == std::string_view::npos ? rest : rest.substr(0, stop);
  while (!name.empty() && name.back() == '.') name.remove_suffix(1);
  out.name = std::string(name);
  if (stop == std::string_view::npos) return out;
  std::string_view description = rest.substr(stop + 2);
  const std::size_t first = description.find_first_not_of(" \t\r\n");
  out.description = first == std::string_view::npos ? "" : std::string(description.substr(first));
  return out;
}

}  // namespace qel
