// The core on the fake platform: blocks per second claimed by the optimiser (a step from the
// message loop per block and the headroom check included) against a bare loop that allocates and
// fills the same blocks, whose ratio is the optimiser's own cost; and one process-list pass. The
// Google Benchmark table goes to stderr, the summary rows to stdout.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <iostream>
#include <map>

#include "app/frmMain.h"
#include "memory/modOptimize.h"
#include "fake/fake_platform.h"

namespace {

using namespace tarnwick;

constexpr int kBlocks = 64;  // 128 MB a run

void OptimizeRam(benchmark::State& state) {
  FakePlatform os;
  os.memory = {64ull << 30, 32ull << 30, 64ull << 30};
  frmMain form(os);
  while (state.KeepRunning()) {
    form.lngFreeRam = kBlocks;
    form.lngUsedRam = 0;
    form.intRamLevel = 0;
    form.cmdOptimizeNow_Click();
    os.runLoop();
  }
  state.counters["blocks/s"] = benchmark::Counter(static_cast<double>(kBlocks * state.iterations()),
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(OptimizeRam)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BareAllocateAndFill(benchmark::State& state) {
  while (state.KeepRunning()) {
    std::vector<modOptimize::RamBlock> blocks(kBlocks + 1);
    for (int i = 0; i < kBlocks; ++i) blocks[i] = modOptimize::NewRamBlock();
    benchmark::DoNotOptimize(blocks.data());
    benchmark::ClobberMemory();
  }
  state.counters["blocks/s"] = benchmark::Counter(static_cast<double>(kBlocks * state.iterations()),
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(BareAllocateAndFill)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void ListProcesses(benchmark::State& state) {
  FakePlatform os;
  for (uint32_t pid = 1; pid <= 1000; ++pid)
    os.processes.push_back(
        {pid * 4, "C:\\Program Files\\Vendor\\app" + std::to_string(pid) + ".exe"});
  frmMain form(os);
  while (state.KeepRunning()) form.ListProcesses(true);
  state.counters["processes/s"] = benchmark::Counter(
      1000.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(ListProcesses)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

// Prints the usual table, then the ratio of each pair measured side by side in this run.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      for (const auto& [name, counter] : run.counters)
        rates_[run.benchmark_name() + " " + name] = counter;
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const double optimizer = rates_["OptimizeRam/min_time:2.000 blocks/s"];
    const double bare = rates_["BareAllocateAndFill/min_time:2.000 blocks/s"];
    const double listed = rates_["ListProcesses/min_time:1.000 processes/s"];
    std::printf(
        "| Optimiser, native, fake platform: blocks of 2,000,000 bytes claimed per second | "
        "%.0f /s | bare allocate-and-fill loop: %.0f /s | %.2f |\n",
        optimizer, bare, bare > 0 ? optimizer / bare : 0.0);
    std::printf(
        "| One process-list pass, native, fake platform, 1,000 processes | %.3f us per process "
        "| | |\n",
        listed > 0 ? 1e6 / listed : 0.0);
  }

 private:
  std::map<std::string, double> rates_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  reporter.SetOutputStream(&std::cerr);
  reporter.SetErrorStream(&std::cerr);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  return 0;
}
