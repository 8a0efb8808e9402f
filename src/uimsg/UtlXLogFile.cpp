#include "uimsg/UtlXLogFile.h"

#include <algorithm>
#include <cctype>

#include "config/ResultText.h"
#include "config/UtlPath.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"
#include "platform/TimeFormat.h"
#include "uimsg/InstallerHookup.h"
#include "uimsg/LogOptions.h"
#include "uimsg/SetupMessageFormat.h"
#include "uimsg/Utf16Text.h"

namespace qel {
namespace {

constexpr const char* kLogFileProperty = "QEL.LogFile";
constexpr const char* kLogOptionsProperty = "QEL.LogOptions";
constexpr const char* kLogStartedProperty = "QEL.LogFileInitalized";
constexpr const char* kInstallerPolicyKey = "SOFTWARE\\Policies\\Microsoft\\Windows\\Installer";
// The policy value is read into 50 bytes: 24 characters and the terminator.
constexpr std::size_t kPolicyLoggingMaxChars = 24;
constexpr std::uint32_t kInstallLogAttributeAppend = 1;

// Five characters of a new GUID name the file; a GUID that cannot be made gives zeros.
std::string NewLogFileName() {
  std::string guid = "00000000-0000-0000-0000-000000000000";
  if (auto made = platform::SystemInfo().NewGuid()) {
    std::string bare;
    for (char c : *made) {
      if (c != '{' && c != '}') bare += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (bare.size() >= 5) guid = bare;
  }
  return "QEL" + guid.substr(0, 5) + ".log";
}

std::string OptionsFromMachinePolicy() {
  using platform::Hive;
  auto logging = platform::ReadRegistryString(Hive::LocalMachine, kInstallerPolicyKey, "Logging");
  if (!logging || logging->empty()) return {};
  std::string options = logging->substr(0, kPolicyLoggingMaxChars);
  auto debug = platform::ReadRegistryDword(Hive::LocalMachine, kInstallerPolicyKey, "debug");
  if (debug && *debug == 1) options += 'x';
  return options;
}

std::string LocalTimeText(std::string_view format) {
  return platform::FormatTime(format, platform::SystemInfo().Now());
}

}  // namespace

CUtlXLogFile::CUtlXLogFile() {
  ResolvePath();
  ResolveOptions();
  enabled_ = !options_.empty();
}

CUtlXLogFile::~CUtlXLogFile() = default;

void CUtlXLogFile::ResolvePath() {
  std::string path = GetProperty(kLogFileProperty);
  if (path.empty()) {
    CUtlPath joined(platform::SystemInfo().TempFolder());
    joined.Append(NewLogFileName());
    path = joined.Text();
  }
  SetProperty(kLogFileProperty, path);
  path_ = path;
}

void CUtlXLogFile::ResolveOptions() {
  std::string options = GetProperty(kLogOptionsProperty);
  if (options.empty()) {
    options = OptionsFromMachinePolicy();
    if (!options.empty()) SetProperty(kLogOptionsProperty, options);
  }
  options_ = options;
}

bool CUtlXLogFile::CatchUpWithStartedLog() {
  if (initialised_) return true;
  if (GetProperty(kLogStartedProperty) != "1") return false;
  ResolvePath();
  ResolveOptions();
  initialised_ = true;
  // An object built before the store held the command line's options would otherwise stay
  // silent for the whole run, leaving a log with a header and nothing else.
  enabled_ = !options_.empty();
  return true;
}

void CUtlXLogFile::WriteLine(std::string_view text) {
  std::lock_guard lock(mutex_);
  if (!CatchUpWithStartedLog() || !enabled_) return;
  if (!file_) {
    if (platform::Files().OpenAppend(path_, false, file_) != platform::kSuccess || !file_) {
      file_.reset();
      enabled_ = false;
      return;
    }
  }
  std::string line(text);
  line += "\r\n";
  file_->Append(Utf8ToUtf16Le(line));
}

void CUtlXLogFile::Restart() {
  std::lock_guard lock(mutex_);
  file_.reset();
  initialised_ = false;
  ResolvePath();
  ResolveOptions();
  enabled_ = !options_.empty();
}

std::string CUtlXLogFile::Path() const {
  std::lock_guard lock(mutex_);
  return path_;
}

std::string CUtlXLogFile::Options() const {
  std::lock_guard lock(mutex_);
  return options_;
}

bool CUtlXLogFile::Enabled() const {
  std::lock_guard lock(mutex_);
  return enabled_;
}

void StartLog() {
  CUtlXLogFile starter;
  const std::string path = starter.Path();
  const std::string options = starter.Options();
  const std::uint32_t mode = InstallerLogModeFromOptions(options);
  if (mode == 0 || path.empty()) {
    SetInstallerLogging(0, {});
    return;
  }
  CUtlPath(path).CreateFolders();
  if (!KeepsExistingLog(options)) platform::Files().DeleteFile(path);
  starter.SetProperty(kLogStartedProperty, "1");
  {
    std::lock_guard lock(starter.mutex_);
    starter.initialised_ = true;
    starter.enabled_ = true;
  }
  starter.WriteLine(kLogSeparator);
  starter.WriteLine(FormatSetupText("=== Logging Started %s ===",
                                                 LocalTimeText("%A, %B %d, %Y -- %I:%M %p")));
  starter.WriteLine("\r\n");
  SetInstallerLogging(mode, path);
}

CUtlXLogFile& GlobalLog() {
  static CUtlXLogFile log;
  return log;
}

void LogTimed(std::string_view text) {
  GlobalLog().WriteLine(
      FormatSetupText("--- QEL [%s]: %s", LocalTimeText("%H:%M:%S"), text));
}

void WriteLogTrailer(CUtlXLogFile& log, std::uint32_t exitCode) {
  const platform::LocalTime now = platform::SystemInfo().Now();
  log.WriteLine("\r\n");
  log.WriteLine(kLogSeparator);
  log.WriteLine(FormatSetupText("=== %s Installation Complete",
                                             log.GetProperty("Str.ProductDisplayName")));
  log.WriteLine(FormatSetupText("=== Result: %d -- %s", exitCode,
                                                            GetResultText(exitCode)));
  log.WriteLine(FormatSetupText(
      "=== Logging stopped: %d/%d/%d %s ===", now.month, now.day, now.year,
      platform::FormatTime("%#H:%#M:%#S", now)));
}

}  // namespace qel
