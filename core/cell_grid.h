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
      : rows_(rows),
        columns_(columns),
        texts_(std::size_t(rows * columns)),
        origins_(std::size_t(rows * columns)) {}

  int RowCount() const { return rows_; }
  int ColumnCount() const { return columns_; }

  // The empty text for a cell that was never written or lies outside the store.
  const std::string& Cell(int row, int column) const {
    const std::size_t at = Find(row, column);
    return at == kNowhere ? empty_ : texts_[at];
  }
  // Ignores a negative row or a column outside the table; grows the store for a later row.
  void SetCell(int row, int column, std::string text) {
    const std::size_t at = Grow(row, column);
    if (at == kNowhere) return;
    texts_[at] = std::move(text);
    origins_[at] = {};
  }
  // The same, reusing the cell's own buffer.
  void AssignCell(int row, int column, std::string_view text) {
    const std::size_t at = Grow(row, column);
    if (at == kNowhere) return;
    texts_[at].assign(text);
    origins_[at] = {};
  }

  // A cell written by SetNumber or SetEntry remembers what its text was made from until another
  // text replaces it, so that the passes over the tables need neither make again a text that did
  // not change nor convert back or compare the text they wrote. What a cell was made from is kept
  // apart from the texts: the passes look at it for every field, at the texts only on a change.
  std::optional<int32_t> Number(int row, int column) const {
    const std::size_t at = Find(row, column);
    if (at == kNowhere) return std::nullopt;
    const Origin origin = origins_[at];
    if (origin.Source != &kDecimal) return std::nullopt;
    return origin.Key;
  }
  // Writes the decimal text of value.
  void SetNumber(int row, int column, int32_t value) {
    const std::size_t at = Grow(row, column);
    if (at == kNowhere) return;
    char digits[11];  // "-2147483648"
    texts_[at].assign(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
    origins_[at] = {&kDecimal, value};
  }
  // Whether the cell holds the text that entry key of source gave it. A source is a fixed list
  // of texts, such as a label list or a field's code labels, that does not change while cells
  // remember it.
  bool HoldsEntry(int row, int column, const void* source, int64_t key) const {
    const std::size_t at = Find(row, column);
    if (at == kNowhere) return false;
    const Origin origin = origins_[at];
    return origin.Source == source && origin.Key == key;
  }
  // Writes text, which is entry key of source. A key beyond 32 bits is not remembered.
  void SetEntry(int row, int column, const void* source, int64_t key, std::string_view text) {
    const std::size_t at = Grow(row, column);
    if (at == kNowhere) return;
    texts_[at].assign(text);
    origins_[at] = {};
    if (key >= INT32_MIN && key <= INT32_MAX) origins_[at] = {source, int32_t(key)};
  }

  int CurrentRow() const { return currentRow_; }
  int CurrentColumn() const { return currentColumn_; }
  void SetCurrent(int row, int column) {
    currentRow_ = row;
    currentColumn_ = column;
  }

 private:
  struct Origin {
    const void* Source = nullptr;  // nullptr when the text came from elsewhere
    int32_t Key = 0;
  };

  static constexpr std::size_t kNowhere = SIZE_MAX;

  [[gnu::always_inline]] std::size_t Find(int row, int column) const {
    if (row < 0 || row >= rows_ || column < 0 || column >= columns_) return kNowhere;
    return std::size_t(row) * std::size_t(columns_) + std::size_t(column);
  }
  [[gnu::always_inline]] std::size_t Grow(int row, int column) {
    if (row < 0 || column < 0 || column >= columns_) return kNowhere;
    if (row >= rows_) {
      texts_.resize(std::size_t(row + 1) * std::size_t(columns_));
      origins_.resize(texts_.size());
      rows_ = row + 1;
    }
    return std::size_t(row) * std::size_t(columns_) + std::size_t(column);
  }

  int rows_;
  int columns_;
  std::vector<std::string> texts_;
  std::vector<Origin> origins_;
  int currentRow_ = 1;
  int currentColumn_ = 0;
  inline static const std::string empty_;
  static constexpr char kDecimal = 0;  // the source of SetNumber's texts
};

}  // namespace korvath
