#include <gtest/gtest.h>

#include <algorithm>

#include <nlohmann/json.hpp>

#include "core/hex_dump.h"
#include "tests/cli/cli_test_support.h"

namespace korvath::clitest {
namespace {

using nlohmann::json;

json Export(const std::string& save, const std::string& labels) {
  const CliResult r = RunCli({"export", save, "--labels", labels});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  return json::parse(r.out);
}

class ExportTest : public CliTest {};

TEST_F(ExportTest, ShowsValuesWrittenAtKnownBits) {
  SaveImage image = BlankImage();
  PutBits(image, ControlBit("Edit1_1"), ControlWidth("Edit1_1"), 9999999);
  PutBits(image, ControlBit("Edit2_3"), ControlWidth("Edit2_3"), 100);
  PutBits(image, ControlBit("CheckBox1_1"), 1, 1);
  PutBits(image, ControlBit("ComboBox1_1"), 4, 12);  // a faction past 9 shows as none
  PutBits(image, ControlBit("ComboBox2_1"), 4, 3);
  PutBits(image, 8 * 16 + 1, 1, 1);  // scenario flags (0, 1, 1): the third item
  PutBits(image, 8 * 16 + 0, 1, 1);
  PutBits(image, 8 * 1414, 1, 1);                               // special plan 1
  PutBits(image, RecordBit("StringGrid1_2", 1, 0), 9, 2);       // unit type of slot 1
  PutBits(image, RecordBit("StringGrid1_2", 1, 155), 10, 321);  // its durability
  PutBits(image, RecordBit("StringGrid4_1", 199, 21), 7, 77);   // merit of the last pilot
  PutBits(image, RecordBit("StringGrid2_1", 0, 0), 4, 2);       // plan 0: "NEW", turn 7
  PutBits(image, RecordBit("StringGrid2_1", 0, 4), 5, 7);
  const std::string save = dir_ / "crafted.bin";
  WriteImage(save, image);

  const json state = Export(save, Labels());
  EXPECT_EQ(state["path"], save);
  EXPECT_EQ(state["length"], SaveImage::Capacity);
  const json& controls = state["controls"];
  EXPECT_EQ(controls["Edit1_1"], "9999999");
  EXPECT_EQ(controls["Edit2_3"], "100");
  EXPECT_EQ(controls["Edit1_2"], "0");
  EXPECT_EQ(controls["CheckBox1_1"], true);
  EXPECT_EQ(controls["CheckBox1_2"], false);
  EXPECT_EQ(controls["ComboBox1_1"], 10);
  EXPECT_EQ(controls["ComboBox2_1"], 3);
  EXPECT_EQ(controls["ComboBox3_1"], 0);
  EXPECT_EQ(controls["ComboBox6_1"], 2);

  const json& checklist = state["checklist"];
  ASSERT_EQ(checklist.size(), 217u);
  EXPECT_EQ(checklist[0], json({{"text", "0 見出し0"}, {"header", true}, {"checked", false}}));
  EXPECT_EQ(checklist[1], json({{"text", "1 特別1"}, {"header", false}, {"checked", true}}));
  EXPECT_EQ(checklist[2]["checked"], false);
  EXPECT_EQ(checklist[85]["header"], true);

  const json& units = state["grids"]["StringGrid1_2"];
  EXPECT_EQ(units[0][3], "耐久");
  EXPECT_EQ(units[2][0], "1");
  EXPECT_EQ(units[2][1], "2");
  EXPECT_EQ(units[2][2], "2 兵器2");
  EXPECT_EQ(units[2][3], "321");
  EXPECT_EQ(units[1][2], "0 兵器0");
  EXPECT_EQ(state["grids"]["StringGrid4_1"][200][10], "77");
  EXPECT_EQ(state["grids"]["StringGrid4_1"][160][0], "159 パイロット159");
  EXPECT_EQ(state["grids"]["StringGrid4_1"][161][0], "");  // past the pilot list
  const json& plans = state["grids"]["StringGrid2_1"];
  EXPECT_EQ(plans[1], json({"0 計画0", "NEW", "7"}));
  EXPECT_EQ(state["grids"]["StringGrid7_1"][2], json({"1 兵器1", "種類", "101", "51", "1"}));
}

TEST_F(ExportTest, ListsEveryValueControlAndNothingElse) {
  const std::string save = dir_ / "blank.bin";
  WriteImage(save, BlankImage());
  // Parsed keeping the printed order, which follows the field map.
  const nlohmann::ordered_json controls =
      nlohmann::ordered_json::parse(RunCli({"export", save, "--labels", Labels()}).out)["controls"];
  std::vector<std::string> expected;
  for (const MainFieldEntry& entry : MainFieldMap()) {
    if (entry.Kind == ControlKind::Edit || entry.Kind == ControlKind::CheckBox ||
        entry.Kind == ControlKind::ComboBox)
      expected.emplace_back(entry.Control);
  }
  std::vector<std::string> names;
  for (const auto& [name, value] : controls.items()) names.push_back(name);
  EXPECT_EQ(names, expected);
  for (const auto& [name, value] : controls.items()) {
    const ControlKind kind = FindMainField(name)->Kind;
    const bool typeFits = kind == ControlKind::Edit       ? value.is_string()
                          : kind == ControlKind::CheckBox ? value.is_boolean()
                                                          : value.is_number_integer();
    EXPECT_TRUE(typeFits) << name;
  }
}

TEST_F(ExportTest, GridsHaveTheirRowAndColumnCounts) {
  const std::string save = dir_ / "short.bin";
  WriteImage(save, BlankImage(100));
  const json state = Export(save, Labels());
  EXPECT_EQ(state["length"], 100);
  struct Shape {
    const char* grid;
    std::size_t rows, columns;
  };
  const Shape shapes[] = {
      {"StringGrid1_1", 266, 3},  {"StringGrid2_1", 266, 3},  {"StringGrid3_1", 266, 3},
      {"StringGrid1_2", 201, 20}, {"StringGrid2_2", 201, 20}, {"StringGrid3_2", 201, 20},
      {"StringGrid4_1", 201, 15}, {"StringGrid5_1", 153, 5},  {"StringGrid5_2", 79, 13},
      {"StringGrid7_1", 295, 5},
  };
  ASSERT_EQ(state["grids"].size(), std::size(shapes));
  for (const Shape& s : shapes) {
    const json& grid = state["grids"][s.grid];
    ASSERT_EQ(grid.size(), s.rows) << s.grid;
    for (const json& row : grid) ASSERT_EQ(row.size(), s.columns) << s.grid;
  }
  // Unwritten cells are empty texts, not nulls.
  EXPECT_EQ(state["grids"]["StringGrid7_1"][294][0], "");
}

TEST(ExportRows, WeaponsListGrowsWithTheUnitListButPlanTablesDoNot) {
  auto files = korvath::testing::LabelFiles::Standard();
  for (int i = int(files.unit.size()); i < 300; ++i)
    files.unit.push_back(std::to_string(i) + " 兵器" + std::to_string(i) + "\t種類\t" +
                         std::to_string(100 + i) + "\t0\t0");
  for (int i = int(files.plan.size()); i < 300; ++i)
    files.plan.push_back(std::to_string(i) + " 計画" + std::to_string(i));
  korvath::testing::TempLabelDir labels(files);
  TempDir dir;
  const std::string save = dir / "blank.bin";
  WriteImage(save, BlankImage());
  const json grids = Export(save, labels.Path().string())["grids"];
  ASSERT_EQ(grids["StringGrid7_1"].size(), 301u);
  EXPECT_EQ(grids["StringGrid7_1"][300][0], "299 兵器299");
  EXPECT_EQ(grids["StringGrid7_1"][300][2], "399");
  EXPECT_EQ(grids["StringGrid1_1"].size(), 266u);
  EXPECT_EQ(grids["StringGrid1_1"][265][0], "264 計画264");
}

TEST_F(ExportTest, EmptySaveReadsAsZeros) {
  const std::string save = dir_ / "empty.bin";
  WriteFile(save, "");
  const json state = Export(save, Labels());
  EXPECT_EQ(state["length"], 0);
  EXPECT_EQ(state["controls"]["Edit1_1"], "0");
  EXPECT_EQ(state["grids"]["StringGrid1_2"][200][3], "0");
}

TEST_F(ExportTest, FullCapacityOpensAndOneByteMoreDoesNot) {
  const std::string fits = dir_ / "fits.bin";
  const std::string big = dir_ / "big.bin";
  WriteFile(fits, std::string(SaveImage::Capacity, '\0'));
  WriteFile(big, std::string(SaveImage::Capacity + 1, '\0'));
  EXPECT_EQ(RunCli({"export", fits, "--labels", Labels()}).status, 0);
  const CliResult r = RunCli({"export", big, "--labels", Labels()});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "ファイル読込エラー\n" + big + "\n");
  EXPECT_EQ(r.out, "");
}

TEST_F(ExportTest, MissingSaveIsAReadError) {
  const std::string missing = dir_ / "missing.bin";
  for (const auto& args : {std::vector<std::string>{"export", missing, "--labels", Labels()},
                           std::vector<std::string>{"dump", missing}}) {
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_EQ(r.err, "ファイル読込エラー\n" + missing + "\n") << args[0];
  }
}

TEST_F(ExportTest, MissingOrShortLabelFilesAreAReadError) {
  const std::string save = dir_ / "blank.bin";
  WriteImage(save, BlankImage());
  TempDir empty;
  auto files = korvath::testing::LabelFiles::Standard();
  files.area.resize(kMinAreaEntries - 1);
  korvath::testing::TempLabelDir shortArea(files);
  for (const fs::path& labels : {empty.Path(), shortArea.Path()}) {
    for (const char* command : {"export", "apply"}) {
      std::vector<std::string> args = {command, save};
      if (std::string(command) == "apply") args.push_back(dir_ / "edits.json");
      args.insert(args.end(), {"--labels", labels.string()});
      const CliResult r = RunCli(args);
      EXPECT_EQ(r.status, 2) << command;
      // The folder is named, and when it held all six files, why they could not be used.
      std::string expected = "ファイル読込エラー\n探したフォルダ: " + labels.string();
      if (labels == shortArea.Path()) expected += "\n使えないフォルダ: " + labels.string() + " (";
      EXPECT_EQ(r.err.rfind(expected, 0), 0u) << command << ": " << r.err;
      EXPECT_EQ(r.out, "");
    }
  }
}

TEST(Usage, ErrorsExitWithTwoAndHelpWithZero) {
  const std::vector<std::vector<std::string>> bad = {
      {}, {"frobnicate"}, {"export"}, {"apply", "only-save.bin"}, {"dump", "a", "--bogus"}};
  for (const auto& args : bad) {
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.status, 2) << ::testing::PrintToString(args);
    EXPECT_NE(r.err, "") << ::testing::PrintToString(args);
  }
  const CliResult help = RunCli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("export"), std::string::npos);
}

