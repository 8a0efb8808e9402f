#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The machine's message tables: the system's text for an error code, and the string resources
// of the libraries that carry their own (the installer library's texts for its result codes).
namespace qel::platform {

// The system's text for `code`, ending in "\r\n" as the desktop's message table does; nothing
// when the system has no text for it.
std::optional<std::string> SystemMessageText(std::uint32_t code);

// String resource `id` of the library `module` (compared without regard to case); nothing when
// the library is unknown or has no such string.
std::optional<std::string> ModuleString(std::string_view module, std::uint32_t id);

}  // namespace qel::platform
