// Every way the output of apply can fail to be written: exit status 3 with the write error, and
// nothing on disk changed.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <iostream>
#include <sstream>

#include "tests/cli/cli_test_support.h"
#include "tests/core/fault_injection.h"
#include "tests/core/odd_files.h"

namespace korvath::clitest {
namespace {

using korvath::testing::FileSizeLimit;
using korvath::testing::Snapshot;
using korvath::testing::WriteFaults;

const std::string kWriteError = "ファイル書込エラー\n";

class WriteFaultsTest : public CliTest {
 protected:
  // A save with one edit to store, in folder; returns its path.
  std::string Save(const fs::path& folder) {
    fs::create_directories(folder);
    const std::string path = (folder / "save.bin").string();
    WriteImage(path, BlankImage());
    return path;
  }
  CliResult Apply(const std::string& save, const std::string& out,
                  const std::string& program = CliUnderTest()) {
    return RunProgram(program, {"apply", save, edits_, "--labels", Labels(), "-o", out, "--print"});
  }

  // A copy of the program under test, with the files it runs from (the node program's script and
  // module share its name), in a folder the ordinary user can reach: the build tree may be where
  // that user cannot go, as in a clone inside root's home.
  std::string ReachableProgram() {
    const fs::path original = CliUnderTest();
    const fs::path bin = dir_.Path() / "bin";
    fs::create_directory(bin);
    for (const auto& e : fs::directory_iterator(original.parent_path())) {
      const std::string name = e.path().filename().string();
      if (name == original.filename().string() ||
          name.starts_with(original.filename().string() + "."))
        fs::copy_file(e.path(), bin / name);
    }
    ::chmod(bin.c_str(), 0755);
    return (bin / original.filename()).string();
  }

