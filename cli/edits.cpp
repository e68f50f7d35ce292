#include "cli/edits.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <utility>

#include <nlohmann/json.hpp>

#include "cli/json_export.h"
#include "core/field_maps.h"
#include "core/printable.h"

namespace korvath::cli {

namespace {

using Json = nlohmann::ordered_json;

[[noreturn]] void Fail(const std::string& message) { throw EditsError(message); }

// The value of a JSON integer when it lies in lo..hi.
std::optional<int64_t> IntegerIn(const Json& value, int64_t lo, int64_t hi) {
  if (value.is_number_unsigned()) {
    const auto v = value.get<uint64_t>();
    if (v > uint64_t(hi) || int64_t(v) < lo) return std::nullopt;
    return int64_t(v);
  }
  if (value.is_number_integer()) {
    const auto v = value.get<int64_t>();
    if (v < lo || v > hi) return std::nullopt;
    return v;
  }
  return std::nullopt;
}

// A cell or edit-box text; a JSON integer stands for its decimal text.
std::optional<std::string> TextOf(const Json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_number_integer()) return value.dump();
  return std::nullopt;
}

// A text typed into a box or cell of the windows can be no longer than this.
std::string Typed(std::string text, const std::string& where) {
  if (Utf16Length(text) > kMaxTypedLength)
    Fail(where + ": the text is longer than " + std::to_string(kMaxTypedLength) +
         " characters, more than the box holds");
  return text;
}

ControlEdit ParseControl(const std::string& name, const Json& value) {
  const MainFieldEntry* entry = FindMainField(name);
  if (entry == nullptr) Fail("unknown control " + Quoted(name));
  const std::string where = "control " + Quoted(name);
  ControlEdit edit;
  edit.Control = name;
  switch (entry->Kind) {
    case ControlKind::Edit:
      if (auto text = TextOf(value)) {
        edit.Operation = ControlEdit::Op::EditText;
        edit.Text = Typed(std::move(*text), where);
        return edit;
      }
      Fail(where + " takes a string or an integer");
    case ControlKind::CheckBox:
      if (!value.is_boolean()) Fail(where + " takes true or false");
      edit.Operation = ControlEdit::Op::Check;
      edit.Checked = value.get<bool>();
      return edit;
    case ControlKind::ComboBox:
      switch (ListRuleOf(name)) {
        case ListRule::Faction:
          if (auto index = IntegerIn(value, 0, 10)) {
            edit.Operation = ControlEdit::Op::ItemIndex;
            edit.Index = int(*index);
            return edit;
          }
          Fail(where + " takes an item index from 0 to 10");
        case ListRule::Scenario:
          if (value.is_string()) {
            edit.Operation = ControlEdit::Op::ComboText;
            edit.Text = Typed(value.get<std::string>(), where);
            return edit;
          }
          if (auto index = IntegerIn(value, -1, 2)) {
            edit.Operation = ControlEdit::Op::ItemIndex;
            edit.Index = int(*index);
            return edit;
          }
          Fail(where + " takes an item index from -1 to 2 or a typed text");
        case ListRule::None:
          break;
      }
      break;
    case ControlKind::CheckList:
      Fail(where + " is the check list; edit its lines under \"checklist\"");
    case ControlKind::StringGrid:
      Fail(where + " is a table; edit its cells under \"cells\"");
  }
  Fail(where + " has no value to edit");
}

std::optional<int> LineNumber(std::string_view key) {
  int line = 0;
  const char* end = key.data() + key.size();
  auto [ptr, ec] = std::from_chars(key.data(), end, line);
  if (key.empty() || ec != std::errc() || ptr != end || line < 0) return std::nullopt;
  return line;
}

CheckListEdit ParseCheckListLine(const std::string& key, const Json& value,
                                 const WorkingCopy& copy) {
  const auto line = LineNumber(key);
  const auto& lines = copy.CheckList();
  if (!line || *line >= int(lines.size()))
    Fail("check-list line " + Quoted(key) + " does not exist (lines 0 to " +
         std::to_string(int(lines.size()) - 1) + ")");
  if (lines[std::size_t(*line)].Header)
    Fail("check-list line " + key + " is a header line and cannot be checked");
  if (!value.is_boolean()) Fail("check-list line " + key + " takes true or false");
  return {*line, value.get<bool>()};
}

CellEdit ParseCell(std::size_t index, const Json& value, const WorkingCopy& copy) {
  const std::string where = "cells[" + std::to_string(index) + "]";
  if (!value.is_array() || value.size() != 4) Fail(where + " must be [grid, row, column, text]");
  if (!value[0].is_string()) Fail(where + ": the grid must be a name");
  const std::string name = value[0].get<std::string>();
  const auto grid = GridByName(name);
  if (!grid) Fail(where + ": unknown grid " + Quoted(name));
  if (!IsGridEditable(*grid)) Fail(where + ": " + name + " is read-only");
  // The rows the window shows; the pilot table holds records past them that no user can reach.
  const int rows = LayoutOf(*grid).VisibleRows;
  const int columns = copy.Grid(*grid).ColumnCount();
  const auto row = IntegerIn(value[1], 1, rows - 1);
  if (!row)
    Fail(where + ": the row of " + name + " must be an integer from 1 to " +
         std::to_string(rows - 1));
  const auto column = IntegerIn(value[2], 0, columns - 1);
  if (!column)
    Fail(where + ": the column of " + name + " must be an integer from 0 to " +
         std::to_string(columns - 1));
  auto text = TextOf(value[3]);
  if (!text) Fail(where + ": the text must be a string or an integer");
  if (!AcceptsCellText(*grid, int(*row), int(*column), *text)) {
    const std::string cell =
        name + " row " + std::to_string(*row) + " column " + std::to_string(*column);
    const auto choices = PopupTexts(*grid, int(*row), int(*column));
    if (!choices.empty()) {
      std::string listed;
      for (const std::string_view choice : choices)
        listed.append(listed.empty() ? "" : ", ").append(Quoted(choice));
      Fail(where + ": " + Quoted(*text) + " is not a choice of " + cell + " (" + listed + ")");
    }
    if (IsCellEditable(*grid, int(*row), int(*column))) Typed(std::move(*text), where);
    Fail(where + ": " + cell + " cannot be edited");
  }
  return {*grid, int(*row), int(*column), std::move(*text)};
}

// The deepest an edits file goes is a text in a cell in "cells" in the root: four levels.
constexpr int kMaxDepth = 4;

// Checked before the parser sees the text: the parser takes a NUL byte for the end of the text
// and would apply whatever came before it, and it builds every level of nesting it is given.
void CheckShape(std::string_view text) {
  int depth = 0;
  bool inString = false;
  bool escaped = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\0') Fail("not valid JSON: a NUL byte at offset " + std::to_string(i));
    if (inString) {
      if (escaped)
        escaped = false;
      else if (c == '\\')
        escaped = true;
      else if (c == '"')
        inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxDepth)
        Fail("nested deeper than " + std::to_string(kMaxDepth) + " levels at offset " +
             std::to_string(i));
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
}

// The library's message without its "[json.exception...] " tag.
std::string LibraryMessage(const Json::exception& e) {
  const std::string_view what = e.what();
  const std::size_t tag = what.rfind("] ", what.find(' '));
  return std::string(tag == std::string_view::npos ? what : what.substr(tag + 2));
}

}  // namespace

