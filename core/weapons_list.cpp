#include "core/int_conversion.h"
#include "core/table_codecs.h"

namespace korvath {

namespace {
constexpr int kPropertyColumns = 4;  // kind, max durability, max supplies, capacity
}

void SetUpWeaponsList(CellGrid& grid, LabelList& units) {
  SetUpHeadings(grid, GridId::StringGrid7_1);
  for (int t = 0; t < units.Count(); ++t) {
    const int row = t + 1;
    std::string rest = units.CutToName(t);
    grid.SetCell(row, 0, units.Entry(t));
    // Once the TABs run out, every remaining column repeats what is left of the line: a line
    // of three fields shows its third in columns 2 to 4, and one without a TAB shows the whole
    // line in all four. Existing unit files rely on this.
    for (int c = 1; c <= kPropertyColumns; ++c) {
      const auto tab = rest.find('\t');
      if (tab == std::string::npos) {
        grid.SetCell(row, c, rest);
      } else {
        grid.SetCell(row, c, rest.substr(0, tab));
        rest.erase(0, tab + 1);
      }
    }
  }
}

int32_t WeaponLookup(const CellGrid& grid, const LabelList& units, int t, int column) {
  if (t < 0 || t >= units.Count()) return -1;
  return StrToIntDef(grid.Cell(t + 1, column), -1);
}

}  // namespace korvath
