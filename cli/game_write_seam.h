#pragma once

#include <string>

namespace korvath::cli {

// Called by apply just before it writes OUT. In the tests' build of the program, it stands in for
// the game writing the save at that moment; in the program itself, it does nothing.
void StandInForAGameWrite(const std::string& out);

}  // namespace korvath::cli
