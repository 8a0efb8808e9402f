// Installing a package of 2000 small files (50 MB in all) on a simulated machine, against a
// plain `cp -r` of the same files on the same host file system: from the compressed package
// (the cabinet is decompressed on the way) and from an uncompressed administrative image of it
// (files copied as they are, which is what `cp -r` does).
//
// The files live under the temporary folder (TMPDIR). On a file system whose cost of creating a
// file depends on what was deleted in the last minutes (ext4 without a journal skips recently
// freed inodes one by one), both sides swing with the runs before; TMPDIR=/dev/shm takes the
// file system's cost out and shows the installer's own.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/InstallerService.h"
#include "platform/Platform.h"

namespace {

constexpr int kFiles = 2000;
constexpr std::size_t kFileSize = 50u * 1000u * 1000u / kFiles;

struct Fixture {
  std::string folder;
  std::string msi;
  std::string imageMsi;  // the same package in an administrative image, files uncompressed

  Fixture() {
    folder = (std::filesystem::temp_directory_path() / "qel-bench-installer").string();
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder + "/payload");
    std::filesystem::create_directories(folder + "/machine");
    std::ofstream wxs(folder + "/big.wxs");
    wxs << "<?xml version=\"1.0\"?>\n<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n"
           "<Product Id=\"{5B0D2C4E-1111-4A4A-9C9C-000000000001}\" Name=\"Bench\" Language=\"1033\" "
           "Version=\"1.0.0\" Manufacturer=\"Qel\" UpgradeCode=\"{5B0D2C4E-1111-4A4A-9C9C-000000000002}\">\n"
           "<Package InstallerVersion=\"200\" Compressed=\"yes\"/>\n"
           "<Media Id=\"1\" Cabinet=\"big.cab\" EmbedCab=\"yes\"/>\n"
           "<Directory Id=\"TARGETDIR\" Name=\"SourceDir\"><Directory Id=\"ProgramFilesFolder\">"
           "<Directory Id=\"INSTALLDIR\" Name=\"Bench\">\n";
    std::string content(kFileSize, 'q');
    for (int i = 0; i < kFiles; ++i) {
      std::string name = "f" + std::to_string(i) + ".dat";
      content[0] = static_cast<char>('a' + i % 26);
      std::ofstream(folder + "/payload/" + name, std::ios::binary) << content;
      wxs << "<Component Id=\"C" << i << "\" Guid=\"*\"><File Id=\"F" << i << "\" Name=\"" << name
          << "\" Source=\"payload/" << name << "\" KeyPath=\"yes\"/></Component>\n";
    }
    wxs << "</Directory></Directory></Directory>\n<Feature Id=\"All\" Level=\"1\">\n";
    for (int i = 0; i < kFiles; ++i) wxs << "<ComponentRef Id=\"C" << i << "\"/>\n";
    wxs << "</Feature></Product></Wix>\n";
    wxs.close();
    std::string command = "cd '" + folder + "' && wixl -o big.msi big.wxs >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return;
    setenv("QEL_MACHINE", (folder + "/machine").c_str(), 1);
    qel::platform::ResetPlatform();
    msi = qel::platform::Files().FromHostPath(folder + "/big.msi");
    std::filesystem::create_directories(folder + "/image");
    const std::string image = qel::platform::Files().FromHostPath(folder + "/image");
    if (qel::platform::Installer().InstallProduct(msi, "ACTION=ADMIN TARGETDIR=\"" + image + "\"") == 0)
      imageMsi = image + "\\big.msi";
  }
  ~Fixture() { std::filesystem::remove_all(folder); }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void InstallAndRemove(benchmark::State& state, const std::string& package) {
  if (package.empty()) {
    state.SkipWithError("the package could not be built");
    return;
  }
  for (auto _ : state) {
    auto result = qel::platform::Installer().InstallProduct(package, "");
    state.PauseTiming();
    if (result != 0) state.SkipWithError("installation failed");
    qel::platform::Installer().InstallProduct(package, "REMOVE=ALL");
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kFiles * kFileSize);
}

void BM_InstallPackage(benchmark::State& state) { InstallAndRemove(state, Shared().msi); }
BENCHMARK(BM_InstallPackage)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_InstallFromImage(benchmark::State& state) { InstallAndRemove(state, Shared().imageMsi); }
BENCHMARK(BM_InstallFromImage)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CopyTree(benchmark::State& state) {
  Fixture& fixture = Shared();
  std::string target = fixture.folder + "/machine/drive_c/copy";
  for (auto _ : state) {
    std::string command = "cp -r '" + fixture.folder + "/payload' '" + target + "'";
    if (std::system(command.c_str()) != 0) state.SkipWithError("cp failed");
    state.PauseTiming();
    std::filesystem::remove_all(target);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kFiles * kFileSize);
}
BENCHMARK(BM_CopyTree)->Unit(benchmark::kMillisecond)->Iterations(3);

// Install and `cp -r` in turns under the same conditions, so that what the file system carries
// over from earlier deletions falls on both alike; the counters give each side's mean time and
// their ratio over all iterations.
void PairedWithCopy(benchmark::State& state, const std::string& package) {
  Fixture& fixture = Shared();
  if (package.empty()) {
    state.SkipWithError("the package could not be built");
    return;
  }
  const std::string target = fixture.folder + "/machine/drive_c/copy";
  const std::string copy = "cp -r '" + fixture.folder + "/payload' '" + target + "'";
  using Clock = std::chrono::steady_clock;
  double installSeconds = 0, copySeconds = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    if (std::system(copy.c_str()) != 0) state.SkipWithError("cp failed");
    const auto copied = Clock::now();
    if (qel::platform::Installer().InstallProduct(package, "") != 0) state.SkipWithError("installation failed");
    const auto installed = Clock::now();
    copySeconds += std::chrono::duration<double>(copied - start).count();
    installSeconds += std::chrono::duration<double>(installed - copied).count();
    state.PauseTiming();
    std::filesystem::remove_all(target);
    qel::platform::Installer().InstallProduct(package, "REMOVE=ALL");
    state.ResumeTiming();
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["install_ms"] = installSeconds * 1000 / n;
  state.counters["cp_ms"] = copySeconds * 1000 / n;
  state.counters["ratio"] = copySeconds > 0 ? installSeconds / copySeconds : 0;
}

void BM_PackageAgainstCopy(benchmark::State& state) { PairedWithCopy(state, Shared().msi); }
BENCHMARK(BM_PackageAgainstCopy)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ImageAgainstCopy(benchmark::State& state) { PairedWithCopy(state, Shared().imageMsi); }
BENCHMARK(BM_ImageAgainstCopy)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
