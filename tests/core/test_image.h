#pragma once

// Save images for tests, addressed by absolute bit position (8 x byte + bit), and a fixture that
// opens one in a working copy set up from the standard label files.

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>

#include "core/field_maps.h"
#include "core/save_image.h"
#include "core/working_copy.h"
#include "tests/core/test_labels.h"

namespace korvath::testing {

// An image of the given length whose bytes are all zero.
inline SaveImage BlankImage(int32_t length = SaveImage::Capacity) {
  SaveImage image;
  image.Length = length;
  return image;
}

inline void PutBits(SaveImage& image, int64_t bit, int width, int32_t value) {
  WriteBits(image, int32_t(bit / 8), int32_t(bit % 8), width, value);
}
inline std::uint32_t GetBits(const SaveImage& image, int64_t bit, int width) {
  return ReadBits(image, int32_t(bit / 8), int32_t(bit % 8), width);
}

// Absolute bit positions, from the field map, so tests say which field they mean.
inline int64_t ControlBit(std::string_view control) {
  const TField& f = FindMainField(control)->Field;
  return 8 * int64_t(f.ByteOffset) + f.BitOffset;
}
inline int ControlWidth(std::string_view control) { return FindMainField(control)->Field.BitWidth; }
// Bit `offset` of record `record` of a bound table.
inline int64_t RecordBit(std::string_view grid, int record, int offset) {
  const TField& f = FindMainField(grid)->Field;
  return 8 * int64_t(f.ByteOffset) + f.BitOffset + int64_t(record) * f.BitWidth + offset;
}

// A working copy on the standard labels, and a full-length blank image to craft and open.
class OpenedImageTest : public ::testing::Test {
 protected:
  void Open() { ASSERT_TRUE(copy_.Open(image_.Contents(), "test.bin")); }

  TempLabelDir dir_;
  WorkingCopy copy_{dir_.Path()};
  SaveImage image_ = BlankImage();
};

}  // namespace korvath::testing
