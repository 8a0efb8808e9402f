#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/ErrorCodes.h"
#include "platform/LocalTime.h"

// Facts about the machine and the running program.
namespace qel::platform {

class ISystemInfo {
 public:
  virtual ~ISystemInfo() = default;

  // The launcher hands over argv[0] at start-up. The program's path is then the path it was
  // started by, made absolute against the working directory of that moment (or found on PATH
  // when it has no slash), with "." and ".." removed by the text alone: a program started through
  // a symbolic link is where the link is, so that it finds the setup folder beside the link.
  virtual void SetProgramPath(const std::string& argv0) = 0;
  // The desktop path of the program. Before SetProgramPath (or after it with an empty argv[0]),
  // the executable's host path with links resolved, the only one the host then offers.
  virtual std::string ProgramPath() = 0;

  // The system's language id: the machine configuration's "language" (a decimal id or a locale
  // name such as "de_DE"), else the locale of LC_ALL, LC_MESSAGES or LANG (the first that is
  // set), else US English (1033). A locale whose language is not known also gives 1033.
  virtual std::uint16_t SystemLanguage() = 0;
  // The user-interface language: the configuration's "ui_language", else the system language.
  virtual std::uint16_t UserInterfaceLanguage() = 0;

  // The current user's temporary folder, with a trailing backslash.
  virtual std::string TempFolder() = 0;
  // A new GUID as "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case; nothing on failure.
  virtual std::optional<std::string> NewGuid() = 0;
  virtual LocalTime Now() = 0;

  // Records that the machine is to be restarted; the host itself never restarts. Each request
  // appends a line with the local time ("YYYY-MM-DD HH:MM:SS") to "restart-requested" in the
  // machine's root.
  virtual ErrorCode RequestRestart() = 0;
};

ISystemInfo& SystemInfo();
// Replaces the service (tests substitute one for facts the machine cannot produce); nullptr goes
// back to the machine's own.
void SetSystemInfo(std::unique_ptr<ISystemInfo> systemInfo);

}  // namespace qel::platform
