#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <functional>

#include "tests/cli/cli_test_support.h"
#include "tests/core/odd_files.h"

namespace korvath::clitest {
namespace {

using korvath::testing::MakeFifo;
using korvath::testing::MakeOddFiles;

const std::string kReadError = "ファイル読込エラー\n";

// Whether text is valid UTF-8 without control characters (C0, DEL, C1) but line breaks.
bool CleanText(std::string text) {
  iconv_t decoder = ::iconv_open("UTF-32LE", "UTF-8");
  std::u32string decoded(text.size(), U'\0');
  char* in = text.data();
  std::size_t inLeft = text.size();
  char* out = reinterpret_cast<char*>(decoded.data());
  std::size_t outLeft = decoded.size() * sizeof(char32_t);
  const bool valid = ::iconv(decoder, &in, &inLeft, &out, &outLeft) != std::size_t(-1);
  ::iconv_close(decoder);
  decoded.resize(decoded.size() - outLeft / sizeof(char32_t));
  return valid && std::none_of(decoded.begin(), decoded.end(), [](char32_t c) {
           return c != U'\n' && (c < 0x20 || (c >= 0x7F && c < 0xA0));
         });
}

class OddFilesTest : public CliTest {
 protected:
  std::string Save() {
    const std::string path = dir_ / "save.bin";
    WriteImage(path, BlankImage());
    return path;
  }
  std::string Edits() {
    const std::string path = dir_ / "edits.json";
    WriteFile(path, "{}");
    return path;
  }
};

TEST_F(OddFilesTest, SaveOrEditsThatAreNotRegularFilesAreReadErrorsAtOnce) {
  TempDir odd;
  for (const auto& file : MakeOddFiles(odd.Path())) {
    const std::string path = file.path.string();
    for (const auto& args :
         {std::vector<std::string>{"export", path, "--labels", Labels()},
          std::vector<std::string>{"dump", path},
          std::vector<std::string>{"apply", path, Edits(), "--labels", Labels()},
          std::vector<std::string>{"apply", Save(), path, "--labels", Labels()}}) {
      const CliResult r = RunCli(args);
      EXPECT_EQ(r.status, 2) << file.kind << " " << args[0];
      EXPECT_EQ(r.err, kReadError + path + "\n") << file.kind << " " << args[0];
    }
  }
}

TEST_F(OddFilesTest, ALabelFileThatIsAFifoEndsStartUpAtOnce) {
  for (const char* name : {"plan.txt", "special.txt"}) {
    korvath::testing::TempLabelDir labels;
    labels.Remove(name);
    MakeFifo(labels.Path() / name);
    const CliResult r = RunCli({"export", Save(), "--labels", labels.Path().string()});
    EXPECT_EQ(r.status, 2) << name;
    const std::string folder = labels.Path().string();
    std::string expected = "ファイル読込エラー\n探したフォルダ: " + folder;
    expected.append("\n使えないフォルダ: ").append(folder).append(" (").append(name);
    expected.append(": 通常のファイルではありません)\n");
    EXPECT_EQ(r.err, expected) << name;
  }
}

// Every place a name or a text of the user's reaches a message, with a plain name and a hostile
// one (NAME below): the hostile run answers alike, in as many lines, each valid UTF-8 without
// control characters. Under node, bytes that are not UTF-8 reach the program as U+FFFD already.
TEST_F(OddFilesTest, HostileNamesAndBytesReachNoMessageRaw) {
  const std::string save = Save();
  const std::string edits = Edits();
  const std::string labels = Labels();
  const std::string missing = dir_ / "missing/NAME";
  const std::string badJson = dir_ / "bad.json";  // a JSON syntax error that repeats NAME
  struct Case {
    std::vector<std::string> args;
    std::string stdoutTo;
  };
  const std::vector<Case> cases = {
      {{"export", missing, "--labels", labels}, ""},
      {{"dump", missing}, ""},
      {{"apply", missing, edits, "--labels", labels}, ""},
      {{"apply", save, missing, "--labels", labels}, ""},
      {{"apply", save, edits, "-o", missing, "--labels", labels}, ""},
      {{"apply", save, edits, "-o", dir_ / "NAME", "--print", "--labels", labels}, "/dev/full"},
      {{"diff", save, missing, "--labels", labels}, ""},
      {{"export", save, "--labels", missing}, ""},
      {{"dump", save, "NAME"}, ""},
      {{"dump", "-NAME"}, ""},
      {{"apply", save, badJson, "--labels", labels}, ""},
  };
  const auto run = [&](const Case& c, const std::string& name) {
    WriteFile(badJson, R"({"controls": {")" + name);
    std::vector<std::string> args = c.args;
    for (std::string& arg : args) {
      if (const auto at = arg.find("NAME"); at != std::string::npos) arg.replace(at, 4, name);
    }
    return RunCli(args, c.stdoutTo);
  };
  const auto lines = [](const CliResult& r) {
    return std::count(r.err.begin(), r.err.end(), '\n');
  };
  const std::string hostile =
      "fake\nline\x1b[31m\x7f\xc2\x9b"
      "2J\xff.bin";
  for (const Case& c : cases) {
    const CliResult plain = run(c, "plain.bin");
    ASSERT_NE(plain.err, "") << c.args[0];
    const CliResult r = run(c, hostile);
    EXPECT_EQ(r.status, plain.status) << c.args[0] << ": " << r.err;
    EXPECT_EQ(lines(r), lines(plain)) << c.args[0] << ": " << r.err;
    EXPECT_TRUE(CleanText(r.err)) << c.args[0] << ": " << r.err;
  }
}

// Help and version too; and under node, whose program would find /dev/null in place of a closed
// standard output.
TEST_F(OddFilesTest, AFullOrClosedStandardOutputFailsWhatPrints) {
  const std::string save = Save();
  const std::string edits = dir_ / "edits.json";
  WriteFile(edits, R"({"controls": {"Edit1_1": "77"}})");
  const std::string printed = dir_ / "printed.bin";
  const std::string labels = Labels();
  struct Case {
    std::vector<std::string> args;
    std::string stdoutTo;
    int status;
  };
  for (const Case& c : std::vector<Case>{
           {{"--help"}, "/dev/full", 5},
           {{"--version"}, "/dev/full", 5},
           {{"apply", "--help"}, "/dev/full", 5},
           {{"--version"}, "/dev/null", 0},
           {{"fields"}, kClosedStdout, 5},
           {{"export", save, "--labels", labels}, kClosedStdout, 5},
           {{"apply", save, edits, "-o", printed, "--print", "--labels", labels}, kClosedStdout, 5},
           {{"apply", save, edits, "--labels", labels}, kClosedStdout, 0},
       }) {
    const CliResult r = RunCli(c.args, c.stdoutTo);
    EXPECT_EQ(r.status, c.status) << c.args[0] << " " << c.args.back() << ": " << r.err;
    if (c.status == 5) {
      EXPECT_EQ(r.err.rfind("cannot write to standard output", 0), 0u) << r.err;
    }
  }
  EXPECT_EQ(GetBits(ImageOf(ReadBytes(printed)), ControlBit("Edit1_1"), 24), 77u);
}

TEST_F(OddFilesTest, AFileNameThatBeginsWithADashGoesAfterTwoDashes) {
  const fs::path before = fs::current_path();
  fs::current_path(dir_.Path());
  WriteImage("-save.bin", BlankImage());
  WriteFile("edits.json", R"({"controls": {"Edit1_1": "77"}})");
  const CliResult refused = RunCli({"apply", "-save.bin", "edits.json", "--labels", Labels()});
  const CliResult taken = RunCli({"apply", "--labels", Labels(), "--", "-save.bin", "edits.json"});
  const auto value = GetBits(ImageOf(ReadBytes("-save.bin")), ControlBit("Edit1_1"), 24);
  fs::current_path(before);
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.err,
            "unknown option -save.bin: a file name that begins with - goes after --\n"
            "Run with --help for more information.\n");
  EXPECT_EQ(taken.status, 0) << taken.err;
  EXPECT_EQ(value, 77u);
}

}  // namespace
}  // namespace korvath::clitest
