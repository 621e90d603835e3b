// Blocks per second claimed by the optimiser (the pump after every block and the headroom
// check included) against a bare loop that allocates and fills the same blocks. The machine's
// page-fault and fill rate bound both; the ratio is the optimiser's own cost.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

#include "app/frmMain.h"
#include "memory/modOptimize.h"
#include "platform/fake/fake_platform.h"

namespace {

using namespace tarnwick;

constexpr int kBlocks = 64;  // 128 MB a run

void OptimizeRam(benchmark::State& state) {
  FakePlatform os;
  os.blockChars = modOptimize::kBlockChars;
  os.memory = {64ull << 30, 32ull << 30, 64ull << 30};
  frmMain form(os);
  for (auto _ : state) {
    form.lngFreeRam = kBlocks;
    form.lngUsedRam = 0;
    form.intRamLevel = 0;
    form.cmdOptimizeNow_Click();
  }
  state.counters["blocks/s"] = benchmark::Counter(static_cast<double>(kBlocks * state.iterations()),
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(OptimizeRam)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BareAllocateAndFill(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<RamBlock> blocks(kBlocks + 1);
    for (int i = 0; i < kBlocks; ++i) blocks[i] = modOptimize::NewRamBlock();
    benchmark::DoNotOptimize(blocks.data());
    benchmark::ClobberMemory();
  }
  state.counters["blocks/s"] = benchmark::Counter(static_cast<double>(kBlocks * state.iterations()),
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(BareAllocateAndFill)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Prints the usual table, then the ratio of each pair measured side by side in this run.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) rates_[run.benchmark_name()] = run.counters.at("blocks/s");
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const double optimizer = rates_["OptimizeRam/min_time:2.000"];
    const double bare = rates_["BareAllocateAndFill/min_time:2.000"];
    std::printf("\n| measure | optimiser | bare loop | ratio |\n|---|---|---|---|\n");
    std::printf("| blocks of 2,000,000 bytes per second | %.0f | %.0f | %.2f |\n", optimizer, bare,
                bare > 0 ? optimizer / bare : 0.0);
  }

 private:
  std::map<std::string, double> rates_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  return 0;
}
