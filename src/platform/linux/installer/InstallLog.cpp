#include "platform/linux/installer/InstallLog.h"

#include "platform/InstallerService.h"
#include "platform/Platform.h"
#include "platform/SystemInfo.h"
#include "platform/TimeFormat.h"

namespace qel::platform::installer {
namespace {

void PutUnit(std::string& out, std::uint32_t unit) {
  out += static_cast<char>(unit & 0xFF);
  out += static_cast<char>((unit >> 8) & 0xFF);
}

// The date and time on the lines that open and close a run's part of the log.
std::string LogStamp() { return FormatTime("%m/%d/%Y  %H:%M:%S", SystemInfo().Now()); }

}  // namespace

std::string Utf8ToUtf16Le(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size() * 2);
  for (std::size_t i = 0; i < utf8.size();) {
    auto byte = static_cast<unsigned char>(utf8[i]);
    std::uint32_t code = 0xFFFD;
    std::size_t length = 1;
    if (byte < 0x80) {
      code = byte;
    } else if ((byte >> 5) == 0x6 && i + 1 < utf8.size()) {
      code = ((byte & 0x1F) << 6) | (utf8[i + 1] & 0x3F);
      length = 2;
    } else if ((byte >> 4) == 0xE && i + 2 < utf8.size()) {
      code = ((byte & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) | (utf8[i + 2] & 0x3F);
      length = 3;
    } else if ((byte >> 3) == 0x1E && i + 3 < utf8.size()) {
      code = ((byte & 0x07) << 18) | ((utf8[i + 1] & 0x3F) << 12) | ((utf8[i + 2] & 0x3F) << 6) |
             (utf8[i + 3] & 0x3F);
      length = 4;
    }
    i += length;
    if (code >= 0x10000) {
      code -= 0x10000;
      PutUnit(out, 0xD800 | (code >> 10));
      PutUnit(out, 0xDC00 | (code & 0x3FF));
      continue;
    }
    PutUnit(out, code);
  }
  return out;
}

InstallLog::InstallLog(std::string path, std::uint32_t mode, bool append)
    : path_(std::move(path)), mode_(mode), append_(append) {}

bool InstallLog::Wants(std::uint32_t messageType) const {
  if (path_.empty() || mode_ == 0) return false;
  return (mode_ & MessageFilterBit(messageType & kInstallMessageKindMask)) != 0;
}

void InstallLog::WriteLine(const std::string& text) {
  if (path_.empty() || mode_ == 0 || failed_) return;
  if (!file_ && Files().OpenAppend(path_, !append_, file_) != kSuccess) {
    // A log that cannot be written is no reason to fail an installation.
    failed_ = true;
    return;
  }
  file_->Append(Utf8ToUtf16Le(text + "\r\n"));
}

void InstallLog::StartRun(const std::string& product, const std::string& patch) {
  WriteLine("=== Logging started: " + LogStamp() + " ===");
  WriteLine("******* Product: " + product);
  if (!patch.empty()) WriteLine("******* Patch: " + patch);
}

void InstallLog::EndRun(ErrorCode result) {
  WriteLine("MainEngineThread is returning " + std::to_string(result));
  WriteLine("=== Logging stopped: " + LogStamp() + " ===");
}

}  // namespace qel::platform::installer
