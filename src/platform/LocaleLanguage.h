#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

// The desktop language id of a POSIX locale name ("de_DE.UTF-8", "pt_BR", "zh_TW@variant").
namespace qel::platform {

inline constexpr std::uint16_t kLanguageEnglishUS = 1033;

// Territory first ("de_AT" is 3079), then the language's main id ("de_LU" is 1031). "C" and
// "POSIX" are US English. Nothing for an empty name or a language the table does not know.
std::optional<std::uint16_t> LanguageIdFromLocale(std::string_view locale);

}  // namespace qel::platform
