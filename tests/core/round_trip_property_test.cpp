#include <gtest/gtest.h>

#include <random>

#include "core/working_copy.h"
#include "tests/core/test_labels.h"

namespace korvath {
namespace {

// What Save is allowed to change in a file opened and saved without edits, worked out with
// nothing but the bit access: a plan in state 0 or 7 loses its turn, and a faction of 10 to 14
// becomes 15 ("無し").
SaveImage Normalised(const SaveImage& original) {
  SaveImage expected = original;
  const std::pair<int32_t, int32_t> planTables[] = {{17295, 6}, {17593, 7}, {17892, 0}};
  for (const auto& [byte, bit] : planTables) {
    for (int n = 0; n < 265; ++n) {
      const int64_t at = int64_t(byte) * 8 + bit + 9 * n;
      const auto state = ReadBits(expected, int32_t(at / 8), int32_t(at % 8), 4);
      if (state == 0 || state == 7)
        WriteBits(expected, int32_t((at + 4) / 8), int32_t((at + 4) % 8), 5, 0);
    }
  }
  for (int32_t block : {1604, 1628, 1652}) {
    const auto faction = ReadBits(expected, block, 0, 4);
    if (faction >= 10 && faction <= 14) WriteBits(expected, block, 0, 4, 15);
  }
  return expected;
}

TEST(RoundTrip, OpenThenStoreChangesOnlyTheNormalisedFields) {
  testing::TempLabelDir dir;
  WorkingCopy copy(dir.Path());
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> length(0, SaveImage::Capacity);
  for (int i = 0; i < 200; ++i) {
    SaveImage original;
    original.Length = i == 0 ? SaveImage::Capacity : length(random);
    for (int32_t b = 0; b < original.Length; ++b) {
      original.Bytes[std::size_t(b)] = std::uint8_t(random());
    }
    ASSERT_TRUE(copy.Open(original.Contents(), "random.bin"));
    copy.StorePass();
    const SaveImage expected = Normalised(original);
    ASSERT_EQ(copy.Image().Length, original.Length);
    const auto saved = copy.Image().Contents();
    const auto wanted = expected.Contents();
    for (std::size_t b = 0; b < wanted.size(); ++b) {
      ASSERT_EQ(saved[b], wanted[b])
          << "image " << i << " (length " << original.Length << ") byte " << b;
    }
  }
}

}  // namespace
}  // namespace korvath
