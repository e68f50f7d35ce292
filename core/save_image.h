#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

namespace korvath {

// The open save file's bytes in a buffer of fixed size. Only the first Length bytes are
// meaningful; bytes beyond a shorter, later file keep whatever was there and are never looked at.
struct SaveImage {
  static constexpr int32_t Capacity = 18368;

  std::array<std::uint8_t, Capacity> Bytes{};
  int32_t Length = 0;
  std::string Path;
  bool Loaded = false;

  // Replaces the image with a whole file that has already been read. Returns false, changing
  // nothing, when the data do not fit the buffer.
  bool Commit(std::span<const std::uint8_t> data, std::string path);

  std::span<const std::uint8_t> Contents() const { return {Bytes.data(), std::size_t(Length)}; }
};

// A field: a run of BitWidth bits that starts BitOffset bits after the most significant bit of
// the byte at ByteOffset. For a table binding, BitWidth is the record stride instead.
struct TField {
  int32_t ByteOffset = 0;
  int32_t BitOffset = 0;
  int32_t BitWidth = 0;
};

// A working position inside a table; BitOffset stays 0..7 once advanced.
struct BitCursor {
  int32_t ByteOffset = 0;
  int32_t BitOffset = 0;
  int32_t BitWidth = 0;

  BitCursor() = default;
  BitCursor(int32_t byteOffset, int32_t bitOffset, int32_t bitWidth)
      : ByteOffset(byteOffset), BitOffset(bitOffset), BitWidth(bitWidth) {}
  explicit BitCursor(const TField& f)
      : ByteOffset(f.ByteOffset), BitOffset(f.BitOffset), BitWidth(f.BitWidth) {}
};

// Binds one line of the special-plan check list to a one-bit field.
struct TCellField {
  int32_t ItemIndex = 0;
  int32_t ByteOffset = 0;
  int32_t BitOffset = 0;
  int32_t BitWidth = 0;
};

namespace bits_detail {

// The four bytes at p as one word, the first byte most significant, in a single access each way.
inline std::uint32_t LoadWindow(const std::uint8_t* p) {
  std::uint32_t word;
  std::memcpy(&word, p, sizeof word);
  if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap32(word);
  return word;
}
inline void StoreWindow(std::uint8_t* p, std::uint32_t word) {
  if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap32(word);
  std::memcpy(p, &word, sizeof word);
}

// The common case: all four window bytes lie in the file, so none needs a check of its own.
inline bool WindowInFile(const SaveImage& image, int32_t byteOffset) {
  return byteOffset >= 0 && byteOffset <= image.Length - 4 && image.Length <= SaveImage::Capacity;
}

// Shifting a 32-bit value by 32 is undefined, so widths of 0 and 32 get their own masks.
inline std::uint32_t LowMask(int32_t width) {
  if (width <= 0) return 0;
  if (width >= 32) return 0xFFFFFFFFu;
  return (1u << width) - 1u;
}

// The window near the end of the file, a byte at a time.
std::uint32_t ReadPartialWindow(const SaveImage& image, int32_t byteOffset);
void WritePartialWindow(SaveImage& image, int32_t byteOffset, std::uint32_t mask,
                        std::uint32_t bits);

}  // namespace bits_detail

// Reads the field through the four-byte window at ByteOffset; bytes at or beyond Length read as 0.
// Inline, as the passes over the tables call it for every field.
inline std::uint32_t ReadBits(const SaveImage& image, int32_t byteOffset, int32_t bitOffset,
                              int32_t bitWidth) {
  if (bitWidth <= 0 || bitOffset < 0 || bitOffset + bitWidth > 32) return 0;
  if (byteOffset >= image.Length) return 0;
  std::uint32_t word = bits_detail::WindowInFile(image, byteOffset)
                           ? bits_detail::LoadWindow(image.Bytes.data() + byteOffset)
                           : bits_detail::ReadPartialWindow(image, byteOffset);
  word <<= bitOffset;  // bitOffset < 32 here
  return word >> (32 - bitWidth);
}
// Writes the low bitWidth bits of value into the field, leaving every other bit alone; bytes at or
// beyond Length are not written.
inline void WriteBits(SaveImage& image, int32_t byteOffset, int32_t bitOffset, int32_t bitWidth,
                      int32_t value) {
  if (bitWidth <= 0 || bitOffset < 0 || bitOffset + bitWidth > 32) return;
  if (byteOffset >= image.Length) return;
  const int shift = 32 - bitOffset - bitWidth;
  const std::uint32_t mask = bits_detail::LowMask(bitWidth) << shift;
  const std::uint32_t bits = (std::uint32_t(value) & bits_detail::LowMask(bitWidth)) << shift;
  if (bits_detail::WindowInFile(image, byteOffset)) {
    std::uint8_t* p = image.Bytes.data() + byteOffset;
    bits_detail::StoreWindow(p, (bits_detail::LoadWindow(p) & ~mask) | bits);
  } else {
    bits_detail::WritePartialWindow(image, byteOffset, mask, bits);
  }
}

template <typename Field>
std::uint32_t ReadBits(const SaveImage& image, const Field& f) {
  return ReadBits(image, f.ByteOffset, f.BitOffset, f.BitWidth);
}
template <typename Field>
void WriteBits(SaveImage& image, const Field& f, int32_t value) {
  WriteBits(image, f.ByteOffset, f.BitOffset, f.BitWidth, value);
}

void Clear(BitCursor& cursor);
void Advance(BitCursor& cursor, int32_t bits);

// A copy of the cursor moved on by offset bits, narrowed to width: one field of a record.
BitCursor FieldAt(const BitCursor& record, int32_t offset, int32_t width);

}  // namespace korvath
