#include "core/unit_editor.h"

#include <algorithm>

#include "core/int_conversion.h"
#include "core/working_copy.h"

namespace korvath {

void ComboBoxState::Select(int index) {
  if (index < 0 || index >= int(Items.size())) {
    ItemIndex = -1;
    Text.clear();
    return;
  }
  ItemIndex = index;
  Text = Items[std::size_t(index)];
}

void ComboBoxState::ShowText(std::string text) {
  ItemIndex = -1;
  Text = std::move(text);
}

int ComboBoxState::IndexOf(std::string_view text) const {
  const auto it = std::find(Items.begin(), Items.end(), text);
  return it == Items.end() ? -1 : int(it - Items.begin());
}

void ComboBoxState::SelectOrShow(std::string text) {
  const int index = IndexOf(text);
  if (index >= 0) {
    Select(index);
  } else {
    ShowText(std::move(text));
  }
}

std::optional<GridId> UnitTableOf(int force) {
  if (force < 0 || force > 2) return std::nullopt;
  return UnitGridOf(force);
}

UnitEditorModel::UnitEditorModel(WorkingCopy& workingCopy) : wc_(workingCopy) {
  edits_[0] = "0";
  const LabelSet& labels = wc_.Labels();
  auto& types = MutableCombo(kUnitType).Items;
  types.emplace_back(kNoneEntry);
  types.insert(types.end(), labels.unit.Entries().begin(), labels.unit.Entries().end());
  MutableCombo(kArea).Items = labels.area.Entries();
  MutableCombo(kDestination).Items = labels.area.Entries();
  MutableCombo(kAffiliation).Items.assign(kAffiliationItems.begin(), kAffiliationItems.end());
  MutableCombo(kState).Items.assign(kPilotStateItems.begin(), kPilotStateItems.end());
  MutableCombo(kRank).Items = labels.klass.Entries();
  MutableCombo(kMove).Items.assign(kMoveMethodItems.begin(), kMoveMethodItems.end());
}

int UnitEditorModel::UnitNumber() const { return StrToIntDef(EditText(kUnitNumber), -1); }

GridId UnitEditorModel::Table() const {
  // The tab bar has exactly three tabs, so the force is always a valid one.
  return UnitTableOf(tabIndex_).value_or(GridId::StringGrid1_2);
}

const std::string& UnitEditorModel::UnitCell(int slot, int column) const {
  return wc_.Grid(Table()).Cell(slot + 1, column);
}

int UnitEditorModel::UnitInt(int slot, int column, int fallback) const {
  return StrToIntDef(UnitCell(slot, column), fallback);
}

const std::string& UnitEditorModel::PilotCell(int pilot, int column) const {
  return wc_.Grid(GridId::StringGrid4_1).Cell(pilot + 1, column);
}

int UnitEditorModel::UnitTypeCount() const { return wc_.Labels().unit.Count(); }
int UnitEditorModel::PilotCount() const { return wc_.Labels().pilot.Count(); }
int UnitEditorModel::AreaCount() const { return wc_.Labels().area.Count(); }

std::string UnitEditorModel::CarrierEntry(int slot, int unitType) const {
  return IntToStr(slot) + " - " + wc_.Labels().unit.Label(unitType);
}

// --- events ---

void UnitEditorModel::SetUnitNumber(std::string text) {
  if (text == edits_[0]) return;
  edits_[0] = std::move(text);
  ShowUnit();
}

void UnitEditorModel::Activate() {
  int force = wc_.ActivePage();
  if (force < 0 || force > 2) {
    force = 0;
    wc_.SetActivePage(0);
  }
  tabIndex_ = force;
  const int n = wc_.Grid(Table()).CurrentRow() - 1;
  if (!spinBound_) {
    spinPosition_ = std::clamp(n, 0, kUnitSlots - 1);
    spinBound_ = true;
  }
  SetUnitNumber(IntToStr(n));
  FillCarrierList();
  FillPilotList();
  ShowUnit();
}

void UnitEditorModel::Refresh() {
  const int page = wc_.ActivePage();
  if (page >= 0 && page <= 2) {
    Activate();
  } else {
    ShowUnit();
  }
}

void UnitEditorModel::SelectForce(int tab) {
  const std::optional<GridId> table = UnitTableOf(tab);
  if (!table) return;
  tabIndex_ = tab;
  wc_.SetActivePage(tab);
  SetUnitNumber(IntToStr(wc_.Grid(*table).CurrentRow() - 1));
  FillCarrierList();
  FillPilotList();
  ShowUnit();
}

void UnitEditorModel::SetUnitNumberText(std::string text) { SetUnitNumber(std::move(text)); }

void UnitEditorModel::StepUnitNumber(int step) {
  if (!spinBound_) return;
  // The arrows start from the number shown; a text that is no slot number leaves the last one.
  const int shown = UnitNumber();
  const int from = shown >= 0 && shown < kUnitSlots ? shown : spinPosition_;
  spinPosition_ = std::clamp(from + step, 0, kUnitSlots - 1);
  SetUnitNumber(IntToStr(spinPosition_));
}

void UnitEditorModel::SetEditText(int edit, std::string text) {
  if (edit == kUnitNumber) {
    SetUnitNumberText(std::move(text));
    return;
  }
  MutableEdit(edit) = std::move(text);
}

void UnitEditorModel::ChooseEntry(int combo, int index) {
  MutableCombo(combo).Select(index);
  ListChanged(combo);
}

void UnitEditorModel::TypeText(int combo, std::string text) {
  MutableCombo(combo).ShowText(std::move(text));
  ListChanged(combo);
}

void UnitEditorModel::ListChanged(int combo) {
  if (combo == kUnitType) LinkedFill();
  if (combo == kCarrier) ShowCarrierLocation();
  if (combo == kPilot) ShowChosenPilot();
}

void UnitEditorModel::ClickCheckBox(int checkBox, bool checked) {
  checks_.at(std::size_t(checkBox - 1)) = checked;
  if (checkBox == kCarriersOnly || checkBox == kSameArea) FillCarrierList();
  if (checkBox >= kSameForce) FillPilotList();
}

// --- showing a unit ---

void UnitEditorModel::ShowUnit() {
  const GridId table = Table();
  const int n = UnitNumber();
  if (n >= 0 && n < kUnitSlots) {
    wc_.SetCurrentCell(table, n + 1, wc_.Grid(table).CurrentColumn());
    ShowWeaponGroup();
    ShowPilotGroup();
    ShowAreaGroup();
  }
  FillCarrierList();
  FillPilotList();
}

static_assert(UnitEditorModel::kDurability == unit_col::kDurability &&
              UnitEditorModel::kMorale == unit_col::kMorale);

void UnitEditorModel::ShowWeaponGroup() {
  ComboBoxState& carrier = MutableCombo(kCarrier);
  carrier.Select(-1);
  const int n = UnitNumber();
  if (n < 0 || n >= kUnitSlots) return;
  const int t = UnitInt(n, unit_col::kType);
  MutableCombo(kUnitType).Select(t >= 0 && t < UnitTypeCount() ? t + 1 : 0);
  for (int column = unit_col::kDurability; column <= unit_col::kMorale; ++column) {
    MutableEdit(column) = UnitCell(n, column);  // the edits follow the columns
  }
  if (UnitInt(n, unit_col::kCarried, 0) == 1) {
    const int s = UnitInt(n, unit_col::kCarrier);
    if (s < 0 || s >= kUnitSlots) return;
    const int ct = UnitInt(s, unit_col::kType);
    if (ct < 0 || ct >= UnitTypeCount()) return;
    carrier.SelectOrShow(CarrierEntry(s, ct));
  } else {
    carrier.Select(0);
  }
}

void UnitEditorModel::ShowPilotGroup() {
  const int n = UnitNumber();
  if (n < 0 || n >= kUnitSlots) return;
  const int p = UnitInt(n, unit_col::kPilot);
  if (p >= 0 && p < PilotCount()) {
    MutableCombo(kPilot).SelectOrShow(wc_.Labels().pilot.Entry(p));
    ShowPilotDetails(p);
  } else {
    MutableCombo(kPilot).Select(0);
    ShowPilotDetails(-1);
  }
}

void UnitEditorModel::ShowPilotDetails(int pilot) {
  for (int combo = 4; combo <= 6; ++combo) MutableCombo(combo).Select(-1);
  MutableEdit(kMerit).clear();
  MutableEdit(kExperience).clear();
  if (pilot < 0 || pilot >= PilotCount()) return;
  const int a = StrToIntDef(PilotCell(pilot, pilot_col::kAffiliation), -1);
  if (a >= 0 && a < int(kAffiliationItems.size())) MutableCombo(kAffiliation).Select(a);
  const int s = StrToIntDef(PilotCell(pilot, pilot_col::kState), -1);
  if (s >= 0 && s < int(kPilotStateItems.size())) MutableCombo(kState).Select(s);
  const int r = StrToIntDef(PilotCell(pilot, pilot_col::kRank), -1);
  if (r >= 0 && r < wc_.Labels().klass.Count()) MutableCombo(kRank).Select(r);
  MutableEdit(kMerit) = PilotCell(pilot, pilot_col::kMerit);
  MutableEdit(kExperience) = PilotCell(pilot, pilot_col::kExperience);
}

void UnitEditorModel::ShowAreaGroup() {
  const int n = UnitNumber();
  if (n < 0 || n >= kUnitSlots) return;
  int s = n;
  if (UnitCell(n, unit_col::kCarried) == "1") {
    const int j = UnitInt(n, unit_col::kCarrier);
    if (j >= 0 && j < kUnitSlots) s = j;
  }
  ShowLocation(s);
}

void UnitEditorModel::ShowLocation(int slot) {
  int a = -1;
  int d = -1;
  int m = -1;
  if (slot >= 0 && slot < kUnitSlots) {
    a = UnitInt(slot, unit_col::kArea);
    d = UnitInt(slot, unit_col::kDestination);
    m = Combo(kMove).IndexOf(UnitCell(slot, unit_col::kMove));
  }
  if (a < 0 || a >= AreaCount()) a = -1;
  if (d < 0 || d >= AreaCount()) d = -1;
  MutableCombo(kArea).Select(a);
  MutableCombo(kDestination).Select(d);
  MutableCombo(kMove).Select(m < 0 ? 0 : m);
}

// --- candidate lists ---

int UnitEditorModel::LocationOf(int slot) const {
  int location = -1;
  if (UnitCell(slot, unit_col::kCarried) == "0") {
    location = UnitInt(slot, unit_col::kArea);
  } else {
    const int carrier = UnitInt(slot, unit_col::kCarrier);
    if (carrier >= 0 && carrier < kUnitSlots) location = UnitInt(carrier, unit_col::kArea);
  }
  return location >= 0 && location < AreaCount() ? location : -1;
}

void UnitEditorModel::FillCarrierList() {
  ComboBoxState& list = MutableCombo(kCarrier);
  std::string previous = list.Text;
  list.Items.assign(1, std::string(kNoneEntry));
  const int n = UnitNumber();
  const int here = n >= 0 && n < kUnitSlots ? LocationOf(n) : -1;
  for (int k = 0; k < kUnitSlots; ++k) {
    const int t = UnitInt(k, unit_col::kType);
    if (t < 0 || t >= UnitTypeCount()) continue;
    std::string entry = CarrierEntry(k, t);
    if (entry != previous) {
      if (Checked(kCarriersOnly) && wc_.WeaponCapacity(t) <= 0) continue;
      if (Checked(kSameArea) && here != -1) {
        const int there = LocationOf(k);
        if (there != -1 && there != here) continue;
      }
    }
    list.Items.push_back(std::move(entry));
  }
  list.SelectOrShow(std::move(previous));
}

void UnitEditorModel::FillPilotList() {
  ComboBoxState& list = MutableCombo(kPilot);
  std::string previous = list.Text;
  list.Items.assign(1, std::string(kNoneEntry));
  const std::string force = IntToStr(tabIndex_);
  const LabelList& pilots = wc_.Labels().pilot;
  for (int i = 0; i < pilots.Count(); ++i) {
    const std::string& entry = pilots.Entry(i);
    if (entry != previous) {
      if (Checked(kSameForce) && PilotCell(i, pilot_col::kAffiliation) != force) continue;
      if (Checked(kAvailable) && PilotCell(i, pilot_col::kState) != "0") continue;
      if (Checked(kUnassigned) && PilotCell(i, pilot_col::kBoarded) != "0") continue;
    }
    list.Items.push_back(entry);
  }
  list.SelectOrShow(std::move(previous));
}

}  // namespace korvath
