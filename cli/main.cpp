// korvath-cli: the editor's open, edit and save cycle without a window, for scripts and tests.
// Every value and cell text comes from the working copy; this file only parses, routes and maps
// failures to exit statuses.

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Third party
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

// Korvath
#include "cli/backups_command.h"
#include "cli/diff_command.h"
#include "cli/edits.h"
#include "cli/fields_command.h"
#include "cli/game_write_seam.h"
#include "cli/json_export.h"
#include "cli/label_option.h"
#include "core/file_io.h"
#include "core/hex_dump.h"
#include "core/int_conversion.h"
#include "core/label_list.h"
#include "core/printable.h"
#include "core/window_texts.h"
#include "core/working_copy.h"

namespace {

namespace fs = std::filesystem;
using korvath::SaveImage;
using korvath::WorkingCopy;

enum ExitStatus : int {
  kOk = 0,
  kNotAnInteger = 1,
  kBadInput = 2,  // usage, label files, save file, edits file
  kWriteFailed = 3,
  kInternalError = 4,
  kStdoutFailed = 5,
};

// A failure whose message and exit status are already decided.
class CommandError : public std::runtime_error {
 public:
  CommandError(ExitStatus status, const std::string& message)
      : std::runtime_error(message), status_(status) {}
  ExitStatus Status() const { return status_; }

