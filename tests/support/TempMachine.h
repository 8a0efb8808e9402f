#pragma once
#include <optional>
#include <string>

// A fresh simulated machine for one test.
//
//   qel::test::TempMachine machine;                      // new root under /tmp, QEL_MACHINE set
//   machine.WriteHostFile(machine.Root() + "/drive_c/Setup/Setup.xml", "<QEL/>");
//   Files().ReadFile("C:\\Setup\\Setup.xml", bytes);     // the platform now uses that root
//   std::string host = machine.HostPath("C:\\Setup\\Setup.xml");
//
// The constructor creates a temporary root, points QEL_MACHINE at it and calls ResetPlatform(),
// so the next platform call builds the machine (and its layout) there. The destructor puts
// QEL_MACHINE back as it was, calls ResetPlatform() again and removes the whole folder (read-only
// files included). Not for use from two threads at once: it changes the process's environment.
namespace qel::test {

class TempMachine {
 public:
  TempMachine();
  ~TempMachine();
  TempMachine(const TempMachine&) = delete;
  TempMachine& operator=(const TempMachine&) = delete;

  // The machine's root folder on the host (C: is Root() + "/drive_c").
  const std::string& Root() const { return root_; }

  // The host path of a desktop path, resolved as the platform does (existing entries found
  // without regard to case, a missing tail kept as given); empty when it cannot be resolved.
  std::string HostPath(const std::string& desktopPath) const;

  // Writes a host file, creating its folders; fails the current test when it cannot.
  void WriteHostFile(const std::string& hostPath, const std::string& bytes) const;
  // The content of a host file, or nothing when it cannot be read.
  std::optional<std::string> ReadHostFile(const std::string& hostPath) const;

  // Replaces machine.conf or drives.conf (their formats: platform/linux/SimulatedMachine.h)
  // and resets the platform so the next call reads them.
  void WriteMachineConf(const std::string& text) const;
  void WriteDrivesConf(const std::string& text) const;

 private:
  std::string root_;
  std::optional<std::string> previousMachine_;
};

}  // namespace qel::test
