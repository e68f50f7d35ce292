#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/grid_layout.h"

namespace korvath {

// Where the controls of the main window's pages sit. Both editions read these tables, so a
// position changes in one place. Rectangles are in page pixels for a page of kPageDesignSize.

struct LayoutSize {
  int Width;
  int Height;
};
struct LayoutPoint {
  int X;
  int Y;
};
struct LayoutRect {
  int X;
  int Y;
  int Width;
  int Height;
};

inline constexpr LayoutSize kPageDesignSize = {745, 433};

// Which edges of a control keep their distance to the same edge of the page.
enum Anchor : int {
  kAnchorLeft = 1,
  kAnchorTop = 2,
  kAnchorRight = 4,
  kAnchorBottom = 8,
  kAnchorTopLeft = kAnchorLeft | kAnchorTop,
  kAnchorAll = kAnchorLeft | kAnchorTop | kAnchorRight | kAnchorBottom,
};

// A table and the label that names it (the caption of its map entry, if it has one).
struct TablePlacement {
  LayoutRect Table;
  int Anchors;
  LayoutPoint Label;
};

// The two tables of a force page.
inline constexpr TablePlacement kPlanTable = {
    {432, 24, 305, 193}, kAnchorLeft | kAnchorTop | kAnchorRight, {440, 8}};
inline constexpr TablePlacement kUnitTable = {{8, 224, 729, 201}, kAnchorAll, {8, 208}};

// The tables of the other pages.
struct PageTable {
  GridId Grid;
  TablePlacement Place;
};
inline constexpr std::array<PageTable, 4> kPageTables = {{
    {GridId::StringGrid4_1, {{8, 8, 729, 417}, kAnchorAll, {}}},
    {GridId::StringGrid5_1, {{8, 24, 333, 401}, kAnchorLeft | kAnchorTop | kAnchorBottom, {8, 8}}},
    {GridId::StringGrid5_2, {{349, 24, 388, 401}, kAnchorAll, {349, 8}}},
    {GridId::StringGrid7_1, {{8, 8, 729, 417}, kAnchorAll, {}}},
}};

// A bound control in a value panel, by grid row and column; an edit box or list has its caption
// as a label in the column before it. '#' in a name stands for the force number, 1 to 3.
struct PanelCell {
  std::string_view Control;
  int Row;
  int Column;
  int Width;  // 0: the control's own width
  int Span = 1;
};

inline constexpr int kMoneyWidth = 64;
inline constexpr int kValueWidth = 36;
inline constexpr int kListWidth = 112;
inline constexpr int kControlHeight = 20;

// Columns: 0 caption, 1 value, 2 flag, 3 gap, 4 caption, 5 value, 6 "グラフ" or flag,
// 7 graph value, 8 flag. The enemy pages have no flags and no rows for the two enemies.
inline constexpr int kForcePanelGap = 3;
inline constexpr std::array<PanelCell, 30> kForcePanel = {{
    {"ComboBox#_1", 0, 1, kListWidth, 2},
    {"Edit#_1", 1, 1, kMoneyWidth},
    {"Edit#_2", 2, 1, kMoneyWidth},
    {"Edit#_3", 3, 1, kValueWidth},
    {"CheckBox#_1", 3, 2, 0},
    {"Edit#_15", 4, 1, kValueWidth},
    {"CheckBox#_10", 4, 2, 0},
    {"Edit#_16", 5, 1, kValueWidth},
    {"CheckBox#_11", 5, 2, 0},
    {"Edit#_17", 6, 1, kValueWidth},
    {"CheckBox#_5", 6, 2, 0},
    {"Edit#_18", 7, 1, kValueWidth},
    {"CheckBox#_6", 7, 2, 0},
    {"Edit#_4", 0, 5, kValueWidth},
    {"Edit#_8", 0, 7, kValueWidth},
    {"CheckBox#_2", 0, 8, 0},
    {"Edit#_5", 1, 5, kValueWidth},
    {"Edit#_9", 1, 7, kValueWidth},
    {"CheckBox#_3", 1, 8, 0},
    {"Edit#_6", 2, 5, kValueWidth},
    {"Edit#_10", 2, 7, kValueWidth},
    {"CheckBox#_4", 2, 8, 0},
    {"Edit#_7", 3, 5, kValueWidth},
    {"Edit#_11", 3, 7, kValueWidth},
    {"Edit#_12", 5, 5, kValueWidth},
    {"CheckBox#_7", 5, 6, 0},
    {"Edit#_13", 6, 5, kValueWidth},
    {"CheckBox#_8", 6, 6, 0},
    {"Edit#_14", 7, 5, kValueWidth},
    {"CheckBox#_9", 7, 6, 0},
}};
inline constexpr LayoutRect kForcePanelRect = {8, 8, 416, 196};

inline constexpr std::array<PanelCell, 2> kSpecialPanel = {{
    {"ComboBox6_1", 0, 1, 100},
    {"Edit6_1", 1, 1, kValueWidth},
}};
inline constexpr LayoutRect kSpecialPanelRect = {8, 8, 329, 48};

// A group of the special page's area check boxes CheckBox6_<First> to CheckBox6_<Last>; its caption
// is the field map's (GroupCaption).
struct CheckGroup {
  int First;
  int Last;
  int Columns;
  LayoutRect Box;
};
inline constexpr std::array<CheckGroup, 2> kAreaGroups = {{
    {1, 5, 3, {8, 64, 329, 76}},
    {10, 28, 3, {345, 8, 392, 196}},
}};

inline constexpr std::string_view kCheckList = "CheckListBox6_1";
inline constexpr LayoutRect kCheckListRect = {8, 168, 329, 257};
inline constexpr LayoutPoint kCheckListLabel = {8, 152};
inline constexpr int kCheckListLineHeight = 12;

// The caption of group's box: the group its first check box has in the main field map.
std::string_view GroupCaption(const CheckGroup& group);

// The control name of a panel cell on the page of force 0..2: '#' becomes the force number.
std::string PanelControlName(std::string_view pattern, int force);

}  // namespace korvath
