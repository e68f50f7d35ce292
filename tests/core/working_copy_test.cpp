#include "core/working_copy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "core/int_conversion.h"
#include "tests/core/test_image.h"

namespace korvath {
namespace {

using testing::BlankImage;
using testing::LabelFiles;
using testing::TempLabelDir;

// The six files as they stand in dir, as the browser would hand them over.
LabelFileBytes BytesOf(const TempLabelDir& dir) {
  LabelFileBytes files;
  for (std::size_t i = 0; i < files.size(); ++i)
    files[i] = testing::ReadFile(dir.Path() / kLabelFileNames[i]);
  return files;
}

// From the folder and, when all six files are there, from their bytes: the same failure, which
// says which file and why.
void ExpectStartupError(const TempLabelDir& dir, const std::string& why) {
  const bool allThere = std::all_of(kLabelFileNames.begin(), kLabelFileNames.end(),
                                    [&](const char* name) { return exists(dir.Path() / name); });
  for (const bool fromBytes : {false, true}) {
    if (fromBytes && !allThere) continue;
    try {
      const auto copy = fromBytes ? std::make_unique<WorkingCopy>(BytesOf(dir))
                                  : std::make_unique<WorkingCopy>(dir.Path());
      ADD_FAILURE() << "start-up did not fail, from bytes: " << fromBytes;
    } catch (const StartupError& e) {
      EXPECT_EQ(e.what(), "ファイル読込エラー\n" + why);
    }
  }
}

class WorkingCopyTest : public ::testing::Test {
 protected:
  void Open(const SaveImage& image) { ASSERT_TRUE(copy_.Open(image.Contents(), "test.bin")); }
  // Stores, then returns the image as it would be saved.
  SaveImage Stored() {
    copy_.StorePass();
    return copy_.Image();
  }

  TempLabelDir dir_;
  WorkingCopy copy_{dir_.Path()};
};

TEST(StartUp, FailsOnAMissingOrTooShortList) {
  {
    TempLabelDir dir;
    dir.Remove("class.txt");
    ExpectStartupError(dir, "class.txt: ありません");
  }
  {
    LabelFiles files = LabelFiles::Standard();
    files.area.resize(77);
    ExpectStartupError(TempLabelDir(files), "area.txt: 78 行必要ですが 77 行です");
  }
  {
    LabelFiles files = LabelFiles::Standard();
    files.special.resize(210);
    ExpectStartupError(TempLabelDir(files), "special.txt: 211 行必要ですが 210 行です");
  }
  {
    TempLabelDir dir;
    dir.WriteRaw("pilot.txt", std::string(kMaxLabelFileSize + 1, 'a'));
    ExpectStartupError(dir, "pilot.txt: 4 MiB を超えています");
  }
}

// Opening, editing and storing give the same cells, controls and bytes however the labels came.
TEST(StartUp, LabelsFromBytesWorkAsFromTheFolder) {
  const TempLabelDir dir;
  WorkingCopy fromFolder(dir.Path());
  WorkingCopy fromBytes(BytesOf(dir));
  EXPECT_TRUE(fromBytes.LabelDir().empty());
  std::vector<std::uint8_t> bytes(SaveImage::Capacity);
  std::mt19937 rng(2);
  for (auto& b : bytes) b = std::uint8_t(rng());
  for (WorkingCopy* copy : {&fromFolder, &fromBytes}) {
    ASSERT_TRUE(copy->Open(bytes, "random.bin"));
    copy->SetCell(GridId::StringGrid4_1, 1, 1, "7");
    copy->StorePass();
  }
  for (GridId id : kAllGrids) {
    const CellGrid& a = fromFolder.Grid(id);
    const CellGrid& b = fromBytes.Grid(id);
    ASSERT_EQ(a.RowCount(), b.RowCount());
    for (int r = 0; r < a.RowCount(); ++r) {
      for (int c = 0; c < a.ColumnCount(); ++c) ASSERT_EQ(a.Cell(r, c), b.Cell(r, c));
    }
  }
  for (const MainFieldEntry& entry : MainFieldMap()) {
    if (entry.Kind == ControlKind::StringGrid || entry.Kind == ControlKind::CheckList) continue;
    EXPECT_EQ(fromFolder.Control(entry.Control).Text, fromBytes.Control(entry.Control).Text);
  }
  EXPECT_EQ(fromFolder.CheckList().size(), fromBytes.CheckList().size());
  const auto a = fromFolder.Image().Contents();
  const auto b = fromBytes.Image().Contents();
  EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin(), b.end()));
}

