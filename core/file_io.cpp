#include "core/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
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

bool WriteFileAtomic(const std::filesystem::path& requested, std::span<const std::uint8_t> data) {
  // Write through a symbolic link to the file it names, rather than replacing the link.
  std::error_code linkError;
  std::filesystem::path path = requested;
  if (std::filesystem::is_symlink(requested, linkError)) {
    path = std::filesystem::weakly_canonical(requested, linkError);
    if (linkError) return false;
  }
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
