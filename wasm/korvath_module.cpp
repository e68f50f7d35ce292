// The core as a JavaScript module for the browser edition: every call the page makes goes
// through this file. Errors reach JavaScript as the program's own messages, never as exceptions.

#include <emscripten/bind.h>
#include <emscripten/val.h>

// Std
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

// Korvath
#include "core/comparison_status.h"
#include "core/edit_history.h"
#include "core/field_maps.h"
#include "core/grid_layout.h"
#include "core/hex_dump.h"
#include "core/int_conversion.h"
#include "core/label_list.h"
#include "core/page_layout.h"
#include "core/save_compare.h"
#include "core/save_guard.h"
#include "core/save_image.h"
#include "core/shown_names.h"
#include "core/unit_edit_layout.h"
#include "core/unit_editor.h"
#include "core/window_texts.h"
#include "core/working_copy.h"

namespace korvath::wasm {

namespace {

using emscripten::val;

val Strings(const auto& items) {
  val out = val::array();
  for (const auto& item : items) out.call<void>("push", std::string(item));
  return out;
}

val Ints(const std::set<int>& items) {
  val out = val::array();
  for (int item : items) out.call<void>("push", item);
  return out;
}

val BytesOf(std::span<const std::uint8_t> bytes) {
  // A copy: a view into the heap would go stale once the heap grows.
  return val::global("Uint8Array")
      .new_(emscripten::typed_memory_view(bytes.size(), bytes.data()))
      .call<val>("slice");
}

// A JSON text built as a val would be, for the large descriptions the page reads at start-up:
// one string that the page parses costs far less than a call into JavaScript for every property.
class Json {
 public:
  static Json Object() { return Json('{', '}'); }
  static Json Array() { return Json('[', ']'); }
  static Json Strings(const auto& items) {
    Json out = Array();
    for (const auto& item : items) out.Push(std::string_view(item));
    return out;
  }

  template <typename T>
  void Set(std::string_view key, const T& value) {
    Next();
    Quote(key);
    text_ += ':';
    Put(value);
  }
  template <typename T>
  void Push(const T& value) {
    Next();
    Put(value);
  }

  std::string Text() const { return text_ + close_; }

 private:
  Json(char open, char close) : text_(1, open), close_(close) {}

  void Next() {
    if (text_.size() > 1) text_ += ',';
  }
  template <typename T>
  void Put(const T& value) {
    if constexpr (std::is_same_v<T, Json>) {
      text_ += value.text_;
      text_ += value.close_;
    } else if constexpr (std::is_same_v<T, bool>) {
      text_ += value ? "true" : "false";
    } else if constexpr (std::is_integral_v<T>) {
      text_ += std::to_string(value);
    } else {
      Quote(std::string_view(value));
    }
  }
  void Quote(std::string_view s) {
    text_ += '"';
    for (const char c : s) {
      if (c == '"' || c == '\\') {
        text_ += '\\';
        text_ += c;
      } else if (static_cast<unsigned char>(c) < 0x20) {
        std::array<char, 7> escaped{};
        std::snprintf(escaped.data(), escaped.size(), "\\u%04x", c);
        text_ += escaped.data();
      } else {
        text_ += c;
      }
    }
    text_ += '"';
  }

  std::string text_;
  char close_;
};

// A JSON text for the page as a view of its UTF-8, valid until the next such call: the page
// decodes it at once, where embind's own strings are read a byte at a time in JavaScript.
val JsonView(const Json& json) {
  static std::string kept;
  kept = json.Text();
  return val(emscripten::typed_memory_view(kept.size(),
                                           reinterpret_cast<const unsigned char*>(kept.data())));
}

std::vector<std::uint8_t> VectorOf(const val& bytes) {
  return emscripten::convertJSArrayToNumberVector<std::uint8_t>(bytes);
}

// What changed since the page last asked, so that it redraws only that.
class ChangeLog : public WorkingCopyObserver {
 public:
  void GridChanged(GridId grid) override { grids_.insert(int(grid)); }
  void CellChanged(GridId grid, int row, int column) override {
    cells_.push_back({int(grid), row, column});
  }
  void CurrentCellChanged(GridId grid) override { current_.insert(int(grid)); }
  void ActivePageChanged(int /*page*/) override { page_ = true; }
  void ControlsChanged() override { controls_ = true; }
  void HistoryChanged() override { history_ = true; }

  val Take() {
    val out = val::object();
    out.set("grids", Ints(grids_));
    val cells = val::array();
    // A burst of cells in one grid is cheaper to redraw whole.
    for (const auto& c : cells_) {
      if (grids_.count(c[0])) continue;
      val cell = val::array();
      for (int v : c) cell.call<void>("push", v);
      cells.call<void>("push", cell);
    }
    out.set("cells", cells);
    out.set("current", Ints(current_));
    out.set("page", page_);
    out.set("controls", controls_);
    out.set("history", history_);
    *this = ChangeLog();
    return out;
  }

