// A quiet first installation of a chain of N packages: the whole run of Setup.exe /qn, and the
// same packages installed straight through the installer service. The difference is the
// launcher's own cost (start-up, preparation, the managed package's UI sequence, scheduling,
// command lines, messages, log, shut-down); it should grow no faster than N.
//
//   build/bin/bench_quiet_run --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/InstallerService.h"
#include "platform/Platform.h"
#include "support/LauncherRun.h"
#include "support/PackageBuilder.h"

namespace {

namespace fs = std::filesystem;

std::string CodeOf(int i) {
  char code[64];
  std::snprintf(code, sizeof code, "{B0000000-0000-4000-8000-%012d}", i);
  return code;
}

// The packages of a chain, built once per size.
struct Chain {
  qel::test::PackageBuilder builder;
  std::vector<std::string> packages;  // host paths

  explicit Chain(int count) {
    for (const char* file : {"main.txt", "tool.dat", "readme.txt", "extra.txt"}) builder.AddSourceFile(file, file);
    for (int i = 0; i < count; ++i) {
      const std::string name = "p" + std::to_string(i);
      packages.push_back(builder.Build("product", name + ".msi",
                                       {{"ProductCode", CodeOf(i)},
                                        {"ProductName", "Bench " + name},
                                        {"Version", "1.0.0"},
                                        {"EmbedCab", "yes"},
                                        {"Cabinet", name + ".cab"}}));
    }
  }

  std::string SetupXml() const {
    std::string items;
    for (std::size_t i = 0; i < packages.size(); ++i) {
      items += "<Msi file=\"" + fs::path(packages[i]).filename().string() + "\" productcode=\"" +
               CodeOf(static_cast<int>(i)) + "\"" + (i == 0 ? " managed=\"1\"" : "") + "/>";
    }
    return qel::test::SetupXmlWith({{"QEL.UILevel", "5"}}, "<Setups>" + items + "</Setups>");
  }
};

Chain& ChainOf(int count) {
  static std::map<int, std::unique_ptr<Chain>> chains;
  auto& chain = chains[count];
  if (!chain) chain = std::make_unique<Chain>(count);
  return *chain;
}

void BM_LauncherQuietRun(benchmark::State& state) {
  Chain& chain = ChainOf(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    qel::test::TempMachine machine;
    qel::test::SetupFolder setup(machine);
    setup.WriteSetupXml(chain.SetupXml());
    setup.WriteLanguage("EN", "<QEL><Properties><Property name=\"X\" value=\"\"/></Properties></QEL>");
    for (const auto& package : chain.packages)
      fs::copy_file(package, setup.HostFolder() + "/" + fs::path(package).filename().string());
    state.ResumeTiming();
    const auto run = setup.Run({"/qn"});
    if (run.exitStatus != 0) state.SkipWithError("the run failed");
  }
  state.counters["packages"] = static_cast<double>(state.range(0));
}

void BM_InstallerServiceAlone(benchmark::State& state) {
  Chain& chain = ChainOf(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    qel::test::TempMachine machine;
    std::vector<std::string> desktop;
    fs::create_directories(machine.Root() + "/drive_c");
    for (const auto& package : chain.packages) {
      const std::string copy = machine.Root() + "/drive_c/" + fs::path(package).filename().string();
      fs::copy_file(package, copy);
      desktop.push_back("C:\\" + fs::path(package).filename().string());
    }
    state.ResumeTiming();
    for (const auto& package : desktop) {
      if (qel::platform::Installer().InstallProduct(package, "ACTION=\"INSTALL\" ALLUSERS=\"1\"") != 0)
        state.SkipWithError("an installation failed");
    }
  }
  state.counters["packages"] = static_cast<double>(state.range(0));
}

BENCHMARK(BM_LauncherQuietRun)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_InstallerServiceAlone)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
