#pragma once
#include <cstdint>

// The desktop system's error and installer result codes that cross the platform interface.
namespace qel::platform {

using ErrorCode = std::uint32_t;

inline constexpr ErrorCode kSuccess = 0;
inline constexpr ErrorCode kErrorFileNotFound = 2;
inline constexpr ErrorCode kErrorPathNotFound = 3;
inline constexpr ErrorCode kErrorAccessDenied = 5;
inline constexpr ErrorCode kErrorInvalidHandle = 6;
inline constexpr ErrorCode kErrorNotEnoughMemory = 8;
inline constexpr ErrorCode kErrorInvalidData = 13;
inline constexpr ErrorCode kErrorNotSameDevice = 17;
inline constexpr ErrorCode kErrorWriteProtect = 19;
inline constexpr ErrorCode kErrorNotReady = 21;
inline constexpr ErrorCode kErrorGenFailure = 31;
inline constexpr ErrorCode kErrorSharingViolation = 32;
inline constexpr ErrorCode kErrorHandleEof = 38;
inline constexpr ErrorCode kErrorNotSupported = 50;
inline constexpr ErrorCode kErrorBadNetPath = 53;
inline constexpr ErrorCode kErrorBadNetName = 67;
inline constexpr ErrorCode kErrorFileExists = 80;
inline constexpr ErrorCode kErrorInvalidParameter = 87;
inline constexpr ErrorCode kErrorDiskFull = 112;
inline constexpr ErrorCode kErrorInvalidName = 123;
inline constexpr ErrorCode kErrorDirNotEmpty = 145;
inline constexpr ErrorCode kErrorAlreadyExists = 183;
inline constexpr ErrorCode kErrorModNotFound = 126;
inline constexpr ErrorCode kErrorProcNotFound = 127;
inline constexpr ErrorCode kErrorBadExeFormat = 193;
inline constexpr ErrorCode kErrorFilenameExcedRange = 206;
inline constexpr ErrorCode kErrorMoreData = 234;
inline constexpr ErrorCode kErrorNoMoreItems = 259;
inline constexpr ErrorCode kErrorDirectory = 267;
inline constexpr ErrorCode kErrorBadDb = 1009;
inline constexpr ErrorCode kErrorCancelled = 1223;
inline constexpr ErrorCode kErrorRequestAborted = 1235;

inline constexpr ErrorCode kInstallUserExit = 1602;
inline constexpr ErrorCode kInstallFailure = 1603;
inline constexpr ErrorCode kUnknownProduct = 1605;
inline constexpr ErrorCode kBadConfiguration = 1610;
inline constexpr ErrorCode kInstallSourceAbsent = 1612;
inline constexpr ErrorCode kInstallAlreadyRunning = 1618;
inline constexpr ErrorCode kInstallPackageOpenFailed = 1619;
inline constexpr ErrorCode kInstallPackageInvalid = 1620;
inline constexpr ErrorCode kFunctionFailed = 1627;
inline constexpr ErrorCode kCreateFailed = 1631;
inline constexpr ErrorCode kProductVersion = 1638;
inline constexpr ErrorCode kInvalidCommandLine = 1639;
inline constexpr ErrorCode kSuccessRebootInitiated = 1641;
inline constexpr ErrorCode kPatchTargetNotFound = 1642;
inline constexpr ErrorCode kPatchNoSequence = 1648;
inline constexpr ErrorCode kSuccessRebootRequired = 3010;

}  // namespace qel::platform
