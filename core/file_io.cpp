#include "core/file_io.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

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

namespace {

// Creates a new file beside path, named path.korvath-XXXXXXXX, which no other file can be: the
// name is made with O_EXCL. mode goes through the umask as for any new file.
Fd CreateBeside(const std::filesystem::path& path, mode_t mode, std::filesystem::path& made) {
  static std::random_device random;
  for (int attempt = 0; attempt < 64; ++attempt) {
    char suffix[20];
    std::snprintf(suffix, sizeof suffix, ".korvath-%08x", unsigned(random()));
    std::filesystem::path candidate = path;
    candidate += suffix;
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) {
      made = std::move(candidate);
      return Fd(fd);
    }
    if (errno != EEXIST) break;
  }
  return Fd(-1);
}

bool WriteAllAt(int fd, const std::uint8_t* data, std::size_t size, off_t at) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pwrite(fd, data + done, size - done, at + off_t(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += std::size_t(n);
  }
  return true;
}

// Copies the whole of from into to, from the start of both.
bool CopyContents(int from, int to) {
  std::vector<std::uint8_t> buffer(std::size_t(64) << 10);
  off_t at = 0;
  for (;;) {
    const ssize_t n = ::pread(from, buffer.data(), buffer.size(), at);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return true;
    if (!WriteAllAt(to, buffer.data(), std::size_t(n), at)) return false;
    at += n;
  }
}

// Makes a rename in the folder last through a crash.
void SyncFolderOf(const std::filesystem::path& path) {
  const std::filesystem::path parent = path.parent_path();
  const Fd dir(::open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
}

void Remove(const std::filesystem::path& path) {
  std::error_code ec;
  std::filesystem::remove(path, ec);
}

enum class Outcome { Written, Failed, OwnerNotKept };

// A complete new file renamed over path: the file holds the old bytes or the new, never a mix.
// old is the file there, if any, whose mode, owner and group the new one takes.
Outcome Replace(const std::filesystem::path& path, std::span<const std::uint8_t> data,
                const struct stat* old) {
  std::filesystem::path tempPath;
  Fd fd = CreateBeside(path, old ? 0600 : 0666, tempPath);
  if (fd.get() < 0) return Outcome::Failed;
  const auto fail = [&](Outcome outcome) {
    Remove(tempPath);
    return outcome;
  };
  if (old) {
    // Owner first: a change of owner clears the set-user-ID and set-group-ID bits.
    struct stat made {};
    if (::fstat(fd.get(), &made) != 0) return fail(Outcome::Failed);
    if ((made.st_uid != old->st_uid || made.st_gid != old->st_gid) &&
        ::fchown(fd.get(), old->st_uid, old->st_gid) != 0)
      return fail(Outcome::OwnerNotKept);
    if (::fchmod(fd.get(), old->st_mode & 07777) != 0) return fail(Outcome::Failed);
  }
  if (!WriteAllAt(fd.get(), data.data(), data.size(), 0)) return fail(Outcome::Failed);
  if (::fsync(fd.get()) != 0) return fail(Outcome::Failed);
  if (::close(fd.release()) != 0) return fail(Outcome::Failed);
  if (std::rename(tempPath.c_str(), path.c_str()) != 0) return fail(Outcome::Failed);
  SyncFolderOf(path);
  return Outcome::Written;
}

// Overwrites the file itself, so that every hard link to it and its owner, group, mode and
// attributes stay as they are. The old bytes wait in a copy beside it until the new ones are on
// disk; when the write fails they are put back, and the copy is kept if even that fails.
bool OverwriteInPlace(const std::filesystem::path& path, int fd,
                      std::span<const std::uint8_t> data) {
  const Fd reader(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  struct stat st {};
  if (reader.get() < 0 || ::fstat(reader.get(), &st) != 0) return false;
  std::filesystem::path backupPath;
  Fd backup = CreateBeside(path, 0600, backupPath);
  if (backup.get() < 0) return false;
  if (!CopyContents(reader.get(), backup.get()) || ::fsync(backup.get()) != 0) {
    Remove(backupPath);
    return false;
  }
  if (WriteAllAt(fd, data.data(), data.size(), 0) && ::ftruncate(fd, off_t(data.size())) == 0 &&
      ::fsync(fd) == 0) {
    Remove(backupPath);
    return true;
  }
  const Fd restore(::open(backupPath.c_str(), O_RDONLY | O_CLOEXEC));
  if (restore.get() >= 0 && CopyContents(restore.get(), fd) && ::ftruncate(fd, st.st_size) == 0 &&
      ::fsync(fd) == 0)
    Remove(backupPath);
  return false;
}

}  // namespace

bool WriteSaveFile(const std::filesystem::path& requested, std::span<const std::uint8_t> data) {
  const auto target = SaveTarget(requested);
  if (!target) return false;
  const std::filesystem::path& path = *target;
  const FileSizeSignalHeld held;
  // Opening the file for writing is the test of whether the user may change it: a read-only
  // file must not be replaced just because its folder is writable.
  const Fd fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (fd.get() < 0) return errno == ENOENT && Replace(path, data, nullptr) == Outcome::Written;
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (st.st_nlink == 1) {
    const Outcome replaced = Replace(path, data, &st);
    if (replaced != Outcome::OwnerNotKept) return replaced == Outcome::Written;
  }
  return OverwriteInPlace(path, fd.get(), data);
}

}  // namespace korvath
