#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include <nlohmann/json.hpp>

#include "tests/cli/cli_test_support.h"

namespace korvath::clitest {
namespace {

using nlohmann::json;

class ApplyTest : public CliTest {
 protected:
  // Writes the edits beside the save and runs apply; extra arguments follow.
  CliResult Apply(const std::string& save, const std::string& edits,
                  std::vector<std::string> extra = {}) {
    const std::string editsPath = dir_ / "edits.json";
    WriteFile(editsPath, edits);
    std::vector<std::string> args = {"apply", save, editsPath, "--labels", Labels()};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunCli(args);
  }
  std::string EditsPath() const { return dir_ / "edits.json"; }

  std::string Save(const SaveImage& image, const char* name = "save.bin") {
    const std::string path = dir_ / name;
    WriteImage(path, image);
    return path;
  }
};

// Values that the store pass writes back exactly as loaded.
SaveImage CleanImage() {
  SaveImage image = BlankImage();
  PutBits(image, ControlBit("Edit1_1"), ControlWidth("Edit1_1"), 1234567);
  PutBits(image, ControlBit("ComboBox3_1"), 4, 9);
  PutBits(image, ControlBit("CheckBox6_28"), 1, 1);
  PutBits(image, 8 * 17 + 3, 1, 1);  // scenario "第１部"
  PutBits(image, 8 * 1414, 8, 0x81);
  PutBits(image, RecordBit("StringGrid1_1", 264, 0), 4, 5);  // last plan: "資金１", turn 3
  PutBits(image, RecordBit("StringGrid1_1", 264, 4), 5, 3);
  PutBits(image, RecordBit("StringGrid2_2", 7, 24), 3, 6);  // move code without a label
  PutBits(image, RecordBit("StringGrid2_2", 7, 34), 80 - 56, 0xABCDEF);  // uninterpreted bits
  PutBits(image, RecordBit("StringGrid4_1", 150, 7), 2, 3);  // affiliation without a label
  return image;
}

TEST_F(ApplyTest, NoEditsLeaveACleanSaveByteIdentical) {
  const SaveImage image = CleanImage();
  const std::string save = Save(image);
  const CliResult r = Apply(save, "{}");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  const auto c = image.Contents();
  EXPECT_EQ(ReadBytes(save), std::vector<std::uint8_t>(c.begin(), c.end()));
}

TEST_F(ApplyTest, NoEditsOnNoiseKeepUnnormalisedRegionsAndSettle) {
  std::mt19937 random(20240611);
  std::vector<std::uint8_t> noise(SaveImage::Capacity - 5);
  for (auto& b : noise) b = std::uint8_t(random());
  const std::string save = dir_ / "noise.bin";
  const std::string once = dir_ / "once.bin";
  const std::string twice = dir_ / "twice.bin";
  WriteFile(save, noise);
  ASSERT_EQ(Apply(save, "{}", {"-o", once}).status, 0);
  ASSERT_EQ(Apply(once, "{}", {"-o", twice}).status, 0);
  const auto first = ReadBytes(once);
  ASSERT_EQ(first.size(), noise.size());
  EXPECT_EQ(ReadBytes(twice), first);
  EXPECT_EQ(ReadBytes(save), noise);
  // Unbound bytes, the special-plan flags, and the unit and pilot blocks come back as read.
  for (auto [from, to] : {std::pair{0, 16}, std::pair{1413, 1457}, std::pair{1676, 16101}}) {
    EXPECT_TRUE(std::equal(noise.begin() + from, noise.begin() + to, first.begin() + from)) << from;
  }
}

TEST_F(ApplyTest, EditsReachTheirBitsAndNothingElse) {
  const std::string save = Save(BlankImage());
  const CliResult r = Apply(save, R"({
    "controls": {"Edit1_3": "-1", "Edit1_2": 500, "Edit2_1": " 12", "Edit6_1": "$1F",
                 "CheckBox1_1": true, "ComboBox1_1": 10, "ComboBox2_1": 4,
                 "ComboBox6_1": "特別編"},
    "checklist": {"2": true, "7": false},
    "cells": [["StringGrid1_2", 2, 3, "1030"], ["StringGrid4_1", 155, 10, 99],
              ["StringGrid3_1", 1, 1, "資金１"], ["StringGrid3_1", 1, 2, "1"],
              ["StringGrid1_2", 1, 13, "突入"], ["StringGrid5_2", 78, 1, "平常"]]
  })");
  ASSERT_EQ(r.status, 0) << r.err;

