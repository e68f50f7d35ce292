#include "core/working_copy.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

#include "core/edit_history.h"
#include "core/int_conversion.h"
#include "core/label_folders.h"
#include "core/shown_names.h"
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

std::shared_ptr<const LabelSet> ParsedLabels(const LabelFileBytes& labelFiles) {
  try {
    return std::make_shared<const LabelSet>(ParseLabelSet(labelFiles));
  } catch (const StartupError&) {
    throw;  // it says which file and why
  } catch (...) {
    throw StartupError();
  }
}

}  // namespace

WorkingCopy::WorkingCopy(const std::filesystem::path& labelDir)
    : WorkingCopy(ReadLabelFiles(labelDir)) {
  labelDir_ = labelDir;
}

WorkingCopy::WorkingCopy(const LabelFileBytes& labelFiles)
    : WorkingCopy(ParsedLabels(labelFiles)) {}

WorkingCopy::WorkingCopy(std::shared_ptr<const LabelSet> labels)
    : labelsAsRead_(std::move(labels)), history_(std::make_unique<EditHistory>()) {
  // One guarded block, as at start-up: a file too large, a list too short for a fixed index or
  // anything else that fails here leaves no half-built working copy behind.
  try {
    controls_.resize(MainFieldMap().size());
    grids_.reserve(kGridCount);
    for (GridId id : kAllGrids) {
      const GridLayout& layout = LayoutOf(id);
      grids_.emplace_back(layout.StoredRows, int(layout.Columns.size()));
      grids_.back().SetCurrent(layout.InitialRow, layout.InitialColumn);
    }

    if (!labelsAsRead_) throw StartupError();
    labels_ = *labelsAsRead_;

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
  } catch (const StartupError&) {
    throw;  // it says which file and why
  } catch (...) {
    throw StartupError();
  }
}

WorkingCopy::WorkingCopy(const FoundLabels& labels)
    : WorkingCopy(labels.Lists ? labels.Lists : ParsedLabels(labels.Files)) {
  labelDir_ = labels.Folder;
}

WorkingCopy::~WorkingCopy() = default;

WorkingCopy::UserAct::UserAct(WorkingCopy& copy, std::string name) : copy_(copy) {
  copy_.history_->BeginAct(std::move(name));
}

// An act that throws keeps what it changed before the throw, as the handler would without a
// history, and that part is undone as one step like any other.
WorkingCopy::UserAct::~UserAct() {
  copy_.history_->EndAct();
  if (!copy_.history_->InAct()) copy_.NotifyHistory();
}

bool WorkingCopy::CanUndo() const { return history_->CanUndo(); }
bool WorkingCopy::CanRedo() const { return history_->CanRedo(); }

std::string WorkingCopy::UndoDescription() const {
  const EditStep* step = history_->NextUndo();
  return step ? DescribeStep(*step, *this) : std::string();
}

std::string WorkingCopy::RedoDescription() const {
  const EditStep* step = history_->NextRedo();
  return step ? DescribeStep(*step, *this) : std::string();
}

void WorkingCopy::Undo() {
  if (history_->InAct() || !history_->CanUndo()) return;
  ApplyStep(history_->StepBack(), false);
}

void WorkingCopy::Redo() {
  if (history_->InAct() || !history_->CanRedo()) return;
  ApplyStep(history_->StepForward(), true);
}

void WorkingCopy::ApplyStep(const EditStep& step, bool forward) {
  // Values are set directly, so that the step is not recorded again.
  for (const CellChange& c : step.Cells)
    MutableGrid(c.Grid).SetCell(c.Row, c.Column, forward ? c.New : c.Old);
  for (const ControlChange& c : step.Controls) controls_[c.Index] = forward ? c.New : c.Old;
  for (const CheckLineChange& c : step.CheckLines)
    checkList_[std::size_t(c.Line)].Checked = forward ? c.New : c.Old;
  if (!step.Bytes.empty()) {
    if (storeBase_.empty()) storeBase_.assign(image_.Bytes.begin(), image_.Bytes.end());
    for (const ByteChange& b : step.Bytes) storeBase_[b.Offset] = forward ? b.New : b.Old;
  }
  for (const CurrentCellChange& c : step.CurrentCells) {
    if (forward) {
      MutableGrid(c.Grid).SetCurrent(c.NewRow, c.NewColumn);
    } else {
      MutableGrid(c.Grid).SetCurrent(c.OldRow, c.OldColumn);
    }
  }

  // A step over many cells tells each table once.
  constexpr std::size_t kCellsToldOneByOne = 32;
  if (step.Cells.size() > kCellsToldOneByOne) {
    for (GridId id : kAllGrids) {
      if (std::any_of(step.Cells.begin(), step.Cells.end(),
                      [&](const CellChange& c) { return c.Grid == id; })) {
        NotifyGrid(id);
      }
    }
  } else {
    for (const CellChange& c : step.Cells) NotifyCell(c.Grid, c.Row, c.Column);
  }
  if (!step.Controls.empty() || !step.CheckLines.empty()) NotifyControls();
  for (const CurrentCellChange& c : step.CurrentCells) {
    for (auto* o : std::vector(observers_)) o->CurrentCellChanged(c.Grid);
  }
  // Show the page where the values changed back.
  if (!step.Cells.empty()) {
    SetActivePage(LayoutOf(step.Cells.front().Grid).Page);
  } else if (!step.Controls.empty()) {
    SetActivePage(MainFieldMap()[step.Controls.front().Index].Page);
  } else if (const MainFieldEntry* list = FindMainField("CheckListBox6_1")) {
    SetActivePage(list->Page);
  }
  NotifyHistory();
}

