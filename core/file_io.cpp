#include "core/file_io.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#else
#include <sys/xattr.h>
#endif

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <utility>

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

std::function<void()>& BeforeCommitHook() {
  static std::function<void()> hook;
  return hook;
}

#ifdef __EMSCRIPTEN__
// Under node (NODERAWFS) open() drops O_NONBLOCK, so a FIFO put in a save's place blocks the
// program, and fsync() does nothing. Node itself can do both. (The bodies pass through the C
// preprocessor, which splits === apart: == only.)
EM_JS(void, NodeKeepNonBlockingOpens, (), {
  if (typeof NODEFS == 'undefined' || NODEFS.korvathNonBlocking) return;
  var nonBlocking = require('fs').constants.O_NONBLOCK;
  var flagsForNode = NODEFS.flagsForNode;
  NODEFS.flagsForNode = function(flags) {
    return flagsForNode(flags) | ((flags & 2048) ? nonBlocking : 0);
  };
  NODEFS.korvathNonBlocking = true;
});
EM_JS(int, NodeFsync, (int fd), {
  try {
    var stream = FS.getStream(fd);
    if (!stream || stream.nfd == null) return -1;
    require('fs').fsyncSync(stream.nfd);
    return 0;
  } catch (e) {
    return -1;
  }
});
#endif

int OpenFile(const char* path, int flags, mode_t mode = 0) {
#ifdef __EMSCRIPTEN__
  static const bool patched = (NodeKeepNonBlockingOpens(), true);
  (void)patched;
#endif
  return ::open(path, flags, mode);
}

int Sync(int fd) {
#ifdef __EMSCRIPTEN__
  return NodeFsync(fd);
#else
  return ::fsync(fd);
#endif
}

