#include "core/edit_history.h"

#include <algorithm>
#include <set>
#include <utility>

#include "core/field_maps.h"

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

// The same caption stands on each force's page, so the enemy forces' copies name their page.
std::string OnPage(int page, std::string_view caption) {
  std::string text;
  if (page == 1 || page == 2) text.append(kPageCaptions[std::size_t(page)]).append(" ");
  return text.append(caption);
}

std::string TableCaption(GridId grid) {
  const GridLayout& layout = LayoutOf(grid);
  const MainFieldEntry* entry = FindMainField(layout.Name);
  if (entry == nullptr || entry->Caption.empty())
    return std::string(kPageCaptions[std::size_t(layout.Page)]);
  return OnPage(layout.Page, entry->Caption);
}

std::string DescribeCells(const std::vector<CellChange>& cells) {
  const GridId grid = cells.front().Grid;
  std::string text = TableCaption(grid);
  const bool oneTable =
      std::all_of(cells.begin(), cells.end(), [&](const CellChange& c) { return c.Grid == grid; });
  if (!oneTable) return text;
  const auto [low, high] =
      std::minmax_element(cells.begin(), cells.end(),
                          [](const CellChange& a, const CellChange& b) { return a.Row < b.Row; });
  text.append(" ").append(std::to_string(low->Row));
  if (high->Row != low->Row) text.append("～").append(std::to_string(high->Row));
  text.append("行");
  std::set<int> columns;
  for (const CellChange& c : cells) columns.insert(c.Column);
  const auto headings = LayoutOf(grid).Columns;
  std::size_t shown = 0;
  for (int column : columns) {
    if (shown == 2) return text.append("ほか");
    text.append(shown == 0 ? " " : "・").append(headings[std::size_t(column)].Heading);
    ++shown;
  }
  return text;
}

std::string DescribeControl(std::size_t index) {
  const MainFieldEntry& entry = MainFieldMap()[index];
  return OnPage(entry.Page, entry.Caption.empty() ? entry.Control : entry.Caption);
}

std::string DescribeCheckLines(const std::vector<CheckLineChange>& lines,
                               const std::vector<CheckListLine>& texts) {
  const MainFieldEntry* entry = FindMainField("CheckListBox6_1");
  std::string text(entry ? entry->Caption : "");
  const int line = lines.front().Line;
  if (lines.size() == 1 && line >= 0 && line < int(texts.size()))
    text.append(" ").append(texts[std::size_t(line)].Text);
  return text;
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

std::size_t EditStep::Footprint() const {
  std::size_t bytes = sizeof(EditStep) + Name.capacity() + Cells.capacity() * sizeof(CellChange) +
                      Controls.capacity() * sizeof(ControlChange) +
                      CheckLines.capacity() * sizeof(CheckLineChange) +
                      CurrentCells.capacity() * sizeof(CurrentCellChange) +
                      Bytes.capacity() * sizeof(ByteChange);
  for (const CellChange& c : Cells) bytes += c.Old.capacity() + c.New.capacity();
  for (const ControlChange& c : Controls) bytes += c.Old.Text.capacity() + c.New.Text.capacity();
  return bytes;
}

std::string DescribeStep(const EditStep& step, const std::vector<CheckListLine>& lines) {
  if (!step.Name.empty()) return step.Name;
  const int kinds =
      int(!step.Cells.empty()) + int(!step.Controls.empty()) + int(!step.CheckLines.empty());
  std::string text;
  if (!step.Cells.empty()) {
    text = DescribeCells(step.Cells);
  } else if (!step.Controls.empty()) {
    text = DescribeControl(step.Controls.front().Index);
    if (step.Controls.size() > 1) text.append("ほか");
  } else if (!step.CheckLines.empty()) {
    text = DescribeCheckLines(step.CheckLines, lines);
  }
  if (kinds > 1) text.append("ほか");
  return text;
}

void EditHistory::Clear() {
  steps_.clear();
  footprints_.clear();
  bytes_ = 0;
  position_ = 0;
  savePoint_ = 0;
  act_ = EditStep();
  typing_.reset();
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
  Push(std::exchange(act_, EditStep()));
  typing_ = typing;
}

bool EditHistory::JoinsTyping(const TypingKey& key) const {
  return depth_ == 0 && typing_ == key && position_ == steps_.size() && !steps_.empty();
}

void EditHistory::DropIfTypedBack() {
  EditStep& last = steps_.back();
  last.DropUnchanged();
  if (last.ChangesValues()) {
    Recount(steps_.size() - 1);
    return;
  }
  bytes_ -= footprints_.back();
  steps_.pop_back();
  footprints_.pop_back();
  --position_;
  typing_.reset();
}

void EditHistory::Recount(std::size_t i) {
  const std::size_t now = steps_[i].Footprint();
  bytes_ = bytes_ - footprints_[i] + now;
  footprints_[i] = now;
  Trim();
}

void EditHistory::Trim() {
  while (position_ > 0 && (steps_.size() > limit_ || (bytes_ > byteLimit_ && position_ > 1))) {
    bytes_ -= footprints_.front();
    steps_.pop_front();
    footprints_.pop_front();
    --position_;
    if (savePoint_) savePoint_ = *savePoint_ == 0 ? std::nullopt : std::optional(*savePoint_ - 1);
  }
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
  Recount(position_ - 1);
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
  for (std::size_t i = position_; i < steps_.size(); ++i) bytes_ -= footprints_[i];
  steps_.erase(steps_.begin() + std::ptrdiff_t(position_), steps_.end());
  footprints_.erase(footprints_.begin() + std::ptrdiff_t(position_), footprints_.end());
  if (savePoint_ && *savePoint_ > position_) savePoint_.reset();
  footprints_.push_back(step.Footprint());
  bytes_ += footprints_.back();
  steps_.push_back(std::move(step));
  ++position_;
  Trim();
}

}  // namespace korvath
