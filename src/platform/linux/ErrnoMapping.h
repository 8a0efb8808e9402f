#pragma once
#include "platform/ErrorCodes.h"

namespace qel::platform {

// The desktop error code for a host errno value. ENOENT has two desktop meanings; the caller
// says which one applies (a missing entry or a missing folder on the way to it).
ErrorCode DesktopErrorFromErrno(int error, ErrorCode whenMissing = kErrorFileNotFound);

}  // namespace qel::platform
