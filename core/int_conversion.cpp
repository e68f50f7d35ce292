#include "core/int_conversion.h"

#include <charconv>
#include <optional>

namespace korvath {

namespace {

std::string MessageFor(std::string_view text) {
  std::string m = "'";
  m += text;
  m += "' は整数ではありません";
  return m;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<int32_t> Parse(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= s.size()) return std::nullopt;
  // Magnitude kept in 64 bits; anything past 2^31 is refused before it can overflow.
  int64_t magnitude = 0;
  for (; i < s.size(); ++i) {
    const int d = base == 16 ? HexDigit(s[i]) : (s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : -1);
    if (d < 0) return std::nullopt;
    magnitude = magnitude * base + d;
    if (magnitude > int64_t(INT32_MAX) + 1) return std::nullopt;
  }
  const int64_t value = negative ? -magnitude : magnitude;
  if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return int32_t(value);
}

}  // namespace

ConversionError::ConversionError(std::string_view text)
    : std::runtime_error(MessageFor(text)), text_(text), message_(MessageFor(text)) {}

int32_t StrToInt(std::string_view text) {
  if (auto v = Parse(text)) return *v;
  throw ConversionError(text);
}

std::optional<int32_t> TryStrToInt(std::string_view text) { return Parse(text); }

int32_t StrToIntDef(std::string_view text, int32_t fallback) {
  if (auto v = Parse(text)) return *v;
  return fallback;
}

std::string IntToStr(int64_t value) {
  char buf[24];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  (void)ec;
  return std::string(buf, end);
}

}  // namespace korvath
