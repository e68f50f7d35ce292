#include "core/save_image.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace korvath {
namespace {

SaveImage ImageWith(int32_t length, int32_t at, std::initializer_list<std::uint8_t> bytes) {
  SaveImage image;
  image.Length = length;
  int32_t i = at;
  for (auto b : bytes) image.Bytes[std::size_t(i++)] = b;
  return image;
}

TEST(ReadBits, FollowsTheWorkedExamples) {
  auto image = ImageWith(SaveImage::Capacity, 1604, {0x12, 0x34, 0x56, 0x78, 0x03, 0xF8});
  EXPECT_EQ(ReadBits(image, 1604, 9, 5), 13u);
  EXPECT_EQ(ReadBits(image, 1608, 6, 7), 127u);
  auto money = ImageWith(SaveImage::Capacity, 1622, {0x98, 0x96, 0x7F, 0xAB});
  EXPECT_EQ(ReadBits(money, 1622, 0, 24), 9999999u);
}

TEST(ReadBits, OffsetsAboveSevenReachTheFollowingBytes) {
  auto image = ImageWith(SaveImage::Capacity, 1604, {0xA5, 0x3C, 0x96, 0x0F});
  EXPECT_EQ(ReadBits(image, 1604, 9, 5), ReadBits(image, 1605, 1, 5));
  EXPECT_EQ(ReadBits(image, 1604, 14, 5), ReadBits(image, 1605, 6, 5));
  EXPECT_EQ(ReadBits(image, 1604, 19, 5), ReadBits(image, 1606, 3, 5));
}

TEST(WriteBits, ChangesOnlyTheFieldsOwnBits) {
  struct Case {
    int32_t byte, bit, width, value;
    std::initializer_list<std::uint8_t> before, after;
  };
  const Case cases[] = {
      {1604, 9, 5, 31, {0x12, 0x34, 0x56, 0x78}, {0x12, 0x7C, 0x56, 0x78}},
      {1604, 9, 5, 0, {0x12, 0x34, 0x56, 0x78}, {0x12, 0x00, 0x56, 0x78}},
      {1622, 0, 24, 16777221, {0x98, 0x96, 0x7F, 0xAB}, {0x00, 0x00, 0x05, 0xAB}},
      {1607, 7, 7, 200, {0, 0, 0, 0}, {0x01, 0x20, 0x00, 0x00}},
      {1613, 0, 7, -1, {0, 0, 0, 0}, {0xFE, 0, 0, 0}},
      {1530, 1, 1, 1, {0, 0, 0, 0}, {0x40, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    auto image = ImageWith(SaveImage::Capacity, c.byte, c.before);
    WriteBits(image, c.byte, c.bit, c.width, c.value);
    int32_t i = c.byte;
    for (auto expected : c.after) EXPECT_EQ(image.Bytes[std::size_t(i++)], expected) << c.byte;
  }
}

TEST(WriteBits, ValueReadsBackModuloItsWidth) {
  SaveImage image;
  image.Length = SaveImage::Capacity;
  WriteBits(image, 1607, 7, 7, 200);
  EXPECT_EQ(ReadBits(image, 1607, 7, 7), 72u);
  EXPECT_EQ(ReadBits(image, 1607, 0, 7), 0u);
}

TEST(LengthRule, BytesBeyondTheFileReadAsZeroAndAreNeverWritten) {
  auto image = ImageWith(18, 16, {0xFF, 0xFF, 0xAA, 0xBB});
  EXPECT_EQ(ReadBits(image, 16, 4, 12), 4095u);
  auto blank = ImageWith(18, 16, {0, 0, 0x11, 0x22});
  WriteBits(blank, 16, 4, 12, 4095);
  EXPECT_EQ(blank.Bytes[16], 0x0F);
  EXPECT_EQ(blank.Bytes[17], 0xFF);
  EXPECT_EQ(blank.Bytes[18], 0x11);
  EXPECT_EQ(blank.Bytes[19], 0x22);
}

TEST(LengthRule, FieldsAtTheBufferEndNeverLeaveTheBuffer) {
  SaveImage image;
  image.Length = SaveImage::Capacity;
  image.Bytes[SaveImage::Capacity - 1] = 0x80;
  EXPECT_EQ(ReadBits(image, SaveImage::Capacity - 1, 0, 24), 0x800000u);
  WriteBits(image, SaveImage::Capacity - 1, 0, 24, 0xFFFFFF);
  EXPECT_EQ(image.Bytes[SaveImage::Capacity - 1], 0xFF);
  EXPECT_EQ(ReadBits(image, SaveImage::Capacity + 100, 0, 8), 0u);
  WriteBits(image, SaveImage::Capacity + 100, 0, 8, 1);
}

TEST(Advance, CarriesIntoTheNextByte) {
  BitCursor c(1604, 6, 0);
  Advance(c, 0);
  EXPECT_EQ(c.ByteOffset, 1604);
  EXPECT_EQ(c.BitOffset, 6);
  Advance(c, 9);
  EXPECT_EQ(c.ByteOffset, 1605);
  EXPECT_EQ(c.BitOffset, 7);
  Advance(c, 9);
  EXPECT_EQ(c.ByteOffset, 1607);
  EXPECT_EQ(c.BitOffset, 0);
  Clear(c);
  EXPECT_EQ(c.ByteOffset + c.BitOffset + c.BitWidth, 0);
}

TEST(Advance, StepsThroughRecordsNotAlignedToBytes) {
  struct Case {
    int32_t byte, bit, stride, records, wantByte, wantBit;
  };
  const Case cases[] = {
      {1676, 0, 175, 1, 1697, 7},    {1676, 0, 175, 199, 6029, 1}, {1676, 0, 175, 200, 6051, 0},
      {14801, 0, 52, 199, 16094, 4}, {17002, 4, 23, 77, 17223, 7}, {17295, 6, 9, 265, 17593, 7},
  };
  for (const auto& c : cases) {
    BitCursor cursor(c.byte, c.bit, c.stride);
    for (int r = 0; r < c.records; ++r) Advance(cursor, c.stride);
    EXPECT_EQ(cursor.ByteOffset, c.wantByte) << c.byte << "+" << c.records;
    EXPECT_EQ(cursor.BitOffset, c.wantBit) << c.byte << "+" << c.records;
  }
}

TEST(FieldAt, MovesACopyAndNarrowsIt) {
  const BitCursor record(1697, 7, 175);
  const BitCursor durability = FieldAt(record, 155, 10);
  EXPECT_EQ(durability.ByteOffset, 1717);
  EXPECT_EQ(durability.BitOffset, 2);
  EXPECT_EQ(durability.BitWidth, 10);
  EXPECT_EQ(record.ByteOffset, 1697);
  EXPECT_EQ(record.BitWidth, 175);
}

// Every field shape against a bit-by-bit model of the stream: the value lands in its bits, most
// significant first, and nothing else in the window moves.
TEST(WriteBits, MatchesTheBitStreamModelForEveryShape) {
  const auto bitAt = [](const SaveImage& image, int p) {
    return (image.Bytes[std::size_t(p / 8)] >> (7 - p % 8)) & 1;
  };
  const std::uint8_t background[] = {0xA5, 0x3C, 0xF0, 0x96, 0x5A};
  for (int32_t bit = 0; bit < 32; ++bit) {
    for (int32_t width = 1; bit + width <= 32; ++width) {
      SaveImage image;
      image.Length = SaveImage::Capacity;
      for (int k = 0; k < 5; ++k) image.Bytes[std::size_t(100 + k)] = background[k];
      const SaveImage before = image;
      const int32_t value = int32_t(0x9E3779B9u >> (bit % 7));
      WriteBits(image, 100, bit, width, value);
      const int first = 800 + bit;
      for (int p = 800; p < 840; ++p) {
        const bool inField = p >= first && p < first + width;
        const int want = inField ? int((std::uint32_t(value) >> (width - 1 - (p - first))) & 1)
                                 : bitAt(before, p);
        ASSERT_EQ(bitAt(image, p), want) << "bit " << bit << " width " << width << " at " << p;
      }
      const std::uint32_t mask = width == 32 ? 0xFFFFFFFFu : (1u << width) - 1u;
      EXPECT_EQ(ReadBits(image, 100, bit, width), std::uint32_t(value) & mask);
    }
  }
}

TEST(SaveImage, CommitRefusesAFileLargerThanTheBuffer) {
  SaveImage image;
  std::vector<std::uint8_t> big(SaveImage::Capacity + 1, 1);
  EXPECT_FALSE(image.Commit(big, "big.bin"));
  EXPECT_FALSE(image.Loaded);
  EXPECT_EQ(image.Length, 0);
  big.pop_back();
  EXPECT_TRUE(image.Commit(big, "full.bin"));
  EXPECT_EQ(image.Length, SaveImage::Capacity);
  EXPECT_EQ(image.Path, "full.bin");
  EXPECT_TRUE(image.Loaded);
}

}  // namespace
}  // namespace korvath
