#pragma once

// What a save decides before it replaces a file that another program (the game) also writes.
// Pure rules, no file access, so that every front end decides alike; the desktop and the command
// line reach the disk through core/file_io, the browser edition through its file handle.
//
//   CompareTarget(now, seen)        Unchanged / Changed / Missing: may the save write without
//   asking NeedsBackup(old, newest)        keep the replaced bytes, unless empty or equal to the
//   newest BackupFileName(ms) / BackupTimeOf(name)   "20261207-183015-123.bin" <-> UTC milliseconds
//   BackupTimeText(ms)              "2026-12-07 18:30:15.123 UTC", for lists
//   BackupFolderName(fullPath)      "save.bin-1a2b3c4d": a folder per save
//   WriteFailure, WriteFailureText (window_texts.h)   why a save was refused, in words
//   BackupsToDrop(entries, ...)     which backups go, oldest first, under kMaxBackupsPerSave and
//                                   kMaxBackupBytes
//   PlanPrune(listed, summarised)   the same when some folders are known only by a summary
//   BackupIndexText / ParseBackupIndex   the store's index of folder summaries, as a file's text

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvath {

inline constexpr std::size_t kMaxBackupsPerSave = 50;
inline constexpr std::uint64_t kMaxBackupBytes = std::uint64_t(64) << 20;

enum class TargetState {
  Unchanged,  // the bytes at the path are those last opened or saved
  Changed,    // another program wrote there: ask before writing over it
  Missing,    // deleted or renamed away: the save writes it again
};

// Why a write did not happen (or a backup was not kept); window_texts.h words each.
enum class WriteFailure {
  ReadOnlyFile,
  ReadOnlyFolder,
  ReadOnlyFileSystem,
  DiskFull,
  TooLarge,
  NotAFile,
  LinkLoop,
  NoFolder,
  Changed,  // another program wrote the file since it was read
  Other,
};

// now: the bytes at the path just before the write, nullopt when no file is there.
TargetState CompareTarget(std::optional<std::span<const std::uint8_t>> now,
                          std::span<const std::uint8_t> seen);

// Whether bytes about to be replaced must be kept: not when there are none, nor when the newest
// backup of the save already holds them.
bool NeedsBackup(std::span<const std::uint8_t> old,
                 std::optional<std::span<const std::uint8_t>> newestBackup);

// A backup's name from its time in milliseconds since 1970 (UTC); names sort as times do.
std::string BackupFileName(std::int64_t unixMillis);
// The time a backup's name gives; nullopt for any other name.
std::optional<std::int64_t> BackupTimeOf(std::string_view fileName);
std::string BackupTimeText(std::int64_t unixMillis);

// The folder that holds one save's backups: its file name, so a person finds it, and a short hash
// of its full path, so two saves of the same name in different folders never share one.
std::string BackupFolderName(std::string_view fullPath);

struct BackupEntry {
  std::string Save;  // the save it belongs to, for example its folder name
  std::int64_t Time = 0;
  std::uint64_t Size = 0;
};

struct BackupLimits {
  std::size_t PerSave = kMaxBackupsPerSave;
  std::uint64_t Bytes = kMaxBackupBytes;
};

// Indices of the entries to delete: beyond maxPerSave for one save, then, while all together
// exceed maxBytes, the oldest of all. Newest entries are kept first.
std::vector<std::size_t> BackupsToDrop(std::span<const BackupEntry> entries,
                                       std::size_t maxPerSave = kMaxBackupsPerSave,
                                       std::uint64_t maxBytes = kMaxBackupBytes);

// A save's folder as pruning needs it when its backups are not listed one by one.
struct BackupFolderSummary {
  std::string Save;
  std::uint64_t Bytes = 0;
  std::size_t Count = 0;
  std::int64_t Oldest = 0;  // the time of its oldest backup, when it has any
  bool operator==(const BackupFolderSummary&) const = default;
};

struct PruneStep {
  std::vector<std::size_t> Drop;    // indices into listed, oldest first
  std::optional<std::size_t> List;  // or: list this summarised folder, then plan again
};

// BackupsToDrop over listed and the folders known by summaries together, where a summarised
// folder's backups can only be kept. When the decision needs one of them, Drop is empty and List
// names the folder to list (one with more than PerSave backups, or the one holding the oldest
// backup while the total is still too large).
PruneStep PlanPrune(std::span<const BackupEntry> listed,
                    std::span<const BackupFolderSummary> summarised, const BackupLimits& limits);

// What the store remembers of a folder: its summary, and the stamp (identity and time of change)
// the folder had when it was listed, so that a folder changed since is listed again.
struct IndexedFolder {
  BackupFolderSummary Summary;
  std::array<std::int64_t, 4> Stamp{};
  bool operator==(const IndexedFolder&) const = default;
};

std::string BackupIndexText(std::span<const IndexedFolder> folders);
// nullopt for a text BackupIndexText did not write whole: cut short, corrupted or another format.
std::optional<std::vector<IndexedFolder>> ParseBackupIndex(std::string_view text);

}  // namespace korvath
