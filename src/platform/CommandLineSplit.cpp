#include "platform/Processes.h"

namespace qel::platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> arguments;
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) return arguments;

    std::string argument;
    bool quoted = false;
    while (i < line.size() && (quoted || !IsBlank(line[i]))) {
      if (line[i] == '\\') {
        std::size_t backslashes = 0;
        while (i < line.size() && line[i] == '\\') {
          ++backslashes;
          ++i;
        }
        if (i >= line.size() || line[i] != '"') {
          argument.append(backslashes, '\\');
          continue;
        }
        argument.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          argument.push_back('"');
          ++i;
        }
        // An even run leaves the quote for the next turn, which toggles quoting.
        continue;
      }
      if (line[i] == '"') {
        if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          argument.push_back('"');
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      argument.push_back(line[i]);
      ++i;
    }
    arguments.push_back(std::move(argument));
  }
}

}  // namespace qel::platform