TEST(StartUp, AcceptsTheShortestLists) {
  LabelFiles files = LabelFiles::Standard();
  files.plan.clear();
  files.unit.clear();
  files.pilot.clear();
  files.klass.clear();
  files.special.resize(211);
  TempLabelDir dir(files);
  WorkingCopy copy(dir.Path());
  EXPECT_EQ(copy.CheckList().size(), 211u);
  EXPECT_TRUE(copy.CheckList()[210].Header);
  EXPECT_EQ(copy.Grid(GridId::StringGrid7_1).Cell(1, 0), "");
}

TEST_F(WorkingCopyTest, SetsUpEveryTableWithHeadingsAndItsStartingCell) {
  for (GridId id : kAllGrids) {
    const GridLayout& layout = LayoutOf(id);
    const CellGrid& grid = copy_.Grid(id);
    EXPECT_EQ(grid.ColumnCount(), int(layout.Columns.size())) << layout.Name;
    EXPECT_GE(grid.RowCount(), layout.StoredRows) << layout.Name;
    EXPECT_EQ(grid.Cell(0, 0), layout.Columns[0].Heading) << layout.Name;
    EXPECT_EQ(grid.CurrentRow(), layout.InitialRow) << layout.Name;
    EXPECT_EQ(grid.CurrentColumn(), layout.InitialColumn) << layout.Name;
  }
  EXPECT_EQ(copy_.Grid(GridId::StringGrid1_1).CurrentColumn(), 2);
  EXPECT_EQ(copy_.Grid(GridId::StringGrid1_2).CurrentColumn(), 1);
  EXPECT_EQ(copy_.Grid(GridId::StringGrid5_1).CurrentColumn(), 2);
  EXPECT_EQ(copy_.Grid(GridId::StringGrid1_2).Cell(0, 19), "スタック");
  EXPECT_EQ(copy_.Grid(GridId::StringGrid5_2).Cell(0, 11), "拠点8");
  EXPECT_EQ(copy_.Grid(GridId::StringGrid4_1).Cell(0, 13), "負傷復帰ターン");
}

