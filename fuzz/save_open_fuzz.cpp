// Any bytes opened as a save: Open refuses exactly what is larger than the capacity, a store
// changes no bit outside every field, and a load and store settle at once: storing what was
// stored gives the same bytes again.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "core/save_compare.h"
#include "core/working_copy.h"
#include "fuzz/fuzz_support.h"
#include "tests/core/test_labels.h"

namespace {

// The bits no field covers that differ between the two images, gathered eight bytes at a time.
// Its loop over the whole image is left out of the coverage the fuzzer steers by.
__attribute__((no_sanitize("coverage"))) std::uint64_t StrayBits(
    std::span<const std::uint8_t> before, std::span<const std::uint8_t> after) {
  const auto& covered = korvath::CoveredBits();
  std::uint64_t stray = 0;
  std::size_t k = 0;
  for (; k + 8 <= before.size(); k += 8) {
    std::uint64_t b, a, c;
    std::memcpy(&b, &before[k], 8);
    std::memcpy(&a, &after[k], 8);
    std::memcpy(&c, &covered[k], 8);
    stray |= (b ^ a) & ~c;
  }
  for (; k < before.size(); ++k) stray |= std::uint8_t((before[k] ^ after[k]) & ~covered[k]);
  return stray;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  static const korvath::testing::TempLabelDir labels;
  static korvath::WorkingCopy copy(labels.Path());
  const std::span<const std::uint8_t> bytes(data, size);
  const bool opened = copy.Open(bytes, "fuzz.bin");
  FUZZ_CHECK(opened == (size <= std::size_t(korvath::SaveImage::Capacity)));
  if (!opened) return 0;
  copy.StorePass();
  const auto first = copy.Image().Contents();
  FUZZ_CHECK(first.size() == size);
  FUZZ_CHECK(StrayBits(bytes, first) == 0);
  const std::vector<std::uint8_t> once(first.begin(), first.end());
  FUZZ_CHECK(copy.Open(once, "fuzz.bin"));
  copy.StorePass();
  FUZZ_CHECK(std::ranges::equal(copy.Image().Contents(), once));
  return 0;
}
