#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/grid_layout.h"
#include "core/working_copy.h"
#include "tests/cli/cli_test_support.h"

namespace korvath::clitest {
namespace {

using nlohmann::json;

const fs::path kDemo = kDemoDir;

json FieldsJson() {
  const CliResult r = RunCli({"fields", "--json"});
  EXPECT_EQ(r.status, 0) << r.err;
  return json::parse(r.out);
}

// A listed run of bits, as absolute bit numbers.
struct Bits {
  int64_t First;
  int Width;
};
Bits BitsOf(const json& b, int64_t shift = 0) {
  return {b["byte"].get<int64_t>() * 8 + b["bit"].get<int64_t>() + shift, b["width"].get<int>()};
}

std::set<int64_t> BitSet(const std::vector<Bits>& runs) {
  std::set<int64_t> bits;
  for (const Bits& r : runs)
    for (int i = 0; i < r.Width; ++i) bits.insert(r.First + i);
  return bits;
}

// Every bit that differs between two images of the same length.
std::set<int64_t> ChangedBits(const SaveImage& a, const SaveImage& b) {
  std::set<int64_t> bits;
  for (int32_t i = 0; i < a.Length; ++i) {
    const int diff = a.Bytes[std::size_t(i)] ^ b.Bytes[std::size_t(i)];
    for (int k = 0; k < 8; ++k)
      if (diff & (0x80 >> k)) bits.insert(int64_t(i) * 8 + k);
  }
  return bits;
}

// Opens the demo save on the demo labels; each case changes one thing, stores and compares.
// After a store pass the image and the controls agree again, so the next case starts there.
class FieldsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(copy_.Open(ReadBytes(kDemo / "demo.bin"), "demo.bin")); }
  // The bits the store pass changes after `edit`, from the baseline.
  template <typename Edit>
  std::set<int64_t> Changed(Edit edit) {
    const SaveImage before = copy_.Image();
    edit();
    copy_.StorePass();
    return ChangedBits(before, copy_.Image());
  }

  static std::uint32_t Flipped(std::uint32_t value, int width) {
    return ~value & ((std::uint64_t(1) << width) - 1);
  }

  const json fields_ = FieldsJson();
  WorkingCopy copy_{kDemo};
};

TEST_F(FieldsTest, ListsExactlyTheControlsAndCheckListLinesOfExport) {
  const CliResult r = RunCli({"export", (kDemo / "demo.bin").string(), "--labels", kDemo.string()});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto exported = nlohmann::ordered_json::parse(r.out);

  std::vector<std::string> listed, shown;
  for (const json& c : fields_["controls"]) listed.push_back(c["name"]);
  for (const auto& [name, value] : exported["controls"].items()) shown.push_back(name);
  EXPECT_EQ(listed, shown);

  std::vector<int> listedLines, checkableLines;
  for (const json& line : fields_["checklist"]) listedLines.push_back(line["line"]);
  const auto& lines = exported["checklist"];
  for (int i = 0; i < int(lines.size()); ++i)
    if (!lines[std::size_t(i)]["header"].get<bool>()) checkableLines.push_back(i);
  EXPECT_EQ(listedLines, checkableLines);

  for (const json& column : fields_["columns"]) {
    const auto& grid = exported["grids"][column["grid"].get<std::string>()];
    EXPECT_EQ(grid[0][column["column"].get<std::size_t>()], column["caption"].get<std::string>())
        << column;
  }
}

TEST_F(FieldsTest, EachControlStoresIntoExactlyItsListedBits) {
  for (const json& c : fields_["controls"]) {
    const std::string name = c["name"];
    const std::string kind = c["kind"];
    std::vector<Bits> runs;
    for (const json& b : c["bits"]) runs.push_back(BitsOf(b));
    const std::set<int64_t> listed = BitSet(runs);
    const Bits& field = runs.front();
    const std::uint32_t now = GetBits(copy_.Image(), field.First, field.Width);
    if (kind == "edit" || kind == "check box") {
      const std::uint32_t to = Flipped(now, field.Width);
      const auto changed = Changed([&] {
        if (kind == "edit")
          copy_.SetEditText(name, std::to_string(to));
        else
          copy_.SetChecked(name, to != 0);
      });
      EXPECT_EQ(changed, listed) << name;
    } else if (kind == "faction list") {
      const int to = now == 1 ? 2 : 1;
      const auto changed = Changed([&] { copy_.SetItemIndex(name, to); });
      EXPECT_FALSE(changed.empty()) << name;
      for (int64_t bit : changed) EXPECT_TRUE(listed.count(bit)) << name << " bit " << bit;
      EXPECT_EQ(GetBits(copy_.Image(), field.First, field.Width), std::uint32_t(to)) << name;
    } else {
      ASSERT_EQ(kind, "scenario list");
      for (int item = 0; item < 3; ++item) {
        const auto changed = Changed([&] { copy_.SetItemIndex(name, item); });
        for (int64_t bit : changed) EXPECT_TRUE(listed.count(bit)) << name << " bit " << bit;
      }
      EXPECT_EQ(runs.size(), 3u);
    }
  }
}

