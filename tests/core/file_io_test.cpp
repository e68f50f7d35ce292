#include "core/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifndef __EMSCRIPTEN__
#include <sys/xattr.h>
#endif

#include <chrono>
#include <cstring>
#include <functional>
#include <future>
#include <map>
#include <random>
#include <tuple>

#include <gtest/gtest.h>

#include "tests/core/fault_injection.h"
#include "tests/core/odd_files.h"
#include "tests/core/temp_dir.h"

namespace korvath {
namespace {

namespace fs = std::filesystem;

using testing::ReadFile;
using testing::WriteFile;

class FileIoTest : public ::testing::Test {
 protected:
  testing::TempDir temp_;
  const fs::path& dir_ = temp_.Path();
};

TEST_F(FileIoTest, ReadsAWholeFileUpToTheLimit) {
  WriteFile(dir_ / "a.bin", "abcd");
  auto data = ReadWholeFile(dir_ / "a.bin", 4);
  ASSERT_TRUE(data);
  EXPECT_EQ(std::string(data->begin(), data->end()), "abcd");
  EXPECT_FALSE(ReadWholeFile(dir_ / "a.bin", 3));
  EXPECT_FALSE(ReadWholeFile(dir_ / "missing.bin", 100));
  EXPECT_FALSE(ReadWholeFile(dir_, 100));
  WriteFile(dir_ / "empty.bin", "");
  ASSERT_TRUE(ReadWholeFile(dir_ / "empty.bin", 100));
  EXPECT_TRUE(ReadWholeFile(dir_ / "empty.bin", 100)->empty());
}

TEST_F(FileIoTest, ReadsToTheEndWhenTheSizeIsNotKnownAhead) {
  // A regular file that reports a size of 0 and still has contents.
  const fs::path status = "/proc/self/status";
  if (!fs::exists(status) || fs::file_size(status) != 0) GTEST_SKIP() << "no /proc";
  const auto whole = ReadWholeFile(status, 1 << 20);
  ASSERT_TRUE(whole);
  const std::string text(whole->begin(), whole->end());
  EXPECT_EQ(text.rfind("Name:", 0), 0u);
  EXPECT_NE(text.find("\nPid:"), std::string::npos);
  EXPECT_FALSE(ReadWholeFile(status, 8));
}

// Reads on another thread so that a read blocked in a FIFO fails the test instead of hanging it:
// opening the write end releases it. nullopt when the read did not return promptly.
std::optional<bool> ReadsWithinTwoSeconds(const fs::path& path) {
  auto read = std::async(std::launch::async, [&] { return ReadWholeFile(path, 100).has_value(); });
  if (read.wait_for(std::chrono::seconds(2)) == std::future_status::ready) return read.get();
  const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
  if (fd >= 0) ::close(fd);
  read.wait();
  return std::nullopt;
}

TEST_F(FileIoTest, RefusesFilesThatAreNotRegularAtOnce) {
  if (testing::kNoOddFiles != nullptr) GTEST_SKIP() << testing::kNoOddFiles;
  for (const auto& odd : testing::MakeOddFiles(dir_)) {
    EXPECT_EQ(ReadsWithinTwoSeconds(odd.path), std::optional(false)) << odd.kind;
  }
  // Through a symbolic link too; a link to a regular file reads.
  fs::create_symlink(dir_ / "fifo", dir_ / "to-fifo");
  EXPECT_EQ(ReadsWithinTwoSeconds(dir_ / "to-fifo"), std::optional(false));
  WriteFile(dir_ / "plain", "x");
  fs::create_symlink(dir_ / "plain", dir_ / "to-plain");
  EXPECT_EQ(ReadsWithinTwoSeconds(dir_ / "to-plain"), std::optional(true));
}

TEST_F(FileIoTest, ReplacesTheFileWholeAndLeavesNoTemporaryBehind) {
  WriteFile(dir_ / "s.bin", "old contents");
  const std::uint8_t bytes[] = {'n', 'e', 'w'};
  ASSERT_TRUE(WriteSaveFile(dir_ / "s.bin", bytes));
  EXPECT_EQ(ReadFile(dir_ / "s.bin"), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(FileIoTest, AFailedWriteLeavesTheOldFileIntact) {
  fs::create_directories(dir_ / "taken");
  const std::uint8_t bytes[] = {1, 2, 3};
  EXPECT_FALSE(WriteSaveFile(dir_ / "taken", bytes));
  EXPECT_TRUE(fs::is_directory(dir_ / "taken"));
  WriteFile(dir_ / "plain", "x");
  EXPECT_FALSE(WriteSaveFile(dir_ / "plain" / "under.bin", bytes));
  EXPECT_EQ(ReadFile(dir_ / "plain"), "x");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

TEST_F(FileIoTest, WritesThroughASymbolicLink) {
  WriteFile(dir_ / "target.bin", "old");
  fs::create_symlink(dir_ / "target.bin", dir_ / "link.bin");
  const std::uint8_t bytes[] = {'n', 'e', 'w'};
  ASSERT_TRUE(WriteSaveFile(dir_ / "link.bin", bytes));
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.bin"));
  EXPECT_EQ(ReadFile(dir_ / "target.bin"), "new");
}

TEST_F(FileIoTest, ASaveGoesToTheFileItselfOrWhatItsLinksName) {
  testing::WriteFile(dir_ / "save.bin", "x");
  EXPECT_EQ(SaveTarget(dir_ / "save.bin"), dir_ / "save.bin");
  EXPECT_EQ(SaveTarget(dir_ / "new.bin"), dir_ / "new.bin");
  fs::create_directory(dir_ / "sub");
  fs::create_symlink("../save.bin", dir_ / "sub" / "rel");
  fs::create_symlink(dir_ / "sub" / "rel", dir_ / "abs");
  EXPECT_EQ(fs::canonical(*SaveTarget(dir_ / "abs")), fs::canonical(dir_ / "save.bin"));
  // A dangling link names the file to create, not the link to replace.
  fs::create_symlink("gone.bin", dir_ / "dangling");
  EXPECT_EQ(SaveTarget(dir_ / "dangling"), dir_ / "gone.bin");
}

TEST_F(FileIoTest, ASaveNeverReplacesWhatIsNotARegularFile) {
  if (testing::kNoOddFiles != nullptr) GTEST_SKIP() << testing::kNoOddFiles;
  for (const auto& odd : testing::MakeOddFiles(dir_)) {
    EXPECT_EQ(SaveTarget(odd.path), std::nullopt) << odd.kind;
    fs::create_symlink(odd.path, dir_ / ("to-" + odd.kind));
    EXPECT_EQ(SaveTarget(dir_ / ("to-" + odd.kind)), std::nullopt) << odd.kind;
  }
  fs::create_symlink("b", dir_ / "a");
  fs::create_symlink("a", dir_ / "b");
  EXPECT_EQ(SaveTarget(dir_ / "a"), std::nullopt);
  EXPECT_EQ(SaveTarget(""), std::nullopt);
}

struct stat StatOf(const fs::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) ADD_FAILURE() << "cannot stat " << path;
  return st;
}

std::span<const std::uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Hands dir over to the user AsOrdinaryUser runs as, when that is not this process.
void HandOver(const fs::path& dir) {
  if (::geteuid() != 0) return;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    ASSERT_EQ(::lchown(e.path().c_str(), testing::kOrdinaryUser, testing::kOrdinaryUser), 0);
  ASSERT_EQ(::chown(dir.c_str(), testing::kOrdinaryUser, testing::kOrdinaryUser), 0);
}

TEST_F(FileIoTest, ASaveKeepsModeOwnerAndGroup) {
  const fs::path save = dir_ / "s.bin";
  WriteFile(save, "old");
  ::chmod(save.c_str(), 02640);
  // Root saving another user's file must leave it theirs.
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(save.c_str(), 1234, 5678), 0);
  }
  const struct stat before = StatOf(save);
  ASSERT_TRUE(WriteSaveFile(save, Bytes("new")));
  const struct stat after = StatOf(save);
  EXPECT_EQ(ReadFile(save), "new");
  EXPECT_EQ(after.st_mode, before.st_mode);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  // An ordinary save is still a whole new file.
  EXPECT_NE(after.st_ino, before.st_ino);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);

