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
#include "core/printable.h"

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

LabelSearch CurrentLabelSearch(std::optional<fs::path> chosen) {
  return {ExecutableDir(), Env("HOME"), Env("XDG_DATA_HOME"), Env("XDG_DATA_DIRS"),
          std::move(chosen)};
}

std::vector<fs::path> LabelFolderCandidates(const LabelSearch& search) {
  if (search.Chosen) return {*search.Chosen};
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

namespace {

std::string Joined(const std::vector<std::string>& parts, std::string_view separator) {
  std::string out;
  for (const std::string& part : parts) {
    if (!out.empty()) out += separator;
    out += part;
  }
  return out;
}

}  // namespace

std::array<fs::path, kLabelFileNames.size()> LabelFilePaths(const fs::path& folder) {
  std::array<fs::path, kLabelFileNames.size()> paths;
  bool listed = false;
  std::vector<std::string> entries;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    paths[i] = folder / kLabelFileNames[i];
    std::error_code ec;
    if (fs::symlink_status(paths[i], ec).type() != fs::file_type::not_found) continue;
    if (!listed) {
      // Listed once, and only when a name is missing: a folder such as /usr/bin is large.
      listed = true;
      for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(it->path().filename().string());
      std::sort(entries.begin(), entries.end());
    }
    const auto match = std::find_if(entries.begin(), entries.end(), [&](const std::string& e) {
      return LabelFileIndexIgnoringCase(e) == int(i);
    });
    if (match != entries.end()) paths[i] = folder / *match;
  }
  return paths;
}

bool HoldsLabelFiles(const fs::path& folder) {
  const auto paths = LabelFilePaths(folder);
  return std::all_of(paths.begin(), paths.end(), [](const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
  });
}

std::vector<std::string> ReadLabelFolder(const fs::path& dir, LabelFileBytes& files,
                                         LabelSet* lists) {
  const auto paths = LabelFilePaths(dir);
  std::array<std::string, kLabelFileNames.size()> why;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const std::string name = kLabelFileNames[i];
    std::error_code ec;
    // The type first, without opening: a FIFO would block and a device may act on an open.
    const fs::file_status status = fs::status(paths[i], ec);
    if (!fs::exists(status)) {
      why[i] = name + ": " + std::string(kLabelFileMissing);
    } else if (!fs::is_regular_file(status)) {
      why[i] = name + ": 通常のファイルではありません";
    } else if (const auto size = fs::file_size(paths[i], ec); !ec && size > kMaxLabelFileSize) {
      why[i] = name + ": " + std::to_string(kMaxLabelFileSize >> 20) + " MiB を超えています";
    } else if (const auto bytes = ReadWholeFile(paths[i], kMaxLabelFileSize)) {
      files[i].assign(bytes->begin(), bytes->end());
    } else {
      why[i] = name + ": " + std::string(kLabelFileUnreadable);
    }
  }
  // What the files read say of themselves; one not read has said why already.
  for (std::string& problem : lists ? LabelSetProblems(files, *lists) : LabelSetProblems(files)) {
    const auto i = std::size_t(LabelFileIndexIgnoringCase(problem.substr(0, problem.find(':'))));
    if (why[i].empty()) why[i] = std::move(problem);
  }
  std::vector<std::string> problems;
  for (std::string& reason : why) {
    if (!reason.empty()) problems.push_back(std::move(reason));
  }
  return problems;
}

FoundLabels FindLabels(const LabelSearch& search) {
  const std::vector<fs::path> folders = LabelFolderCandidates(search);
  std::string unusable;
  for (const fs::path& folder : folders) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) continue;
    FoundLabels found{folder, {}, {}};
    LabelSet lists;
    const std::vector<std::string> problems = ReadLabelFolder(folder, found.Files, &lists);
    if (problems.empty()) {
      found.Lists = std::make_shared<const LabelSet>(std::move(lists));
      return found;
    }
    const auto missing =
        std::count_if(problems.begin(), problems.end(), [](std::string_view problem) {
          const std::size_t colon = problem.find(": ");
          return colon != problem.npos && problem.substr(colon + 2) == kLabelFileMissing;
        });
    if (missing == std::ssize(kLabelFileNames)) {
      // A folder without any of the files is only a place looked in, unless the user named it.
      if (search.Chosen) {
        unusable += "\n使えないフォルダ: " + PrintableWhole(folder.string()) +
                    " (ラベルファイルがありません)";
      }
      continue;
    }
    unusable += "\n使えないフォルダ: " + PrintableWhole(folder.string()) + " (" +
                Joined(problems, "、") + ")";
  }
  std::string searched = "探したフォルダ: ";
  for (std::size_t i = 0; i < folders.size(); ++i) {
    if (i > 0) searched += ", ";
    searched += PrintableWhole(folders[i].string());
  }
  throw StartupError(searched + unusable);
}

fs::path FindLabelFolder(const LabelSearch& search) { return FindLabels(search).Folder; }

LabelFileBytes ReadLabelFiles(const fs::path& dir) {
  LabelFileBytes files;
  const std::vector<std::string> problems = ReadLabelFolder(dir, files);
  if (!problems.empty()) throw StartupError(Joined(problems, "\n"));
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
