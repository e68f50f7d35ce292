#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace korvath {

// Reads a whole file of at most maxSize bytes. nullopt when it cannot be read or is larger.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path,
                                                       std::uintmax_t maxSize);

// The file a save named path is written to: path itself, or the file a symbolic link names
// (through chains of links; when the last link dangles, the file it names is created, as a shell
// redirection would). nullopt when something other than a regular file is there, since a FIFO,
// device, socket or folder must never be replaced by a save, or when the links loop.
std::optional<std::filesystem::path> SaveTarget(const std::filesystem::path& path);

// Writes data as the whole of the save at SaveTarget(path). A file already there must open for
// writing, or nothing is written. It keeps its identity: a file with one name is replaced by a
// complete temporary file beside it that carries its mode, owner and group, so it holds either the
// old bytes or the new; a file with more hard links, or one whose owner this process cannot give
// to a new file, is overwritten in place, with the old bytes kept in a temporary copy beside it
// until the new ones are on disk. Returns false on any failure, the file as it was.
bool WriteSaveFile(const std::filesystem::path& path, std::span<const std::uint8_t> data);

}  // namespace korvath
