#include "core/unit_editor.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "core/working_copy.h"
#include "tests/core/test_labels.h"

namespace korvath {
namespace {

using testing::LabelFiles;
using testing::TempLabelDir;
using M = UnitEditorModel;

constexpr GridId kOwn = GridId::StringGrid1_2;
constexpr GridId kEnemy1 = GridId::StringGrid2_2;
constexpr GridId kEnemy2 = GridId::StringGrid3_2;
constexpr GridId kPilots = GridId::StringGrid4_1;

// Unit types: capacity is i % 4, so 0, 4, 8 ... carry nothing; 5 has no numbers and 6 an empty
// capacity. Pilots 0..203 are numbered, 204 is not.
LabelFiles EditorLabels() {
  LabelFiles f = LabelFiles::Standard();
  f.unit[5] = "5 兵器5\t種類\tx\ty\tz";
  f.unit[6] = "6 兵器6\t種類\t1\t1\t";
  f.pilot.clear();
  for (int i = 0; i < 204; ++i)
    f.pilot.push_back(std::to_string(i) + " パイロット" + std::to_string(i));
  f.pilot.emplace_back("名無し");
  return f;
}

struct Unit {
  int type = 511;
  int pilot = 255;
  int area = 0;
  std::string carried = "0";
  int carrier = 0;
  std::string move = "";
  int destination = 0;
};

class UnitEditorTest : public ::testing::Test {
 protected:
  UnitEditorTest() : dir_(EditorLabels()), wc_(dir_.Path()), model_(wc_) {
    // What a loaded file with every slot empty and every pilot idle looks like.
    for (GridId table : {kOwn, kEnemy1, kEnemy2}) {
      for (int slot = 0; slot < kUnitSlots; ++slot) Put(table, slot, Unit{});
    }
    for (int p = 0; p < kPilotRecords; ++p) {
      PilotRow(p, {"0", "", "0", "0", "", "0", "", "0", "", "5", "7"});
    }
  }

  void Put(GridId table, int slot, const Unit& u) {
    const std::vector<std::string> cells = {std::to_string(u.type),
                                            "",
                                            "10",
                                            "20",
                                            "30",
                                            "40",
                                            std::to_string(u.pilot),
                                            "",
                                            std::to_string(u.area),
                                            "",
                                            u.carried,
                                            std::to_string(u.carrier),
                                            u.move,
                                            std::to_string(u.destination),
                                            "",
                                            "0",
                                            "0",
                                            "0",
                                            "0"};
    for (std::size_t c = 0; c < cells.size(); ++c)
      wc_.SetCell(table, slot + 1, int(c) + 1, cells[c]);
  }
  void PilotRow(int p, const std::vector<std::string>& cells) {
    for (std::size_t c = 0; c < cells.size(); ++c)
      wc_.SetCell(kPilots, p + 1, int(c) + 1, cells[c]);
  }
  const std::string& Cell(GridId grid, int row, int column) {
    return wc_.Grid(grid).Cell(row, column);
  }

  // Opens the editor on a slot of a force, as a double-click on that row would.
  void Activate(int force, int slot) {
    wc_.SetActivePage(force);
    wc_.SetCurrentCell(UnitGridOf(force), slot + 1, 1);
    model_.Activate();
  }
  void Choose(int combo, std::string_view text) {
    const int index = model_.Combo(combo).IndexOf(text);
    ASSERT_GE(index, 0) << text;
    model_.ChooseEntry(combo, index);
  }
  // The slots or pilot ids offered by a candidate list, "無し" left out.
  std::set<int> Offered(int combo) {
    std::set<int> ids;
    const auto& items = model_.Combo(combo).Items;
    for (std::size_t i = 1; i < items.size(); ++i) ids.insert(LeadingNumber(items[i]));
    return ids;
  }

