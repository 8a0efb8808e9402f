#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/Library.h"
#include "platform/Platform.h"
#include "support/TempMachine.h"

namespace qel::platform {
namespace {

using test::TempMachine;

// The C math library is mapped into every test program (the C++ runtime needs it); its host path
// comes from the process's own memory map.
std::string HostPathOfMathLibrary() {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    auto slash = line.find('/');
    if (slash == std::string::npos) continue;
    std::string path = line.substr(slash);
    if (path.find("/libm.so") != std::string::npos || path.find("/libm-") != std::string::npos) return path;
  }
  return {};
}

class LibraryTest : public ::testing::Test {
 protected:
  TempMachine machine;
};

TEST_F(LibraryTest, LoadsALibraryByDesktopPathAndCallsAnExport) {
  const std::string host = HostPathOfMathLibrary();
  ASSERT_FALSE(host.empty());
  std::unique_ptr<ILibrary> library;
  ASSERT_EQ(LoadLibrary(Files().FromHostPath(host), library), kSuccess);
  auto cosine = library->FindFunction<double (*)(double)>("cos");
  ASSERT_NE(cosine, nullptr);
  EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
  EXPECT_EQ(library->FindExport("Script_NoSuchHook"), nullptr);
  EXPECT_EQ(library->FindExport(""), nullptr);
}

TEST_F(LibraryTest, AMissingFileOrAFileThatIsNoLibraryIsRefused) {
  std::unique_ptr<ILibrary> library;
  EXPECT_EQ(LoadLibrary("C:\\Setup\\Script.dll", library), kErrorModNotFound);
  EXPECT_EQ(LoadLibrary("C:\\", library), kErrorModNotFound);
  machine.WriteHostFile(machine.Root() + "/drive_c/Setup/Script.dll", "not a library");
  EXPECT_EQ(LoadLibrary("c:\\setup\\script.dll", library), kErrorBadExeFormat);
  EXPECT_EQ(library, nullptr);
}

}  // namespace
}  // namespace qel::platform