  // A new file gets the mode any new file would.
  if (testing::kNoIdentitySetUps != nullptr) GTEST_SKIP() << testing::kNoIdentitySetUps;
  const mode_t mask = ::umask(022);
  ::umask(mask);
  ASSERT_TRUE(WriteSaveFile(dir_ / "new.bin", Bytes("x")));
  EXPECT_EQ(StatOf(dir_ / "new.bin").st_mode & 07777, 0666 & ~mask);
}

TEST_F(FileIoTest, ASaveToAFileWithHardLinksReachesEveryLink) {
  if (testing::kNoIdentitySetUps != nullptr) GTEST_SKIP() << testing::kNoIdentitySetUps;
  WriteFile(dir_ / "save.bin", "old contents");
  fs::create_hard_link(dir_ / "save.bin", dir_ / "other.bin");
  const ino_t inode = StatOf(dir_ / "save.bin").st_ino;
  ASSERT_TRUE(WriteSaveFile(dir_ / "save.bin", Bytes("new")));
  EXPECT_EQ(ReadFile(dir_ / "save.bin"), "new");
  EXPECT_EQ(ReadFile(dir_ / "other.bin"), "new");
  EXPECT_EQ(StatOf(dir_ / "other.bin").st_ino, inode);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

TEST_F(FileIoTest, AFileItsUserCannotGiveAwayIsWrittenInPlace) {
  if (testing::kNoIdentitySetUps != nullptr) GTEST_SKIP() << testing::kNoIdentitySetUps;
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to make a file of another user";
  const fs::path save = dir_ / "shared.bin";
  WriteFile(save, "old");
  ::chmod(save.c_str(), 0666);
  ASSERT_EQ(::chown(save.c_str(), 0, 0), 0);
  ::chmod(dir_.c_str(), 0777);
  const auto written = testing::AsOrdinaryUser([&] { return WriteSaveFile(save, Bytes("new")); });
  ASSERT_EQ(written, std::optional(true));
  EXPECT_EQ(ReadFile(save), "new");
  EXPECT_EQ(StatOf(save).st_uid, 0u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(FileIoTest, ARefusedOrFailedSaveLeavesEveryNameAsItWas) {
  if (testing::kNoIdentitySetUps != nullptr) GTEST_SKIP() << testing::kNoIdentitySetUps;
  const fs::path save = dir_ / "save.bin";
  const std::string big(8192, 'n');
  struct Case {
    const char* name;
    std::function<std::optional<bool>()> write;
  };
  const std::vector<Case> cases = {
      {"read-only file of an ordinary user",
       [&] {
         ::chmod(save.c_str(), 0444);
         return testing::AsOrdinaryUser([&] { return WriteSaveFile(save, Bytes("new")); });
       }},
      {"read-only file through a link",
       [&] {
         ::chmod(save.c_str(), 0444);
         fs::create_symlink("save.bin", dir_ / "link");
         HandOver(dir_);
         return testing::AsOrdinaryUser([&] { return WriteSaveFile(dir_ / "link", Bytes("n")); });
       }},
      {"in-place write past the file size limit",
       [&] {
         fs::create_hard_link(save, dir_ / "other.bin");
         const testing::FileSizeLimit limit(4096);
         return std::optional(WriteSaveFile(save, Bytes(big)));
       }},
      {"replacement past the file size limit",
       [&] {
         const testing::FileSizeLimit limit(4096);
         return std::optional(WriteSaveFile(save, Bytes(big)));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& e : fs::directory_iterator(dir_)) fs::remove(e.path());
    WriteFile(save, "old contents");
    ::chmod(dir_.c_str(), 0755);
    HandOver(dir_);
    const std::string before = testing::Snapshot(dir_);
    const auto written = c.write();
    ASSERT_TRUE(written.has_value()) << "the write did not finish";
    EXPECT_FALSE(*written);
    if (fs::exists(dir_ / "other.bin")) {
      EXPECT_EQ(ReadFile(dir_ / "other.bin"), "old contents");
    }
    EXPECT_EQ(ReadFile(save), "old contents");
    // Names made by the case itself aside, nothing new: no temporary file stays behind.
    std::size_t names = 0;
    for (const auto& e : fs::directory_iterator(dir_))
      names += e.path().filename().string().find(".korvath-") == std::string::npos ? 0 : 1;
    EXPECT_EQ(names, 0u) << testing::Snapshot(dir_) << "before:\n" << before;
  }
}

// Another program writes the save at the worst moment (as the game does, by rename, in place, or
// by deleting it): what it wrote stays, and the save says so. A save that has the file to itself
// writes, whether it replaces the file or, with a second hard link, overwrites it in place.
TEST_F(FileIoTest, ASaveNeverWritesOverBytesItHasNotSeen) {
  const fs::path save = dir_ / "save.bin";
  struct Race {
    const char* name;
    std::function<void()> write;  // nullptr: nobody else writes
    bool written;
    std::string after;
  };
  const std::vector<Race> races = {
      {"nobody else", nullptr, true, "editor"},
      {"renamed over",
       [&] {
         WriteFile(dir_ / "t", "game");
         fs::rename(dir_ / "t", save);
       },
       false, "game"},
      {"written in place", [&] { WriteFile(save, "game"); }, false, "game"},
      {"same length in place", [&] { WriteFile(save, "olD"); }, false, "olD"},
      {"deleted", [&] { fs::remove(save); }, true, "editor"},
  };
  for (const bool linked : {false, true}) {
    if (linked && testing::kNoIdentitySetUps != nullptr) continue;
    for (const Race& race : races) {
      SCOPED_TRACE(std::string(race.name) + (linked ? ", hard-linked" : ""));
      for (const auto& e : fs::directory_iterator(dir_)) fs::remove(e.path());
      WriteFile(save, "old");
      if (linked) fs::create_hard_link(save, dir_ / "other.bin");
      SetBeforeCommitHookForTesting(race.write);
      const SaveResult r = WriteSave(save, {Bytes("editor"), Bytes("old"), {}});
      SetBeforeCommitHookForTesting(nullptr);
      // Deleted under an overwrite in place, the bytes would reach only the other name.
      const bool written = race.written && !(linked && race.after == "editor" && race.write);
      EXPECT_EQ(r.Written, written);
      EXPECT_EQ(r.Failure, written ? std::nullopt : std::optional(WriteFailure::Changed));
      if (written || race.written == written) {
        EXPECT_EQ(ReadFile(save), race.after);
      } else {
        EXPECT_EQ(ReadFile(dir_ / "other.bin"), "old");
      }
      std::size_t temporaries = 0;
      for (const auto& e : fs::directory_iterator(dir_))
        temporaries += e.path().filename().string().find(".korvath-") != std::string::npos;
      EXPECT_EQ(temporaries, 0u);
      // Written before the save began, too.
      if (race.write && !race.written) {
        EXPECT_EQ(WriteSave(save, {Bytes("editor"), Bytes("old"), {}}).Failure,
                  std::optional(WriteFailure::Changed));
        EXPECT_TRUE(WriteSave(save, {Bytes("editor"), std::nullopt, {}}).Written);
        EXPECT_EQ(ReadFile(save), "editor");
      }
    }
  }
}

// Each save keeps what it replaces, once, newest first; a store that cannot take it never stops
// the save.
TEST_F(FileIoTest, EverySaveKeepsTheBytesItReplaces) {
  const fs::path save = dir_ / "save.bin";
  const fs::path store = dir_ / "store";
  WriteFile(save, "v0");
  for (const char* next : {"v1", "v2", "v2", "v3"}) {
    const SaveResult r = WriteSave(save, {Bytes(next), std::nullopt, store});
    ASSERT_TRUE(r.Written);
    EXPECT_EQ(r.BackupFailure, std::nullopt);
  }
  std::vector<std::string> kept;
  for (const StoredBackup& b : ListBackups(store, save)) kept.push_back(ReadFile(b.Path));
  EXPECT_EQ(kept, (std::vector<std::string>{"v2", "v1", "v0"}));
  EXPECT_EQ(
      ListBackups(store, save).front().Path.parent_path().filename().string().rfind("save.bin-", 0),
      0u);
  // Through a link the same file has the same backups.
  fs::create_symlink("save.bin", dir_ / "link.bin");
  EXPECT_EQ(ListBackups(store, dir_ / "link.bin").size(), 3u);

  WriteFile(dir_ / "not-a-folder", "x");
  const SaveResult r = WriteSave(save, {Bytes("v4"), Bytes("v3"), dir_ / "not-a-folder"});
  EXPECT_TRUE(r.Written);
  EXPECT_EQ(r.BackupFailure, std::optional(WriteFailure::NoFolder));
  EXPECT_EQ(ReadFile(save), "v4");
}

// Saves of several files into one small store, with backups deleted and added by hand and the
// store's index lost or cut between them: after each save the store holds exactly what pruning a
// full listing would leave, so the index never lets a bound slip or the newest backups go.
TEST_F(FileIoTest, TheBackupStoreStaysWithinItsBoundsWhateverHappensBetweenSaves) {
  const fs::path store = dir_ / "store";
  const BackupLimits limits{3, 2000};
  using Stored = std::tuple<std::string, std::int64_t, std::uint64_t>;
  const auto walk = [&] {
    std::vector<Stored> stored;
    std::vector<fs::path> paths;
    for (const fs::directory_entry& folder : fs::directory_iterator(store)) {
      if (!folder.is_directory()) continue;
      for (const fs::directory_entry& file : fs::directory_iterator(folder)) {
        if (const auto time = BackupTimeOf(file.path().filename().string())) {
          stored.emplace_back(folder.path().filename().string(), *time, file.file_size());
          paths.push_back(file.path());
        }
      }
    }
    return std::pair(stored, paths);
  };
  std::mt19937 random(20);
  fs::create_directories(store / "by-hand");
  for (int step = 0; step < 150; ++step) {
    const auto [stored, paths] = walk();
    const std::uint32_t op = random() % 6;
    if (op == 0 && !paths.empty()) {
      fs::remove(paths[random() % paths.size()]);
    } else if (op == 1) {
      // Older than any save's backup, so that times never tie.
      const fs::path folder = paths.empty() ? store / "by-hand" : paths[random() % paths.size()];
      WriteFile((paths.empty() ? folder : folder.parent_path()) / BackupFileName(1000 + step),
                std::string(100 + random() % 300, 'h'));
    } else if (op == 2) {
      if (fs::exists(store / "index")) fs::resize_file(store / "index", random() % 200);
    } else {
      const fs::path save = dir_ / ("s" + std::to_string(random() % 4) + ".bin");
      const std::string old = std::to_string(step) + std::string(50 + random() % 350, 'o');
      ASSERT_EQ(KeepBackup(store, save, Bytes(old), limits), std::nullopt);
      const std::vector<StoredBackup> listed = ListBackups(store, save);
      ASSERT_FALSE(listed.empty());
      const StoredBackup& kept = listed.front();
      ASSERT_EQ(ReadFile(kept.Path), old);
      std::vector<BackupEntry> entries;
      for (const auto& [folder, time, size] : stored) entries.push_back({folder, time, size});
      entries.push_back({kept.Path.parent_path().filename().string(), kept.Time, old.size()});
      std::vector<bool> dropped(entries.size(), false);
      for (const std::size_t i : BackupsToDrop(entries, limits.PerSave, limits.Bytes))
        dropped[i] = true;
      std::vector<Stored> expected;
      for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!dropped[i]) expected.emplace_back(entries[i].Save, entries[i].Time, entries[i].Size);
      }
      std::vector<Stored> now = walk().first;
      std::sort(expected.begin(), expected.end());
      std::sort(now.begin(), now.end());
      ASSERT_EQ(now, expected) << "step " << step;
      // The next save's backup a millisecond later: times of different saves never tie.
      const auto after = std::chrono::system_clock::now() + std::chrono::milliseconds(1);
      while (std::chrono::system_clock::now() < after) {
      }
    }
  }
}

// A file the user may write in a folder they may not (hard-linked or not) is written in place,
// its old bytes kept in the backup store rather than beside it.
TEST_F(FileIoTest, AWritableFileInAReadOnlyFolderIsWrittenInPlace) {
  if (testing::kNoIdentitySetUps != nullptr) GTEST_SKIP() << testing::kNoIdentitySetUps;
  for (const bool linked : {false, true}) {
    SCOPED_TRACE(linked ? "hard-linked" : "one name");
    const testing::TempDir temp;
    const fs::path folder = temp.Path() / "saves";
    const fs::path store = temp.Path() / "store";
    fs::create_directories(folder);
    fs::create_directories(store);
    WriteFile(folder / "save.bin", "old");
    if (linked) fs::create_hard_link(folder / "save.bin", folder / "other.bin");
    ::chmod(temp.Path().c_str(), 0755);
    HandOver(temp.Path());
    ::chmod(folder.c_str(), 0555);
    const auto written = testing::AsOrdinaryUser([&] {
      const SaveResult r = WriteSave(folder / "save.bin", {Bytes("new"), Bytes("old"), store});
      return r.Written && !r.BackupFailure;
    });
    ::chmod(folder.c_str(), 0755);
    EXPECT_EQ(written, std::optional(true));
    EXPECT_EQ(ReadFile(folder / "save.bin"), "new");
    ASSERT_EQ(ListBackups(store, folder / "save.bin").size(), 1u);
    EXPECT_EQ(ReadFile(ListBackups(store, folder / "save.bin")[0].Path), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()),
              linked ? 2 : 1);
  }
}

#ifndef __EMSCRIPTEN__
// A group member may read a file an ACL lets one user write; a replaced file must not let the whole
// group write it, nor lose any attribute.
TEST_F(FileIoTest, AReplacedFileKeepsItsAclAndAttributes) {
  const fs::path save = dir_ / "save.bin";
  WriteFile(save, "old");
  ::chmod(save.c_str(), 0640);
  // user::rw- user:nobody:rw- group::r-- mask::rw- other::---, as setfacl writes it.
  const auto entry = [](std::uint16_t tag, std::uint16_t perm, std::uint32_t id) {
    std::string bytes(8, '\0');
    std::memcpy(bytes.data(), &tag, 2);
    std::memcpy(bytes.data() + 2, &perm, 2);
    std::memcpy(bytes.data() + 4, &id, 4);
    return bytes;
  };
  const std::uint32_t version = 2, none = 0xFFFFFFFF;
  std::string acl(reinterpret_cast<const char*>(&version), 4);
  acl += entry(0x01, 6, none) + entry(0x02, 6, testing::kOrdinaryUser) + entry(0x04, 4, none) +
         entry(0x10, 6, none) + entry(0x20, 0, none);
  if (::setxattr(save.c_str(), "user.x", "1", 1, 0) != 0 ||
      ::setxattr(save.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0)
    GTEST_SKIP() << "this file system takes no extended attributes or ACLs: "
                 << std::strerror(errno);
  const auto attributes = [&] {
    std::vector<char> names(4096);
    const ssize_t n = ::listxattr(save.c_str(), names.data(), names.size());
    std::map<std::string, std::string> all;
    for (const char* name = names.data(); n > 0 && name < names.data() + n;
         name += std::strlen(name) + 1) {
      std::vector<char> value(4096);
      const ssize_t got = ::getxattr(save.c_str(), name, value.data(), value.size());
      all[name] = std::string(value.data(), std::size_t(std::max<ssize_t>(got, 0)));
    }
    return all;
  };
  const auto before = attributes();
  const struct stat old = StatOf(save);
  ASSERT_TRUE(WriteSaveFile(save, Bytes("new")));
  EXPECT_EQ(ReadFile(save), "new");
  EXPECT_NE(StatOf(save).st_ino, old.st_ino);
  EXPECT_EQ(StatOf(save).st_mode, old.st_mode);
  EXPECT_EQ(attributes(), before);
}
#endif

}  // namespace
}  // namespace korvath
