#include "core/file_io.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

namespace korvath {
namespace {

namespace fs = std::filesystem;

class FileIoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("korvath_file_io_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Write(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
  }
  std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  fs::path dir_;
};

TEST_F(FileIoTest, ReadsAWholeFileUpToTheLimit) {
  Write(dir_ / "a.bin", "abcd");
  auto data = ReadWholeFile(dir_ / "a.bin", 4);
  ASSERT_TRUE(data);
  EXPECT_EQ(std::string(data->begin(), data->end()), "abcd");
  EXPECT_FALSE(ReadWholeFile(dir_ / "a.bin", 3));
  EXPECT_FALSE(ReadWholeFile(dir_ / "missing.bin", 100));
  EXPECT_FALSE(ReadWholeFile(dir_, 100));
  Write(dir_ / "empty.bin", "");
  ASSERT_TRUE(ReadWholeFile(dir_ / "empty.bin", 100));
  EXPECT_TRUE(ReadWholeFile(dir_ / "empty.bin", 100)->empty());
}

TEST_F(FileIoTest, ReplacesTheFileWholeAndLeavesNoTemporaryBehind) {
  Write(dir_ / "s.bin", "old contents");
  const std::uint8_t bytes[] = {'n', 'e', 'w'};
  ASSERT_TRUE(WriteFileAtomic(dir_ / "s.bin", bytes));
  EXPECT_EQ(Read(dir_ / "s.bin"), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(FileIoTest, AFailedWriteLeavesTheOldFileIntact) {
  fs::create_directories(dir_ / "taken");
  const std::uint8_t bytes[] = {1, 2, 3};
  EXPECT_FALSE(WriteFileAtomic(dir_ / "taken", bytes));
  EXPECT_TRUE(fs::is_directory(dir_ / "taken"));
  Write(dir_ / "plain", "x");
  EXPECT_FALSE(WriteFileAtomic(dir_ / "plain" / "under.bin", bytes));
  EXPECT_EQ(Read(dir_ / "plain"), "x");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

TEST_F(FileIoTest, WritesThroughASymbolicLink) {
  Write(dir_ / "target.bin", "old");
  fs::create_symlink(dir_ / "target.bin", dir_ / "link.bin");
  const std::uint8_t bytes[] = {'n', 'e', 'w'};
  ASSERT_TRUE(WriteFileAtomic(dir_ / "link.bin", bytes));
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.bin"));
  EXPECT_EQ(Read(dir_ / "target.bin"), "new");
}

}  // namespace
}  // namespace korvath
