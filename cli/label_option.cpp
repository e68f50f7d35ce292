#include "cli/label_option.h"

// Third party
#include <CLI/CLI.hpp>

// Korvath
#include "core/label_folders.h"

namespace korvath::cli {

void AddLabelsOption(CLI::App& command, std::optional<std::string>& labels) {
  command.add_option("--labels", labels,
                     "Folder of the six label files (default: the first usable one of the "
                     "program's folder, $XDG_DATA_HOME/korvath and $XDG_DATA_DIRS/korvath)");
}

FoundLabels Labels(const std::optional<std::string>& labels) {
  return FindLabels(
      CurrentLabelSearch(labels ? std::optional<std::filesystem::path>(*labels) : std::nullopt));
}

}  // namespace korvath::cli
