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
// range(0) above 0 the replaced bytes kept. The store holds only this save's 50 backups (1), or is
// full: 64 MiB over 73 other saves, which pruning must not list on every save. Then each save
// either drops its own oldest backup (2) or, saving 16 files in turn, each with few backups, one
// of another save's (3). The difference to range(0) 0 is what keeping a backup costs.
void BM_SaveKeepingABackup(benchmark::State& state) {
  const korvath::testing::TempDir dir;
  const fs::path store = dir.Path() / "store";
  const int files = state.range(0) == 3 ? 16 : 1;
  std::vector<fs::path> saves;
  std::vector<std::uint8_t> bytes[2] = {std::vector<std::uint8_t>(korvath::SaveImage::Capacity, 1),
                                        std::vector<std::uint8_t>(korvath::SaveImage::Capacity, 2)};
  for (int f = 0; f < files; ++f) {
    saves.push_back(dir.Path() / ("slot" + std::to_string(f) + ".bin"));
    korvath::WriteSaveFile(saves.back(), bytes[0]);
  }
  // Written directly: keeping them one by one would prune the store thousands of times.
  const int folders = state.range(0) >= 2 ? 73 : 1;
  const std::vector<char> old(korvath::SaveImage::Capacity, 3);
  for (int s = 0; s < folders; ++s) {
    const fs::path folder =
        store /
        korvath::BackupFolderName(
            (state.range(0) == 1 ? saves[0] : dir.Path() / ("o" + std::to_string(s))).string());
    fs::create_directories(folder);
    for (int i = 0; i < 50; ++i) {
      std::ofstream(folder / korvath::BackupFileName(1'000'000 + s * 100 + i), std::ios::binary)
          .write(old.data(), std::streamsize(old.size()));
    }
  }
  std::vector<int> next(saves.size(), 1);
  std::size_t file = 0;
  for (auto _ : state) {
    const auto result = korvath::WriteSave(saves[file], {bytes[next[file]], bytes[1 - next[file]],
                                                         state.range(0) != 0 ? store : fs::path()});
    if (!result.Written || result.BackupFailure) state.SkipWithError("save failed");
    next[file] = 1 - next[file];
    file = (file + 1) % saves.size();
  }
}
BENCHMARK(BM_SaveKeepingABackup)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace
