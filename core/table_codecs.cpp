#include "core/table_codecs.h"

#include "core/int_conversion.h"

namespace korvath {

namespace {

void LoadField(const SaveImage& image, const LabelSet& labels, int64_t recordBit,
               const RecordField& f, int row, CellGrid& grid) {
  const std::uint32_t value = ReadBits(image, FieldOf(recordBit, f.Offset, f.Width));
  switch (f.Shape) {
    case CellShape::Number:
      PutNumber(grid, row, f.Column, value);
      break;
    case CellShape::NumberAndName:
      PutNumber(grid, row, f.Column, value);
      PutName(grid, row, f.NameColumn, NameListOf(labels, f.Names), value);
      break;
    case CellShape::NumberAndLabel:
      PutNumber(grid, row, f.Column, value);
      PutLabel(grid, row, f.NameColumn, *f.Labels, value);
      break;
    case CellShape::Label:
      PutLabel(grid, row, f.Column, *f.Labels, value);
      break;
  }
}

void StoreField(SaveImage& image, const LabelSet& labels, int64_t recordBit, const RecordField& f,
                int row, CellGrid& grid) {
  const BitCursor at = FieldOf(recordBit, f.Offset, f.Width);
  if (f.Shape == CellShape::Label) {
    // A cell that still shows what the field holds keeps the field as it is. This matters where
    // a text stores a code other than the one it was loaded from: a battle code 1 reads
    // "交戦中", which would otherwise go back as 3.
    const std::uint32_t held = ReadBits(image, at);
    if (grid.HoldsEntry(row, f.Column, f.Labels, held)) return;
    const std::string& text = grid.Cell(row, f.Column);
    if (TextOfCode(*f.Labels, held) == text) return;
    if (const CodeText* entry = EntryOfText(*f.Labels, text)) {
      WriteBits(image, at, entry->StoreCode);
    }
    return;
  }
  const int32_t value = CellToInt(grid, row, f.Column);
  WriteBits(image, at, value);
  // Names follow the integer as typed, before WriteBits cut it to the field.
  if (f.Shape == CellShape::NumberAndName) {
    PutName(grid, row, f.NameColumn, NameListOf(labels, f.Names), value);
  } else if (f.Shape == CellShape::NumberAndLabel) {
    PutLabel(grid, row, f.NameColumn, *f.Labels, value);
  }
}

// Text only, as no store takes such a number back. Kept apart so that the common path of
// PutNumber needs no string of its own.
[[gnu::noinline]] void PutWideNumber(CellGrid& grid, int row, int column, int64_t value) {
  PutCell(grid, row, column, IntToStr(value));
}

}  // namespace

int32_t CellToInt(const CellGrid& grid, int row, int column) {
  if (const auto known = grid.Number(row, column)) return *known;
  try {
    return StrToInt(grid.Cell(row, column));
  } catch (ConversionError& e) {
    e.Where().Row = row;
    e.Where().Column = column;
    throw;
  }
}

const LabelList& NameListOf(const LabelSet& labels, NameList names) {
  switch (names) {
    case NameList::Unit:
      return labels.unit;
    case NameList::Pilot:
      return labels.pilot;
    case NameList::Area:
      return labels.area;
    case NameList::Class:
      return labels.klass;
    case NameList::None:
      break;
  }
  static const LabelList kNone;
  return kNone;
}

const RecordLayout* RecordLayoutOf(GridId id) {
  switch (id) {
    case GridId::StringGrid1_1:
    case GridId::StringGrid2_1:
    case GridId::StringGrid3_1:
      return &PlanRecordLayout();
    case GridId::StringGrid1_2:
    case GridId::StringGrid2_2:
    case GridId::StringGrid3_2:
      return &UnitRecordLayout();
    case GridId::StringGrid4_1:
      return &PilotRecordLayout();
    case GridId::StringGrid5_1:
      return &DockRecordLayout();
    case GridId::StringGrid5_2:
      return &AreaRecordLayout();
    case GridId::StringGrid7_1:
      break;
  }
  return nullptr;
}

std::string_view TextOfCode(const CodeTexts& texts, int64_t code) {
  for (const CodeText& e : texts.Entries) {
    if (e.Code == code) return e.Text;
  }
  return texts.Unlabelled;
}

const CodeText* EntryOfText(const CodeTexts& texts, std::string_view text) {
  for (const CodeText& e : texts.Entries) {
    if (e.Text == text) return &e;
  }
  return nullptr;
}

void SetUpHeadings(CellGrid& grid, GridId id) {
  const GridLayout& layout = LayoutOf(id);
  grid.SetCurrent(layout.InitialRow, layout.InitialColumn);
  const auto& columns = layout.Columns;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    grid.SetCell(0, int(c), std::string(columns[c].Heading));
  }
}

void PutCell(CellGrid& grid, int row, int column, std::string_view text) {
  if (grid.Cell(row, column) != text) grid.AssignCell(row, column, text);
}

// The writes behind PutName and PutLabel, kept out of the common path where the cell already
// holds its text: their text argument needs a stack slot, which the sanitizers' builds set up
// and check on every call.
namespace {

[[gnu::noinline]] void SetName(CellGrid& grid, int row, int column, const LabelList& names,
                               int64_t id) {
  grid.SetEntry(row, column, &names, id, names.Label(id));
}

[[gnu::noinline]] void SetLabel(CellGrid& grid, int row, int column, const CodeTexts& labels,
                                int64_t code) {
  grid.SetEntry(row, column, &labels, code, TextOfCode(labels, code));
}

}  // namespace

void PutName(CellGrid& grid, int row, int column, const LabelList& names, int64_t id) {
  if (!grid.HoldsEntry(row, column, &names, id)) SetName(grid, row, column, names, id);
}

void PutLabel(CellGrid& grid, int row, int column, const CodeTexts& labels, int64_t code) {
  if (!grid.HoldsEntry(row, column, &labels, code)) SetLabel(grid, row, column, labels, code);
}

void PutNumber(CellGrid& grid, int row, int column, int64_t value) {
  if (value < INT32_MIN || value > INT32_MAX) {
    PutWideNumber(grid, row, column, value);
  } else if (grid.Number(row, column) != int32_t(value)) {
    grid.SetNumber(row, column, int32_t(value));
  }
}

void LoadRecords(const SaveImage& image, const LabelSet& labels, const TField& binding,
                 const RecordLayout& layout, CellGrid& grid) {
  WalkRecords(binding, layout, [&](int64_t recordBit, const RecordField& f, int row) {
    LoadField(image, labels, recordBit, f, row, grid);
  });
}

void StoreRecords(SaveImage& image, const LabelSet& labels, const TField& binding,
                  const RecordLayout& layout, CellGrid& grid) {
  WalkRecords(binding, layout, [&](int64_t recordBit, const RecordField& f, int row) {
    StoreField(image, labels, recordBit, f, row, grid);
  });
}

bool LoadTable(GridId id, const SaveImage& image, const LabelSet& labels, const TField& binding,
               CellGrid& grid) {
  const RecordLayout* layout = RecordLayoutOf(id);
  if (layout == nullptr) return false;
  LoadRecords(image, labels, binding, *layout, grid);
  return true;
}

bool StoreTable(GridId id, SaveImage& image, const LabelSet& labels, const TField& binding,
                CellGrid& grid) {
  const RecordLayout* layout = RecordLayoutOf(id);
  if (layout == nullptr) return false;
  if (layout == &PlanRecordLayout()) {
    StorePlanTable(image, binding, grid);
  } else {
    StoreRecords(image, labels, binding, *layout, grid);
  }
  return true;
}

}  // namespace korvath
