#include "core/edit_history.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/int_conversion.h"
#include "core/table_codecs.h"
#include "core/unit_editor.h"
#include "core/working_copy.h"
#include "tests/core/test_image.h"
#include "tests/core/test_labels.h"

namespace korvath {
namespace {

using testing::LabelFiles;
using testing::OpenedImageTest;
using testing::TempLabelDir;

constexpr GridId kOwnPlans = GridId::StringGrid1_1;
constexpr GridId kOwnUnits = GridId::StringGrid1_2;
constexpr GridId kAreas = GridId::StringGrid5_2;

// Everything undo must give back: every cell, control value and check-list line.
struct State {
  std::vector<std::vector<std::string>> cells;
  std::vector<std::string> controls;
  std::vector<bool> checks;

  bool operator==(const State&) const = default;
};

State Capture(const WorkingCopy& copy) {
  State s;
  for (GridId id : kAllGrids) {
    const CellGrid& grid = copy.Grid(id);
    std::vector<std::string> cells;
    for (int r = 0; r < grid.RowCount(); ++r) {
      for (int c = 0; c < grid.ColumnCount(); ++c) cells.push_back(grid.Cell(r, c));
    }
    // A store grown for a far row holds nothing more than empty texts there.
    while (!cells.empty() && cells.back().empty()) cells.pop_back();
    s.cells.push_back(std::move(cells));
  }
  for (const MainFieldEntry& entry : MainFieldMap()) {
    if (entry.Kind == ControlKind::CheckList || entry.Kind == ControlKind::StringGrid) continue;
    const ControlValue& v = copy.Control(entry.Control);
    s.controls.push_back(v.Text + "|" + std::to_string(v.Checked) + "|" +
                         std::to_string(v.ItemIndex));
  }
  for (const CheckListLine& line : copy.CheckList()) s.checks.push_back(line.Checked);
  return s;
}

std::vector<std::uint8_t> Stored(WorkingCopy& copy) {
  copy.StorePass();
  const auto bytes = copy.Image().Contents();
  return {bytes.begin(), bytes.end()};
}

// The user acts of the editor, picked at random, failing and refused ones among them.
class RandomUser {
 public:
  RandomUser(WorkingCopy& copy, UnitEditorModel& editor, std::mt19937& random)
      : copy_(copy), editor_(editor), random_(random) {}

  void Act() {
    switch (Pick(10)) {
      case 0:
        TypeCell();
        break;
      case 1:
        TypeEditBox();
        break;
      case 2: {
        const MainFieldEntry& e = AnyControl(ControlKind::CheckBox);
        copy_.SetChecked(e.Control, Pick(2) == 1);
        break;
      }
      case 3: {
        const MainFieldEntry& e = AnyControl(ControlKind::ComboBox);
        if (Pick(3) == 0) {
          copy_.SetComboText(e.Control, Pick(2) ? "第２部" : "第" + Number());
          copy_.EndTyping();
        } else {
          copy_.SetItemIndex(e.Control, Pick(16) - 2);
        }
        break;
      }
      case 4:
        // Header lines and lines past the end are refused.
        copy_.SetCheckListChecked(Pick(int(copy_.CheckList().size()) + 3) - 1, Pick(2) == 1);
        break;
      case 5:
        Popup();
        break;
      case 6:
        // Past the last area the base count is empty: the act fails half-way.
        try {
          copy_.ApplyFactionLabel(Pick(14), Pick(82), Pick(2) ? "敵１" : "自");
        } catch (const ConversionError&) {
        }
        break;
      case 7:
        CommitUnit();
        break;
      case 8:
        // Moving the cursor alone is no step.
        copy_.SetCurrentCell(kAllGrids[std::size_t(Pick(kGridCount))], Pick(30), Pick(20));
        break;
      case 9:
        Save();
        break;
    }
  }

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  std::string Number() { return IntToStr(Pick(400) - 20); }
  std::string Text() {
    switch (Pick(4)) {
      case 0:
        return "";
      case 1:
        return "x" + Number();
      default:
        return Number();
    }
  }

  const MainFieldEntry& AnyControl(ControlKind kind) {
    std::vector<const MainFieldEntry*> entries;
    for (const MainFieldEntry& e : MainFieldMap()) {
      if (e.Kind == kind && (kind != ControlKind::ComboBox || ItemCountOf(e.Control) > 0))
        entries.push_back(&e);
    }
    return *entries[std::size_t(Pick(int(entries.size())))];
  }

