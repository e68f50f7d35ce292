#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace korvath::cli {

// The --labels DIR option, the same for every command that reads label files.
void AddLabelsOption(CLI::App& command, std::optional<std::string>& labels);

// The folder every command reads the label files from: DIR when given, else the first usable one
// of the standard search. Throws StartupError naming what was searched when there is none.
std::filesystem::path LabelFolder(const std::optional<std::string>& labels);

}  // namespace korvath::cli
