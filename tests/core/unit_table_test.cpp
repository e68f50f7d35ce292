#include <gtest/gtest.h>

#include "core/int_conversion.h"
#include "core/working_copy.h"
#include "tests/core/test_image.h"

namespace korvath {
namespace {

using testing::GetBits;
using testing::PutBits;

// Record n of force f, in absolute bits from the file's first bit.
int64_t UnitBit(int force, int n) {
  constexpr int64_t kStarts[] = {1676 * 8, 6051 * 8, 10426 * 8};
  return kStarts[force] + 175 * int64_t(n);
}

// The interpreted fields: offset, width, the column of the number.
struct Field {
  int offset, width, column;
};
constexpr Field kFields[] = {
    {0, 9, 1},    {155, 10, 3}, {165, 10, 4}, {140, 7, 5},  {147, 7, 6},
    {9, 8, 7},    {17, 7, 9},   {130, 1, 11}, {131, 8, 12}, {27, 7, 14},
    {114, 1, 16}, {115, 5, 17}, {120, 5, 18}, {125, 2, 19},
};
constexpr Field kMoveCode = {24, 3, 13};

class UnitTableTest : public testing::OpenedImageTest {
 protected:
  const CellGrid& Units(int force) const { return copy_.Grid(UnitGridOf(force)); }
  void Set(int force, int row, int column, std::string text) {
    copy_.SetCell(UnitGridOf(force), row, column, std::move(text));
  }
};

TEST_F(UnitTableTest, SetUpNumbersTheSlots) {
  EXPECT_EQ(Units(2).Cell(1, 0), "0");
  EXPECT_EQ(Units(2).Cell(200, 0), "199");
  EXPECT_EQ(Units(2).Cell(1, 1), "");
  EXPECT_EQ(Units(0).Cell(0, 8), "パイロット");
}

TEST_F(UnitTableTest, LoadReadsARecordThatStartsInsideAByte) {
  ASSERT_EQ(UnitBit(0, 1), 1697 * 8 + 7);
  ASSERT_EQ(UnitBit(0, 1) + 155, 1717 * 8 + 2);  // its durability
  int value = 1;
  for (const Field& f : kFields) {
    PutBits(image_, UnitBit(0, 1) + f.offset, f.width, value % (1 << f.width));
    ++value;
  }
  PutBits(image_, UnitBit(0, 1) + kMoveCode.offset, 3, 2);
  Open();
  value = 1;
  for (const Field& f : kFields) {
    EXPECT_EQ(Units(0).Cell(2, f.column), std::to_string(value % (1 << f.width))) << f.column;
    ++value;
  }
  EXPECT_EQ(Units(0).Cell(2, 2), "1 兵器1");
  EXPECT_EQ(Units(0).Cell(2, 8), "6 パイロット6");
  EXPECT_EQ(Units(0).Cell(2, 10), "7 エリア7");
  EXPECT_EQ(Units(0).Cell(2, 15), "10 エリア10");
  EXPECT_EQ(Units(0).Cell(2, 13), "突入");
  EXPECT_EQ(Units(0).Cell(1, 1), "0");  // record 0 is all zero
  EXPECT_EQ(Units(0).Cell(3, 1), "0");
}

TEST_F(UnitTableTest, StoreWritesOnlyTheInterpretedBits) {
  for (int64_t byte = 6051; byte < 10426; ++byte) image_.Bytes[std::size_t(byte)] = 0xFF;
  Open();
  for (int row = 1; row <= 200; ++row) {
    for (const Field& f : kFields) Set(1, row, f.column, "0");
    Set(1, row, kMoveCode.column, "");
  }
  copy_.StorePass();
  const SaveImage& saved = copy_.Image();
  for (int n = 0; n < 200; ++n) {
    std::vector<bool> interpreted(175, false);
    for (const Field& f : kFields) {
      for (int b = 0; b < f.width; ++b) interpreted[std::size_t(f.offset + b)] = true;
    }
    for (int b = 0; b < 3; ++b) interpreted[std::size_t(kMoveCode.offset + b)] = true;
    int kept = 0;
    for (int b = 0; b < 175; ++b) {
      const unsigned bit = GetBits(saved, UnitBit(1, n) + b, 1);
      EXPECT_EQ(bit, interpreted[std::size_t(b)] ? 0u : 1u) << "record " << n << " bit " << b;
      kept += int(bit);
    }
    EXPECT_EQ(kept, 85) << n;
  }
  EXPECT_EQ(saved.Bytes[6050], 0x00);  // the blocks around it are untouched
  EXPECT_EQ(saved.Bytes[10426], 0x00);
}

TEST_F(UnitTableTest, MoveCodesShowTheirLabelsAndUnlabelledOnesAreKept) {
  const char* texts[8] = {"", "移動", "突入", "打上", "？？", "進入", "?", "?"};
  for (int code = 0; code < 8; ++code) PutBits(image_, UnitBit(2, code) + 24, 3, code);
  Open();
  for (int code = 0; code < 8; ++code) EXPECT_EQ(Units(2).Cell(code + 1, 13), texts[code]);
  copy_.StorePass();
  for (int code = 0; code < 8; ++code) {
    EXPECT_EQ(GetBits(copy_.Image(), UnitBit(2, code) + 24, 3), unsigned(code)) << code;
  }

  copy_.SetActivePage(2);
  copy_.SetCurrentCell(UnitGridOf(2), 5, 13);  // code 4
  copy_.UnitPopupMenuClick(0);
  copy_.SetCurrentCell(UnitGridOf(2), 7, 13);  // code 6
  copy_.UnitPopupMenuClick(4);
  Set(2, 8, 13, "？？");
  copy_.StorePass();
  EXPECT_EQ(GetBits(copy_.Image(), UnitBit(2, 4) + 24, 3), 0u);
  EXPECT_EQ(GetBits(copy_.Image(), UnitBit(2, 6) + 24, 3), 5u);
  EXPECT_EQ(GetBits(copy_.Image(), UnitBit(2, 7) + 24, 3), 4u);
}

TEST_F(UnitTableTest, NamesFollowTheIdAsTypedAtTheNextStore) {
  PutBits(image_, UnitBit(0, 0) + 9, 8, 255);  // a pilot past the list's end
  Open();
  EXPECT_EQ(Units(0).Cell(1, 7), "255");
  EXPECT_EQ(Units(0).Cell(1, 8), "");
  Set(0, 1, 1, "3");
  Set(0, 2, 1, "600");
  Set(0, 3, 9, "39");
  Set(0, 3, 14, "-1");
  Set(0, 4, 1, "515");  // stored as 3, which has a name
  EXPECT_EQ(Units(0).Cell(1, 2), "0 兵器0");
  copy_.StorePass();
  EXPECT_EQ(Units(0).Cell(1, 2), "3 兵器3");
  EXPECT_EQ(Units(0).Cell(2, 2), "");  // looked up as 600, stored as 88
  EXPECT_EQ(GetBits(copy_.Image(), UnitBit(0, 1), 9), 88u);
  EXPECT_EQ(Units(0).Cell(4, 2), "");
  EXPECT_EQ(GetBits(copy_.Image(), UnitBit(0, 3), 9), 3u);
  EXPECT_EQ(Units(0).Cell(3, 10), "39 エリア39");
  EXPECT_EQ(Units(0).Cell(3, 15), "");
  EXPECT_EQ(GetBits(copy_.Image(), UnitBit(0, 2) + 27, 7), 127u);
  EXPECT_EQ(GetBits(copy_.Image(), UnitBit(0, 0) + 9, 8), 255u);
}

TEST_F(UnitTableTest, ValuesOutsideTheirFieldAreCutWithoutTouchingNeighbours) {
  Open();
  Set(0, 1, 3, "1030");
  Set(0, 2, 3, "-1");
  copy_.StorePass();
  EXPECT_EQ(GetBits(copy_.Image(), UnitBit(0, 0) + 155, 10), 6u);
  EXPECT_EQ(GetBits(copy_.Image(), UnitBit(0, 1) + 155, 10), 1023u);
  EXPECT_EQ(GetBits(copy_.Image(), UnitBit(0, 1) + 165, 10), 0u);
  EXPECT_EQ(GetBits(copy_.Image(), UnitBit(0, 1) + 154, 1), 0u);
}

TEST_F(UnitTableTest, FailingCellStopsTheStoreWithEarlierFieldsWritten) {
  Open();
  Set(1, 4, 1, "5");
  Set(1, 5, 3, "44");  // durability comes before supplies
  Set(1, 5, 4, "");
  Set(1, 5, 5, "9");
  Set(1, 6, 3, "1");
  try {
    copy_.StorePass();
    FAIL() << "no conversion error";
  } catch (const ConversionError& e) {
    EXPECT_STREQ(e.what(), "'' は整数ではありません");
  }
  EXPECT_EQ(GetBits(copy_.Image(), UnitBit(1, 3), 9), 5u);
  EXPECT_EQ(Units(1).Cell(4, 2), "5 兵器5");
  EXPECT_EQ(GetBits(copy_.Image(), UnitBit(1, 4) + 155, 10), 44u);
  EXPECT_EQ(GetBits(copy_.Image(), UnitBit(1, 4) + 140, 7), 0u);
  EXPECT_EQ(GetBits(copy_.Image(), UnitBit(1, 5) + 155, 10), 0u);
  EXPECT_EQ(Units(1).Cell(5, 4), "");  // the cell keeps what was typed
}

TEST_F(UnitTableTest, ShortFileShowsZerosAndKeepsItsLength) {
  image_.Length = 1700;
  for (int i = 1676; i < 1700; ++i) image_.Bytes[std::size_t(i)] = 0xFF;
  Open();
  EXPECT_EQ(Units(0).Cell(1, 1), "511");
  EXPECT_EQ(Units(0).Cell(3, 1), "0");
  EXPECT_EQ(Units(0).Cell(3, 2), "0 兵器0");
  EXPECT_EQ(Units(2).Cell(200, 2), "0 兵器0");
  Set(0, 3, 1, "7");
  copy_.StorePass();
  EXPECT_EQ(copy_.Image().Length, 1700);
  EXPECT_EQ(copy_.Image().Bytes[1699], 0xFF);  // record 1 reaches past the end
  EXPECT_EQ(copy_.Image().Bytes[1696], 0xFF);
}

}  // namespace
}  // namespace korvath