TEST(Dump, PrintsTheListingExactlyWithoutAddingALineEnd) {
  TempDir dir;
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < 20; ++i) bytes.push_back(std::uint8_t(i * 13));
  const std::string save = dir / "d.bin";
  WriteFile(save, bytes);
  const CliResult r = RunCli({"dump", save});
  EXPECT_EQ(r.status, 0) << r.err;
  SaveImage image;
  image.Commit(bytes, save);
  EXPECT_EQ(r.out, BuildDumpText(image));
  EXPECT_EQ(r.out.rfind("FileName = " + save + "\r\nSize = 20 Byte\r\n", 0), 0u);
  EXPECT_NE(r.out.find("\r\n00000010 D0 DD"), std::string::npos);
  EXPECT_NE(r.out.back(), '\n');
}

TEST(DemoSave, ExportsWithTheDemoLabelsAndSettlesAfterOneApply) {
  const fs::path demo = kDemoDir;
  if (!fs::exists(demo / "demo.bin")) GTEST_SKIP() << "no demo data in " << demo;
  TempDir dir;
  const std::string save = dir / "demo.bin";
  fs::copy_file(demo / "demo.bin", save);
  const json state = Export(save, demo.string());
  const int units = LabelList::Parse(ReadFile(demo / "unit.txt")).Count();
  EXPECT_EQ(state["grids"]["StringGrid7_1"].size(), std::size_t(std::max(295, units + 1)));
  EXPECT_EQ(state["checklist"].size(),
            std::size_t(LabelList::Parse(ReadFile(demo / "special.txt")).Count()));

  const std::string edits = dir / "none.json";
  const std::string once = dir / "once.bin";
  const std::string twice = dir / "twice.bin";
  WriteFile(edits, "{}");
  ASSERT_EQ(RunCli({"apply", save, edits, "-o", once, "--labels", demo.string()}).status, 0);
  ASSERT_EQ(RunCli({"apply", once, edits, "-o", twice, "--labels", demo.string()}).status, 0);
  EXPECT_EQ(ReadBytes(twice), ReadBytes(once));
  EXPECT_EQ(ReadBytes(once).size(), fs::file_size(demo / "demo.bin"));
}

}  // namespace
}  // namespace korvath::clitest
