// Any bytes as one of the six label files: start-up either fails with its error or builds every
// table, in bounded time and memory. The first byte picks the file, the rest is its contents.

#include <array>
#include <memory>
#include <string_view>

#include "core/label_list.h"
#include "core/working_copy.h"
#include "fuzz/fuzz_support.h"
#include "tests/core/test_labels.h"

namespace {

bool IsUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += n;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  if (size == 0) return 0;
  // One folder per file, so each input changes only its own file.
  static std::array<std::unique_ptr<korvath::testing::TempLabelDir>, 6> dirs;
  const std::size_t kind = data[0] % korvath::kLabelFileNames.size();
  if (!dirs[kind]) dirs[kind] = std::make_unique<korvath::testing::TempLabelDir>();
  const std::string_view bytes = korvath::fuzz::AsText(data + 1, size - 1);

  const korvath::LabelList list = korvath::LabelList::Parse(bytes);
  FUZZ_CHECK(list.Count() <= korvath::LabelList::kMaxEntries);
  for (const std::string& entry : list.Entries()) {
    FUZZ_CHECK(entry.find_first_of("\r\n") == std::string::npos);
    FUZZ_CHECK(IsUtf8(entry));
  }

  dirs[kind]->WriteRaw(korvath::kLabelFileNames[kind], bytes);
  try {
    const korvath::WorkingCopy copy(dirs[kind]->Path());
    FUZZ_CHECK(copy.Labels().area.Count() >= korvath::kMinAreaEntries);
    FUZZ_CHECK(copy.Labels().special.Count() >= korvath::kMinSpecialEntries);
  } catch (const korvath::StartupError&) {
  }
  return 0;
}
