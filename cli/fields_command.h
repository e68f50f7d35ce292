#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace CLI {
class App;
}

namespace korvath::cli {

// Every control, check-list line and table column that export and apply know, with the bits
// each one is stored in. Built from the field maps and record layouts, needs no label files.
nlohmann::ordered_json FieldsJson();
// The same as tab-separated lines for reading.
std::string FieldsText();

// korvath-cli fields [--json]: prints the listing. Exit status 0, or 5, as for every command,
// when standard output cannot be written.
class FieldsCommand {
 public:
  explicit FieldsCommand(CLI::App& app);

  bool Parsed() const;
  int Run() const;

 private:
  CLI::App* command_;
  bool json_ = false;
};

}  // namespace korvath::cli
