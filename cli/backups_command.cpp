#include "cli/backups_command.h"

#include <iostream>
#include <memory>

// Third party
#include <CLI/CLI.hpp>

// Korvath
#include "cli/label_option.h"
#include "core/file_io.h"
#include "core/label_folders.h"
#include "core/printable.h"
#include "core/save_compare.h"
#include "core/save_guard.h"
#include "core/working_copy.h"

namespace korvath::cli {

namespace {

constexpr int kOk = 0;
constexpr int kStdoutFailed = 5;  // as for every command of korvath-cli

// The save as a working copy, nullptr when the file cannot be read as one.
std::unique_ptr<WorkingCopy> Opened(const FoundLabels& labels, const std::filesystem::path& path) {
  auto copy = std::make_unique<WorkingCopy>(labels);
  const auto data = ReadWholeFile(path, SaveImage::Capacity);
  if (!data || !copy->Open(*data, path.string())) return nullptr;
  return copy;
}

}  // namespace

BackupsCommand::BackupsCommand(CLI::App& app)
    : command_(
          app.add_subcommand("backups", "List the backups of SAVE that saves kept, newest first")) {
  command_->add_option("SAVE", save_, "Save file")->required();
  AddLabelsOption(*command_, labels_);
  command_->footer(
      "One line per backup: time (UTC), size in bytes, the number of values that differ from "
      "SAVE now (\"-\" when either cannot be read as a save) and its path. Backups live in "
      "$XDG_STATE_HOME/korvath/backups (default ~/.local/state/korvath/backups), a folder per "
      "save; copy one over SAVE to restore it.");
}

bool BackupsCommand::Parsed() const { return command_->parsed(); }

int BackupsCommand::Run() const {
  const FoundLabels labels = Labels(labels_);
  const auto now = Opened(labels, save_);
  for (const StoredBackup& backup : ListBackups(BackupRoot(), save_)) {
    const auto kept = now ? Opened(labels, backup.Path) : nullptr;
    std::cout << BackupTimeText(backup.Time) << "  " << backup.Size << "  "
              << (kept ? std::to_string(CompareSaves(*kept, *now).size()) : "-") << "  "
              << PrintableWhole(backup.Path.string()) << '\n';
  }
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "cannot write to standard output\n";
    return kStdoutFailed;
  }
  return kOk;
}

}  // namespace korvath::cli
