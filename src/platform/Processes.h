#pragma once
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ErrorCodes.h"

// Programs started by the launcher (executable chain items) and the programs already running on
// the machine (the files-in-use check). Programs are named by desktop paths.
namespace qel::platform {

using ProcessId = std::uint32_t;

// Splits a command line into arguments as the desktop runtime does:
//  - blanks and tabs separate arguments outside double quotes;
//  - a double quote toggles quoting and is not part of the argument; inside quotes, "" gives a
//    literal quote and quoting goes on;
//  - backslashes are literal unless a double quote follows them: 2n backslashes and a quote give
//    n backslashes and the quote toggles quoting; 2n+1 backslashes and a quote give n
//    backslashes and a literal quote.
// An argument made only of quotes ("") is an empty argument; a line of blanks has none.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// A started program. Destroying the object does not end the program, as closing a process
// handle on the desktop does not.
class IProcess {
 public:
  virtual ~IProcess() = default;
  virtual ProcessId Id() const = 0;
  // Waits up to `timeout` for the program to end; true once it has ended. A zero timeout only
  // looks.
  virtual bool Wait(std::chrono::milliseconds timeout) = 0;
  // The program's exit code once it has ended; nothing while it runs. A program ended by a
  // signal answers 128 plus the signal's number, as the host's shells report it.
  virtual std::optional<std::uint32_t> ExitCode() const = 0;
};

// Starts `program` with the arguments of `commandLine` (SplitCommandLine; the program's own path
// comes first and is not part of the line) in `workingFolder` (the launcher's own when empty),
// with the launcher's environment and without its open files other than the standard ones.
// Errors: kErrorFileNotFound when no file is at `program`, kErrorPathNotFound when its folder is
// missing, kErrorAccessDenied for a folder or a file that may not be executed, kErrorBadExeFormat
// for a file the machine cannot run, kErrorDirectory when `workingFolder` is not a folder.
ErrorCode StartProcess(const std::string& program, const std::string& commandLine,
                       const std::string& workingFolder, std::unique_ptr<IProcess>& out);

struct RunningProcess {
  ProcessId id = 0;
  std::string executable;  // desktop path of the program file it runs
};

// Every running process whose program file can be read, in ascending order of id.
ErrorCode ListProcesses(std::vector<RunningProcess>& out);

// Asks the process to close (it may clean up first, or refuse). kErrorInvalidParameter when no
// such process runs, kErrorAccessDenied when it may not be asked.
ErrorCode RequestProcessClose(ProcessId id);

}  // namespace qel::platform
