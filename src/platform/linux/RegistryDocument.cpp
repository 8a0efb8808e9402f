#include "platform/linux/RegistryDocument.h"

#include <cstdio>
#include <sstream>

#include "platform/TextCase.h"

namespace qel::platform {
namespace {

constexpr const char* kFormatLine = "QEL Registry 1";
constexpr const char* kLocalMachine = "HKEY_LOCAL_MACHINE";
constexpr const char* kCurrentUser = "HKEY_CURRENT_USER";
constexpr const char* kDwordPrefix = "dword:";

std::string Quote(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    switch (c) {
      case '\\': quoted += "\\\\"; break;
      case '"': quoted += "\\\""; break;
      case '\n': quoted += "\\n"; break;
      case '\r': quoted += "\\r"; break;
      default: quoted += c;
    }
  }
  return quoted + "\"";
}

// Reads a quoted string starting at `pos` (on the opening quote) and leaves `pos` after the
// closing quote.
std::optional<std::string> Unquote(const std::string& line, std::size_t& pos) {
  if (pos >= line.size() || line[pos] != '"') return std::nullopt;
  std::string text;
  for (++pos; pos < line.size(); ++pos) {
    char c = line[pos];
    if (c == '"') {
      ++pos;
      return text;
    }
    if (c != '\\') {
      text += c;
      continue;
    }
    if (++pos >= line.size()) return std::nullopt;
    switch (line[pos]) {
      case '\\': text += '\\'; break;
      case '"': text += '"'; break;
      case 'n': text += '\n'; break;
      case 'r': text += '\r'; break;
      default: return std::nullopt;
    }
  }
  return std::nullopt;
}

std::optional<std::uint32_t> ParseHex(const std::string& digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  std::uint32_t number = 0;
  for (char c : digits) {
    int digit = c >= '0' && c <= '9' ? c - '0'
              : c >= 'a' && c <= 'f' ? c - 'a' + 10
              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                     : -1;
    if (digit < 0) return std::nullopt;
    number = number << 4 | static_cast<std::uint32_t>(digit);
  }
  return number;
}

std::optional<RegistryValue> ParseData(const std::string& data) {
  if (data.rfind(kDwordPrefix, 0) == 0) {
    auto number = ParseHex(data.substr(std::string(kDwordPrefix).size()));
    if (!number) return std::nullopt;
    return RegistryValue{ValueType::Dword, {}, *number};
  }
  std::size_t pos = 0;
  auto text = Unquote(data, pos);
  if (!text || pos != data.size()) return std::nullopt;
  return RegistryValue{ValueType::String, *text, 0};
}

bool IsHive(const std::string& fullPath) {
  const std::string hive = fullPath.substr(0, fullPath.find('\\'));
  return hive == kLocalMachine || hive == kCurrentUser;
}

}  // namespace

const RegistryValue* FindValue(const RegistryKeyEntry& key, const std::string& name) {
  const std::string folded = RegistryDocument::Fold(name);
  for (const auto& [existing, stored] : key.values) {
    if (RegistryDocument::Fold(existing) == folded) return &stored;
  }
  return nullptr;
}

void PutValue(RegistryKeyEntry& key, const std::string& name, RegistryValue value) {
  const std::string folded = RegistryDocument::Fold(name);
  for (auto& [existing, stored] : key.values) {
    if (RegistryDocument::Fold(existing) == folded) {
      stored = std::move(value);
      return;
    }
  }
  key.values.emplace_back(name, std::move(value));
}

bool RemoveValue(RegistryKeyEntry& key, const std::string& name) {
  const std::string folded = RegistryDocument::Fold(name);
  for (auto it = key.values.begin(); it != key.values.end(); ++it) {
    if (RegistryDocument::Fold(it->first) == folded) {
      key.values.erase(it);
      return true;
    }
  }
  return false;
}

std::string RegistryDocument::Fold(const std::string& text) { return ToLower(text); }

