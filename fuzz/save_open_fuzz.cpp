// Any bytes opened as a save: Open refuses exactly what is larger than the capacity, and a
// load and store settle at once: storing what was stored gives the same bytes again.

#include <cstdint>
#include <memory>
#include <vector>

#include "core/working_copy.h"
#include "fuzz/fuzz_support.h"
#include "tests/core/test_labels.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  static const korvath::testing::TempLabelDir labels;
  static korvath::WorkingCopy copy(labels.Path());
  const std::vector<std::uint8_t> bytes(data, data + size);
  const bool opened = copy.Open(bytes, "fuzz.bin");
  FUZZ_CHECK(opened == (size <= std::size_t(korvath::SaveImage::Capacity)));
  if (!opened) return 0;
  copy.StorePass();
  const auto first = copy.Image().Contents();
  const std::vector<std::uint8_t> once(first.begin(), first.end());
  FUZZ_CHECK(once.size() == size);
  FUZZ_CHECK(copy.Open(once, "fuzz.bin"));
  copy.StorePass();
  const auto second = copy.Image().Contents();
  FUZZ_CHECK(std::vector<std::uint8_t>(second.begin(), second.end()) == once);
  return 0;
}
