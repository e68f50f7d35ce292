#pragma once

#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace korvath::cli {

// korvath-cli backups SAVE [--labels DIR]: the bytes earlier saves replaced, newest first, each
// with its time, size, the number of values that differ from SAVE now, and its path.
class BackupsCommand {
 public:
  explicit BackupsCommand(CLI::App& app);

  bool Parsed() const;
  int Run() const;

 private:
  CLI::App* command_;
  std::string save_;
  std::optional<std::string> labels_;
};

}  // namespace korvath::cli