TEST(GridLayouts, GiveRowsColumnsAndCellRules) {
  struct Case {
    GridId id;
    int visible, stored, fixed, columns;
  };
  const Case cases[] = {
      {GridId::StringGrid2_1, 266, 266, 0, 3},  {GridId::StringGrid3_2, 201, 201, 1, 20},
      {GridId::StringGrid4_1, 156, 201, 0, 15}, {GridId::StringGrid5_1, 153, 153, 2, 5},
      {GridId::StringGrid5_2, 79, 79, 1, 13},   {GridId::StringGrid7_1, 295, 295, 0, 5},
  };
  for (const auto& c : cases) {
    const GridLayout& layout = LayoutOf(c.id);
    EXPECT_EQ(layout.VisibleRows, c.visible) << layout.Name;
    EXPECT_EQ(layout.StoredRows, c.stored) << layout.Name;
    EXPECT_EQ(layout.FixedColumns, c.fixed) << layout.Name;
    EXPECT_EQ(int(layout.Columns.size()), c.columns) << layout.Name;
    EXPECT_EQ(GridByName(layout.Name), c.id);
  }
  EXPECT_FALSE(GridByName("StringGrid6_1"));

  auto editable = [](GridId id) {
    std::string cols;
    for (int c = 0; c < int(LayoutOf(id).Columns.size()); ++c) {
      if (IsCellEditable(id, 1, c)) cols += std::to_string(c) + " ";
    }
    return cols;
  };
  EXPECT_EQ(editable(GridId::StringGrid1_1), "2 ");
  EXPECT_EQ(editable(GridId::StringGrid2_2), "1 3 4 5 6 7 9 11 12 14 16 17 18 19 ");
  EXPECT_EQ(editable(GridId::StringGrid4_1), "1 3 4 6 8 10 11 12 13 ");
  EXPECT_EQ(editable(GridId::StringGrid5_1), "2 4 ");
  EXPECT_EQ(editable(GridId::StringGrid5_2), "");
  EXPECT_EQ(editable(GridId::StringGrid7_1), "");
  EXPECT_FALSE(IsCellEditable(GridId::StringGrid1_1, 0, 2));

  EXPECT_FALSE(IsCellSelectable(GridId::StringGrid5_2, 3, 0));
  EXPECT_TRUE(IsCellSelectable(GridId::StringGrid5_2, 3, 11));
  EXPECT_FALSE(IsCellSelectable(GridId::StringGrid5_2, 3, 12));
  EXPECT_TRUE(IsCellSelectable(GridId::StringGrid5_1, 3, 0));

  EXPECT_EQ(PopupAt(GridId::StringGrid2_1, 4, 1), PopupKind::Plan);
  EXPECT_EQ(PopupAt(GridId::StringGrid2_1, 0, 1), PopupKind::None);
  EXPECT_EQ(PopupAt(GridId::StringGrid2_1, 4, 2), PopupKind::None);
  EXPECT_EQ(PopupAt(GridId::StringGrid3_2, 4, 13), PopupKind::Unit);
  EXPECT_EQ(PopupAt(GridId::StringGrid3_2, 4, 12), PopupKind::None);
  EXPECT_EQ(PopupAt(GridId::StringGrid5_2, 4, 1), PopupKind::AreaBattle);
  EXPECT_EQ(PopupAt(GridId::StringGrid5_2, 4, 2), PopupKind::AreaFaction);
  EXPECT_EQ(PopupAt(GridId::StringGrid5_2, 4, 11), PopupKind::AreaFaction);
  EXPECT_EQ(PopupAt(GridId::StringGrid5_2, 4, 12), PopupKind::None);
  EXPECT_EQ(PopupAt(GridId::StringGrid5_1, 4, 2), PopupKind::None);
  EXPECT_EQ(ForceOfGrid(GridId::StringGrid3_1), 2);
  EXPECT_EQ(ForceOfGrid(GridId::StringGrid2_2), 1);
  EXPECT_EQ(ForceOfGrid(GridId::StringGrid4_1), -1);
}

TEST_F(WorkingCopyTest, OpenRefusesAFileLargerThanTheImageAndChangesNothing) {
  SaveImage image = BlankImage();
  WriteBits(image, 1622, 0, 24, 1234);
  Open(image);
  copy_.SetEditText("Edit1_1", "99");
  const std::vector<std::uint8_t> tooLarge(SaveImage::Capacity + 1, 0xFF);
  EXPECT_FALSE(copy_.Open(tooLarge, "big.bin"));
  EXPECT_EQ(copy_.Image().Path, "test.bin");
  EXPECT_EQ(copy_.Image().Length, SaveImage::Capacity);
  EXPECT_EQ(ReadBits(copy_.Image(), 1622, 0, 24), 1234u);
  EXPECT_EQ(copy_.Control("Edit1_1").Text, "99");
}

TEST_F(WorkingCopyTest, EmptyFileLoadsEveryFieldAsZero) {
  EXPECT_FALSE(copy_.Image().Loaded);
  ASSERT_TRUE(copy_.Open({}, "empty.bin"));
  EXPECT_TRUE(copy_.Image().Loaded);
  EXPECT_EQ(copy_.Control("Edit3_2").Text, "0");
  EXPECT_EQ(copy_.Grid(GridId::StringGrid1_2).Cell(200, 1), "0");
  EXPECT_EQ(copy_.Grid(GridId::StringGrid1_2).Cell(200, 2), "0 兵器0");
  copy_.SetEditText("Edit3_2", "77");
  copy_.StorePass();
  EXPECT_EQ(copy_.Image().Length, 0);
}

