#include "core/field_maps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace korvath {
namespace {

// The map as a table of the save layout: control, page, byte, bit, width, hint, caption. A caption
// of "*" is a name of the game's world that only has to be there.
struct Row {
  const char* control;
  int page;
  int byte, bit, width;
  const char* hint;
  const char* caption;
};
const Row kExpected[] = {{"ComboBox1_1", 0, 1604, 0, 4, "", "勢力"},
                         {"Edit1_1", 0, 1622, 0, 24, "MAX 9,999,999", "総資金"},
                         {"Edit1_2", 0, 1625, 0, 24, "MAX 9,999,999", "総資源"},
                         {"Edit1_3", 0, 1613, 0, 7, "MAX 100", "諜報部能力"},
                         {"CheckBox1_1", 0, 1530, 1, 1, "", ""},
                         {"Edit1_4", 0, 1604, 4, 5, "MAX 20", "基礎Lv"},
                         {"Edit1_5", 0, 1604, 9, 5, "MAX 20", "*"},
                         {"Edit1_6", 0, 1604, 14, 5, "MAX 20", "*"},
                         {"Edit1_7", 0, 1604, 19, 5, "MAX 20", "敵性Lv"},
                         {"Edit1_8", 0, 1607, 0, 7, "MAX 100", "グラフ"},
                         {"Edit1_9", 0, 1607, 7, 7, "MAX 100", "グラフ"},
                         {"Edit1_10", 0, 1608, 6, 7, "MAX 100", "グラフ"},
                         {"Edit1_11", 0, 1609, 5, 7, "MAX 100", "グラフ"},
                         {"CheckBox1_2", 0, 1530, 4, 1, "", ""},
                         {"CheckBox1_3", 0, 1530, 3, 1, "", ""},
                         {"CheckBox1_4", 0, 1530, 2, 1, "", ""},
                         {"Edit1_12", 0, 1615, 5, 7, "MAX 100", "*"},
                         {"Edit1_13", 0, 1616, 4, 7, "MAX 100", "*"},
                         {"Edit1_14", 0, 1617, 3, 7, "MAX 100", "*"},
                         {"Edit1_15", 0, 1618, 2, 7, "MAX 100", "軍需産業"},
                         {"Edit1_16", 0, 1619, 1, 7, "MAX 100", "敵・軍需産業"},
                         {"Edit1_17", 0, 1613, 7, 7, "MAX 100", "敵勢力１"},
                         {"Edit1_18", 0, 1614, 6, 7, "MAX 100", "敵勢力２"},
                         {"CheckBox1_5", 0, 1603, 4, 1, "", ""},
                         {"CheckBox1_6", 0, 1603, 3, 1, "", ""},
                         {"CheckBox1_7", 0, 1603, 2, 1, "", ""},
                         {"CheckBox1_8", 0, 1603, 1, 1, "", ""},
                         {"CheckBox1_9", 0, 1603, 0, 1, "", ""},
                         {"CheckBox1_10", 0, 1602, 7, 1, "", ""},
                         {"CheckBox1_11", 0, 1602, 6, 1, "", ""},
                         {"StringGrid1_1", 0, 17295, 6, 9, "", "開発プラン"},
                         {"StringGrid1_2", 0, 1676, 0, 175, "", "部隊データ"},
                         {"ComboBox2_1", 1, 1628, 0, 4, "", "勢力"},
                         {"Edit2_1", 1, 1646, 0, 24, "MAX 9,999,999", "総資金"},
                         {"Edit2_2", 1, 1649, 0, 24, "MAX 9,999,999", "総資源"},
                         {"Edit2_3", 1, 1637, 0, 7, "MAX 100", "諜報部能力"},
                         {"Edit2_4", 1, 1628, 4, 5, "MAX 20", "基礎Lv"},
                         {"Edit2_5", 1, 1628, 9, 5, "MAX 20", "*"},
                         {"Edit2_6", 1, 1628, 14, 5, "MAX 20", "*"},
                         {"Edit2_7", 1, 1628, 19, 5, "MAX 20", "敵性Lv"},
                         {"Edit2_8", 1, 1631, 0, 7, "MAX 100", "グラフ"},
                         {"Edit2_9", 1, 1631, 7, 7, "MAX 100", "グラフ"},
                         {"Edit2_10", 1, 1632, 6, 7, "MAX 100", "グラフ"},
                         {"Edit2_11", 1, 1633, 5, 7, "MAX 100", "グラフ"},
                         {"Edit2_12", 1, 1639, 5, 7, "MAX 100", "*"},
                         {"Edit2_13", 1, 1640, 4, 7, "MAX 100", "*"},
                         {"Edit2_14", 1, 1641, 3, 7, "MAX 100", "*"},
                         {"Edit2_15", 1, 1642, 2, 7, "MAX 100", "軍需産業"},
                         {"Edit2_16", 1, 1643, 1, 7, "MAX 100", "敵・軍需産業"},
                         {"StringGrid2_1", 1, 17593, 7, 9, "", "開発プラン"},
                         {"StringGrid2_2", 1, 6051, 0, 175, "", "部隊データ"},
                         {"ComboBox3_1", 2, 1652, 0, 4, "", "勢力"},
                         {"Edit3_1", 2, 1670, 0, 24, "MAX 9,999,999", "総資金"},
                         {"Edit3_2", 2, 1673, 0, 24, "MAX 9,999,999", "総資源"},
                         {"Edit3_3", 2, 1661, 0, 7, "MAX 100", "諜報部能力"},
                         {"Edit3_4", 2, 1652, 4, 5, "MAX 20", "基礎Lv"},
                         {"Edit3_5", 2, 1652, 9, 5, "MAX 20", "*"},
                         {"Edit3_6", 2, 1652, 14, 5, "MAX 20", "*"},
                         {"Edit3_7", 2, 1652, 19, 5, "MAX 20", "敵性Lv"},
                         {"Edit3_8", 2, 1655, 0, 7, "MAX 100", "グラフ"},
                         {"Edit3_9", 2, 1655, 7, 7, "MAX 100", "グラフ"},
                         {"Edit3_10", 2, 1656, 6, 7, "MAX 100", "グラフ"},
                         {"Edit3_11", 2, 1657, 5, 7, "MAX 100", "グラフ"},
                         {"Edit3_12", 2, 1663, 5, 7, "MAX 100", "*"},
                         {"Edit3_13", 2, 1664, 4, 7, "MAX 100", "*"},
                         {"Edit3_14", 2, 1665, 3, 7, "MAX 100", "*"},
                         {"Edit3_15", 2, 1666, 2, 7, "MAX 100", "軍需産業"},
                         {"Edit3_16", 2, 1667, 1, 7, "MAX 100", "敵・軍需産業"},
                         {"StringGrid3_1", 2, 17892, 0, 9, "", "開発プラン"},
                         {"StringGrid3_2", 2, 10426, 0, 175, "", "部隊データ"},
                         {"StringGrid4_1", 3, 14801, 0, 52, "", ""},
                         {"StringGrid5_1", 4, 16736, 4, 112, "", "特別エリア 生産ドック"},
                         {"StringGrid5_2", 4, 17002, 4, 23, "", "エリア 支配勢力"},
                         {"ComboBox6_1", 5, 436, 4, 7, "", "シナリオ"},
                         {"Edit6_1", 5, 436, 4, 7, "MAX 100", "ターン数"},
                         {"CheckBox6_1", 5, 1478, 3, 1, "", "*"},
                         {"CheckBox6_2", 5, 1478, 4, 1, "", "*"},
                         {"CheckBox6_3", 5, 1478, 5, 1, "", "*"},
                         {"CheckBox6_4", 5, 1478, 6, 1, "", "*"},
                         {"CheckBox6_5", 5, 1478, 7, 1, "", "*"},
                         {"CheckBox6_10", 5, 1479, 0, 1, "", "*"},
                         {"CheckBox6_11", 5, 1479, 1, 1, "", "*"},
                         {"CheckBox6_12", 5, 1479, 2, 1, "", "*"},
                         {"CheckBox6_13", 5, 1479, 3, 1, "", "*"},
                         {"CheckBox6_14", 5, 1479, 4, 1, "", "*"},
                         {"CheckBox6_15", 5, 1479, 5, 1, "", "*"},
                         {"CheckBox6_16", 5, 1479, 6, 1, "", "*"},
                         {"CheckBox6_17", 5, 1479, 7, 1, "", "*"},
                         {"CheckBox6_18", 5, 1480, 0, 1, "", "*"},
                         {"CheckBox6_19", 5, 1480, 1, 1, "", "*"},
                         {"CheckBox6_20", 5, 1480, 2, 1, "", "*"},
                         {"CheckBox6_21", 5, 1480, 3, 1, "", "*"},
                         {"CheckBox6_22", 5, 1480, 4, 1, "", "*"},
                         {"CheckBox6_23", 5, 1480, 5, 1, "", "*"},
                         {"CheckBox6_24", 5, 1480, 6, 1, "", "*"},
                         {"CheckBox6_25", 5, 1480, 7, 1, "", "*"},
                         {"CheckBox6_26", 5, 1481, 0, 1, "", "*"},
                         {"CheckBox6_27", 5, 1481, 1, 1, "", "*"},
                         {"CheckBox6_28", 5, 1481, 2, 1, "", "*"},
                         {"CheckListBox6_1", 5, 1413, 0, 0, "", "特別プラン"}};

ControlKind KindOf(std::string_view control) {
  if (control.starts_with("Edit")) return ControlKind::Edit;
  if (control.starts_with("CheckBox")) return ControlKind::CheckBox;
  if (control.starts_with("ComboBox")) return ControlKind::ComboBox;
  if (control.starts_with("CheckListBox")) return ControlKind::CheckList;
  return ControlKind::StringGrid;
}

TEST(MainFieldMap, MatchesTheLayoutRowByRow) {
  const auto& map = MainFieldMap();
  ASSERT_EQ(map.size(), std::size(kExpected));
  for (std::size_t i = 0; i < map.size(); ++i) {
    const Row& want = kExpected[i];
    const MainFieldEntry& got = map[i];
    SCOPED_TRACE("entry " + std::to_string(i + 1) + " " + want.control);
    EXPECT_EQ(got.Control, want.control);
    EXPECT_EQ(got.Kind, KindOf(want.control));
    EXPECT_EQ(got.Page, want.page);
    EXPECT_EQ(got.Field.ByteOffset, want.byte);
    EXPECT_EQ(got.Field.BitOffset, want.bit);
    EXPECT_EQ(got.Field.BitWidth, want.width);
    EXPECT_EQ(got.Hint, want.hint);
    if (std::string_view(want.caption) == "*") {
      EXPECT_FALSE(got.Caption.empty());
    } else {
      EXPECT_EQ(got.Caption, want.caption);
    }
  }
}

TEST(MainFieldMap, InventedCaptionsFollowTheirRules) {
  for (const char* page : {"1", "2", "3"}) {
    for (const char* n : {"_5", "_6"}) {
      const std::string name = std::string("Edit") + page + n;
      ASSERT_NE(FindMainField(name), nullptr) << name;
      EXPECT_TRUE(FindMainField(name)->Caption.ends_with("Lv")) << name;
      EXPECT_EQ(FindMainField(name)->Caption, FindMainField(std::string("Edit1") + n)->Caption);
    }
  }
  EXPECT_NE(FindMainField("Edit1_5")->Caption, FindMainField("Edit1_6")->Caption);
  // The last four invasion flags name the same areas as the four existence flags after the first.
  for (int i = 0; i < 4; ++i) {
    const auto* existence = FindMainField("CheckBox6_" + std::to_string(2 + i));
    const auto* invasion = FindMainField("CheckBox6_" + std::to_string(25 + i));
    ASSERT_NE(existence, nullptr);
    ASSERT_NE(invasion, nullptr);
    EXPECT_EQ(existence->Caption, invasion->Caption);
  }
}

TEST(MainFieldMap, FindsOnlyBoundControls) {
  const MainFieldEntry* e = FindMainField("Edit3_16");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->Field.ByteOffset, 1667);
  EXPECT_EQ(FindMainField("Edit2_17"), nullptr);  // enemy pages do not bind their enemy values
  EXPECT_EQ(FindMainField("CheckBox2_1"), nullptr);
  EXPECT_EQ(FindMainField("CheckBox6_6"), nullptr);
  EXPECT_EQ(FindMainField("StringGrid7_1"), nullptr);
  EXPECT_EQ(FindMainField(""), nullptr);
}