void WorkingCopy::EndTyping() { history_->EndTyping(); }

void WorkingCopy::MarkSaved() {
  history_->MarkSaved();
  NotifyHistory();
}

bool WorkingCopy::IsAtSavePoint() const { return history_->IsAtSavePoint(); }

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
  LoadPendingTables();
  if (!image_.Commit(data, path)) return false;
  LoadPass();
  return true;
}

void WorkingCopy::LoadPass() {
  // The cells and controls are replaced wholesale: no step before this could be undone exactly.
  history_->Clear();
  storeBase_.clear();
  WalkMainFieldMap(
      controls_,
      [&](const MainFieldEntry& entry, ControlValue& value) { LoadControl(image_, entry, value); },
      [&] { LoadCheckList(image_, checkList_); },
      [&](GridId id, const TField& binding) {
        if (RecordLayoutOf(id) == nullptr) return;
        pendingLoads_[std::size_t(id)] = &binding;
        NotifyGrid(id);
      });
  NotifyControls();
  NotifyHistory();
}

CellGrid& WorkingCopy::LoadedGrid(GridId id) const {
  CellGrid& grid = grids_[std::size_t(id)];
  if (const TField* binding = std::exchange(pendingLoads_[std::size_t(id)], nullptr))
    LoadTable(id, image_, labels_, *binding, grid);
  return grid;
}

void WorkingCopy::LoadPendingTables() const {
  for (GridId id : kAllGrids) LoadedGrid(id);
}

void WorkingCopy::StorePass() {
  LoadPendingTables();
  history_->EndTyping();
  if (!storeBase_.empty()) {
    std::copy(storeBase_.begin(), storeBase_.end(), image_.Bytes.begin());
    storeBase_.clear();
  }
  // The pass refreshes name cells from their numbers and changes the image. Both follow from the
  // steps done, so they join the last one: undoing it then gives back the names shown and the
  // bits kept by texts that store nothing (a label the pass does not know) as they were before.
  std::optional<std::vector<CellGrid>> before;
  std::optional<SaveImage> imageBefore;
  if (history_->CanUndo()) {
    before = grids_;
    imageBefore = image_;
  }
  const auto amendLastStep = [&] {
    if (!before) return;
    std::vector<ByteChange> bytes;
    for (std::size_t i = 0; i < image_.Bytes.size(); ++i) {
      if (imageBefore->Bytes[i] != image_.Bytes[i])
        bytes.push_back({i, imageBefore->Bytes[i], image_.Bytes[i]});
    }
    std::vector<CellChange> changes;
    for (GridId id : kAllGrids) {
      const CellGrid& old = (*before)[std::size_t(id)];
      const CellGrid& now = Grid(id);
      const int rows = std::max(old.RowCount(), now.RowCount());
      for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < now.ColumnCount(); ++c) {
          if (old.Cell(r, c) != now.Cell(r, c))
            changes.push_back({id, r, c, old.Cell(r, c), now.Cell(r, c)});
        }
      }
    }
    history_->AmendLastStep(std::move(changes), bytes);
  };
  try {
    StoreAll();
  } catch (...) {
    amendLastStep();
    throw;
  }
  amendLastStep();
}

