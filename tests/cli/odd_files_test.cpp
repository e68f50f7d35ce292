#include <gtest/gtest.h>

#include "tests/cli/cli_test_support.h"
#include "tests/core/odd_files.h"

namespace korvath::clitest {
namespace {

using korvath::testing::MakeFifo;
using korvath::testing::MakeOddFiles;

const std::string kReadError = "ファイル読込エラー\n";

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

}  // namespace
}  // namespace korvath::clitest
