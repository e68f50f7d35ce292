#include <gtest/gtest.h>

#include <random>

#include "core/int_conversion.h"
#include "core/working_copy.h"
#include "tests/core/test_image.h"

namespace korvath {
namespace {

using testing::GetBits;
using testing::PutBits;

constexpr GridId kDocks = GridId::StringGrid5_1;
constexpr GridId kAreas = GridId::StringGrid5_2;

int64_t DockBit(int k) { return 16736 * 8 + 4 + 112 * int64_t(k); }
int64_t AreaBit(int k) { return 17002 * 8 + 4 + 23 * int64_t(k); }

class AreaTablesTest : public testing::OpenedImageTest {
 protected:
  const CellGrid& Docks() const { return copy_.Grid(kDocks); }
  const CellGrid& Areas() const { return copy_.Grid(kAreas); }
  std::vector<std::string> AreaRow(int row) const {
    std::vector<std::string> cells;
    for (int c = 1; c <= 12; ++c) cells.push_back(Areas().Cell(row, c));
    return cells;
  }
};

TEST_F(AreaTablesTest, SetUpCutsAreaNamesAndPlacesTheSpecialAreas) {
  EXPECT_EQ(Areas().Cell(1, 0), "0 エリア0");
  EXPECT_EQ(Areas().Cell(78, 0), "77 エリア77");
  EXPECT_EQ(Areas().Cell(5, 12), "4");
  EXPECT_EQ(copy_.Labels().area.Entry(3), "3 エリア3");
  const std::pair<int, const char*> names[] = {
      {1, "4 エリア4"}, {9, "5 エリア5"}, {17, "8 エリア8"}, {145, "77 エリア77"}};
  for (const auto& [row, name] : names) EXPECT_EQ(Docks().Cell(row, 0), name);
  EXPECT_EQ(Docks().Cell(2, 0), "");
  EXPECT_EQ(Docks().Cell(1, 1), "1");
  EXPECT_EQ(Docks().Cell(152, 1), "8");
}

TEST(AreaList, LineWithoutATabGivesAnEmptyNameAndTheWholeLineAsBases) {
  testing::LabelFiles files = testing::LabelFiles::Standard();
  files.area[4] = "Harbour";
  files.area[5] = "5 Fort\t3";
  testing::TempLabelDir dir(files);
  WorkingCopy copy(dir.Path());
  EXPECT_EQ(copy.Grid(kAreas).Cell(5, 0), "");
  EXPECT_EQ(copy.Grid(kAreas).Cell(5, 12), "Harbour");
  EXPECT_EQ(copy.Grid(kDocks).Cell(1, 0), "");
  EXPECT_EQ(copy.Grid(kDocks).Cell(9, 0), "5 Fort");
  EXPECT_EQ(copy.Grid(kAreas).Cell(6, 12), "3");
}

TEST_F(AreaTablesTest, DocksLoadAndStoreEightToARecord) {
  ASSERT_EQ(DockBit(18), 16988 * 8 + 4);
  PutBits(image_, DockBit(18) + 63, 9, 39);  // row 152: dock 8 of the last area
  PutBits(image_, DockBit(18) + 107, 5, 31);
  PutBits(image_, DockBit(0) + 9, 9, 511);  // row 2
  PutBits(image_, DockBit(0) + 77, 5, 7);
  Open();
  EXPECT_EQ(Docks().Cell(152, 2), "39");
  EXPECT_EQ(Docks().Cell(152, 3), "39 兵器39");
  EXPECT_EQ(Docks().Cell(152, 4), "31");
  EXPECT_EQ(Docks().Cell(2, 2), "511");
  EXPECT_EQ(Docks().Cell(2, 3), "");
  EXPECT_EQ(Docks().Cell(2, 4), "7");
  EXPECT_EQ(Docks().Cell(1, 2), "0");

  copy_.SetCell(kDocks, 10, 2, "12");  // record 1, dock 2
  copy_.SetCell(kDocks, 10, 4, "33");
  copy_.StorePass();
  EXPECT_EQ(GetBits(copy_.Image(), DockBit(1) + 9, 9), 12u);
  EXPECT_EQ(GetBits(copy_.Image(), DockBit(1) + 77, 5), 1u);
  EXPECT_EQ(Docks().Cell(10, 3), "12 兵器12");
  EXPECT_EQ(GetBits(copy_.Image(), DockBit(18) + 63, 9), 39u);
}

TEST_F(AreaTablesTest, DockStoreStopsAtACellThatIsNotAnInteger) {
  Open();
  copy_.SetCell(kDocks, 3, 2, "8");
  copy_.SetCell(kDocks, 3, 4, "3x");
  copy_.SetCell(kDocks, 4, 2, "9");
  try {
    copy_.StorePass();
    FAIL() << "no conversion error";
  } catch (const ConversionError& e) {
    EXPECT_STREQ(e.what(), "'3x' は整数ではありません");
  }
  EXPECT_EQ(GetBits(copy_.Image(), DockBit(0) + 18, 9), 8u);
  EXPECT_EQ(GetBits(copy_.Image(), DockBit(0) + 27, 9), 0u);
}

TEST_F(AreaTablesTest, BattleStateKeepsACodeThatStillShowsItsText) {
  struct Case {
    int code;
    const char* shown;
    const char* typed;
    unsigned stored;
  };
  const Case cases[] = {
      {0, "平常", "平常", 0},   {1, "交戦中", "交戦中", 1},  // unedited: stays 1
      {0, "平常", "交戦中", 3}, {2, "?", "交戦中", 3},      {3, "?", "交戦中", 3},
      {1, "交戦中", "平常", 0}, {2, "?", "?", 2},           {3, "?", "?", 3},
      {1, "交戦中", "?", 1},
  };
  int k = 0;
  for (const auto& c : cases) PutBits(image_, AreaBit(k++) + 1, 2, c.code);
  Open();
  k = 0;
  for (const auto& c : cases) {
    EXPECT_EQ(Areas().Cell(k + 1, 1), c.shown) << k;
    copy_.SetCell(kAreas, k + 1, 1, c.typed);
    ++k;
  }
  copy_.StorePass();
  k = 0;
  for (const auto& c : cases) {
    EXPECT_EQ(GetBits(copy_.Image(), AreaBit(k) + 1, 2), c.stored) << "record " << k;
    ++k;
  }
}

TEST_F(AreaTablesTest, ForceLabelsLoadAndStoreByExactText) {
  const char* labels[4] = {"自", "敵１", "敵２", "中/無"};
  for (int k = 0; k < 4; ++k) {
    PutBits(image_, AreaBit(k) + 3, 2, k);
    PutBits(image_, AreaBit(k) + 5, 2, 3 - k);
    for (int b = 0; b < 8; ++b) PutBits(image_, AreaBit(k) + 7 + 2 * b, 2, (k + b) % 4);
  }
  Open();
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(Areas().Cell(k + 1, 2), labels[k]);
    EXPECT_EQ(Areas().Cell(k + 1, 3), labels[3 - k]);
    for (int b = 0; b < 8; ++b) EXPECT_EQ(Areas().Cell(k + 1, 4 + b), labels[(k + b) % 4]);
  }
  copy_.SetCurrentCell(kAreas, 2, 7);  // base 4 of area 1, now "自"
  copy_.AreaPopupMenu2Click(3);
  copy_.SetCell(kAreas, 4, 5, "中/無 ");  // matches nothing: written as nothing
  copy_.StorePass();
  EXPECT_EQ(GetBits(copy_.Image(), AreaBit(1) + 13, 2), 3u);
  EXPECT_EQ(GetBits(copy_.Image(), AreaBit(3) + 9, 2), 0u);
  EXPECT_EQ(GetBits(copy_.Image(), AreaBit(2) + 3, 2), 2u);
}

TEST_F(AreaTablesTest, OpenAndStoreLeaveBothBlocksUnchanged) {
  std::mt19937 random(7);
  for (int byte = 16730; byte < 17230; ++byte) {
    image_.Bytes[std::size_t(byte)] = std::uint8_t(random());
  }
  Open();
  copy_.StorePass();
  for (int byte = 16730; byte < 17230; ++byte) {
    EXPECT_EQ(copy_.Image().Bytes[std::size_t(byte)], image_.Bytes[std::size_t(byte)]) << byte;
  }
}

TEST_F(AreaTablesTest, NewRulerTakesTheBasesOfAnAreaAtPeace) {
  Open();
  // Area rows r show bases (r - 1) % 9 from the standard area list.
  copy_.ApplyFactionLabel(2, 4, "敵１");  // 3 bases, at peace
  EXPECT_EQ(AreaRow(4), (std::vector<std::string>{"平常", "敵１", "敵１", "敵１", "敵１", "敵１",
                                                  "自", "自", "自", "自", "自", "3"}));

  copy_.SetCell(kAreas, 5, 1, "交戦中");
  copy_.ApplyFactionLabel(2, 5, "敵２");
  EXPECT_EQ(AreaRow(5), (std::vector<std::string>{"交戦中", "敵２", "敵２", "自", "自", "自", "自",
                                                  "自", "自", "自", "自", "4"}));

  copy_.ApplyFactionLabel(9, 6, "敵１");  // a base column: only that cell
  EXPECT_EQ(Areas().Cell(6, 9), "敵１");
  EXPECT_EQ(Areas().Cell(6, 2), "自");
}

TEST_F(AreaTablesTest, NewRulerNeverReachesPastTheEightBases) {
  Open();
  copy_.SetCell(kAreas, 3, 12, "12");
  copy_.SetCell(kAreas, 3, 4, "?");
  copy_.ApplyFactionLabel(2, 3, "敵１");
  for (int c = 2; c <= 11; ++c) EXPECT_EQ(Areas().Cell(3, c), "敵１") << c;
  EXPECT_EQ(Areas().Cell(3, 12), "12");
  EXPECT_EQ(Areas().Cell(3, 13), "");

  copy_.SetCell(kAreas, 4, 12, "-2");
  copy_.ApplyFactionLabel(2, 4, "敵２");
  EXPECT_EQ(Areas().Cell(4, 3), "敵２");
  EXPECT_EQ(Areas().Cell(4, 4), "自");

  // Columns that hold no force value are left alone.
  copy_.ApplyFactionLabel(12, 5, "敵２");
  copy_.ApplyFactionLabel(0, 5, "敵２");
  copy_.ApplyFactionLabel(1, 5, "敵２");
  copy_.ApplyFactionLabel(2, 0, "敵２");
  EXPECT_EQ(AreaRow(5)[11], "4");
  EXPECT_EQ(AreaRow(5)[0], "平常");
  EXPECT_EQ(Areas().Cell(5, 0), "4 エリア4");
  EXPECT_EQ(Areas().Cell(0, 2), "支配勢力");
}

TEST_F(AreaTablesTest, BasesThatAreNotANumberFailAfterTheRulerIsSet) {
  Open();
  copy_.SetCell(kAreas, 7, 12, "three");
  copy_.SetCurrentCell(kAreas, 7, 2);
  try {
    copy_.AreaPopupMenu2Click(2);
    FAIL() << "no conversion error";
  } catch (const ConversionError& e) {
    EXPECT_STREQ(e.what(), "'three' は整数ではありません");
  }
  EXPECT_EQ(Areas().Cell(7, 2), "敵２");
  EXPECT_EQ(Areas().Cell(7, 3), "敵２");
  EXPECT_EQ(Areas().Cell(7, 4), "自");
}

}  // namespace
}  // namespace korvath
