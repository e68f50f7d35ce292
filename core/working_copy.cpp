#include "core/working_copy.h"

#include <algorithm>
#include <stdexcept>

#include "core/table_codecs.h"

namespace korvath {

namespace {

constexpr int kPageCount = int(kPageCaptions.size());

std::size_t ControlIndex(std::string_view name) {
  const MainFieldEntry* entry = FindMainField(name);
  if (entry == nullptr) throw std::out_of_range("no control named " + std::string(name));
  return std::size_t(entry - MainFieldMap().data());
}

// Both passes walk the map in order and go by the control's kind; a table goes by its identity.
// controls holds one value per map entry.
template <typename OnControl, typename OnCheckList, typename OnTable>
void WalkMainFieldMap(std::vector<ControlValue>& controls, OnControl onControl,
                      OnCheckList onCheckList, OnTable onTable) {
  const auto& map = MainFieldMap();
  for (std::size_t i = 0; i < map.size(); ++i) {
    const MainFieldEntry& entry = map[i];
    switch (entry.Kind) {
      case ControlKind::Edit:
      case ControlKind::CheckBox:
      case ControlKind::ComboBox:
        onControl(entry, controls[i]);
        break;
      case ControlKind::CheckList:
        onCheckList();
        break;
      case ControlKind::StringGrid:
        if (const auto id = GridByName(entry.Control)) onTable(*id, entry.Field);
        break;
    }
  }
}

}  // namespace

WorkingCopy::WorkingCopy(const std::filesystem::path& labelDir) : labelDir_(labelDir) {
  // One guarded block, as at start-up: a missing file, a list too short for a fixed index or
  // anything else that fails here leaves no half-built working copy behind.
  try {
    controls_.resize(MainFieldMap().size());
    grids_.reserve(kGridCount);
    for (GridId id : kAllGrids) {
      const GridLayout& layout = LayoutOf(id);
      grids_.emplace_back(layout.StoredRows, int(layout.Columns.size()));
      grids_.back().SetCurrent(layout.InitialRow, layout.InitialColumn);
    }

    labels_ = ReadLabelLists(labelDir);

    for (int force = 0; force < 3; ++force) {
      const GridId id = PlanGridOf(force);
      SetUpPlanTable(MutableGrid(id), id, labels_.plan);
    }
    for (int force = 0; force < 3; ++force) {
      const GridId id = UnitGridOf(force);
      SetUpUnitTable(MutableGrid(id), id);
    }
    SetUpPilotTable(MutableGrid(GridId::StringGrid4_1), labels_.pilot);
    SetUpAreaTable(MutableGrid(GridId::StringGrid5_2), labels_.area);  // cuts the area names
    SetUpDockTable(MutableGrid(GridId::StringGrid5_1), labels_.area);
    SetUpCheckList(checkList_, labels_.special);
    SetUpWeaponsList(MutableGrid(GridId::StringGrid7_1), labels_.unit);  // cuts the unit names
  } catch (...) {
    throw StartupError();
  }
}

void WorkingCopy::AddObserver(WorkingCopyObserver* observer) {
  if (observer != nullptr &&
      std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
    observers_.push_back(observer);
  }
}

void WorkingCopy::RemoveObserver(WorkingCopyObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

bool WorkingCopy::Open(std::span<const std::uint8_t> data, const std::string& path) {
  if (!image_.Commit(data, path)) return false;
  LoadPass();
  return true;
}

void WorkingCopy::LoadPass() {
  WalkMainFieldMap(
      controls_,
      [&](const MainFieldEntry& entry, ControlValue& value) { LoadControl(image_, entry, value); },
      [&] { LoadCheckList(image_, checkList_); },
      [&](GridId id, const TField& binding) {
        if (LoadTable(id, image_, labels_, binding, MutableGrid(id))) NotifyGrid(id);
      });
  NotifyControls();
}

void WorkingCopy::StorePass() {
  WalkMainFieldMap(
      controls_,
      [&](const MainFieldEntry& entry, ControlValue& value) { StoreControl(image_, entry, value); },
      [&] { StoreCheckList(image_, checkList_); },
      [&](GridId id, const TField& binding) {
        // Rows stored before a failing cell have had their names refreshed already.
        try {
          if (StoreTable(id, image_, labels_, binding, MutableGrid(id))) NotifyGrid(id);
        } catch (...) {
          NotifyGrid(id);
          throw;
        }
      });
}

const ControlValue& WorkingCopy::Control(std::string_view name) const {
  return controls_[ControlIndex(name)];
}

ControlValue& WorkingCopy::MutableControl(std::string_view name) {
  return controls_[ControlIndex(name)];
}

void WorkingCopy::SetEditText(std::string_view name, std::string text) {
  MutableControl(name).Text = std::move(text);
}

void WorkingCopy::SetChecked(std::string_view name, bool checked) {
  MutableControl(name).Checked = checked;
}

void WorkingCopy::SetItemIndex(std::string_view name, int index) {
  ControlValue& value = MutableControl(name);
  if (index < 0 || index >= ItemCountOf(name)) index = -1;
  value.ItemIndex = index;
  if (ListRuleOf(name) == ListRule::Scenario)
    value.Text = index < 0 ? "" : std::string(kScenarioItems[index]);
}

void WorkingCopy::SetComboText(std::string_view name, std::string text) {
  ControlValue& value = MutableControl(name);
  if (ListRuleOf(name) == ListRule::Scenario) {
    const auto it = std::find(kScenarioItems.begin(), kScenarioItems.end(), text);
    value.ItemIndex = it == kScenarioItems.end() ? -1 : int(it - kScenarioItems.begin());
  }
  value.Text = std::move(text);
}

void WorkingCopy::SetCheckListChecked(int line, bool checked) {
  if (line < 0 || line >= int(checkList_.size())) return;
  CheckListLine& l = checkList_[std::size_t(line)];
  if (!l.Header) l.Checked = checked;
}

void WorkingCopy::SetCell(GridId grid, int row, int column, std::string text) {
  MutableGrid(grid).SetCell(row, column, std::move(text));
  NotifyCell(grid, row, column);
}

void WorkingCopy::SetCurrentCell(GridId grid, int row, int column) {
  const GridLayout& layout = LayoutOf(grid);
  if (row < 0 || row >= layout.VisibleRows || column < 0 || column >= int(layout.Columns.size()) ||
      !IsCellSelectable(grid, row, column)) {
    return;
  }
  MutableGrid(grid).SetCurrent(row, column);
  for (auto* o : std::vector(observers_)) o->CurrentCellChanged(grid);
}

void WorkingCopy::SetActivePage(int page) {
  if (page < 0 || page >= kPageCount || page == activePage_) return;
  activePage_ = page;
  for (auto* o : std::vector(observers_)) o->ActivePageChanged(page);
}

void WorkingCopy::PlanPopupMenuClick(int item) {
  if (activePage_ < 0 || activePage_ > 2) return;
  if (item < 0 || item >= int(kPlanPopupItems.size())) return;
  const GridId id = PlanGridOf(activePage_);
  const int row = Grid(id).CurrentRow();
  if (row < 1) return;
  SetCell(id, row, 1, std::string(kPlanPopupItems[std::size_t(item)].State));
  SetCell(id, row, 2, std::string(kPlanPopupItems[std::size_t(item)].Turn));
}

void WorkingCopy::UnitPopupMenuClick(int item) {
  if (activePage_ < 0 || activePage_ > 2) return;
  if (item < 0 || item >= int(kUnitPopupItems.size())) return;
  const GridId id = UnitGridOf(activePage_);
  const int row = Grid(id).CurrentRow();
  if (row < 1) return;
  SetCell(id, row, 13, std::string(kUnitPopupItems[std::size_t(item)].Text));
}

void WorkingCopy::AreaPopupMenu1Click(int item) {
  if (item < 0 || item >= int(kAreaBattlePopupItems.size())) return;
  const int row = Grid(GridId::StringGrid5_2).CurrentRow();
  if (row < 1) return;
  SetCell(GridId::StringGrid5_2, row, 1,
          std::string(kAreaBattlePopupItems[std::size_t(item)].Text));
}

void WorkingCopy::AreaPopupMenu2Click(int item) {
  if (item < 0 || item >= int(kAreaFactionPopupItems.size())) return;
  const CellGrid& grid = Grid(GridId::StringGrid5_2);
  ApplyFactionLabel(grid.CurrentColumn(), grid.CurrentRow(),
                    std::string(kAreaFactionPopupItems[std::size_t(item)].Text));
}

void WorkingCopy::ApplyFactionLabel(int column, int row, const std::string& label) {
  constexpr GridId kArea = GridId::StringGrid5_2;
  // Only the force columns take a force label; the names and the number of bases stay as set up.
  if (row < 1 || column < 2 || column > 11) return;
  if (column != 2) {
    SetCell(kArea, row, column, label);
    return;
  }
  // The "？勢力" value follows the ruler; then the bases follow, unless the area is in battle.
  SetCell(kArea, row, 2, label);
  SetCell(kArea, row, 3, label);
  const int bases = BasesFollowingRuler(Grid(kArea), row);
  for (int b = 0; b < bases; ++b) SetCell(kArea, row, 4 + b, label);
}

int32_t WorkingCopy::WeaponMaxDurability(int t) const {
  return WeaponLookup(Grid(GridId::StringGrid7_1), labels_.unit, t, 2);
}

int32_t WorkingCopy::WeaponMaxSupplies(int t) const {
  return WeaponLookup(Grid(GridId::StringGrid7_1), labels_.unit, t, 3);
}

int32_t WorkingCopy::WeaponCapacity(int t) const {
  return WeaponLookup(Grid(GridId::StringGrid7_1), labels_.unit, t, 4);
}

void WorkingCopy::NotifyGrid(GridId grid) {
  for (auto* o : std::vector(observers_)) o->GridChanged(grid);
}

void WorkingCopy::NotifyCell(GridId grid, int row, int column) {
  for (auto* o : std::vector(observers_)) o->CellChanged(grid, row, column);
}

void WorkingCopy::NotifyControls() {
  for (auto* o : std::vector(observers_)) o->ControlsChanged();
}

}  // namespace korvath
