#include <benchmark/benchmark.h>

#include <random>

#include "core/save_compare.h"
#include "core/working_copy.h"
#include "tests/core/test_labels.h"

namespace {

// What the editor does after every edit while comparing: the whole comparison again. A save with
// itself is the cheapest case; two unrelated random saves, where nearly every field differs and
// has its texts built, the dearest.
void BM_CompareSaves(benchmark::State& state) {
  korvath::testing::TempLabelDir dir;
  korvath::WorkingCopy a(dir.Path());
  korvath::WorkingCopy b(dir.Path());
  std::vector<std::uint8_t> first(korvath::SaveImage::Capacity);
  std::mt19937 random(3);
  for (auto& byte : first) byte = std::uint8_t(random());
  std::vector<std::uint8_t> second = first;
  if (state.range(0) != 0) {
    for (auto& byte : second) byte = std::uint8_t(random());
  }
  if (!a.Open(first, "a.bin") || !b.Open(second, "b.bin")) {
    state.SkipWithError("open failed");
    return;
  }
  std::size_t found = 0;
  for (auto _ : state) {
    const auto differences = korvath::CompareSaves(a, b);
    found = differences.size();
    benchmark::DoNotOptimize(differences.data());
  }
  state.counters["differences"] = double(found);
}
BENCHMARK(BM_CompareSaves)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
