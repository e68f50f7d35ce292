#include "core/shown_names.h"

#include <algorithm>
#include <set>

#include "core/cell_grid.h"
#include "core/edit_history.h"
#include "core/int_conversion.h"
#include "core/table_codecs.h"
#include "core/working_copy.h"

namespace korvath {

namespace {

constexpr std::string_view kFlag = "フラグ";
constexpr std::string_view kSlotHeading = "No";

std::string DescribeCells(const std::vector<CellChange>& cells, const WorkingCopy& copy) {
  const GridId grid = cells.front().Grid;
  std::string text = OnForcePage(LayoutOf(grid).Page, ShownTableName(grid));
  const bool oneTable =
      std::all_of(cells.begin(), cells.end(), [&](const CellChange& c) { return c.Grid == grid; });
  if (!oneTable) return text;
  const auto [low, high] =
      std::minmax_element(cells.begin(), cells.end(),
                          [](const CellChange& a, const CellChange& b) { return a.Row < b.Row; });
  text.append(" ").append(ShownRowName(copy.Grid(grid), grid, low->Row));
  if (high->Row != low->Row)
    text.append("～").append(ShownRowName(copy.Grid(grid), grid, high->Row));
  std::set<int> columns;
  for (const CellChange& c : cells) columns.insert(c.Column);
  std::size_t shown = 0;
  for (int column : columns) {
    if (shown == 2) return text.append("ほか");
    text.append(shown == 0 ? " " : "・").append(ShownColumnName(grid, column));
    ++shown;
  }
  return text;
}

}  // namespace

std::string ShownControlName(const MainFieldEntry& entry) {
  if (const auto grid = GridByName(entry.Control)) return ShownTableName(*grid);
  if (!entry.RowOf.empty()) {
    const MainFieldEntry* row = FindMainField(entry.RowOf);
    if (row != nullptr && !row->Caption.empty()) {
      return std::string(row->Caption)
          .append(" の")
          .append(entry.Caption.empty() ? kFlag : entry.Caption);
    }
  }
  if (entry.Caption.empty()) return std::string(entry.Control);
  if (entry.Group.empty()) return std::string(entry.Caption);
  return std::string(entry.Group).append(" ").append(entry.Caption);
}

std::string ShownTableName(GridId grid) {
  const GridLayout& layout = LayoutOf(grid);
  const MainFieldEntry* entry = FindMainField(layout.Name);
  if (entry == nullptr || entry->Caption.empty())
    return std::string(kPageCaptions[std::size_t(layout.Page)]);
  return std::string(entry->Caption);
}

std::string ShownRowName(const CellGrid& cells, GridId grid, int row) {
  const auto columns = LayoutOf(grid).Columns;
  const RecordLayout* record = RecordLayoutOf(grid);
  const int rowsPerRecord = record != nullptr ? record->RowsPerRecord : 1;
  const int firstRow = row - (row - 1) % rowsPerRecord;
  std::string name = cells.Cell(firstRow, 0);
  if (name.empty()) return IntToStr(row) + "行";
  if (columns.front().Heading == kSlotHeading) name.insert(0, std::string(kSlotHeading) + " ");
  // A record over several rows is named once; its rows by their own number.
  if (rowsPerRecord > 1 && columns.size() > 1) {
    name.append(" ").append(columns[1].Heading).append(" ").append(cells.Cell(row, 1));
  }
  return name;
}

std::string ShownColumnName(GridId grid, int column) {
  const auto columns = LayoutOf(grid).Columns;
  if (column < 0 || column >= int(columns.size())) return IntToStr(column) + "列";
  std::string heading(columns[std::size_t(column)].Heading);
  // A number column is headed "ID"; its name column says what the number is.
  if (const RecordLayout* record = RecordLayoutOf(grid)) {
    for (const RecordField& f : record->Fields) {
      if (f.Column == column && f.NameColumn >= 0 && f.NameColumn < int(columns.size()))
        return std::string(columns[std::size_t(f.NameColumn)].Heading).append(" ").append(heading);
    }
  }
  return heading;
}

std::string ShownLineName(const std::vector<CheckListLine>& lines, int line) {
  if (line >= 0 && line < int(lines.size()) && !lines[std::size_t(line)].Text.empty())
    return lines[std::size_t(line)].Text;
  return IntToStr(line) + "行";
}

std::string OnForcePage(int page, std::string name) {
  if (page != kPageEnemy1 && page != kPageEnemy2) return name;
  return std::string(kPageCaptions[std::size_t(page)]).append(" ").append(name);
}

std::string DescribeStep(const EditStep& step, const WorkingCopy& copy) {
  if (!step.Name.empty()) return step.Name;
  const int kinds =
      int(!step.Cells.empty()) + int(!step.Controls.empty()) + int(!step.CheckLines.empty());
  std::string text;
  if (!step.Cells.empty()) {
    text = DescribeCells(step.Cells, copy);
  } else if (!step.Controls.empty()) {
    const MainFieldEntry& entry = MainFieldMap()[step.Controls.front().Index];
    text = OnForcePage(entry.Page, ShownControlName(entry));
    if (step.Controls.size() > 1) text.append("ほか");
  } else if (!step.CheckLines.empty()) {
    const MainFieldEntry* list = FindMainField("CheckListBox6_1");
    text = list != nullptr ? std::string(list->Caption) : std::string();
    if (step.CheckLines.size() == 1)
      text.append(" ").append(ShownLineName(copy.CheckList(), step.CheckLines.front().Line));
  }
  if (kinds > 1) text.append("ほか");
  return text;
}

}  // namespace korvath
