#include "core/int_conversion.h"
#include "core/table_codecs.h"

namespace korvath {

namespace {

constexpr CodeText kMoveCodes[] = {
    {0, "", 0}, {1, "移動", 1}, {2, "突入", 2}, {3, "打上", 3}, {4, "？？", 4}, {5, "進入", 5},
};
constexpr CodeTexts kMoveCodeTexts{kMoveCodes, "?"};

using enum CellShape;

// In the order the fields are loaded and stored. The 85 bits at offsets 34-113, 127-129, 139
// and 154 are not interpreted and are never written.
constexpr RecordField kUnitFields[] = {
    {0, 9, 1, NumberAndName, 2, NameList::Unit},    // unit type
    {155, 10, 3, Number},                           // durability
    {165, 10, 4, Number},                           // supplies
    {140, 7, 5, Number},                            // fatigue
    {147, 7, 6, Number},                            // morale
    {9, 8, 7, NumberAndName, 8, NameList::Pilot},   // pilot
    {17, 7, 9, NumberAndName, 10, NameList::Area},  // current area
    {130, 1, 11, Number},                           // carried
    {131, 8, 12, Number},                           // carrier slot
    {24, 3, 13, Label, -1, NameList::None, &kMoveCodeTexts},
    {27, 7, 14, NumberAndName, 15, NameList::Area},  // destination
    {114, 1, 16, Number},                            // in battle
    {115, 5, 17, Number},                            // X
    {120, 5, 18, Number},                            // Y
    {125, 2, 19, Number},                            // stack
};
constexpr RecordLayout kUnitRecord{kUnitFields, kUnitRecords, 1};

}  // namespace

void SetUpUnitTable(CellGrid& grid, GridId id) {
  SetUpHeadings(grid, id);
  for (int n = 0; n < kUnitRecords; ++n) grid.SetCell(n + 1, 0, IntToStr(n));
}

const RecordLayout& UnitRecordLayout() { return kUnitRecord; }

}  // namespace korvath
