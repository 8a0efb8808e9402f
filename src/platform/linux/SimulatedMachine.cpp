#include "platform/linux/SimulatedMachine.h"

#include <pwd.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <system_error>

#include "platform/Platform.h"
#include "platform/linux/DesktopNames.h"

namespace qel::platform {
namespace {

namespace fs = std::filesystem;

constexpr const char* kMachineConfTemplate =
    "# Facts of this simulated machine: key=value, one a line.\n"
    "# user=User\n";

constexpr const char* kDrivesConfTemplate =
    "# Further drives and shares of this simulated machine, one a line:\n"
    "#   D: /host/folder\n"
    "#   \\\\server\\share /host/folder\n";

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

// Lexically normal, no trailing slash except for "/" itself.
std::string NormalHostFolder(const std::string& folder) {
  std::string normal = fs::path(folder).lexically_normal().string();
  while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return normal;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
  return "/tmp";
}

void WriteIfMissing(const fs::path& file, const char* text) {
  std::error_code ec;
  if (fs::exists(file, ec)) return;
  std::ofstream(file) << text;
}

std::vector<std::string> ReadLines(const fs::path& file) {
  std::vector<std::string> lines;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    line = Trim(line);
    if (line.empty() || line.front() == '#') continue;
    lines.push_back(line);
  }
  return lines;
}

bool IsPlainUserName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("/\\:*?\"<>|") == std::string::npos;
}

}  // namespace

SimulatedMachine::SimulatedMachine(std::string root) : root_(NormalHostFolder(root)) {
  std::error_code ec;
  fs::create_directories(root_, ec);
  WriteIfMissing(fs::path(root_) / "machine.conf", kMachineConfTemplate);
  WriteIfMissing(fs::path(root_) / "drives.conf", kDrivesConfTemplate);
  ReadConfiguration();
  ReadDriveTable();
  CreateLayout();
}

std::string SimulatedMachine::RootFromEnvironment() {
  if (const char* root = std::getenv("QEL_MACHINE"); root && *root) return root;
  return HomeFolder() + "/.local/share/qel/machine";
}

void SimulatedMachine::ReadConfiguration() {
  for (const std::string& line : ReadLines(fs::path(root_) / "machine.conf")) {
    const auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    values_[Trim(line.substr(0, equals))] = Trim(line.substr(equals + 1));
  }
  // A name that could climb out of C:\Users or split into folders is ignored, not trusted.
  if (auto user = Value("user"); user && IsPlainUserName(*user)) userName_ = *user;
}

void SimulatedMachine::ReadDriveTable() {
  drives_['C'] = NormalHostFolder(root_ + "/drive_c");
  drives_.insert_or_assign('Z', std::string(1, '/'));
  for (const std::string& line : ReadLines(fs::path(root_) / "drives.conf")) {
    const auto space = line.find_first_of(" \t");
    if (space == std::string::npos) continue;
    const std::string name = line.substr(0, space);
    const std::string folder = Trim(line.substr(space));
    if (folder.empty() || folder.front() != '/') continue;
    if (name.size() == 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]))) {
      const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
      if (letter != 'C') drives_[letter] = NormalHostFolder(folder);
      continue;
    }
    if (!name.starts_with("\\\\")) continue;
    const auto separator = name.find('\\', 2);
    if (separator == std::string::npos || separator == 2) continue;
    Share share{name.substr(2, separator - 2), name.substr(separator + 1), NormalHostFolder(folder)};
    if (share.share.empty() || share.share.find('\\') != std::string::npos) continue;
    shares_.push_back(std::move(share));
  }
}

void SimulatedMachine::CreateLayout() const {
  const fs::path driveC = drives_.at('C');
  const fs::path profile = driveC / "Users" / userName_;
  std::error_code ec;
  for (const fs::path& folder : {driveC / "Windows", driveC / "Program Files",
                                 profile / "AppData" / "Local" / "Temp",
                                 profile / "AppData" / "Roaming"}) {
    fs::create_directories(folder, ec);
  }
}

std::optional<std::string> SimulatedMachine::Value(const std::string& key) const {
  const auto found = values_.find(key);
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

std::optional<std::string> SimulatedMachine::DriveFolder(char letter) const {
  const auto found = drives_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
  if (found == drives_.end()) return std::nullopt;
  return found->second;
}

std::optional<std::string> SimulatedMachine::ShareFolder(const std::string& server,
                                                         const std::string& share) const {
  for (const Share& entry : shares_) {
    if (EqualsIgnoringCase(entry.server, server) && EqualsIgnoringCase(entry.share, share)) {
      return entry.hostFolder;
    }
  }
  return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> SimulatedMachine::Mappings() const {
  std::vector<std::pair<std::string, std::string>> mappings;
  for (const auto& [letter, folder] : drives_) mappings.emplace_back(std::string{letter, ':'}, folder);
  for (const Share& share : shares_) {
    mappings.emplace_back("\\\\" + share.server + "\\" + share.share, share.hostFolder);
  }
  return mappings;
}

std::string SimulatedMachine::TempFolder() const {
  return "C:\\Users\\" + userName_ + "\\AppData\\Local\\Temp\\";
}

namespace {

std::mutex& MachineMutex() {
  static std::mutex mutex;
  return mutex;
}

std::shared_ptr<const SimulatedMachine>& MachineSlot() {
  static std::shared_ptr<const SimulatedMachine> machine;
  return machine;
}

void DropMachine() {
  std::lock_guard lock(MachineMutex());
  MachineSlot().reset();
}

}  // namespace

std::shared_ptr<const SimulatedMachine> CurrentMachine() {
  static std::once_flag registered;
  std::call_once(registered, [] { OnPlatformReset(&DropMachine); });
  std::lock_guard lock(MachineMutex());
  auto& machine = MachineSlot();
  if (!machine) {
    machine = std::make_shared<const SimulatedMachine>(SimulatedMachine::RootFromEnvironment());
  }
  return machine;
}

}  // namespace qel::platform
