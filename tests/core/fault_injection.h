#pragma once

// Ways to make writing a file fail, shared by the core, command-line and editor tests.
//
//   FileSizeLimit limit(4096);             // writes past 4096 bytes fail with EFBIG
//   WriteFaults faults;                     // undone when it goes out of scope
//   if (!faults.Full(dir, {save})) skip;    // dir is now a full file system holding save
//   if (!faults.ReadOnly(dir)) skip;        // even for root
//   AsOrdinaryUser([&] { return ...; });    // file permissions bind, even when run as root
//
// Header-only, so that every test executable can use it.

#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace korvath::testing {

// Why the file identity cases cannot be set up here, or nullptr where they can. Under node there
// are no hard links, no child processes to drop privileges in, no file size limit, and the umask
// the program sees is not the one node creates files with.
#ifdef __EMSCRIPTEN__
inline constexpr const char* kNoIdentitySetUps =
    "no hard links, privilege drops, file size limits or process umask under node";
#else
inline constexpr const char* kNoIdentitySetUps = nullptr;
#endif

}  // namespace korvath::testing

namespace korvath::testing {

// Lowers this process's file size limit, which children inherit, for as long as it lives.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    rlimit lowered = old_;
    lowered.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &lowered);
  }
  ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &old_); }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_{};
};

// Folders made read-only or full for as long as this lives. Mounts are made in a mount
// namespace of this process alone, so they cannot outlive it or reach the machine. Declare it
// after the folders it changes, so it is undone first. Each call returns false where the process
// may not do it, and the test should then be skipped.
class WriteFaults {
 public:
  WriteFaults() = default;
  ~WriteFaults() {
    for (std::size_t i = mounted_.size(); i-- > 0;) ::umount2(mounted_[i].c_str(), MNT_DETACH);
    for (const auto& dir : readOnly_) ::chmod(dir.c_str(), 0755);
  }
  WriteFaults(const WriteFaults&) = delete;
  WriteFaults& operator=(const WriteFaults&) = delete;

  // Copies the files in keep into a small new file system over dir, then fills it to the last
  // byte.
  bool Full(const std::filesystem::path& dir, const std::vector<std::filesystem::path>& keep) {
    if (!Enter() || ::mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k") != 0) return false;
    mounted_.push_back(dir);
    for (const auto& from : keep) std::filesystem::copy_file(from, dir / from.filename());
    std::FILE* filler = std::fopen((dir / "filler").c_str(), "wb");
    if (filler == nullptr) return false;
    const std::vector<char> block(512, 'f');
    while (std::fwrite(block.data(), 1, block.size(), filler) == block.size() &&
           std::fflush(filler) == 0) {
    }
    std::fclose(filler);
    return true;
  }

  // Takes away the right to create files in dir: by its mode where that binds this process, else
  // (for root) by a read-only bind mount.
  bool ReadOnly(const std::filesystem::path& dir) {
    readOnly_.push_back(dir);
    ::chmod(dir.c_str(), 0555);
    if (::access(dir.c_str(), W_OK) != 0) return true;
    if (!Enter() || ::mount(dir.c_str(), dir.c_str(), nullptr, MS_BIND, nullptr) != 0) return false;
    mounted_.push_back(dir);
    return ::mount(nullptr, dir.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0 &&
           ::access(dir.c_str(), W_OK) != 0;
  }

 private:
  static bool Enter() {
    static const bool entered = ::unshare(CLONE_NEWNS) == 0 &&
                                ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return entered;
  }

  std::vector<std::filesystem::path> mounted_;
  std::vector<std::filesystem::path> readOnly_;
};

// The user root's children become in AsOrdinaryUser: nobody on Debian.
inline constexpr uid_t kOrdinaryUser = 65534;

// Runs check in a child process that is not root, so that file permissions bind: as root the
// child drops to kOrdinaryUser, whose files and folders the test must have handed over with
// chown. The check's result, or nullopt when the child could not be made or did not finish.
inline std::optional<bool> AsOrdinaryUser(const std::function<bool()>& check) {
  const pid_t pid = ::fork();
  if (pid < 0) return std::nullopt;
  if (pid == 0) {
    if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kOrdinaryUser) != 0 ||
                             ::setuid(kOrdinaryUser) != 0))
      ::_exit(2);
    ::_exit(check() ? 0 : 1);
  }
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) > 1)
    return std::nullopt;
  return WEXITSTATUS(status) == 0;
}

// Every name under dir with its type, and the contents of the regular files: equal before and after
// a failed write when nothing changed and no temporary file was left.
inline std::string Snapshot(const std::filesystem::path& dir) {
  std::vector<std::string> entries;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
    const auto type = e.symlink_status().type();
    std::string entry = e.path().lexically_relative(dir).string() + " " + std::to_string(int(type));
    if (type == std::filesystem::file_type::regular) {
      // Size and hash keep a failure message short.
      std::ifstream in(e.path(), std::ios::binary);
      const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      entry.append(" ").append(std::to_string(bytes.size())).append(" bytes #");
      entry.append(std::to_string(std::hash<std::string>()(bytes)));
    }
    entries.push_back(std::move(entry));
  }
  std::sort(entries.begin(), entries.end());
  std::string all;
  for (const auto& e : entries) all.append(e).append("\n");
  return all;
}

}  // namespace korvath::testing
