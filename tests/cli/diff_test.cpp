#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/cli/cli_test_support.h"
#include "tests/core/odd_files.h"

namespace korvath::clitest {
namespace {

using nlohmann::json;

class DiffTest : public CliTest {
 protected:
  std::string Write(const std::string& name, const SaveImage& image) {
    const std::string path = dir_ / name;
    WriteImage(path, image);
    return path;
  }
};

TEST_F(DiffTest, SaveComparedWithItselfPrintsNothingAndExitsZero) {
  SaveImage image = BlankImage();
  PutBits(image, ControlBit("Edit1_1"), 24, 777);
  const std::string a = Write("a.bin", image);
  const std::string b = Write("b.bin", image);

  const CliResult text = RunCli({"diff", a, b, "--labels", Labels()});
  EXPECT_EQ(text.status, 0) << text.err;
  EXPECT_EQ(text.out, "");
  const CliResult asJson = RunCli({"diff", a, a, "--labels", Labels(), "--json"});
  EXPECT_EQ(asJson.status, 0) << asJson.err;
  EXPECT_EQ(json::parse(asJson.out)["differences"], json::array());
}

TEST_F(DiffTest, DifferencesAreListedAsLinesOrJsonAndExitOne) {
  SaveImage image = BlankImage();
  const std::string a = Write("a.bin", image);
  PutBits(image, RecordBit("StringGrid1_2", 4, 155), 10, 321);  // durability of slot 4
  image.Bytes[1683] = 0x81;                                     // bits of no field
  const std::string b = Write("b.bin", image);

  const CliResult text = RunCli({"diff", a, b, "--labels", Labels()});
  EXPECT_EQ(text.status, 1) << text.err;
  EXPECT_EQ(text.out,
            "自軍 / 部隊データ / No 4 / 耐久: 0 → 321 [バイト 1782 ビット 7 幅 10]\n"
            "項目外 / バイト 1683: 00 → 81\n");

  const CliResult asJson = RunCli({"diff", a, b, "--labels", Labels(), "--json"});
  EXPECT_EQ(asJson.status, 1) << asJson.err;
  const json out = json::parse(asJson.out);
  EXPECT_EQ(out["a"], a);
  EXPECT_EQ(out["b"], b);
  ASSERT_EQ(out["differences"].size(), 2u);
  // The control, row and column are those an edits file for apply names.
  EXPECT_EQ(out["differences"][0], json::parse(R"({"kind": "cell",
              "place": "自軍 / 部隊データ / No 4 / 耐久",
              "page": "自軍", "control": "StringGrid1_2", "caption": "部隊データ",
              "row": 5, "column": 3, "rowName": "No 4", "heading": "耐久",
              "a": "0", "b": "321", "bits": [{"byte": 1782, "bit": 7, "width": 10}]})"));
  EXPECT_EQ(out["differences"][1], json::parse(R"({"kind": "bytes", "place": "項目外 / バイト 1683",
              "byte": 1683, "count": 1, "a": "00", "b": "81"})"));
}

// Before any field: a reader must know at once that the files are not the same size.
TEST_F(DiffTest, OtherLengthsAreStatedFirstWithBothLengths) {
  SaveImage image = BlankImage();
  const std::string a = Write("a.bin", image);
  image.Length = 1690;
  const std::string b = Write("b.bin", image);

  const CliResult text = RunCli({"diff", a, b, "--labels", Labels()});
  EXPECT_EQ(text.status, 1) << text.err;
  EXPECT_EQ(text.out.substr(0, text.out.find('\n')), "ファイルの長さ: 18368 バイト → 1690 バイト");
  const json out = json::parse(RunCli({"diff", a, b, "--labels", Labels(), "--json"}).out);
  EXPECT_EQ(out["length"], json::parse(R"({"a": 18368, "b": 1690})"));
  EXPECT_EQ(out["differences"][0]["kind"], "length");
}

TEST_F(DiffTest, UnreadableInputExitsTwo) {
  const std::string save = Write("a.bin", BlankImage());
  const std::string tooLarge = dir_ / "large.bin";
  WriteFile(tooLarge, std::vector<std::uint8_t>(SaveImage::Capacity + 1));
  const std::string missing = dir_ / "missing.bin";
  const std::string fifo = dir_ / "fifo.bin";  // nobody writes it: reading must not wait
  korvath::testing::MakeFifo(fifo);

  for (const std::string& bad : {missing, tooLarge, fifo, dir_.Path().string()}) {
    for (const auto& args : {std::vector<std::string>{"diff", bad, save, "--labels", Labels()},
                             std::vector<std::string>{"diff", save, bad, "--labels", Labels()}}) {
      const CliResult r = RunCli(args);
      EXPECT_EQ(r.status, 2) << bad;
      EXPECT_EQ(r.out, "");
      EXPECT_EQ(r.err, "ファイル読込エラー\n" + bad + "\n");
    }
  }
  const CliResult noLabels = RunCli({"diff", save, save, "--labels", missing});
  EXPECT_EQ(noLabels.status, 2);
  EXPECT_EQ(noLabels.err, "ファイル読込エラー\n");
}

}  // namespace
}  // namespace korvath::clitest