Edits ParseEdits(std::string_view text, const WorkingCopy& copy) {
  CheckShape(text);
  // Each edit is checked and taken as soon as it is parsed, and dropped from the document: an
  // object of the library keeps its keys in a list searched on every insertion, so a document
  // built whole would take time quadratic in its number of keys.
  Edits edits;
  enum class Part { None, Controls, CheckList, Cells };
  Part part = Part::None;
  bool seen[4] = {};
  std::string key;
  std::size_t cell = 0;
  const auto take = [&](const Json& value) {
    switch (part) {
      case Part::Controls:
        edits.Controls.push_back(ParseControl(key, value));
        break;
      case Part::CheckList:
        edits.CheckList.push_back(ParseCheckListLine(key, value, copy));
        break;
      case Part::Cells:
        edits.Cells.push_back(ParseCell(cell++, value, copy));
        break;
      case Part::None:
        break;
    }
  };
  // A part's value, once it is known to be an object or array (or neither, when isObject and
  // isArray are both false).
  const auto checkPart = [&](bool isObject, bool isArray) {
    if (part == Part::Controls && !isObject)
      Fail("\"controls\" must be an object of control names");
    if (part == Part::CheckList && !isObject)
      Fail("\"checklist\" must be an object of line numbers");
    if (part == Part::Cells && !isArray) Fail("\"cells\" must be an array");
  };
  using Event = Json::parse_event_t;
  const Json::parser_callback_t callback = [&](int depth, Event event, Json& parsed) {
    switch (event) {
      case Event::object_start:
      case Event::array_start:
        if (depth == 0 && event == Event::array_start) Fail("the edits must be one JSON object");
        if (depth == 1) checkPart(event == Event::object_start, event == Event::array_start);
        return true;
      case Event::key:
        if (depth == 1) {
          const std::string name = parsed.get<std::string>();
          part = name == "controls"    ? Part::Controls
                 : name == "checklist" ? Part::CheckList
                 : name == "cells"     ? Part::Cells
                                       : Part::None;
          if (part == Part::None)
            Fail("unknown key " + Quoted(name) + " (expected controls, checklist or cells)");
          if (std::exchange(seen[int(part)], true)) Fail(Quoted(name) + " is given twice");
        } else if (depth == 2 && part != Part::Cells) {
          key = parsed.get<std::string>();
        } else {
          // Only controls and check-list lines are named; the values never hold objects.
          take(Json::object());
        }
        return true;
      case Event::value:
        if (depth == 0) Fail("the edits must be one JSON object");
        if (depth == 1) checkPart(false, false);
        if (depth == 2) take(parsed);
        return depth > 2;
      case Event::object_end:
      case Event::array_end:
        if (depth == 2) take(parsed);
        return depth != 1 && depth != 2;
    }
    return true;
  };
  try {
    // What is left of the document, an empty object, is of no further use.
    [[maybe_unused]] const Json rest = Json::parse(text, callback);
  } catch (const Json::exception& e) {
    // Besides syntax errors, a number too large for a double (1e400) lands here. The library's
    // message repeats the bytes it read, valid UTF-8 or not.
    Fail("not valid JSON: " + PrintableWhole(LibraryMessage(e)));
  }
  return edits;
}

void ApplyEdits(const Edits& edits, WorkingCopy& copy) {
  for (const ControlEdit& edit : edits.Controls) {
    switch (edit.Operation) {
      case ControlEdit::Op::EditText:
        copy.SetEditText(edit.Control, edit.Text);
        break;
      case ControlEdit::Op::Check:
        copy.SetChecked(edit.Control, edit.Checked);
        break;
      case ControlEdit::Op::ItemIndex:
        copy.SetItemIndex(edit.Control, edit.Index);
        break;
      case ControlEdit::Op::ComboText:
        copy.SetComboText(edit.Control, edit.Text);
        break;
    }
  }
  for (const CheckListEdit& edit : edits.CheckList)
    copy.SetCheckListChecked(edit.Line, edit.Checked);
  for (const CellEdit& edit : edits.Cells)
    copy.SetCell(edit.Grid, edit.Row, edit.Column, edit.Text);
}

}  // namespace korvath::cli
