#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/InstallerService.h"
#include "support/PackageBuilder.h"
#include "support/TempMachine.h"

// A temporary machine, a package builder with the sample payload, and a recording external
// handler, for the installer service's tests.
namespace qel::test {

inline constexpr const char* kSampleCode = "{AAAA1111-2222-3333-4444-555555555555}";
inline constexpr const char* kOtherCode = "{BBBB1111-2222-3333-4444-555555555555}";
inline constexpr const char* kSampleFolder = "C:\\Program Files\\Qel Sample\\";

struct RecordedMessage {
  std::uint32_t type;
  std::string text;
  std::uint32_t Kind() const { return type & platform::kInstallMessageKindMask; }
};

// Records every message; can answer Cancel to the n-th progress message, or to the first
// progress message after the first action data of InstallFiles.
struct MessageRecorder {
  std::vector<RecordedMessage> messages;
  int cancelAtProgress = 0;
  bool cancelAfterFirstFile = false;
  int answerToErrors = 0;

  static int Handle(void* context, std::uint32_t type, const std::string& text);
  std::vector<std::string> TextsOf(std::uint32_t kind) const;
};

class InstallerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  struct BuildOptions {
    std::string output = "sample.msi";
    std::string productCode = kSampleCode;
    std::string productName = "Qel Sample";
    std::string version = "1.0.0";
    bool embedCabinet = true;
  };
  // Builds the sample product; answers its desktop path.
  std::string BuildSample(const BuildOptions& options);
  std::string BuildSample() { return BuildSample(BuildOptions{}); }
  std::string HostOf(const std::string& desktopPath) const { return machine_.HostPath(desktopPath); }

  bool Exists(const std::string& desktopPath) const;
  std::string Read(const std::string& desktopPath) const;
  void InstallRecorder(std::uint32_t filter = 0xFFFFFFFF);

  // Runs build/bin/qel-machine against this machine: exit code, stdout, stderr.
  struct ToolResult {
    int exitCode = -1;
    std::string out;
    std::string err;
  };
  ToolResult Inspect(const std::string& arguments) const;

  TempMachine machine_;
  PackageBuilder builder_;
  MessageRecorder recorder_;
};

}  // namespace qel::test
