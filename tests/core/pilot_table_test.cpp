#include <gtest/gtest.h>

#include "core/int_conversion.h"
#include "core/working_copy.h"
#include "tests/core/test_image.h"

namespace korvath {
namespace {

using testing::GetBits;
using testing::PutBits;

constexpr GridId kPilots = GridId::StringGrid4_1;

int64_t PilotBit(int n) { return 14801 * 8 + 52 * int64_t(n); }

struct Field {
  int offset, width, column;
};
// The numbers of a pilot record in the order of their columns.
constexpr Field kFields[] = {
    {0, 7, 1},   {12, 1, 3},   {7, 2, 4},   {9, 3, 6},   {17, 4, 8},
    {21, 7, 10}, {42, 10, 11}, {28, 7, 12}, {35, 5, 13}, {13, 4, 14},
};

class PilotTableTest : public testing::OpenedImageTest {
 protected:
  const CellGrid& Pilots() const { return copy_.Grid(kPilots); }
};

TEST_F(PilotTableTest, SetUpListsEveryPilotName) {
  EXPECT_EQ(Pilots().Cell(1, 0), "0 パイロット0");
  EXPECT_EQ(Pilots().Cell(160, 0), "159 パイロット159");
  EXPECT_EQ(Pilots().Cell(161, 0), "");
  EXPECT_EQ(Pilots().Cell(1, 1), "");
}

TEST_F(PilotTableTest, EveryRecordIsLoadedIncludingThoseBelowTheVisibleRows) {
  for (int n : {0, 1, 155, 199}) {
    int value = n % 5 + 1;
    for (const Field& f : kFields) {
      PutBits(image_, PilotBit(n) + f.offset, f.width, value++ % (1 << f.width));
    }
  }
  ASSERT_EQ(PilotBit(199), 16094 * 8 + 4);
  ASSERT_EQ(PilotBit(1) + 42, 14812 * 8 + 6);  // experience of record 1
  Open();
  for (int n : {0, 1, 155, 199}) {
    int value = n % 5 + 1;
    for (const Field& f : kFields) {
      EXPECT_EQ(Pilots().Cell(n + 1, f.column), std::to_string(value++ % (1 << f.width)))
          << "record " << n << " column " << f.column;
    }
  }
  EXPECT_EQ(Pilots().Cell(1, 2), "1 エリア1");
  EXPECT_EQ(Pilots().Cell(1, 5), "");  // affiliation 3 has no label
  EXPECT_EQ(Pilots().Cell(1, 7), "4 行方不明");
  EXPECT_EQ(Pilots().Cell(1, 9), "5 階級5");
  EXPECT_EQ(Pilots().Cell(200, 7), "0 通常");
  EXPECT_EQ(Pilots().Cell(200, 9), "");  // rank 9 is past the class list
}

TEST_F(PilotTableTest, LabelsComeFromTheTypedCodes) {
  struct Case {
    const char* affiliation;
    const char* affiliationLabel;
    unsigned storedAffiliation;
    const char* state;
    const char* stateLabel;
    unsigned storedState;
  };
  const Case cases[] = {
      {"0", "0 自軍", 0, "0", "0 通常", 0},
      {"1", "1 敵１", 1, "1", "1 負傷中", 1},
      {"2", "2 敵２", 2, "4", "4 行方不明", 4},
      {"3", "", 3, "5", "", 5},
      {"5", "", 1, "9", "", 1},
      {"-1", "", 3, "-1", "", 7},
  };
  Open();
  int row = 1;
  for (const auto& c : cases) {
    copy_.SetCell(kPilots, row, 4, c.affiliation);
    copy_.SetCell(kPilots, row, 6, c.state);
    ++row;
  }
  copy_.StorePass();
  row = 1;
  for (const auto& c : cases) {
    EXPECT_EQ(Pilots().Cell(row, 5), c.affiliationLabel) << c.affiliation;
    EXPECT_EQ(Pilots().Cell(row, 7), c.stateLabel) << c.state;
    EXPECT_EQ(GetBits(copy_.Image(), PilotBit(row - 1) + 7, 2), c.storedAffiliation);
    EXPECT_EQ(GetBits(copy_.Image(), PilotBit(row - 1) + 9, 3), c.storedState);
    ++row;
  }
}

TEST_F(PilotTableTest, StoreWritesEveryColumnBackAndKeepsTheTwoSpareBits) {
  for (int64_t byte = 14801; byte < 16101; ++byte) image_.Bytes[std::size_t(byte)] = 0xFF;
  Open();
  for (int row = 1; row <= 200; ++row) {
    for (const Field& f : kFields) copy_.SetCell(kPilots, row, f.column, "0");
  }
  copy_.SetCell(kPilots, 200, 14, "6");  // cannot be typed, but is written back
  copy_.SetCell(kPilots, 180, 1, "12");
  copy_.StorePass();
  for (int n = 0; n < 200; ++n) {
    EXPECT_EQ(GetBits(copy_.Image(), PilotBit(n) + 40, 2), 3u) << n;
    EXPECT_EQ(GetBits(copy_.Image(), PilotBit(n) + 42, 10), 0u) << n;
  }
  EXPECT_EQ(GetBits(copy_.Image(), PilotBit(199) + 13, 4), 6u);
  EXPECT_EQ(GetBits(copy_.Image(), PilotBit(179), 7), 12u);
  EXPECT_EQ(Pilots().Cell(180, 2), "12 エリア12");
  EXPECT_EQ(copy_.Image().Bytes[16101], 0x00);
}

TEST_F(PilotTableTest, EmptyCellFailsTheStoreAfterEarlierColumns) {
  Open();
  copy_.SetCell(kPilots, 170, 10, "77");
  copy_.SetCell(kPilots, 170, 11, "");
  copy_.SetCell(kPilots, 170, 12, "5");
  try {
    copy_.StorePass();
    FAIL() << "no conversion error";
  } catch (const ConversionError& e) {
    EXPECT_STREQ(e.what(), "'' は整数ではありません");
  }
  EXPECT_EQ(GetBits(copy_.Image(), PilotBit(169) + 21, 7), 77u);
  EXPECT_EQ(GetBits(copy_.Image(), PilotBit(169) + 28, 7), 0u);
}

}  // namespace
}  // namespace korvath
