#pragma once

#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace korvath::cli {

// korvath-cli diff A B [--labels DIR] [--json]: every value that differs between two saves.
// Exit status as diff's: 0 nothing differs, 1 something does, 2 unreadable input; 5, as for every
// command, when standard output cannot be written.
class DiffCommand {
 public:
  explicit DiffCommand(CLI::App& app);

  bool Parsed() const;
  int Run() const;

 private:
  CLI::App* command_;
  std::string a_;
  std::string b_;
  std::optional<std::string> labels_;
  bool json_ = false;
};

}  // namespace korvath::cli
