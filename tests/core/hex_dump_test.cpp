#include "core/hex_dump.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvath {
namespace {

SaveImage ImageOf(std::vector<std::uint8_t> bytes, std::string path = "/saves/a.bin") {
  SaveImage image;
  EXPECT_TRUE(image.Commit(bytes, std::move(path)));
  return image;
}

constexpr char kHeading[] = "ADDRESS  +0 +1 +2 +3 +4 +5 +6 +7 +8 +9 +A +B +C +D +E +F";

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return lines;
    start = end + 2;
  }
}

TEST(HexDump, EmptyImageGivesTheHeaderOnly) {
  EXPECT_EQ(BuildDumpText(ImageOf({}, "/x/empty.bin")),
            std::string("FileName = /x/empty.bin\r\nSize = 0 Byte\r\n\r\n") + kHeading);
}

TEST(HexDump, SixteenBytesFillOneLine) {
  std::vector<std::uint8_t> bytes(16);
  for (int i = 0; i < 16; ++i) bytes[std::size_t(i)] = std::uint8_t(i * 17);
  bytes[1] = 0x0A;
  EXPECT_EQ(BuildDumpText(ImageOf(bytes)),
            std::string("FileName = /saves/a.bin\r\nSize = 16 Byte\r\n\r\n") + kHeading +
                "\r\n00000000 00 0A 22 33 44 55 66 77 88 99 AA BB CC DD EE FF");
}

TEST(HexDump, SeventeenthByteStartsASecondLine) {
  std::vector<std::uint8_t> bytes(17, 0xFF);
  bytes[16] = 0x7B;
  const auto lines = SplitCrLf(BuildDumpText(ImageOf(bytes)));
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[1], "Size = 17 Byte");
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[3], kHeading);
  EXPECT_EQ(lines[4].size(), 56u);
  EXPECT_EQ(lines[5], "00000010 7B");
}

TEST(HexDump, FullImageListsEveryByteInColumns) {
  std::vector<std::uint8_t> bytes(SaveImage::Capacity);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = std::uint8_t(i * 7 + i / 256);
  const std::string text = BuildDumpText(ImageOf(bytes));
  EXPECT_NE(text.back(), '\n');
  const auto lines = SplitCrLf(text);
  ASSERT_EQ(lines.size(), 4u + 1148u);
  EXPECT_EQ(lines[1], "Size = 18368 Byte");
  EXPECT_TRUE(lines.back().starts_with("000047B0 ")) << lines.back();
  // Parse every line back: the address, then each byte under its column.
  for (std::size_t row = 0; row < 1148; ++row) {
    const std::string& line = lines[4 + row];
    ASSERT_EQ(line.size(), 56u) << row;
    EXPECT_EQ(std::stoul(line.substr(0, 8), nullptr, 16), row * 16);
    for (std::size_t k = 0; k < 16; ++k) {
      const std::string cell = line.substr(8 + 3 * k, 3);
      EXPECT_EQ(cell[0], ' ');
      EXPECT_EQ(std::stoul(cell.substr(1), nullptr, 16), bytes[row * 16 + k]);
      EXPECT_EQ(cell.find_first_of("abcdef"), std::string::npos);
    }
  }
}

TEST(HexDump, ShowsOnlyTheFileLength) {
  SaveImage image = ImageOf(std::vector<std::uint8_t>(32, 0xEE));
  ASSERT_TRUE(image.Commit(std::vector<std::uint8_t>(3, 0x01), "/saves/short.bin"));
  const auto lines = SplitCrLf(BuildDumpText(image));
  EXPECT_EQ(lines[0], "FileName = /saves/short.bin");
  EXPECT_EQ(lines.back(), "00000000 01 01 01");
}

}  // namespace
}  // namespace korvath
