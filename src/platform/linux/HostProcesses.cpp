#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <thread>

#include "platform/Platform.h"
#include "platform/Processes.h"
#include "platform/linux/ErrnoMapping.h"

extern char** environ;

namespace qel::platform {
namespace {

// A descriptor that becomes readable when the process ends, so a wait needs no polling loop.
int OpenProcessDescriptor(pid_t pid) {
#ifdef SYS_pidfd_open
  return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#else
  (void)pid;
  errno = ENOSYS;
  return -1;
#endif
}

std::uint32_t ExitCodeFromStatus(int status) {
  if (WIFEXITED(status)) return static_cast<std::uint32_t>(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return 128u + static_cast<std::uint32_t>(WTERMSIG(status));
  return 0;
}

class HostProcess final : public IProcess {
 public:
  explicit HostProcess(pid_t pid) : pid_(pid), descriptor_(OpenProcessDescriptor(pid)) {}
  HostProcess(const HostProcess&) = delete;
  HostProcess& operator=(const HostProcess&) = delete;
  ~HostProcess() override {
    // A program still running is left to run; only an ended one is collected here.
    if (!exitCode_) Reap(WNOHANG);
    if (descriptor_ >= 0) close(descriptor_);
  }

  ProcessId Id() const override { return static_cast<ProcessId>(pid_); }

  bool Wait(std::chrono::milliseconds timeout) override {
    if (exitCode_) return true;
    if (descriptor_ >= 0) return WaitOnDescriptor(timeout);
    return WaitByPolling(timeout);
  }

  std::optional<std::uint32_t> ExitCode() const override { return exitCode_; }

 private:
  bool WaitOnDescriptor(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      pollfd entry{descriptor_, POLLIN, 0};
      const int ready = poll(&entry, 1, static_cast<int>(std::clamp<long long>(left.count(), 0, INT_MAX)));
      if (ready > 0) return Reap(0);
      if (ready == 0 || errno != EINTR) return Reap(WNOHANG);
    }
  }

  bool WaitByPolling(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!Reap(WNOHANG)) {
      if (std::chrono::steady_clock::now() >= deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

  // Collects the ended process; true when it has ended.
  bool Reap(int options) {
    int status = 0;
    pid_t answer;
    do {
      answer = waitpid(pid_, &status, options);
    } while (answer < 0 && errno == EINTR);
    if (answer == pid_) {
      exitCode_ = ExitCodeFromStatus(status);
      return true;
    }
    // Someone else collected it (or it is not our child): it has ended, its code is lost.
    if (answer < 0 && errno == ECHILD) {
      exitCode_ = 0;
      return true;
    }
    return false;
  }

  pid_t pid_;
  int descriptor_;
  std::optional<std::uint32_t> exitCode_;
};

ErrorCode CheckProgram(const std::string& program, std::string& hostPath) {
  const ErrorCode resolved = Files().ToHostPath(program, hostPath);
  if (resolved != kSuccess) return resolved;
  struct stat info {};
  if (stat(hostPath.c_str(), &info) != 0) {
    const int error = errno;
    // The desktop tells a missing program from a missing folder on the way to it.
    const std::string folder = hostPath.substr(0, hostPath.find_last_of('/') + 1);
    struct stat folderInfo {};
    const bool folderThere = stat(folder.c_str(), &folderInfo) == 0 && S_ISDIR(folderInfo.st_mode);
    return DesktopErrorFromErrno(error, folderThere ? kErrorFileNotFound : kErrorPathNotFound);
  }
  if (S_ISDIR(info.st_mode)) return kErrorAccessDenied;
  if (!S_ISREG(info.st_mode)) return kErrorBadExeFormat;
  return kSuccess;
}

ErrorCode CheckWorkingFolder(const std::string& folder, std::string& hostPath) {
  if (folder.empty()) return kSuccess;
  if (Files().ToHostPath(folder, hostPath) != kSuccess) return kErrorDirectory;
  struct stat info {};
  if (stat(hostPath.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return kErrorDirectory;
  return kSuccess;
}

ErrorCode StartError(int error) {
  if (error == ENOEXEC) return kErrorBadExeFormat;
  // The program file was there a moment ago; a missing interpreter of a script reads the same.
  return DesktopErrorFromErrno(error, kErrorFileNotFound);
}

// The spawn's file actions, released with the object.
class SpawnActions {
 public:
  SpawnActions() { valid_ = posix_spawn_file_actions_init(&actions_) == 0; }
  ~SpawnActions() {
    if (valid_) posix_spawn_file_actions_destroy(&actions_);
  }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;

  bool Prepare(const std::string& workingFolder) {
    if (!valid_) return false;
    if (!workingFolder.empty() && posix_spawn_file_actions_addchdir_np(&actions_, workingFolder.c_str()) != 0) {
      return false;
    }
    // The launcher's own files (logs, locks, documents) are not the program's business.
    return posix_spawn_file_actions_addclosefrom_np(&actions_, 3) == 0;
  }

  const posix_spawn_file_actions_t* Get() const { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_{};
  bool valid_ = false;
};

}  // namespace

ErrorCode StartProcess(const std::string& program, const std::string& commandLine,
                       const std::string& workingFolder, std::unique_ptr<IProcess>& out) {
  std::string hostProgram;
  if (const ErrorCode checked = CheckProgram(program, hostProgram); checked != kSuccess) return checked;
  std::string hostFolder;
  if (const ErrorCode checked = CheckWorkingFolder(workingFolder, hostFolder); checked != kSuccess) {
    return checked;
  }

  std::vector<std::string> arguments = SplitCommandLine(commandLine);
  arguments.insert(arguments.begin(), hostProgram);
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  SpawnActions actions;
  if (!actions.Prepare(hostFolder)) return kErrorNotEnoughMemory;
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, hostProgram.c_str(), actions.Get(), nullptr, argv.data(), environ);
  if (spawned != 0) return StartError(spawned);
  out = std::make_unique<HostProcess>(pid);
  return kSuccess;
}

ErrorCode ListProcesses(std::vector<RunningProcess>& out) {
  out.clear();
  DIR* proc = opendir("/proc");
  if (!proc) return DesktopErrorFromErrno(errno, kErrorPathNotFound);
  while (const dirent* entry = readdir(proc)) {
    const std::string name = entry->d_name;
    if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      continue;
    }
    const std::string link = "/proc/" + name + "/exe";
    std::string target(PATH_MAX, '\0');
    const ssize_t length = readlink(link.c_str(), target.data(), target.size());
    // Kernel threads have no program file; other users' processes do not show theirs.
    if (length <= 0) continue;
    target.resize(static_cast<std::size_t>(length));
    out.push_back({static_cast<ProcessId>(std::stoul(name)), Files().FromHostPath(target)});
  }
  closedir(proc);
  std::sort(out.begin(), out.end(), [](const RunningProcess& a, const RunningProcess& b) { return a.id < b.id; });
  return kSuccess;
}

ErrorCode RequestProcessClose(ProcessId id) {
  if (id == 0 || id > static_cast<ProcessId>(INT_MAX)) return kErrorInvalidParameter;
  if (kill(static_cast<pid_t>(id), SIGTERM) == 0) return kSuccess;
  if (errno == ESRCH) return kErrorInvalidParameter;
  return kErrorAccessDenied;
}

}  // namespace qel::platform
