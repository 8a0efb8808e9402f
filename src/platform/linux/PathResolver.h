#pragma once
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ErrorCodes.h"
#include "platform/linux/SimulatedMachine.h"

// Desktop paths to host paths and back, on one simulated machine.
//
// A desktop path is "X:" or "X:\..." (a drive) or "\\server\share\..." (a share). Only the
// backslash separates; a '/' inside a component makes the name invalid, so no name can reach
// past its folder on the host. Empty components (doubled or trailing backslashes) and "." are
// dropped, ".." removes the component before it and never climbs above the volume's root.
//
// Errors: an empty or relative path (no "X:\" and no "\\", including drive-relative "C:x")
// gives kErrorPathNotFound, like a path whose folders are missing; a component with a character
// the desktop forbids in names (< > : " | ? * '/' and control characters) gives
// kErrorInvalidName; a letter the machine does not map gives kErrorPathNotFound; a share it does
// not map gives kErrorBadNetPath. Trailing dots and spaces of a name are kept as given (the
// desktop would strip them).
//
// Components are looked up one by one: the exact name first, else the entry that matches without
// regard to case (see FoldCase); when several entries match only that way, the first of them in
// byte order is taken so the answer does not depend on the order of the folder.
namespace qel::platform {

struct DesktopPath {
  char drive = 0;  // upper-case letter, or 0 for a share
  std::string server;
  std::string share;
  std::vector<std::string> components;
};

// `wildcardsInLast` lets the last component hold '*' and '?' (enumeration patterns).
ErrorCode ParseDesktopPath(std::string_view path, bool wildcardsInLast, DesktopPath& out);

struct ResolvedPath {
  std::string hostPath;  // entries found carry their own names, missing ones the names given
  bool exists = false;   // every component was found
  bool isRoot = false;   // the path names the volume's root
};

enum class MissingTail {
  kLastOnly,  // only the last component may be missing; a missing folder before it is an error
  kAny,       // any tail may be missing; it is kept as given
};

class PathResolver {
 public:
  explicit PathResolver(std::shared_ptr<const SimulatedMachine> machine);

  ErrorCode Resolve(std::string_view path, ResolvedPath& out,
                    MissingTail missing = MissingTail::kLastOnly) const;
  ErrorCode Resolve(const DesktopPath& path, ResolvedPath& out, MissingTail missing) const;

  // The desktop path of a host path: the mapping whose host folder is the longest prefix wins,
  // Z: (the host's root) when nothing closer maps it. A relative host path is taken from the
  // current folder. Resolution is lexical; symbolic links are not followed.
  std::string FromHostPath(const std::string& hostPath) const;

  const SimulatedMachine& Machine() const { return *machine_; }

 private:
  // The host folder the volume is mapped to; whether it is there is for the caller to see.
  ErrorCode VolumeFolder(const DesktopPath& path, std::string& folder) const;
  bool ResolveExactSpelling(const std::string& volume, const DesktopPath& path, ResolvedPath& out) const;

  std::shared_ptr<const SimulatedMachine> machine_;
};

// The host path of an entry `name` in `folder` ("/" joins without doubling).
std::string JoinHostPath(const std::string& folder, const std::string& name);

// The name of the entry of `folder` that `name` designates (exact, else without regard to case),
// or nothing when there is none.
//
// A name that is not there exactly is looked up in a listing of the folder kept from an earlier
// scan, for as long as the folder's change time says nobody else changed it; without that, every
// new file would scan its whole folder and filling a folder would take quadratic time. The file
// service reports its own changes (NoteEntryAdded, NoteEntryRemoved), which keep the listing
// current. A change by another process within the same clock tick as one of ours can go unseen
// until the folder changes again.
std::optional<std::string> FindEntry(const std::string& folder, const std::string& name);
void NoteEntryAdded(const std::string& hostPath);
void NoteEntryRemoved(const std::string& hostPath);

}  // namespace qel::platform
