#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "core/grid_layout.h"
#include "core/working_copy.h"

namespace korvath {

struct CellChange {
  GridId Grid;
  int Row;
  int Column;
  std::string Old;
  std::string New;
};

struct ControlChange {
  std::size_t Index;  // the control's entry in the main field map
  ControlValue Old;
  ControlValue New;
};

struct CheckLineChange {
  int Line;
  bool Old;
  bool New;
};

struct CurrentCellChange {
  GridId Grid;
  int OldRow, OldColumn;
  int NewRow, NewColumn;
};

// A byte of the image that a Save changed after the step; undoing the step gives it back, so
// that fields a Save leaves alone hold what they held when the restored texts were current.
struct ByteChange {
  std::size_t Offset;
  std::uint8_t Old;
  std::uint8_t New;
};

// What one user act changed, each value once with its value before and after the act.
struct EditStep {
  std::string Name;  // empty: described by what it changed
  std::vector<CellChange> Cells;
  std::vector<ControlChange> Controls;
  std::vector<CheckLineChange> CheckLines;
  std::vector<CurrentCellChange> CurrentCells;
  std::vector<ByteChange> Bytes;

  // A step that moved only current cells changed nothing the user keeps.
  bool ChangesValues() const { return !Cells.empty() || !Controls.empty() || !CheckLines.empty(); }
  // Drops entries whose value came back to where it started.
  void DropUnchanged();
};

// The steps of the working copy's history, oldest first, and the position between the steps done
// and the steps undone. It only keeps the record; the working copy applies it.
class EditHistory {
 public:
  static constexpr std::size_t kDefaultLimit = 10000;

  explicit EditHistory(std::size_t limit = kDefaultLimit) : limit_(limit) {}

  // Forgets every step; the present becomes the save point.
  void Clear();

  // Changes between BeginAct and the matching EndAct form one step; nested acts join the
  // outermost one. A change made outside any act is a step of its own.
  void BeginAct(std::string name);
  void EndAct();
  bool InAct() const { return depth_ > 0; }

  void RecordCell(GridId grid, int row, int column, const std::string& old, const std::string& now);
  // typing: outside an act, consecutive texts of one control join one step until EndTyping.
  void RecordControl(std::size_t index, const ControlValue& old, const ControlValue& now,
                     bool typing);
  void RecordCheckLine(int line, bool old, bool now);
  // Kept only inside an act: moving the cursor is not a step of its own.
  void RecordCurrentCell(GridId grid, int oldRow, int oldColumn, int newRow, int newColumn);
  // Adds what a Save changed (names refreshed from their numbers, bytes of the image) to the last
  // step done, so that undoing it restores them as well.
  void AmendLastStep(std::vector<CellChange> cells, const std::vector<ByteChange>& bytes);
  void EndTyping();

  bool CanUndo() const { return position_ > 0; }
  bool CanRedo() const { return position_ < steps_.size(); }
  const EditStep* NextUndo() const { return CanUndo() ? &steps_[position_ - 1] : nullptr; }
  const EditStep* NextRedo() const { return CanRedo() ? &steps_[position_] : nullptr; }
  // Move the position; the caller reverts or reapplies the returned step.
  const EditStep& StepBack();
  const EditStep& StepForward();
  std::size_t UndoCount() const { return position_; }
  std::size_t RedoCount() const { return steps_.size() - position_; }

  void MarkSaved();
  bool IsAtSavePoint() const { return savePoint_ == position_; }

 private:
  // A cell (Grid, Row, Column) or a control (-1, its index, 0).
  struct TypingKey {
    int Grid, Row, Column;
    bool operator==(const TypingKey&) const = default;
  };

  EditStep& Pending();
  void Push(EditStep step);
  void FinishSingle(std::optional<TypingKey> typing = std::nullopt);
  bool JoinsTyping(const TypingKey& key) const;
  void DropIfTypedBack();

  std::size_t limit_;
  std::deque<EditStep> steps_;
  std::size_t position_ = 0;
  // Steps done at the last save; none once that state has dropped out of the history.
  std::optional<std::size_t> savePoint_ = 0;
  int depth_ = 0;
  EditStep act_;
  std::optional<TypingKey> typing_;  // the value whose typing the last step collects
  // The steps that typing replaced as undone ones, the save point and the position before it.
  std::deque<EditStep> typedOver_;
  std::optional<std::size_t> typedOverSavePoint_;
  std::size_t typedOverBase_ = 0;
};

}  // namespace korvath