void WorkingCopy::StoreAll() {
  WalkMainFieldMap(
      controls_,
      [&](const MainFieldEntry& entry, ControlValue& value) {
        try {
          StoreControl(image_, entry, value);
        } catch (ConversionError& e) {
          e.Where().Control = entry.Control;
          throw;
        }
      },
      [&] { StoreCheckList(image_, checkList_); },
      [&](GridId id, const TField& binding) {
        // Rows stored before a failing cell have had their names refreshed already.
        try {
          if (StoreTable(id, image_, labels_, binding, MutableGrid(id))) NotifyGrid(id);
        } catch (ConversionError& e) {
          e.Where().Grid = int(id);
          NotifyGrid(id);
          throw;
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

template <typename Change>
void WorkingCopy::ChangeControl(std::string_view name, bool typing, Change change) {
  const std::size_t index = ControlIndex(name);
  const ControlValue old = controls_[index];
  change(controls_[index]);
  history_->RecordControl(index, old, controls_[index], typing);
  if (!history_->InAct()) NotifyHistory();
}

void WorkingCopy::SetEditText(std::string_view name, std::string text) {
  ChangeControl(name, true, [&](ControlValue& value) { value.Text = std::move(text); });
}

void WorkingCopy::SetChecked(std::string_view name, bool checked) {
  ChangeControl(name, false, [&](ControlValue& value) { value.Checked = checked; });
}

void WorkingCopy::SetItemIndex(std::string_view name, int index) {
  if (index < 0 || index >= ItemCountOf(name)) index = -1;
  ChangeControl(name, false, [&](ControlValue& value) {
    value.ItemIndex = index;
    if (ListRuleOf(name) == ListRule::Scenario)
      value.Text = index < 0 ? "" : std::string(kScenarioItems[std::size_t(index)]);
  });
}

void WorkingCopy::SetComboText(std::string_view name, std::string text) {
  ChangeControl(name, true, [&](ControlValue& value) {
    if (ListRuleOf(name) == ListRule::Scenario) {
      const auto it = std::find(kScenarioItems.begin(), kScenarioItems.end(), text);
      value.ItemIndex = it == kScenarioItems.end() ? -1 : int(it - kScenarioItems.begin());
    }
    value.Text = std::move(text);
  });
}

void WorkingCopy::SetCheckListChecked(int line, bool checked) {
  if (line < 0 || line >= int(checkList_.size())) return;
  CheckListLine& l = checkList_[std::size_t(line)];
  if (l.Header) return;
  const bool old = l.Checked;
  l.Checked = checked;
  history_->RecordCheckLine(line, old, checked);
  if (!history_->InAct()) NotifyHistory();
}

void WorkingCopy::SetCell(GridId grid, int row, int column, std::string text) {
  const std::string old = Grid(grid).Cell(row, column);
  MutableGrid(grid).SetCell(row, column, std::move(text));
  history_->RecordCell(grid, row, column, old, Grid(grid).Cell(row, column));
  NotifyCell(grid, row, column);
  if (!history_->InAct()) NotifyHistory();
}

void WorkingCopy::SetCurrentCell(GridId grid, int row, int column) {
  const GridLayout& layout = LayoutOf(grid);
  if (row < 0 || row >= layout.VisibleRows || column < 0 || column >= int(layout.Columns.size()) ||
      !IsCellSelectable(grid, row, column)) {
    return;
  }
  const CellGrid& cells = Grid(grid);
  history_->RecordCurrentCell(grid, cells.CurrentRow(), cells.CurrentColumn(), row, column);
  MutableGrid(grid).SetCurrent(row, column);
  for (auto* o : std::vector(observers_)) o->CurrentCellChanged(grid);
}

void WorkingCopy::SetActivePage(int page) {
  if (page < 0 || page >= kPageCount || page == activePage_) return;
  activePage_ = page;
  for (auto* o : std::vector(observers_)) o->ActivePageChanged(page);
}

void WorkingCopy::PlanPopupMenuClick(int item) {
  const UserAct act(*this);
  if (activePage_ < 0 || activePage_ > 2) return;
  if (item < 0 || item >= int(kPlanPopupItems.size())) return;
  const GridId id = PlanGridOf(activePage_);
  const int row = Grid(id).CurrentRow();
  if (row < 1) return;
  SetCell(id, row, 1, std::string(kPlanPopupItems[std::size_t(item)].State));
  SetCell(id, row, 2, std::string(kPlanPopupItems[std::size_t(item)].Turn));
}

void WorkingCopy::UnitPopupMenuClick(int item) {
  const UserAct act(*this);
  if (activePage_ < 0 || activePage_ > 2) return;
  if (item < 0 || item >= int(kUnitPopupItems.size())) return;
  const GridId id = UnitGridOf(activePage_);
  const int row = Grid(id).CurrentRow();
  if (row < 1) return;
  SetCell(id, row, 13, std::string(kUnitPopupItems[std::size_t(item)].Text));
}

void WorkingCopy::AreaPopupMenu1Click(int item) {
  const UserAct act(*this);
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
  const UserAct act(*this);
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

void WorkingCopy::NotifyHistory() {
  for (auto* o : std::vector(observers_)) o->HistoryChanged();
}

}  // namespace korvath
