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

// Writes data to a temporary file beside path and renames it over path, so the old file is
// either replaced whole or left as it was. Returns false on any failure.
bool WriteFileAtomic(const std::filesystem::path& path, std::span<const std::uint8_t> data);

}  // namespace korvath
