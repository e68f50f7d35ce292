// Two builds of korvath-cli, the native one and the one in $KORVATH_CLI_UNDER_TEST (make wasm
// names the node program), on generated label sets, saves and edits: standard output, error
// text, exit status and every byte written must be the same.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/grid_layout.h"
#include "tests/cli/cli_test_support.h"

namespace korvath::clitest {
namespace {

using nlohmann::json;

class Generator {
 public:
  explicit Generator(unsigned seed) : rng_(seed) {}

  // Six label files: any length, names with and without their index, TAB fields, every kind of
  // line end, now and then UTF-8. One set in five is refused, by bytes no encoding reads or by a
  // list too short; the others carry the saves and edits through to the end.
  void WriteLabels(const fs::path& dir) {
    std::array<std::pair<int, int>, 6> lengths = {
        {{0, 300}, {0, 60}, {0, 260}, {kMinAreaEntries, 130}, {0, 20}, {kMinSpecialEntries, 230}}};
    const bool refused = OneIn(5);
    const bool tooShort = refused && OneIn(2);
    const std::size_t refusedFile = tooShort ? (OneIn(2) ? 3 : 5) : std::size_t(Between(0, 5));
    if (tooShort) {
      auto& [low, high] = lengths[refusedFile];
      high = low - 1;
      low = Between(0, high);
    }
    for (std::size_t f = 0; f < kLabelFileNames.size(); ++f) {
      const char* end = Pick<const char*>({"\r\n", "\n", "\r"});
      // Notepad's UTF-8 now and then, with or without its byte order mark.
      const bool utf8 = OneIn(4);
      std::string bytes = utf8 && OneIn(2) ? "\xEF\xBB\xBF" : "";
      const bool badBytes = refused && !tooShort && f == refusedFile;
      const int count = std::max(Between(lengths[f].first, lengths[f].second), badBytes ? 1 : 0);
      const int badLine = badBytes ? Between(0, count - 1) : -1;
      for (int i = 0; i < count; ++i) {
        std::string line = OneIn(10) ? "" : std::to_string(i) + " ";
        const char* name = Pick<const char*>({"戦車", "ｱﾊﾟｰﾄ", "第１部", "A-7", "―", "髙"});
        line += utf8 ? std::string(name) : EncodeCp932(name);
        for (int field = Between(0, 4); field > 0; --field) line += "\t" + Number();
        if (badBytes && i == badLine)
          line += Pick<const char*>({"\x82", "\x85\x9F", "\xFF", "\x80"});
        bytes += line + end;
      }
      if (OneIn(30)) bytes += std::string("\0tail", 5);
      WriteFile(dir / kLabelFileNames[f], bytes);
    }
  }

  // Random bytes, mostly a whole save, sometimes shorter, empty or too long.
  std::vector<std::uint8_t> Save() {
    std::size_t length = SaveImage::Capacity;
    if (OneIn(5)) length = std::size_t(Between(0, SaveImage::Capacity));
    if (OneIn(40)) length = SaveImage::Capacity + 1;
    std::vector<std::uint8_t> bytes(length);
    // Mostly small values, so that ids hit the label lists and flags mix.
    for (auto& b : bytes) b = std::uint8_t(OneIn(3) ? rng_() : rng_() % 4);
    return bytes;
  }

  // Edits of controls, check-list lines and cells; now and then one names what does not exist or
  // cannot be edited, or a text is not an integer.
  json Edits() {
    json edits = json::object();
    const auto& map = MainFieldMap();
    for (int n = Between(0, 6); n > 0; --n) {
      const MainFieldEntry& entry = map[std::size_t(Between(0, int(map.size()) - 1))];
      switch (entry.Kind) {
        case ControlKind::Edit:
          edits["controls"][std::string(entry.Control)] = Text();
          break;
        case ControlKind::CheckBox:
          edits["controls"][std::string(entry.Control)] = OneIn(2);
          break;
        case ControlKind::ComboBox:
          edits["controls"][std::string(entry.Control)] = OneIn(20) ? 11 : Between(0, 2);
          break;
        default:
          break;
      }
    }
    for (int n = Between(0, 4); n > 0; --n) {
      // Lines 1 to 84 lie before the second heading; line 0 is a heading.
      edits["checklist"][std::to_string(OneIn(60) ? 0 : Between(1, 84))] = OneIn(2);
    }
    // Mostly a text a user could give the cell, typed or from its popup, so that the edits reach
    // the store; now and then one the windows refuse, whose refusal must agree too. The weapons
    // list, last of all, is read-only.
    for (int n = Between(0, 8); n > 0; --n) {
      const GridLayout& layout = LayoutOf(kAllGrids[std::size_t(Between(0, kGridCount - 2))]);
      int row = 0;
      int column = 0;
      std::string text;
      for (int tries = 0; tries < 20; ++tries) {
        row = Between(1, layout.StoredRows - (OneIn(20) ? 0 : 1));
        column = Between(layout.FixedColumns, int(layout.Columns.size()) - 1);
        const auto choices = PopupTexts(layout.Id, row, column);
        text = choices.empty() || OneIn(10)
                   ? Text()
                   : std::string(choices[std::size_t(Between(0, int(choices.size()) - 1))]);
        if (OneIn(20) || AcceptsCellText(layout.Id, row, column, text)) break;
      }
      edits["cells"].push_back({std::string(layout.Name), row, column, text});
    }
    return edits;
  }

