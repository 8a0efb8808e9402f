#pragma once
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The simulated machine: a host folder that holds the machine's drives, configuration and state.
//
// Root: the environment variable QEL_MACHINE, else ~/.local/share/qel/machine ($HOME; the
// password database when HOME is unset). On first use the root gets its layout:
//
//   machine.conf                    machine facts (below); a commented template when missing
//   drives.conf                     further drives and shares (below); a commented template
//   drive_c/                        C:
//   drive_c/Windows/
//   drive_c/Program Files/
//   drive_c/Users/<user>/AppData/Local/Temp/     the user's temporary folder
//   drive_c/Users/<user>/AppData/Roaming/        the user's application data
//
// The user folders are created for whichever user machine.conf names, on every start.
//
// machine.conf: one "key=value" a line; white space round key and value is trimmed; blank lines
// and lines starting with '#' are ignored; a later line wins over an earlier one with the same
// key. Keys are case-sensitive. Known keys:
//   user=<name>          the current user's name (default "User"); names a folder under C:\Users
// Other services read their own keys through Value() (for instance the OS version or the system
// language); they document them where they read them.
//
// drives.conf: one mapping a line, blank lines and '#' comments ignored:
//   D: /host/folder                  the drive letter D: is the host folder
//   \\server\share /host/folder      the share \\server\share is the host folder
// The host folder is the rest of the line after the white space that follows the name, so it
// may contain spaces; it must be absolute. Letters and share names are matched without regard to
// case. C: is always the machine's drive_c and cannot be remapped; Z: is the host's "/" unless
// the table maps it elsewhere. Malformed lines are skipped.
namespace qel::platform {

class SimulatedMachine {
 public:
  struct Share {
    std::string server;
    std::string share;
    std::string hostFolder;
  };

  // Reads the configuration of the machine at `root`, creating the layout where missing.
  explicit SimulatedMachine(std::string root);

  static std::string RootFromEnvironment();

  const std::string& Root() const { return root_; }
  const std::string& UserName() const { return userName_; }
  std::optional<std::string> Value(const std::string& key) const;

  // The host folder behind a drive letter (either case), or nothing when it is not mapped.
  std::optional<std::string> DriveFolder(char letter) const;
  // The host folder behind \\server\share, or nothing when it is not mapped.
  std::optional<std::string> ShareFolder(const std::string& server, const std::string& share) const;

  // Every mapping, for turning host paths back into desktop paths: drive letters in upper case
  // ("C:") and shares ("\\server\share"), each with its host folder (no trailing slash but "/").
  std::vector<std::pair<std::string, std::string>> Mappings() const;

  // "C:\Users\<user>\AppData\Local\Temp\"
  std::string TempFolder() const;

 private:
  void ReadConfiguration();
  void ReadDriveTable();
  void CreateLayout() const;

  std::string root_;
  std::string userName_ = "User";
  std::map<std::string, std::string> values_;
  std::map<char, std::string> drives_;
  std::vector<Share> shares_;
};

// The machine named by the environment, built on first use and shared by the platform's
// services; ResetPlatform drops it so the next call reads the environment again.
std::shared_ptr<const SimulatedMachine> CurrentMachine();

}  // namespace qel::platform
