#pragma once
#include <set>
#include <string>
#include <vector>

#include "platform/ErrorCodes.h"
#include "platform/linux/installer/Package.h"

namespace qel::platform::installer {

// Reads a package from a host path. kErrorFileNotFound when there is no file,
// kInstallPackageInvalid when the file is not an installer database or lacks its core tables.
ErrorCode ReadPackage(const std::string& hostPath, Package& out);

// Rows of any table as text fields, for views on a session's database.
ErrorCode ReadTableRows(const std::string& hostPath, const std::string& table,
                        std::vector<std::vector<std::string>>& rows);

// Extracts `wanted` files of an embedded cabinet straight from the package's stream into a host
// folder: kErrorFileNotFound when the package has no such stream, kErrorNotSupported when the
// stream cannot be read in place (then copy it out with ExtractStream), else as ExtractCabinet.
ErrorCode ExtractEmbeddedCabinet(const std::string& packageHostPath, const std::string& streamName,
                                 const std::set<std::string>& wanted, const std::string& targetHostFolder,
                                 std::string* writing = nullptr);

// Copies a stream of the package (an embedded cabinet) to a host file. kInstallSourceCorrupt when
// the stream is missing or unreadable, kErrorDiskFull or kErrorWriteFault when the copy cannot be
// written.
ErrorCode ExtractStream(const std::string& packageHostPath, const std::string& streamName,
                        const std::string& targetHostPath);

// Writes a copy of the package whose summary marks its files as uncompressed, for an
// administrative image.
ErrorCode WriteAdminPackage(const std::string& packageHostPath, const std::string& targetHostPath);
// The copy of a package the machine keeps for maintenance: the database without its embedded
// cabinets (`embeddedCabinets`, stream names), which stay with the product's source.
ErrorCode WriteCachedPackage(const std::string& packageHostPath, const std::vector<std::string>& embeddedCabinets,
                             const std::string& targetHostPath);

}  // namespace qel::platform::installer
