#include <algorithm>

#include "core/int_conversion.h"
#include "core/table_codecs.h"

namespace korvath {

namespace {

// "交戦中" stores 3, not the 1 it is loaded from.
constexpr CodeText kBattleStates[] = {{0, "平常", 0}, {1, "交戦中", 3}};
constexpr CodeTexts kBattleStateLabels{kBattleStates, "?"};
constexpr std::string_view kAtPeace = "平常";

constexpr CodeText kFactions[] = {{0, "自", 0}, {1, "敵１", 1}, {2, "敵２", 2}, {3, "中/無", 3}};
constexpr CodeTexts kFactionLabels{kFactions, "?"};

constexpr int kBaseCount = 8;
constexpr int kFirstBaseColumn = 4;

using enum CellShape;

// Bit 0 of an area record is not interpreted and never written.
constexpr std::array<RecordField, 3 + kBaseCount> MakeAreaFields() {
  std::array<RecordField, 3 + kBaseCount> fields{};
  fields[0] = {1, 2, 1, Label, -1, NameList::None, &kBattleStateLabels};
  fields[1] = {3, 2, 2, Label, -1, NameList::None, &kFactionLabels};  // ruler
  fields[2] = {5, 2, 3, Label, -1, NameList::None, &kFactionLabels};  // "？勢力"
  for (int b = 0; b < kBaseCount; ++b) {
    fields[std::size_t(3 + b)] = {
        7 + 2 * b, 2, kFirstBaseColumn + b, Label, -1, NameList::None, &kFactionLabels};
  }
  return fields;
}
constexpr auto kAreaFields = MakeAreaFields();
constexpr RecordLayout kAreaRecord{kAreaFields, kAreaRecords, 1};

// A dock record spans eight rows, one per dock: unit type ids first, then turn counts.
constexpr std::array<RecordField, 2 * kDocksPerArea> MakeDockFields() {
  std::array<RecordField, 2 * kDocksPerArea> fields{};
  for (int d = 0; d < kDocksPerArea; ++d) {
    fields[std::size_t(2 * d)] = {9 * d, 9, 2, NumberAndName, 3, NameList::Unit, nullptr, d};
    fields[std::size_t(2 * d + 1)] = {72 + 5 * d, 5, 4, Number, -1, NameList::None, nullptr, d};
  }
  return fields;
}
constexpr auto kDockFields = MakeDockFields();
constexpr RecordLayout kDockRecord{kDockFields, kDockRecords, kDocksPerArea};

}  // namespace

void SetUpAreaTable(CellGrid& grid, LabelList& areas) {
  SetUpHeadings(grid, GridId::StringGrid5_2);
  for (int i = 0; i < areas.Count(); ++i) {
    std::string rest = areas.CutToName(i);
    grid.SetCell(i + 1, 0, areas.Entry(i));
    grid.SetCell(i + 1, kAreaBasesColumn, std::move(rest));
  }
}

void SetUpDockTable(CellGrid& grid, const LabelList& areas) {
  SetUpHeadings(grid, GridId::StringGrid5_1);
  for (int k = 0; k < kDockRecords; ++k) {
    const int firstRow = 1 + kDocksPerArea * k;
    grid.SetCell(firstRow, 0, areas.Entry(kSpecialAreaIndexes[std::size_t(k)]));
    for (int d = 0; d < kDocksPerArea; ++d) grid.SetCell(firstRow + d, 1, IntToStr(d + 1));
  }
}

const RecordLayout& AreaRecordLayout() { return kAreaRecord; }

const RecordLayout& DockRecordLayout() { return kDockRecord; }

int BasesFollowingRuler(const CellGrid& grid, int row) {
  const int32_t bases = CellToInt(grid, row, kAreaBasesColumn);
  if (grid.Cell(row, 1) != kAtPeace) return 0;
  // The record has eight base fields; a larger number must not reach column 12 and beyond.
  return std::clamp(bases, 0, kBaseCount);
}

}  // namespace korvath
