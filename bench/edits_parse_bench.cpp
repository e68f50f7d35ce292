#include <benchmark/benchmark.h>

#include <string>

#include "cli/edits.h"
#include "core/working_copy.h"
#include "tests/core/test_labels.h"

namespace {

// An edits file of Arg(0) MiB that is one object of keys: every key names a check-list line, so
// the whole text is parsed and checked. Time must grow with the size, not its square.
void BM_ParseEditsOfManyKeys(benchmark::State& state) {
  const korvath::testing::TempLabelDir labels;
  const korvath::WorkingCopy copy(labels.Path());
  const std::size_t size = std::size_t(state.range(0)) << 20;
  std::string text = R"({"checklist": {)";
  for (int line = 1; text.size() < size; line = line % 84 + 1)
    text.append("\"").append(std::to_string(line)).append("\": true, ");
  text.append(R"("1": false}})");
  for (auto _ : state) {
    const korvath::cli::Edits edits = korvath::cli::ParseEdits(text, copy);
    benchmark::DoNotOptimize(edits.CheckList.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_ParseEditsOfManyKeys)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

}  // namespace
