#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/label_list.h"

namespace korvath {

// What decides where label files are looked for; tests fill it in, programs take
// CurrentLabelSearch().
struct LabelSearch {
  std::filesystem::path ExecutableDir;
  std::optional<std::string> Home;              // $HOME
  std::optional<std::string> XdgDataHome;       // $XDG_DATA_HOME
  std::optional<std::string> XdgDataDirs;       // $XDG_DATA_DIRS
  std::optional<std::filesystem::path> Chosen;  // a folder the user named: the only one tried
};

LabelSearch CurrentLabelSearch(std::optional<std::filesystem::path> chosen = std::nullopt);

// The folders that may hold the six label files, in the order they are tried: the chosen folder
// alone, or the executable's folder, then $XDG_DATA_HOME/korvath, then each $XDG_DATA_DIRS entry
// with korvath appended.
std::vector<std::filesystem::path> LabelFolderCandidates(const LabelSearch& search);

// Where each of the six files is in folder, in the order of kLabelFileNames: the exact name, or
// where that is missing the entry whose name differs from it in ASCII case alone ("PLAN.TXT"; the
// first in byte order when there are several).
std::array<std::filesystem::path, kLabelFileNames.size()> LabelFilePaths(
    const std::filesystem::path& folder);

// True when the folder holds all six label files as regular files.
bool HoldsLabelFiles(const std::filesystem::path& folder);

// A label set as read from its folder.
struct FoundLabels {
  std::filesystem::path Folder;
  LabelFileBytes Files;
  std::shared_ptr<const LabelSet> Lists;  // parsed from Files
};

// The first candidate whose six files can be read as label lists, with their bytes as read;
// files are never mixed across folders. A folder that cannot be used does not stop the search.
// Throws StartupError naming every folder searched and, for each one passed over that holds any
// of the files (or was chosen), why, when no folder will do.
FoundLabels FindLabels(const LabelSearch& search);
// FindLabels' folder.
std::filesystem::path FindLabelFolder(const LabelSearch& search);

// Why each of the six files in dir cannot serve, one "NAME: reason" per file: missing, not a
// regular file (a FIFO, a folder, a device), unreadable, too large, not text, too few lines.
// Empty when the set can serve; files holds what was read, and lists, when given, the lists.
std::vector<std::string> ReadLabelFolder(const std::filesystem::path& dir, LabelFileBytes& files,
                                         LabelSet* lists = nullptr);

// Reads the six files from dir. Throws StartupError with ReadLabelFolder's problems, one per
// line, when they cannot serve.
LabelFileBytes ReadLabelFiles(const std::filesystem::path& dir);

// ReadLabelFiles, then ParseLabelSet.
LabelSet ReadLabelLists(const std::filesystem::path& dir);

// The folder that holds the running executable.
std::filesystem::path ExecutableDir();

}  // namespace korvath
