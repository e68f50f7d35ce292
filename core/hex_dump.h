#pragma once

#include <string>

#include "core/save_image.h"

namespace korvath {

// The listing of the image's first Length bytes: a two-line header, an empty line, the column
// heading, then sixteen bytes a line. Lines are joined by CR LF; no line break at the end.
std::string BuildDumpText(const SaveImage& image);

}  // namespace korvath
