#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/label_list.h"

namespace korvath {

// What decides where label files are looked for; tests fill it in, programs take
// CurrentLabelSearch().
struct LabelSearch {
  std::filesystem::path ExecutableDir;
  std::optional<std::string> Home;         // $HOME
  std::optional<std::string> XdgDataHome;  // $XDG_DATA_HOME
  std::optional<std::string> XdgDataDirs;  // $XDG_DATA_DIRS
};

LabelSearch CurrentLabelSearch();

// The folders that may hold the six label files, in the order they are tried: the executable's
// folder, then $XDG_DATA_HOME/korvath, then each $XDG_DATA_DIRS entry with korvath appended.
std::vector<std::filesystem::path> LabelFolderCandidates(const LabelSearch& search);

// True when the folder holds all six label files.
bool HoldsLabelFiles(const std::filesystem::path& folder);

// The first candidate that holds all six files; files are never mixed across folders.
// Throws StartupError naming every folder searched when none does.
std::filesystem::path FindLabelFolder(const LabelSearch& search);

// Reads the six files from dir. Throws StartupError for one that is missing or cannot be read,
// or is larger than a label file can be.
LabelFileBytes ReadLabelFiles(const std::filesystem::path& dir);

// ReadLabelFiles, then ParseLabelSet.
LabelSet ReadLabelLists(const std::filesystem::path& dir);

// The folder that holds the running executable.
std::filesystem::path ExecutableDir();

}  // namespace korvath
