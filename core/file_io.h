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

// Writes data to a temporary file beside SaveTarget(path) and renames it over that, so the old
// file is either replaced whole or left as it was. Returns false on any failure.
bool WriteFileAtomic(const std::filesystem::path& path, std::span<const std::uint8_t> data);

}  // namespace korvath
