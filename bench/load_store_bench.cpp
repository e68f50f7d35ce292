#include <benchmark/benchmark.h>

#include <random>

#include "core/working_copy.h"
#include "tests/core/test_labels.h"

namespace {

// A full load and store of a file that fills the image, every table included.
void BM_LoadStorePass(benchmark::State& state) {
  korvath::testing::TempLabelDir dir;
  korvath::WorkingCopy copy(dir.Path());
  std::vector<std::uint8_t> bytes(korvath::SaveImage::Capacity);
  std::mt19937 random(1);
  for (auto& b : bytes) b = std::uint8_t(random());
  if (!copy.Open(bytes, "bench.bin")) {
    state.SkipWithError("open failed");
    return;
  }
  for (auto _ : state) {
    copy.LoadPass();
    copy.StorePass();
    benchmark::DoNotOptimize(copy.Image().Bytes.data());
  }
}
BENCHMARK(BM_LoadStorePass)->Unit(benchmark::kMicrosecond);

// The same after Open, when every cell changes its text.
void BM_OpenStoreAlternating(benchmark::State& state) {
  korvath::testing::TempLabelDir dir;
  korvath::WorkingCopy copy(dir.Path());
  std::vector<std::uint8_t> first(korvath::SaveImage::Capacity);
  std::vector<std::uint8_t> second(korvath::SaveImage::Capacity);
  std::mt19937 random(2);
  for (auto& b : first) b = std::uint8_t(random());
  for (auto& b : second) b = std::uint8_t(random());
  bool flip = false;
  for (auto _ : state) {
    flip = !flip;
    copy.Open(flip ? first : second, "bench.bin");
    copy.StorePass();
    benchmark::DoNotOptimize(copy.Image().Bytes.data());
  }
}
BENCHMARK(BM_OpenStoreAlternating)->Unit(benchmark::kMicrosecond);

}  // namespace
