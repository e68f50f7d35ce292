#include <benchmark/benchmark.h>

#include <array>

#include "core/working_copy.h"
#include "tests/core/test_labels.h"

namespace {

// Start-up with one label file replaced by 4 MiB of line feeds, the largest a label file may be.
// Peak memory: /usr/bin/time -v korvath_bench --benchmark_filter='StartUp.*/2$'
void BM_StartUpWithALabelFileOfLineFeeds(benchmark::State& state) {
  const char* name = korvath::kLabelFileNames[std::size_t(state.range(0))];
  korvath::testing::TempLabelDir dir;
  dir.WriteRaw(name, std::string(std::size_t(4) << 20, '\n'));
  state.SetLabel(name);
  for (auto _ : state) {
    korvath::WorkingCopy copy(dir.Path());
    benchmark::DoNotOptimize(copy.Labels().plan.Count());
  }
}
BENCHMARK(BM_StartUpWithALabelFileOfLineFeeds)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

}  // namespace
