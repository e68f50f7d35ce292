#pragma once

// CP932 as glibc's iconv converts it, as data: tools/cp932_table_gen writes cp932_table.cpp from
// the converter of the machine it runs on, so the core needs no iconv of its own.

#include <array>
#include <cstdint>
#include <span>

namespace korvath::cp932 {

// Marks a byte or pair that is not a character.
inline constexpr char16_t kUnassigned = 0xFFFF;

// Two-byte characters: lead bytes 0x81 to 0x9F and 0xE0 to 0xFC, trail bytes 0x40 to 0xFC.
inline constexpr int kLeadCount = (0x9F - 0x81 + 1) + (0xFC - 0xE0 + 1);
inline constexpr int kTrailFirst = 0x40;
inline constexpr int kTrailLast = 0xFC;
inline constexpr int kTrailCount = kTrailLast - kTrailFirst + 1;

// The row of lead in kDouble, -1 for a byte that does not lead a pair.
constexpr int LeadIndex(unsigned char lead) {
  if (lead >= 0x81 && lead <= 0x9F) return lead - 0x81;
  if (lead >= 0xE0 && lead <= 0xFC) return lead - 0xE0 + (0x9F - 0x81 + 1);
  return -1;
}
constexpr int LeadByte(int row) {
  return row <= 0x9F - 0x81 ? 0x81 + row : 0xE0 + row - (0x9F - 0x81 + 1);
}

// The character of each single byte.
extern const std::array<char16_t, 256> kSingle;
// The character of each pair, row LeadIndex(lead), column trail - kTrailFirst.
extern const std::array<char16_t, std::size_t(kLeadCount) * kTrailCount> kDouble;

// Encoding takes the last code in byte order that decodes to a character; these are the
// characters the converter encodes otherwise (or, with Bytes 0, not at all). Sorted by CodePoint.
struct EncodeOverride {
  char32_t CodePoint;
  std::uint16_t Bytes;  // one byte below 0x100, else lead * 0x100 + trail
};
extern const std::span<const EncodeOverride> kEncodeOverrides;

// Characters the converter drops without a trace (Unicode's tag characters).
inline constexpr char32_t kDroppedFirst = 0xE0000;
inline constexpr char32_t kDroppedLast = 0xE007F;

}  // namespace korvath::cp932
