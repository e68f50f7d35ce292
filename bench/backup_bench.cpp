#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "core/save_guard.h"
#include "core/save_image.h"
#include "tests/core/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// A whole save written in place of the last, as the editor saves: compared first, and with
// range(0) 1 or 2 the replaced bytes kept, in a store holding only this save's 50 backups (1) or
// a full store of 64 MiB over 73 saves, which every save's pruning walks (2). The difference to
// range(0) 0 is what keeping a backup costs.
void BM_SaveKeepingABackup(benchmark::State& state) {
  const korvath::testing::TempDir dir;
  const fs::path save = dir.Path() / "slot1.bin";
  const fs::path store = dir.Path() / "store";
  std::vector<std::uint8_t> bytes[2] = {std::vector<std::uint8_t>(korvath::SaveImage::Capacity, 1),
                                        std::vector<std::uint8_t>(korvath::SaveImage::Capacity, 2)};
  korvath::WriteSaveFile(save, bytes[0]);
  // Written directly: keeping them one by one would prune the store thousands of times.
  const int saves = state.range(0) == 2 ? 73 : 1;
  const std::vector<char> old(korvath::SaveImage::Capacity, 3);
  for (int s = 0; s < saves; ++s) {
    const fs::path folder =
        store / korvath::BackupFolderName(
                    s == 0 ? save.string() : (dir.Path() / ("o" + std::to_string(s))).string());
    fs::create_directories(folder);
    for (int i = 0; i < 50; ++i) {
      std::ofstream(folder / korvath::BackupFileName(1'000'000 + s * 100 + i), std::ios::binary)
          .write(old.data(), std::streamsize(old.size()));
    }
  }
  int next = 1;
  for (auto _ : state) {
    const auto result = korvath::WriteSave(
        save, {bytes[next], bytes[1 - next], state.range(0) != 0 ? store : fs::path()});
    if (!result.Written || result.BackupFailure) state.SkipWithError("save failed");
    next = 1 - next;
  }
}
BENCHMARK(BM_SaveKeepingABackup)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
