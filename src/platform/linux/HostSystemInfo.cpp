#include <unistd.h>
#include <uuid/uuid.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/FileService.h"
#include "platform/LocaleLanguage.h"
#include "platform/Platform.h"
#include "platform/SystemInfo.h"
#include "platform/TimeFormat.h"
#include "platform/linux/HostMachineRoot.h"
#include "platform/linux/SimulatedMachine.h"

namespace qel::platform {
namespace {

std::string WorkingDirectory() {
  std::vector<char> buffer(4096);
  while (!getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE) return "/";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

// Removes "." and empty components and applies ".." to the text, never above "/".
std::string NormaliseAbsolute(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    std::string_view part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string result;
  for (std::string_view part : parts) {
    result += '/';
    result += part;
  }
  return result.empty() ? "/" : result;
}

// A bare program name was found by the shell on PATH; look where it would have looked.
std::string FindOnPath(const std::string& name, const std::string& cwd) {
  const char* path = std::getenv("PATH");
  std::string_view dirs = path ? path : "";
  std::size_t start = 0;
  while (start <= dirs.size() && !dirs.empty()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string_view::npos) end = dirs.size();
    std::string dir(dirs.substr(start, end - start));
    if (dir.empty()) dir = ".";
    std::string candidate = (dir.front() == '/' ? dir : cwd + "/" + dir) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return cwd + "/" + name;
}

std::string ExecutablePath() {
  std::vector<char> buffer(4096);
  ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (length <= 0) return "/";
  return std::string(buffer.data(), static_cast<std::size_t>(length));
}

std::optional<std::uint16_t> ConfiguredLanguage(const std::string& key) {
  std::optional<std::string> value = CurrentMachine()->Value(key);
  if (!value || value->empty()) return std::nullopt;
  char* end = nullptr;
  unsigned long number = std::strtoul(value->c_str(), &end, 10);
  if (*end == '\0' && number > 0 && number <= 0xFFFF) return static_cast<std::uint16_t>(number);
  return LanguageIdFromLocale(*value);
}

std::uint16_t LocaleLanguage() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (!value || !*value) continue;
    return LanguageIdFromLocale(value).value_or(kLanguageEnglishUS);
  }
  return kLanguageEnglishUS;
}

class HostSystemInfo final : public ISystemInfo {
 public:
  void SetProgramPath(const std::string& argv0) override {
    if (argv0.empty()) {  // started without a name: the executable itself is all we know
      std::lock_guard lock(mutex_);
      programHostPath_.clear();
      return;
    }
    std::string cwd = WorkingDirectory();
    std::string host = argv0.find('/') != std::string::npos
                           ? (argv0.front() == '/' ? argv0 : cwd + "/" + argv0)
                           : FindOnPath(argv0, cwd);
    std::lock_guard lock(mutex_);
    programHostPath_ = NormaliseAbsolute(host);
  }

  std::string ProgramPath() override {
    std::string host;
    {
      std::lock_guard lock(mutex_);
      host = programHostPath_.empty() ? ExecutablePath() : programHostPath_;
    }
    return Files().FromHostPath(host);
  }

  std::uint16_t SystemLanguage() override {
    return ConfiguredLanguage("language").value_or(LocaleLanguage());
  }

  std::uint16_t UserInterfaceLanguage() override {
    return ConfiguredLanguage("ui_language").value_or(SystemLanguage());
  }

  std::string TempFolder() override { return Files().TempFolder(); }

  std::optional<std::string> NewGuid() override {
    uuid_t id;
    uuid_generate(id);
    char text[37];
    uuid_unparse_upper(id, text);
    return "{" + std::string(text) + "}";
  }

  LocalTime Now() override {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    LocalTime time;
    time.year = local.tm_year + 1900;
    time.month = local.tm_mon + 1;
    time.day = local.tm_mday;
    time.hour = local.tm_hour;
    time.minute = local.tm_min;
    time.second = local.tm_sec;
    time.millisecond = static_cast<int>(now.tv_nsec / 1000000);
    time.dayOfWeek = local.tm_wday;
    time.dayOfYear = local.tm_yday;
    return time;
  }

  ErrorCode RequestRestart() override {
    const std::string line = FormatTime("%Y-%m-%d %H:%M:%S", Now()) + "\n";
    std::FILE* file = std::fopen(HostMachineFile("restart-requested").c_str(), "a");
    if (!file) return kErrorAccessDenied;
    const bool written = std::fputs(line.c_str(), file) >= 0;
    const bool closed = std::fclose(file) == 0;
    return written && closed ? kSuccess : kErrorAccessDenied;
  }

 private:
  std::mutex mutex_;
  std::string programHostPath_;
};

std::mutex systemInfoMutex;
std::unique_ptr<ISystemInfo> systemInfo;

void DropSystemInfo() {
  std::lock_guard lock(systemInfoMutex);
  systemInfo.reset();
}

void RegisterReset() {
  static std::once_flag registered;
  std::call_once(registered, [] { OnPlatformReset(&DropSystemInfo); });
}

}  // namespace

ISystemInfo& SystemInfo() {
  RegisterReset();
  std::lock_guard lock(systemInfoMutex);
  if (!systemInfo) systemInfo = std::make_unique<HostSystemInfo>();
  return *systemInfo;
}

void SetSystemInfo(std::unique_ptr<ISystemInfo> replacement) {
  RegisterReset();
  std::lock_guard lock(systemInfoMutex);
  systemInfo = std::move(replacement);
}

}  // namespace qel::platform