TEST_F(WorkingCopyTest, EditBoxesLoadDecimalAndStoreCutToTheirWidth) {
  SaveImage image = BlankImage();
  WriteBits(image, 1622, 0, 24, 16777215);  // Edit1_1
  WriteBits(image, 1607, 0, 7, 55);         // Edit1_8, beside Edit1_9 at (1607, 7)
  WriteBits(image, 1607, 7, 7, 99);
  Open(image);
  EXPECT_EQ(copy_.Control("Edit1_1").Text, "16777215");
  EXPECT_EQ(copy_.Control("Edit1_2").Text, "0");

  copy_.SetEditText("Edit1_1", " 12");
  copy_.SetEditText("Edit1_8", "-1");
  SaveImage saved = Stored();
  EXPECT_EQ(ReadBits(saved, 1622, 0, 24), 12u);
  EXPECT_EQ(ReadBits(saved, 1607, 0, 7), 127u);
  EXPECT_EQ(ReadBits(saved, 1607, 7, 7), 99u);

  copy_.SetEditText("Edit1_8", "200");
  saved = Stored();
  EXPECT_EQ(ReadBits(saved, 1607, 0, 7), 72u);
  EXPECT_EQ(ReadBits(saved, 1607, 7, 7), 99u);
}

TEST_F(WorkingCopyTest, StoreStopsAtTheFirstTextThatIsNotAnInteger) {
  Open(BlankImage());
  copy_.SetItemIndex("ComboBox1_1", 3);  // entry 1
  copy_.SetEditText("Edit1_1", "500");   // entry 2
  copy_.SetEditText("Edit1_2", "12 ");   // entry 3 fails
  copy_.SetEditText("Edit1_3", "9");     // entry 4
  try {
    copy_.StorePass();
    FAIL() << "no conversion error";
  } catch (const ConversionError& e) {
    EXPECT_STREQ(e.what(), "'12 ' は整数ではありません");
    EXPECT_EQ(e.Where().Control, "Edit1_2");  // where the window takes the user
    EXPECT_EQ(e.Where().Grid, -1);
  }
  EXPECT_EQ(ReadBits(copy_.Image(), 1604, 0, 4), 3u);
  EXPECT_EQ(ReadBits(copy_.Image(), 1622, 0, 24), 500u);
  EXPECT_EQ(ReadBits(copy_.Image(), 1613, 0, 7), 0u);

  copy_.SetEditText("Edit1_2", "");
  try {
    copy_.StorePass();
    FAIL() << "no conversion error";
  } catch (const ConversionError& e) {
    EXPECT_STREQ(e.what(), "'' は整数ではありません");
  }
}

// A failing cell is named by table, row and column, whichever codec stores it.
TEST_F(WorkingCopyTest, StoreNamesTheCellThatIsNotAnInteger) {
  struct Case {
    GridId Grid;
    int Row;
    int Column;
  };
  for (const Case c : {Case{GridId::StringGrid1_1, 7, 2}, Case{GridId::StringGrid2_2, 3, 3},
                       Case{GridId::StringGrid4_1, 170, 11}}) {
    Open(BlankImage());
    copy_.SetCell(c.Grid, c.Row, c.Column, "?");
    try {
      copy_.StorePass();
      ADD_FAILURE() << "no conversion error in grid " << int(c.Grid);
    } catch (const ConversionError& e) {
      EXPECT_EQ(e.Where().Grid, int(c.Grid));
      EXPECT_EQ(e.Where().Row, c.Row);
      EXPECT_EQ(e.Where().Column, c.Column);
      EXPECT_EQ(e.Where().Control, "");
    }
  }
}

