#include "core/comparison_status.h"

#include "core/working_copy.h"

namespace korvath {

bool IsDifferenceShown(const SaveDifference& d, const WorkingCopy& copy) {
  switch (d.Kind) {
    case DifferenceKind::Control:
      return true;
    case DifferenceKind::Cell:
      return d.Row < LayoutOf(d.Grid).VisibleRows;
    case DifferenceKind::CheckListLine:
      return d.Line < int(copy.CheckList().size());
    case DifferenceKind::Bytes:
    case DifferenceKind::Length:
      break;
  }
  return false;
}

const SaveDifference* StepDifference(const std::vector<SaveDifference>& differences, int cursor,
                                     bool forward, const WorkingCopy& copy) {
  const SaveDifference* first = nullptr;
  const SaveDifference* last = nullptr;
  const SaveDifference* found = nullptr;
  for (const SaveDifference& d : differences) {
    if (!IsDifferenceShown(d, copy)) continue;
    if (!first) first = &d;
    last = &d;
    if (forward && !found && d.Order > cursor) found = &d;
    if (!forward && d.Order < cursor) found = &d;
  }
  if (!found) found = forward ? first : last;
  return found;
}

std::string ComparisonToolTip(std::string_view otherName, const SaveDifference& d,
                              std::string_view hint) {
  std::string tip = hint.empty() ? std::string() : std::string(hint) + "\n";
  return tip + "比較先 (" + std::string(otherName) + "): " + ShownValue(d.B);
}

std::string ComparisonStatusText(std::string_view otherName,
                                 const std::vector<SaveDifference>& differences, int cursor,
                                 const WorkingCopy& copy) {
  int fields = 0;
  int hidden = 0;
  int byteRanges = 0;
  int position = 0;
  const SaveDifference* current = nullptr;
  std::string length;
  for (const SaveDifference& d : differences) {
    if (d.Kind == DifferenceKind::Length) {
      length = DescribePlace(d) + " " + d.A + " → " + d.B + "、";
    } else if (d.Kind == DifferenceKind::Bytes) {
      ++byteRanges;
    } else {
      ++fields;
      if (!IsDifferenceShown(d, copy)) ++hidden;
      if (d.Order == cursor) {
        current = &d;
        position = fields;
      }
    }
  }
  // Another length explains a flood of differences, so it comes first.
  std::string text =
      "比較先 " + std::string(otherName) + ": " + length + "相違 " + std::to_string(fields) + " 件";
  if (hidden > 0) text += "（うち画面にない項目 " + std::to_string(hidden) + " 件）";
  if (byteRanges > 0) text += "、項目外のバイト " + std::to_string(byteRanges) + " か所";
  if (current) {
    text += " ― " + std::to_string(position) + " 件目: " + DescribePlace(*current);
  }
  return text;
}

}  // namespace korvath
