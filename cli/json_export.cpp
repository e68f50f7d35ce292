#include "cli/json_export.h"

#include <algorithm>

#include "core/field_maps.h"

namespace korvath::cli {

namespace {

using Json = nlohmann::ordered_json;

Json ControlsJson(const WorkingCopy& copy) {
  Json controls = Json::object();
  for (const MainFieldEntry& entry : MainFieldMap()) {
    const std::string name(entry.Control);
    switch (entry.Kind) {
      case ControlKind::Edit:
        controls[name] = copy.Control(entry.Control).Text;
        break;
      case ControlKind::CheckBox:
        controls[name] = copy.Control(entry.Control).Checked;
        break;
      case ControlKind::ComboBox:
        if (ListRuleOf(entry.Control) != ListRule::None)
          controls[name] = copy.Control(entry.Control).ItemIndex;
        break;
      case ControlKind::CheckList:
      case ControlKind::StringGrid:
        break;
    }
  }
  return controls;
}

Json CheckListJson(const WorkingCopy& copy) {
  Json lines = Json::array();
  for (const CheckListLine& line : copy.CheckList())
    lines.push_back({{"text", line.Text}, {"header", line.Header}, {"checked", line.Checked}});
  return lines;
}

Json GridJson(const WorkingCopy& copy, GridId grid) {
  const CellGrid& cells = copy.Grid(grid);
  const int rows = GridRowCount(copy, grid);
  Json out = Json::array();
  for (int r = 0; r < rows; ++r) {
    Json row = Json::array();
    for (int c = 0; c < cells.ColumnCount(); ++c) row.push_back(cells.Cell(r, c));
    out.push_back(std::move(row));
  }
  return out;
}

}  // namespace

bool IsGridEditable(GridId grid) { return grid != GridId::StringGrid7_1; }

int GridRowCount(const WorkingCopy& copy, GridId grid) {
  const GridLayout& layout = LayoutOf(grid);
  // A bound table has exactly its records; name lists longer than that may have grown the
  // store, but those rows belong to no record. The weapons list shows every unit type.
  if (FindMainField(layout.Name) != nullptr) return layout.StoredRows;
  return std::max(layout.StoredRows, copy.Grid(grid).RowCount());
}

nlohmann::ordered_json ExportJson(const WorkingCopy& copy) {
  Json grids = Json::object();
  for (GridId grid : kAllGrids) grids[std::string(LayoutOf(grid).Name)] = GridJson(copy, grid);
  Json out = Json::object();
  out["path"] = copy.Image().Path;
  out["length"] = copy.Image().Length;
  out["controls"] = ControlsJson(copy);
  out["checklist"] = CheckListJson(copy);
  out["grids"] = std::move(grids);
  return out;
}

}  // namespace korvath::cli
