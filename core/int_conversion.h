#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace korvath {

// Raised by StrToInt; Message() is the exact message the user sees. what() is the same up to
// the first NUL, which a typed text may hold.
class ConversionError : public std::runtime_error {
 public:
  explicit ConversionError(std::string_view text);
  const std::string& Text() const { return text_; }
  const std::string& Message() const { return message_; }

  // Where the text stood, filled in by the store pass on its way out, so that the window can
  // take the user there: a control by name, or a cell of a table (grid index, row, column).
  struct Place {
    std::string Control;
    int Grid = -1;
    int Row = -1;
    int Column = -1;
  };
  Place& Where() { return where_; }
  const Place& Where() const { return where_; }

 private:
  std::string text_;
  std::string message_;
  Place where_;
};

// Leading spaces, an optional sign, then decimal digits or hexadecimal digits after "$", "x",
// "X", "0x" or "0X"; nothing may follow, and the result must fit a signed 32-bit integer.
int32_t StrToInt(std::string_view text);

// The same rule without the exception: nullopt for any text StrToInt refuses.
std::optional<int32_t> TryStrToInt(std::string_view text);

// The lenient form: the default for any text StrToInt refuses.
int32_t StrToIntDef(std::string_view text, int32_t fallback);

// Plain decimal text of a number, with a sign only when negative.
std::string IntToStr(int64_t value);

}  // namespace korvath
