#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/grid_layout.h"

namespace korvath {

class WorkingCopy;

inline constexpr int kUnitSlots = 200;

inline constexpr std::string_view kNoneEntry = "無し";
inline constexpr std::array<std::string_view, 3> kAffiliationItems = {"0 自軍", "1 敵１", "2 敵２"};
inline constexpr std::array<std::string_view, 5> kPilotStateItems = {
    "0 通常", "1 負傷中", "2 未登場", "3 任務中", "4 行方不明"};
inline constexpr std::array<std::string_view, 5> kMoveMethodItems = {"無し", "移動", "突入", "打上",
                                                                     "進入"};

// "None" markers written into the unit table.
inline constexpr std::string_view kNoUnitType = "511";
inline constexpr std::string_view kNoPilot = "255";
inline constexpr std::string_view kNoArea = "127";

// Columns of the unit table the editor reads and writes.
namespace unit_col {
inline constexpr int kType = 1, kTypeName = 2, kDurability = 3, kSupplies = 4, kFatigue = 5,
                     kMorale = 6, kPilot = 7, kPilotName = 8, kArea = 9, kAreaName = 10,
                     kCarried = 11, kCarrier = 12, kMove = 13, kDestination = 14,
                     kDestinationName = 15;
}
// Columns of the pilot table.
namespace pilot_col {
inline constexpr int kArea = 1, kAreaName = 2, kBoarded = 3, kAffiliation = 4, kAffiliationText = 5,
                     kState = 6, kStateText = 7, kRank = 8, kRankText = 9, kMerit = 10,
                     kExperience = 11;
}

// One editable drop-down list: its entries, the selected entry (-1 for none) and the text it
// shows, which may be a typed text that matches no entry.
struct ComboBoxState {
  std::vector<std::string> Items;
  int ItemIndex = -1;
  std::string Text;

  // Selects entry index and shows its text; an index outside the entries clears both.
  void Select(int index);
  // Shows text with no entry selected.
  void ShowText(std::string text);
  // The first entry equal to text, -1 when none is.
  int IndexOf(std::string_view text) const;
  // Selects the first entry equal to text, or shows text with no selection.
  void SelectOrShow(std::string text);
};

// The integer before the first blank of text; -1 without a blank or when that part is no integer.
int LeadingNumber(std::string_view text);

// Whether entry holds searchText as a run of whole characters; an empty search text is found
// nowhere.
bool ContainsSearchText(std::string_view entry, std::string_view searchText);

// Moves the selection to the next entry after the current one (wrapping past the end) that
// contains searchText. Returns whether the selection moved.
bool SearchList(ComboBoxState& list, std::string_view searchText);

// The unit table of force 0..2, nothing for any other value.
std::optional<GridId> UnitTableOf(int force);

// The state of every control of the unit editor window and the behaviour behind its events. It
// reads and writes nothing but cells, the current cells and the active page of the working copy.
class UnitEditorModel {
 public:
  // The edits, lists and check boxes, numbered in the order the window lays them out;
  // kDurability..kMorale follow the unit table's columns.
  enum Edit {
    kUnitNumber = 1,
    kTypeSearch,
    kDurability,
    kSupplies,
    kFatigue,
    kMorale,
    kCarrierSearch,
    kPilotSearch,
    kMerit,
    kExperience,
    kAreaSearch,
    kDestinationSearch
  };
  enum List {
    kUnitType = 1,
    kCarrier,
    kPilot,
    kAffiliation,
    kState,
    kRank,
    kArea,
    kDestination,
    kMove
  };
  enum Check { kLinked = 1, kCarriersOnly, kSameArea, kSameForce, kAvailable, kUnassigned };
  static constexpr int kEditCount = kDestinationSearch;
  static constexpr int kComboCount = kMove;
  static constexpr int kCheckBoxCount = kUnassigned;

  // Window creation: fills the lists whose entries never change.
  explicit UnitEditorModel(WorkingCopy& workingCopy);

  int TabIndex() const { return tabIndex_; }
  const std::string& EditText(int edit) const { return edits_.at(std::size_t(edit - 1)); }
  const ComboBoxState& Combo(int combo) const { return combos_.at(std::size_t(combo - 1)); }
  bool Checked(int checkBox) const { return checks_.at(std::size_t(checkBox - 1)); }
  bool SpinBound() const { return spinBound_; }
  int SpinPosition() const { return spinPosition_; }
  // The unit number as a number, -1 when it is none.
  int UnitNumber() const;

  // Events as the window delivers them.
  // The window became active: shows the current unit of the active page.
  void Activate();
  // The tables changed under the editor (undo, redo): shows the main window's unit while its
  // page is a force's, else the editor's own unit again; the page stays.
  void Refresh();
  void SelectForce(int tab);                     // the user picked another tab
  void SetUnitNumberText(std::string text);      // shows that unit when the text changes
  void StepUnitNumber(int step);                 // +1 up, -1 down
  void SetEditText(int edit, std::string text);  // typing; the unit number goes through
                                                 // SetUnitNumberText
  void ChooseEntry(int combo, int index);        // the user's choice from a list
  void TypeText(int combo, std::string text);    // the user's typing into a list
  void ClickCheckBox(int checkBox, bool checked);
  // Each search selects the next entry of its list holding its search text.
  void SearchUnitType();  // and fills to the maximum when linked
  void SearchCarrier();
  void SearchPilot();  // and shows that pilot
  void SearchArea();
  void SearchDestination();
  void FillMaxDurability();
  void FillMaxSupplies();
  // Writes the unit and its pilot to the tables. The failing check's message, or nothing when
  // the unit was committed.
  std::optional<std::string> Commit();

  // Operations the events are made of.
  void ShowUnit();
  void ShowCarrierLocation();  // the area of the unit, or of the carrier chosen
  void ShowChosenPilot();
  void LinkedFill();
  void ShowWeaponGroup();
  void ShowPilotGroup();
  void ShowAreaGroup();
  void ShowPilotDetails(int pilot);
  void ShowLocation(int slot);
  void FillCarrierList();
  void FillPilotList();
  std::optional<std::string> ValidateInput();
  void CommitUnit();
  void CommitPilot();

  std::string CarrierEntry(int slot, int unitType) const;
  // Where a unit of the current force stands: its own area, or its carrier's; -1 for none.
  int LocationOf(int slot) const;

 private:
  GridId Table() const;
  const std::string& UnitCell(int slot, int column) const;
  int UnitInt(int slot, int column, int fallback = -1) const;
  const std::string& PilotCell(int pilot, int column) const;
  int UnitTypeCount() const;
  int PilotCount() const;
  int AreaCount() const;
  ComboBoxState& MutableCombo(int combo) { return combos_.at(std::size_t(combo - 1)); }
  std::string& MutableEdit(int edit) { return edits_.at(std::size_t(edit - 1)); }
  void SetUnitNumber(std::string text);
  void ListChanged(int combo);

  WorkingCopy& wc_;
  int tabIndex_ = 0;
  std::array<std::string, kEditCount> edits_;
  std::array<ComboBoxState, kComboCount> combos_;
  std::array<bool, kCheckBoxCount> checks_ = {true, true, false, true, true, false};
  bool spinBound_ = false;
  int spinPosition_ = 0;
};

}  // namespace korvath
