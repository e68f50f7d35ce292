#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <random>

#include "core/edit_history.h"
#include "core/working_copy.h"
#include "tests/core/test_labels.h"

namespace {

constexpr korvath::GridId kUnits = korvath::GridId::StringGrid1_2;

bool OpenRandom(korvath::WorkingCopy& copy, benchmark::State& state) {
  std::vector<std::uint8_t> bytes(korvath::SaveImage::Capacity);
  std::mt19937 random(3);
  for (auto& b : bytes) b = std::uint8_t(random());
  if (copy.Open(bytes, "bench.bin")) return true;
  state.SkipWithError("open failed");
  return false;
}

// A Save with steps to undo compares the cells and the image before and after the store pass;
// Arg(0) saves with an empty history, Arg(1) after one edit.
void BM_StorePassWithHistory(benchmark::State& state) {
  korvath::testing::TempLabelDir dir;
  korvath::WorkingCopy copy(dir.Path());
  if (!OpenRandom(copy, state)) return;
  if (state.range(0) > 0) copy.SetCell(kUnits, 5, 3, "12");
  for (auto _ : state) {
    copy.StorePass();
    benchmark::DoNotOptimize(copy.Image().Bytes.data());
  }
}
BENCHMARK(BM_StorePassWithHistory)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Undoing and redoing a full history of single-cell steps, per step.
void BM_UndoRedoFullHistory(benchmark::State& state) {
  korvath::testing::TempLabelDir dir;
  korvath::WorkingCopy copy(dir.Path());
  if (!OpenRandom(copy, state)) return;
  const int steps = int(korvath::EditHistory::kDefaultLimit);
  for (int i = 0; i < steps; ++i) copy.SetCell(kUnits, 1 + i % 200, 3, std::to_string(i));
  for (auto _ : state) {
    while (copy.CanUndo()) copy.Undo();
    while (copy.CanRedo()) copy.Redo();
  }
  state.SetItemsProcessed(state.iterations() * 2 * steps);
}
BENCHMARK(BM_UndoRedoFullHistory)->Unit(benchmark::kMillisecond);

// The memory of a full history of texts as long as a box holds, one committed step each: the
// history's own count and the process's peak resident size, in MiB.
void BM_HistoryOfLongTexts(benchmark::State& state) {
  korvath::testing::TempLabelDir dir;
  korvath::WorkingCopy copy(dir.Path());
  if (!OpenRandom(copy, state)) return;
  const int steps = int(korvath::EditHistory::kDefaultLimit);
  for (auto _ : state) {
    for (int i = 0; i < steps; ++i) {
      copy.SetCell(kUnits, 1 + i % 200, 3,
                   std::string(korvath::kMaxTypedLength, char('a' + i % 26)));
      copy.EndTyping();
    }
  }
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  state.counters["history_MiB"] = double(copy.History().Footprint()) / (1 << 20);
  state.counters["kept_steps"] = double(copy.History().UndoCount());
  state.counters["peak_rss_MiB"] = double(usage.ru_maxrss) / 1024;
}
BENCHMARK(BM_HistoryOfLongTexts)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
