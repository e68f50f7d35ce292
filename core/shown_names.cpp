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

using unit_edit_layout::kControls;

// The label on a control's line, to its left, nearest first: labels sit 4 pixels below the top
// of the box they name.
const UnitEditControl* LabelBeside(const UnitEditControl& control) {
  const UnitEditControl* best = nullptr;
  for (const UnitEditControl& l : kControls) {
    if (l.Kind != UnitEditKind::Label || l.Parent != control.Parent) continue;
    if (l.Top != control.Top + 4 || l.Left >= control.Left) continue;
    if (best == nullptr || l.Left > best->Left) best = &l;
  }
  return best;
}

std::string GroupCaption(UnitEditParent parent) {
  const auto group = std::string("GroupBox") + char('0' + int(parent));
  for (const UnitEditControl& c : kControls) {
    if (c.Name == group) return std::string(c.Caption);
  }
  return {};
}

// A label's text, with its group's caption where another label of the window reads the same.
std::string LabelName(const UnitEditControl& label) {
  const auto same =
      std::count_if(kControls.begin(), kControls.end(), [&](const UnitEditControl& c) {
        return c.Kind == UnitEditKind::Label && c.Caption == label.Caption;
      });
  if (same < 2) return std::string(label.Caption);
  return GroupCaption(label.Parent).append("の").append(label.Caption);
}

// The list a search box or button fills: the next list of its group.
const UnitEditControl* SearchedList(const UnitEditControl& control) {
  for (const auto* c = &control + 1; c != kControls.data() + kControls.size(); ++c) {
    if (c->Parent != control.Parent) break;
    if (c->Kind == UnitEditKind::ComboBox) return c;
  }
  return nullptr;
}

}  // namespace

std::string ShownUnitEditName(const UnitEditControl& control, int part) {
  constexpr std::string_view kSearch = "検索";
  switch (control.Kind) {
    case UnitEditKind::Label:
    case UnitEditKind::Bevel:
      return {};
    case UnitEditKind::GroupBox:
    case UnitEditKind::CheckBox:
      return std::string(control.Caption);
    case UnitEditKind::UpDown: {
      // The arrows step the number the label beside them names.
      const UnitEditControl* label = LabelBeside(control);
      const std::string number = label != nullptr ? LabelName(*label) : std::string(control.Name);
      if (part == 1) return number + "を増やす";
      if (part == 2) return number + "を減らす";
      return number + "の増減";
    }
    case UnitEditKind::Button: {
      if (control.Caption == kSearch) {
        const UnitEditControl* list = SearchedList(control);
        return (list != nullptr ? ShownUnitEditName(*list) : std::string()).append("を検索");
      }
      const UnitEditControl* label = LabelBeside(control);
      if (label == nullptr) return std::string(control.Caption);
      return LabelName(*label).append("を").append(control.Caption).append("に");
    }
    case UnitEditKind::Edit:
    case UnitEditKind::ComboBox: {
      if (const UnitEditControl* label = LabelBeside(control)) return LabelName(*label);
      if (const UnitEditControl* list = SearchedList(control))
        return ShownUnitEditName(*list).append("の検索文字");
      return std::string(control.Name);
    }
  }
  return {};
}

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