TEST_F(WorkingCopyTest, CheckBoxesAndFactionLists) {
  SaveImage image = BlankImage();
  WriteBits(image, 1530, 1, 1, 1);   // CheckBox1_1
  WriteBits(image, 1604, 0, 4, 12);  // faction of the own force
  WriteBits(image, 1628, 0, 4, 9);
  Open(image);
  EXPECT_TRUE(copy_.Control("CheckBox1_1").Checked);
  EXPECT_FALSE(copy_.Control("CheckBox1_2").Checked);
  EXPECT_EQ(copy_.Control("ComboBox1_1").ItemIndex, 10);
  EXPECT_EQ(copy_.Control("ComboBox2_1").ItemIndex, 9);
  EXPECT_EQ(copy_.Control("ComboBox3_1").ItemIndex, 0);

  copy_.SetChecked("CheckBox1_1", false);
  copy_.SetChecked("CheckBox6_17", true);
  copy_.SetItemIndex("ComboBox3_1", 10);
  SaveImage saved = Stored();
  EXPECT_EQ(saved.Bytes[1530], 0x00);
  EXPECT_EQ(saved.Bytes[1479], 0x01);
  EXPECT_EQ(ReadBits(saved, 1604, 0, 4), 15u);  // "無し" is always 15
  EXPECT_EQ(ReadBits(saved, 1628, 0, 4), 9u);
  EXPECT_EQ(ReadBits(saved, 1652, 0, 4), 15u);

  copy_.SetItemIndex("ComboBox1_1", 11);  // no such item
  EXPECT_EQ(copy_.Control("ComboBox1_1").ItemIndex, -1);
  EXPECT_THROW(copy_.Control("ComboBox9_9"), std::out_of_range);
}

TEST_F(WorkingCopyTest, ScenarioListFollowsThreeFixedFlags) {
  struct Case {
    int f1, f2, f3;
    int item;
    const char* text;
  };
  const Case cases[] = {
      {1, 0, 0, 0, "第１部"}, {0, 1, 0, 1, "第２部"}, {0, 1, 1, 2, "特別編"},
      {1, 1, 0, -1, ""},      {0, 0, 0, -1, ""},      {1, 1, 1, -1, ""},
  };
  for (const auto& c : cases) {
    SaveImage image = BlankImage();
    image.Bytes[16] = 0xA4;
    image.Bytes[17] = 0x5A;
    WriteBits(image, 17, 3, 1, c.f1);
    WriteBits(image, 16, 1, 1, c.f2);
    WriteBits(image, 16, 0, 1, c.f3);
    Open(image);
    EXPECT_EQ(copy_.Control("ComboBox6_1").ItemIndex, c.item) << c.f1 << c.f2 << c.f3;
    EXPECT_EQ(copy_.Control("ComboBox6_1").Text, c.text);
    const SaveImage saved = Stored();
    EXPECT_EQ(saved.Bytes[16], image.Bytes[16]);
    EXPECT_EQ(saved.Bytes[17], image.Bytes[17]);
  }

  SaveImage image = BlankImage();
  image.Bytes[16] = 0x00;
  image.Bytes[17] = 0xFF;
  Open(image);
  copy_.SetComboText("ComboBox6_1", "特別編");
  EXPECT_EQ(copy_.Control("ComboBox6_1").ItemIndex, 2);
  SaveImage saved = Stored();
  EXPECT_EQ(saved.Bytes[17], 0xEF);  // bit 3 cleared only
  EXPECT_EQ(saved.Bytes[16], 0xC0);  // bits 0 and 1 are the top two

  copy_.SetComboText("ComboBox6_1", "第１部 ");  // no exact caption: nothing is written
  EXPECT_EQ(copy_.Control("ComboBox6_1").ItemIndex, -1);
  EXPECT_EQ(copy_.Control("ComboBox6_1").Text, "第１部 ");
  const SaveImage again = Stored();
  EXPECT_EQ(again.Bytes[16], 0xC0);
  EXPECT_EQ(again.Bytes[17], 0xEF);

  copy_.SetItemIndex("ComboBox6_1", 1);
  EXPECT_EQ(copy_.Control("ComboBox6_1").Text, "第２部");
}

