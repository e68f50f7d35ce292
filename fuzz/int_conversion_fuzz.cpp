// The integer conversion against a second reading of its rule, written without looking at how
// the first one counts: leading blanks, a sign, "$", "x", "X", "0x" or "0X" for hexadecimal,
// digits and nothing else, and a result that fits 32 signed bits.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/int_conversion.h"
#include "fuzz/fuzz_support.h"

namespace {

std::optional<int32_t> Reference(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  std::string_view rest = text.substr(first);
  const bool negative = rest.front() == '-';
  if (rest.front() == '-' || rest.front() == '+') rest.remove_prefix(1);
  int base = 10;
  for (std::string_view prefix : {"0x", "0X", "$", "x", "X"}) {
    if (rest.substr(0, prefix.size()) == prefix) {
      base = 16;
      rest.remove_prefix(prefix.size());
      break;
    }
  }
  const std::string_view digits = base == 16 ? "0123456789abcdefABCDEF" : "0123456789";
  if (rest.empty() || rest.find_first_not_of(digits) != std::string_view::npos) return std::nullopt;
  // Judge the size by the count of significant digits, then by value.
  const std::size_t nonZero = rest.find_first_not_of('0');
  rest = nonZero == std::string_view::npos ? std::string_view() : rest.substr(nonZero);
  if (rest.size() > (base == 16 ? 8u : 10u)) return std::nullopt;
  const std::uint64_t magnitude = rest.empty() ? 0 : std::stoull(std::string(rest), nullptr, base);
  const std::uint64_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
  if (magnitude > limit) return std::nullopt;
  return negative ? int32_t(-int64_t(magnitude)) : int32_t(magnitude);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::string_view text = korvath::fuzz::AsText(data, size);
  const std::optional<int32_t> want = Reference(text);
  FUZZ_CHECK(korvath::StrToIntDef(text, 11) == want.value_or(11));
  FUZZ_CHECK(korvath::StrToIntDef(text, -7) == want.value_or(-7));
  try {
    const int32_t got = korvath::StrToInt(text);
    FUZZ_CHECK(want && got == *want);
    FUZZ_CHECK(korvath::StrToInt(korvath::IntToStr(got)) == got);
  } catch (const korvath::ConversionError& e) {
    FUZZ_CHECK(!want);
    FUZZ_CHECK(e.Text() == text);
    FUZZ_CHECK(e.Message() == "'" + std::string(text) + "' は整数ではありません");
  }
  return 0;
}
