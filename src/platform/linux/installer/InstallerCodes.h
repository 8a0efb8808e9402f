#pragma once
#include "platform/ErrorCodes.h"

// Installer result codes that only the installer service itself produces.
namespace qel::platform::installer {

inline constexpr ErrorCode kErrorWriteFault = 29;
inline constexpr ErrorCode kUnknownProperty = 1608;
inline constexpr ErrorCode kBadQuerySyntax = 1615;
inline constexpr ErrorCode kInstallSourceCorrupt = 1335;  // also the text number for it
inline constexpr ErrorCode kUnknownFeature = 1606;
inline constexpr ErrorCode kInvalidHandleState = 1609;

}  // namespace qel::platform::installer