  bool OneIn(int n) { return rng_() % unsigned(n) == 0; }
  int Between(int low, int high) { return low + int(rng_() % unsigned(high - low + 1)); }

 private:
  template <typename T>
  T Pick(std::initializer_list<T> values) {
    return values.begin()[rng_() % values.size()];
  }
  std::string Number() { return std::to_string(Between(-5, 70000)); }
  std::string Text() {
    if (OneIn(30)) return Pick<const char*>({"", "12a", "99999999999", "-0", "戦車"});
    // The edges of a 32-bit integer in each form a text may take: where a build's integer
    // width differs, these are the texts that show it.
    if (OneIn(12)) {
      return Pick<const char*>({"2147483647", "2147483648", "-2147483648", "-2147483649",
                                "4294967296", "4294967295", "$7FFFFFFF", "x80000000", "0xFFFFFFFF",
                                " +65535", "65536", "99999999999"});
    }
    return Number();
  }

  std::mt19937 rng_;
};

std::string Describe(const CliResult& r) {
  return "status " + std::to_string(r.status) + "\nstdout " + r.out.substr(0, 400) + "\nstderr " +
         r.err;
}

// Case n: a label set and two saves with their edits, through both programs. Returns the first
// difference, or the empty text.
std::string CompareCase(const std::string& other, int n) {
  Generator gen(static_cast<unsigned>(n));
  TempDir dir;
  const std::string labels = dir / "labels";
  fs::create_directory(labels);
  gen.WriteLabels(labels);
  const std::string edits = dir / "edits.json";
  const std::string out = dir / "out.bin";
  std::array<std::vector<std::uint8_t>, 2> written;
  // Each program's apply starts without an output, so one cannot pass off the other's file.
  auto run = [&](const std::string& program, const std::vector<std::string>& args, int k) {
    if (args[0] == "apply") fs::remove(out);
    CliResult r = RunProgram(program, args);
    if (args[0] == "apply") written[std::size_t(k)] = ReadBytes(out);
    return r;
  };
  for (int s = 0; s < 2; ++s) {
    const std::string save = dir / ("save" + std::to_string(s) + ".bin");
    WriteFile(save, gen.Save());
    WriteFile(edits, gen.Edits().dump());
    std::vector<std::vector<std::string>> runs = {
        {"apply", save, edits, "-o", out, "--print", "--labels", labels},
        {"diff", save, out, "--labels", labels}};
    if (s == 0) runs.insert(runs.begin(), {"export", save, "--labels", labels});
    if (n % 4 == s) runs.push_back({"diff", save, out, "--json", "--labels", labels});
    if (n % 8 == s) runs.push_back({"dump", save});
    for (const auto& args : runs) {
      const CliResult native = run(kBuiltCli, args, 0);
      const CliResult node = run(other, args, 1);
      const std::string what = "save " + std::to_string(s) + ", " + args[0] + ": ";
      if (native.status != node.status || native.out != node.out || native.err != node.err)
        return what + "\n" + Describe(native) + "\n" + Describe(node);
      if (written[0] != written[1]) return what + "the saves written differ";
    }
  }
  return {};
}

TEST(Differential, BothProgramsAgreeOnGeneratedLabelsSavesAndEdits) {
  const std::string other = CliUnderTest();
  if (other == kBuiltCli) {
    GTEST_SKIP() << "needs a second build of the program in $KORVATH_CLI_UNDER_TEST (make wasm)";
  }
  const char* casesText = std::getenv("KORVATH_DIFFERENTIAL_CASES");
  // Faults planted one at a time (a CP932 table of another code page, a byte order mark left on,
  // integers of 32 bits wrapping, a refusal naming the wrong line) each showed in 7-80 % of the
  // cases, all within the first 16; at 90, the rarest goes unseen once in a thousand runs.
  const int cases = casesText != nullptr ? std::atoi(casesText) : 90;
  // Two at a time: starting node dominates, and it waits on the disk as much as on a core.
  std::vector<std::string> failures(std::size_t(std::max(cases, 0)));
  auto worker = [&](int first) {
    for (int n = first; n < cases; n += 2) failures[std::size_t(n)] = CompareCase(other, n);
  };
  std::thread second(worker, 1);
  worker(0);
  second.join();
  // The cases that differ, then the first few in full: how often a fault shows tells how many
  // cases are worth running.
  std::string differing;
  int failed = 0;
  for (std::size_t n = 0; n < failures.size(); ++n) {
    if (failures[n].empty()) continue;
    differing += " " + std::to_string(n);
    if (++failed <= 5) ADD_FAILURE() << "case " << n << ", " << failures[n];
  }
  EXPECT_EQ(failed, 0) << failed << " of " << cases << " cases differ:" << differing;
}

}  // namespace
}  // namespace korvath::clitest
