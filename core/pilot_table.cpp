#include "core/table_codecs.h"

namespace korvath {

namespace {

constexpr CodeText kAffiliations[] = {{0, "0 自軍", 0}, {1, "1 敵１", 1}, {2, "2 敵２", 2}};
constexpr CodeTexts kAffiliationLabels{kAffiliations, ""};

constexpr CodeText kPilotStates[] = {
    {0, "0 通常", 0},   {1, "1 負傷中", 1},   {2, "2 未登場", 2},
    {3, "3 任務中", 3}, {4, "4 行方不明", 4},
};
constexpr CodeTexts kPilotStateLabels{kPilotStates, ""};

using enum CellShape;

// In the order the fields are loaded and stored. The two bits at offset 40 are not interpreted
// and never written; column 14 cannot be typed into but carries its value back.
constexpr RecordField kPilotFields[] = {
    {0, 7, 1, NumberAndName, 2, NameList::Area},
    {12, 1, 3, Number},  // boarded
    {7, 2, 4, NumberAndLabel, 5, NameList::None, &kAffiliationLabels},
    {9, 3, 6, NumberAndLabel, 7, NameList::None, &kPilotStateLabels},
    {17, 4, 8, NumberAndName, 9, NameList::Class},
    {21, 7, 10, Number},   // merit
    {42, 10, 11, Number},  // experience
    {28, 7, 12, Number},
    {35, 5, 13, Number},  // turn of return from injury
    {13, 4, 14, Number},
};
constexpr RecordLayout kPilotRecord{kPilotFields, kPilotRecords, 1};

}  // namespace

void SetUpPilotTable(CellGrid& grid, const LabelList& pilots) {
  SetUpHeadings(grid, GridId::StringGrid4_1);
  for (int i = 0; i < pilots.Count(); ++i) grid.SetCell(i + 1, 0, pilots.Entry(i));
}

const RecordLayout& PilotRecordLayout() { return kPilotRecord; }

}  // namespace korvath
