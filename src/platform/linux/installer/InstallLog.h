#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/ErrorCodes.h"
#include "platform/FileService.h"

// The installer's lines in the log file it was given: UTF-16LE without a byte-order mark, each
// line ended by CR LF, appended so that the launcher's lines and ours interleave in time order.
namespace qel::platform::installer {

std::string Utf8ToUtf16Le(const std::string& utf8);

class InstallLog {
 public:
  // An empty path or mode 0 logs nothing. Without the append attribute the file is started
  // anew by the first line of each installation.
  InstallLog(std::string path, std::uint32_t mode, bool append);

  bool Wants(std::uint32_t messageType) const;
  void WriteLine(const std::string& text);

  // The lines that open and close one run's part of the log; `patch` is named when not empty.
  void StartRun(const std::string& product, const std::string& patch = {});
  void EndRun(ErrorCode result);

 private:
  std::string path_;
  std::uint32_t mode_ = 0;
  bool append_ = true;
  bool failed_ = false;
  std::unique_ptr<IAppendFile> file_;
};

}  // namespace qel::platform::installer
