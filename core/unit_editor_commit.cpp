// Searching the lists, the Max buttons, the checks before a commit and the commit itself.

#include "core/unit_editor.h"

#include <algorithm>

#include "core/int_conversion.h"
#include "core/working_copy.h"

namespace korvath {

namespace {

constexpr std::array<GridId, 3> kUnitTables = {GridId::StringGrid1_2, GridId::StringGrid2_2,
                                               GridId::StringGrid3_2};

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

int LeadingNumber(std::string_view text) {
  const std::size_t blank = text.find(' ');
  if (blank == std::string_view::npos) return -1;
  return StrToIntDef(text.substr(0, blank), -1);
}

bool ContainsSearchText(std::string_view entry, std::string_view searchText) {
  if (searchText.empty()) return false;
  // A hit that starts inside a multi-byte character is no hit; look further on.
  for (std::size_t at = entry.find(searchText); at != std::string_view::npos;
       at = entry.find(searchText, at + 1)) {
    if (!IsContinuationByte(entry[at])) return true;
  }
  return false;
}

bool SearchList(ComboBoxState& list, std::string_view searchText) {
  const int count = int(list.Items.size());
  const int start = list.ItemIndex >= 0 && list.ItemIndex < count ? list.ItemIndex : -1;
  // The selected entry itself is tested only when nothing is selected.
  const int tests = start < 0 ? count : count - 1;
  int i = start;
  for (int tested = 0; tested < tests; ++tested) {
    i = i + 1 >= count ? 0 : i + 1;
    if (ContainsSearchText(list.Items[std::size_t(i)], searchText)) {
      list.Select(i);
      return true;
    }
  }
  return false;
}

void UnitEditorModel::LinkedFill() {
  if (!Checked(kLinked)) return;
  const int k = Combo(kUnitType).ItemIndex - 1;
  if (k < 0 || k >= UnitTypeCount()) return;
  MutableEdit(kDurability) = IntToStr(wc_.WeaponMaxDurability(k));
  MutableEdit(kSupplies) = IntToStr(wc_.WeaponMaxSupplies(k));
}

void UnitEditorModel::ShowCarrierLocation() {
  const ComboBoxState& carrier = Combo(kCarrier);
  int s = -1;
  if (carrier.ItemIndex == 0) {
    const int n = UnitNumber();
    s = n;
    if (n >= 0 && n < kUnitSlots && UnitCell(n, unit_col::kCarried) == "1") {
      s = UnitInt(n, unit_col::kCarrier);
    }
  } else if (carrier.ItemIndex > 0) {
    s = LeadingNumber(carrier.Text);
  }
  ShowLocation(s);
}

void UnitEditorModel::ShowChosenPilot() {
  const ComboBoxState& pilot = Combo(kPilot);
  ShowPilotDetails(pilot.ItemIndex > 0 ? LeadingNumber(pilot.Text) : -1);
}

void UnitEditorModel::SearchUnitType() {
  SearchList(MutableCombo(kUnitType), EditText(kTypeSearch));
  LinkedFill();
}

void UnitEditorModel::FillMaxDurability() {
  const int k = Combo(kUnitType).ItemIndex - 1;
  if (k >= 0 && k < UnitTypeCount())
    MutableEdit(kDurability) = IntToStr(wc_.WeaponMaxDurability(k));
}

void UnitEditorModel::FillMaxSupplies() {
  const int k = Combo(kUnitType).ItemIndex - 1;
  if (k >= 0 && k < UnitTypeCount()) MutableEdit(kSupplies) = IntToStr(wc_.WeaponMaxSupplies(k));
}

void UnitEditorModel::SearchCarrier() {
  SearchList(MutableCombo(kCarrier), EditText(kCarrierSearch));
}

void UnitEditorModel::SearchPilot() {
  SearchList(MutableCombo(kPilot), EditText(kPilotSearch));
  ShowChosenPilot();
}

void UnitEditorModel::SearchArea() { SearchList(MutableCombo(kArea), EditText(kAreaSearch)); }
void UnitEditorModel::SearchDestination() {
  SearchList(MutableCombo(kDestination), EditText(kDestinationSearch));
}

std::optional<std::string> UnitEditorModel::Commit() {
  if (auto message = ValidateInput()) return message;
  // Every unit and pilot write of the commit is undone as one step.
  const WorkingCopy::UserAct act(wc_, "部隊エディタ 変更 " +
                                          std::string(kPageCaptions[std::size_t(tabIndex_)]) +
                                          " No " + IntToStr(UnitNumber()));
  CommitUnit();
  CommitPilot();
  return std::nullopt;
}

std::optional<std::string> UnitEditorModel::ValidateInput() {
  const auto below0 = [this](std::initializer_list<int> edits) {
    return std::any_of(edits.begin(), edits.end(),
                       [this](int edit) { return StrToIntDef(EditText(edit), -1) < 0; });
  };
  const int n = UnitNumber();
  if (n < 0 || n >= kUnitSlots) return "部隊Noが範囲外です";
  if (Combo(kUnitType).ItemIndex < 0) return "兵器名が異常です\nリストから選択してください";
  if (Combo(kUnitType).ItemIndex == 0) {
    // Emptying the slot: nothing else matters.
    for (int edit = kDurability; edit <= kMorale; ++edit) MutableEdit(edit) = "0";
    MutableCombo(kCarrier).Select(0);
    MutableCombo(kPilot).Select(0);
    ShowPilotDetails(-1);
    return std::nullopt;
  }
  if (below0({kDurability, kSupplies, kFatigue, kMorale}))
    return "耐久，物資，疲労，士気には数値を入力してください";
  if (Combo(kCarrier).ItemIndex < 0) return "搭載先が異常です\nリストから選択してください";
  if (Combo(kPilot).ItemIndex < 0) return "パイロット名が異常です\nリストから選択してください";
  const bool pilotChosen = Combo(kPilot).ItemIndex > 0;
  if (pilotChosen && (Combo(kAffiliation).ItemIndex < 0 || Combo(kState).ItemIndex < 0 ||
                      Combo(kRank).ItemIndex < 0)) {
    return "所属，状態，階級が異常です\nリストから選択してください";
  }
  if (pilotChosen && below0({kMerit, kExperience})) return "功績，経験には数値を入力してください";
  if (Combo(kCarrier).ItemIndex != 0) return std::nullopt;  // carried: its carrier's area counts
  if (Combo(kArea).ItemIndex < 0) return "現在地が異常です\nリストから選択してください";
  if (Combo(kMove).ItemIndex != 0 && Combo(kDestination).ItemIndex < 0) {
    return "移動先が異常です\nリストから選択してください";
  }
  if (Combo(kMove).ItemIndex < 0) return "移動方法が異常です\nリストから選択してください";
  return std::nullopt;
}

void UnitEditorModel::CommitUnit() {
  const GridId table = Table();
  const int row = UnitNumber() + 1;
  const LabelSet& labels = wc_.Labels();
  const auto set = [&](int column, std::string text) {
    wc_.SetCell(table, row, column, std::move(text));
  };

  const int t = LeadingNumber(Combo(kUnitType).Text);
  if (t < 0) {
    set(unit_col::kType, std::string(kNoUnitType));
    set(unit_col::kTypeName, "");
  } else {
    set(unit_col::kType, IntToStr(t));
    set(unit_col::kTypeName, labels.unit.Label(t));
  }
  for (int column = unit_col::kDurability; column <= unit_col::kMorale; ++column) {
    set(column, IntToStr(StrToIntDef(EditText(column), 0)));
  }

  if (Combo(kCarrier).ItemIndex != 0) {
    set(unit_col::kArea, std::string(kNoArea));
    set(unit_col::kAreaName, "");
    set(unit_col::kCarried, "1");
    set(unit_col::kCarrier, IntToStr(LeadingNumber(Combo(kCarrier).Text)));
    set(unit_col::kMove, "");
    set(unit_col::kDestination, "0");
    set(unit_col::kDestinationName, labels.area.Label(0));
  } else {
    const int a = LeadingNumber(Combo(kArea).Text);
    set(unit_col::kArea, IntToStr(a));
    set(unit_col::kAreaName, labels.area.Label(a));
    set(unit_col::kCarried, "0");
    set(unit_col::kCarrier, "0");
    const int d = LeadingNumber(Combo(kDestination).Text);
    set(unit_col::kMove, Combo(kMove).ItemIndex == 0 ? std::string() : Combo(kMove).Text);
    set(unit_col::kDestination, IntToStr(d));
    set(unit_col::kDestinationName, labels.area.Label(d));
  }

  if (Combo(kPilot).ItemIndex != 0) {
    const int p = LeadingNumber(Combo(kPilot).Text);
    const std::string id = IntToStr(p);
    // A pilot sits in one unit at most, whichever force it belongs to.
    for (GridId other : kUnitTables) {
      for (int r = 1; r <= kUnitSlots; ++r) {
        if (wc_.Grid(other).Cell(r, unit_col::kPilot) != id) continue;
        wc_.SetCell(other, r, unit_col::kPilot, std::string(kNoPilot));
        wc_.SetCell(other, r, unit_col::kPilotName, "");
      }
    }
    set(unit_col::kPilot, id);
    set(unit_col::kPilotName, labels.pilot.Label(p));
  } else {
    set(unit_col::kPilot, std::string(kNoPilot));
    set(unit_col::kPilotName, "");
  }
}

void UnitEditorModel::CommitPilot() {
  // Pilot rows exist for the ids of the pilot list that have a record; an id outside them would
  // address the heading row (id -1) or a row no record backs, so such writes are skipped.
  const int pilotRows = std::min(PilotCount(), kPilotRecords);
  const auto set = [this](int pilot, int column, std::string text) {
    wc_.SetCell(GridId::StringGrid4_1, pilot + 1, column, std::move(text));
  };

  if (Combo(kPilot).ItemIndex > 0) {
    const int p = LeadingNumber(Combo(kPilot).Text);
    if (p >= 0 && p < pilotRows) {
      set(p, pilot_col::kArea, std::string(kNoArea));
      set(p, pilot_col::kAreaName, "");
      set(p, pilot_col::kBoarded, "1");
      set(p, pilot_col::kAffiliation, IntToStr(Combo(kAffiliation).ItemIndex));
      set(p, pilot_col::kAffiliationText, Combo(kAffiliation).Text);
      set(p, pilot_col::kState, IntToStr(Combo(kState).ItemIndex));
      set(p, pilot_col::kStateText, Combo(kState).Text);
      set(p, pilot_col::kRank, IntToStr(Combo(kRank).ItemIndex));
      set(p, pilot_col::kRankText, Combo(kRank).Text);
      set(p, pilot_col::kMerit, IntToStr(StrToIntDef(EditText(kMerit), 0)));
      set(p, pilot_col::kExperience, IntToStr(StrToIntDef(EditText(kExperience), 0)));
    }
  }

  for (int p = 0; p < pilotRows; ++p) set(p, pilot_col::kBoarded, "0");
  for (GridId table : kUnitTables) {
    const CellGrid& grid = wc_.Grid(table);
    for (int r = 1; r <= kUnitSlots; ++r) {
      const int t = StrToIntDef(grid.Cell(r, unit_col::kType), -1);
      const int q = StrToIntDef(grid.Cell(r, unit_col::kPilot), -1);
      // Type 0 and pilot 0 never count as aboard.
      if (t > 0 && t < UnitTypeCount() && q > 0 && q < pilotRows) {
        set(q, pilot_col::kBoarded, "1");
      }
    }
  }
}

}  // namespace korvath
