#pragma once
#include <functional>

// Runs part of a test in a second process, for what must be seen across processes (named objects,
// the registry file). The child is a fork of the test: it runs `body` and ends with its answer as
// exit code, without running the test's destructors or gtest's handlers.
//
//   ChildProcess child([] { return OpenNamedEvent("E", event) == kSuccess ? 0 : 1; });
//   EXPECT_EQ(child.Wait(), 0);
//
// A child still running when the object is destroyed is killed and reaped.
namespace qel::test {

class ChildProcess {
 public:
  explicit ChildProcess(const std::function<int()>& body);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The child's exit code, or -1 when it ended by a signal or could not be started.
  int Wait();
  // Ends the child at once, as a crash would (SIGKILL), and reaps it.
  void Kill();

 private:
  int pid_ = -1;
};

}  // namespace qel::test
