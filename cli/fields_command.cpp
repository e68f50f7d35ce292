#include "cli/fields_command.h"

#include <iostream>
#include <string_view>

#include <CLI/CLI.hpp>

#include "core/field_maps.h"
#include "core/grid_layout.h"
#include "core/table_codecs.h"

namespace korvath::cli {

namespace {

using Json = nlohmann::ordered_json;

constexpr int kStdoutFailed = 5;  // as for every command of korvath-cli

// Bits are given normalised, bit 0..7 from the top of the byte: the check-list map writes some
// flags as bit 8 of the byte before.
Json BitsJson(int64_t absoluteBit, int width) {
  return {{"byte", absoluteBit / 8}, {"bit", absoluteBit % 8}, {"width", width}};
}
Json BitsJson(const TField& f) {
  return BitsJson(int64_t(f.ByteOffset) * 8 + f.BitOffset, f.BitWidth);
}

std::string_view PageCaption(int page) { return kPageCaptions.at(std::size_t(page)); }

// The controls export shows and apply takes, by the rule that stores them.
const char* ControlKindName(const MainFieldEntry& entry) {
  switch (RuleOf(entry)) {
    case ControlRule::Edit:
      return "edit";
    case ControlRule::CheckBox:
      return "check box";
    case ControlRule::Faction:
      return "faction list";
    case ControlRule::Scenario:
      return "scenario list";
    case ControlRule::None:
      break;
  }
  return nullptr;
}

Json ControlsJson() {
  Json controls = Json::array();
  for (const MainFieldEntry& entry : MainFieldMap()) {
    const char* kind = ControlKindName(entry);
    if (kind == nullptr) continue;
    Json bits = Json::array();
    if (RuleOf(entry) == ControlRule::Scenario) {
      for (const TField& flag : kScenarioFlags) bits.push_back(BitsJson(flag));
    } else {
      bits.push_back(BitsJson(entry.Field));
    }
    controls.push_back({{"name", entry.Control},
                        {"page", entry.Page},
                        {"page_caption", PageCaption(entry.Page)},
                        {"caption", entry.Caption},
                        {"kind", kind},
                        {"bits", std::move(bits)}});
  }
  return controls;
}

Json CheckListJson() {
  const MainFieldEntry* list = FindMainField("CheckListBox6_1");
  Json lines = Json::array();
  for (const TCellField& flag : SpecialFlagMap()) {
    lines.push_back({{"line", flag.ItemIndex},
                     {"page", list->Page},
                     {"page_caption", PageCaption(list->Page)},
                     {"caption", list->Caption},
                     {"kind", "check-list line"},
                     {"bits", Json::array({BitsJson(int64_t(flag.ByteOffset) * 8 + flag.BitOffset,
                                                    flag.BitWidth)})}});
  }
  return lines;
}

const char* ShapeName(CellShape shape) {
  switch (shape) {
    case CellShape::Number:
    case CellShape::NumberAndName:
    case CellShape::NumberAndLabel:
      return "number";
    case CellShape::Label:
      return "label";
  }
  return "";
}

Json ColumnJson(const GridLayout& layout, const TField& binding, const RecordLayout& records,
                const RecordField& f) {
  Json column = {{"grid", layout.Name},
                 {"column", f.Column},
                 {"page", layout.Page},
                 {"page_caption", PageCaption(layout.Page)},
                 {"caption", layout.Columns[std::size_t(f.Column)].Heading},
                 {"kind", ShapeName(f.Shape)},
                 {"bits", Json::array({BitsJson(FirstRecordBit(binding) + f.Offset, f.Width)})},
                 {"first_row", 1 + f.SubRow},
                 {"rows_per_record", records.RowsPerRecord},
                 {"records", records.Records},
                 {"record_stride", binding.BitWidth}};
  if (f.NameColumn >= 0) column["name_column"] = f.NameColumn;
  if (f.Shape == CellShape::Label) {
    Json labels = Json::array();
    for (const CodeText& e : f.Labels->Entries)
      labels.push_back({{"text", e.Text}, {"code", e.StoreCode}});
    column["labels"] = std::move(labels);
  }
  return column;
}

Json ColumnsJson() {
  Json columns = Json::array();
  for (GridId id : kAllGrids) {
    const GridLayout& layout = LayoutOf(id);
    const RecordLayout* records = RecordLayoutOf(id);
    const MainFieldEntry* entry = FindMainField(layout.Name);
    if (records == nullptr || entry == nullptr) continue;
    for (const RecordField& f : records->Fields)
      columns.push_back(ColumnJson(layout, entry->Field, *records, f));
  }
  return columns;
}

std::string BitsText(const Json& bits) {
  std::string text;
  for (const Json& b : bits) {
    if (!text.empty()) text += ", ";
    text += "byte " + b["byte"].dump() + " bit " + b["bit"].dump() + " width " + b["width"].dump();
  }
  return text;
}

void Line(std::string& out, std::initializer_list<std::string> cells) {
  bool first = true;
  for (const std::string& cell : cells) {
    if (!first) out += '\t';
    out += cell;
    first = false;
  }
  out += '\n';
}

}  // namespace

nlohmann::ordered_json FieldsJson() {
  return {{"controls", ControlsJson()}, {"checklist", CheckListJson()}, {"columns", ColumnsJson()}};
}

std::string FieldsText() {
  const Json all = FieldsJson();
  std::string out;
  const auto s = [](const Json& v) { return v.is_string() ? v.get<std::string>() : v.dump(); };
  Line(out, {"# control", "page", "caption", "kind", "bits"});
  for (const Json& c : all["controls"])
    Line(out,
         {s(c["name"]), s(c["page_caption"]), s(c["caption"]), s(c["kind"]), BitsText(c["bits"])});
  Line(out, {"# check-list line", "page", "caption", "kind", "bits"});
  for (const Json& c : all["checklist"])
    Line(out,
         {s(c["line"]), s(c["page_caption"]), s(c["caption"]), s(c["kind"]), BitsText(c["bits"])});
  Line(out, {"# table column", "page", "caption", "kind", "bits in the first row", "first row",
             "rows per record", "records", "record stride"});
  for (const Json& c : all["columns"]) {
    Line(out, {s(c["grid"]) + " column " + s(c["column"]), s(c["page_caption"]), s(c["caption"]),
               s(c["kind"]), BitsText(c["bits"]), s(c["first_row"]), s(c["rows_per_record"]),
               s(c["records"]), s(c["record_stride"])});
  }
  return out;
}

FieldsCommand::FieldsCommand(CLI::App& app)
    : command_(app.add_subcommand(
          "fields", "List every control, check-list line and table column with its bits")) {
  command_->add_flag("--json", json_, "Print the list as JSON");
  command_->footer(
      "Bits count from the top bit of the byte (bit 0 is 0x80); a value runs on into the next "
      "bytes. A table column gives its bits for its first row; record k (from 0) lies k times the "
      "record stride bits further on and shows in row first row + k x rows per record. "
      "Check-list lines are the lines of export's \"checklist\"; a label column stores the code "
      "of the text it holds.");
}

bool FieldsCommand::Parsed() const { return command_->parsed(); }

int FieldsCommand::Run() const {
  std::cout << (json_ ? FieldsJson().dump(2) + "\n" : FieldsText());
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "cannot write to standard output\n";
    return kStdoutFailed;
  }
  return 0;
}

}  // namespace korvath::cli
