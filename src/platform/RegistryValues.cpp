#include "platform/Registry.h"

namespace qel::platform {

std::optional<std::string> ReadRegistryString(Hive hive, const std::string& key, const std::string& name) {
  RegistryValue value;
  if (Registry().GetValue(hive, key, name, value) != kSuccess) return std::nullopt;
  if (value.type != ValueType::String) return std::nullopt;
  return value.text;
}

std::optional<std::uint32_t> ReadRegistryDword(Hive hive, const std::string& key, const std::string& name) {
  RegistryValue value;
  if (Registry().GetValue(hive, key, name, value) != kSuccess) return std::nullopt;
  if (value.type != ValueType::Dword) return std::nullopt;
  return value.number;
}

ErrorCode WriteRegistryString(Hive hive, const std::string& key, const std::string& name,
                              const std::string& text) {
  return Registry().SetValue(hive, key, name, RegistryValue{ValueType::String, text, 0});
}

ErrorCode WriteRegistryDword(Hive hive, const std::string& key, const std::string& name,
                             std::uint32_t number) {
  return Registry().SetValue(hive, key, name, RegistryValue{ValueType::Dword, {}, number});
}

}  // namespace qel::platform