TEST_F(WorkingCopyTest, CheckListMirrorsTheSpecialFlags) {
  EXPECT_EQ(copy_.CheckList().size(), 217u);
  EXPECT_EQ(copy_.CheckList()[3].Text, "3 特別3");
  int headers = 0;
  for (const auto& line : copy_.CheckList()) headers += line.Header ? 1 : 0;
  EXPECT_EQ(headers, 11);
  EXPECT_TRUE(copy_.CheckList()[85].Header);

  SaveImage image = BlankImage();
  image.Bytes[1414] = 0x81;
  Open(image);
  std::vector<int> checked;
  for (int i = 0; i < int(copy_.CheckList().size()); ++i) {
    if (copy_.CheckList()[std::size_t(i)].Checked) checked.push_back(i);
  }
  EXPECT_EQ(checked, (std::vector<int>{1, 7}));

  image = BlankImage();
  image.Bytes[1413] = 0xFF;
  Open(image);
  for (int i = 0; i < 217; ++i) copy_.SetCheckListChecked(i, i == 2);
  copy_.SetCheckListChecked(0, true);  // a header line takes no mark
  EXPECT_FALSE(copy_.CheckList()[0].Checked);
  const SaveImage saved = Stored();
  EXPECT_EQ(saved.Bytes[1413], 0x93);  // 0x01 set; 0x40 0x20 0x08 0x04 cleared; 0x80 0x10 0x02 kept
  EXPECT_EQ(saved.Bytes[1414], 0x00);
}

TEST(CheckList, FlagsWithoutALineKeepTheirBits) {
  LabelFiles files = LabelFiles::Standard();
  files.special.resize(213);  // lines 213 to 216 are missing
  TempLabelDir dir(files);
  WorkingCopy copy(dir.Path());
  ASSERT_EQ(copy.CheckList().size(), 213u);

  SaveImage image = BlankImage();
  for (int b = 1413; b <= 1456; ++b) image.Bytes[std::size_t(b)] = 0xFF;
  ASSERT_TRUE(copy.Open(image.Contents(), "t.bin"));
  EXPECT_TRUE(copy.CheckList()[212].Checked);
  for (int i = 0; i < 213; ++i) copy.SetCheckListChecked(i, false);
  copy.StorePass();
  const auto& flags = SpecialFlagMap();
  for (const TCellField& f : flags) {
    const unsigned expected = f.ItemIndex >= 213 ? 1u : 0u;
    EXPECT_EQ(ReadBits(copy.Image(), f), expected) << "item " << f.ItemIndex;
  }
}

struct RecordingObserver : WorkingCopyObserver {
  std::vector<std::string> events;
  void GridChanged(GridId g) override { events.push_back("grid " + Name(g)); }
  void CellChanged(GridId g, int r, int c) override {
    events.push_back("cell " + Name(g) + " " + std::to_string(r) + " " + std::to_string(c));
  }
  void CurrentCellChanged(GridId g) override { events.push_back("current " + Name(g)); }
  void ActivePageChanged(int page) override { events.push_back("page " + std::to_string(page)); }
  void ControlsChanged() override { events.emplace_back("controls"); }
  static std::string Name(GridId g) { return std::string(LayoutOf(g).Name); }
};

TEST_F(WorkingCopyTest, TellsObserversWhatChanged) {
  RecordingObserver observer;
  copy_.AddObserver(&observer);
  Open(BlankImage());
  ASSERT_EQ(observer.events.size(), 10u);  // nine bound tables, then the controls
  EXPECT_EQ(observer.events.front(), "grid StringGrid1_1");
  EXPECT_EQ(observer.events.back(), "controls");

  observer.events.clear();
  copy_.SetActivePage(1);
  copy_.SetCurrentCell(GridId::StringGrid2_1, 5, 1);
  copy_.PlanPopupMenuClick(3);
  copy_.SetCell(GridId::StringGrid4_1, 180, 0, "x");
  EXPECT_EQ(observer.events,
            (std::vector<std::string>{"page 1", "current StringGrid2_1", "cell StringGrid2_1 5 1",
                                      "cell StringGrid2_1 5 2", "cell StringGrid4_1 180 0"}));

  copy_.RemoveObserver(&observer);
  observer.events.clear();
  copy_.SetActivePage(2);
  EXPECT_TRUE(observer.events.empty());
}

