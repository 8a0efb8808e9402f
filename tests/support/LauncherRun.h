#pragma once
#include <map>
#include <string>
#include <vector>

#include "support/TempMachine.h"

// A setup folder on a temporary machine's C: drive, with the real Setup.exe (a symbolic link to
// the build's program, as a user would place one) and a hook library beside it, run as a child
// process.
//
//   qel::test::TempMachine machine;
//   qel::test::SetupFolder setup(machine);               // C:\Setup
//   setup.WriteSetupXml("<QEL>...</QEL>");
//   setup.WriteLanguage("EN", "<QEL><Properties>...</Properties></QEL>");
//   auto run = setup.Run({"/qn"});                       // run.exitStatus, run.standardError
namespace qel::test {

struct LauncherRun {
  int exitStatus = -1;  // the process's exit status (-1 when it died by a signal)
  std::string standardError;
};

class SetupFolder {
 public:
  // `hooks` names a test hook library under $QEL_TEST_HOOKS ("" for none); the default is the
  // build's own Script.dll.
  explicit SetupFolder(const TempMachine& machine, const std::string& name = "Setup",
                       const std::string& hooks = "default");

  const std::string& HostFolder() const { return hostFolder_; }
  std::string DesktopFolder() const { return desktopFolder_; }

  void WriteSetupXml(const std::string& text) const;
  // Lang\<code>\Property.xml and the pages the start-up asks for.
  void WriteLanguage(const std::string& code, const std::string& propertyXml) const;
  void WriteFile(const std::string& relativePath, const std::string& bytes) const;

  // Runs Setup.exe with `arguments`; `environment` adds to (or with an empty value removes from)
  // the test's environment.
  LauncherRun Run(const std::vector<std::string>& arguments,
                  const std::map<std::string, std::string>& environment = {}) const;

 private:
  const TempMachine& machine_;
  std::string hostFolder_;
  std::string desktopFolder_;
};

// What build/bin/qel-machine prints for `arguments` on this machine ("products", "features
// CODE", ...); `exitStatus` gets its exit status when given.
std::string InspectMachine(const TempMachine& machine, const std::string& arguments, int* exitStatus = nullptr);

// The start tag of the element that carries `productCode` in a chain document saved beside a
// log (desktop path of the log + ".xml" read through the host), or "" when there is none.
std::string SavedChainItem(const TempMachine& machine, const std::string& logHostPath, const std::string& productCode);

// The text of a run's log (UTF-16LE on disk), for logs that hold only ASCII.
std::string ReadRunLog(const std::string& hostPath);

// A Setup.xml with the given properties (name, value) and body inside <QEL>.
std::string SetupXmlWith(const std::map<std::string, std::string>& properties, const std::string& body = "");

}  // namespace qel::test
