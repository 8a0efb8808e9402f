#include "uimsg/LogOptions.h"

#include <utility>

namespace qel {
namespace {

struct LetterBits {
  char letter;
  std::uint32_t bits;
};

constexpr LetterBits kLogModeLetters[] = {
    {'m', 0x1},   {'e', 0x2},   {'w', 0x4},   {'u', 0x8},   {'i', 0x10},  {'o', 0x80},
    {'a', 0x100}, {'r', 0x200}, {'p', 0x400}, {'v', 0x1040},
};

constexpr LetterBits kFilterLetters[] = {
    {'m', 0x1}, {'e', 0x2}, {'w', 0x4}, {'u', 0x8}, {'a', 0x100}, {'r', 0x200},
};

template <std::size_t N>
std::uint32_t BitsOf(std::string_view options, const LetterBits (&table)[N]) {
  std::uint32_t bits = 0;
  for (const auto& entry : table) {
    if (options.find(entry.letter) != std::string_view::npos) bits |= entry.bits;
  }
  return bits;
}

}  // namespace

std::uint32_t InstallerLogModeFromOptions(std::string_view options) {
  return BitsOf(options, kLogModeLetters);
}

std::uint32_t MessageFilterFromOptions(std::string_view options, int uiLevel) {
  if (uiLevel >= 4) return 0x7FCF;
  std::uint32_t filter = BitsOf(options, kFilterLetters);
  if (uiLevel == 3) filter |= 0x700;
  return filter;
}

bool KeepsExistingLog(std::string_view options) {
  const std::size_t plus = options.find('+', 1);
  return plus != std::string_view::npos;
}

}  // namespace qel
