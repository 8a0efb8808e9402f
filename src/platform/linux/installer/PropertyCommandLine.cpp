#include "platform/linux/installer/PropertyCommandLine.h"

#include <cctype>

#include "platform/TextCase.h"

namespace qel::platform::installer {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::optional<PropertyList> ParsePropertyCommandLine(const std::string& line) {
  PropertyList out;
  std::size_t pos = 0;
  for (;;) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos == line.size()) return out;
    std::size_t nameStart = pos;
    while (pos < line.size() && line[pos] != '=' && !IsBlank(line[pos])) ++pos;
    if (pos == line.size() || line[pos] != '=' || pos == nameStart) return std::nullopt;
    std::string name = line.substr(nameStart, pos - nameStart);
    ++pos;
    std::string value;
    if (pos < line.size() && line[pos] == '"') {
      ++pos;
      bool closed = false;
      while (pos < line.size()) {
        if (line[pos] == '"') {
          if (pos + 1 < line.size() && line[pos + 1] == '"') {
            value += '"';
            pos += 2;
            continue;
          }
          ++pos;
          closed = true;
          break;
        }
        value += line[pos++];
      }
      if (!closed) return std::nullopt;
      // A value may go on unquoted right after its quotes (DIR="C:\a b"\sub).
      while (pos < line.size() && !IsBlank(line[pos])) value += line[pos++];
    } else {
      while (pos < line.size() && !IsBlank(line[pos])) value += line[pos++];
    }
    // Public property names are upper case on the desktop; names given in another case are
    // taken as they are, as the desktop does.
    out.emplace_back(std::move(name), std::move(value));
  }
}

}  // namespace qel::platform::installer
