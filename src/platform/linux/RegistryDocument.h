#pragma once
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Registry.h"

// The registry's content and its text form, the file "registry.reg" in the machine's root:
//
//   QEL Registry 1
//   ; a comment
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Policies\Microsoft\Windows\Installer]
//   "Logging"="voicewarmup"
//   "debug"=dword:00000001
//   @="the key's default value"
//
// The first line names the format. A key line holds the hive's full name and the key path in
// brackets; the value lines below it belong to that key. A value name is quoted, or '@' for the
// default value; a string value is quoted, a 32-bit value is "dword:" and one to eight hex digits.
// Inside quotes, backslash escapes a backslash (\\), a quote (\"), a line feed (\n) and a
// carriage return (\r); no other escape exists. Blank lines and lines starting with ';' are
// ignored. Anything else is an error that names its line. Beside the file live "registry.reg.lock"
// (the writers' lock, empty) and, for a moment during a write, "registry.reg.tmp.<pid>".
namespace qel::platform {

struct RegistryKeyEntry {
  std::string path;   // "HKEY_CURRENT_USER\SOFTWARE\...", in the case it was created with
  std::vector<std::pair<std::string, RegistryValue>> values;
};

// A key's values, found by name without regard to letter case.
const RegistryValue* FindValue(const RegistryKeyEntry& key, const std::string& name);
void PutValue(RegistryKeyEntry& key, const std::string& name, RegistryValue value);
bool RemoveValue(RegistryKeyEntry& key, const std::string& name);

class RegistryDocument {
 public:
  // Keys are found by their full path folded to lower case.
  std::map<std::string, RegistryKeyEntry> keys;

  // The key's full path ("HKEY_LOCAL_MACHINE\..."), or nothing when the path has an empty
  // component. Leading and trailing backslashes are dropped; "" is the hive itself.
  static std::optional<std::string> FullPath(Hive hive, const std::string& key);
  static std::string Fold(const std::string& text);

  RegistryKeyEntry* Find(const std::string& fullPath);
  // Creates the key and the keys above it up to the hive.
  RegistryKeyEntry& Create(const std::string& fullPath);
  void EraseTree(const std::string& fullPath);
  std::vector<std::string> SubKeyNames(const std::string& fullPath) const;

  std::string Serialize() const;
  // On failure `problem` says which line is wrong and why.
  static std::optional<RegistryDocument> Parse(const std::string& text, std::string& problem);
};

}  // namespace qel::platform
