#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/grid_layout.h"
#include "core/working_copy.h"

namespace korvath::cli {

// An edits file that is not valid JSON, has the wrong shape, or names something that does not
// exist or cannot be edited. what() says which and where.
class EditsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ControlEdit {
  enum class Op { EditText, Check, ItemIndex, ComboText };
  std::string Control;
  Op Operation = Op::EditText;
  std::string Text;
  bool Checked = false;
  int Index = -1;
};

struct CheckListEdit {
  int Line = 0;
  bool Checked = false;
};

struct CellEdit {
  GridId Grid = GridId::StringGrid1_1;
  int Row = 0;
  int Column = 0;
  std::string Text;
};

struct Edits {
  std::vector<ControlEdit> Controls;
  std::vector<CheckListEdit> CheckList;
  std::vector<CellEdit> Cells;
};

// Parses and checks every edit against the working copy before any of them is applied, so a
// bad file changes nothing.
Edits ParseEdits(std::string_view json, const WorkingCopy& copy);

// Applies the controls, then the check-list lines, then the cells, each group in file order.
void ApplyEdits(const Edits& edits, WorkingCopy& copy);

}  // namespace korvath::cli
