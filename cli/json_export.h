#pragma once

#include <nlohmann/json.hpp>

#include "core/grid_layout.h"
#include "core/working_copy.h"

namespace korvath::cli {

// Rows of a grid that export shows and that cell edits may reach, the heading row included.
int GridRowCount(const WorkingCopy& copy, GridId grid);
// The weapons list is filled from the labels, not from the save, so edits never reach it.
bool IsGridEditable(GridId grid);

// The editor's state as one JSON object: path, length, controls, check list and every grid.
nlohmann::ordered_json ExportJson(const WorkingCopy& copy);

}  // namespace korvath::cli
