#pragma once

// Internal to core: the record layouts of the bound tables, the rules of the bound controls and
// the code that moves values between the save image and the cell texts. WorkingCopy is the only
// caller that changes data; it owns the data and tells its observers what changed. The CLI's
// field listing only reads the layouts.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/cell_grid.h"
#include "core/field_maps.h"
#include "core/grid_layout.h"
#include "core/label_list.h"
#include "core/save_image.h"
#include "core/working_copy.h"

namespace korvath {

// A fixed cell text that stands for a code. On store a cell is compared with the texts in list
// order and the first equal one gives StoreCode, which is not always Code (battle state).
struct CodeText {
  int Code;
  std::string_view Text;
  int StoreCode;
};
struct CodeTexts {
  std::span<const CodeText> Entries;
  std::string_view Unlabelled;  // shown for a code without an entry
};
std::string_view TextOfCode(const CodeTexts& texts, int64_t code);
const CodeText* EntryOfText(const CodeTexts& texts, std::string_view text);

enum class CellShape {
  Number,          // decimal text, converted strictly on store
  NumberAndName,   // decimal text, and the name of that id from a label list in NameColumn
  NumberAndLabel,  // decimal text, and its fixed label (or the empty text) in NameColumn
  Label,           // a fixed label instead of the code; a text that matches none writes nothing
};
enum class NameList { None, Unit, Pilot, Area, Class };

// One field of a record: its bits, the cell it shows in and how. SubRow places the field in the
// record's SubRow-th row when a record spans several rows (a dock record has eight).
struct RecordField {
  int Offset = 0;
  int Width = 0;
  int Column = 0;
  CellShape Shape = CellShape::Number;
  int NameColumn = -1;
  NameList Names = NameList::None;
  const CodeTexts* Labels = nullptr;
  int SubRow = 0;
};

// Walked in field order by both load and store, so the two can never disagree.
struct RecordLayout {
  std::span<const RecordField> Fields;
  int Records = 0;
  int RowsPerRecord = 1;
};

// Record positions are kept as absolute bit numbers (8 x byte + bit): the arithmetic of
// advancing a cursor, without a cursor copy per cell, which showed up in profiles.
inline int64_t FirstRecordBit(const TField& binding) {
  return int64_t(binding.ByteOffset) * 8 + binding.BitOffset;
}
inline BitCursor FieldOf(int64_t recordBit, int offset, int width) {
  const int64_t at = recordBit + offset;
  return BitCursor(int32_t(at / 8), int32_t(at % 8), width);
}

// The label list a field's names come from; an empty list for NameList::None.
const LabelList& NameListOf(const LabelSet& labels, NameList names);

// Visits every field of every record in record order, each with its absolute record start and
// its row.
template <typename Visit>
void WalkRecords(const TField& binding, const RecordLayout& layout, Visit visit) {
  int64_t recordBit = FirstRecordBit(binding);
  for (int k = 0; k < layout.Records; ++k) {
    const int firstRow = 1 + k * layout.RowsPerRecord;
    for (const RecordField& f : layout.Fields) visit(recordBit, f, firstRow + f.SubRow);
    recordBit += binding.BitWidth;
  }
}

// The layout of a bound table, or nullptr for a grid without records in the image.
const RecordLayout* RecordLayoutOf(GridId id);

// Selects the starting cell of a table and writes its headings into row 0.
void SetUpHeadings(CellGrid& grid, GridId id);
// Assigns only when the text differs, so refreshing unchanged names costs nothing.
void PutCell(CellGrid& grid, int row, int column, std::string_view text);
// The same for a number; the cell remembers it, so that a store need not convert its text back.
void PutNumber(CellGrid& grid, int row, int column, int64_t value);
// The name of id and the label of code; the cell remembers which, so that a pass that finds the
// same id or code again needs neither look up nor compare its text. The lists do not change once
// the tables are set up.
void PutName(CellGrid& grid, int row, int column, const LabelList& names, int64_t id);
void PutLabel(CellGrid& grid, int row, int column, const CodeTexts& labels, int64_t code);

void LoadRecords(const SaveImage& image, const LabelSet& labels, const TField& binding,
                 const RecordLayout& layout, CellGrid& grid);
// Throws ConversionError at the first cell that is not an integer; fields before it are written.
// StrToInt of a cell's text; a failure knows the cell's row and column.
int32_t CellToInt(const CellGrid& grid, int row, int column);

void StoreRecords(SaveImage& image, const LabelSet& labels, const TField& binding,
                  const RecordLayout& layout, CellGrid& grid);

// The load and store of a bound table, chosen by the grid's identity. Return false for a grid
// that is not bound to the save image.
bool LoadTable(GridId id, const SaveImage& image, const LabelSet& labels, const TField& binding,
               CellGrid& grid);
bool StoreTable(GridId id, SaveImage& image, const LabelSet& labels, const TField& binding,
                CellGrid& grid);

// The layout of a bound table, or nullptr for a grid without records in the image.
const RecordLayout* RecordLayoutOf(GridId id);

// The record layouts of the bound tables. All of them load through LoadRecords; the plan tables
// store through StorePlanTable, the others through StoreRecords.
const RecordLayout& PlanRecordLayout();
const RecordLayout& UnitRecordLayout();
const RecordLayout& PilotRecordLayout();
const RecordLayout& DockRecordLayout();
const RecordLayout& AreaRecordLayout();

// Development plan tables.
void SetUpPlanTable(CellGrid& grid, GridId id, const LabelList& plans);
void StorePlanTable(SaveImage& image, const TField& binding, CellGrid& grid);

// Unit tables.
void SetUpUnitTable(CellGrid& grid, GridId id);

// Pilot table.
void SetUpPilotTable(CellGrid& grid, const LabelList& pilots);

// Area-control and production-dock tables.
inline constexpr std::array<int, kDockRecords> kSpecialAreaIndexes = {
    4, 5, 8, 11, 18, 26, 30, 32, 37, 41, 42, 43, 44, 45, 49, 74, 75, 76, 77};
inline constexpr int kAreaBasesColumn = 12;
// Cuts every area entry to its name; the rest of the line goes to column 12.
void SetUpAreaTable(CellGrid& grid, LabelList& areas);
// Needs the area names already cut; throws std::out_of_range for a short area list.
void SetUpDockTable(CellGrid& grid, const LabelList& areas);
// How many base columns (from column 4 on) take a new ruler of the area in this row: its number
// of bases when it is at peace, otherwise 0; never more than the eight base columns. Throws
// ConversionError when column 12 is not an integer.
int BasesFollowingRuler(const CellGrid& grid, int row);

// Weapons list: cuts every unit entry to its name and spreads the rest over columns 1 to 4.
void SetUpWeaponsList(CellGrid& grid, LabelList& units);
// Column 2, 3 or 4 of unit type t; -1 for a t outside the unit list or a text that is not an
// integer.
int32_t WeaponLookup(const CellGrid& grid, const LabelList& units, int t, int column);

// Bound controls.
// The rule of a bound control: by its kind, and a drop-down list by its identity. Lists without
// a rule, the check list and the tables have none.
enum class ControlRule { None, Edit, CheckBox, Faction, Scenario };
ControlRule RuleOf(const MainFieldEntry& entry);
inline constexpr int kFactionItems = 11;         // ten factions and "無し"
inline constexpr int kFactionNone = 10;          // the item "無し"
inline constexpr int32_t kStoredNoFaction = 15;  // what "無し" writes, whatever was read
// The scenario list works on three fixed flags, not on the numbers of its map entry; item i
// sets them to kScenarioBits[i].
inline constexpr TField kScenarioFlags[3] = {{17, 3, 1}, {16, 1, 1}, {16, 0, 1}};
inline constexpr int kScenarioBits[kScenarioItems.size()][3] = {{1, 0, 0}, {0, 1, 0}, {0, 1, 1}};
int ItemCountOf(std::string_view control);
void LoadControl(const SaveImage& image, const MainFieldEntry& entry, ControlValue& value);
// Throws ConversionError for an edit box whose text is not an integer.
void StoreControl(SaveImage& image, const MainFieldEntry& entry, const ControlValue& value);

// Special-plan check list. Set-up throws std::out_of_range when a header line is missing.
void SetUpCheckList(std::vector<CheckListLine>& lines, const LabelList& specials);
void LoadCheckList(const SaveImage& image, std::vector<CheckListLine>& lines);
void StoreCheckList(SaveImage& image, const std::vector<CheckListLine>& lines);

}  // namespace korvath
