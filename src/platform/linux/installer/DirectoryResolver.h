#pragma once
#include <functional>
#include <map>
#include <string>

#include "platform/ErrorCodes.h"
#include "platform/linux/installer/Package.h"

// Resolves the Directory table into folders: each directory's target folder on the machine and
// its folder relative to the root of an uncompressed source (an administrative image).
namespace qel::platform::installer {

struct ResolvedDirectory {
  std::string target;        // desktop path with a trailing backslash
  std::string sourceRelative;  // "" for the root, else "a\b\" (long names unless `shortNames`)
};

struct DirectoryLayout {
  std::map<std::string, ResolvedDirectory> directories;
};

// `property` answers a property's value: a directory whose id names a non-empty property (the
// standard folders, INSTALLDIR from the command line) takes that folder. The root's target is
// TARGETDIR, else ROOTDRIVE, else "C:\". A parent that does not exist or a loop of parents gives
// kBadConfiguration.
ErrorCode ResolveDirectories(const Package& package,
                             const std::function<std::string(const std::string&)>& property,
                             bool shortNames, DirectoryLayout& out);

// The long (or short) name of a "short|long" entry; "." stays ".".
std::string PickName(const std::string& shortAndLong, bool shortNames);

// Appends a trailing backslash unless there is one.
std::string WithTrailingSlash(std::string path);

}  // namespace qel::platform::installer
