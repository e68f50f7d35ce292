// Any text as an edits file, applied to a fixed save and stored: a refusal is an edits error or
// a text that is not an integer, nothing else escapes, and the stored save settles.

#include <cstdint>
#include <random>
#include <vector>

#include "cli/edits.h"
#include "core/int_conversion.h"
#include "core/working_copy.h"
#include "fuzz/fuzz_support.h"
#include "tests/core/test_labels.h"

namespace {

std::vector<std::uint8_t> FixedSave() {
  std::vector<std::uint8_t> bytes(korvath::SaveImage::Capacity);
  std::mt19937 random(9);
  for (auto& b : bytes) b = std::uint8_t(random());
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  static const korvath::testing::TempLabelDir labels;
  static korvath::WorkingCopy copy(labels.Path());
  static const std::vector<std::uint8_t> save = FixedSave();
  try {
    // Parsing looks only at what the label files set up, so the save is opened (the costly
    // part) only for edits that parse.
    const korvath::cli::Edits edits =
        korvath::cli::ParseEdits(korvath::fuzz::AsText(data, size), copy);
    FUZZ_CHECK(copy.Open(save, "fuzz.bin"));
    korvath::cli::ApplyEdits(edits, copy);
    copy.StorePass();
  } catch (const korvath::cli::EditsError&) {
    return 0;
  } catch (const korvath::ConversionError&) {
    return 0;
  }
  const auto stored = copy.Image().Contents();
  const std::vector<std::uint8_t> once(stored.begin(), stored.end());
  FUZZ_CHECK(copy.Open(once, "fuzz.bin"));
  copy.StorePass();
  const auto again = copy.Image().Contents();
  FUZZ_CHECK(std::vector<std::uint8_t>(again.begin(), again.end()) == once);
  return 0;
}
