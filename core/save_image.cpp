#include "core/save_image.h"

#include <algorithm>

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

}  // namespace

namespace bits_detail {

std::uint32_t ReadPartialWindow(const SaveImage& image, int32_t byteOffset) {
  std::uint32_t word = 0;
  for (int k = 0; k < 4; ++k) {
    const int64_t at = int64_t(byteOffset) + k;
    word = (word << 8) | (InFile(image, at) ? image.Bytes[std::size_t(at)] : 0u);
  }
  return word;
}

void WritePartialWindow(SaveImage& image, int32_t byteOffset, std::uint32_t mask,
                        std::uint32_t bits) {
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

}  // namespace bits_detail

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