// The rest of an open file from its start, when it holds at most maxSize bytes.
std::optional<std::vector<std::uint8_t>> ReadAll(int fd, std::uintmax_t maxSize) {
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  if (std::uintmax_t(st.st_size) > maxSize) return std::nullopt;
  // Sized by fstat, but read to the end: the file may have grown since, even past the limit.
  std::vector<std::uint8_t> data(std::size_t(st.st_size) + 1);
  std::size_t got = 0;
  for (;;) {
    if (got == data.size()) {
      if (got > maxSize) return std::nullopt;
      data.resize(2 * data.size());
    }
    const ssize_t n = ::pread(fd, data.data() + got, data.size() - got, off_t(got));
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

}  // namespace

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path,
                                                       std::uintmax_t maxSize) {
  // Decide the type before opening: open() on a FIFO waits for a writer, and opening a device
  // can have effects of its own.
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  // The name may have been replaced since; O_NONBLOCK keeps a FIFO put there from blocking, and
  // has no effect on reading a regular file.
  Fd fd(OpenFile(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (fd.get() < 0) return std::nullopt;
  return ReadAll(fd.get(), maxSize);
}

namespace {

// Where a save named path goes, as SaveTarget; error says why not.
std::optional<std::filesystem::path> ResolveTarget(const std::filesystem::path& requested,
                                                   int& error) {
  // As many links as the kernel follows before it gives up with ELOOP.
  constexpr int kMaxLinks = 40;
  error = ENOENT;
  if (requested.empty()) return std::nullopt;
  std::filesystem::path path = requested;
  for (int links = 0; links <= kMaxLinks; ++links) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
      // A missing file is created; a missing folder on the way fails when the write starts.
      if (errno == ENOENT) return path;
      error = errno;
      return std::nullopt;
    }
    if (S_ISREG(st.st_mode)) return path;
    error = EISDIR;  // stands for anything that is not a regular file
    if (!S_ISLNK(st.st_mode)) return std::nullopt;
    std::error_code ec;
    const std::filesystem::path next = std::filesystem::read_symlink(path, ec);
    if (ec) {
      error = ec.value();
      return std::nullopt;
    }
    // Not normalised: "dir/../x" must go through dir as the kernel would.
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  error = ELOOP;
  return std::nullopt;
}

// errno in words; permission means forbidden, which is the file's or its folder's mode.
WriteFailure FailureOf(int error, WriteFailure forbidden) {
  switch (error) {
    case EACCES:
    case EPERM:
      return forbidden;
    case EROFS:
      return WriteFailure::ReadOnlyFileSystem;
    case ENOSPC:
    case EDQUOT:
      return WriteFailure::DiskFull;
    case EFBIG:
      return WriteFailure::TooLarge;
    case ELOOP:
      return WriteFailure::LinkLoop;
    case ENOENT:
    case ENOTDIR:
      return WriteFailure::NoFolder;
    case EISDIR:
    case ENXIO:
    case ETXTBSY:
      return WriteFailure::NotAFile;
    default:
      return WriteFailure::Other;
  }
}

}  // namespace

std::optional<std::filesystem::path> SaveTarget(const std::filesystem::path& requested) {
  int error = 0;
  return ResolveTarget(requested, error);
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
    const int fd = OpenFile(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
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

// Makes a rename in the folder last through a crash.
void SyncFolderOf(const std::filesystem::path& path) {
  const std::filesystem::path parent = path.parent_path();
  const Fd dir(OpenFile(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) Sync(dir.get());
}

void Remove(const std::filesystem::path& path) {
  std::error_code ec;
  std::filesystem::remove(path, ec);
}

// The bytes at path now: nullopt in bytes when they cannot be read; exists false when nothing is
// there.
struct OnDisk {
  bool Exists = false;
  std::optional<std::vector<std::uint8_t>> Bytes;
};
OnDisk ReadOnDisk(const std::filesystem::path& path) {
  const Fd fd(OpenFile(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (fd.get() < 0) return {errno != ENOENT, std::nullopt};
  return {true, ReadAll(fd.get(), kMaxBackupBytes)};
}

// Gives the new file every extended attribute of the old one, its ACL (system.posix_acl_access)
// among them; copying the mode alone would turn an ACL's mask into group permissions.
bool CopyAttributes(const std::filesystem::path& from, int to) {
#ifdef __EMSCRIPTEN__
  (void)from;
  (void)to;
  return true;
#else
  ssize_t size = ::listxattr(from.c_str(), nullptr, 0);
  if (size < 0) return errno == ENOTSUP || errno == ENOSYS;
  std::vector<char> names(std::size_t(size) + 1);
  size = ::listxattr(from.c_str(), names.data(), names.size());
  if (size < 0) return false;
  std::vector<char> value;
  for (const char* name = names.data(); name < names.data() + size; name += std::strlen(name) + 1) {
    const ssize_t length = ::getxattr(from.c_str(), name, nullptr, 0);
    if (length < 0) return false;
    value.resize(std::size_t(length) + 1);
    const ssize_t got = ::getxattr(from.c_str(), name, value.data(), value.size());
    if (got < 0 || ::fsetxattr(to, name, value.data(), std::size_t(got), 0) != 0) return false;
  }
  return true;
#endif
}

enum class Outcome { Written, Failed, Changed, InPlace };

// Whether the file still holds what the save compared and kept; runs the test hook first.
using StillUnchanged = std::function<bool()>;

// A complete new file renamed over path: the file holds the old bytes or the new, never a mix.
// old is the file there, if any, whose mode, owner, group and attributes the new one takes;
// InPlace when it cannot take them, or the folder takes no new file.
Outcome Replace(const std::filesystem::path& path, std::span<const std::uint8_t> data,
                const struct stat* old, const StillUnchanged& unchanged, int& error) {
  std::filesystem::path tempPath;
  Fd fd = CreateBeside(path, old ? 0600 : 0666, tempPath);
  if (fd.get() < 0) {
    error = errno;
    return old && (error == EACCES || error == EPERM) ? Outcome::InPlace : Outcome::Failed;
  }
  const auto fail = [&](Outcome outcome) {
    if (outcome == Outcome::Failed) error = errno;
    Remove(tempPath);
    return outcome;
  };
  if (old) {
    // Owner first: a change of owner clears the set-user-ID and set-group-ID bits.
    struct stat made {};
    if (::fstat(fd.get(), &made) != 0) return fail(Outcome::Failed);
    if ((made.st_uid != old->st_uid || made.st_gid != old->st_gid) &&
        ::fchown(fd.get(), old->st_uid, old->st_gid) != 0)
      return fail(Outcome::InPlace);
    if (::fchmod(fd.get(), old->st_mode & 07777) != 0) return fail(Outcome::Failed);
    if (!CopyAttributes(path, fd.get())) return fail(Outcome::InPlace);
  }
  if (!WriteAllAt(fd.get(), data.data(), data.size(), 0)) return fail(Outcome::Failed);
  if (Sync(fd.get()) != 0) return fail(Outcome::Failed);
  if (::close(fd.release()) != 0) return fail(Outcome::Failed);
  if (!unchanged()) return fail(Outcome::Changed);
  if (std::rename(tempPath.c_str(), path.c_str()) != 0) return fail(Outcome::Failed);
  SyncFolderOf(path);
  return Outcome::Written;
}

// Overwrites the file itself, so that every hard link to it and its owner, group, mode and
// attributes stay as they are. old are its bytes, for putting back when the write fails; unless
// the backup store holds them, they also wait in a copy beside it until the new ones are on disk.
Outcome OverwriteInPlace(const std::filesystem::path& path, int fd,
                         std::span<const std::uint8_t> data, std::span<const std::uint8_t> old,
                         bool oldKept, const StillUnchanged& unchanged, int& error) {
  std::filesystem::path copyPath;
  if (!oldKept) {
    // Where no copy can be made (a folder that takes no new file) the write still goes on.
    Fd copy = CreateBeside(path, 0600, copyPath);
    if (copy.get() >= 0 &&
        !(WriteAllAt(copy.get(), old.data(), old.size(), 0) && Sync(copy.get()) == 0)) {
      error = errno;
      Remove(copyPath);
      return Outcome::Failed;
    }
  }
  const auto done = [&](Outcome outcome) {
    if (!copyPath.empty()) Remove(copyPath);
    return outcome;
  };
  if (!unchanged()) return done(Outcome::Changed);
  if (WriteAllAt(fd, data.data(), data.size(), 0) && ::ftruncate(fd, off_t(data.size())) == 0 &&
      Sync(fd) == 0)
    return done(Outcome::Written);
  error = errno;
  if (WriteAllAt(fd, old.data(), old.size(), 0) && ::ftruncate(fd, off_t(old.size())) == 0 &&
      Sync(fd) == 0)
    return done(Outcome::Failed);
  return Outcome::Failed;  // the copy beside it stays, the only whole old bytes left
}

std::filesystem::path BackupFolder(const std::filesystem::path& root,
                                   const std::filesystem::path& save) {
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(SaveTarget(save).value_or(save), ec);
  if (ec) full = save;
  return root / BackupFolderName(full.lexically_normal().string());
}

// The backups in one save's folder, newest first; whole is false when the folder could not be
// read to its end.
std::vector<StoredBackup> ListFolder(const std::filesystem::path& folder, bool* whole = nullptr) {
  std::vector<StoredBackup> backups;
  std::error_code ec;
  for (std::filesystem::directory_iterator file(folder, ec), end; !ec && file != end;
       file.increment(ec)) {
    const auto time = BackupTimeOf(file->path().filename().string());
    std::error_code sized;
    const std::uintmax_t size = file->file_size(sized);
    if (time && !sized) backups.push_back({file->path(), *time, size});
  }
  if (whole != nullptr) *whole = !ec;
  std::sort(backups.begin(), backups.end(),
            [](const StoredBackup& a, const StoredBackup& b) { return a.Time > b.Time; });
  return backups;
}

using FolderStamp = std::array<std::int64_t, 4>;

// A folder's identity and time of change, which every file made, renamed or deleted in it moves
// on; nullopt for anything but a folder.
std::optional<FolderStamp> StampOf(const std::filesystem::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  return FolderStamp{std::int64_t(st.st_ino), std::int64_t(st.st_ctim.tv_sec),
                     std::int64_t(st.st_ctim.tv_nsec), std::int64_t(st.st_size)};
}

constexpr const char* kIndexName = "index";
constexpr std::uintmax_t kMaxIndexBytes = std::uintmax_t(16) << 20;

// Replaces the store's index. Not synced: after a crash a lost or torn index is only rebuilt.
void WriteIndex(const std::filesystem::path& root, std::string_view text) {
  std::filesystem::path tempPath;
  Fd fd = CreateBeside(root / kIndexName, 0600, tempPath);
  if (fd.get() < 0) return;
  if (!WriteAllAt(fd.get(), reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), 0) ||
      ::close(fd.release()) != 0 || std::rename(tempPath.c_str(), (root / kIndexName).c_str()) != 0)
    Remove(tempPath);
}

// Drops what PlanPrune says over the whole store. Only folders that changed since the index
// remembered them are listed (and the one holding the oldest backup, when the store is full);
// the save's own folder comes already listed as ownBackups. A folder is remembered only if it
// last changed before settled, the store's clock when the save wrote its backup: a change in the
// same tick of that clock would leave the stamp as it was.
void PruneBackups(const std::filesystem::path& root, const std::filesystem::path& own,
                  std::vector<StoredBackup> ownBackups, const timespec& settled,
                  const BackupLimits& limits) {
  const auto indexBytes = ReadWholeFile(root / kIndexName, kMaxIndexBytes);
  const std::string_view indexText =
      indexBytes
          ? std::string_view(reinterpret_cast<const char*>(indexBytes->data()), indexBytes->size())
          : std::string_view();
  std::map<std::string, IndexedFolder, std::less<>> remembered;
  for (IndexedFolder& folder : ParseBackupIndex(indexText).value_or(std::vector<IndexedFolder>{}))
    remembered.emplace(folder.Summary.Save, std::move(folder));

  struct Folder {
    std::filesystem::path Path;
    std::string Name;
    FolderStamp Stamp{};
    std::vector<StoredBackup> Backups;
    bool Listed = false;
    bool Remember = false;  // listed whole, unchanged by this save and settled
  };
  std::vector<Folder> folders;
  std::vector<BackupEntry> listed;
  std::vector<std::pair<std::size_t, std::size_t>> listedAt;  // folder, backup
  std::vector<BackupFolderSummary> summarised;
  std::vector<std::size_t> summarisedAt;  // folder
  const auto list = [&](std::size_t f, std::vector<StoredBackup> backups) {
    Folder& folder = folders[f];
    folder.Listed = true;
    folder.Backups = std::move(backups);
    for (std::size_t b = 0; b < folder.Backups.size(); ++b) {
      listed.push_back({folder.Name, folder.Backups[b].Time, folder.Backups[b].Size});
      listedAt.emplace_back(f, b);
    }
  };
  const auto listWhole = [&](std::size_t f) {
    bool whole = false;
    list(f, ListFolder(folders[f].Path, &whole));
    folders[f].Remember =
        whole && std::pair(folders[f].Stamp[1], folders[f].Stamp[2]) <
                     std::pair<std::int64_t, std::int64_t>(settled.tv_sec, settled.tv_nsec);
  };
  // The save's own folder even when the store cannot be read; never remembered, as this save
  // changed it.
  folders.push_back({own, own.filename().string(), {}, {}});
  list(0, std::move(ownBackups));
  std::error_code ec;
  for (std::filesystem::directory_iterator entry(root, ec), end; !ec && entry != end;
       entry.increment(ec)) {
    // Stamped before it is listed, so that a change meanwhile shows next time.
    const auto stamp = StampOf(entry->path());
    if (!stamp || entry->path().filename() == own.filename()) continue;
    folders.push_back({entry->path(), entry->path().filename().string(), *stamp, {}});
    const std::size_t f = folders.size() - 1;
    const auto known = remembered.find(folders[f].Name);
    if (known != remembered.end() && known->second.Stamp == *stamp) {
      summarised.push_back(known->second.Summary);
      summarisedAt.push_back(f);
    } else {
      listWhole(f);
    }
  }
  PruneStep step;
  while ((step = PlanPrune(listed, summarised, limits)).List) {
    const std::size_t f = summarisedAt[*step.List];
    summarised.erase(summarised.begin() + std::ptrdiff_t(*step.List));
    summarisedAt.erase(summarisedAt.begin() + std::ptrdiff_t(*step.List));
    listWhole(f);
  }
  for (const std::size_t i : step.Drop) {
    Folder& folder = folders[listedAt[i].first];
    Remove(folder.Backups[listedAt[i].second].Path);
    folder.Remember = false;
  }

  std::vector<IndexedFolder> index;
  for (const Folder& folder : folders) {
    if (!folder.Listed) {
      index.push_back(remembered.find(folder.Name)->second);
    } else if (folder.Remember) {
      BackupFolderSummary summary{folder.Name, 0, folder.Backups.size(), 0};
      for (const StoredBackup& b : folder.Backups) summary.Bytes += b.Size;
      if (!folder.Backups.empty()) summary.Oldest = folder.Backups.back().Time;
      index.push_back({std::move(summary), folder.Stamp});
    }
  }
  std::sort(index.begin(), index.end(), [](const IndexedFolder& a, const IndexedFolder& b) {
    return a.Summary.Save < b.Summary.Save;
  });
  const std::string text = BackupIndexText(index);
  if (text != indexText) WriteIndex(root, text);
}

// Creates folder and the folders above it that are missing, each one's name synced, since a
// backup must last through a crash with the folders it is in.
std::error_code MakeFolders(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> missing;
  std::error_code ec;
  for (std::filesystem::path p = folder; !p.empty() && !std::filesystem::exists(p, ec) && !ec;
       p = p.parent_path()) {
    missing.push_back(p);
    if (p == p.parent_path()) break;
  }
  std::filesystem::create_directories(folder, ec);
  if (!ec) {
    for (const std::filesystem::path& made : missing) SyncFolderOf(made);
  }
  return ec;
}

}  // namespace

std::filesystem::path BackupRoot() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && *state == '/')
    return std::filesystem::path(state) / "korvath" / "backups";
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0')
    return std::filesystem::path(home) / ".local" / "state" / "korvath" / "backups";
  return {};
}

std::vector<StoredBackup> ListBackups(const std::filesystem::path& root,
                                      const std::filesystem::path& save) {
  if (root.empty()) return {};
  return ListFolder(BackupFolder(root, save));
}

std::optional<WriteFailure> KeepBackup(const std::filesystem::path& root,
                                       const std::filesystem::path& save,
                                       std::span<const std::uint8_t> old,
                                       const BackupLimits& limits) {
  if (root.empty()) return WriteFailure::NoFolder;
  const std::filesystem::path folder = BackupFolder(root, save);
  if (const std::error_code made = MakeFolders(folder))
    return FailureOf(made.value(), WriteFailure::ReadOnlyFolder);
  std::vector<StoredBackup> backups = ListFolder(folder);
  std::optional<std::vector<std::uint8_t>> newest;
  if (!backups.empty()) newest = ReadWholeFile(backups.front().Path, kMaxBackupBytes);
  if (!NeedsBackup(old,
                   newest ? std::optional<std::span<const std::uint8_t>>(*newest) : std::nullopt))
    return std::nullopt;
  // Later than every backup there, so that names sort as saves happened even if the clock
  // went back.
  std::int64_t time = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::system_clock::now().time_since_epoch())
                          .count();
  if (!backups.empty()) time = std::max(time, backups.front().Time + 1);
  std::error_code ec;
  std::filesystem::path name = folder / BackupFileName(time);
  while (std::filesystem::exists(name, ec)) name = folder / BackupFileName(++time);
  // Written whole under a temporary name first, so a backup's name never shows half a file.
  std::filesystem::path tempPath;
  Fd fd = CreateBeside(name, 0600, tempPath);
  if (fd.get() < 0) return FailureOf(errno, WriteFailure::ReadOnlyFolder);
  struct stat written {};
  if (!WriteAllAt(fd.get(), old.data(), old.size(), 0) || Sync(fd.get()) != 0 ||
      ::fstat(fd.get(), &written) != 0 || ::close(fd.release()) != 0 ||
      std::rename(tempPath.c_str(), name.c_str()) != 0) {
    const int error = errno;
    Remove(tempPath);
    return FailureOf(error, WriteFailure::ReadOnlyFolder);
  }
  SyncFolderOf(name);
  backups.insert(backups.begin(), {name, time, old.size()});
  PruneBackups(root, folder, std::move(backups), written.st_mtim, limits);
  return std::nullopt;
}

void SetBeforeCommitHookForTesting(std::function<void()> hook) {
  BeforeCommitHook() = std::move(hook);
}

SaveResult WriteSave(const std::filesystem::path& requested, const SaveRequest& request) {
  SaveResult result;
  const auto failed = [&](WriteFailure failure) {
    result.Failure = failure;
    return result;
  };
  int error = 0;
  const auto target = ResolveTarget(requested, error);
  if (!target) return failed(FailureOf(error, WriteFailure::Other));
  const std::filesystem::path& path = *target;
  const FileSizeSignalHeld held;
  const auto finish = [&](Outcome outcome, WriteFailure forbidden) {
    if (outcome == Outcome::Changed) return failed(WriteFailure::Changed);
    if (outcome != Outcome::Written) return failed(FailureOf(error, forbidden));
    result.Written = true;
    return result;
  };
  // Opening the file for writing is the test of whether the user may change it: a read-only
  // file must not be replaced just because its folder is writable.
  const Fd fd(OpenFile(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (fd.get() < 0) {
    if (errno != ENOENT) return failed(FailureOf(errno, WriteFailure::ReadOnlyFile));
    // Nothing there (also a save deleted since it was opened): nothing to compare or keep, as
    // long as nothing turns up meanwhile.
    const StillUnchanged nothingThere = [&] {
      if (BeforeCommitHook()) BeforeCommitHook()();
      return !ReadOnDisk(path).Exists;
    };
    return finish(Replace(path, request.Data, nullptr, nothingThere, error),
                  WriteFailure::ReadOnlyFolder);
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return failed(WriteFailure::NotAFile);
  const OnDisk old = ReadOnDisk(path);
  if (request.Seen &&
      (!old.Bytes || CompareTarget(*old.Bytes, *request.Seen) == TargetState::Changed))
    return failed(WriteFailure::Changed);
  bool oldKept = false;
  // A save that writes the bytes already there replaces nothing worth keeping.
  const bool replacesBytes = !old.Bytes || !std::equal(old.Bytes->begin(), old.Bytes->end(),
                                                       request.Data.begin(), request.Data.end());
  if (!request.Backups.empty() && replacesBytes) {
    result.BackupFailure = old.Bytes ? KeepBackup(request.Backups, path, *old.Bytes)
                                     : std::optional(WriteFailure::Other);
    oldKept = !result.BackupFailure;
  }
  // The last look, as late as possible: another program's write since the first one must not
  // be lost either.
  // A file deleted meanwhile loses nothing when a new one takes its name, but an overwrite in
  // place would no longer reach the name.
  const auto unchangedOr = [&](bool missingIsFine) -> StillUnchanged {
    return [&, missingIsFine] {
      if (BeforeCommitHook()) BeforeCommitHook()();
      const OnDisk now = ReadOnDisk(path);
      if (!now.Exists) return missingIsFine;
      if (!old.Bytes) return !request.Seen;
      return now.Bytes && *now.Bytes == *old.Bytes;
    };
  };
  const StillUnchanged unchanged = unchangedOr(false);
  if (st.st_nlink == 1) {
    const Outcome replaced = Replace(path, request.Data, &st, unchangedOr(true), error);
    if (replaced != Outcome::InPlace) return finish(replaced, WriteFailure::ReadOnlyFolder);
  }
  // In place only with the old bytes at hand to put back.
  if (!old.Bytes) return failed(WriteFailure::Other);
  return finish(
      OverwriteInPlace(path, fd.get(), request.Data, *old.Bytes, oldKept, unchanged, error),
      WriteFailure::ReadOnlyFile);
}

bool WriteSaveFile(const std::filesystem::path& path, std::span<const std::uint8_t> data) {
  return WriteSave(path, {data, std::nullopt, {}}).Written;
}

}  // namespace korvath
