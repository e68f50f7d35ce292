#pragma once

#include <string>
#include <vector>

#include "core/field_maps.h"
#include "core/grid_layout.h"
#include "core/unit_edit_layout.h"

namespace korvath {

class CellGrid;
class WorkingCopy;
struct CheckListLine;
struct EditStep;

// Names of values as the window shows them, so that the user can find what a caption, a
// comparison or the command line speaks of. Nothing here names a widget by its internal name
// unless the window shows nothing better.

// A bound control: its caption; a group's check box by group and caption ("エリア存在 白の塔");
// a control known by its row by that row ("基礎Lv のフラグ", "基礎Lv のグラフ"); a table as
// ShownTableName.
std::string ShownControlName(const MainFieldEntry& entry);
// A table by its caption, or by its page where it has none ("パイロット").
std::string ShownTableName(GridId grid);
// A row by what the user reads in it: a unit slot by its No ("No 4"), a dock by its area and
// dock number, other rows by the name in their first column; "5行" where that is empty.
std::string ShownRowName(const CellGrid& cells, GridId grid, int row);
// A column by its heading; a number column by the heading of its name too ("パイロット ID").
std::string ShownColumnName(GridId grid, int column);
// A line of the special-plan check list by its text.
std::string ShownLineName(const std::vector<CheckListLine>& lines, int line);
// The force pages repeat their captions, so a name on an enemy page is prefixed by the page.
std::string OnForcePage(int page, std::string name);

// A unit editor control by what stands beside it: a box by its label ("耐久"), a label shared
// by two groups with its group ("兵器の名前"), a search box and button by the list they search
// ("兵器の名前を検索"), a Max button by its row. Part 1 and 2 of the spin control are its up and
// down arrows. Labels and lines have no name of their own.
std::string ShownUnitEditName(const UnitEditControl& control, int part = 0);

// The menu text of a history step: its name, or where it changed values
// ("部隊データ No 4 耐久").
std::string DescribeStep(const EditStep& step, const WorkingCopy& copy);

}  // namespace korvath
