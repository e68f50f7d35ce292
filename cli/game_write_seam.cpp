// Built twice, so that the program's main.cpp is compiled once for both builds of the program.
#include "cli/game_write_seam.h"

#ifdef KORVATH_TEST_SEAMS
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/file_io.h"
#endif

namespace korvath::cli {

#ifdef KORVATH_TEST_SEAMS
// Only in the tests' build of the program: the game writing the save (the file named by the
// variable renamed over it) at the last moment before apply writes, which no test could hit from
// outside.
void StandInForAGameWrite(const std::string& out) {
  namespace fs = std::filesystem;
  const char* game = std::getenv("KORVATH_TEST_GAME_WRITES");
  if (game == nullptr || *game == '\0') return;
  SetBeforeCommitHookForTesting([game = fs::path(game), out = fs::path(out)] {
    std::error_code ec;
    fs::path temp = out;
    temp += ".game";
    fs::copy_file(game, temp, fs::copy_options::overwrite_existing, ec);
    fs::rename(temp, out, ec);
  });
}
#else
void StandInForAGameWrite(const std::string&) {}
#endif

}  // namespace korvath::cli
