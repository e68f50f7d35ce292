#include "core/int_conversion.h"
#include "core/table_codecs.h"

namespace korvath {

namespace {

constexpr CodeText kPlanStates[] = {
    {0, "", 0}, {1, "次提案", 1}, {2, "NEW", 2}, {5, "資金１", 5}, {6, "資金２", 6}, {7, "END", 7},
};
constexpr CodeTexts kPlanStateTexts{kPlanStates, "?"};

constexpr RecordField kPlanFields[] = {
    {0, 4, 1, CellShape::Label, -1, NameList::None, &kPlanStateTexts},  // state
    {4, 5, 2, CellShape::Number},                                       // turn
};
constexpr const RecordField& kState = kPlanFields[0];
constexpr const RecordField& kTurn = kPlanFields[1];
constexpr RecordLayout kPlanRecord{kPlanFields, kPlanRecords, 1};

// A plan that is not proposed, or is finished, carries no turn.
constexpr bool ClearsTurn(int code) { return code == 0 || code == 7; }

}  // namespace

void SetUpPlanTable(CellGrid& grid, GridId id, const LabelList& plans) {
  SetUpHeadings(grid, id);
  for (int i = 0; i < plans.Count(); ++i) grid.SetCell(i + 1, 0, plans.Entry(i));
}

const RecordLayout& PlanRecordLayout() { return kPlanRecord; }

void StorePlanTable(SaveImage& image, const TField& binding, CellGrid& grid) {
  int64_t record = FirstRecordBit(binding);
  for (int n = 0; n < kPlanRecords; ++n) {
    const int row = n + 1;
    // The turn is converted before the state is looked at, so a bad turn fails whatever the
    // state, even on a plan that would not be written.
    const int32_t turn = CellToInt(grid, row, kTurn.Column);
    const CodeText* state = EntryOfText(*kState.Labels, grid.Cell(row, kState.Column));
    if (state != nullptr) {
      const BitCursor turnField = FieldOf(record, kTurn.Offset, kTurn.Width);
      WriteBits(image, FieldOf(record, kState.Offset, kState.Width), state->StoreCode);
      if (ClearsTurn(state->StoreCode)) {
        WriteBits(image, turnField, 0);
        PutNumber(grid, row, kTurn.Column, 0);
      } else {
        WriteBits(image, turnField, turn);
      }
    }
    record += binding.BitWidth;
  }
}

}  // namespace korvath