  TempDir work_;
  std::string edits_ = [this] {
    const std::string path = dir_ / "edits.json";
    WriteFile(path, R"({"controls": {"Edit1_1": "7"}})");
    return path;
  }();
};

TEST_F(WriteFaultsTest, AFailedWriteChangesNothingOnDisk) {
  struct Case {
    const char* name;
    // Prepares work_ and returns the output path, or the empty text to skip the case.
    std::function<std::string(const std::string& save, WriteFaults&)> prepare;
    std::string why;  // the line after the path
  };
  const fs::path work = work_.Path();
  const std::vector<Case> cases = {
      {"read-only folder",
       [&](const std::string&, WriteFaults& faults) {
         // Only root's read-only mount binds: a folder's mode alone gets the writable save
         // written in place (FileIoTest covers that).
         const std::string save = Save(work / "ro");
         return ::geteuid() == 0 && faults.ReadOnly(work / "ro") ? save : "";
       },
       "読み取り専用のファイルシステムです"},
      {"full file system",
       [&](const std::string& save, WriteFaults& faults) {
         fs::create_directory(work / "full");
         return faults.Full(work / "full", {save}) ? (work / "full" / "save.bin").string() : "";
       },
       "ディスクの空きがありません"},
      {"parent is a file", [&](const std::string& save, WriteFaults&) { return save + "/x.bin"; },
       "フォルダがありません"},
      {"missing folder", [&](const std::string&, WriteFaults&) { return work_ / "no/x.bin"; },
       "フォルダがありません"},
      {"folder",
       [&](const std::string&, WriteFaults&) {
         fs::create_directory(work / "folder");
         return work_ / "folder";
       },
       "通常のファイルではありません"},
      {"FIFO",
       [&](const std::string&, WriteFaults&) {
         korvath::testing::MakeFifo(work / "fifo");
         return work_ / "fifo";
       },
       "通常のファイルではありません"},
      {"socket",
       [&](const std::string&, WriteFaults&) {
         korvath::testing::MakeSocket(work / "socket");
         return work_ / "socket";
       },
       "通常のファイルではありません"},
      {"device",
       [&](const std::string&, WriteFaults&) {
         return korvath::testing::MakeNullDevice(work / "null") ? work_ / "null" : "";
       },
       "通常のファイルではありません"},
      {"link to a FIFO",
       [&](const std::string&, WriteFaults&) {
         korvath::testing::MakeFifo(work / "fifo2");
         fs::create_symlink("fifo2", work / "link");
         return work_ / "link";
       },
       "通常のファイルではありません"},
      {"links in a loop",
       [&](const std::string&, WriteFaults&) {
         fs::create_symlink("loop2", work / "loop1");
         fs::create_symlink("loop1", work / "loop2");
         return work_ / "loop1";
       },
       "シンボリックリンクが循環しています"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string save = Save(work / "in");
    WriteFaults faults;
    const std::string out = c.prepare(save, faults);
    if (out.empty()) {
      std::cout << "[ SKIPPED  ] " << c.name << ": not possible for this process\n";
      continue;
    }
    const std::string before = Snapshot(work);
    const CliResult r = Apply(out == save ? save : (work / "in" / "save.bin").string(), out);
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, kWriteError + out + "\n" + c.why + "\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Snapshot(work), before);
  }
}

// Past the limit the kernel sends SIGXFSZ, which by default ends the program mid-write.
TEST_F(WriteFaultsTest, AFileSizeLimitIsAWriteErrorNotADeath) {
  const std::string save = Save(work_.Path());
  const std::string before = Snapshot(work_.Path());
  CliResult r;
  {
    const FileSizeLimit limit(4096);
    r = Apply(save, save);
  }
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err, kWriteError + save + "\nファイルサイズの上限を超えます\n");
  EXPECT_EQ(Snapshot(work_.Path()), before);
}

TEST_F(WriteFaultsTest, SavesWriteThroughLinksAndCreateWhatADanglingLinkNames) {
  const fs::path work = work_.Path();
  const std::string save = Save(work);
  fs::create_directory(work / "sub");
  fs::create_symlink("../target.bin", work / "sub" / "dangling");
  fs::create_symlink("sub/dangling", work / "chain");
  const CliResult r = Apply(save, (work / "chain").string());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::is_symlink(work / "chain"));
  EXPECT_TRUE(fs::is_symlink(work / "sub" / "dangling"));
  ASSERT_TRUE(fs::is_regular_file(fs::symlink_status(work / "target.bin")));
  EXPECT_EQ(GetBits(ImageOf(ReadBytes(work / "target.bin")), ControlBit("Edit1_1"), 24), 7u);
}

// The cases of a save that must keep the file's identity, through the whole command.
TEST_F(WriteFaultsTest, ASaveKeepsWhatTheUserProtectedOrShares) {
  const fs::path work = work_.Path();
  const std::string save = Save(work);
  // A read-only save of an ordinary user: refused as opening it for writing would be.
  ::chmod(save.c_str(), 0444);
  for (const fs::path& p : {work, labels_.Path(), dir_.Path()}) ::chmod(p.c_str(), 0755);
  if (::geteuid() == 0) {
    for (const fs::path& p : {work, fs::path(save), fs::path(edits_)})
      ASSERT_EQ(
          ::chown(p.c_str(), korvath::testing::kOrdinaryUser, korvath::testing::kOrdinaryUser), 0);
  }
  const std::string program = ReachableProgram();
  const auto reachable = korvath::testing::AsOrdinaryUser([&] {
    return ::access(program.c_str(), X_OK) == 0 && ::access(edits_.c_str(), R_OK) == 0 &&
           ::access((labels_.Path() / "plan.txt").c_str(), R_OK) == 0;
  });
  if (reachable == std::optional(true)) {
    const std::string before = Snapshot(work);
    const auto refused = korvath::testing::AsOrdinaryUser([&] {
      const CliResult r = Apply(save, save, program);
      return r.status == 3 && r.err == kWriteError + save + "\n読み取り専用のファイルです\n" &&
             r.out.empty();
    });
    EXPECT_EQ(refused, std::optional(true));
    EXPECT_EQ(Snapshot(work), before);
  } else {
    std::cout << "[  SKIPPED ] the read-only save as the ordinary user (uid "
              << korvath::testing::kOrdinaryUser << "), who cannot reach " << dir_.Path()
              << " or what it holds\n";
  }

  // A save with a second hard link: both names see the new bytes.
  ::chmod(save.c_str(), 0640);
  fs::create_hard_link(save, work / "other.bin");
  const CliResult r = Apply(save, save);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(GetBits(ImageOf(ReadBytes(work / "other.bin")), ControlBit("Edit1_1"), 24), 7u);
  EXPECT_EQ(ReadBytes(work / "other.bin"), ReadBytes(save));
  EXPECT_EQ(fs::hard_link_count(save), 2u);
  EXPECT_EQ(fs::status(save).permissions(), fs::perms(0640));
}

// The game writes the save while apply runs: its bytes stay and apply says so. Every write that
// replaces bytes keeps them first, unless told not to, and backups lists them.
TEST_F(WriteFaultsTest, ApplyInPlaceKeepsTheGamesWriteAndTheBytesItReplaces) {
  const fs::path work = work_.Path();
  const std::string save = Save(work);
  SaveImage game = BlankImage();
  PutBits(game, ControlBit("Edit1_2"), 24, 99);
  WriteImage(work / "game.bin", game);
  ::setenv("KORVATH_TEST_GAME_WRITES", (work / "game.bin").c_str(), 1);
  const CliResult raced = Apply(save, save, CliWithTestSeams());
  ::unsetenv("KORVATH_TEST_GAME_WRITES");
  EXPECT_EQ(raced.status, 3);
  EXPECT_EQ(raced.err, "ファイルが読込後に変更されました\n" + save + "\n");
  EXPECT_EQ(ReadBytes(save), ReadBytes(work / "game.bin"));

  const auto applied = [&](const std::string& edits, std::vector<std::string> more = {}) {
    WriteFile(edits_, edits);
    std::vector<std::string> args = {"apply", save, edits_, "--labels", Labels()};
    args.insert(args.end(), more.begin(), more.end());
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.err;
  };
  applied(R"({"controls": {"Edit1_1": "7"}})");
  applied(R"({"controls": {"Edit1_1": "8", "Edit1_2": "5"}})");
  applied(R"({"controls": {"Edit1_1": "9"}})", {"--no-backup"});
  const CliResult listed = RunCli({"backups", save, "--labels", Labels()});
  ASSERT_EQ(listed.status, 0) << listed.err;
  // Against the file now (9, 5): the bytes the second apply replaced (7, 99), the game's (0, 99),
  // and what the refused apply had read (0, 0).
  std::istringstream lines(listed.out);
  std::vector<std::string> counts, kept;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string date, time, utc, size, count, path;
    fields >> date >> time >> utc >> size >> count >> path;
    EXPECT_EQ(size, std::to_string(SaveImage::Capacity));
    counts.push_back(count);
    kept.push_back(path);
  }
  EXPECT_EQ(counts, (std::vector<std::string>{"2", "2", "2"}));
  ASSERT_EQ(kept.size(), 3u);
  EXPECT_EQ(GetBits(ImageOf(ReadBytes(kept[0])), ControlBit("Edit1_1"), 24), 7u);
  EXPECT_EQ(ReadBytes(kept[1]), ReadBytes(work / "game.bin"));
  EXPECT_EQ(GetBits(ImageOf(ReadBytes(kept[2])), ControlBit("Edit1_2"), 24), 0u);

  // A store that cannot take a backup never stops the save.
  ::setenv("XDG_STATE_HOME", edits_.c_str(), 1);
  EXPECT_EQ(applied(R"({"controls": {"Edit1_1": "10"}})"),
            "バックアップを残せませんでした: フォルダがありません\n");
  EXPECT_EQ(GetBits(ImageOf(ReadBytes(save)), ControlBit("Edit1_1"), 24), 10u);
}

}  // namespace
}  // namespace korvath::clitest