 private:
  ExitStatus status_;
};

const std::string kReadError = "ファイル読込エラー";
const std::string kWriteError = "ファイル書込エラー";

// Edits for every cell of every table stay well below this.
constexpr std::uintmax_t kMaxEditsSize = std::uintmax_t(16) << 20;

struct Options {
  std::string save;
  std::string edits;
  std::optional<std::string> output;
  std::optional<std::string> labels;
  bool print = false;
  bool noBackup = false;
};

std::string NoBackupMessage(korvath::WriteFailure why) {
  std::string text(korvath::kNoBackupKept);
  return text.replace(text.find("%1"), 2, korvath::WriteFailureText(why));
}

std::vector<std::uint8_t> ReadSave(const std::string& path) {
  auto data = korvath::ReadWholeFile(path, SaveImage::Capacity);
  if (!data) throw CommandError(kBadInput, kReadError + "\n" + korvath::PrintableWhole(path));
  return std::move(*data);
}

// Label files first, as at start-up: without them no save is looked at.
// read, when given, receives the save's bytes as they were read.
std::unique_ptr<WorkingCopy> OpenWorkingCopy(const Options& options,
                                             std::vector<std::uint8_t>* read = nullptr) {
  auto copy = std::make_unique<WorkingCopy>(korvath::cli::Labels(options.labels));
  const std::vector<std::uint8_t> bytes = ReadSave(options.save);
  if (read) *read = bytes;
  if (!copy->Open(bytes, options.save))
    throw CommandError(kBadInput, kReadError + "\n" + korvath::PrintableWhole(options.save));
  return copy;
}

// after says what was done before printing, for the message when printing fails.
void Print(std::string_view text, const std::string& after = "") {
  std::cout.write(text.data(), std::streamsize(text.size()));
  std::cout.flush();
  if (!std::cout) throw CommandError(kStdoutFailed, "cannot write to standard output" + after);
}

std::string JsonText(const WorkingCopy& copy) {
  // Names decoded from the label files are valid UTF-8; a save path need not be.
  return korvath::cli::ExportJson(copy).dump(-1, ' ', false,
                                             nlohmann::ordered_json::error_handler_t::replace) +
         "\n";
}

int Export(const Options& options) {
  Print(JsonText(*OpenWorkingCopy(options)));
  return kOk;
}

int Apply(const Options& options) {
  std::vector<std::uint8_t> seen;
  auto copy = OpenWorkingCopy(options, &seen);
  const std::string editsName = korvath::PrintableWhole(options.edits);
  auto text = korvath::ReadWholeFile(options.edits, kMaxEditsSize);
  if (!text) {
    std::error_code ec;
    const bool tooLarge = fs::is_regular_file(options.edits, ec) &&
                          fs::file_size(options.edits, ec) > kMaxEditsSize && !ec;
    throw CommandError(
        kBadInput,
        kReadError + "\n" + editsName +
            (tooLarge ? "\n" + std::to_string(kMaxEditsSize >> 20) + " MiB を超えています" : ""));
  }
  korvath::cli::Edits edits;
  try {
    edits = korvath::cli::ParseEdits(
        std::string_view(reinterpret_cast<const char*>(text->data()), text->size()), *copy);
  } catch (const korvath::cli::EditsError& e) {
    throw CommandError(kBadInput, editsName + ": " + e.what());
  }
  korvath::cli::ApplyEdits(edits, *copy);
  copy->StorePass();
  // Rendered first, so nothing after the write can fail but the printing itself.
  const std::string printed = options.print ? JsonText(*copy) : "";
  const std::string out = options.output.value_or(options.save);
  const std::string outName = korvath::PrintableWhole(out);
  // In place, the file must still hold what was read; another file named by -o was never seen.
  std::error_code ec;
  const bool inPlace = out == options.save || fs::equivalent(out, options.save, ec);
  korvath::cli::StandInForAGameWrite(out);
  const korvath::SaveResult written = korvath::WriteSave(
      out, {copy->Image().Contents(),
            inPlace ? std::optional<std::span<const std::uint8_t>>(seen) : std::nullopt,
            options.noBackup ? fs::path() : korvath::BackupRoot()});
  if (written.Failure == korvath::WriteFailure::Changed)
    throw CommandError(kWriteFailed, std::string(korvath::kChangedSinceRead) + "\n" + outName);
  if (written.Failure) {
    throw CommandError(kWriteFailed, kWriteError + "\n" + outName + "\n" +
                                         std::string(korvath::WriteFailureText(*written.Failure)));
  }
  if (written.BackupFailure) std::cerr << NoBackupMessage(*written.BackupFailure) << '\n';
  // A closed pipe is a failed write like any other (SIGPIPE is ignored), so this still says
  // that the save was written.
  if (options.print) Print(printed, "; the save was written to " + outName);
  return kOk;
}

int Dump(const Options& options) {
  SaveImage image;
  if (!image.Commit(ReadSave(options.save), options.save))
    throw CommandError(kBadInput, kReadError + "\n" + korvath::PrintableWhole(options.save));
  Print(korvath::BuildDumpText(image));
  return kOk;
}

// The answer to arguments the parser refused, or to --help and --version, which it raises too.
// Its messages are remade where they would name what was typed.
int ParseFailed(const CLI::App& app, const CLI::ParseError& e, bool separated) {
  std::ostringstream message;
  const int status = app.exit(e, std::cout, message);
  // Help and version text go to standard output, which may fail like any other.
  Print("");
  if (status == 0) return kOk;
  const std::string more = "\nRun with --help for more information.";
  std::vector<std::string> extra = app.remaining(true);
  std::erase(extra, "--");
  for (const std::string& argument : extra) {
    // Taken for an option nobody knows, such a file name leaves its place empty.
    if (!separated && argument.size() > 1 && argument[0] == '-') {
      throw CommandError(kBadInput, "unknown option " + korvath::PrintableWhole(argument) +
                                        ": a file name that begins with - goes after --" + more);
    }
  }
  if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) {
    std::string names;
    for (const std::string& argument : extra)
      names += (names.empty() ? "" : " ") + korvath::PrintableWhole(argument);
    throw CommandError(kBadInput, std::string(extra.size() > 1 ? "The following arguments were"
                                                               : "The following argument was") +
                                      " not expected: " + names + more);
  }
  std::istringstream lines(message.str());
  std::string printable;
  for (std::string line; std::getline(lines, line);)
    printable += (printable.empty() ? "" : "\n") + korvath::PrintableWhole(line);
  throw CommandError(kBadInput, printable);
}

