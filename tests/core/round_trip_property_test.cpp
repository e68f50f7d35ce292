#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/working_copy.h"
#include "tests/core/test_labels.h"

namespace korvath {
namespace {

// Bit access of its own, so that the expectation does not lean on the code under test: bit k of
// the file is bit k % 8 of byte k / 8 counted from the most significant end, a field's value is
// its bits in that order, and bits past the end of the file read as 0 and are never written.
class Bits {
 public:
  explicit Bits(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

  std::uint32_t Get(std::int64_t at, int width) const {
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i) value = (value << 1) | std::uint32_t(Bit(at + i));
    return value;
  }
  void Put(std::int64_t at, int width, std::uint32_t value) {
    for (int i = 0; i < width; ++i) {
      const std::int64_t k = at + i;
      if (k / 8 >= std::int64_t(bytes_.size())) return;
      const unsigned mask = 0x80u >> (k % 8);
      auto& byte = bytes_[std::size_t(k / 8)];
      const bool one = (value >> (width - 1 - i)) & 1u;
      byte = std::uint8_t(one ? byte | mask : byte & ~mask);
    }
  }
  int Bit(std::int64_t k) const {
    if (k / 8 >= std::int64_t(bytes_.size())) return 0;
    return (bytes_[std::size_t(k / 8)] >> (7 - k % 8)) & 1;
  }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

// The documented normalisations of a save opened and saved without edits: a plan in state 0 or 7
// loses its turn, and a faction of 10 to 14 becomes 15 ("無し"). Marks every bit they may change.
Bits Normalised(const Bits& original, std::vector<bool>& explained) {
  Bits expected = original;
  auto mark = [&](std::int64_t at, int width) {
    for (int i = 0; i < width; ++i) {
      if ((at + i) / 8 < std::int64_t(explained.size() / 8)) explained[std::size_t(at + i)] = true;
    }
  };
  // Three forces' tables of 265 plans of 9 bits: a 4-bit state, then a 5-bit turn.
  for (const auto& [byte, bit] : {std::pair{17295, 6}, std::pair{17593, 7}, std::pair{17892, 0}}) {
    for (int n = 0; n < 265; ++n) {
      const std::int64_t at = std::int64_t(byte) * 8 + bit + 9 * n;
      const std::uint32_t state = original.Get(at, 4);
      if (state == 0 || state == 7) {
        expected.Put(at + 4, 5, 0);
        mark(at + 4, 5);
      }
    }
  }
  for (const int byte : {1604, 1628, 1652}) {
    const std::uint32_t faction = original.Get(std::int64_t(byte) * 8, 4);
    if (faction >= 10 && faction <= 14) {
      expected.Put(std::int64_t(byte) * 8, 4, 15);
      mark(std::int64_t(byte) * 8, 4);
    }
  }
  return expected;
}

// Random contents and lengths, a thousand of them, with the lengths that cut the normalised
// regions and the full capacity among them.
std::vector<std::uint8_t> RandomSave(std::mt19937& random, int i) {
  static const int kLengths[] = {SaveImage::Capacity, 0, 1, 1605, 1653, 17296, 17600, 17900};
  std::uniform_int_distribution<int> anyLength(0, SaveImage::Capacity);
  const int length = i < int(std::size(kLengths)) ? kLengths[i] : anyLength(random);
  std::vector<std::uint8_t> bytes(std::size_t(length), 0);
  for (auto& b : bytes) b = std::uint8_t(random());
  return bytes;
}

TEST(RoundTrip, OpenThenStoreChangesOnlyBitsTheNormalisationsExplain) {
  testing::TempLabelDir dir;
  WorkingCopy copy(dir.Path());
  std::mt19937 random(20240611);
  for (int i = 0; i < 1000; ++i) {
    const Bits original(RandomSave(random, i));
    ASSERT_TRUE(copy.Open(original.Bytes(), "random.bin"));
    copy.StorePass();
    const auto contents = copy.Image().Contents();
    const Bits saved(std::vector<std::uint8_t>(contents.begin(), contents.end()));
    ASSERT_EQ(saved.Bytes().size(), original.Bytes().size()) << "save " << i;
    std::vector<bool> explained(original.Bytes().size() * 8, false);
    const Bits expected = Normalised(original, explained);
    for (std::int64_t k = 0; k < std::int64_t(explained.size()); ++k) {
      if (k % 8 == 0 && saved.Bytes()[std::size_t(k / 8)] == original.Bytes()[std::size_t(k / 8)]) {
        k += 7;
        continue;
      }
      if (saved.Bit(k) == original.Bit(k)) continue;
      ASSERT_TRUE(explained[std::size_t(k)])
          << "save " << i << ": byte " << k / 8 << " bit " << k % 8 << " changed unexplained";
    }
    // Where a normalisation applies, its value is the one stored.
    ASSERT_EQ(saved.Bytes(), expected.Bytes()) << "save " << i;
  }
}

}  // namespace
}  // namespace korvath