TEST(MainFieldMap, NoTwoScalarEntriesShareABit) {
  std::map<int, std::string> owner;
  for (const auto& e : MainFieldMap()) {
    const bool scalar = e.Kind == ControlKind::Edit || e.Kind == ControlKind::CheckBox ||
                        e.Kind == ControlKind::ComboBox;
    // The scenario list only mirrors the turn count's numbers and never uses them.
    if (!scalar || e.Control == "ComboBox6_1") continue;
    EXPECT_LE(e.Field.BitOffset + e.Field.BitWidth, 32) << e.Control;
    const int first = 8 * e.Field.ByteOffset + e.Field.BitOffset;
    for (int p = first; p < first + e.Field.BitWidth; ++p) {
      const auto [it, fresh] = owner.emplace(p, std::string(e.Control));
      EXPECT_TRUE(fresh) << e.Control << " and " << it->second << " share bit " << p;
    }
  }
  const auto* scenario = FindMainField("ComboBox6_1");
  const auto* turns = FindMainField("Edit6_1");
  EXPECT_EQ(scenario->Field.ByteOffset, turns->Field.ByteOffset);
  EXPECT_EQ(scenario->Field.BitOffset, turns->Field.BitOffset);
  EXPECT_EQ(scenario->Field.BitWidth, turns->Field.BitWidth);
}