TEST_F(FieldsTest, EachCheckListLineStoresIntoItsListedBit) {
  for (const json& line : fields_["checklist"]) {
    const int n = line["line"];
    const Bits bit = BitsOf(line["bits"][0]);
    const bool checked = copy_.CheckList().at(std::size_t(n)).Checked;
    EXPECT_EQ(GetBits(copy_.Image(), bit.First, 1), checked ? 1u : 0u) << n;
    EXPECT_EQ(Changed([&] { copy_.SetCheckListChecked(n, !checked); }), BitSet({bit})) << n;
  }
}

TEST_F(FieldsTest, EachColumnStoresIntoItsListedBitsInFirstAndLastRecord) {
  // A plan that is not proposed carries no turn, so every plan is proposed first.
  for (GridId grid : {GridId::StringGrid1_1, GridId::StringGrid2_1, GridId::StringGrid3_1})
    for (int row = 1; row <= kPlanRecords; ++row) copy_.SetCell(grid, row, 1, "次提案");
  copy_.StorePass();

  std::set<std::pair<std::string, int>> listedColumns;
  for (const json& c : fields_["columns"]) {
    const std::string gridName = c["grid"];
    const GridId grid = *GridByName(gridName);
    const int column = c["column"];
    listedColumns.insert({gridName, column});
    const int records = c["records"];
    for (int k : {0, records - 1}) {
      const int row = c["first_row"].get<int>() + k * c["rows_per_record"].get<int>();
      const Bits field = BitsOf(c["bits"][0], int64_t(k) * c["record_stride"].get<int>());
      const std::uint32_t now = GetBits(copy_.Image(), field.First, field.Width);
      const std::string where =
          gridName + " row " + std::to_string(row) + " column " + std::to_string(column);
      if (c["kind"] == "number") {
        ASSERT_EQ(copy_.Grid(grid).Cell(row, column), std::to_string(now)) << where;
        const std::uint32_t to = Flipped(now, field.Width);
        EXPECT_EQ(Changed([&] { copy_.SetCell(grid, row, column, std::to_string(to)); }),
                  BitSet({field}))
            << where;
        continue;
      }
      // A label with another code than the field holds; code 0 would clear a plan's turn.
      const json* label = nullptr;
      for (const json& l : c["labels"])
        if (l["code"] != 0 && l["code"] != now && label == nullptr) label = &l;
      ASSERT_NE(label, nullptr) << where;
      const auto changed = Changed([&] { copy_.SetCell(grid, row, column, (*label)["text"]); });
      EXPECT_FALSE(changed.empty()) << where;
      for (int64_t bit : changed) EXPECT_TRUE(BitSet({field}).count(bit)) << where;
      EXPECT_EQ(GetBits(copy_.Image(), field.First, field.Width), (*label)["code"]) << where;
    }
  }

  // Nothing else in a bound table reaches the save.
  for (GridId grid : kAllGrids) {
    const GridLayout& layout = LayoutOf(grid);
    if (grid == GridId::StringGrid7_1) continue;
    for (int column = 0; column < int(layout.Columns.size()); ++column) {
      if (listedColumns.count({std::string(layout.Name), column})) continue;
      EXPECT_TRUE(Changed([&] { copy_.SetCell(grid, 1, column, "1"); }).empty())
          << layout.Name << " column " << column;
    }
  }
}

TEST(Fields, FailingStandardOutputExitsWithFive) {
  const CliResult r = RunCli({"fields"}, "/dev/full");
  EXPECT_EQ(r.status, 5);
  EXPECT_EQ(r.err, "cannot write to standard output\n");
}

TEST(Fields, TextListsTheSameEntriesAsJson) {
  const json all = FieldsJson();
  const CliResult r = RunCli({"fields"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Edit1_1\t自軍\t総資金\tedit\tbyte "), std::string::npos);
  std::size_t lines = 0;
  for (char ch : r.out) lines += ch == '\n';
  // One heading per group.
  EXPECT_EQ(lines, 3 + all["controls"].size() + all["checklist"].size() + all["columns"].size());
}

}  // namespace
}  // namespace korvath::clitest
