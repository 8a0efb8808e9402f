// Setup.exe: runs the setup in the folder it was started from and exits with the run's result.
// The host keeps only the low 8 bits of an exit status, so the result is given modulo 256
// (1602 -> 66, 1603 -> 67, 1618 -> 82, 3010 -> 194); the log and the chain document saved beside
// it keep the full code.
#include <string>
#include <vector>

#include "app/SetupApp.h"
#include "platform/MessageLoop.h"
#include "platform/SystemInfo.h"
#include "uimsg/MainThreadRequest.h"

int main(int argc, char** argv) {
  // The main thread owns the message loop from here on, and serves the UI handler's requests.
  qel::InstallMainThreadRequestPath(qel::platform::MainLoop());
  qel::platform::SystemInfo().SetProgramPath(argc > 0 ? argv[0] : "Setup.exe");
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  qel::CSetupApp app;
  const std::uint32_t result = app.Run(qel::platform::SystemInfo().ProgramPath(), arguments);
  return static_cast<int>(result % 256);
}
