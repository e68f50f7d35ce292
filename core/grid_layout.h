#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace korvath {

enum class GridId : int {
  StringGrid1_1,  // plan tables of the three forces
  StringGrid2_1,
  StringGrid3_1,
  StringGrid1_2,  // unit tables of the three forces
  StringGrid2_2,
  StringGrid3_2,
  StringGrid4_1,  // pilots
  StringGrid5_1,  // production docks
  StringGrid5_2,  // area control
  StringGrid7_1,  // weapons list
};
inline constexpr int kGridCount = 10;
inline constexpr std::array<GridId, kGridCount> kAllGrids = {
    GridId::StringGrid1_1, GridId::StringGrid2_1, GridId::StringGrid3_1, GridId::StringGrid1_2,
    GridId::StringGrid2_2, GridId::StringGrid3_2, GridId::StringGrid4_1, GridId::StringGrid5_1,
    GridId::StringGrid5_2, GridId::StringGrid7_1};

// Records of the bound tables. Row r (from 1) shows record r - 1; a dock record spans one row
// per dock.
inline constexpr int kPlanRecords = 265;
inline constexpr int kUnitRecords = 200;
inline constexpr int kPilotRecords = 200;
inline constexpr int kDockRecords = 19;
inline constexpr int kDocksPerArea = 8;
inline constexpr int kAreaRecords = 78;

struct ColumnSpec {
  std::string_view Heading;
  int Width;
  bool Editable;  // in-place editing is switched on when this column is selected
};

struct GridLayout {
  GridId Id;
  std::string_view Name;  // the control's name, e.g. "StringGrid1_2"
  int Page;
  int VisibleRows;   // rows of the table on screen, the heading row included
  int StoredRows;    // rows the cell store holds at least, the heading row included
  int FixedColumns;  // leading columns that stay in place and cannot be edited
  std::span<const ColumnSpec> Columns;
  int InitialRow;  // the current cell after set-up
  int InitialColumn;
  bool RangeSelection;   // the user may select ranges of cells, not just one
  bool OpensUnitEditor;  // a double-click shows the unit editor
};

const GridLayout& LayoutOf(GridId grid);
std::optional<GridId> GridByName(std::string_view name);
GridId PlanGridOf(int force);  // force 0..2
GridId UnitGridOf(int force);
// The force (0..2) of a plan or unit table, -1 for the others.
int ForceOfGrid(GridId grid);

// Selection and editing rules of the tables; row 0 is the heading row.
bool IsCellSelectable(GridId grid, int row, int column);
bool IsCellEditable(GridId grid, int row, int column);

// The texts the popup menu of a cell writes into it, in menu order; none for a cell without one.
std::vector<std::string_view> PopupTexts(GridId grid, int row, int column);
// Whether a user can give a cell this text: typed into an editable cell of a row the table shows,
// or chosen from the cell's popup menu. Edits from outside the windows go by the same rule.
bool AcceptsCellText(GridId grid, int row, int column, std::string_view text);

// The most a cell editor or an edit box holds, in UTF-16 code units, as the windows' line edits.
inline constexpr std::size_t kMaxTypedLength = 32767;
// The length of a UTF-8 text in UTF-16 code units.
std::size_t Utf16Length(std::string_view utf8);

// Which popup a right-click on a cell opens once a file is loaded.
enum class PopupKind { None, Plan, Unit, AreaBattle, AreaFaction };
PopupKind PopupAt(GridId grid, int row, int column);

struct PlanPopupItem {
  std::string_view Caption;
  std::string_view State;
  std::string_view Turn;
};
inline constexpr std::array<PlanPopupItem, 6> kPlanPopupItems = {{
    {"未提案", "", "0"},
    {"次ターン提案", "次提案", "0"},
    {"NEW", "NEW", "0"},
    {"資金１", "資金１", "1"},
    {"資金２", "資金２", "1"},
    {"END", "END", "0"},
}};

struct LabelPopupItem {
  std::string_view Caption;
  std::string_view Text;  // what the item writes
};
inline constexpr std::array<LabelPopupItem, 5> kUnitPopupItems = {{
    {"無し", ""},
    {"移動", "移動"},
    {"突入", "突入"},
    {"打上", "打上"},
    {"進入", "進入"},
}};
inline constexpr std::array<LabelPopupItem, 2> kAreaBattlePopupItems = {{
    {"平常", "平常"},
    {"交戦中", "交戦中"},
}};
inline constexpr std::array<LabelPopupItem, 4> kAreaFactionPopupItems = {{
    {"自軍", "自"},
    {"敵１", "敵１"},
    {"敵２", "敵２"},
    {"中立／無し", "中/無"},
}};

}  // namespace korvath
