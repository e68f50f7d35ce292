#pragma once

// A scratch folder for tests and benchmarks, and whole-file helpers to fill and read it.
//
//   korvath::testing::TempDir dir;
//   WriteFile(dir / "save.bin", bytes);   // dir / name is the path as a string
//   ReadFile(dir.Path() / "save.bin");
//
// The folder and everything in it is removed when the TempDir goes out of scope.

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace korvath::testing {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "korvath-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string operator/(std::string_view name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Replaces the file with exactly these bytes.
inline void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}
inline void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  WriteFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// The whole file, or the empty text when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
  const std::string s = ReadFile(path);
  return std::vector<std::uint8_t>(s.begin(), s.end());
}

}  // namespace korvath::testing