  void TypeCell() {
    const GridId id = kAllGrids[std::size_t(Pick(kGridCount))];
    const GridLayout& layout = LayoutOf(id);
    const int row = 1 + Pick(layout.VisibleRows - 1);
    const int column = Pick(int(layout.Columns.size()));
    // The windows refuse typing into a cell that is not editable.
    if (IsCellEditable(id, row, column)) copy_.SetCell(id, row, column, Text());
  }

  void TypeEditBox() {
    const MainFieldEntry& e = AnyControl(ControlKind::Edit);
    std::string text;
    for (int keys = 1 + Pick(4); keys > 0; --keys) {
      text += char('0' + Pick(10));
      copy_.SetEditText(e.Control, text);
    }
    if (Pick(4) == 0) copy_.SetEditText(e.Control, "");
    copy_.EndTyping();
  }

  void Popup() {
    const int page = Pick(4);
    copy_.SetActivePage(page);
    if (page < 3) {
      copy_.SetCurrentCell(PlanGridOf(page), Pick(30), 1);
      copy_.PlanPopupMenuClick(Pick(8) - 1);
      copy_.SetCurrentCell(UnitGridOf(page), Pick(30), 13);
      copy_.UnitPopupMenuClick(Pick(7) - 1);
    } else {
      copy_.SetCurrentCell(kAreas, Pick(30), 1 + Pick(3));
      copy_.AreaPopupMenu1Click(Pick(3) - 1);
      copy_.AreaPopupMenu2Click(Pick(5) - 1);
    }
  }

  void CommitUnit() {
    copy_.SetActivePage(Pick(3));
    editor_.Activate();
    const std::size_t before = copy_.History().UndoCount();
    const State state = Capture(copy_);
    if (Pick(4) == 0) {
      // Out of range: the check fails and nothing is written.
      editor_.SetUnitNumberText("250");
      ASSERT_TRUE(editor_.Commit().has_value());
      ASSERT_EQ(copy_.History().UndoCount(), before);
      ASSERT_EQ(Capture(copy_), state);
      return;
    }
    editor_.SetUnitNumberText(IntToStr(Pick(40)));
    editor_.ChooseEntry(UnitEditorModel::kUnitType,
                        Pick(int(editor_.Combo(UnitEditorModel::kUnitType).Items.size())));
    editor_.SetEditText(UnitEditorModel::kDurability, Number());
    const bool committed = !editor_.Commit().has_value();
    if (!committed) {
      ASSERT_EQ(copy_.History().UndoCount(), before);
      ASSERT_EQ(Capture(copy_), state);
    } else {
      ASSERT_LE(copy_.History().UndoCount(), before + 1);
    }
  }

  void Save() {
    try {
      copy_.StorePass();
      copy_.MarkSaved();
    } catch (const ConversionError&) {
      // Save writes nothing then, and the history stays as it was.
    }
  }

