// Load and store of one save, timed without a benchmark library so that the same program runs
// natively and as WebAssembly under node (bench/wasm-vs-native compares the two).
//
//   korvath_load_store_timing LABEL_DIR SAVE [ITERATIONS]
//
// Prints the best of five rounds in microseconds per Open (which runs the load pass) and store
// pass, the label files and the save having been read once before timing starts.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "core/file_io.h"
#include "core/label_folders.h"
#include "core/save_image.h"
#include "core/working_copy.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s LABEL_DIR SAVE [ITERATIONS]\n", argv[0]);
    return 2;
  }
  try {
    korvath::WorkingCopy copy(korvath::ReadLabelFiles(argv[1]));
    const auto save = korvath::ReadWholeFile(argv[2], korvath::SaveImage::Capacity);
    if (!save) throw std::runtime_error(std::string("cannot read ") + argv[2]);
    const int iterations = argc > 3 ? std::max(1, std::atoi(argv[3])) : 300;
    double best = 1e300;
    for (int round = 0; round < 5; ++round) {
      const auto start = std::chrono::steady_clock::now();
      for (int i = 0; i < iterations; ++i) {
        copy.Open(*save, argv[2]);
        copy.StorePass();
      }
      const std::chrono::duration<double, std::micro> spent =
          std::chrono::steady_clock::now() - start;
      best = std::min(best, spent.count() / iterations);
    }
    std::printf("%.1f\n", best);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
