#include "core/file_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include <gtest/gtest.h>

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
  ASSERT_TRUE(WriteFileAtomic(dir_ / "s.bin", bytes));
  EXPECT_EQ(ReadFile(dir_ / "s.bin"), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(FileIoTest, AFailedWriteLeavesTheOldFileIntact) {
  fs::create_directories(dir_ / "taken");
  const std::uint8_t bytes[] = {1, 2, 3};
  EXPECT_FALSE(WriteFileAtomic(dir_ / "taken", bytes));
  EXPECT_TRUE(fs::is_directory(dir_ / "taken"));
  WriteFile(dir_ / "plain", "x");
  EXPECT_FALSE(WriteFileAtomic(dir_ / "plain" / "under.bin", bytes));
  EXPECT_EQ(ReadFile(dir_ / "plain"), "x");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

TEST_F(FileIoTest, WritesThroughASymbolicLink) {
  WriteFile(dir_ / "target.bin", "old");
  fs::create_symlink(dir_ / "target.bin", dir_ / "link.bin");
  const std::uint8_t bytes[] = {'n', 'e', 'w'};
  ASSERT_TRUE(WriteFileAtomic(dir_ / "link.bin", bytes));
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

}  // namespace
}  // namespace korvath
