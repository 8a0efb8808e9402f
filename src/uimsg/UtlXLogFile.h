#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "config/UtlXProperty.h"
#include "platform/FileService.h"

// The run's log file: UTF-16LE without a byte-order mark, every line ended by CR LF, shared with
// the installer service. Several log objects write to the same file through their own handles,
// each appending at the end, so their lines interleave in the order they were written.
//
// Logging is off until StartLog has written the header and set "QEL.LogFileInitalized"; a line
// written before that is dropped, not kept for later.
namespace qel {

inline constexpr std::string_view kLogSeparator =
    "================================================================================";

class CUtlXLogFile : public CUtlXProperty {
 public:
  // Resolves the path ("QEL.LogFile", else a new name in the temporary folder) and the options
  // ("QEL.LogOptions", else the installer's machine policy).
  CUtlXLogFile();
  ~CUtlXLogFile() override;
  CUtlXLogFile(const CUtlXLogFile&) = delete;
  CUtlXLogFile& operator=(const CUtlXLogFile&) = delete;

  // Appends the text and CR LF. A file that cannot be opened switches this object off for the
  // rest of the run; the run goes on.
  void WriteLine(std::string_view text);

  // Starts over as at construction: closes the file and resolves path and options again. A test
  // process goes through several runs' logs; the launcher itself has one.
  void Restart();

  std::string Path() const;
  std::string Options() const;
  bool Enabled() const;

 private:
  friend void StartLog();

  void ResolvePath();
  void ResolveOptions();
  // The first write after the header re-reads path and options, which may have been set after
  // this object was built (command line, Property.xml).
  bool CatchUpWithStartedLog();

  mutable std::mutex mutex_;
  std::unique_ptr<platform::IAppendFile> file_;
  std::string path_;
  std::string options_;
  bool initialised_ = false;
  bool enabled_ = false;
};

// Starts the log and the installer's logging into the same file: called once, when the handler
// initialises. Without options (or options that switch no installer mode on, such as "x") the
// log is not started and the installer's logging is switched off.
void StartLog();

// The log object shared by the whole process, for timed lines and for other subsystems.
CUtlXLogFile& GlobalLog();

// "--- QEL [%H:%M:%S]: text" through the shared log object.
void LogTimed(std::string_view text);

// The trailer of the run, written when the handler terminates with the run's exit code.
void WriteLogTrailer(CUtlXLogFile& log, std::uint32_t exitCode);

}  // namespace qel