  TempLabelDir dir_;
  WorkingCopy wc_;
  UnitEditorModel model_;
};

TEST(UnitEditorSearch, StepsToTheNextHitAndWrapsAround) {
  ComboBoxState list;
  for (int i = 0; i < 12; ++i) list.Items.push_back(std::to_string(i) + " 兵器");
  for (int hit : {2, 5, 9}) list.Items[std::size_t(hit)] += " 改";
  list.Select(5);
  for (int want : {9, 2, 5}) {
    EXPECT_TRUE(SearchList(list, "改"));
    EXPECT_EQ(list.ItemIndex, want);
    EXPECT_EQ(list.Text, list.Items[std::size_t(want)]);
  }
}

TEST(UnitEditorSearch, FindingNothingChangesNothing) {
  ComboBoxState list;
  list.Items = {"0 a", "1 b", "2 c"};
  list.ShowText("typed");
  EXPECT_FALSE(SearchList(list, "z"));  // tests every entry once, then stops
  EXPECT_EQ(list.ItemIndex, -1);
  EXPECT_EQ(list.Text, "typed");

  EXPECT_TRUE(SearchList(list, "0"));  // with nothing selected the first entry is tested too
  EXPECT_EQ(list.ItemIndex, 0);
  EXPECT_FALSE(SearchList(list, "0"));  // the only hit is the selected entry itself
  EXPECT_EQ(list.ItemIndex, 0);
  EXPECT_FALSE(SearchList(list, ""));  // an empty text is found nowhere
  EXPECT_EQ(list.ItemIndex, 0);

  ComboBoxState empty;
  EXPECT_FALSE(SearchList(empty, "a"));
}

TEST(UnitEditorSearch, MatchesWholeCharactersWithExactCase) {
  EXPECT_TRUE(ContainsSearchText("12 Zeta", "Zet"));
  EXPECT_FALSE(ContainsSearchText("12 Zeta", "zet"));
  EXPECT_FALSE(ContainsSearchText("ア", "\x82\xA2"));  // the tail bytes of "ア"
  EXPECT_TRUE(ContainsSearchText("アア", "ア"));
}

TEST(UnitEditorLeadingNumber, ReadsTheNumberBeforeTheFirstBlank) {
  const std::pair<std::string_view, int> cases[] = {
      {"12 - 兵器3", 12}, {"7 エリア7", 7}, {"無し", -1}, {"", -1},     {"5", -1},
      {" 5 x", -1},       {"q5 y", -1},     {"-3 x", -3}, {"0 a b", 0}, {"99999999999 a", -1},
  };
  for (const auto& [text, want] : cases) EXPECT_EQ(LeadingNumber(text), want) << text;
}

TEST_F(UnitEditorTest, ActivationFromAnotherPageEditsTheOwnForcesCurrentRow) {
  wc_.SetCurrentCell(kOwn, 8, 3);
  wc_.SetActivePage(3);  // "パイロット"
  model_.Activate();
  EXPECT_EQ(wc_.ActivePage(), 0);
  EXPECT_EQ(model_.TabIndex(), 0);
  EXPECT_EQ(model_.EditText(M::kUnitNumber), "7");
  EXPECT_EQ(model_.SpinPosition(), 7);
  EXPECT_EQ(wc_.Grid(kOwn).CurrentColumn(), 3);

  wc_.SetCurrentCell(kEnemy2, 21, 1);
  wc_.SetActivePage(2);
  model_.Activate();
  EXPECT_EQ(model_.TabIndex(), 2);
  EXPECT_EQ(model_.EditText(M::kUnitNumber), "20");
  EXPECT_EQ(model_.SpinPosition(), 7);  // bound once, at the first activation
}

TEST_F(UnitEditorTest, TabMovesTheMainPageAndShowsThatTablesRow) {
  Put(kEnemy2, 10, {.type = 3});
  wc_.SetCurrentCell(kEnemy2, 11, 1);
  Activate(0, 0);
  model_.SelectForce(2);
  EXPECT_EQ(wc_.ActivePage(), 2);
  EXPECT_EQ(model_.EditText(M::kUnitNumber), "10");
  EXPECT_EQ(model_.Combo(M::kUnitType).Text, "3 兵器3");
}

TEST_F(UnitEditorTest, UnitNumberMovesTheRowOnlyWhenItIsASlot) {
  Put(kOwn, 37, {.type = 2, .pilot = 4});
  Activate(0, 0);
  wc_.SetCurrentCell(kOwn, 1, 6);
  model_.SetUnitNumberText("37");
  EXPECT_EQ(wc_.Grid(kOwn).CurrentRow(), 38);
  EXPECT_EQ(wc_.Grid(kOwn).CurrentColumn(), 6);
  EXPECT_EQ(model_.Combo(M::kUnitType).Text, "2 兵器2");
  EXPECT_EQ(model_.Combo(M::kPilot).Text, "4 パイロット4");

  for (std::string text : {"200", "abc", "-1"}) {
    model_.SetUnitNumberText(text);
    EXPECT_EQ(wc_.Grid(kOwn).CurrentRow(), 38) << text;
    EXPECT_EQ(model_.Combo(M::kUnitType).Text, "2 兵器2") << text;
    EXPECT_EQ(model_.Combo(M::kPilot).Text, "4 パイロット4") << text;
  }
}

TEST_F(UnitEditorTest, SpinStepsWithinTheSlotsOnceBound) {
  model_.StepUnitNumber(1);
  EXPECT_EQ(model_.EditText(M::kUnitNumber), "0");  // not bound before the first activation
  Activate(0, 0);
  model_.StepUnitNumber(-1);
  EXPECT_EQ(model_.EditText(M::kUnitNumber), "0");
  model_.StepUnitNumber(1);
  EXPECT_EQ(model_.EditText(M::kUnitNumber), "1");
  EXPECT_EQ(wc_.Grid(kOwn).CurrentRow(), 2);
  model_.SetUnitNumberText("199");
  model_.StepUnitNumber(1);
  EXPECT_EQ(model_.EditText(M::kUnitNumber), "199");
}

TEST_F(UnitEditorTest, CarriedUnitShowsItsCarrierAndTheCarriersLocation) {
  Put(kOwn, 5, {.type = 4, .area = 7, .move = "突入", .destination = 9});  // carries nothing
  Put(kOwn, 3, {.type = 2, .area = 127, .carried = "1", .carrier = 5});
  Put(kOwn, 6, {.type = 1, .area = 8});
  Activate(0, 6);
  EXPECT_EQ(Offered(2), (std::set<int>{3, 6}));
  model_.SetUnitNumberText("3");
  EXPECT_EQ(model_.Combo(M::kCarrier).Text, "5 - 4 兵器4");
  EXPECT_GT(model_.Combo(M::kCarrier).ItemIndex, 0);
  EXPECT_EQ(model_.Combo(M::kArea).ItemIndex, 7);
  EXPECT_EQ(model_.Combo(M::kDestination).ItemIndex, 9);
  EXPECT_EQ(model_.Combo(M::kMove).Text, "突入");

  EXPECT_EQ(Offered(2), (std::set<int>{3, 5, 6}));

  // The carrier's entry stays only while it is the unit's own carrier.
  model_.ClickCheckBox(M::kSameArea, true);  // and slot 6 stands elsewhere
  EXPECT_EQ(Offered(2), (std::set<int>{3, 5}));
  model_.SetUnitNumberText("6");
  EXPECT_EQ(model_.Combo(M::kCarrier).ItemIndex, 0);
  EXPECT_EQ(Offered(2), std::set<int>{6});
}

TEST_F(UnitEditorTest, CarriedFlagCountsAsANumberForTheCarrierButAsTextForTheLocation) {
  Put(kOwn, 5, {.type = 1, .area = 7});
  Put(kOwn, 3, {.type = 2, .area = 4, .carried = "01", .carrier = 5});
  Put(kOwn, 4, {.type = 2, .area = 9, .carried = "00", .carrier = 5});
  Activate(0, 3);
  EXPECT_EQ(model_.Combo(M::kCarrier).Text, "5 - 1 兵器1");  // "01" converts to 1: aboard slot 5
  EXPECT_EQ(model_.Combo(M::kArea).ItemIndex, 4);  // but is not the text "1": its own area
  EXPECT_EQ(model_.LocationOf(4), 7);              // "00" is not the text "0": where 5 stands
}

TEST_F(UnitEditorTest, ValuesWithoutAnEntryShowAsNoneOrNothing) {
  Put(kOwn, 0, {.type = 511, .pilot = 255, .area = 100, .move = "？？", .destination = 78});
  Put(kOwn, 1, {.type = 2, .area = 3, .carried = "1", .carrier = 250});
  Activate(0, 0);
  EXPECT_EQ(model_.Combo(M::kUnitType).ItemIndex, 0);
  EXPECT_EQ(model_.Combo(M::kPilot).ItemIndex, 0);
  for (int combo : {4, 5, 6, 7, 8}) {
    EXPECT_EQ(model_.Combo(combo).ItemIndex, -1) << combo;
    EXPECT_EQ(model_.Combo(combo).Text, "") << combo;
  }
  EXPECT_EQ(model_.EditText(M::kMerit), "");
  EXPECT_EQ(model_.EditText(M::kExperience), "");
  EXPECT_EQ(model_.Combo(M::kMove).ItemIndex, 0);

  model_.SetUnitNumberText("1");  // carrier slot out of range: the carrier list is left empty
  EXPECT_EQ(model_.Combo(M::kCarrier).ItemIndex, -1);
  EXPECT_EQ(model_.Combo(M::kCarrier).Text, "");
  EXPECT_EQ(model_.Combo(M::kArea).ItemIndex, 3);  // its own area
}

TEST_F(UnitEditorTest, CarrierCandidatesFollowTheFilters) {
  Put(kOwn, 0, {.type = 3, .area = 3});
  Put(kOwn, 1, {.type = 1, .area = 3});
  Put(kOwn, 2, {.type = 1, .area = 4});
  Put(kOwn, 3, {.type = 4, .area = 3});                                  // capacity "0"
  Put(kOwn, 4, {.type = 5, .area = 3});                                  // capacity "z"
  Put(kOwn, 7, {.type = 6, .area = 3});                                  // capacity ""
  Put(kOwn, 8, {.type = 2, .area = 127, .carried = "1", .carrier = 2});  // stands in area 4
  Put(kOwn, 9, {.type = 7, .area = 120});                                // no location
  Put(kOwn, 10, {.type = 40});                                           // not a unit type
  Activate(0, 0);
  EXPECT_EQ(Offered(2), (std::set<int>{0, 1, 2, 8, 9}));
  model_.ClickCheckBox(M::kSameArea, true);
  EXPECT_EQ(Offered(2), (std::set<int>{0, 1, 9}));
  model_.ClickCheckBox(M::kCarriersOnly, false);
  EXPECT_EQ(Offered(2), (std::set<int>{0, 1, 3, 4, 7, 9}));
  model_.ClickCheckBox(M::kSameArea, false);
  EXPECT_EQ(Offered(2), (std::set<int>{0, 1, 2, 3, 4, 7, 8, 9}));

  // Without a location of its own the unit excludes nobody for the area.
  Put(kOwn, 0, {.type = 3, .area = 90});
  model_.ClickCheckBox(M::kSameArea, true);
  model_.ClickCheckBox(M::kCarriersOnly, true);
  model_.SetUnitNumberText("1");
  model_.SetUnitNumberText("0");
  EXPECT_EQ(Offered(2), (std::set<int>{0, 1, 2, 8, 9}));
}

TEST_F(UnitEditorTest, PilotCandidatesFollowTheFiltersAndKeepTheCurrentPilot) {
  PilotRow(1, {"0", "", "0", "1", "", "0"});
  PilotRow(2, {"0", "", "0", "0", "", "0"});  // the unit's own pilot, of force 0
  PilotRow(3, {"0", "", "0", "1", "", "1"});  // injured
  PilotRow(4, {"0", "", "1", "1", "", "0"});  // aboard
  PilotRow(5, {"0", "", "0", "01", "", "0"});
  for (int p = 6; p < kPilotRecords; ++p) PilotRow(p, {"0", "", "0", "2", "", "0"});
  Put(kEnemy1, 0, {.type = 1, .pilot = 2});
  Activate(1, 0);
  EXPECT_EQ(Offered(3), (std::set<int>{1, 2, 4}));
  EXPECT_EQ(model_.Combo(M::kPilot).Text, "2 パイロット2");
  model_.ClickCheckBox(M::kUnassigned, true);
  EXPECT_EQ(Offered(3), (std::set<int>{1, 2}));
  model_.ClickCheckBox(M::kAvailable, false);
  EXPECT_EQ(Offered(3), (std::set<int>{1, 2, 3}));
  model_.ClickCheckBox(M::kSameForce, false);
  model_.ClickCheckBox(M::kUnassigned, false);
  EXPECT_EQ(model_.Combo(M::kPilot).Items.size(), 1u + 205u);
  EXPECT_EQ(model_.Combo(M::kPilot).ItemIndex, model_.Combo(M::kPilot).IndexOf("2 パイロット2"));
}

TEST_F(UnitEditorTest, LinkedFillAndMaxButtonsReadTheWeaponsList) {
  Put(kOwn, 0, {.type = 1, .area = 3});
  Activate(0, 0);
  Choose(1, "3 兵器3");
  EXPECT_EQ(model_.EditText(M::kDurability), "103");
  EXPECT_EQ(model_.EditText(M::kSupplies), "53");

  model_.ClickCheckBox(M::kLinked, false);
  Choose(1, "9 兵器9");
  EXPECT_EQ(model_.EditText(M::kDurability), "103");
  model_.FillMaxDurability();
  EXPECT_EQ(model_.EditText(M::kDurability), "109");
  EXPECT_EQ(model_.EditText(M::kSupplies), "53");
  model_.FillMaxSupplies();
  EXPECT_EQ(model_.EditText(M::kSupplies), "59");

  model_.ClickCheckBox(M::kLinked, true);
  model_.SetEditText(M::kTypeSearch, "兵器5");
  model_.SearchUnitType();  // a search is followed by the linked fill
  EXPECT_EQ(model_.Combo(M::kUnitType).Text, "5 兵器5");
  EXPECT_EQ(model_.EditText(M::kDurability), "-1");
  EXPECT_EQ(model_.EditText(M::kSupplies), "-1");
  EXPECT_EQ(model_.Commit(), "耐久，物資，疲労，士気には数値を入力してください");
}

TEST_F(UnitEditorTest, ChoosingACarrierShowsItsLocationButSearchingDoesNot) {
  Put(kOwn, 0, {.type = 3, .area = 3});
  Put(kOwn, 1, {.type = 1, .area = 11, .move = "移動", .destination = 12});
  Activate(0, 0);
  Choose(2, "1 - 1 兵器1");
  EXPECT_EQ(model_.Combo(M::kArea).ItemIndex, 11);
  EXPECT_EQ(model_.Combo(M::kDestination).ItemIndex, 12);
  EXPECT_EQ(model_.Combo(M::kMove).Text, "移動");
  Choose(2, "無し");
  EXPECT_EQ(model_.Combo(M::kArea).ItemIndex, 3);
  model_.TypeText(M::kCarrier, "1 - 1");
  EXPECT_EQ(model_.Combo(M::kArea).ItemIndex, -1);

  Choose(2, "無し");
  model_.SetEditText(M::kCarrierSearch, "兵器1");
  model_.SearchCarrier();
  EXPECT_EQ(model_.Combo(M::kCarrier).Text, "1 - 1 兵器1");
  EXPECT_EQ(model_.Combo(M::kArea).ItemIndex, 3);
}

TEST_F(UnitEditorTest, ChoosingOrFindingAPilotShowsItsDetails) {
  PilotRow(6, {"0", "", "0", "2", "", "3", "", "4", "", "77", "888"});
  PilotRow(8, {"0", "", "0", "0", "", "9", "", "6", "", "1", "2"});
  Put(kOwn, 0, {.type = 3, .area = 3});
  Activate(0, 0);
  model_.ClickCheckBox(M::kSameForce, false);
  model_.ClickCheckBox(M::kAvailable, false);
  Choose(3, "6 パイロット6");
  EXPECT_EQ(model_.Combo(M::kAffiliation).Text, "2 敵２");
  EXPECT_EQ(model_.Combo(M::kState).Text, "3 任務中");
  EXPECT_EQ(model_.Combo(M::kRank).Text, "4 階級4");
  EXPECT_EQ(model_.EditText(M::kMerit), "77");
  EXPECT_EQ(model_.EditText(M::kExperience), "888");

  model_.SetEditText(M::kPilotSearch, "パイロット8");
  model_.SearchPilot();
  EXPECT_EQ(model_.Combo(M::kPilot).Text, "8 パイロット8");
  EXPECT_EQ(model_.Combo(M::kAffiliation).ItemIndex, 0);
  EXPECT_EQ(model_.Combo(M::kState).ItemIndex, -1);  // state 9 and rank 6 have no entry
  EXPECT_EQ(model_.Combo(M::kRank).ItemIndex, -1);
  EXPECT_EQ(model_.EditText(M::kMerit), "1");
}

TEST_F(UnitEditorTest, ChecksRunInOrderAndTheFirstFailureWins) {
  Put(kOwn, 0, {.type = 3, .area = 3});
  Activate(0, 0);
  model_.SetUnitNumberText("250");
  EXPECT_EQ(model_.Commit(), "部隊Noが範囲外です");
  model_.SetUnitNumberText("0");

  // Break every check at once, then mend them one by one.
  model_.TypeText(M::kUnitType, "兵器");
  model_.SetEditText(M::kFatigue, "x");
  model_.TypeText(M::kCarrier, "?");
  model_.TypeText(M::kPilot, "?");
  const struct {
    std::string_view message;
    std::function<void()> mend;
  } steps[] = {
      {"兵器名が異常です\nリストから選択してください", [&] { Choose(1, "3 兵器3"); }},
      {"耐久，物資，疲労，士気には数値を入力してください",
       [&] { model_.SetEditText(M::kFatigue, "150"); }},
      {"搭載先が異常です\nリストから選択してください",
       [&] {
         Choose(2, "無し");  // shows the unit's own location again
         for (int combo : {7, 8, 9}) model_.TypeText(combo, "?");
       }},
      {"パイロット名が異常です\nリストから選択してください",
       [&] {
         Choose(3, "1 パイロット1");
         model_.TypeText(M::kRank, "?");
         model_.SetEditText(M::kExperience, "");
       }},
      {"所属，状態，階級が異常です\nリストから選択してください", [&] { Choose(6, "0 階級0"); }},
      {"功績，経験には数値を入力してください", [&] { model_.SetEditText(M::kExperience, "0"); }},
      {"現在地が異常です\nリストから選択してください", [&] { Choose(7, "5 エリア5"); }},
      {"移動先が異常です\nリストから選択してください", [&] { Choose(8, "6 エリア6"); }},
      {"移動方法が異常です\nリストから選択してください", [&] { Choose(9, "突入"); }},
  };
  for (const auto& step : steps) {
    const std::string before = Cell(kOwn, 1, 3) + Cell(kOwn, 1, 9) + Cell(kPilots, 2, 3);
    EXPECT_EQ(model_.Commit(), step.message);
    EXPECT_EQ(Cell(kOwn, 1, 3) + Cell(kOwn, 1, 9) + Cell(kPilots, 2, 3), before);
    step.mend();
  }
  EXPECT_EQ(model_.EditText(M::kFatigue), "150");
  EXPECT_EQ(model_.Commit(), std::nullopt);
  EXPECT_EQ(Cell(kOwn, 1, 5), "150");  // the hints' limits are no checks
}

TEST_F(UnitEditorTest, ChecksOnlyWhatTheChoicesMakeRelevant) {
  Put(kOwn, 0, {.type = 3, .area = 3});
  Put(kOwn, 1, {.type = 1, .area = 3});
  Activate(0, 0);
  model_.TypeText(M::kDestination, "");   // move method "無し" needs no destination
  model_.TypeText(M::kAffiliation, "?");  // no pilot chosen: its details do not matter
  model_.SetEditText(M::kMerit, "x");
  EXPECT_EQ(model_.Commit(), std::nullopt);

  Choose(9, "移動");
  EXPECT_EQ(model_.Commit(), "移動先が異常です\nリストから選択してください");
  Choose(2, "1 - 1 兵器1");  // carried: location checks are not made
  model_.TypeText(M::kArea, "");
  model_.TypeText(M::kMove, "");
  EXPECT_EQ(model_.Commit(), std::nullopt);
}

TEST_F(UnitEditorTest, EmptyingASlotSkipsTheChecksAndClearsTheUnit) {
  Put(kOwn, 0, {.type = 3, .pilot = 9, .area = 3});
  PilotRow(9, {"0", "", "1"});
  Activate(0, 0);
  Choose(1, "無し");
  model_.SetEditText(M::kDurability, "x");
  model_.TypeText(M::kCarrier, "?");
  model_.TypeText(M::kArea, "");
  model_.TypeText(M::kDestination, "");
  EXPECT_EQ(model_.Commit(), std::nullopt);
  const std::vector<std::string> want = {"511", "", "0", "0", "0", "0",  "255", "",
                                         "-1",  "", "0", "0", "",  "-1", ""};
  for (int c = 1; c <= 15; ++c) EXPECT_EQ(Cell(kOwn, 1, c), want[std::size_t(c - 1)]) << c;
  for (int e = 3; e <= 6; ++e) EXPECT_EQ(model_.EditText(e), "0");
  EXPECT_EQ(model_.Combo(M::kCarrier).ItemIndex, 0);
  EXPECT_EQ(model_.Combo(M::kPilot).ItemIndex, 0);
  EXPECT_EQ(Cell(kPilots, 10, 3), "0");
}

TEST_F(UnitEditorTest, CommitWritesTheLocationOfACarriedOrStandingUnit) {
  Put(kOwn, 0, {.type = 3, .area = 3});
  Put(kOwn, 1, {.type = 1, .area = 3});
  Activate(0, 0);
  model_.SetEditText(M::kDurability, "007");
  Choose(2, "1 - 1 兵器1");
  model_.TypeText(M::kArea, "");
  ASSERT_EQ(model_.Commit(), std::nullopt);
  const std::vector<std::string> carried = {"127", "", "1", "1", "", "0", "0 エリア0"};
  for (int c = 9; c <= 15; ++c) EXPECT_EQ(Cell(kOwn, 1, c), carried[std::size_t(c - 9)]) << c;
  EXPECT_EQ(Cell(kOwn, 1, 1), "3");
  EXPECT_EQ(Cell(kOwn, 1, 2), "3 兵器3");
  EXPECT_EQ(Cell(kOwn, 1, 3), "7");

  Choose(2, "無し");
  Choose(7, "5 エリア5");
  Choose(8, "6 エリア6");
  Choose(9, "進入");
  ASSERT_EQ(model_.Commit(), std::nullopt);
  const std::vector<std::string> standing = {"5", "5 エリア5", "0", "0", "進入", "6", "6 エリア6"};
  for (int c = 9; c <= 15; ++c) EXPECT_EQ(Cell(kOwn, 1, c), standing[std::size_t(c - 9)]) << c;

  Choose(9, "無し");
  ASSERT_EQ(model_.Commit(), std::nullopt);
  EXPECT_EQ(Cell(kOwn, 1, 13), "");
  for (int c = 16; c <= 19; ++c) EXPECT_EQ(Cell(kOwn, 1, c), "0") << c;
}

TEST_F(UnitEditorTest, APilotLeavesTheUnitOfAnyForceItSatIn) {
  PilotRow(12, {"4", "4 エリア4", "1", "0", "0 自軍", "0", "0 通常", "1", "1 階級1", "3", "4"});
  Put(kEnemy1, 40, {.type = 2, .pilot = 12, .area = 4});
  Put(kOwn, 3, {.type = 3, .area = 3});
  Activate(0, 3);
  Choose(3, "12 パイロット12");
  Choose(4, "1 敵１");
  model_.SetEditText(M::kMerit, "060");
  ASSERT_EQ(model_.Commit(), std::nullopt);
  EXPECT_EQ(Cell(kEnemy1, 41, 7), "255");
  EXPECT_EQ(Cell(kEnemy1, 41, 8), "");
  EXPECT_EQ(Cell(kOwn, 4, 7), "12");
  EXPECT_EQ(Cell(kOwn, 4, 8), "12 パイロット12");
  const std::vector<std::string> row = {"127",    "",  "1",       "1",  "1 敵１", "0",
                                        "0 通常", "1", "1 階級1", "60", "4"};
  for (int c = 1; c <= 11; ++c) EXPECT_EQ(Cell(kPilots, 13, c), row[std::size_t(c - 1)]) << c;
}

TEST_F(UnitEditorTest, BoardedFlagsAreRecountedFromEveryUnitRow) {
  for (int p : {0, 5, 6, 8}) PilotRow(p, {"0", "", "1"});
  Put(kOwn, 20, {.type = 2, .pilot = 0});  // pilot 0 never counts
  Put(kOwn, 21, {.type = 0, .pilot = 5});  // nor does unit type 0
  Put(kEnemy2, 22, {.type = 2, .pilot = 7});
  Put(kEnemy1, 23, {.type = 511, .pilot = 8});  // no unit type
  Put(kOwn, 0, {.type = 3, .area = 3});
  Activate(0, 0);
  ASSERT_EQ(model_.Commit(), std::nullopt);  // a commit without a pilot
  for (auto [pilot, want] : {std::pair{0, "0"}, {5, "0"}, {6, "0"}, {7, "1"}, {8, "0"}}) {
    EXPECT_EQ(Cell(kPilots, pilot + 1, 3), want) << pilot;
  }
}

TEST_F(UnitEditorTest, PilotRowsOutsideTheRecordsAreNeverWritten) {
  Put(kOwn, 0, {.type = 3, .area = 3});
  Put(kOwn, 1, {.type = 3, .pilot = 203});
  Activate(0, 0);
  model_.ClickCheckBox(M::kSameForce, false);
  model_.ClickCheckBox(M::kAvailable, false);
  const std::string heading = Cell(kPilots, 0, 1);

  const auto fillDetails = [&] {
    Choose(4, "0 自軍");
    Choose(5, "0 通常");
    Choose(6, "0 階級0");
    model_.SetEditText(M::kMerit, "0");
    model_.SetEditText(M::kExperience, "0");
  };
  Choose(3, "名無し");  // no leading number: id -1
  fillDetails();
  ASSERT_EQ(model_.Commit(), std::nullopt);
  EXPECT_EQ(Cell(kPilots, 0, 1), heading);
  EXPECT_EQ(Cell(kPilots, 0, 3), "搭乗");

  Choose(3, "203 パイロット203");  // a pilot of the list without a record
  fillDetails();
  ASSERT_EQ(model_.Commit(), std::nullopt);
  EXPECT_EQ(Cell(kOwn, 1, 7), "203");
  EXPECT_EQ(Cell(kOwn, 2, 7), "255");
  for (int c = 1; c <= 11; ++c) EXPECT_EQ(Cell(kPilots, 204, c), "") << c;
  EXPECT_EQ(Cell(kPilots, 204, 0), "203 パイロット203");
}

}  // namespace
}  // namespace korvath