 private:
  std::set<int> grids_;
  std::vector<std::array<int, 3>> cells_;
  std::set<int> current_;
  bool page_ = false;
  bool controls_ = false;
  bool history_ = false;
};

struct State {
  LabelFileBytes labelFiles;  // kept for the copy a comparison reads
  std::unique_ptr<WorkingCopy> copy;
  std::vector<std::uint8_t> base;  // the save's bytes as opened or last saved
  std::unique_ptr<UnitEditorModel> unitEditor;
  std::unique_ptr<WorkingCopy> other;  // the save compared with
  std::string otherName;
  std::vector<SaveDifference> differences;
  ChangeLog changes;
};
State& S() {
  static State state;
  return state;
}
WorkingCopy& Copy() { return *S().copy; }

// Runs body; an exception becomes its message, the empty text means it went through.
template <typename Body>
std::string Guarded(Body body) {
  try {
    body();
    return {};
  } catch (const std::exception& e) {
    return e.what();
  }
}

GridId Grid(int grid) { return kAllGrids.at(std::size_t(grid)); }

// ---- Start-up and files

// Makes copy the working copy over the label files bytes, and forgets everything else.
void Install(std::unique_ptr<WorkingCopy> copy, LabelFileBytes bytes) {
  S() = State();
  S().labelFiles = std::move(bytes);
  S().copy = std::move(copy);
  S().copy->AddObserver(&S().changes);
}

// What reading a label set does once it passes: nothing more, or it becomes the set in use, with
// the open save dropped or read again from its bytes as last opened or saved.
enum class LabelUse { kCheck, kInstall, kInstallKeepingSave };

// files: [[name, Uint8Array], ...]. Builds a working copy from them with the desktop's checks;
// the message of the failure, or the empty text, and on failure nothing changes. Its second and
// later lines say which file is at fault and why ("plan.txt: ありません", "area.txt: 78
// 行必要ですが 12 行です"), one per file.
std::string ReadLabels(const val& files, LabelUse use) {
  return Guarded([&] {
    LabelFileBytes bytes;
    // Where a name is missing, one that differs in case alone ("PLAN.TXT"), the first in byte
    // order, as in a label folder. Anything else in a chosen folder is not ours to read.
    // Null bytes: the page could not read the file.
    std::array<std::optional<std::string>, kLabelFileNames.size()> taken;
    std::array<bool, kLabelFileNames.size()> unreadable{};
    const int n = files["length"].as<int>();
    for (int i = 0; i < n; ++i) {
      const std::string name = files[i][0].as<std::string>();
      const int index = LabelFileIndexIgnoringCase(name);
      if (index < 0) continue;
      auto& current = taken[std::size_t(index)];
      const std::string_view exact = kLabelFileNames[std::size_t(index)];
      const bool better = !current || (*current != exact && (name == exact || name < *current));
      if (!better) continue;
      current = name;
      const val data = files[i][1];
      unreadable[std::size_t(index)] = data.isNull();
      bytes[std::size_t(index)].clear();
      if (!data.isNull()) {
        const auto read = VectorOf(data);
        bytes[std::size_t(index)].assign(read.begin(), read.end());
      }
    }
    std::vector<std::string> problems;
    for (std::size_t i = 0; i < taken.size(); ++i) {
      if (!taken[i] || unreadable[i]) {
        problems.push_back(std::string(kLabelFileNames[i]) + ": " +
                           std::string(taken[i] ? kLabelFileUnreadable : kLabelFileMissing));
      }
    }
    LabelSet lists;
    for (std::string& problem : LabelSetProblems(bytes, lists)) {
      // A file not read has been named already, and its empty bytes say nothing more.
      const auto index =
          std::size_t(LabelFileIndexIgnoringCase(problem.substr(0, problem.find(':'))));
      if (taken[index] && !unreadable[index]) problems.push_back(std::move(problem));
    }
    if (!problems.empty()) {
      std::string lines;
      for (const std::string& problem : problems) lines += (lines.empty() ? "" : "\n") + problem;
      throw StartupError(lines);
    }
    auto copy = std::make_unique<WorkingCopy>(std::make_shared<const LabelSet>(std::move(lists)));
    if (use == LabelUse::kCheck) return;
    const bool reopen =
        use == LabelUse::kInstallKeepingSave && S().copy && S().copy->Image().Loaded;
    std::vector<std::uint8_t> base = std::move(S().base);
    const std::string name = reopen ? S().copy->Image().Path : std::string();
    if (reopen) copy->Open(base, name);
    Install(std::move(copy), std::move(bytes));
    if (reopen) S().base = std::move(base);
  });
}

std::string CheckLabels(const val& files) { return ReadLabels(files, LabelUse::kCheck); }
std::string LoadLabels(const val& files) { return ReadLabels(files, LabelUse::kInstall); }
std::string LoadLabelsKeepingSave(const val& files) {
  return ReadLabels(files, LabelUse::kInstallKeepingSave);
}

// For each chosen name, the label file it is read as ("PLAN.TXT" gives "plan.txt"), or the
// empty text for a name that is none of the six.
val LabelFileNamesOf(const val& names) {
  val out = val::array();
  const int n = names["length"].as<int>();
  for (int i = 0; i < n; ++i) {
    const int index = LabelFileIndexIgnoringCase(names[i].as<std::string>());
    if (index >= 0)
      out.call<void>("push", std::string(kLabelFileNames[std::size_t(index)]));
    else
      out.call<void>("push", std::string());
  }
  return out;
}

// The six files the labels in use were read from, under their own names: [[name, Uint8Array], ...].
val LabelFilesInUse() {
  val out = val::array();
  for (std::size_t i = 0; i < kLabelFileNames.size(); ++i) {
    const std::string& bytes = S().labelFiles[i];
    val file = val::array();
    file.call<void>("push", std::string(kLabelFileNames[i]));
    file.call<void>("push", BytesOf(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                              bytes.size())));
    out.call<void>("push", file);
  }
  return out;
}

bool Ready() { return S().copy != nullptr; }
bool Loaded() { return Ready() && Copy().Image().Loaded; }

// Drops the open file, its comparison and its history: the state of a fresh start with the same
// labels.
void CloseFile() {
  if (!Ready()) return;
  auto copy = std::make_unique<WorkingCopy>(S().labelFiles);
  Install(std::move(copy), LabelFileBytes(S().labelFiles));
}

// The differences from the save compared with, found again after the working copy changed.
void Recompare() {
  if (S().other) S().differences = CompareSaves(Copy(), *S().other);
}

// The working copy opens these bytes as the file name, whose bytes they are now; false when they
// cannot be read as a save.
bool OpenAs(const val& bytes, const std::string& name) {
  auto data = VectorOf(bytes);
  if (!Copy().Open(data, name)) return false;
  S().base = std::move(data);
  return true;
}

bool Open(const val& bytes, const std::string& name) {
  if (!OpenAs(bytes, name)) return false;
  S().other.reset();
  S().differences.clear();
  return true;
}

// The open save read again from these bytes, which another program wrote: the history starts
// over, and a comparison stays on.
bool Reopen(const val& bytes) {
  const std::string name = Copy().Image().Path;  // a copy: opening replaces the image's own
  if (!OpenAs(bytes, name)) return false;
  Recompare();
  return true;
}

// The image as the next save writes it: the store pass, then its bytes. A text that is not an
// integer gives its message and where it stands: fault {page, control} or {page, grid, row,
// column}.
val Store() {
  val out = val::object();
  std::string error;
  try {
    Copy().StorePass();
  } catch (const ConversionError& e) {
    error = e.what();
    const ConversionError::Place& at = e.Where();
    val fault = val::object();
    if (const MainFieldEntry* entry = at.Control.empty() ? nullptr : FindMainField(at.Control)) {
      fault.set("page", entry->Page);
      fault.set("control", at.Control);
      out.set("fault", fault);
    } else if (at.Grid >= 0 && at.Row >= 0) {
      fault.set("page", LayoutOf(Grid(at.Grid)).Page);
      fault.set("grid", at.Grid);
      fault.set("row", at.Row);
      fault.set("column", at.Column);
      out.set("fault", fault);
    }
  } catch (const std::exception& e) {
    error = e.what();
  }
  out.set("error", error);
  if (error.empty()) out.set("bytes", BytesOf(Copy().Image().Contents()));
  return out;
}

// The file now holds the image: it is what the next save must find there.
void MarkSaved() {
  Copy().MarkSaved();
  const auto bytes = Copy().Image().Contents();
  S().base.assign(bytes.begin(), bytes.end());
}

// Whether the file's bytes now differ from those opened or last saved (another program wrote
// it), or, given seen, from those.
bool ChangedSince(const val& bytes, const val& seen) {
  const auto now = VectorOf(bytes);
  const std::span<const std::uint8_t> at(now);
  if (seen.isNull() || seen.isUndefined()) {
    return CompareTarget(at, S().base) == TargetState::Changed;
  }
  return CompareTarget(at, VectorOf(seen)) == TargetState::Changed;
}

// Whether bytes a save replaces must be kept, given the newest backup (null for none).
bool NeedsBackupOf(const val& old, const val& newest) {
  const auto bytes = VectorOf(old);
  if (newest.isNull() || newest.isUndefined()) return NeedsBackup(bytes, std::nullopt);
  const auto last = VectorOf(newest);
  return NeedsBackup(bytes, std::span<const std::uint8_t>(last));
}

// The bytes opened or last saved, as a backup of them keeps them.
val BaseBytes() { return BytesOf(S().base); }
std::string FileName() { return Copy().Image().Path; }

// ---- Pages

Json ControlDescription(const MainFieldEntry& entry, int row, int column, int width, int span) {
  Json c = Json::Object();
  c.Set("name", entry.Control);
  c.Set("kind", int(entry.Kind));
  c.Set("caption", entry.Caption);
  c.Set("label", ShownControlName(entry));
  c.Set("hint", entry.Hint);
  c.Set("row", row);
  c.Set("column", column);
  c.Set("width", width);
  c.Set("span", span);
  switch (ListRuleOf(entry.Control)) {
    case ListRule::Faction:
      c.Set("items", Json::Strings(kFactionCaptions));
      break;
    case ListRule::Scenario:
      c.Set("items", Json::Strings(kScenarioItems));
      c.Set("editable", true);
      break;
    case ListRule::None:
      break;
  }
  return c;
}

Json RectOf(const LayoutRect& r, int anchors) {
  Json out = Json::Object();
  out.Set("x", r.X);
  out.Set("y", r.Y);
  out.Set("width", r.Width);
  out.Set("height", r.Height);
  out.Set("anchors", anchors);
  return out;
}

Json Panel(std::span<const PanelCell> cells, int force, const LayoutRect& rect) {
  Json panel = Json::Object();
  panel.Set("rect", RectOf(rect, kAnchorTopLeft));
  Json controls = Json::Array();
  for (const PanelCell& cell : cells) {
    const MainFieldEntry* entry = FindMainField(PanelControlName(cell.Control, force));
    if (!entry) continue;  // a control of the player's page only
    controls.Push(ControlDescription(*entry, cell.Row, cell.Column, cell.Width, cell.Span));
  }
  panel.Set("controls", controls);
  return panel;
}

Json Table(GridId id, const TablePlacement& place) {
  const GridLayout& layout = LayoutOf(id);
  Json t = Json::Object();
  t.Set("grid", int(id));
  t.Set("name", layout.Name);
  const MainFieldEntry* entry = FindMainField(layout.Name);
  t.Set("caption", entry ? std::string(entry->Caption) : std::string());
  t.Set("label", ShownTableName(id));
  t.Set("rect", RectOf(place.Table, place.Anchors));
  t.Set("labelX", place.Label.X);
  t.Set("labelY", place.Label.Y);
  t.Set("rows", layout.VisibleRows);
  t.Set("fixed", layout.FixedColumns);
  t.Set("rangeSelection", layout.RangeSelection);
  t.Set("opensUnitEditor", layout.OpensUnitEditor);
  Json widths = Json::Array();
  for (const ColumnSpec& c : layout.Columns) widths.Push(c.Width);
  t.Set("widths", widths);
  return t;
}

// Every page with its panels, groups, tables and check list, in tab order.
Json Pages() {
  Json pages = Json::Array();
  for (int p = 0; p < int(kPageCaptions.size()); ++p) {
    Json page = Json::Object();
    page.Set("caption", kPageCaptions[std::size_t(p)]);
    Json panels = Json::Array();
    Json tables = Json::Array();
    Json groups = Json::Array();
    if (p <= kPageEnemy2) {
      panels.Push(Panel(kForcePanel, p, kForcePanelRect));
      tables.Push(Table(PlanGridOf(p), kPlanTable));
      tables.Push(Table(UnitGridOf(p), kUnitTable));
    } else if (p == kPageSpecial) {
      panels.Push(Panel(kSpecialPanel, 0, kSpecialPanelRect));
      for (const CheckGroup& g : kAreaGroups) {
        Json group = Json::Object();
        group.Set("caption", std::string(GroupCaption(g)));
        group.Set("rect", RectOf(g.Box, kAnchorTopLeft));
        group.Set("columns", g.Columns);
        Json controls = Json::Array();
        for (int n = g.First; n <= g.Last; ++n) {
          if (const MainFieldEntry* e = FindMainField("CheckBox6_" + std::to_string(n))) {
            const int i = n - g.First;
            controls.Push(ControlDescription(*e, i / g.Columns, i % g.Columns, 0, 1));
          }
        }
        group.Set("controls", controls);
        groups.Push(group);
      }
      Json list = Json::Object();
      const MainFieldEntry* entry = FindMainField(kCheckList);
      list.Set("name", kCheckList);
      list.Set("caption", entry ? std::string(entry->Caption) : std::string());
      list.Set("rect", RectOf(kCheckListRect, kAnchorLeft | kAnchorTop | kAnchorBottom));
      list.Set("labelX", kCheckListLabel.X);
      list.Set("labelY", kCheckListLabel.Y);
      list.Set("lineHeight", kCheckListLineHeight);
      page.Set("checkList", list);
    } else {
      for (const PageTable& t : kPageTables) {
        if (LayoutOf(t.Grid).Page == p) tables.Push(Table(t.Grid, t.Place));
      }
    }
    page.Set("panels", panels);
    page.Set("tables", tables);
    page.Set("groups", groups);
    pages.Push(page);
  }
  return pages;
}

val Layout() {
  Json out = Json::Object();
  out.Set("pages", Pages());
  out.Set("width", kPageDesignSize.Width);
  out.Set("height", kPageDesignSize.Height);
  out.Set("controlHeight", kControlHeight);
  out.Set("panelGap", kForcePanelGap);
  return JsonView(out);
}

// ---- Controls and the check list

val Control(const std::string& name) {
  const ControlValue& v = Copy().Control(name);
  val out = val::object();
  out.set("text", v.Text);
  out.set("checked", v.Checked);
  out.set("itemIndex", v.ItemIndex);
  return out;
}

std::string SetEditText(const std::string& name, const std::string& text) {
  return Guarded([&] { Copy().SetEditText(name, text); });
}
std::string SetChecked(const std::string& name, bool checked) {
  return Guarded([&] { Copy().SetChecked(name, checked); });
}
std::string SetItemIndex(const std::string& name, int index) {
  return Guarded([&] { Copy().SetItemIndex(name, index); });
}
std::string SetComboText(const std::string& name, const std::string& text) {
  return Guarded([&] { Copy().SetComboText(name, text); });
}
void EndTyping() { Copy().EndTyping(); }

val CheckList() {
  val out = val::array();
  for (const CheckListLine& line : Copy().CheckList()) {
    val l = val::array();
    l.call<void>("push", line.Text);
    l.call<void>("push", line.Header);
    l.call<void>("push", line.Checked);
    out.call<void>("push", l);
  }
  return out;
}
std::string SetCheckListChecked(int line, bool checked) {
  return Guarded([&] { Copy().SetCheckListChecked(line, checked); });
}

// ---- Tables

// Rows first..first+count-1 (the heading row is 0) as a JSON text: [texts, states] per row,
// where a state is 1 for a selectable cell, 2 for an editable one. One text, where an array per
// row and a call per cell would cross into JavaScript a thousand times for a page of rows.
val Rows(int grid, int first, int count) {
  const GridId id = Grid(grid);
  const CellGrid& cells = Copy().Grid(id);
  const int columns = int(LayoutOf(id).Columns.size());
  Json out = Json::Array();
  for (int r = first; r < first + count; ++r) {
    Json texts = Json::Array();
    Json states = Json::Array();
    for (int c = 0; c < columns; ++c) {
      texts.Push(cells.Cell(r, c));
      states.Push((IsCellSelectable(id, r, c) ? 1 : 0) | (IsCellEditable(id, r, c) ? 2 : 0));
    }
    Json row = Json::Array();
    row.Push(texts);
    row.Push(states);
    out.Push(row);
  }
  return JsonView(out);
}

std::string SetCell(int grid, int row, int column, const std::string& text) {
  if (!IsCellEditable(Grid(grid), row, column)) return {};
  return Guarded([&] { Copy().SetCell(Grid(grid), row, column, text); });
}
void SetCurrentCell(int grid, int row, int column) {
  Copy().SetCurrentCell(Grid(grid), row, column);
}
val CurrentCell(int grid) {
  const CellGrid& cells = Copy().Grid(Grid(grid));
  val out = val::array();
  out.call<void>("push", cells.CurrentRow());
  out.call<void>("push", cells.CurrentColumn());
  return out;
}

int ActivePage() { return Copy().ActivePage(); }
void SetActivePage(int page) { Copy().SetActivePage(page); }

// The popup a right-click on a cell opens: its kind and item captions, no items for none.
val Popup(int grid, int row, int column) {
  val out = val::object();
  const PopupKind kind = Loaded() ? PopupAt(Grid(grid), row, column) : PopupKind::None;
  out.set("kind", int(kind));
  const auto captions = [](const auto& items) {
    std::vector<std::string_view> c;
    for (const auto& item : items) c.push_back(item.Caption);
    return Strings(c);
  };
  switch (kind) {
    case PopupKind::Plan:
      out.set("items", captions(kPlanPopupItems));
      break;
    case PopupKind::Unit:
      out.set("items", captions(kUnitPopupItems));
      break;
    case PopupKind::AreaBattle:
      out.set("items", captions(kAreaBattlePopupItems));
      break;
    case PopupKind::AreaFaction:
      out.set("items", captions(kAreaFactionPopupItems));
      break;
    case PopupKind::None:
      out.set("items", val::array());
      break;
  }
  return out;
}

std::string PopupClick(int kind, int item) {
  return Guarded([&] {
    switch (PopupKind(kind)) {
      case PopupKind::Plan:
        Copy().PlanPopupMenuClick(item);
        break;
      case PopupKind::Unit:
        Copy().UnitPopupMenuClick(item);
        break;
      case PopupKind::AreaBattle:
        Copy().AreaPopupMenu1Click(item);
        break;
      case PopupKind::AreaFaction:
        Copy().AreaPopupMenu2Click(item);
        break;
      case PopupKind::None:
        break;
    }
  });
}

// ---- History

val History() {
  val out = val::object();
  out.set("canUndo", Copy().CanUndo());
  out.set("canRedo", Copy().CanRedo());
  out.set("undo", Copy().UndoDescription());
  out.set("redo", Copy().RedoDescription());
  out.set("saved", Copy().IsAtSavePoint());
  return out;
}
std::string Undo() {
  return Guarded([] {
    Copy().EndTyping();
    Copy().Undo();
  });
}
std::string Redo() {
  return Guarded([] {
    Copy().EndTyping();
    Copy().Redo();
  });
}

val Changes() { return S().changes.Take(); }

// ---- Hex dump

std::string Dump() { return Loaded() ? BuildDumpText(Copy().Image()) : std::string(); }

// ---- Comparison

// Reads the other save as Open reads one; false when it cannot be read.
bool CompareStart(const val& bytes, const std::string& name) {
  auto other = std::make_unique<WorkingCopy>(S().labelFiles);
  if (!other->Open(VectorOf(bytes), name)) return false;
  S().other = std::move(other);
  S().otherName = name;
  Recompare();
  return true;
}
// How many values the working copy and a save of these bytes differ in (a backup's row); -1 when
// the bytes cannot be read as a save.
int DifferenceCount(const val& bytes) {
  WorkingCopy other(S().labelFiles);
  if (!other.Open(VectorOf(bytes), {})) return -1;
  return int(CompareSaves(Copy(), other).size());
}

// entries: [[name, time, size], ...] of every backup kept, the newest included: the indices of
// those the bounds leave no room for.
val BackupsToDropOf(const val& entries) {
  std::vector<BackupEntry> list;
  const int n = entries["length"].as<int>();
  for (int i = 0; i < n; ++i) {
    list.push_back({entries[i][0].as<std::string>(), std::int64_t(entries[i][1].as<double>()),
                    std::uint64_t(entries[i][2].as<double>())});
  }
  val out = val::array();
  for (std::size_t i : BackupsToDrop(list)) out.call<void>("push", int(i));
  return out;
}

// The name a backup of the save name goes by when it is compared or downloaded: the save's name
// with the backup's own name after it, "slot1-20261207-183015-123.bin".
std::string BackupName(const std::string& name, double time) {
  const std::size_t dot = name.rfind('.');
  const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
  return stem + "-" + BackupFileName(std::int64_t(time));
}

std::string BackupTime(double time) { return BackupTimeText(std::int64_t(time)); }

void CompareEnd() {
  S().other.reset();
  S().differences.clear();
}

val Differences() {
  Recompare();
  val out = val::array();
  for (const SaveDifference& d : S().differences) {
    val v = val::object();
    v.set("kind", int(d.Kind));
    v.set("order", d.Order);
    v.set("page", d.Page);
    v.set("control", std::string(d.Control));
    v.set("grid", int(d.Grid));
    v.set("row", d.Row);
    v.set("column", d.Column);
    v.set("nameColumn", d.NameColumn);
    v.set("line", d.Line);
    v.set("place", DescribePlace(d));
    v.set("shown", IsDifferenceShown(d, Copy()));
    const MainFieldEntry* entry =
        d.Kind == DifferenceKind::Control ? FindMainField(d.Control) : nullptr;
    v.set("tip", ComparisonToolTip(S().otherName, d, entry ? entry->Hint : std::string_view()));
    out.call<void>("push", v);
  }
  return out;
}

std::string CompareStatus(int cursor) {
  return S().other ? ComparisonStatusText(S().otherName, S().differences, cursor, Copy())
                   : std::string();
}

// The order of the difference after (before) cursor that the window shows, -1 for none.
int StepDifferenceFrom(int cursor, bool forward) {
  const SaveDifference* d = StepDifference(S().differences, cursor, forward, Copy());
  return d ? d->Order : -1;
}

// ---- Unit editor

// Made when the page first asks for the unit editor: start-up does not wait for its lists.
UnitEditorModel& Unit() {
  if (!S().unitEditor) S().unitEditor = std::make_unique<UnitEditorModel>(*S().copy);
  return *S().unitEditor;
}

val UnitEditorState() {
  UnitEditorModel& m = Unit();
  val out = val::object();
  out.set("tab", m.TabIndex());
  val edits = val::array();
  for (int e = 1; e <= UnitEditorModel::kEditCount; ++e) edits.call<void>("push", m.EditText(e));
  out.set("edits", edits);
  val combos = val::array();
  for (int c = 1; c <= UnitEditorModel::kComboCount; ++c) {
    const ComboBoxState& s = m.Combo(c);
    val combo = val::object();
    combo.set("items", Strings(s.Items));
    combo.set("itemIndex", s.ItemIndex);
    combo.set("text", s.Text);
    combos.call<void>("push", combo);
  }
  out.set("combos", combos);
  val checks = val::array();
  for (int c = 1; c <= UnitEditorModel::kCheckBoxCount; ++c) {
    checks.call<void>("push", m.Checked(c));
  }
  out.set("checks", checks);
  out.set("spinBound", m.SpinBound());
  out.set("spin", m.SpinPosition());
  return out;
}

// One event of the unit editor window; the message of a failed check or error, or the empty text.
std::string UnitEvent(const std::string& event, int which, const val& arg) {
  std::string message;
  const std::string error = Guarded([&] {
    UnitEditorModel& m = Unit();
    if (event == "activate") m.Activate();
    if (event == "tab") m.SelectForce(which);
    if (event == "number") m.SetUnitNumberText(arg.as<std::string>());
    if (event == "step") m.StepUnitNumber(which);
    if (event == "edit") m.SetEditText(which, arg.as<std::string>());
    if (event == "choose") m.ChooseEntry(which, arg.as<int>());
    if (event == "type") m.TypeText(which, arg.as<std::string>());
    if (event == "check") m.ClickCheckBox(which, arg.as<bool>());
    if (event == "search") {
      switch (which) {
        case UnitEditorModel::kTypeSearch:
          m.SearchUnitType();
          break;
        case UnitEditorModel::kCarrierSearch:
          m.SearchCarrier();
          break;
        case UnitEditorModel::kPilotSearch:
          m.SearchPilot();
          break;
        case UnitEditorModel::kAreaSearch:
          m.SearchArea();
          break;
        case UnitEditorModel::kDestinationSearch:
          m.SearchDestination();
          break;
        default:
          break;
      }
    }
    if (event == "maxDurability") m.FillMaxDurability();
    if (event == "maxSupplies") m.FillMaxSupplies();
    if (event == "commit") message = m.Commit().value_or(std::string());
  });
  return error.empty() ? message : error;
}

// ---- Texts of the window

val Texts() {
  Json out = Json::Object();
  out.Set("readError", kReadError);
  out.Set("writeError", kWriteError);
  out.Set("title", kWindowTitle);
  out.Set("unsavedMark", kUnsavedMark);
  out.Set("capacity", SaveImage::Capacity);
  out.Set("labelFileLimit", kMaxLabelFileSize);
  out.Set("aboutTitle", kAboutTitle);
  out.Set("aboutLines", Json::Strings(kAboutLines));
  Json menus = Json::Array();
  for (const MenuDefinition& menu : kMainMenus) {
    Json m = Json::Object();
    m.Set("name", menu.Name);
    m.Set("caption", menu.Caption);
    Json items = Json::Array();
    for (const MenuItemDefinition& item : menu.Items) {
      Json i = Json::Object();
      i.Set("name", item.Name);
      i.Set("caption", item.Caption);
      i.Set("shortcut", item.Shortcut);
      i.Set("needsFile", item.NeedsFile);
      items.Push(i);
    }
    m.Set("items", items);
    menus.Push(m);
  }
  out.Set("menus", menus);
  Json ask = Json::Object();
  ask.Set("saveChanges", kSaveChangesQuestion);
  ask.Set("save", kSaveAnswer);
  ask.Set("discard", kDiscardAnswer);
  ask.Set("cancel", kCancelAnswer);
  ask.Set("overwrite", kOverwriteQuestion);
  ask.Set("overwriteAnswer", kOverwriteAnswer);
  ask.Set("changedOnDisk", kChangedOnDiskQuestion);
  ask.Set("reload", kReloadAnswer);
  ask.Set("keepEditing", kKeepEditingAnswer);
  ask.Set("reloaded", kReloadedStatus);
  out.Set("ask", ask);
  Json backups = Json::Object();
  backups.Set("title", kBackupsTitle);
  backups.Set("columns", Json::Strings(kBackupHeadings));
  backups.Set("compare", kCompareAnswer);
  backups.Set("restore", kRestoreAnswer);
  backups.Set("restoreQuestion", kRestoreQuestion);
  backups.Set("restored", kRestoredStatus);
  backups.Set("none", kNoBackups);
  backups.Set("notKept", kNoBackupKept);
  // A file larger than a backup may be is not kept, with the reason the desktop gives.
  backups.Set("limit", kMaxBackupBytes);
  backups.Set("tooLarge", WriteFailureText(WriteFailure::Other));
  out.Set("backups", backups);
  Json web = Json::Object();
  for (const WebText& t : kWebTexts) web.Set(t.Key, t.Text);
  out.Set("web", web);
  out.Set("labelFiles", Json::Strings(kLabelFileNames));
  out.Set("unitEditorTitle", kUnitEditorTitle);
  out.Set("dumpTitle", kDumpTitle);
  out.Set("unitEditorTabs", Json::Strings(kUnitEditTabs));
  return JsonView(out);
}

// The unit editor's controls, asked for when it is first shown: the page starts without them.
val UnitEditorControls() {
  val controls = val::array();
  for (const UnitEditControl& c : unit_edit_layout::kControls) {
    val v = val::object();
    v.set("name", std::string(c.Name));
    v.set("kind", int(c.Kind));
    v.set("parent", int(c.Parent));
    v.set("left", c.Left);
    v.set("top", c.Top);
    v.set("width", c.Width);
    v.set("height", DrawnHeight(c));
    v.set("caption", std::string(c.Caption));
    v.set("hint", std::string(c.Hint));
    v.set("shownName", ShownUnitEditName(c));
    if (c.Kind == UnitEditKind::UpDown) {
      v.set("partNames",
            Strings(std::array<std::string, 2>{ShownUnitEditName(c, 1), ShownUnitEditName(c, 2)}));
    }
    controls.call<void>("push", v);
  }
  return controls;
}

}  // namespace