TEST(MainFieldMap, TablesOfEachKindLieBackToBack) {
  const auto start = [](const char* grid) {
    const auto& f = FindMainField(grid)->Field;
    return 8 * f.ByteOffset + f.BitOffset;
  };
  EXPECT_EQ(start("StringGrid1_1") + 265 * 9, start("StringGrid2_1"));
  EXPECT_EQ(start("StringGrid2_1") + 265 * 9, start("StringGrid3_1"));
  EXPECT_EQ(start("StringGrid1_2") + 200 * 175, start("StringGrid2_2"));
  EXPECT_EQ(start("StringGrid2_2") + 200 * 175, start("StringGrid3_2"));
}

// Writing through an entry changes exactly the bytes the save layout says.
TEST(MainFieldMap, StoresLandOnTheirBits) {
  struct Case {
    const char* control;
    int32_t value;
    int32_t at;
    std::vector<std::uint8_t> before, after;
  };
  const Case cases[] = {
      // 20 = 10100: low nibble of 1604 and the top bit of 1605; faction and levels kept.
      {"Edit1_4", 20, 1604, {0xAF, 0xFF, 0xFF}, {0xAA, 0x7F, 0xFF}},
      {"Edit3_1", 9999999, 1670, {0, 0, 0, 0x5A}, {0x98, 0x96, 0x7F, 0x5A}},
      {"Edit1_9", 127, 1607, {0, 0, 0}, {0x01, 0xFC, 0}},
      {"Edit1_9", 0, 1607, {0xFF, 0xFF, 0xFF}, {0xFE, 0x03, 0xFF}},
      {"CheckBox6_17", 1, 1478, {0, 0, 0}, {0, 0x01, 0}},
      {"CheckBox6_1", 1, 1478, {0, 0, 0}, {0x10, 0, 0}},
      {"CheckBox6_28", 1, 1481, {0, 0}, {0x20, 0}},
      {"Edit1_17", 127, 1613, {0, 0, 0}, {0x01, 0xFC, 0}},
      {"Edit1_18", 127, 1614, {0, 0, 0}, {0x03, 0xF8, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.control);
    const MainFieldEntry* e = FindMainField(c.control);
    ASSERT_NE(e, nullptr);
    SaveImage image;
    image.Length = SaveImage::Capacity;
    std::copy(c.before.begin(), c.before.end(), image.Bytes.begin() + c.at);
    WriteBits(image, e->Field, c.value);
    EXPECT_EQ(std::vector<std::uint8_t>(image.Bytes.begin() + c.at,
                                        image.Bytes.begin() + c.at + int(c.after.size())),
              c.after);
  }
}

// The flags as the save layout lists them, grouped by byte.
struct ByteFlags {
  int byte;
  std::vector<std::pair<int, int>> itemAndBit;
};
const ByteFlags kFlagsByByte[] = {
    {1413, {{1, 8}, {2, 7}, {3, 5}, {4, 4}, {5, 2}, {6, 1}}},
    {1414, {{7, 7}, {8, 6}, {9, 4}, {10, 3}, {11, 1}}},
    {1415, {{12, 8}, {13, 6}, {14, 5}, {15, 3}, {16, 2}}},
    {1416, {{17, 8}, {18, 7}, {19, 5}, {20, 4}}},
    {1417, {{21, 8}, {22, 7}, {23, 5}, {24, 4}, {25, 2}, {26, 1}}},
    {1418, {{27, 7}, {28, 6}, {29, 4}, {30, 3}, {31, 1}}},
    {1419, {{32, 8}, {33, 6}, {34, 5}, {35, 3}, {36, 2}}},
    {1420, {{37, 8}, {38, 7}, {39, 5}, {40, 4}}},
    {1421, {{41, 8}, {42, 7}, {43, 5}, {44, 4}, {45, 2}, {46, 1}}},
    {1422, {{47, 7}, {48, 6}, {49, 4}, {50, 3}, {52, 2}, {53, 1}}},
    {1423, {{51, 7}, {54, 8}, {55, 6}, {56, 5}, {57, 3}, {58, 2}}},
    {1424, {{59, 8}, {60, 7}, {61, 5}, {62, 4}, {66, 3}}},
    {1425, {{63, 6}, {64, 8}, {65, 7}, {67, 5}, {68, 4}, {69, 2}, {70, 1}}},
    {1426, {{71, 7}, {72, 6}, {73, 4}, {74, 3}, {75, 1}}},
    {1427, {{76, 8}, {77, 6}, {78, 5}, {79, 3}, {80, 2}}},
    {1428, {{81, 8}, {82, 7}, {83, 5}, {84, 4}}},
    {1430, {{86, 4}, {87, 3}, {88, 1}}},
    {1431, {{89, 8}, {90, 6}, {91, 5}, {92, 3}, {93, 2}}},
    {1432, {{94, 8}, {95, 7}, {96, 5}, {97, 4}}},
    {1433, {{98, 8}, {99, 7}, {100, 5}, {101, 4}, {102, 2}, {103, 1}}},
    {1434, {{104, 7}, {105, 6}, {106, 4}, {107, 3}, {108, 1}}},
    {1435, {{109, 8}, {110, 6}, {111, 5}, {112, 3}, {113, 2}}},
    {1436, {{114, 8}, {115, 7}, {116, 5}, {117, 4}}},
    {1437, {{118, 8}, {119, 7}, {120, 5}, {121, 4}, {122, 2}, {123, 1}}},
    {1438, {{124, 7}, {125, 6}, {126, 4}, {127, 3}, {128, 1}}},
    {1439, {{129, 8}, {130, 6}, {131, 5}, {132, 3}, {133, 2}}},
    {1440, {{134, 8}, {135, 7}, {136, 5}, {137, 4}}},
    {1441, {{138, 8}, {139, 7}, {140, 5}, {141, 4}, {142, 2}, {143, 1}}},
    {1442, {{144, 7}, {145, 6}, {146, 4}, {147, 3}}},
    {1443, {{148, 6}, {149, 5}, {150, 3}, {151, 2}}},
    {1444, {{152, 8}, {153, 7}, {155, 5}, {156, 4}}},
    {1445, {{157, 8}, {158, 7}, {159, 5}, {160, 4}, {162, 2}, {163, 1}}},
    {1446, {{164, 7}, {165, 6}, {166, 4}, {167, 3}}},
    {1447, {{169, 6}, {170, 5}, {171, 3}, {172, 2}}},
    {1448, {{173, 8}, {174, 7}, {176, 5}, {177, 4}}},
    {1449, {{178, 8}, {179, 7}, {180, 5}, {181, 4}, {183, 2}, {184, 1}}},
    {1450, {{185, 7}, {186, 6}, {187, 4}, {188, 3}, {190, 1}}},
    {1451, {{191, 8}, {192, 6}, {193, 5}, {194, 3}, {195, 2}}},
    {1452, {{197, 8}, {198, 7}, {199, 5}, {200, 4}}},
    {1453, {{201, 8}, {202, 7}, {204, 5}, {205, 4}, {206, 2}, {207, 1}}},
    {1454, {{208, 7}, {209, 6}, {211, 4}, {212, 3}, {213, 1}}},
    {1455, {{214, 8}, {215, 6}, {216, 5}}}};

int AbsoluteBit(const TCellField& f) { return 8 * f.ByteOffset + f.BitOffset; }

TEST(SpecialFlagMap, CoversExactlyTheListedBitsInItemOrder) {
  std::vector<TCellField> listed;
  for (const auto& row : kFlagsByByte) {
    for (const auto& [item, bit] : row.itemAndBit) listed.push_back({item, row.byte, bit, 1});
  }
  std::sort(listed.begin(), listed.end(),
            [](const TCellField& a, const TCellField& b) { return a.ItemIndex < b.ItemIndex; });
  const auto& map = SpecialFlagMap();
  ASSERT_EQ(map.size(), 206u);
  ASSERT_EQ(listed.size(), map.size());
  std::set<int> bits;
  for (std::size_t i = 0; i < map.size(); ++i) {
    SCOPED_TRACE("item " + std::to_string(listed[i].ItemIndex));
    EXPECT_EQ(map[i].ItemIndex, listed[i].ItemIndex);
    EXPECT_EQ(AbsoluteBit(map[i]), AbsoluteBit(listed[i]));
    EXPECT_EQ(map[i].BitWidth, 1);
    EXPECT_GE(map[i].BitOffset, 1);
    EXPECT_LE(map[i].BitOffset, 8);
    EXPECT_GE(AbsoluteBit(map[i]), 8 * 1413 + 1);
    EXPECT_LE(AbsoluteBit(map[i]), 8 * 1456);
    EXPECT_TRUE(bits.insert(AbsoluteBit(map[i])).second);
  }
}

TEST(SpecialFlagMap, ItemsOutOfByteOrderKeepTheirItemOrder) {
  const auto& map = SpecialFlagMap();
  const auto at = [&](int item) {
    return std::find_if(map.begin(), map.end(),
                        [&](const TCellField& f) { return f.ItemIndex == item; }) -
           map.begin();
  };
  EXPECT_EQ(at(51), at(50) + 1);
  EXPECT_EQ(at(52), at(51) + 1);
  EXPECT_EQ(map[std::size_t(at(51))].ByteOffset, 1423);
  EXPECT_EQ(at(66), at(65) + 1);
  EXPECT_EQ(at(67), at(66) + 1);
  EXPECT_EQ(map[std::size_t(at(66))].ByteOffset, 1424);
}

TEST(SpecialFlagMap, HeaderLinesCarryNoFlag) {
  std::set<int> items;
  for (const auto& f : SpecialFlagMap()) {
    EXPECT_FALSE(IsSpecialHeaderLine(f.ItemIndex)) << f.ItemIndex;
    items.insert(f.ItemIndex);
  }
  int headers = 0;
  for (int line = 0; line <= 216; ++line) {
    if (IsSpecialHeaderLine(line)) {
      ++headers;
    } else {
      EXPECT_TRUE(items.count(line)) << "line " << line << " has no flag";
    }
  }
  EXPECT_EQ(headers, 11);
  EXPECT_TRUE(IsSpecialHeaderLine(0));
  EXPECT_TRUE(IsSpecialHeaderLine(210));
  EXPECT_FALSE(IsSpecialHeaderLine(-1));
  EXPECT_FALSE(IsSpecialHeaderLine(217));
}

TEST(SpecialFlagMap, ReadsTheFlagsOfAByte) {
  SaveImage image;
  image.Length = SaveImage::Capacity;
  image.Bytes[1414] = 0x81;
  std::vector<int> checked;
  for (const auto& f : SpecialFlagMap()) {
    if (ReadBits(image, f) != 0) checked.push_back(f.ItemIndex);
  }
  EXPECT_EQ(checked, (std::vector<int>{1, 7}));
}

TEST(SpecialFlagMap, StoringLeavesUnnamedBitsAlone) {
  SaveImage image;
  image.Length = SaveImage::Capacity;
  image.Bytes[1413] = 0xFF;
  for (const auto& f : SpecialFlagMap()) WriteBits(image, f, f.ItemIndex == 2 ? 1 : 0);
  // Items 2 (0x01) set; 3 to 6 (0x04, 0x08, 0x20, 0x40) cleared; 0x80, 0x10, 0x02 untouched.
  EXPECT_EQ(image.Bytes[1413], 0x80 | 0x10 | 0x02 | 0x01);
  EXPECT_EQ(image.Bytes[1414], 0x00);
}

}  // namespace
}  // namespace korvath
