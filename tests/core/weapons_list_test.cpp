#include <gtest/gtest.h>

#include "core/working_copy.h"
#include "tests/core/test_labels.h"

namespace korvath {
namespace {

constexpr GridId kWeapons = GridId::StringGrid7_1;

std::vector<std::string> Row(const WorkingCopy& copy, int row) {
  std::vector<std::string> cells;
  for (int c = 0; c < 5; ++c) cells.push_back(copy.Grid(kWeapons).Cell(row, c));
  return cells;
}

TEST(WeaponsList, SpreadsTheFieldsOfEachUnitLine) {
  struct Case {
    std::string line;
    std::vector<std::string> cells;
  };
  const Case cases[] = {
      {"12 NAME\tTYPE\t100\t80\t2", {"12 NAME", "TYPE", "100", "80", "2"}},
      {"1 A\tB\tC\tD\tE\t", {"1 A", "B", "C", "D", "E"}},
      {"2 A\tB\tC\tD\tE\tF\tG", {"2 A", "B", "C", "D", "E"}},
      {"3 A\t\tC\tD\tE", {"3 A", "", "C", "D", "E"}},
      {"4 A\tB\tC", {"4 A", "B", "C", "C", "C"}},  // the last field repeats
      {"5 A\tB", {"5 A", "B", "B", "B", "B"}},
      {"no tab", {"", "no tab", "no tab", "no tab", "no tab"}},
      {"", {"", "", "", "", ""}},
      {"重装兵器\t戦車\t３\t-4\t+5", {"重装兵器", "戦車", "３", "-4", "+5"}},
  };
  testing::LabelFiles files = testing::LabelFiles::Standard();
  files.unit.clear();
  for (const auto& c : cases) files.unit.push_back(c.line);
  testing::TempLabelDir dir(files);
  WorkingCopy copy(dir.Path());
  int row = 1;
  for (const auto& c : cases) {
    EXPECT_EQ(Row(copy, row), c.cells) << c.line;
    EXPECT_EQ(copy.Labels().unit.Entry(row - 1), c.cells[0]) << c.line;
    ++row;
  }
  EXPECT_EQ(copy.Grid(kWeapons).Cell(0, 2), "最大耐久");

  EXPECT_EQ(copy.WeaponMaxDurability(0), 100);
  EXPECT_EQ(copy.WeaponMaxSupplies(0), 80);
  EXPECT_EQ(copy.WeaponCapacity(0), 2);
  EXPECT_EQ(copy.WeaponMaxDurability(6), -1);  // "no tab"
  EXPECT_EQ(copy.WeaponMaxDurability(8), -1);  // full-width digit
  EXPECT_EQ(copy.WeaponMaxSupplies(8), -4);
  EXPECT_EQ(copy.WeaponCapacity(8), 5);
  EXPECT_EQ(copy.WeaponCapacity(-1), -1);
  EXPECT_EQ(copy.WeaponCapacity(9), -1);
}

TEST(WeaponsList, UnitTablesShowTheCutNames) {
  testing::TempLabelDir dir;
  WorkingCopy copy(dir.Path());
  SaveImage image;
  image.Length = SaveImage::Capacity;
  WriteBits(image, 1676, 0, 9, 7);
  WriteBits(image, 16736, 4, 9, 7);  // first dock
  ASSERT_TRUE(copy.Open(image.Contents(), "w.bin"));
  EXPECT_EQ(copy.Grid(GridId::StringGrid1_2).Cell(1, 2), "7 兵器7");
  EXPECT_EQ(copy.Grid(GridId::StringGrid5_1).Cell(1, 3), "7 兵器7");
  EXPECT_EQ(copy.Grid(kWeapons).Cell(8, 1), "種類");
  EXPECT_EQ(copy.WeaponMaxDurability(7), 107);
  EXPECT_EQ(copy.WeaponMaxSupplies(39), 89);
  EXPECT_EQ(copy.WeaponCapacity(39), 3);
  EXPECT_EQ(copy.WeaponCapacity(40), -1);
}

TEST(WeaponsList, LongListKeepsRowsPastTheVisibleOnesForLookups) {
  testing::LabelFiles files = testing::LabelFiles::Standard();
  files.unit.clear();
  for (int i = 0; i < 300; ++i) {
    files.unit.push_back(std::to_string(i) + " U\tk\t" + std::to_string(i * 2) + "\t1\t0");
  }
  testing::TempLabelDir dir(files);
  WorkingCopy copy(dir.Path());
  EXPECT_EQ(copy.Grid(kWeapons).Cell(300, 0), "299 U");
  EXPECT_EQ(copy.WeaponMaxDurability(299), 598);
  EXPECT_EQ(copy.WeaponMaxDurability(300), -1);
}

}  // namespace
}  // namespace korvath
