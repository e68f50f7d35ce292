#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "core/label_folders.h"

namespace CLI {
class App;
}

namespace korvath::cli {

// The --labels DIR option, the same for every command that reads label files.
void AddLabelsOption(CLI::App& command, std::optional<std::string>& labels);

// The label files every command reads, as read from their folder: DIR when given, else the first
// usable one of the standard search. Throws StartupError naming what was searched, and why each
// folder was passed over, when there is none.
FoundLabels Labels(const std::optional<std::string>& labels);

}  // namespace korvath::cli
