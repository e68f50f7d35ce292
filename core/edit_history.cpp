#include "core/edit_history.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace korvath {

namespace {

bool Same(const ControlValue& a, const ControlValue& b) {
  return a.Text == b.Text && a.Checked == b.Checked && a.ItemIndex == b.ItemIndex;
}

// A value written again within one step keeps its first old value. The newest entries are
// searched first, since an act rewrites what it has just written.
template <typename Change, typename SameValue>
void Merge(std::vector<Change>& changes, Change change, SameValue same) {
  const auto it = std::find_if(changes.rbegin(), changes.rend(),
                               [&](const Change& known) { return same(known, change); });
  if (it != changes.rend()) {
    it->New = std::move(change.New);
  } else {
    changes.push_back(std::move(change));
  }
}

void MergeCell(std::vector<CellChange>& cells, CellChange change) {
  Merge(cells, std::move(change), [](const CellChange& a, const CellChange& b) {
    return a.Grid == b.Grid && a.Row == b.Row && a.Column == b.Column;
  });
}

}  // namespace

void EditStep::DropUnchanged() {
  std::erase_if(Cells, [](const CellChange& c) { return c.Old == c.New; });
  std::erase_if(Controls, [](const ControlChange& c) { return Same(c.Old, c.New); });
  std::erase_if(CheckLines, [](const CheckLineChange& c) { return c.Old == c.New; });
  std::erase_if(Bytes, [](const ByteChange& b) { return b.Old == b.New; });
  std::erase_if(CurrentCells, [](const CurrentCellChange& c) {
    return c.OldRow == c.NewRow && c.OldColumn == c.NewColumn;
  });
}

void EditHistory::Clear() {
  steps_.clear();
  position_ = 0;
  savePoint_ = 0;
  act_ = EditStep();
  typing_.reset();
  typedOver_.clear();
}

void EditHistory::BeginAct(std::string name) {
  if (depth_++ == 0) {
    act_ = EditStep();
    act_.Name = std::move(name);
  }
}

void EditHistory::EndAct() {
  if (depth_ == 0 || --depth_ > 0) return;
  Push(std::exchange(act_, EditStep()));
}

EditStep& EditHistory::Pending() {
  if (depth_ == 0) act_ = EditStep();
  return act_;
}

void EditHistory::FinishSingle(std::optional<TypingKey> typing) {
  if (depth_ > 0) return;
  // Typing taken back (Escape, or typed back to the old text) is no act: the steps it would
  // have replaced are kept aside, to come back as they were.
  act_.DropUnchanged();
  std::deque<EditStep> undone;
  if (typing && act_.ChangesValues()) {
    undone.assign(std::make_move_iterator(steps_.begin() + std::ptrdiff_t(position_)),
                  std::make_move_iterator(steps_.end()));
  }
  const std::optional<std::size_t> savePoint = savePoint_;
  const std::size_t base = position_;
  Push(std::exchange(act_, EditStep()));
  typing_ = typing;
  typedOver_ = std::move(undone);
  typedOverSavePoint_ = savePoint;
  typedOverBase_ = base;
}

bool EditHistory::JoinsTyping(const TypingKey& key) const {
  return depth_ == 0 && typing_ == key && position_ == steps_.size() && !steps_.empty();
}

void EditHistory::DropIfTypedBack() {
  EditStep& last = steps_.back();
  last.DropUnchanged();
  if (last.ChangesValues()) return;
  steps_.pop_back();
  --position_;
  typing_.reset();
  if (position_ == typedOverBase_) {
    for (EditStep& step : typedOver_) steps_.push_back(std::move(step));
    savePoint_ = typedOverSavePoint_;
  }
  typedOver_.clear();
}

void EditHistory::RecordCell(GridId grid, int row, int column, const std::string& old,
                             const std::string& now) {
  const TypingKey key{int(grid), row, column};
  if (JoinsTyping(key)) {
    MergeCell(steps_.back().Cells, {grid, row, column, old, now});
    DropIfTypedBack();
    return;
  }
  if (old == now) return;
  MergeCell(Pending().Cells, {grid, row, column, old, now});
  FinishSingle(key);
}

void EditHistory::RecordControl(std::size_t index, const ControlValue& old, const ControlValue& now,
                                bool typing) {
  const auto sameControl = [](const ControlChange& a, const ControlChange& b) {
    return a.Index == b.Index;
  };
  const TypingKey key{-1, int(index), 0};
  if (typing && JoinsTyping(key)) {
    Merge(steps_.back().Controls, ControlChange{index, old, now}, sameControl);
    DropIfTypedBack();
    return;
  }
  if (Same(old, now)) return;
  Merge(Pending().Controls, ControlChange{index, old, now}, sameControl);
  FinishSingle(typing ? std::optional(key) : std::nullopt);
}

void EditHistory::RecordCheckLine(int line, bool old, bool now) {
  if (old == now) return;
  Merge(Pending().CheckLines, CheckLineChange{line, old, now},
        [](const CheckLineChange& a, const CheckLineChange& b) { return a.Line == b.Line; });
  FinishSingle();
}

void EditHistory::RecordCurrentCell(GridId grid, int oldRow, int oldColumn, int newRow,
                                    int newColumn) {
  if (depth_ == 0) return;
  const auto known = std::find_if(act_.CurrentCells.begin(), act_.CurrentCells.end(),
                                  [&](const CurrentCellChange& c) { return c.Grid == grid; });
  if (known != act_.CurrentCells.end()) {
    known->NewRow = newRow;
    known->NewColumn = newColumn;
  } else {
    act_.CurrentCells.push_back({grid, oldRow, oldColumn, newRow, newColumn});
  }
}

void EditHistory::AmendLastStep(std::vector<CellChange> cells,
                                const std::vector<ByteChange>& bytes) {
  if (position_ == 0) return;
  EditStep& last = steps_[position_ - 1];
  for (CellChange& c : cells) MergeCell(last.Cells, std::move(c));
  for (const ByteChange& b : bytes) {
    Merge(last.Bytes, b,
          [](const ByteChange& x, const ByteChange& y) { return x.Offset == y.Offset; });
  }
  last.DropUnchanged();
}

void EditHistory::EndTyping() { typing_.reset(); }

const EditStep& EditHistory::StepBack() {
  typing_.reset();
  return steps_[--position_];
}

const EditStep& EditHistory::StepForward() {
  typing_.reset();
  return steps_[position_++];
}

void EditHistory::MarkSaved() {
  typing_.reset();
  savePoint_ = position_;
}

void EditHistory::Push(EditStep step) {
  step.DropUnchanged();
  if (!step.ChangesValues()) return;
  typing_.reset();
  // A new step replaces the undone ones; a save among them can no longer be reached.
  steps_.erase(steps_.begin() + std::ptrdiff_t(position_), steps_.end());
  if (savePoint_ && *savePoint_ > position_) savePoint_.reset();
  steps_.push_back(std::move(step));
  ++position_;
  while (steps_.size() > limit_) {
    steps_.pop_front();
    --position_;
    if (savePoint_) savePoint_ = *savePoint_ == 0 ? std::nullopt : std::optional(*savePoint_ - 1);
  }
}

}  // namespace korvath
