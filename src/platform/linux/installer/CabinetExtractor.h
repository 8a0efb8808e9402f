#pragma once
#include <set>
#include <string>

#include <gio/gio.h>

#include "platform/ErrorCodes.h"

// Extracts files of a cabinet into a host folder, each under its name in the cabinet (the
// package's file key).
namespace qel::platform::installer {

// kErrorFileNotFound when there is no cabinet, kInstallSourceCorrupt when it cannot be read or
// lacks one of `wanted`, kErrorDiskFull when the target's volume filled up (`writing` then names
// the file that did not fit).
ErrorCode ExtractCabinet(const std::string& cabinetHostPath, const std::set<std::string>& wanted,
                         const std::string& targetHostFolder, std::string* writing = nullptr);
// The same from an open, seekable stream (an embedded cabinet read where it lies).
ErrorCode ExtractCabinetStream(GInputStream* input, const std::set<std::string>& wanted,
                               const std::string& targetHostFolder, std::string* writing = nullptr);

}  // namespace qel::platform::installer
