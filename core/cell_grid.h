#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvath {

// The cell store of one table: texts by row and column. Rows grow on demand so that texts
// written past the visible rows (names of a long label list, records past the last visible row)
// are kept where they were written.
class CellGrid {
 public:
  CellGrid(int rows, int columns)
      : rows_(rows), columns_(columns), cells_(std::size_t(rows * columns)) {}

  int RowCount() const { return rows_; }
  int ColumnCount() const { return columns_; }

  // The empty text for a cell that was never written or lies outside the store.
  const std::string& Cell(int row, int column) const {
    const Slot* slot = Find(row, column);
    return slot ? slot->Text : empty_;
  }
  // Ignores a negative row or a column outside the table; grows the store for a later row.
  void SetCell(int row, int column, std::string text) {
    if (Slot* slot = Grow(row, column)) *slot = {std::move(text), std::nullopt};
  }
  // The same, reusing the cell's own buffer.
  void AssignCell(int row, int column, std::string_view text) {
    if (Slot* slot = Grow(row, column)) {
      slot->Text.assign(text);
      slot->Number.reset();
    }
  }

  // A cell written by SetNumber remembers its integer until another text replaces it, so that
  // the passes over the tables need neither format a number that did not change nor convert
  // back the text they wrote.
  std::optional<int32_t> Number(int row, int column) const {
    const Slot* slot = Find(row, column);
    return slot ? slot->Number : std::nullopt;
  }
  // Writes the decimal text of value.
  void SetNumber(int row, int column, int32_t value) {
    if (Slot* slot = Grow(row, column)) {
      std::string& text = slot->Text;
      text.resize(11);  // "-2147483648"
      text.resize(
          std::size_t(std::to_chars(text.data(), text.data() + 11, value).ptr - text.data()));
      slot->Number = value;
    }
  }

  int CurrentRow() const { return currentRow_; }
  int CurrentColumn() const { return currentColumn_; }
  void SetCurrent(int row, int column) {
    currentRow_ = row;
    currentColumn_ = column;
  }

 private:
  struct Slot {
    std::string Text;
    std::optional<int32_t> Number;
  };

  const Slot* Find(int row, int column) const {
    if (row < 0 || row >= rows_ || column < 0 || column >= columns_) return nullptr;
    return &cells_[std::size_t(row) * std::size_t(columns_) + std::size_t(column)];
  }
  Slot* Grow(int row, int column) {
    if (row < 0 || column < 0 || column >= columns_) return nullptr;
    if (row >= rows_) {
      cells_.resize(std::size_t(row + 1) * std::size_t(columns_));
      rows_ = row + 1;
    }
    return &cells_[std::size_t(row) * std::size_t(columns_) + std::size_t(column)];
  }

  int rows_;
  int columns_;
  std::vector<Slot> cells_;
  int currentRow_ = 1;
  int currentColumn_ = 0;
  inline static const std::string empty_;
};

}  // namespace korvath
