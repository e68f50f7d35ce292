#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/save_guard.h"

namespace korvath {

// Reads a whole file of at most maxSize bytes. nullopt when it cannot be read or is larger.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path,
                                                       std::uintmax_t maxSize);

// The file a save named path is written to: path itself, or the file a symbolic link names
// (through chains of links; when the last link dangles, the file it names is created, as a shell
// redirection would). nullopt when something other than a regular file is there, since a FIFO,
// device, socket or folder must never be replaced by a save, or when the links loop.
std::optional<std::filesystem::path> SaveTarget(const std::filesystem::path& path);

struct SaveRequest {
  std::span<const std::uint8_t> Data;
  // The bytes last opened or saved at the path. When given, a file there that holds other bytes
  // is left alone (WriteFailure::Changed); a missing file is written. nullopt writes over
  // whatever is there, for a user who said so.
  std::optional<std::span<const std::uint8_t>> Seen;
  // The backup store (BackupRoot()); the replaced bytes are kept there first. Empty: none kept.
  std::filesystem::path Backups;
};

struct SaveResult {
  bool Written = false;
  std::optional<WriteFailure> Failure;        // why nothing was written
  std::optional<WriteFailure> BackupFailure;  // bytes were replaced without a backup, and why
};

// Writes Data as the whole of the save at SaveTarget(path), comparing the bytes there with Seen
// immediately before the write. A file already there must open for writing, or nothing is
// written. It keeps its identity: a file with one name is replaced by a complete temporary file
// beside it that carries its mode, owner, group, ACL and extended attributes, so it holds either
// the old bytes or the new; a file with more hard links, one whose owner or attributes this
// process cannot give to a new file, or one in a folder it may not create files in, is
// overwritten in place, its old bytes kept in the backup store (or, without one, in a temporary
// copy beside it) until the new ones are on disk. On any failure the file is as it was.
SaveResult WriteSave(const std::filesystem::path& path, const SaveRequest& request);

// WriteSave without comparison or backup.
bool WriteSaveFile(const std::filesystem::path& path, std::span<const std::uint8_t> data);

// $XDG_STATE_HOME/korvath/backups, by default ~/.local/state/korvath/backups; empty when neither
// variable is set.
std::filesystem::path BackupRoot();

struct StoredBackup {
  std::filesystem::path Path;
  std::int64_t Time = 0;  // UTC milliseconds, from the name
  std::uint64_t Size = 0;
};
// The backups of the save at path (the file its links name), newest first.
std::vector<StoredBackup> ListBackups(const std::filesystem::path& root,
                                      const std::filesystem::path& save);
// Keeps old as the newest backup of save unless NeedsBackup says otherwise, then drops what
// BackupsToDrop says across the whole store, within limits. The store's file "index" remembers
// each folder's summary, so that only folders changed since are listed; without it, or where it
// is out of date, they are listed again. The failure when none could be kept.
std::optional<WriteFailure> KeepBackup(const std::filesystem::path& root,
                                       const std::filesystem::path& save,
                                       std::span<const std::uint8_t> old,
                                       const BackupLimits& limits = {});

// Tests only: runs once the new bytes are ready, just before the last comparison and the write it
// guards, where another program's write is most likely to meet a save. Reset with an empty
// function.
void SetBeforeCommitHookForTesting(std::function<void()> hook);

}  // namespace korvath
