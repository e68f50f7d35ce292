#pragma once

#include <string>
#include <vector>

namespace korvath {

// The cell store of one table: texts by row and column. Rows grow on demand so that texts
// written past the visible rows (names of a long label list, records past the last visible row)
// are kept where they were written.
class CellGrid {
 public:
  CellGrid(int rows, int columns) : columns_(columns), cells_(std::size_t(rows * columns)) {}

  int RowCount() const { return int(cells_.size()) / columns_; }
  int ColumnCount() const { return columns_; }

  // The empty text for a cell that was never written or lies outside the store.
  const std::string& Cell(int row, int column) const {
    if (row < 0 || column < 0 || column >= columns_ || row >= RowCount()) return empty_;
    return cells_[std::size_t(row * columns_ + column)];
  }
  // Ignores a negative row or a column outside the table; grows the store for a later row.
  void SetCell(int row, int column, std::string text) {
    if (row < 0 || column < 0 || column >= columns_) return;
    if (row >= RowCount()) cells_.resize(std::size_t((row + 1) * columns_));
    cells_[std::size_t(row * columns_ + column)] = std::move(text);
  }

  int CurrentRow() const { return currentRow_; }
  int CurrentColumn() const { return currentColumn_; }
  void SetCurrent(int row, int column) {
    currentRow_ = row;
    currentColumn_ = column;
  }

 private:
  int columns_;
  std::vector<std::string> cells_;
  int currentRow_ = 1;
  int currentColumn_ = 0;
  inline static const std::string empty_;
};

}  // namespace korvath
