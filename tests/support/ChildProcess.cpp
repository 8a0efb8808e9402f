#include "support/ChildProcess.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace qel::test {

ChildProcess::ChildProcess(const std::function<int()>& body) {
  pid_ = fork();
  if (pid_ == 0) _exit(body());
}

ChildProcess::~ChildProcess() { Kill(); }

int ChildProcess::Wait() {
  if (pid_ <= 0) return -1;
  int status = 0;
  const int pid = pid_;
  pid_ = -1;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ChildProcess::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  Wait();
}

}  // namespace qel::test
