#pragma once

#include <string>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

namespace korvath::cli {

// Every control, check-list line and table column that export and apply know, with the bits
// each one is stored in. Built from the field maps and record layouts, needs no label files.
nlohmann::ordered_json FieldsJson();
// The same as tab-separated lines for reading.
std::string FieldsText();

// Adds "fields [--json]", which prints the listing when it is chosen.
void AddFieldsCommand(CLI::App& app);

}  // namespace korvath::cli
