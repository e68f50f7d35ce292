#include "core/shown_names.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "core/working_copy.h"
#include "tests/core/test_labels.h"

namespace korvath {
namespace {

TEST(ShownNamesTest, ControlsAreNamedByWhatStandsBesideThem) {
  const struct {
    const char* control;
    const char* name;
  } kCases[] = {
      {"Edit1_1", "総資金"},
      {"CheckBox1_1", "諜報部能力 のフラグ"},
      {"CheckBox1_2", "基礎Lv のフラグ"},
      {"CheckBox1_5", "敵勢力１ のフラグ"},
      {"Edit1_8", "基礎Lv のグラフ"},
      {"Edit3_11", "敵性Lv のグラフ"},
      {"CheckBox6_2", "エリア存在 白の塔"},
      {"CheckBox6_25", "特別エリア侵攻可能 白の塔"},
      {"ComboBox2_1", "勢力"},
  };
  for (const auto& c : kCases) {
    const MainFieldEntry* entry = FindMainField(c.control);
    ASSERT_NE(entry, nullptr) << c.control;
    EXPECT_EQ(ShownControlName(*entry), c.name) << c.control;
  }
}

// The user must be able to tell every bound control from the others on its page, and never
// reads a widget's internal name.
TEST(ShownNamesTest, EveryControlHasAVisibleNameOfItsOwnOnItsPage) {
  std::map<int, std::set<std::string>> seen;
  for (const MainFieldEntry& entry : MainFieldMap()) {
    const std::string name = ShownControlName(entry);
    EXPECT_NE(name, entry.Control);
    EXPECT_TRUE(seen[entry.Page].insert(name).second) << name << " twice on page " << entry.Page;
  }
}

TEST(ShownNamesTest, RowsAreNamedByTheNoOrNameTheUserSees) {
  testing::TempLabelDir dir;
  const WorkingCopy copy(dir.Path());
  const auto row = [&](GridId grid, int r) { return ShownRowName(copy.Grid(grid), grid, r); };
  EXPECT_EQ(row(GridId::StringGrid1_2, 3), "No 2");
  EXPECT_EQ(row(GridId::StringGrid4_1, 3), "2 パイロット2");
  // Docks: the area on the record's first row, then the dock's own number.
  EXPECT_EQ(row(GridId::StringGrid5_1, 11), copy.Grid(GridId::StringGrid5_1).Cell(9, 0) + " No 3");
  EXPECT_EQ(ShownColumnName(GridId::StringGrid4_1, 4), "所属 ID");
  EXPECT_EQ(ShownTableName(GridId::StringGrid4_1), "パイロット");
}

// A screen reader user hears what a sighted user reads beside each control, and can tell every
// control of the window from the others.
TEST(ShownNamesTest, UnitEditorControlsHaveDistinctNamesFromWhatStandsBesideThem) {
  std::map<std::string, std::string> byName;
  std::set<std::string> names;
  for (const UnitEditControl& c : unit_edit_layout::kControls) {
    const std::string name = ShownUnitEditName(c);
    byName[std::string(c.Name)] = name;
    if (c.Kind == UnitEditKind::Label || c.Kind == UnitEditKind::Bevel) continue;
    EXPECT_NE(name, c.Name);
    EXPECT_TRUE(names.insert(name).second) << name << " twice";
    if (c.Kind == UnitEditKind::UpDown) {
      EXPECT_TRUE(names.insert(ShownUnitEditName(c, 1)).second);
      EXPECT_TRUE(names.insert(ShownUnitEditName(c, 2)).second);
    }
  }
  EXPECT_EQ(byName["Edit1"], "No");
  EXPECT_EQ(byName["Edit3"], "耐久");
  EXPECT_EQ(byName["Edit5"], "疲労");
  EXPECT_EQ(byName["Button1"], "兵器の名前を検索");
  EXPECT_EQ(byName["Edit2"], "兵器の名前の検索文字");
  EXPECT_EQ(byName["ComboBox3"], "パイロットの名前");
  EXPECT_EQ(byName["Button2"], "耐久をMaxに");
  EXPECT_EQ(byName["Button7"], "移動先を検索");
  EXPECT_EQ(byName["ComboBox6"], "階級");
  EXPECT_EQ(byName["Button8"], "変更");
}

}  // namespace
}  // namespace korvath
