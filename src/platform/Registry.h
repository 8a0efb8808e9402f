#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ErrorCodes.h"

// The machine's registry: keys under the local-machine and current-user hives, holding string and
// 32-bit values. Key paths use backslashes ("SOFTWARE\Policies\Microsoft\Windows\Installer");
// key and value names are compared without regard to letter case and keep the case they were
// created with. The empty value name is the key's default value.
//
// Every call sees what other processes wrote before it. A registry store that cannot be read
// (a corrupt file) fails every call with kErrorBadDb and is never overwritten; ProblemText says
// what is wrong and where.
namespace qel::platform {

enum class Hive { LocalMachine, CurrentUser };

enum class ValueType { String, Dword };

struct RegistryValue {
  ValueType type = ValueType::String;
  std::string text;           // String
  std::uint32_t number = 0;   // Dword
};

class IRegistry {
 public:
  virtual ~IRegistry() = default;

  // kErrorFileNotFound when the key or the value does not exist.
  virtual ErrorCode GetValue(Hive hive, const std::string& key, const std::string& name,
                             RegistryValue& out) = 0;
  // Creates the key and its parents as needed.
  virtual ErrorCode SetValue(Hive hive, const std::string& key, const std::string& name,
                             const RegistryValue& value) = 0;
  virtual ErrorCode DeleteValue(Hive hive, const std::string& key, const std::string& name) = 0;

  virtual ErrorCode CreateKey(Hive hive, const std::string& key) = 0;
  virtual bool KeyExists(Hive hive, const std::string& key) = 0;
  // Removes the key with its values and every key below it.
  virtual ErrorCode DeleteTree(Hive hive, const std::string& key) = 0;
  // The names of the keys directly below `key`, in the order of the store.
  virtual ErrorCode ListSubKeys(Hive hive, const std::string& key, std::vector<std::string>& out) = 0;

  // Why the last call failed with kErrorBadDb; empty when the store is sound.
  virtual std::string ProblemText() = 0;
};

IRegistry& Registry();

// Shorthands for the two value types. A value of the other type reads as nothing.
std::optional<std::string> ReadRegistryString(Hive hive, const std::string& key, const std::string& name);
std::optional<std::uint32_t> ReadRegistryDword(Hive hive, const std::string& key, const std::string& name);
ErrorCode WriteRegistryString(Hive hive, const std::string& key, const std::string& name,
                              const std::string& text);
ErrorCode WriteRegistryDword(Hive hive, const std::string& key, const std::string& name,
                             std::uint32_t number);

}  // namespace qel::platform