EMSCRIPTEN_BINDINGS(korvath) {
  using emscripten::function;
  function("checkLabels", &CheckLabels);
  function("loadLabels", &LoadLabels);
  function("loadLabelsKeepingSave", &LoadLabelsKeepingSave);
  // Not "ready": the emscripten module has a property of that name.
  function("started", &Ready);
  function("loaded", &Loaded);
  function("closeFile", &CloseFile);
  function("labelFileNames", &LabelFileNamesOf);
  function("labelFilesInUse", &LabelFilesInUse);
  function("changedSince", &ChangedSince);
  function("baseBytes", &BaseBytes);
  function("open", &Open);
  function("reopen", &Reopen);
  function("store", &Store);
  function("markSaved", &MarkSaved);
  function("fileName", &FileName);
  function("layout", &Layout);
  function("texts", &Texts);
  function("unitEditorControls", &UnitEditorControls);
  function("control", &Control);
  function("setEditText", &SetEditText);
  function("setChecked", &SetChecked);
  function("setItemIndex", &SetItemIndex);
  function("setComboText", &SetComboText);
  function("endTyping", &EndTyping);
  function("checkList", &CheckList);
  function("setCheckListChecked", &SetCheckListChecked);
  function("rows", &Rows);
  function("setCell", &SetCell);
  function("setCurrentCell", &SetCurrentCell);
  function("currentCell", &CurrentCell);
  function("activePage", &ActivePage);
  function("setActivePage", &SetActivePage);
  function("popup", &Popup);
  function("popupClick", &PopupClick);
  function("history", &History);
  function("undo", &Undo);
  function("redo", &Redo);
  function("changes", &Changes);
  function("dump", &Dump);
  function("compareStart", &CompareStart);
  function("compareEnd", &CompareEnd);
  function("differenceCount", &DifferenceCount);
  function("backupsToDrop", &BackupsToDropOf);
  function("needsBackup", &NeedsBackupOf);
  function("backupTime", &BackupTime);
  function("backupName", &BackupName);
  function("differences", &Differences);
  function("compareStatus", &CompareStatus);
  function("stepDifference", &StepDifferenceFrom);
  function("unitEditor", &UnitEditorState);
  function("unitEvent", &UnitEvent);
}

}  // namespace korvath::wasm