TEST_F(WorkingCopyTest, PopupsWriteIntoTheCurrentRowOfTheActivePagesTable) {
  Open(BlankImage());
  copy_.SetCurrentCell(GridId::StringGrid1_1, 4, 1);
  copy_.SetCurrentCell(GridId::StringGrid3_1, 7, 1);
  copy_.SetActivePage(2);
  copy_.PlanPopupMenuClick(4);  // "資金２"
  EXPECT_EQ(copy_.Grid(GridId::StringGrid3_1).Cell(7, 1), "資金２");
  EXPECT_EQ(copy_.Grid(GridId::StringGrid3_1).Cell(7, 2), "1");
  EXPECT_EQ(copy_.Grid(GridId::StringGrid1_1).Cell(4, 1), "");

  copy_.SetCurrentCell(GridId::StringGrid3_2, 9, 13);
  copy_.UnitPopupMenuClick(3);
  EXPECT_EQ(copy_.Grid(GridId::StringGrid3_2).Cell(9, 13), "打上");
  copy_.UnitPopupMenuClick(0);
  EXPECT_EQ(copy_.Grid(GridId::StringGrid3_2).Cell(9, 13), "");

  // Pages without plan or unit tables, unknown items and the heading row change nothing.
  copy_.SetCell(GridId::StringGrid3_2, 9, 13, "移動");
  copy_.SetActivePage(kPagePilots);
  copy_.PlanPopupMenuClick(1);
  copy_.UnitPopupMenuClick(1);
  EXPECT_EQ(copy_.Grid(GridId::StringGrid3_2).Cell(9, 13), "移動");
  copy_.SetActivePage(2);
  copy_.UnitPopupMenuClick(5);
  EXPECT_EQ(copy_.Grid(GridId::StringGrid3_2).Cell(9, 13), "移動");
  copy_.SetCurrentCell(GridId::StringGrid3_1, 0, 1);
  copy_.PlanPopupMenuClick(1);
  EXPECT_EQ(copy_.Grid(GridId::StringGrid3_1).Cell(0, 1), "状態");

  copy_.SetCurrentCell(GridId::StringGrid5_2, 6, 1);
  copy_.AreaPopupMenu1Click(1);
  EXPECT_EQ(copy_.Grid(GridId::StringGrid5_2).Cell(6, 1), "交戦中");
  copy_.SetCurrentCell(GridId::StringGrid5_2, 6, 9);
  copy_.AreaPopupMenu2Click(3);
  EXPECT_EQ(copy_.Grid(GridId::StringGrid5_2).Cell(6, 9), "中/無");
}

TEST_F(WorkingCopyTest, RefusesCurrentCellsThatCannotBeSelected) {
  copy_.SetCurrentCell(GridId::StringGrid5_2, 3, 12);
  copy_.SetCurrentCell(GridId::StringGrid5_2, 3, 0);
  copy_.SetCurrentCell(GridId::StringGrid4_1, 170, 1);  // past the visible rows
  EXPECT_EQ(copy_.Grid(GridId::StringGrid5_2).CurrentColumn(), 1);
  EXPECT_EQ(copy_.Grid(GridId::StringGrid5_2).CurrentRow(), 1);
  EXPECT_EQ(copy_.Grid(GridId::StringGrid4_1).CurrentRow(), 1);
  copy_.SetActivePage(7);
  EXPECT_EQ(copy_.ActivePage(), 0);
}

TEST(LongLists, KeepNamesPastTheVisibleRows) {
  LabelFiles files = LabelFiles::Standard();
  files.plan.resize(270, "extra plan");
  files.pilot.resize(210, "extra pilot");
  files.area.emplace_back("78 Beyond\t5");
  TempLabelDir dir(files);
  WorkingCopy copy(dir.Path());
  EXPECT_EQ(copy.Grid(GridId::StringGrid2_1).Cell(270, 0), "extra plan");
  EXPECT_EQ(copy.Grid(GridId::StringGrid4_1).Cell(210, 0), "extra pilot");
  EXPECT_EQ(copy.Grid(GridId::StringGrid5_2).Cell(79, 0), "78 Beyond");
  EXPECT_EQ(copy.Grid(GridId::StringGrid5_2).Cell(79, 12), "5");

  SaveImage image = BlankImage();
  ASSERT_TRUE(copy.Open(image.Contents(), "t.bin"));
  copy.StorePass();  // rows past the records are neither loaded nor stored
  EXPECT_EQ(copy.Grid(GridId::StringGrid5_2).Cell(79, 1), "");
  EXPECT_EQ(copy.Grid(GridId::StringGrid4_1).Cell(201, 1), "");
}

}  // namespace
}  // namespace korvath
