#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/grid_layout.h"
#include "core/save_image.h"

namespace korvath {

class WorkingCopy;

enum class DifferenceKind {
  Control,        // an edit box, check box or drop-down list
  Cell,           // a field of a table record
  CheckListLine,  // a special-plan flag
  Bytes,          // bits that no field covers
  Length,         // the two files differ in length
};

// One value that differs between two working copies, as the editor would show it.
struct SaveDifference {
  DifferenceKind Kind = DifferenceKind::Control;
  int Order = 0;             // position among all compared fields, for stepping through them
  int Page = -1;             // -1 for bytes and length
  std::string_view Control;  // the control, table or check list of the field
  std::string_view Caption;  // its caption; may be empty
  // Cells: store row and column of the value, and the column of its name (-1 when none).
  GridId Grid = GridId::StringGrid1_1;
  int Row = -1;
  int Column = -1;
  int NameColumn = -1;
  std::string RowName;
  std::string_view Heading;
  std::string_view NameHeading;  // the heading of the name column, empty when none
  int Line = -1;                 // check-list line
  std::string A;                 // the value in the first copy
  std::string B;                 // the value in the second copy
  std::vector<TField> Bits;      // where the value lives, each with BitOffset 0..7
  int32_t FirstByte = 0;         // Bytes: the range
  int32_t ByteCount = 0;
};

// Every field whose value differs, in map and table order, then the differing bits outside all
// fields as byte ranges. Both copies must have the same labels; neither is changed.
std::vector<SaveDifference> CompareSaves(const WorkingCopy& a, const WorkingCopy& b);

// For each byte of the image, the bits that some field of the maps covers (0x80 is bit 0).
const std::vector<std::uint8_t>& CoveredBits();

// "自軍 / 部隊データ (StringGrid1_2) / 5行 4 / 耐久": where the difference is.
std::string DescribePlace(const SaveDifference& d);
// A value for a line of text: the empty text in quotes, so that it can be seen.
std::string ShownValue(std::string_view value);
// One line: the place, both values and the bits.
std::string FormatDifference(const SaveDifference& d);

}  // namespace korvath
