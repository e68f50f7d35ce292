#include "core/label_folders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/label_list.h"
#include "tests/core/temp_dir.h"
#include "tests/core/test_labels.h"

namespace korvath {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::WriteFile;

// A scratch tree with an executable folder, a home and two data folders, all empty at first.
class LabelFoldersTest : public ::testing::Test {
 protected:
  LabelFoldersTest() {
    for (const char* sub : {"bin", "home", "data1", "data2"})
      fs::create_directories(root_.Path() / sub);
    search_.ExecutableDir = root_.Path() / "bin";
    search_.Home = (root_.Path() / "home").string();
    search_.XdgDataHome = std::nullopt;
    search_.XdgDataDirs =
        (root_.Path() / "data1").string() + ":" + (root_.Path() / "data2").string();
  }

  fs::path HomeFolder() const { return root_.Path() / "home/.local/share/korvath"; }
  fs::path DataFolder(int n) const {
    return root_.Path() / ("data" + std::to_string(n)) / "korvath";
  }

  // Puts usable label files into folder, all but the one named `except`.
  static void Fill(const fs::path& folder, const std::string& except = "") {
    static const testing::TempLabelDir standard;
    fs::create_directories(folder);
    for (const char* name : kLabelFileNames) {
      if (name != except) fs::copy_file(standard.Path() / name, folder / name);
    }
  }

  TempDir root_;
  LabelSearch search_;
};

TEST_F(LabelFoldersTest, ExecutableFolderThenXdgHomeThenDataDirsInOrder) {
  EXPECT_EQ(
      LabelFolderCandidates(search_),
      (std::vector<fs::path>{search_.ExecutableDir, HomeFolder(), DataFolder(1), DataFolder(2)}));

  Fill(DataFolder(2));
  EXPECT_EQ(FindLabelFolder(search_), DataFolder(2));
  Fill(DataFolder(1));
  EXPECT_EQ(FindLabelFolder(search_), DataFolder(1));
  Fill(HomeFolder());
  EXPECT_EQ(FindLabelFolder(search_), HomeFolder());
  Fill(search_.ExecutableDir);
  EXPECT_EQ(FindLabelFolder(search_), search_.ExecutableDir);
}

TEST_F(LabelFoldersTest, XdgDataHomeReplacesTheHomeDefault) {
  const fs::path custom = root_.Path() / "custom";
  search_.XdgDataHome = custom.string();
  Fill(HomeFolder());
  Fill(custom / "korvath");
  EXPECT_EQ(FindLabelFolder(search_), custom / "korvath");
  EXPECT_EQ(LabelFolderCandidates(search_).at(1), custom / "korvath");
}

TEST_F(LabelFoldersTest, AFolderMissingAnyOneFileIsSkippedWhole) {
  Fill(DataFolder(2));
  for (const char* missing : kLabelFileNames) {
    fs::remove_all(HomeFolder());
    Fill(HomeFolder(), missing);
    EXPECT_FALSE(HoldsLabelFiles(HomeFolder())) << missing;
    EXPECT_EQ(FindLabelFolder(search_), DataFolder(2)) << missing;
  }
  // A folder in the place of a file does not count either.
  fs::create_directories(HomeFolder() / "special.txt");
  EXPECT_FALSE(HoldsLabelFiles(HomeFolder()));
}

TEST_F(LabelFoldersTest, NoCompleteFolderNamesEveryFolderSearched) {
  Fill(HomeFolder(), "class.txt");
  try {
    FindLabelFolder(search_);
    FAIL() << "no folder holds all six files";
  } catch (const StartupError& e) {
    const std::string expected =
        "ファイル読込エラー\n探したフォルダ: " + search_.ExecutableDir.string() + ", " +
        HomeFolder().string() + ", " + DataFolder(1).string() + ", " + DataFolder(2).string() +
        "\n使えないフォルダ: " + HomeFolder().string() + " (class.txt: ありません)";
    EXPECT_EQ(std::string(e.what()), expected);
  }
}

TEST_F(LabelFoldersTest, AnUnusableFolderIsReportedAndTheSearchGoesOn) {
  Fill(search_.ExecutableDir);
  Fill(HomeFolder());
  Fill(DataFolder(1));
  // Too short an area list, and a plan list past the size limit.
  WriteFile(search_.ExecutableDir / "area.txt", "0 a\r\n");
  WriteFile(HomeFolder() / "plan.txt", std::string((4u << 20) + 1, '\n'));
  EXPECT_EQ(FindLabelFolder(search_), DataFolder(1));

  fs::remove_all(DataFolder(1));
  try {
    FindLabelFolder(search_);
    FAIL() << "no folder is usable";
  } catch (const StartupError& e) {
    const std::string message = e.what();
    for (const fs::path& folder : {search_.ExecutableDir, HomeFolder()}) {
      EXPECT_NE(message.find("\n使えないフォルダ: " + folder.string() + " ("), std::string::npos)
          << message;
    }
    EXPECT_EQ(message.find("使えないフォルダ: " + DataFolder(2).string()), std::string::npos);
  }
}

TEST_F(LabelFoldersTest, AChosenFolderIsTheOnlyOneTriedAndIsNamedWhenItFails) {
  Fill(search_.ExecutableDir);
  search_.Chosen = root_.Path() / "nonexistent";
  EXPECT_EQ(LabelFolderCandidates(search_), std::vector<fs::path>{*search_.Chosen});
  try {
    FindLabelFolder(search_);
    FAIL() << "the chosen folder does not exist";
  } catch (const StartupError& e) {
    EXPECT_EQ(std::string(e.what()),
              "ファイル読込エラー\n探したフォルダ: " + search_.Chosen->string());
  }
  Fill(*search_.Chosen);
  EXPECT_EQ(FindLabelFolder(search_), *search_.Chosen);
}

TEST(LabelFolderCandidates, DefaultsAndOddEnvironmentValues) {
  LabelSearch search{"/opt/k/bin", "/home/p", std::nullopt, std::nullopt, std::nullopt};
  const std::vector<fs::path> defaults = {"/opt/k/bin", "/home/p/.local/share/korvath",
                                          "/usr/local/share/korvath", "/usr/share/korvath"};
  EXPECT_EQ(LabelFolderCandidates(search), defaults);
  search.XdgDataHome = "";
  search.XdgDataDirs = "";
  EXPECT_EQ(LabelFolderCandidates(search), defaults);

  // Relative and empty entries are ignored, repeats are searched once, and without a home
  // there is no home folder.
  search = {"/opt/k/bin", std::nullopt, "relative/share", "::/srv/a/:data:/srv/a:/usr/share/",
            std::nullopt};
  EXPECT_EQ(LabelFolderCandidates(search),
            (std::vector<fs::path>{"/opt/k/bin", "/srv/a/korvath", "/usr/share/korvath"}));
}

}  // namespace
}  // namespace korvath
