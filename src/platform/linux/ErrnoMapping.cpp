#include "platform/linux/ErrnoMapping.h"

#include <cerrno>

namespace qel::platform {

ErrorCode DesktopErrorFromErrno(int error, ErrorCode whenMissing) {
  switch (error) {
    case 0: return kSuccess;
    case ENOENT: return whenMissing;
    case ENOTDIR:
    case ELOOP: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR: return kErrorAccessDenied;
    case EROFS: return kErrorWriteProtect;
    case EEXIST: return kErrorAlreadyExists;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return kErrorDiskFull;
    case ENOTEMPTY: return kErrorDirNotEmpty;
    case ENAMETOOLONG: return kErrorFilenameExcedRange;
    case ENOMEM: return kErrorNotEnoughMemory;
    case EBUSY:
    case ETXTBSY: return kErrorSharingViolation;
    case EXDEV: return kErrorNotSameDevice;
    case EINVAL: return kErrorInvalidParameter;
    case EBADF: return kErrorInvalidHandle;
    default: return kErrorGenFailure;
  }
}

}  // namespace qel::platform
