#include "core/grid_layout.h"

#include <algorithm>
#include <stdexcept>

#include "core/field_maps.h"

namespace korvath {

namespace {

constexpr ColumnSpec kPlanColumns[] = {
    {"名前", 200, false},
    {"状態", 40, false},  // changed through the popup menu only
    {"ターン", 40, true},
};

constexpr ColumnSpec kUnitColumns[] = {
    {"No", 30, false},          {"ID", 30, true},    {"名前", 165, false},  {"耐久", 30, true},
    {"物資", 30, true},         {"疲労", 30, true},  {"士気", 30, true},    {"ID", 30, true},
    {"パイロット", 165, false}, {"ID", 30, true},    {"エリア", 70, false}, {"搭載", 30, true},
    {"搭載先", 40, true},       {"移動", 30, false}, {"ID", 30, true},      {"移動先", 70, false},
    {"戦闘中", 40, true},       {"X座標", 40, true}, {"Y座標", 40, true},   {"スタック", 40, true},
};

constexpr ColumnSpec kPilotColumns[] = {
    {"名前", 180, false},  {"ID", 30, true},
    {"エリア", 80, false}, {"搭乗", 30, true},
    {"ID", 20, true},      {"所属", 50, false},
    {"ID", 20, true},      {"状態", 70, false},
    {"ID", 20, true},      {"階級", 50, false},
    {"功績", 30, true},    {"経験", 30, true},
    {"士気？", 30, true},  {"負傷復帰ターン", 30, true},
    {"？", 20, false},  // converted and written back, but never typed into
};

constexpr ColumnSpec kDockColumns[] = {
    {"名前", 80, false},  {"No", 20, false},    {"ID", 30, true},
    {"名前", 140, false}, {"ターン", 40, true},
};

constexpr ColumnSpec kAreaColumns[] = {
    {"名前", 90, false},   {"戦闘中", 50, false}, {"支配勢力", 50, false}, {"？勢力", 50, false},
    {"拠点1", 40, false},  {"拠点2", 40, false},  {"拠点3", 40, false},    {"拠点4", 40, false},
    {"拠点5", 40, false},  {"拠点6", 40, false},  {"拠点7", 40, false},    {"拠点8", 40, false},
    {"拠点数", 40, false},
};

constexpr ColumnSpec kWeaponColumns[] = {
    {"名前", 250, false},    {"種類", 60, false}, {"最大耐久", 60, false},
    {"最大物資", 60, false}, {"搭載", 30, false},
};

// The heading row and one row per record (per dock for the dock table).
constexpr int kPlanRows = 1 + kPlanRecords;
constexpr int kUnitRows = 1 + kUnitRecords;
constexpr int kPilotRows = 1 + kPilotRecords;
constexpr int kDockRows = 1 + kDockRecords * kDocksPerArea;
constexpr int kAreaRows = 1 + kAreaRecords;

// Indexed by GridId.
constexpr GridLayout kLayouts[kGridCount] = {
    {GridId::StringGrid1_1, "StringGrid1_1", kPageOwnForce, 266, kPlanRows, 0, kPlanColumns, 1, 2,
     true, false},
    {GridId::StringGrid2_1, "StringGrid2_1", kPageEnemy1, 266, kPlanRows, 0, kPlanColumns, 1, 2,
     true, false},
    {GridId::StringGrid3_1, "StringGrid3_1", kPageEnemy2, 266, kPlanRows, 0, kPlanColumns, 1, 2,
     true, false},
    {GridId::StringGrid1_2, "StringGrid1_2", kPageOwnForce, 201, kUnitRows, 1, kUnitColumns, 1, 1,
     false, true},
    {GridId::StringGrid2_2, "StringGrid2_2", kPageEnemy1, 201, kUnitRows, 1, kUnitColumns, 1, 1,
     false, true},
    {GridId::StringGrid3_2, "StringGrid3_2", kPageEnemy2, 201, kUnitRows, 1, kUnitColumns, 1, 1,
     false, true},
    // 200 records, of which only the first 155 have a visible row.
    {GridId::StringGrid4_1, "StringGrid4_1", kPagePilots, 156, kPilotRows, 0, kPilotColumns, 1, 1,
     false, false},
    {GridId::StringGrid5_1, "StringGrid5_1", kPageAreas, 153, kDockRows, 2, kDockColumns, 1, 2,
     false, false},
    {GridId::StringGrid5_2, "StringGrid5_2", kPageAreas, 79, kAreaRows, 1, kAreaColumns, 1, 1,
     false, false},
    {GridId::StringGrid7_1, "StringGrid7_1", kPageWeapons, 295, 295, 0, kWeaponColumns, 1, 0, false,
     false},
};

constexpr bool LayoutsFollowGridOrder() {
  for (int i = 0; i < kGridCount; ++i) {
    if (int(kLayouts[i].Id) != i || kAllGrids[std::size_t(i)] != kLayouts[i].Id) return false;
  }
  return true;
}
static_assert(LayoutsFollowGridOrder());

constexpr GridId kPlanGrids[] = {GridId::StringGrid1_1, GridId::StringGrid2_1,
                                 GridId::StringGrid3_1};
constexpr GridId kUnitGrids[] = {GridId::StringGrid1_2, GridId::StringGrid2_2,
                                 GridId::StringGrid3_2};

bool ColumnInside(GridId grid, int column) {
  return column >= 0 && column < int(LayoutOf(grid).Columns.size());
}

}  // namespace

const GridLayout& LayoutOf(GridId grid) {
  const int i = int(grid);
  if (i < 0 || i >= kGridCount) throw std::out_of_range("no such grid");
  return kLayouts[i];
}

std::optional<GridId> GridByName(std::string_view name) {
  for (const auto& layout : kLayouts) {
    if (layout.Name == name) return layout.Id;
  }
  return std::nullopt;
}

GridId PlanGridOf(int force) {
  if (force < 0 || force > 2) throw std::out_of_range("no such force");
  return kPlanGrids[force];
}

GridId UnitGridOf(int force) {
  if (force < 0 || force > 2) throw std::out_of_range("no such force");
  return kUnitGrids[force];
}

int ForceOfGrid(GridId grid) {
  for (int f = 0; f < 3; ++f) {
    if (kPlanGrids[f] == grid || kUnitGrids[f] == grid) return f;
  }
  return -1;
}

bool IsCellSelectable(GridId grid, int /*row*/, int column) {
  if (grid == GridId::StringGrid5_2) return column >= 1 && column <= 11;
  return true;
}

bool IsCellEditable(GridId grid, int row, int column) {
  return row >= 1 && ColumnInside(grid, column) &&
         LayoutOf(grid).Columns[std::size_t(column)].Editable;
}

PopupKind PopupAt(GridId grid, int row, int column) {
  if (row < 1) return PopupKind::None;
  switch (grid) {
    case GridId::StringGrid1_1:
    case GridId::StringGrid2_1:
    case GridId::StringGrid3_1:
      return column == 1 ? PopupKind::Plan : PopupKind::None;
    case GridId::StringGrid1_2:
    case GridId::StringGrid2_2:
    case GridId::StringGrid3_2:
      return column == 13 ? PopupKind::Unit : PopupKind::None;
    case GridId::StringGrid5_2:
      if (column == 1) return PopupKind::AreaBattle;
      if (column >= 2 && column <= 11) return PopupKind::AreaFaction;
      return PopupKind::None;
    default:
      return PopupKind::None;
  }
}

namespace {

template <typename Items, typename Text>
void AddTexts(std::vector<std::string_view>& texts, const Items& items, Text text) {
  for (const auto& item : items) {
    if (std::find(texts.begin(), texts.end(), text(item)) == texts.end())
      texts.push_back(text(item));
  }
}

}  // namespace

std::vector<std::string_view> PopupTexts(GridId grid, int row, int column) {
  std::vector<std::string_view> texts;
  const auto labelText = [](const LabelPopupItem& item) { return item.Text; };
  switch (PopupAt(grid, row, column)) {
    case PopupKind::Plan:
      AddTexts(texts, kPlanPopupItems, [](const PlanPopupItem& item) { return item.State; });
      break;
    case PopupKind::Unit:
      AddTexts(texts, kUnitPopupItems, labelText);
      break;
    case PopupKind::AreaBattle:
      AddTexts(texts, kAreaBattlePopupItems, labelText);
      break;
    case PopupKind::AreaFaction:
      AddTexts(texts, kAreaFactionPopupItems, labelText);
      break;
    case PopupKind::None:
      break;
  }
  return texts;
}

bool AcceptsCellText(GridId grid, int row, int column, std::string_view text) {
  if (row < 1 || row >= LayoutOf(grid).VisibleRows || !IsCellSelectable(grid, row, column))
    return false;
  if (IsCellEditable(grid, row, column)) return Utf16Length(text) <= kMaxTypedLength;
  const auto texts = PopupTexts(grid, row, column);
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

std::size_t Utf16Length(std::string_view utf8) {
  std::size_t units = 0;
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    // A lead byte starts one unit; one of four bytes (past U+FFFF) is a surrogate pair.
    if ((byte & 0xC0) != 0x80) units += byte >= 0xF0 ? 2 : 1;
  }
  return units;
}

}  // namespace korvath