int Run(int argc, char** argv) {
  CLI::App app{"Reads, edits and writes Korvath save files.", "korvath-cli"};
  app.require_subcommand(1);
  app.set_version_flag("--version", "korvath-cli " KORVATH_VERSION);
  app.footer(
      "Exit status: 0 done, 1 a text is not an integer, 2 bad usage or unreadable input, "
      "3 the output cannot be written or changed since it was read, 4 internal error, 5 standard "
      "output cannot be written. A file name that begins with - goes after --.");
  Options options;

  CLI::App* exportCmd = app.add_subcommand("export", "Print the state after opening SAVE as JSON");
  exportCmd->add_option("SAVE", options.save, "Save file")->required();
  korvath::cli::AddLabelsOption(*exportCmd, options.labels);

  CLI::App* applyCmd =
      app.add_subcommand("apply", "Apply the edits in EDITS to SAVE, store and write the image");
  applyCmd->add_option("SAVE", options.save, "Save file")->required();
  applyCmd->add_option("EDITS", options.edits, "JSON file of edits")->required();
  applyCmd->add_option("-o,--output", options.output, "Where to write (default: SAVE)");
  korvath::cli::AddLabelsOption(*applyCmd, options.labels);
  applyCmd->add_flag("--print", options.print, "Print the state after storing as JSON");
  applyCmd->add_flag("--no-backup", options.noBackup,
                     "Keep no backup of the bytes the write replaces (see the backups command)");
  applyCmd->footer(
      "EDITS, at most " + std::to_string(kMaxEditsSize >> 20) +
      " MiB, every part optional, applied in this order:\n"
      "  {\"controls\": {\"Edit1_1\": \"100\", \"CheckBox1_1\": true, \"ComboBox1_1\": 3},\n"
      "   \"checklist\": {\"1\": true},\n"
      "   \"cells\": [[\"StringGrid1_2\", 1, 3, \"50\"]]}\n"
      "Written in place, SAVE must still hold what was read, or nothing is written (exit 3). "
      "Unless --no-backup, the bytes the write replaces are kept first (see backups).\n"
      "Like a save in the editor, an apply without edits can still change SAVE: a plan whose state "
      "is empty or END gets turn 0, and a force's faction 10 to 14, shown as 無し, is written as "
      "15.");

  CLI::App* dumpCmd = app.add_subcommand("dump", "Print the hexadecimal dump of SAVE");
  dumpCmd->add_option("SAVE", options.save, "Save file")->required();

  korvath::cli::BackupsCommand backupsCmd(app);
  korvath::cli::DiffCommand diffCmd(app);
  korvath::cli::FieldsCommand fieldsCmd(app);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return ParseFailed(app, e, std::find(argv, argv + argc, std::string_view("--")) != argv + argc);
  }
  if (exportCmd->parsed()) return Export(options);
  if (applyCmd->parsed()) return Apply(options);
  if (backupsCmd.Parsed()) return backupsCmd.Run();
  if (diffCmd.Parsed()) return diffCmd.Run();
  if (fieldsCmd.Parsed()) return fieldsCmd.Run();
  return Dump(options);
}

}  // namespace

int main(int argc, char** argv) {
  // A reader that goes away (| head) makes writes fail with EPIPE, reported with status 5 like
  // any other failing standard output, instead of ending the program unannounced.
  std::signal(SIGPIPE, SIG_IGN);
  try {
    return Run(argc, argv);
  } catch (const CommandError& e) {
    std::cerr << e.what() << '\n';
    return e.Status();
  } catch (const korvath::StartupError& e) {
    std::cerr << e.what() << '\n';
    return kBadInput;
  } catch (const korvath::ConversionError& e) {
    // The text as typed may hold control bytes and be of any length.
    std::cerr << "'" << korvath::Printable(e.Text(), '\'') << "' は整数ではありません\n";
    return kNotAnInteger;
  } catch (const std::exception& e) {
    std::cerr << e.what() << '\n';
    return kInternalError;
  } catch (...) {
    std::cerr << "unknown error\n";
    return kInternalError;
  }
}
