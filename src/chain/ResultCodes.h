#pragma once
#include <cstdint>

// The installer result codes the chain gives a meaning to.
namespace qel {

inline constexpr std::uint32_t kResultSuccess = 0;
inline constexpr std::uint32_t kResultFileNotFound = 2;
inline constexpr std::uint32_t kResultSourceUnavailable = 1612;
inline constexpr std::uint32_t kResultUserCancel = 1602;
inline constexpr std::uint32_t kResultRestartStarted = 1641;
inline constexpr std::uint32_t kResultRestartRequired = 3010;

// 0, 1641 and 3010: the item (or chain) succeeded; the last two ask for a restart.
constexpr bool IsSuccessResult(std::uint32_t result) {
  return result == kResultSuccess || result == kResultRestartStarted || result == kResultRestartRequired;
}

constexpr bool IsRestartResult(std::uint32_t result) {
  return result == kResultRestartStarted || result == kResultRestartRequired;
}

}  // namespace qel
