#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/save_compare.h"

namespace korvath {

class WorkingCopy;

// Whether the window shows the value of a difference: cells past a table's visible rows, lines
// past the check list and bytes outside every field are counted but cannot be stepped to.
bool IsDifferenceShown(const SaveDifference& d, const WorkingCopy& copy);

// The next (or previous) shown difference after (before) the one of Order cursor, wrapping
// round; nullptr when none is shown.
const SaveDifference* StepDifference(const std::vector<SaveDifference>& differences, int cursor,
                                     bool forward, const WorkingCopy& copy);

// The tooltip of a marked value: its hint, if any, above the other save's value.
std::string ComparisonToolTip(std::string_view otherName, const SaveDifference& d,
                              std::string_view hint = {});

// The status line of a comparison: how many fields differ (and how many of those the window does
// not show), the byte ranges outside every field, and the difference stepped to.
std::string ComparisonStatusText(std::string_view otherName,
                                 const std::vector<SaveDifference>& differences, int cursor,
                                 const WorkingCopy& copy);

}  // namespace korvath
