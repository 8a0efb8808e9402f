#pragma once
#include <optional>
#include <string>

namespace qel {

inline constexpr unsigned kStringSetupXmlNotLoaded = 103;
inline constexpr unsigned kStringLanguageFolderNotFound = 104;
inline constexpr unsigned kStringPickerCaption = 105;
inline constexpr unsigned kStringPickerPrompt = 106;
inline constexpr unsigned kLanguageEnglish = 1033;

// String resource `id` in the language `languageId`: the exact language first, then another
// language with the same primary language, then English. Nothing when no language has it.
std::optional<std::string> LoadStringResource(unsigned id, unsigned languageId);

}  // namespace qel
