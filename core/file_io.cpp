#include "core/file_io.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace korvath {

namespace {

// Closes a descriptor on every path out of a function.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

// Past the file size limit write() raises SIGXFSZ, which would end the program with the
// temporary file left behind. Held back, the write fails with EFBIG instead; the signal is then
// taken off the queue so it does not strike later.
class FileSizeSignalHeld {
 public:
  FileSizeSignalHeld() {
    ::sigemptyset(&set_);
    ::sigaddset(&set_, SIGXFSZ);
    ::pthread_sigmask(SIG_BLOCK, &set_, &old_);
  }
  ~FileSizeSignalHeld() {
    const timespec now{};
    while (::sigtimedwait(&set_, nullptr, &now) == SIGXFSZ) {
    }
    ::pthread_sigmask(SIG_SETMASK, &old_, nullptr);
  }
  FileSizeSignalHeld(const FileSizeSignalHeld&) = delete;
  FileSizeSignalHeld& operator=(const FileSizeSignalHeld&) = delete;

 private:
  sigset_t set_{};
  sigset_t old_{};
};

}  // namespace

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path,
                                                       std::uintmax_t maxSize) {
  // Decide the type before opening: open() on a FIFO waits for a writer, and opening a device
  // can have effects of its own.
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  // The name may have been replaced since; O_NONBLOCK keeps a FIFO put there from blocking, and
  // has no effect on reading a regular file.
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (fd.get() < 0) return std::nullopt;
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  if (std::uintmax_t(st.st_size) > maxSize) return std::nullopt;
  // Sized by fstat, but read to the end: the file may have grown since, even past the limit.
  std::vector<std::uint8_t> data(std::size_t(st.st_size) + 1);
  std::size_t got = 0;
  for (;;) {
    if (got == data.size()) {
      if (got > maxSize) return std::nullopt;
      data.resize(2 * data.size());
    }
    const ssize_t n = ::read(fd.get(), data.data() + got, data.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) break;
    got += std::size_t(n);
  }
  if (got > maxSize) return std::nullopt;
  data.resize(got);
  return data;
}

std::optional<std::filesystem::path> SaveTarget(const std::filesystem::path& requested) {
  // As many links as the kernel follows before it gives up with ELOOP.
  constexpr int kMaxLinks = 40;
  if (requested.empty()) return std::nullopt;
  std::filesystem::path path = requested;
  for (int links = 0; links <= kMaxLinks; ++links) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
      // A missing file is created; a missing folder on the way fails when the write starts.
      if (errno == ENOENT) return path;
      return std::nullopt;
    }
    if (S_ISREG(st.st_mode)) return path;
    if (!S_ISLNK(st.st_mode)) return std::nullopt;
    std::error_code ec;
    const std::filesystem::path next = std::filesystem::read_symlink(path, ec);
    if (ec) return std::nullopt;
    // Not normalised: "dir/../x" must go through dir as the kernel would.
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  return std::nullopt;
}

bool WriteFileAtomic(const std::filesystem::path& requested, std::span<const std::uint8_t> data) {
  const auto target = SaveTarget(requested);
  if (!target) return false;
  const std::filesystem::path& path = *target;
  const FileSizeSignalHeld held;
  std::filesystem::path temp = path;
  temp += ".korvath-XXXXXX";
  std::string pattern = temp.string();
  Fd fd(::mkstemp(pattern.data()));
  if (fd.get() < 0) return false;
  const std::filesystem::path tempPath = pattern;
  auto fail = [&] {
    std::error_code ec;
    std::filesystem::remove(tempPath, ec);
    return false;
  };
  // Keep the permissions of the file being replaced.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0)
    ::fchmod(fd.get(), st.st_mode & 07777);
  else
    ::fchmod(fd.get(), 0644);
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd.get(), data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail();
    }
    done += std::size_t(n);
  }
  if (::fsync(fd.get()) != 0) return fail();
  if (::close(fd.release()) != 0) return fail();
  if (std::rename(tempPath.c_str(), path.c_str()) != 0) return fail();
  return true;
}

}  // namespace korvath