  WorkingCopy& copy_;
  UnitEditorModel& editor_;
  std::mt19937& random_;
};

TEST(UndoProperty, UndoingEveryActGivesBackTheOpenedStateAndRedoTheEditedOne) {
  TempLabelDir dir;
  WorkingCopy copy(dir.Path());
  UnitEditorModel editor(copy);
  std::mt19937 random(20261207);
  for (int round = 0; round < 8; ++round) {
    SaveImage image;
    image.Length = SaveImage::Capacity;
    for (auto& b : image.Bytes) b = std::uint8_t(random());
    ASSERT_TRUE(copy.Open(image.Contents(), "random.bin"));
    const auto openedBytes = Stored(copy);
    const State opened = Capture(copy);
    ASSERT_FALSE(copy.CanUndo());

    RandomUser user(copy, editor, random);
    for (int act = 0; act < 120; ++act) {
      user.Act();
      if (::testing::Test::HasFatalFailure()) return;
    }
    const State edited = Capture(copy);
    ASSERT_TRUE(copy.CanUndo()) << "round " << round;

    while (copy.CanUndo()) copy.Undo();
    EXPECT_EQ(Capture(copy), opened) << "round " << round;
    EXPECT_EQ(Stored(copy), openedBytes) << "round " << round;
    EXPECT_EQ(Capture(copy), opened) << "a Save after undoing all refreshed names";

    while (copy.CanRedo()) copy.Redo();
    EXPECT_EQ(Capture(copy), edited) << "round " << round;
  }
}

// Tables are read from the image when first asked for. A copy that nothing asks between acts,
// saves and opens must hold and store what a copy asked for every table after each of them does.
TEST(LazyTablesProperty, ACopyReadOnlyWhereAskedHoldsAndStoresWhatOneReadEverywhereDoes) {
  TempLabelDir dir;
  WorkingCopy lazy(dir.Path());
  WorkingCopy eager(dir.Path());
  UnitEditorModel lazyEditor(lazy);
  UnitEditorModel eagerEditor(eager);
  std::mt19937 random(20261208);
  for (int round = 0; round < 12; ++round) {
    SaveImage image;
    image.Length = std::uniform_int_distribution<int>(0, SaveImage::Capacity)(random);
    for (auto& b : image.Bytes) b = std::uint8_t(random());
    ASSERT_TRUE(lazy.Open(image.Contents(), "random.bin"));
    ASSERT_TRUE(eager.Open(image.Contents(), "random.bin"));
    Capture(eager);
    const auto seed = random();
    std::mt19937 lazyPicks(seed);
    std::mt19937 eagerPicks(seed);
    RandomUser lazyUser(lazy, lazyEditor, lazyPicks);
    RandomUser eagerUser(eager, eagerEditor, eagerPicks);
    for (int act = 0; act < 3 + round % 4; ++act) {
      lazyUser.Act();
      eagerUser.Act();
      if (::testing::Test::HasFatalFailure()) return;
      Capture(eager);
    }
  }
  // A text that is not an integer stops both stores at the same place.
  const auto store = [](WorkingCopy& copy) {
    try {
      const auto bytes = Stored(copy);
      return std::string(bytes.begin(), bytes.end());
    } catch (const ConversionError& e) {
      return std::string(e.what());
    }
  };
  EXPECT_EQ(store(lazy), store(eager));
  EXPECT_EQ(Capture(lazy), Capture(eager));
  while (lazy.CanUndo() || eager.CanUndo()) {
    ASSERT_EQ(lazy.UndoDescription(), eager.UndoDescription());
    lazy.Undo();
    eager.Undo();
  }
  EXPECT_EQ(Capture(lazy), Capture(eager));
}

class EditHistoryTest : public OpenedImageTest {
 protected:
  void SetUp() override { Open(); }
};

TEST_F(EditHistoryTest, EachActIsOneStepNamedAfterWhereItChanged) {
  copy_.SetCell(kOwnUnits, 5, 3, "77");
  EXPECT_EQ(copy_.UndoDescription(), "部隊データ No 4 耐久");
  copy_.SetCell(GridId::StringGrid2_2, 5, 3, "77");
  EXPECT_EQ(copy_.UndoDescription(), "敵勢力１ 部隊データ No 4 耐久");

  // A plan popup writes state and turn: one step for both.
  copy_.SetCurrentCell(kOwnPlans, 4, 1);
  copy_.PlanPopupMenuClick(3);
  EXPECT_EQ(copy_.UndoDescription(), "開発プラン 3 計画3 状態・ターン");
  EXPECT_EQ(copy_.History().UndoCount(), 3u);

  // The ruler of an area at peace takes its bases along: still one step.
  copy_.SetCell(kAreas, 6, 1, "平常");
  copy_.ApplyFactionLabel(2, 6, "敵２");
  EXPECT_EQ(copy_.UndoDescription(), "エリア 支配勢力 5 エリア5 支配勢力・？勢力ほか");
  copy_.Undo();
  EXPECT_NE(copy_.Grid(kAreas).Cell(6, 2), "敵２");
  EXPECT_NE(copy_.Grid(kAreas).Cell(6, 4), "敵２");
  EXPECT_EQ(copy_.Grid(kAreas).Cell(6, 1), "平常");

  copy_.SetChecked("CheckBox6_2", !copy_.Control("CheckBox6_2").Checked);
  EXPECT_EQ(copy_.UndoDescription(), "エリア存在 白の塔");
  const int line = copy_.CheckList()[0].Header ? 1 : 0;
  copy_.SetCheckListChecked(line, !copy_.CheckList()[std::size_t(line)].Checked);
  EXPECT_EQ(copy_.UndoDescription(), "特別プラン " + copy_.CheckList()[std::size_t(line)].Text);
}

TEST_F(EditHistoryTest, RefusedAndEmptyActsRecordNothing) {
  copy_.SetCell(kOwnUnits, 5, 3, copy_.Grid(kOwnUnits).Cell(5, 3));  // the same text again
  copy_.SetCurrentCell(kOwnUnits, 7, 4);                             // the cursor only
  copy_.PlanPopupMenuClick(99);
  copy_.ApplyFactionLabel(13, 5, "自");
  int header = 0;
  while (!copy_.CheckList()[std::size_t(header)].Header) ++header;
  copy_.SetCheckListChecked(header, true);
  { const WorkingCopy::UserAct act(copy_, "何もしない"); }
  EXPECT_FALSE(copy_.CanUndo());
}

TEST_F(EditHistoryTest, TypingIntoACellOrAnEditBoxIsOneStepUntilCommitted) {
  // A cell editor hands over every keystroke.
  for (const char* text : {"3", "30", "300"}) copy_.SetCell(kOwnUnits, 4, 3, text);
  copy_.EndTyping();
  copy_.SetCell(kOwnUnits, 4, 3, "301");
  EXPECT_EQ(copy_.History().UndoCount(), 2u);
  copy_.Undo();
  copy_.Undo();
  EXPECT_EQ(copy_.Grid(kOwnUnits).Cell(4, 3), "0");
  copy_.SetCell(kOwnUnits, 4, 3, "9");
  copy_.SetCell(kOwnUnits, 4, 3, "0");
  EXPECT_FALSE(copy_.CanUndo());

  const std::string before = copy_.Control("Edit1_1").Text;
  for (const char* text : {"1", "12", "123"}) copy_.SetEditText("Edit1_1", text);
  EXPECT_EQ(copy_.History().UndoCount(), 1u);
  copy_.EndTyping();
  copy_.SetEditText("Edit1_1", "1234");
  EXPECT_EQ(copy_.History().UndoCount(), 2u);
  copy_.Undo();
  EXPECT_EQ(copy_.Control("Edit1_1").Text, "123");
  copy_.Undo();
  EXPECT_EQ(copy_.Control("Edit1_1").Text, before);

  // Typed back to what it was: nothing is left to undo. Another control ends the typing.
  copy_.SetEditText("Edit1_1", before + "9");
  copy_.SetEditText("Edit1_1", before);
  EXPECT_FALSE(copy_.CanUndo());
  // Typing taken back is no act: what was undone before it can still be redone.
  copy_.SetEditText("Edit1_1", "42");
  copy_.EndTyping();
  copy_.Undo();
  copy_.SetCell(kOwnUnits, 4, 3, "8");
  copy_.SetCell(kOwnUnits, 4, 3, "0");
  ASSERT_TRUE(copy_.CanRedo());
  copy_.Redo();
  EXPECT_EQ(copy_.Control("Edit1_1").Text, "42");
  copy_.Undo();

  copy_.SetEditText("Edit1_1", "5");
  copy_.SetEditText("Edit1_2", "6");
  copy_.SetEditText("Edit1_1", "7");
  EXPECT_EQ(copy_.History().UndoCount(), 3u);
}

TEST_F(EditHistoryTest, NestedActsJoinAndAThrowingActKeepsItsChangesUndoable) {
  {
    const WorkingCopy::UserAct outer(copy_, "外");
    copy_.SetCell(kOwnUnits, 2, 3, "1");
    {
      const WorkingCopy::UserAct inner(copy_, "内");
      copy_.SetCell(kOwnUnits, 3, 3, "2");
    }
    copy_.SetCurrentCell(kOwnUnits, 9, 3);
  }
  EXPECT_EQ(copy_.History().UndoCount(), 1u);
  EXPECT_EQ(copy_.UndoDescription(), "外");
  copy_.Undo();
  EXPECT_EQ(copy_.Grid(kOwnUnits).Cell(3, 3), "0");
  EXPECT_NE(copy_.Grid(kOwnUnits).CurrentRow(), 9);
  copy_.Redo();
  EXPECT_EQ(copy_.Grid(kOwnUnits).CurrentRow(), 9);

  EXPECT_THROW(
      {
        const WorkingCopy::UserAct act(copy_);
        copy_.SetCell(kOwnUnits, 4, 3, "4");
        throw ConversionError("x");
      },
      ConversionError);
  EXPECT_EQ(copy_.History().UndoCount(), 2u);
  copy_.Undo();
  EXPECT_EQ(copy_.Grid(kOwnUnits).Cell(4, 3), "0");
}

TEST(EditHistoryFaction, ARulerChangeThatFailsOnTheBaseCountIsUndoneWhole) {
  LabelFiles files = LabelFiles::Standard();
  files.area[5] = "5 エリア5\t多数";
  TempLabelDir dir(files);
  WorkingCopy copy(dir.Path());
  const SaveImage blank = testing::BlankImage();
  ASSERT_TRUE(copy.Open(blank.Contents(), "t.bin"));
  const State opened = Capture(copy);
  EXPECT_THROW(copy.ApplyFactionLabel(2, 6, "敵１"), ConversionError);
  // The ruler's two cells changed before the failure, as without a history.
  EXPECT_EQ(copy.Grid(kAreas).Cell(6, 2), "敵１");
  EXPECT_EQ(copy.Grid(kAreas).Cell(6, 3), "敵１");
  ASSERT_EQ(copy.History().UndoCount(), 1u);
  copy.Undo();
  EXPECT_EQ(Capture(copy), opened);
}

TEST_F(EditHistoryTest, ANewStepDropsWhatWasUndone) {
  copy_.SetCell(kOwnUnits, 2, 3, "1");
  copy_.SetCell(kOwnUnits, 3, 3, "2");
  copy_.Undo();
  ASSERT_TRUE(copy_.CanRedo());
  copy_.SetCell(kOwnUnits, 4, 3, "3");
  EXPECT_FALSE(copy_.CanRedo());
  EXPECT_EQ(copy_.History().UndoCount(), 2u);
}

TEST_F(EditHistoryTest, RemembersTheSavePointAcrossUndoAndRedo) {
  EXPECT_TRUE(copy_.IsAtSavePoint());
  copy_.SetCell(kOwnUnits, 2, 3, "1");
  EXPECT_FALSE(copy_.IsAtSavePoint());
  copy_.StorePass();
  copy_.MarkSaved();
  EXPECT_TRUE(copy_.IsAtSavePoint());
  EXPECT_TRUE(copy_.CanUndo()) << "Save keeps the history";
  copy_.SetCell(kOwnUnits, 3, 3, "2");
  EXPECT_FALSE(copy_.IsAtSavePoint());
  copy_.Undo();
  EXPECT_TRUE(copy_.IsAtSavePoint());
  copy_.Undo();
  EXPECT_FALSE(copy_.IsAtSavePoint());
  copy_.Redo();
  EXPECT_TRUE(copy_.IsAtSavePoint());
  // Undone past the save and edited anew: the saved state cannot come back.
  copy_.Undo();
  copy_.SetCell(kOwnUnits, 5, 3, "5");
  copy_.Undo();
  EXPECT_FALSE(copy_.IsAtSavePoint());
}

TEST_F(EditHistoryTest, UndoingPastASaveGivesBackTheNamesShownBeforeIt) {
  const std::string name = copy_.Grid(kOwnUnits).Cell(3, 2);
  copy_.SetCell(kOwnUnits, 3, 1, "7");
  copy_.StorePass();
  ASSERT_EQ(copy_.Grid(kOwnUnits).Cell(3, 2), copy_.Labels().unit.Label(7));
  copy_.Undo();
  EXPECT_EQ(copy_.Grid(kOwnUnits).Cell(3, 1), "0");
  EXPECT_EQ(copy_.Grid(kOwnUnits).Cell(3, 2), name);
  copy_.Redo();
  EXPECT_EQ(copy_.Grid(kOwnUnits).Cell(3, 2), copy_.Labels().unit.Label(7));
}

TEST_F(EditHistoryTest, ASaveAfterUndoingPastASaveKeepsWhatAnUnknownLabelStandsFor) {
  const int64_t move = 1676 * 8 + 24;  // the first unit's way of moving, a code with no label
  testing::PutBits(image_, move, 3, 6);
  Open();
  ASSERT_EQ(copy_.Grid(kOwnUnits).Cell(1, 13), "?");
  copy_.SetCell(kOwnUnits, 1, 13, "移動");
  copy_.StorePass();
  copy_.MarkSaved();
  ASSERT_EQ(testing::GetBits(copy_.Image(), move, 3), 1u);
  copy_.Undo();
  EXPECT_EQ(testing::GetBits(copy_.Image(), move, 3), 1u) << "the image shows the file until Save";
  copy_.StorePass();
  EXPECT_EQ(testing::GetBits(copy_.Image(), move, 3), 6u);
  EXPECT_EQ(copy_.Image().Contents().size(), image_.Contents().size());
  EXPECT_TRUE(
      std::equal(copy_.Image().Bytes.begin(), copy_.Image().Bytes.end(), image_.Bytes.begin()));
}

TEST_F(EditHistoryTest, OpenClearsTheHistoryAndARefusedOpenKeepsIt) {
  copy_.SetCell(kOwnUnits, 2, 3, "1");
  const std::vector<std::uint8_t> tooLarge(SaveImage::Capacity + 1);
  ASSERT_FALSE(copy_.Open(tooLarge, "big.bin"));
  EXPECT_TRUE(copy_.CanUndo());
  Open();
  EXPECT_FALSE(copy_.CanUndo());
  EXPECT_FALSE(copy_.CanRedo());
  EXPECT_TRUE(copy_.IsAtSavePoint());
}

TEST_F(EditHistoryTest, KeepsTheNewestStepsUpToTheLimit) {
  const int limit = int(EditHistory::kDefaultLimit);
  for (int i = 0; i < limit + 5; ++i) copy_.SetCell(kOwnUnits, 2 + i % 150, 3, IntToStr(i + 1));
  EXPECT_EQ(copy_.History().UndoCount(), EditHistory::kDefaultLimit);
  while (copy_.CanUndo()) copy_.Undo();
  // The five oldest writes cannot be undone any more; every later one is.
  for (int i = 0; i < 5; ++i) EXPECT_EQ(copy_.Grid(kOwnUnits).Cell(2 + i, 3), IntToStr(i + 1));
  for (int r = 7; r < 152; ++r) EXPECT_EQ(copy_.Grid(kOwnUnits).Cell(r, 3), "0") << r;
  EXPECT_FALSE(copy_.IsAtSavePoint()) << "the opened state dropped out of the history";
}

TEST_F(EditHistoryTest, KeepsTheNewestStepsUpToAMemoryLimit) {
  // Random texts up to the most a box holds, each typed in two goes that join one step.
  std::mt19937 random(15);
  constexpr int kSteps = 2500;
  std::vector<std::pair<int, std::string>> steps;
  for (int i = 0; i < kSteps; ++i) {
    const int row = 2 + int(random() % 150);
    std::string text(std::size_t(random() % 32767), char('a' + i % 26));
    copy_.SetCell(kOwnUnits, row, 3, text.substr(0, 10));
    copy_.SetCell(kOwnUnits, row, 3, text);
    copy_.EndTyping();
    steps.emplace_back(row, std::move(text));
    ASSERT_LE(copy_.History().Footprint(), EditHistory::kDefaultByteLimit) << i;
  }
  const std::size_t kept = copy_.History().UndoCount();
  EXPECT_LT(kept, std::size_t(kSteps));
  EXPECT_GT(kept, std::size_t(kSteps) / 3) << "only the oldest steps go";
  // Undoing all that is kept gives the state after the dropped steps, exactly.
  while (copy_.CanUndo()) copy_.Undo();
  EXPECT_EQ(copy_.History().Footprint() > 0, true);
  std::vector<std::string> expected(152, "0");
  for (std::size_t i = 0; i < steps.size() - kept; ++i)
    expected[std::size_t(steps[i].first)] = steps[i].second;
  for (int r = 2; r < 152; ++r)
    ASSERT_EQ(copy_.Grid(kOwnUnits).Cell(r, 3), expected[std::size_t(r)]) << r;
}

struct Recorder : WorkingCopyObserver {
  std::vector<std::string> seen;
  void CellChanged(GridId, int row, int column) override {
    seen.push_back("cell " + std::to_string(row) + "," + std::to_string(column));
  }
  void ControlsChanged() override { seen.emplace_back("controls"); }
  void ActivePageChanged(int page) override { seen.push_back("page " + std::to_string(page)); }
  void HistoryChanged() override { seen.emplace_back("history"); }
};

TEST_F(EditHistoryTest, TellsObserversWhatUndoAndRedoChangedAndShowsItsPage) {
  copy_.SetCell(kOwnUnits, 5, 3, "9");
  copy_.SetChecked("CheckBox6_1", !copy_.Control("CheckBox6_1").Checked);
  Recorder recorder;
  copy_.AddObserver(&recorder);
  copy_.Undo();
  copy_.Undo();
  copy_.Redo();
  copy_.RemoveObserver(&recorder);
  const std::string special = std::to_string(FindMainField("CheckBox6_1")->Page);
  EXPECT_EQ(recorder.seen,
            (std::vector<std::string>{"controls", "page " + special, "history", "cell 5,3",
                                      "page 0", "history", "cell 5,3", "history"}));
}

}  // namespace
}  // namespace korvath
