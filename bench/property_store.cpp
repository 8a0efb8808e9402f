// The property store with 10 000 properties: a million reads and a hundred thousand writes of
// existing and of new names. Reads and writes go through the index by name, so the rates should
// not depend on the number of properties; the last figure is the one-off cost of rebuilding the
// index after a change made through the generic document operations.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "config/UtlXProperty.h"
#include "config/XMLFileManagerInterface.h"

namespace {

constexpr int kProperties = 10'000;
constexpr int kReads = 1'000'000;
constexpr int kWrites = 100'000;

std::string NameOf(int i) { return "QEL.Bench.Property." + std::to_string(i); }

std::vector<std::string> Names(const char* prefix, int count) {
  std::vector<std::string> names;
  names.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) names.push_back(prefix + std::to_string(i));
  return names;
}

// Loads slot 0 with the setup document of kProperties properties.
void LoadStore() {
  std::string text = "<QEL><Properties>";
  for (int i = 0; i < kProperties; ++i) {
    text += "<Property name=\"" + NameOf(i) + "\" value=\"value " + std::to_string(i) + "\"/>";
  }
  text += "</Properties><Setups><Msi file=\"a.msi\"/></Setups></QEL>";
  qel::CXMLFileManagerInterface().CreateXML(text);
}

void BM_GetProperty(benchmark::State& state) {
  LoadStore();
  const std::vector<std::string> names = Names("QEL.Bench.Property.", kProperties);
  qel::CUtlXProperty store;
  store.GetProperty(names[0]);  // builds the index outside the timed loop
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(store.GetProperty(names[i]));
    if (++i == names.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetProperty)->Iterations(kReads)->Unit(benchmark::kNanosecond);

void BM_SetPropertyExisting(benchmark::State& state) {
  LoadStore();
  const std::vector<std::string> names = Names("QEL.Bench.Property.", kProperties);
  qel::CUtlXProperty store;
  store.GetProperty(names[0]);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(store.SetProperty(names[i], "changed"));
    if (++i == names.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SetPropertyExisting)->Iterations(kWrites)->Unit(benchmark::kNanosecond);

void BM_SetPropertyNew(benchmark::State& state) {
  LoadStore();
  const std::vector<std::string> names = Names("QEL.Bench.New.", kWrites);
  qel::CUtlXProperty store;
  store.GetProperty(names[0]);
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(store.SetProperty(names[i++], "new"));
  state.SetItemsProcessed(state.iterations());
  state.counters["properties_after"] = static_cast<double>(qel::CXMLFileManagerInterface().SelectNodes("//Property"));
}
BENCHMARK(BM_SetPropertyNew)->Iterations(kWrites)->Unit(benchmark::kNanosecond);

// A generic removal followed by one read: the removal makes the index rebuild itself.
void BM_RemoveThenRead(benchmark::State& state) {
  LoadStore();
  qel::CUtlXProperty store;
  qel::CXMLFileManagerInterface xml;
  const std::string last = NameOf(kProperties - 1);
  for (auto _ : state) {
    state.PauseTiming();
    xml.SelectNodes("//Setups");
    xml.AddNodeAsChild("Msi");
    store.GetProperty(last);
    state.ResumeTiming();
    xml.RemoveAll("//Setups/Msi");
    benchmark::DoNotOptimize(store.GetProperty(last));
  }
}
BENCHMARK(BM_RemoveThenRead)->Iterations(200)->Unit(benchmark::kMicrosecond);

}  // namespace
