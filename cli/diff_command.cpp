#include "cli/diff_command.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <vector>

// Third party
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

// Korvath
#include "cli/label_option.h"
#include "core/field_maps.h"
#include "core/file_io.h"
#include "core/label_folders.h"
#include "core/label_list.h"
#include "core/printable.h"
#include "core/save_compare.h"
#include "core/working_copy.h"

namespace korvath::cli {

namespace {

using Json = nlohmann::ordered_json;

constexpr int kSame = 0;
constexpr int kDifferent = 1;
constexpr int kTrouble = 2;
constexpr int kStdoutFailed = 5;  // as for every command of korvath-cli

const char* KindName(DifferenceKind kind) {
  switch (kind) {
    case DifferenceKind::Control:
      return "control";
    case DifferenceKind::Cell:
      return "cell";
    case DifferenceKind::CheckListLine:
      return "checklist";
    case DifferenceKind::Bytes:
      return "bytes";
    case DifferenceKind::Length:
      break;
  }
  return "length";
}

// Control, row and column are the names and numbers that apply's edits take.
Json DifferenceJson(const SaveDifference& d) {
  Json j = {{"kind", KindName(d.Kind)}, {"place", DescribePlace(d)}};
  if (d.Page >= 0) {
    j["page"] = kPageCaptions[std::size_t(d.Page)];
    j["control"] = d.Control;
    j["caption"] = d.Caption;
  }
  if (d.Kind == DifferenceKind::Cell) {
    j["row"] = d.Row;
    j["column"] = d.Column;
    j["rowName"] = d.RowName;
    j["heading"] = d.Heading;
  } else if (d.Kind == DifferenceKind::CheckListLine) {
    j["line"] = d.Line;
    j["text"] = d.RowName;
  } else if (d.Kind == DifferenceKind::Bytes) {
    j["byte"] = d.FirstByte;
    j["count"] = d.ByteCount;
  }
  j["a"] = d.A;
  j["b"] = d.B;
  if (!d.Bits.empty()) {
    Json bits = Json::array();
    for (const TField& f : d.Bits) {
      bits.push_back({{"byte", f.ByteOffset}, {"bit", f.BitOffset}, {"width", f.BitWidth}});
    }
    j["bits"] = std::move(bits);
  }
  return j;
}

}  // namespace

DiffCommand::DiffCommand(CLI::App& app)
    : command_(app.add_subcommand("diff", "List every value that differs between saves A and B")) {
  command_->add_option("A", a_, "First save file")->required();
  command_->add_option("B", b_, "Second save file")->required();
  AddLabelsOption(*command_, labels_);
  command_->add_flag("--json", json_, "Print the differences as JSON");
  command_->footer(
      "Exit status: 0 no differences, 1 differences, 2 unreadable input, 5 standard output "
      "cannot be written.");
}

bool DiffCommand::Parsed() const { return command_->parsed(); }

int DiffCommand::Run() const {
  const FoundLabels labels = Labels(labels_);
  // Two copies of their own, read alike; the labels first, as at start-up.
  std::unique_ptr<WorkingCopy> copies[2];
  const std::string* paths[2] = {&a_, &b_};
  for (int i = 0; i < 2; ++i) {
    copies[i] = std::make_unique<WorkingCopy>(labels);
    const auto data = ReadWholeFile(*paths[i], SaveImage::Capacity);
    if (!data || !copies[i]->Open(*data, *paths[i])) {
      std::cerr << "ファイル読込エラー\n" << PrintableWhole(*paths[i]) << '\n';
      return kTrouble;
    }
  }
  const std::vector<SaveDifference> differences = CompareSaves(*copies[0], *copies[1]);
  if (json_) {
    Json out = {{"a", a_}, {"b", b_}};
    const int32_t lengths[2] = {copies[0]->Image().Length, copies[1]->Image().Length};
    if (lengths[0] != lengths[1]) out["length"] = {{"a", lengths[0]}, {"b", lengths[1]}};
    out["differences"] = Json::array();
    for (const SaveDifference& d : differences) out["differences"].push_back(DifferenceJson(d));
    std::cout << out.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
  } else {
    for (const SaveDifference& d : differences) std::cout << FormatDifference(d) << '\n';
  }
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "cannot write to standard output\n";
    return kStdoutFailed;
  }
  return differences.empty() ? kSame : kDifferent;
}

}  // namespace korvath::cli