std::optional<std::string> RegistryDocument::FullPath(Hive hive, const std::string& key) {
  std::size_t first = key.find_first_not_of('\\');
  std::size_t last = key.find_last_not_of('\\');
  std::string trimmed = first == std::string::npos ? "" : key.substr(first, last - first + 1);
  if (trimmed.find("\\\\") != std::string::npos) return std::nullopt;
  std::string path = hive == Hive::LocalMachine ? kLocalMachine : kCurrentUser;
  if (!trimmed.empty()) path += "\\" + trimmed;
  return path;
}

RegistryKeyEntry* RegistryDocument::Find(const std::string& fullPath) {
  auto found = keys.find(Fold(fullPath));
  return found == keys.end() ? nullptr : &found->second;
}

RegistryKeyEntry& RegistryDocument::Create(const std::string& fullPath) {
  // Each level keeps the case of whoever created it first, as on the desktop.
  std::size_t end = 0;
  RegistryKeyEntry* entry = nullptr;
  do {
    end = fullPath.find('\\', end + 1);
    std::string prefix = fullPath.substr(0, end);
    auto [it, inserted] = keys.try_emplace(Fold(prefix));
    if (inserted) it->second.path = prefix;
    entry = &it->second;
  } while (end != std::string::npos);
  return *entry;
}

void RegistryDocument::EraseTree(const std::string& fullPath) {
  const std::string folded = Fold(fullPath);
  auto it = keys.lower_bound(folded);
  while (it != keys.end() && it->first.rfind(folded, 0) == 0) {
    const bool inTree = it->first.size() == folded.size() || it->first[folded.size()] == '\\';
    it = inTree ? keys.erase(it) : std::next(it);
  }
}

std::vector<std::string> RegistryDocument::SubKeyNames(const std::string& fullPath) const {
  const std::string prefix = Fold(fullPath) + "\\";
  std::vector<std::string> names;
  for (auto it = keys.lower_bound(prefix); it != keys.end() && it->first.rfind(prefix, 0) == 0; ++it) {
    if (it->first.find('\\', prefix.size()) != std::string::npos) continue;
    names.push_back(it->second.path.substr(prefix.size()));
  }
  return names;
}

std::string RegistryDocument::Serialize() const {
  std::string text = std::string(kFormatLine) + "\n";
  for (const auto& [folded, key] : keys) {
    text += "\n[" + key.path + "]\n";
    for (const auto& [name, value] : key.values) {
      text += name.empty() ? "@" : Quote(name);
      text += "=";
      if (value.type == ValueType::String) {
        text += Quote(value.text);
      } else {
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08x", value.number);
        text += std::string(kDwordPrefix) + hex;
      }
      text += "\n";
    }
  }
  return text;
}

std::optional<RegistryDocument> RegistryDocument::Parse(const std::string& text, std::string& problem) {
  RegistryDocument document;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  RegistryKeyEntry* current = nullptr;
  auto fail = [&](const std::string& why) {
    problem = "line " + std::to_string(number) + ": " + why;
    return std::nullopt;
  };
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (number == 1) {
      if (line != kFormatLine) return fail("the first line is not \"" + std::string(kFormatLine) + "\"");
      continue;
    }
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      if (line.back() != ']' || line.size() < 3) return fail("a key line must end with ']'");
      std::string path = line.substr(1, line.size() - 2);
      if (!IsHive(path)) return fail("the key is not under HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER");
      if (path.back() == '\\' || path.find("\\\\") != std::string::npos) {
        return fail("the key path has an empty name");
      }
      current = &document.Create(path);
      continue;
    }
    if (!current) return fail("a value line comes before the first key");
    std::string name;
    std::size_t pos = 0;
    if (line[0] == '@') {
      pos = 1;
    } else {
      auto quoted = Unquote(line, pos);
      if (!quoted) return fail("the value name is not a well-formed quoted string");
      name = *quoted;
    }
    if (pos >= line.size() || line[pos] != '=') return fail("'=' expected after the value name");
    auto value = ParseData(line.substr(pos + 1));
    if (!value) return fail("the value is neither a quoted string nor dword:hex");
    PutValue(*current, name, std::move(*value));
  }
  if (number == 0) return fail("the file is empty");
  return document;
}

}  // namespace qel::platform