  SaveImage expected = BlankImage();
  PutBits(expected, ControlBit("Edit1_3"), 7, -1);
  PutBits(expected, ControlBit("Edit1_2"), 24, 500);
  PutBits(expected, ControlBit("Edit2_1"), 24, 12);
  PutBits(expected, ControlBit("Edit6_1"), 7, 31);
  PutBits(expected, ControlBit("CheckBox1_1"), 1, 1);
  PutBits(expected, ControlBit("ComboBox1_1"), 4, 15);
  PutBits(expected, ControlBit("ComboBox2_1"), 4, 4);
  PutBits(expected, 8 * 16 + 1, 1, 1);  // "特別編": F2 and F3 set, F1 clear
  PutBits(expected, 8 * 16 + 0, 1, 1);
  for (const TCellField& flag : SpecialFlagMap())
    if (flag.ItemIndex == 2) WriteBits(expected, flag, 1);
  PutBits(expected, RecordBit("StringGrid1_2", 1, 155), 10, 1030);
  PutBits(expected, RecordBit("StringGrid4_1", 154, 21), 7, 99);
  PutBits(expected, RecordBit("StringGrid3_1", 0, 0), 4, 5);
  PutBits(expected, RecordBit("StringGrid3_1", 0, 4), 5, 1);
  PutBits(expected, RecordBit("StringGrid1_2", 0, 24), 3, 2);
  const auto c = expected.Contents();
  EXPECT_EQ(ReadBytes(save), std::vector<std::uint8_t>(c.begin(), c.end()));
}

TEST_F(ApplyTest, PrintShowsTheStateAfterTheStorePassAndOutputLeavesSaveAlone) {
  SaveImage image = BlankImage();
  PutBits(image, ControlBit("ComboBox1_1"), 4, 12);
  PutBits(image, RecordBit("StringGrid1_1", 3, 4), 5, 9);  // state 0 with a turn: reset on store
  const std::string save = Save(image);
  const std::string out = dir_ / "out.bin";
  const CliResult r =
      Apply(save, R"({"cells": [["StringGrid1_2", 1, 1, "1"], ["StringGrid1_1", 2, 2, "5"]]})",
            {"--print", "-o", out});
  ASSERT_EQ(r.status, 0) << r.err;
  const json state = json::parse(r.out);
  EXPECT_EQ(state["path"], save);
  EXPECT_EQ(state["grids"]["StringGrid1_2"][1][1], "1");
  EXPECT_EQ(state["grids"]["StringGrid1_2"][1][2], "1 兵器1");
  EXPECT_EQ(state["grids"]["StringGrid1_1"][2][2], "0");
  EXPECT_EQ(state["grids"]["StringGrid1_1"][4][2], "0");
  EXPECT_EQ(state["controls"]["ComboBox1_1"], 10);

  const auto c = image.Contents();
  EXPECT_EQ(ReadBytes(save), std::vector<std::uint8_t>(c.begin(), c.end()));
  const SaveImage written = ImageOf(ReadBytes(out));
  EXPECT_EQ(GetBits(written, ControlBit("ComboBox1_1"), 4), 15u);
  EXPECT_EQ(GetBits(written, RecordBit("StringGrid1_1", 3, 4), 5), 0u);
  EXPECT_EQ(GetBits(written, RecordBit("StringGrid1_2", 0, 0), 9), 1u);
}

TEST_F(ApplyTest, TextThatIsNotAnIntegerWritesNothing) {
  struct Case {
    const char* edits;
    const char* message;
  };
  const Case cases[] = {
      {R"({"controls": {"Edit1_1": "12 "}})", "'12 ' は整数ではありません\n"},
      {R"({"controls": {"Edit1_1": ""}})", "'' は整数ではありません\n"},
      {R"({"controls": {"Edit1_1": 4294967296}})", "'4294967296' は整数ではありません\n"},
      {R"({"cells": [["StringGrid1_2", 1, 3, ""]]})", "'' は整数ではありません\n"},
      {R"({"cells": [["StringGrid4_1", 155, 11, "1e3"]]})", "'1e3' は整数ではありません\n"},
  };
  const SaveImage image = CleanImage();
  const auto c = image.Contents();
  const std::vector<std::uint8_t> original(c.begin(), c.end());
  for (const Case& tc : cases) {
    const std::string save = Save(image);
    const std::string out = dir_ / "out.bin";
    for (const bool toOut : {false, true}) {
      const CliResult r =
          toOut ? Apply(save, tc.edits, {"-o", out, "--print"}) : Apply(save, tc.edits);
      EXPECT_EQ(r.status, 1) << tc.edits;
      EXPECT_EQ(r.err, tc.message);
      EXPECT_EQ(r.out, "");
      EXPECT_EQ(ReadBytes(save), original) << tc.edits;
      EXPECT_FALSE(fs::exists(out)) << tc.edits;
    }
  }
}

TEST_F(ApplyTest, MalformedEditsAreRefusedBeforeAnythingIsWritten) {
  struct Case {
    const char* edits;
    const char* says;
  };
  const Case cases[] = {
      {"{", "not valid JSON"},
      {"[]", "one JSON object"},
      {R"({"control": {}})", "unknown key \"control\""},
      {R"({"controls": []})", "\"controls\" must be an object"},
      {R"({"controls": {"Edit9_9": "1"}})", "unknown control \"Edit9_9\""},
      {R"({"controls": {"Edit1_1": true}})", "\"Edit1_1\" takes a string or an integer"},
      {R"({"controls": {"Edit1_1": 1.5}})", "\"Edit1_1\" takes a string or an integer"},
      {R"({"controls": {"CheckBox1_1": 1}})", "\"CheckBox1_1\" takes true or false"},
      {R"({"controls": {"ComboBox1_1": 11}})", "0 to 10"},
      {R"({"controls": {"ComboBox1_1": "無し"}})", "0 to 10"},
      {R"({"controls": {"ComboBox6_1": 3}})", "-1 to 2"},
      {R"({"controls": {"StringGrid1_1": 1}})", "is a table"},
      {R"({"controls": {"CheckListBox6_1": {}}})", "is the check list"},
      {R"({"checklist": {"0": true}})", "header line"},
      {R"({"checklist": {"210": false}})", "header line"},
      {R"({"checklist": {"217": true}})", "\"217\" does not exist"},
      {R"({"checklist": {"-1": true}})", "\"-1\" does not exist"},
      {R"({"checklist": {"one": true}})", "\"one\" does not exist"},
      {R"({"checklist": {"1": 1}})", "takes true or false"},
      {R"({"checklist": []})", "\"checklist\" must be an object"},
      {R"({"cells": {}})", "\"cells\" must be an array"},
      {R"({"cells": [["StringGrid1_2", 1, 3]]})", "cells[0] must be [grid, row, column, text]"},
      {R"({"cells": [["StringGrid9_9", 1, 1, "1"]]})", "unknown grid \"StringGrid9_9\""},
      {R"({"cells": [["StringGrid7_1", 1, 1, "1"]]})", "StringGrid7_1 is read-only"},
      {R"({"cells": [["StringGrid1_2", 0, 3, "1"]]})", "from 1 to 200"},
      {R"({"cells": [["StringGrid1_2", 201, 3, "1"]]})", "from 1 to 200"},
      {R"({"cells": [["StringGrid5_2", 79, 1, "1"]]})", "from 1 to 78"},
      {R"({"cells": [["StringGrid1_2", "1", 3, "1"]]})", "from 1 to 200"},
      {R"({"cells": [["StringGrid1_2", 1, 20, "1"]]})", "from 0 to 19"},
      {R"({"cells": [["StringGrid1_2", 1, -1, "1"]]})", "from 0 to 19"},
      {R"({"cells": [["StringGrid1_2", 1, 3, null]]})", "text must be a string"},
      // Cells the windows do not let a user change, and texts their popup menus do not offer.
      {R"({"cells": [["StringGrid1_1", 1, 0, "x"]]})", "StringGrid1_1 row 1 column 0 cannot be"},
      {R"({"cells": [["StringGrid1_2", 1, 0, "1"]]})", "StringGrid1_2 row 1 column 0 cannot be"},
      {R"({"cells": [["StringGrid4_1", 1, 14, "1"]]})", "column 14 cannot be edited"},
      {R"({"cells": [["StringGrid5_1", 1, 3, "x"]]})", "column 3 cannot be edited"},
      {R"({"cells": [["StringGrid4_1", 156, 1, "1"]]})", "from 1 to 155"},
      {R"({"cells": [["StringGrid1_1", 1, 1, "new"], ["StringGrid1_1", 1, 2, "5"]]})",
       "\"new\" is not a choice of StringGrid1_1 row 1 column 1 (\"\", \"次提案\", \"NEW\""},
      {R"({"cells": [["StringGrid1_2", 1, 13, "0"]]})", "\"0\" is not a choice"},
      {R"({"cells": [["StringGrid5_2", 1, 2, "自軍"]]})",
       "(\"自\", \"敵１\", \"敵２\", \"中/無\")"},
      {R"({"cells": [["StringGrid5_2", 1, 1, "\u001b[2J"]]})", R"("\u001B[2J" is not a choice)"},
      {R"({"controls": {}, "controls": {}})", "\"controls\" is given twice"},
      // A good edit before a bad one must not reach the file either.
      {R"({"controls": {"Edit1_1": "5"}, "cells": [[1, 1, 1, "1"]]})", "cells[0]: the grid"},
  };
  const SaveImage image = CleanImage();
  const auto c = image.Contents();
  const std::vector<std::uint8_t> original(c.begin(), c.end());
  const std::string save = Save(image);
  for (const Case& tc : cases) {
    const CliResult r = Apply(save, tc.edits, {"--print"});
    EXPECT_EQ(r.status, 2) << tc.edits;
    EXPECT_EQ(r.err.rfind(EditsPath() + ": ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(tc.says), std::string::npos) << tc.edits << "\n" << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadBytes(save), original) << tc.edits;
  }
}

TEST_F(ApplyTest, HostileEditsAreUsageErrorsThatNameTheFile) {
  struct Case {
    const char* name;
    std::string edits;
    const char* says;
  };
  const std::string good = R"({"controls": {"Edit1_1": "5"}})";
  const Case cases[] = {
      {"number too large", R"({"controls": {"Edit1_1": 1e400}})", "number overflow"},
      {"number too large", R"({"cells": [["StringGrid1_2", 1, 3, 11e333]]})", "number overflow"},
      // The parser alone takes a NUL for the end and would apply the edit before it.
      {"NUL after an edit", good + std::string(1, '\0') + "garbage", "NUL byte at offset 30"},
      {"NUL alone", std::string(1, '\0'), "NUL byte at offset 0"},
      {"five levels", R"({"cells": [["StringGrid1_2", 1, 3, [["x"]]]]})", "deeper than 4 levels"},
      {"brackets in strings do not count", R"({"cells": [["[[[[", 1, 3, "]]]]"]]})",
       "unknown grid \"[[[[\""},
      {"four levels is the most", R"({"cells": [["StringGrid1_2", 1, 3, ["x"]]]})",
       "text must be a string"},
      {"ten million brackets", std::string(10'000'000, '['),  // NOLINT(bugprone-string-constructor)
       "deeper than 4 levels at offset 4"},
  };
  const std::string save = Save(CleanImage());
  const auto original = ReadBytes(save);
  for (const Case& tc : cases) {
    const CliResult r = Apply(save, tc.edits);
    EXPECT_EQ(r.status, 2) << tc.name;
    EXPECT_EQ(r.err.rfind(EditsPath() + ": ", 0), 0u) << tc.name << ": " << r.err;
    EXPECT_NE(r.err.find(tc.says), std::string::npos) << tc.name << ": " << r.err;
    EXPECT_EQ(r.err.find("json.exception"), std::string::npos) << r.err;
    EXPECT_EQ(ReadBytes(save), original) << tc.name;
  }
}

TEST_F(ApplyTest, MessagesEscapeControlBytesAndCutLongTexts) {
  const std::string save = Save(CleanImage());
  CliResult r = Apply(save, R"({"controls": {"Edit1_2": "1\u00002\u001b[2J'\u009b"}})");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "'1\\u00002\\u001B[2J\\'\\u009B' は整数ではありません\n");
  r = Apply(save, R"({"controls": {"Edit1_2": ")" + std::string(30000, 'x') + "\"}}");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "'" + std::string(80, 'x') + "…' は整数ではありません\n");
  // Longer than a box holds: refused before anything is stored, and named in short.
  r = Apply(save, R"({"controls": {"Edit1_2": ")" + std::string(32768, 'x') + "\"}}");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("longer than 32767 characters"), std::string::npos) << r.err;
  r = Apply(save, R"({"cells": [["StringGrid1_1", 1, 1, ")" + std::string(5000, 'y') + "\"]]})");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find(std::string(80, 'y') + "…\" is not a choice"), std::string::npos);
  EXPECT_LT(r.err.size(), 400u);
}

TEST_F(ApplyTest, FailingStandardOutputHasItsOwnStatusAndSaysTheSaveWasWritten) {
  const std::string save = Save(CleanImage());
  const std::string edits = dir_ / "edits.json";
  WriteFile(edits, R"({"controls": {"Edit1_1": "77"}})");
  CliResult r = RunCli({"apply", save, edits, "--labels", Labels(), "--print"}, "/dev/full");
  EXPECT_EQ(r.status, 5);
  EXPECT_EQ(r.err, "cannot write to standard output; the save was written to " + save + "\n");
  EXPECT_EQ(GetBits(ImageOf(ReadBytes(save)), ControlBit("Edit1_1"), 24), 77u);
  r = RunCli({"export", save, "--labels", Labels()}, "/dev/full");
  EXPECT_EQ(r.status, 5);
  EXPECT_EQ(r.err, "cannot write to standard output\n");
}

TEST_F(ApplyTest, UnreadableEditsFileIsAReadError) {
  const std::string save = Save(CleanImage());
  const std::string missing = dir_ / "missing.json";
  const CliResult r = RunCli({"apply", save, missing, "--labels", Labels()});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "ファイル読込エラー\n" + missing + "\n");
}

TEST_F(ApplyTest, FailedWriteExitsWithThreeAndKeepsWhatWasThere) {
  const SaveImage image = CleanImage();
  const std::string save = Save(image);
  const auto before = ReadBytes(save);
  // Root ignores permission bits, so make the write impossible by shape instead: the target
  // is a folder, or its parent is a plain file.
  const std::string folder = dir_ / "folder";
  fs::create_directory(folder);
  WriteFile(fs::path(folder) / "inside.txt", "kept");
  const std::string underFile = save + "/out.bin";
  for (const auto& [out, why] : {std::pair{folder, "通常のファイルではありません"},
                                 std::pair{underFile, "フォルダがありません"}}) {
    const CliResult r = Apply(save, R"({"controls": {"Edit1_1": "7"}})", {"-o", out, "--print"});
    EXPECT_EQ(r.status, 3) << out;
    EXPECT_EQ(r.err, "ファイル書込エラー\n" + out + "\n" + why + "\n");
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(ReadBytes(save), before);
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(ReadFile(fs::path(folder) / "inside.txt"), "kept");
  // No temporary file is left behind.
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir_.Path())) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"edits.json", "folder", "save.bin"}));
}

TEST_F(ApplyTest, WritesOverTheSaveByDefault) {
  const std::string save = Save(CleanImage());
  const CliResult r = Apply(save, R"({"controls": {"Edit1_1": "0x10"}})");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto after = ReadBytes(save);
  EXPECT_EQ(after.size(), std::size_t(SaveImage::Capacity));
  EXPECT_EQ(GetBits(ImageOf(after), ControlBit("Edit1_1"), 24), 16u);
}

}  // namespace
}  // namespace korvath::clitest
