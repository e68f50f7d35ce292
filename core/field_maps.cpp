#include "core/field_maps.h"

#include <algorithm>
#include <deque>
#include <string>

namespace korvath {

namespace {

// Where a force-page row finds its bits.
enum class Place {
  Block,       // in the force's 24-byte block, on every force page
  FirstBlock,  // in the block, shown on the player's page only
  Absolute,    // a fixed byte outside the blocks, on the player's page only
};

// One row of a force page. The control is Prefix + (force + 1) + "_" + Number.
struct ForceRow {
  Place Where;
  ControlKind Kind;
  std::string_view Prefix;
  int Number;
  int Byte;  // offset in the block, or the absolute byte for Place::Absolute
  int Bit;
  int Width;
  std::string_view Hint;
  std::string_view Caption;
};

constexpr std::string_view kMoneyHint = "MAX 9,999,999";
constexpr std::string_view kPercentHint = "MAX 100";
constexpr std::string_view kLevelHint = "MAX 20";

constexpr int kFirstBlock = 1604;
constexpr int kBlockSize = 24;
constexpr int kForceCount = 3;

// The rows of a force page in the order both passes walk them.
constexpr std::array<ForceRow, 30> kForceRows = {{
    {Place::Block, ControlKind::ComboBox, "ComboBox", 1, 0, 0, 4, "", "勢力"},
    {Place::Block, ControlKind::Edit, "Edit", 1, 18, 0, 24, kMoneyHint, "総資金"},
    {Place::Block, ControlKind::Edit, "Edit", 2, 21, 0, 24, kMoneyHint, "総資源"},
    {Place::Block, ControlKind::Edit, "Edit", 3, 9, 0, 7, kPercentHint, "諜報部能力"},
    {Place::Absolute, ControlKind::CheckBox, "CheckBox", 1, 1530, 1, 1, "", ""},
    {Place::Block, ControlKind::Edit, "Edit", 4, 0, 4, 5, kLevelHint, "基礎Lv"},
    {Place::Block, ControlKind::Edit, "Edit", 5, 0, 9, 5, kLevelHint, "装甲Lv"},
    {Place::Block, ControlKind::Edit, "Edit", 6, 0, 14, 5, kLevelHint, "航空Lv"},
    {Place::Block, ControlKind::Edit, "Edit", 7, 0, 19, 5, kLevelHint, "敵性Lv"},
    {Place::Block, ControlKind::Edit, "Edit", 8, 3, 0, 7, kPercentHint, "グラフ"},
    {Place::Block, ControlKind::Edit, "Edit", 9, 3, 7, 7, kPercentHint, "グラフ"},
    {Place::Block, ControlKind::Edit, "Edit", 10, 4, 6, 7, kPercentHint, "グラフ"},
    {Place::Block, ControlKind::Edit, "Edit", 11, 5, 5, 7, kPercentHint, "グラフ"},
    {Place::Absolute, ControlKind::CheckBox, "CheckBox", 2, 1530, 4, 1, "", ""},
    {Place::Absolute, ControlKind::CheckBox, "CheckBox", 3, 1530, 3, 1, "", ""},
    {Place::Absolute, ControlKind::CheckBox, "CheckBox", 4, 1530, 2, 1, "", ""},
    {Place::Block, ControlKind::Edit, "Edit", 12, 11, 5, 7, kPercentHint, "交易組合"},
    {Place::Block, ControlKind::Edit, "Edit", 13, 12, 4, 7, kPercentHint, "中立諸国"},
    {Place::Block, ControlKind::Edit, "Edit", 14, 13, 3, 7, kPercentHint, "辺境自治区"},
    {Place::Block, ControlKind::Edit, "Edit", 15, 14, 2, 7, kPercentHint, "軍需産業"},
    {Place::Block, ControlKind::Edit, "Edit", 16, 15, 1, 7, kPercentHint, "敵・軍需産業"},
    {Place::FirstBlock, ControlKind::Edit, "Edit", 17, 9, 7, 7, kPercentHint, "敵勢力１"},
    {Place::FirstBlock, ControlKind::Edit, "Edit", 18, 10, 6, 7, kPercentHint, "敵勢力２"},
    {Place::Absolute, ControlKind::CheckBox, "CheckBox", 5, 1603, 4, 1, "", ""},
    {Place::Absolute, ControlKind::CheckBox, "CheckBox", 6, 1603, 3, 1, "", ""},
    {Place::Absolute, ControlKind::CheckBox, "CheckBox", 7, 1603, 2, 1, "", ""},
    {Place::Absolute, ControlKind::CheckBox, "CheckBox", 8, 1603, 1, 1, "", ""},
    {Place::Absolute, ControlKind::CheckBox, "CheckBox", 9, 1603, 0, 1, "", ""},
    {Place::Absolute, ControlKind::CheckBox, "CheckBox", 10, 1602, 7, 1, "", ""},
    {Place::Absolute, ControlKind::CheckBox, "CheckBox", 11, 1602, 6, 1, "", ""},
}};

// The flags have no caption and the four graph boxes share one, so each is known by its row:
// <Prefix>#_<Number> sits on the row of Edit#_<Row>.
struct RowOwner {
  ControlKind Kind;
  int Number;
  int Row;
};
constexpr std::array<RowOwner, 15> kRowOwners = {{
    {ControlKind::CheckBox, 1, 3},
    {ControlKind::CheckBox, 2, 4},
    {ControlKind::CheckBox, 3, 5},
    {ControlKind::CheckBox, 4, 6},
    {ControlKind::CheckBox, 5, 17},
    {ControlKind::CheckBox, 6, 18},
    {ControlKind::CheckBox, 7, 12},
    {ControlKind::CheckBox, 8, 13},
    {ControlKind::CheckBox, 9, 14},
    {ControlKind::CheckBox, 10, 15},
    {ControlKind::CheckBox, 11, 16},
    {ControlKind::Edit, 8, 4},
    {ControlKind::Edit, 9, 5},
    {ControlKind::Edit, 10, 6},
    {ControlKind::Edit, 11, 7},
}};

// Everything bound by name rather than by force row: the tables, and the special page's list
// and turn count. Force grids come right after their page's rows.
struct NamedBinding {
  std::string_view Control;
  ControlKind Kind;
  int Page;
  int Byte;
  int Bit;
  int Width;  // the record stride for a grid
  std::string_view Hint;
  std::string_view Caption;
};

constexpr std::array<NamedBinding, 12> kNamedBindings = {{
    {"StringGrid1_1", ControlKind::StringGrid, kPageOwnForce, 17295, 6, 9, "", "開発プラン"},
    {"StringGrid1_2", ControlKind::StringGrid, kPageOwnForce, 1676, 0, 175, "", "部隊データ"},
    {"StringGrid2_1", ControlKind::StringGrid, kPageEnemy1, 17593, 7, 9, "", "開発プラン"},
    {"StringGrid2_2", ControlKind::StringGrid, kPageEnemy1, 6051, 0, 175, "", "部隊データ"},
    {"StringGrid3_1", ControlKind::StringGrid, kPageEnemy2, 17892, 0, 9, "", "開発プラン"},
    {"StringGrid3_2", ControlKind::StringGrid, kPageEnemy2, 10426, 0, 175, "", "部隊データ"},
    {"StringGrid4_1", ControlKind::StringGrid, kPagePilots, 14801, 0, 52, "", ""},
    {"StringGrid5_1", ControlKind::StringGrid, kPageAreas, 16736, 4, 112, "",
     "特別エリア 生産ドック"},
    {"StringGrid5_2", ControlKind::StringGrid, kPageAreas, 17002, 4, 23, "", "エリア 支配勢力"},
    // The scenario list works on its own three flags; its numbers only mirror Edit6_1's.
    {"ComboBox6_1", ControlKind::ComboBox, kPageSpecial, 436, 4, 7, "", "シナリオ"},
    {"Edit6_1", ControlKind::Edit, kPageSpecial, 436, 4, 7, kPercentHint, "ターン数"},
    // Numbers unused: the check list goes through SpecialFlagMap.
    {"CheckListBox6_1", ControlKind::CheckList, kPageSpecial, 1413, 0, 0, "", "特別プラン"},
}};

// The special page's area check boxes sit on consecutive bits from (1478, 3) in this order.
struct AreaBox {
  std::string_view Control;
  std::string_view Caption;
};
constexpr int kAreaBoxFirstBit = 8 * 1478 + 3;
// The first five boxes form the "エリア存在" group, the others the "特別エリア侵攻可能" group.
constexpr std::array<std::string_view, 2> kAreaGroups = {"エリア存在", "特別エリア侵攻可能"};
constexpr std::size_t kAreaPresentBoxes = 5;
constexpr std::array<AreaBox, 24> kAreaBoxes = {{
    {"CheckBox6_1", "中央司令部"}, {"CheckBox6_2", "白の塔"},    {"CheckBox6_3", "黒の塔"},
    {"CheckBox6_4", "赤の塔"},     {"CheckBox6_5", "青の塔"},    {"CheckBox6_10", "北の砦"},
    {"CheckBox6_11", "南の砦"},    {"CheckBox6_12", "東の港"},   {"CheckBox6_13", "西の港"},
    {"CheckBox6_14", "第一工廠"},  {"CheckBox6_15", "第二工廠"}, {"CheckBox6_16", "月面基地"},
    {"CheckBox6_17", "軌道駅"},    {"CheckBox6_18", "山岳基地"}, {"CheckBox6_19", "砂漠基地"},
    {"CheckBox6_20", "氷原基地"},  {"CheckBox6_21", "海底基地"}, {"CheckBox6_22", "森林基地"},
    {"CheckBox6_23", "天空都市"},  {"CheckBox6_24", "地下都市"}, {"CheckBox6_25", "白の塔"},
    {"CheckBox6_26", "黒の塔"},    {"CheckBox6_27", "赤の塔"},   {"CheckBox6_28", "青の塔"},
}};

struct Maps {
  std::deque<std::string> names;  // a deque never moves its strings, so views stay valid
  std::vector<MainFieldEntry> main;

