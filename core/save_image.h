#pragma once

#include <array>
#include <cstdint>
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

// Reads the field through the four-byte window at ByteOffset; bytes at or beyond Length read as 0.
std::uint32_t ReadBits(const SaveImage& image, int32_t byteOffset, int32_t bitOffset,
                       int32_t bitWidth);
// Writes the low bitWidth bits of value into the field, leaving every other bit alone; bytes at or
// beyond Length are not written.
void WriteBits(SaveImage& image, int32_t byteOffset, int32_t bitOffset, int32_t bitWidth,
               int32_t value);

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
