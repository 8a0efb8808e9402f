// Copying through the file service against the host library's own copy of the same file: the
// service should run at the file system's speed, so the two figures should be close.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Platform.h"

namespace {

namespace fs = std::filesystem;
constexpr std::size_t kFileSize = 256u << 20;

struct BenchMachine {
  BenchMachine() {
    std::string pattern = (fs::temp_directory_path() / "qel-bench-machine-XXXXXX").string();
    root = mkdtemp(pattern.data()) ? pattern : std::string();
    setenv("QEL_MACHINE", root.c_str(), 1);
    qel::platform::ResetPlatform();
    qel::platform::Files().CreateFolder("C:\\Bench");
    std::string host;
    qel::platform::Files().ToHostPath("C:\\Bench\\source.bin", host);
    std::ofstream out(host, std::ios::binary);
    const std::string block(1u << 20, 'q');
    for (std::size_t written = 0; written < kFileSize; written += block.size()) out << block;
  }
  ~BenchMachine() {
    qel::platform::ResetPlatform();
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  std::string root;
};

BenchMachine& Machine() {
  static BenchMachine machine;
  return machine;
}

void BM_FileServiceCopy(benchmark::State& state) {
  Machine();
  for (auto _ : state) {
    const auto result = qel::platform::Files().CopyFile("C:\\Bench\\source.bin", "C:\\Bench\\copy.bin", false,
                                                        [](std::uint64_t, std::uint64_t) { return true; });
    if (result != qel::platform::kSuccess) state.SkipWithError("copy failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(BM_FileServiceCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HostLibraryCopy(benchmark::State& state) {
  const std::string folder = Machine().root + "/drive_c/Bench";
  for (auto _ : state) {
    fs::copy_file(folder + "/source.bin", folder + "/host-copy.bin", fs::copy_options::overwrite_existing);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(BM_HostLibraryCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