  void AddNamed(const NamedBinding& b) {
    main.push_back(
        {b.Control, b.Kind, b.Page, TField{b.Byte, b.Bit, b.Width}, b.Hint, b.Caption, {}, {}});
  }
};

Maps BuildMaps() {
  Maps m;
  for (int f = 0; f < kForceCount; ++f) {
    const int block = kFirstBlock + kBlockSize * f;
    for (const ForceRow& row : kForceRows) {
      if (row.Where != Place::Block && f != 0) continue;
      m.names.push_back(std::string(row.Prefix) + std::to_string(f + 1) + "_" +
                        std::to_string(row.Number));
      const std::string_view control = m.names.back();
      std::string_view rowOf;
      for (const RowOwner& owner : kRowOwners) {
        if (owner.Kind != row.Kind || owner.Number != row.Number) continue;
        m.names.push_back("Edit" + std::to_string(f + 1) + "_" + std::to_string(owner.Row));
        rowOf = m.names.back();
      }
      const int byte = row.Where == Place::Absolute ? row.Byte : block + row.Byte;
      m.main.push_back({control,
                        row.Kind,
                        f,
                        TField{byte, row.Bit, row.Width},
                        row.Hint,
                        row.Caption,
                        {},
                        rowOf});
    }
    for (const NamedBinding& b : kNamedBindings) {
      if (b.Page == f) m.AddNamed(b);
    }
  }
  for (const NamedBinding& b : kNamedBindings) {
    if (b.Page == kPagePilots || b.Page == kPageAreas) m.AddNamed(b);
  }
  for (const NamedBinding& b : kNamedBindings) {
    if (b.Page == kPageSpecial && b.Kind != ControlKind::CheckList) m.AddNamed(b);
  }
  for (std::size_t i = 0; i < kAreaBoxes.size(); ++i) {
    const int at = kAreaBoxFirstBit + int(i);
    m.main.push_back({kAreaBoxes[i].Control,
                      ControlKind::CheckBox,
                      kPageSpecial,
                      TField{at / 8, at % 8, 1},
                      "",
                      kAreaBoxes[i].Caption,
                      kAreaGroups[i < kAreaPresentBoxes ? 0 : 1],
                      {}});
  }
  for (const NamedBinding& b : kNamedBindings) {
    if (b.Kind == ControlKind::CheckList) m.AddNamed(b);
  }
  return m;
}

const Maps& TheMaps() {
  static const Maps maps = BuildMaps();
  return maps;
}

// (item, byte, bit offset) of each special-plan flag. A bit offset of 8 is the top bit of the
// next byte: that is how the save places these flags, and ReadBits carries into it.
struct FlagBit {
  short Item;
  short Byte;
  short Bit;
};
constexpr std::array<FlagBit, 206> kSpecialFlags = {
    {{1, 1413, 8},   {2, 1413, 7},   {3, 1413, 5},   {4, 1413, 4},   {5, 1413, 2},   {6, 1413, 1},
     {7, 1414, 7},   {8, 1414, 6},   {9, 1414, 4},   {10, 1414, 3},  {11, 1414, 1},  {12, 1415, 8},
     {13, 1415, 6},  {14, 1415, 5},  {15, 1415, 3},  {16, 1415, 2},  {17, 1416, 8},  {18, 1416, 7},
     {19, 1416, 5},  {20, 1416, 4},  {21, 1417, 8},  {22, 1417, 7},  {23, 1417, 5},  {24, 1417, 4},
     {25, 1417, 2},  {26, 1417, 1},  {27, 1418, 7},  {28, 1418, 6},  {29, 1418, 4},  {30, 1418, 3},
     {31, 1418, 1},  {32, 1419, 8},  {33, 1419, 6},  {34, 1419, 5},  {35, 1419, 3},  {36, 1419, 2},
     {37, 1420, 8},  {38, 1420, 7},  {39, 1420, 5},  {40, 1420, 4},  {41, 1421, 8},  {42, 1421, 7},
     {43, 1421, 5},  {44, 1421, 4},  {45, 1421, 2},  {46, 1421, 1},  {47, 1422, 7},  {48, 1422, 6},
     {49, 1422, 4},  {50, 1422, 3},  {51, 1423, 7},  {52, 1422, 2},  {53, 1422, 1},  {54, 1423, 8},
     {55, 1423, 6},  {56, 1423, 5},  {57, 1423, 3},  {58, 1423, 2},  {59, 1424, 8},  {60, 1424, 7},
     {61, 1424, 5},  {62, 1424, 4},  {63, 1425, 6},  {64, 1425, 8},  {65, 1425, 7},  {66, 1424, 3},
     {67, 1425, 5},  {68, 1425, 4},  {69, 1425, 2},  {70, 1425, 1},  {71, 1426, 7},  {72, 1426, 6},
     {73, 1426, 4},  {74, 1426, 3},  {75, 1426, 1},  {76, 1427, 8},  {77, 1427, 6},  {78, 1427, 5},
     {79, 1427, 3},  {80, 1427, 2},  {81, 1428, 8},  {82, 1428, 7},  {83, 1428, 5},  {84, 1428, 4},
     {86, 1430, 4},  {87, 1430, 3},  {88, 1430, 1},  {89, 1431, 8},  {90, 1431, 6},  {91, 1431, 5},
     {92, 1431, 3},  {93, 1431, 2},  {94, 1432, 8},  {95, 1432, 7},  {96, 1432, 5},  {97, 1432, 4},
     {98, 1433, 8},  {99, 1433, 7},  {100, 1433, 5}, {101, 1433, 4}, {102, 1433, 2}, {103, 1433, 1},
     {104, 1434, 7}, {105, 1434, 6}, {106, 1434, 4}, {107, 1434, 3}, {108, 1434, 1}, {109, 1435, 8},
     {110, 1435, 6}, {111, 1435, 5}, {112, 1435, 3}, {113, 1435, 2}, {114, 1436, 8}, {115, 1436, 7},
     {116, 1436, 5}, {117, 1436, 4}, {118, 1437, 8}, {119, 1437, 7}, {120, 1437, 5}, {121, 1437, 4},
     {122, 1437, 2}, {123, 1437, 1}, {124, 1438, 7}, {125, 1438, 6}, {126, 1438, 4}, {127, 1438, 3},
     {128, 1438, 1}, {129, 1439, 8}, {130, 1439, 6}, {131, 1439, 5}, {132, 1439, 3}, {133, 1439, 2},
     {134, 1440, 8}, {135, 1440, 7}, {136, 1440, 5}, {137, 1440, 4}, {138, 1441, 8}, {139, 1441, 7},
     {140, 1441, 5}, {141, 1441, 4}, {142, 1441, 2}, {143, 1441, 1}, {144, 1442, 7}, {145, 1442, 6},
     {146, 1442, 4}, {147, 1442, 3}, {148, 1443, 6}, {149, 1443, 5}, {150, 1443, 3}, {151, 1443, 2},
     {152, 1444, 8}, {153, 1444, 7}, {155, 1444, 5}, {156, 1444, 4}, {157, 1445, 8}, {158, 1445, 7},
     {159, 1445, 5}, {160, 1445, 4}, {162, 1445, 2}, {163, 1445, 1}, {164, 1446, 7}, {165, 1446, 6},
     {166, 1446, 4}, {167, 1446, 3}, {169, 1447, 6}, {170, 1447, 5}, {171, 1447, 3}, {172, 1447, 2},
     {173, 1448, 8}, {174, 1448, 7}, {176, 1448, 5}, {177, 1448, 4}, {178, 1449, 8}, {179, 1449, 7},
     {180, 1449, 5}, {181, 1449, 4}, {183, 1449, 2}, {184, 1449, 1}, {185, 1450, 7}, {186, 1450, 6},
     {187, 1450, 4}, {188, 1450, 3}, {190, 1450, 1}, {191, 1451, 8}, {192, 1451, 6}, {193, 1451, 5},
     {194, 1451, 3}, {195, 1451, 2}, {197, 1452, 8}, {198, 1452, 7}, {199, 1452, 5}, {200, 1452, 4},
     {201, 1453, 8}, {202, 1453, 7}, {204, 1453, 5}, {205, 1453, 4}, {206, 1453, 2}, {207, 1453, 1},
     {208, 1454, 7}, {209, 1454, 6}, {211, 1454, 4}, {212, 1454, 3}, {213, 1454, 1}, {214, 1455, 8},
     {215, 1455, 6}, {216, 1455, 5}}};

}  // namespace

const std::vector<MainFieldEntry>& MainFieldMap() { return TheMaps().main; }

const MainFieldEntry* FindMainField(std::string_view control) {
  const auto& map = MainFieldMap();
  const auto it = std::find_if(map.begin(), map.end(),
                               [&](const MainFieldEntry& e) { return e.Control == control; });
  return it == map.end() ? nullptr : &*it;
}

ListRule ListRuleOf(std::string_view control) {
  constexpr std::string_view kFactionLists[] = {"ComboBox1_1", "ComboBox2_1", "ComboBox3_1"};
  if (std::find(std::begin(kFactionLists), std::end(kFactionLists), control) !=
      std::end(kFactionLists)) {
    return ListRule::Faction;
  }
  return control == "ComboBox6_1" ? ListRule::Scenario : ListRule::None;
}

const std::vector<TCellField>& SpecialFlagMap() {
  static const std::vector<TCellField> map = [] {
    std::vector<TCellField> v;
    v.reserve(kSpecialFlags.size());
    for (const FlagBit& f : kSpecialFlags) v.push_back({f.Item, f.Byte, f.Bit, 1});
    return v;
  }();
  return map;
}

bool IsSpecialHeaderLine(int line) {
  return std::find(kSpecialHeaderLines.begin(), kSpecialHeaderLines.end(), line) !=
         kSpecialHeaderLines.end();
}

}  // namespace korvath
