#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/cell_grid.h"
#include "core/field_maps.h"
#include "core/grid_layout.h"
#include "core/label_list.h"
#include "core/save_image.h"

namespace korvath {

// Told about every change the working copy makes, so that views can follow.
class WorkingCopyObserver {
 public:
  virtual ~WorkingCopyObserver() = default;
  virtual void GridChanged(GridId /*grid*/) {}  // any number of cells
  virtual void CellChanged(GridId /*grid*/, int /*row*/, int /*column*/) {}
  virtual void CurrentCellChanged(GridId /*grid*/) {}
  virtual void ActivePageChanged(int /*page*/) {}
  virtual void ControlsChanged() {}  // values of the bound controls or the check list
  virtual void HistoryChanged() {}   // what undo and redo would do
};

// The value of one bound control (edit box, check box or drop-down list).
struct ControlValue {
  std::string Text;      // edit box text; the typed text of the scenario list
  bool Checked = false;  // check box
  int ItemIndex = -1;    // selected item of a drop-down list, -1 for none
};

// Items of the scenario list ComboBox6_1, in item order.
inline constexpr std::array<std::string_view, 3> kScenarioItems = {"第１部", "第２部", "特別編"};

// One line of the special-plan check list.
struct CheckListLine {
  std::string Text;
  bool Header = false;
  bool Checked = false;
};

class EditHistory;
struct FoundLabels;
struct EditStep;

// Everything the editor holds between Open and Save: the image, the label lists, the cell stores
// of the tables, the values of the bound controls and the check list. Views only read it and
// change it through its operations.
class WorkingCopy {
 public:
  // Builds the six label lists from their files' bytes and sets up every table in start-up
  // order. Throws StartupError ("ファイル読込エラー") on any failure.
  explicit WorkingCopy(const LabelFileBytes& labelFiles);
  // The same, with the six files read from labelDir.
  explicit WorkingCopy(const std::filesystem::path& labelDir);
  // The same, from the files a label folder search read.
  explicit WorkingCopy(const FoundLabels& labels);
  // The same, from lists another copy parsed (its LabelsAsRead()); nothing is read again.
  explicit WorkingCopy(std::shared_ptr<const LabelSet> labels);
  WorkingCopy(const WorkingCopy&) = delete;
  WorkingCopy& operator=(const WorkingCopy&) = delete;
  ~WorkingCopy();

  // One user act: every change made while it lives is one step of the history, named by name or,
  // when that is empty, by what it changed. Nested acts join the outermost one. Changes made
  // outside any act are steps of their own, except that texts typed one after another into one
  // cell, edit box or the scenario list join one step until EndTyping.
  class UserAct {
   public:
    explicit UserAct(WorkingCopy& copy, std::string name = {});
    ~UserAct();
    UserAct(const UserAct&) = delete;
    UserAct& operator=(const UserAct&) = delete;

   private:
    WorkingCopy& copy_;
  };

  void AddObserver(WorkingCopyObserver* observer);
  void RemoveObserver(WorkingCopyObserver* observer);

  const SaveImage& Image() const { return image_; }
  const LabelSet& Labels() const { return labels_; }
  // The lists as parsed, before set-up cut any names: what a second copy of the same labels (a
  // comparison, a backup's differences) is built from.
  const std::shared_ptr<const LabelSet>& LabelsAsRead() const { return labelsAsRead_; }
  // Where the labels were read from, so that a second copy can read the same ones; empty when
  // they came from memory.
  const std::filesystem::path& LabelDir() const { return labelDir_; }

  // Undo and redo change cells, controls and the check list only; the next Save writes them.
  // Open clears the history.
  const EditHistory& History() const { return *history_; }
  bool CanUndo() const;
  bool CanRedo() const;
  std::string UndoDescription() const;  // empty when there is nothing to undo
  std::string RedoDescription() const;
  void Undo();
  void Redo();
  // The typed text of a cell, an edit box or the scenario list is committed (Enter, focus leaving
  // it, the cell editor closing).
  void EndTyping();
  // The file now holds the working copy; undoing or redoing back to here is exact.
  void MarkSaved();
  bool IsAtSavePoint() const;

  // Commits a whole file read elsewhere into the image and runs the load pass. Returns false,
  // changing nothing, when the data are larger than the image.
  bool Open(std::span<const std::uint8_t> data, const std::string& path);
  void LoadPass();
  // Throws ConversionError at the first text that is not an integer; entries before it stay
  // stored in the image.
  void StorePass();

  // Bound controls, by control name. Unknown names throw std::out_of_range.
  const ControlValue& Control(std::string_view name) const;
  void SetEditText(std::string_view name, std::string text);
  void SetChecked(std::string_view name, bool checked);
  void SetItemIndex(std::string_view name, int index);
  // The scenario list's typed text; sets the item of an exactly equal caption, or none.
  void SetComboText(std::string_view name, std::string text);

  const std::vector<CheckListLine>& CheckList() const { return checkList_; }
  void SetCheckListChecked(int line, bool checked);  // header lines and bad lines are ignored

  // A table's cells are read from the image when first asked for after Open, so that opening a
  // save costs what the first page shows; every value is the one the load pass gives.
  const CellGrid& Grid(GridId grid) const { return LoadedGrid(grid); }
  void SetCell(GridId grid, int row, int column, std::string text);
  void SetCurrentCell(GridId grid, int row, int column);

  int ActivePage() const { return activePage_; }
  void SetActivePage(int page);

  // Popup items: write into the current row of the table on the active page.
  void PlanPopupMenuClick(int item);
  void UnitPopupMenuClick(int item);
  void AreaPopupMenu1Click(int item);
  void AreaPopupMenu2Click(int item);  // may throw ConversionError through ApplyFactionLabel
  void ApplyFactionLabel(int column, int row, const std::string& label);

  // The weapons list's maximum durability, maximum supplies and capacity of unit type t;
  // -1 for a text that is not an integer or a t outside the unit list.
  int32_t WeaponMaxDurability(int t) const;
  int32_t WeaponMaxSupplies(int t) const;
  int32_t WeaponCapacity(int t) const;

 private:
  CellGrid& MutableGrid(GridId grid) { return LoadedGrid(grid); }
  CellGrid& LoadedGrid(GridId grid) const;
  // Before the image changes: the tables not read yet are read from it as it is.
  void LoadPendingTables() const;
  void NotifyGrid(GridId grid);
  void NotifyCell(GridId grid, int row, int column);
  void NotifyControls();
  void NotifyHistory();
  ControlValue& MutableControl(std::string_view name);
  // Runs change on a control and records its value before and after.
  template <typename Change>
  void ChangeControl(std::string_view name, bool typing, Change change);
  void ApplyStep(const EditStep& step, bool forward);
  void StoreAll();

  SaveImage image_;
  std::filesystem::path labelDir_;
  std::shared_ptr<const LabelSet> labelsAsRead_;
  LabelSet labels_;
  // Filled in on first use (Grid() is const to its callers).
  mutable std::vector<CellGrid> grids_;
  // The binding of each table whose cells the load pass has not read into yet.
  mutable std::array<const TField*, kGridCount> pendingLoads_{};
  std::vector<ControlValue> controls_;  // one per main field map entry, in map order
  std::vector<CheckListLine> checkList_;
  int activePage_ = 0;
  std::vector<WorkingCopyObserver*> observers_;
  std::unique_ptr<EditHistory> history_;
  // The bytes the next store pass starts from once undo or redo has crossed a Save; the image
  // itself keeps what the file holds until then.
  std::vector<std::uint8_t> storeBase_;
};

}  // namespace korvath
