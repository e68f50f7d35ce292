#include "core/label_folders.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <system_error>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include "core/file_io.h"
#include "core/label_list.h"

namespace korvath {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kDefaultDataDirs = "/usr/local/share:/usr/share";

std::optional<std::string> Env(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

// Relative entries are ignored, as desktops do: they would depend on the working folder.
void AddIfAbsolute(std::vector<fs::path>& folders, const fs::path& base) {
  if (!base.is_absolute()) return;
  fs::path folder = (base / "korvath").lexically_normal();
  if (std::find(folders.begin(), folders.end(), folder) == folders.end())
    folders.push_back(std::move(folder));
}

}  // namespace

LabelSearch CurrentLabelSearch() {
  return {ExecutableDir(), Env("HOME"), Env("XDG_DATA_HOME"), Env("XDG_DATA_DIRS")};
}

std::vector<fs::path> LabelFolderCandidates(const LabelSearch& search) {
  // The executable's folder comes first and as it is, as it always has.
  std::vector<fs::path> folders = {search.ExecutableDir};
  if (search.XdgDataHome && !search.XdgDataHome->empty()) {
    AddIfAbsolute(folders, *search.XdgDataHome);
  } else if (search.Home && !search.Home->empty()) {
    AddIfAbsolute(folders, fs::path(*search.Home) / ".local/share");
  }
  const std::string_view dirs = search.XdgDataDirs && !search.XdgDataDirs->empty()
                                    ? std::string_view(*search.XdgDataDirs)
                                    : kDefaultDataDirs;
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string_view::npos) end = dirs.size();
    if (end > start) AddIfAbsolute(folders, fs::path(dirs.substr(start, end - start)));
    start = end + 1;
  }
  return folders;
}

bool HoldsLabelFiles(const fs::path& folder) {
  return std::all_of(kLabelFileNames.begin(), kLabelFileNames.end(), [&](const char* name) {
    std::error_code ec;
    return fs::is_regular_file(folder / name, ec);
  });
}

fs::path FindLabelFolder(const LabelSearch& search) {
  const std::vector<fs::path> folders = LabelFolderCandidates(search);
  for (const fs::path& folder : folders) {
    if (HoldsLabelFiles(folder)) return folder;
  }
  std::string searched = "探したフォルダ: ";
  for (std::size_t i = 0; i < folders.size(); ++i) {
    if (i > 0) searched += ", ";
    searched += folders[i].string();
  }
  throw StartupError(searched);
}

LabelFileBytes ReadLabelFiles(const fs::path& dir) {
  LabelFileBytes files;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const auto bytes = ReadWholeFile(dir / kLabelFileNames[i], kMaxLabelFileSize);
    if (!bytes) throw StartupError();
    files[i].assign(bytes->begin(), bytes->end());
  }
  return files;
}

LabelSet ReadLabelLists(const fs::path& dir) { return ParseLabelSet(ReadLabelFiles(dir)); }

#ifdef __EMSCRIPTEN__
// Under node the program is the script node runs; /proc/self/exe would name node itself.
// clang-format off
EM_JS(char*, ScriptDir, (), {
  if (typeof process !== 'object' || !process.argv || process.argv.length < 2) return 0;
  const path = require('path');
  return allocateUTF8(path.dirname(path.resolve(process.argv[1])));
});
// clang-format on
#endif

fs::path ExecutableDir() {
#ifdef __EMSCRIPTEN__
  if (char* dir = ScriptDir()) {
    fs::path result(dir);
    std::free(dir);
    return result;
  }
#endif
  std::error_code ec;
  const auto exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return fs::current_path(ec);
  return exe.parent_path();
}

}  // namespace korvath
