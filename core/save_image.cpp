#include "core/save_image.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace korvath {

bool SaveImage::Commit(std::span<const std::uint8_t> data, std::string path) {
  if (data.size() > std::size_t(Capacity)) return false;
  std::copy(data.begin(), data.end(), Bytes.begin());
  Length = int32_t(data.size());
  Path = std::move(path);
  Loaded = true;
  return true;
}

namespace {

// Each window byte is range-checked on its own, so no field near the buffer's end reads or
// writes outside it, whatever Length says.
bool InFile(const SaveImage& image, int64_t offset) {
  return offset >= 0 && offset < image.Length && offset < SaveImage::Capacity;
}

// The common case: all four window bytes lie in the file, so none needs a check of its own.
bool WindowInFile(const SaveImage& image, int32_t byteOffset) {
  return byteOffset >= 0 && byteOffset <= image.Length - 4 && image.Length <= SaveImage::Capacity;
}

// The four bytes at p as one word, the first byte most significant, in a single access each way.
std::uint32_t LoadWindow(const std::uint8_t* p) {
  std::uint32_t word;
  std::memcpy(&word, p, sizeof word);
  if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap32(word);
  return word;
}
void StoreWindow(std::uint8_t* p, std::uint32_t word) {
  if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap32(word);
  std::memcpy(p, &word, sizeof word);
}

// Shifting a 32-bit value by 32 is undefined, so widths of 0 and 32 get their own masks.
std::uint32_t LowMask(int32_t width) {
  if (width <= 0) return 0;
  if (width >= 32) return 0xFFFFFFFFu;
  return (1u << width) - 1u;
}

}  // namespace

std::uint32_t ReadBits(const SaveImage& image, int32_t byteOffset, int32_t bitOffset,
                       int32_t bitWidth) {
  if (bitWidth <= 0 || bitOffset < 0 || bitOffset + bitWidth > 32) return 0;
  if (byteOffset >= image.Length) return 0;
  std::uint32_t word = 0;
  if (WindowInFile(image, byteOffset)) {
    word = LoadWindow(image.Bytes.data() + byteOffset);
  } else {
    for (int k = 0; k < 4; ++k) {
      const int64_t at = int64_t(byteOffset) + k;
      word = (word << 8) | (InFile(image, at) ? image.Bytes[std::size_t(at)] : 0u);
    }
  }
  word <<= bitOffset;  // bitOffset < 32 here
  return word >> (32 - bitWidth);
}

void WriteBits(SaveImage& image, int32_t byteOffset, int32_t bitOffset, int32_t bitWidth,
               int32_t value) {
  if (bitWidth <= 0 || bitOffset < 0 || bitOffset + bitWidth > 32) return;
  if (byteOffset >= image.Length) return;
  const int shift = 32 - bitOffset - bitWidth;
  const std::uint32_t mask = LowMask(bitWidth) << shift;
  const std::uint32_t bits = (std::uint32_t(value) & LowMask(bitWidth)) << shift;
  if (WindowInFile(image, byteOffset)) {
    std::uint8_t* p = image.Bytes.data() + byteOffset;
    StoreWindow(p, (LoadWindow(p) & ~mask) | bits);
    return;
  }
  for (int k = 0; k < 4; ++k) {
    const int64_t at = int64_t(byteOffset) + k;
    if (!InFile(image, at)) continue;
    const int byteShift = 8 * (3 - k);
    const auto m = std::uint8_t(mask >> byteShift);
    const auto v = std::uint8_t(bits >> byteShift);
    auto& b = image.Bytes[std::size_t(at)];
    b = std::uint8_t((b & ~m) | v);
  }
}

void Clear(BitCursor& cursor) { cursor = BitCursor{}; }

void Advance(BitCursor& cursor, int32_t bits) {
  if (bits <= 0) return;
  cursor.ByteOffset += bits / 8;
  cursor.BitOffset += bits % 8;
  if (cursor.BitOffset >= 8) {
    cursor.ByteOffset += 1;
    cursor.BitOffset -= 8;
  }
}

BitCursor FieldAt(const BitCursor& record, int32_t offset, int32_t width) {
  BitCursor field = record;
  Advance(field, offset);
  field.BitWidth = width;
  return field;
}

}  // namespace korvath
