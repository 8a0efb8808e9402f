#include "support/TempMachine.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Platform.h"

namespace qel::test {
namespace {

namespace fs = std::filesystem;

// A test may leave read-only files or folders behind; owner write permission lets any user
// remove them.
void MakeTreeWritable(const fs::path& root) {
  std::error_code ec;
  fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ec);
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (it->is_symlink(ec)) continue;
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
}

}  // namespace

TempMachine::TempMachine() {
  if (const char* previous = std::getenv("QEL_MACHINE")) previousMachine_ = previous;
  std::string pattern = (fs::temp_directory_path() / "qel-machine-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    ADD_FAILURE() << "cannot create a temporary machine root";
  }
  root_ = pattern;
  setenv("QEL_MACHINE", root_.c_str(), 1);
  platform::ResetPlatform();
}

TempMachine::~TempMachine() {
  if (previousMachine_) {
    setenv("QEL_MACHINE", previousMachine_->c_str(), 1);
  } else {
    unsetenv("QEL_MACHINE");
  }
  platform::ResetPlatform();
  MakeTreeWritable(root_);
  std::error_code ec;
  fs::remove_all(root_, ec);
}

std::string TempMachine::HostPath(const std::string& desktopPath) const {
  std::string host;
  if (platform::Files().ToHostPath(desktopPath, host) != platform::kSuccess) return {};
  return host;
}

void TempMachine::WriteHostFile(const std::string& hostPath, const std::string& bytes) const {
  std::error_code ec;
  fs::create_directories(fs::path(hostPath).parent_path(), ec);
  std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  if (!out) ADD_FAILURE() << "cannot write " << hostPath;
}

std::optional<std::string> TempMachine::ReadHostFile(const std::string& hostPath) const {
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void TempMachine::WriteMachineConf(const std::string& text) const {
  WriteHostFile(root_ + "/machine.conf", text);
  platform::ResetPlatform();
}

void TempMachine::WriteDrivesConf(const std::string& text) const {
  WriteHostFile(root_ + "/drives.conf", text);
  platform::ResetPlatform();
}

}  // namespace qel::test
