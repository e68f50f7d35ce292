// Every command finds the label files by the same search, and a closed pipe is a failing standard
// output like any other.

#include <stdlib.h>

#include <gtest/gtest.h>

#include "tests/cli/cli_test_support.h"
#include "tests/core/odd_files.h"

namespace korvath::clitest {
namespace {

// Sets an environment variable for as long as it lives.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST_F(CliTest, EveryCommandSearchesTheSameLabelFoldersAndPassesOverUnusableOnes) {
  // A copy of the program in a folder of its own, so that its folder holds no label files.
  const fs::path root = dir_.Path();
  fs::create_directories(root / "bin");
  const std::string program = (root / "bin" / "korvath-cli").string();
  fs::copy_file(kBuiltCli, program);
  const fs::path home = root / "home" / "korvath";
  const fs::path shared = root / "share" / "korvath";
  for (const fs::path& folder : {home, shared}) {
    fs::create_directories(folder);
    for (const char* name : kLabelFileNames) fs::copy_file(labels_.Path() / name, folder / name);
  }
  WriteFile(home / "area.txt", "0 a\r\n");  // too short: the home folder cannot be used
  const ScopedEnv dataHome("XDG_DATA_HOME", (root / "home").string());
  const ScopedEnv dataDirs("XDG_DATA_DIRS", (root / "share").string());

  const std::string save = dir_ / "save.bin";
  WriteImage(save, BlankImage());
  const std::string edits = dir_ / "edits.json";
  WriteFile(edits, "{}");
  const std::vector<std::vector<std::string>> commands = {
      {"export", save}, {"apply", save, edits}, {"diff", save, save}};
  for (const auto& args : commands) {
    const CliResult r = RunProgram(program, args);
    EXPECT_EQ(r.status, 0) << args[0] << ": " << r.err;
  }
  fs::remove_all(shared);
  for (const auto& args : commands) {
    const CliResult r = RunProgram(program, args);
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_EQ(r.err.rfind("ファイル読込エラー\n探したフォルダ: " + (root / "bin").string(), 0), 0u)
        << r.err;
    EXPECT_NE(r.err.find("\n使えないフォルダ: " + home.string() + " ("), std::string::npos)
        << r.err;
  }
}

// Notepad's UTF-8 under a name in capitals is read; a set that cannot serve says which file and
// why, also for a FIFO in place of a file.
TEST_F(CliTest, LabelFilesInUtf8AndCapitalsAreReadAndARefusedSetSaysWhy) {
  const fs::path folder = dir_.Path() / "labels";
  fs::create_directories(folder);
  for (const char* name : kLabelFileNames) fs::copy_file(labels_.Path() / name, folder / name);
  fs::remove(folder / "pilot.txt");
  WriteFile(folder / "PILOT.TXT",
            "\xEF\xBB\xBF"
            "0 テスト操縦士\r\n");
  const std::string save = dir_ / "save.bin";
  WriteImage(save, BlankImage());
  CliResult r = RunCli({"export", save, "--labels", folder.string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("0 テスト操縦士"), std::string::npos);

  std::string twelve;
  for (int i = 0; i < 12; ++i) twelve += std::to_string(i) + " a\r\n";
  WriteFile(folder / "area.txt", twelve);
  fs::remove(folder / "class.txt");
  testing::MakeFifo(folder / "class.txt");
  r = RunCli({"export", save, "--labels", folder.string()});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(
      r.err,
      "ファイル読込エラー\n探したフォルダ: " + folder.string() +
          "\n使えないフォルダ: " + folder.string() +
          " (area.txt: 78 行必要ですが 12 行です、class.txt: 通常のファイルではありません)\n");
}

TEST_F(CliTest, AClosedPipeIsAFailingStandardOutputAndAWrittenSaveSaysSo) {
  const std::string save = dir_ / "save.bin";
  WriteImage(save, BlankImage());
  const std::string edits = dir_ / "edits.json";
  WriteFile(edits, R"({"controls": {"Edit1_1": "77"}})");
  CliResult r = RunCli({"export", save, "--labels", Labels()}, kClosedPipe);
  EXPECT_EQ(r.status, 5) << r.err;
  EXPECT_EQ(r.err, "cannot write to standard output\n");
  r = RunCli({"apply", save, edits, "--labels", Labels(), "--print"}, kClosedPipe);
  EXPECT_EQ(r.status, 5) << r.err;
  EXPECT_EQ(r.err, "cannot write to standard output; the save was written to " + save + "\n");
  EXPECT_EQ(GetBits(ImageOf(ReadBytes(save)), ControlBit("Edit1_1"), 24), 77u);
  for (const char* command : {"dump", "fields"}) {
    std::vector<std::string> args = {command};
    if (args[0] == "dump") args.push_back(save);
    r = RunCli(args, kClosedPipe);
    EXPECT_EQ(r.status, 5) << command << ": " << r.err;
  }
  WriteImage(dir_ / "other.bin", ImageOf(std::vector<std::uint8_t>(SaveImage::Capacity, 0xFF)));
  r = RunCli({"diff", save, dir_ / "other.bin", "--labels", Labels()}, kClosedPipe);
  EXPECT_EQ(r.status, 5) << r.err;
}

}  // namespace
}  // namespace korvath::clitest
