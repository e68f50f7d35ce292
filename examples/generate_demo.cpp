// korvath-demo-gen OUTDIR: writes six invented label files and a demo save into OUTDIR.
//
// The save is built through the working copy, exactly as the editor would store typed values,
// so no record layout is spelled out a second time here.

#include <array>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/field_maps.h"
#include "core/file_io.h"
#include "core/grid_layout.h"
#include "core/label_list.h"
#include "core/save_image.h"
#include "core/working_copy.h"

namespace {

using korvath::GridId;
using korvath::WorkingCopy;
namespace fs = std::filesystem;

// A fixed-seed generator whose sequence is the same on every platform (unlike the standard
// distributions, whose results are implementation-defined).
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint32_t Next() {
    state_ += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return std::uint32_t((z ^ (z >> 31)) >> 32);
  }
  // lo..hi inclusive.
  int Between(int lo, int hi) { return lo + int(Next() % std::uint32_t(hi - lo + 1)); }
  bool Chance(int percent) { return Between(1, 100) <= percent; }

 private:
  std::uint64_t state_;
};

std::string Str(int v) { return std::to_string(v); }

// --- Label files -------------------------------------------------------------------------------

struct UnitBase {
  std::string_view Name;
  std::string_view Kind;
  int Durability;
  int Supplies;
  int Capacity;
};
constexpr std::array<UnitBase, 25> kUnitBases = {{
    {"歩兵隊", "陸上", 60, 30, 0},    {"機動歩兵", "陸上", 80, 40, 0},
    {"軽戦車", "陸上", 120, 50, 0},   {"中戦車", "陸上", 180, 60, 0},
    {"重戦車", "陸上", 260, 70, 0},   {"自走砲", "陸上", 140, 80, 0},
    {"対空戦車", "陸上", 130, 60, 0}, {"装甲車", "陸上", 100, 40, 0},
    {"工兵隊", "陸上", 70, 50, 0},    {"補給車", "陸上", 90, 200, 0},
    {"戦闘機", "航空", 90, 40, 0},    {"攻撃機", "航空", 110, 50, 0},
    {"爆撃機", "航空", 150, 80, 0},   {"偵察機", "航空", 60, 60, 0},
    {"輸送機", "航空", 120, 150, 2},  {"回転翼機", "航空", 80, 40, 0},
    {"駆逐艦", "艦船", 300, 150, 0},  {"巡洋艦", "艦船", 450, 200, 0},
    {"戦艦", "艦船", 700, 300, 0},    {"潜水艦", "艦船", 250, 120, 0},
    {"揚陸艦", "艦船", 350, 250, 4},  {"空母", "艦船", 600, 350, 6},
    {"輸送艦", "艦船", 280, 400, 8},  {"哨戒艇", "艦船", 150, 80, 0},
    {"工作艦", "艦船", 320, 300, 2},
}};
constexpr std::array<std::string_view, 12> kVariants = {"",       "改",     "Ａ型",     "Ｂ型",
                                                        "Ｃ型",   "後期型", "試作型",   "指揮官型",
                                                        "強化型", "量産型", "寒冷地型", "高速型"};

// Unit type id of a base and variant; id 0 is "なし".
int TypeId(int base, int variant) { return 1 + base * int(kVariants.size()) + variant; }

struct UnitType {
  std::string Name;
  std::string Kind;
  int Durability = 0;
  int Supplies = 0;
  int Capacity = 0;
};

std::vector<UnitType> UnitTypes() {
  std::vector<UnitType> types{{"なし", "-", 0, 0, 0}};
  for (const UnitBase& b : kUnitBases) {
    for (std::size_t v = 0; v < kVariants.size(); ++v) {
      const int percent = 100 + 3 * int(v);
      types.push_back({std::string(b.Name) + std::string(kVariants[v]), std::string(b.Kind),
                       b.Durability * percent / 100, b.Supplies * percent / 100,
                       b.Capacity == 0 ? 0 : b.Capacity + int(v % 3 == 2)});
    }
  }
  return types;
}

constexpr std::array<std::string_view, 8> kAreaPrefixes = {"北",   "南",   "東", "西",
                                                           "中央", "外縁", "旧", "新"};
constexpr std::array<std::string_view, 10> kAreaTerrains = {"平原", "丘陵", "渓谷", "港湾", "砂漠",
                                                            "森林", "高地", "湿原", "氷原", "盆地"};
constexpr int kAreaCount = 80;

constexpr std::array<std::string_view, 16> kFamilyNames = {
    "青木", "石田", "上野", "大森", "金子", "北村", "工藤", "小松",
    "桜井", "島田", "杉本", "高野", "千葉", "長尾", "西川", "野口"};
constexpr std::array<std::string_view, 10> kGivenNames = {"湊", "蓮", "葵",   "陽菜", "悠",
                                                          "凛", "颯", "結衣", "翔",   "澪"};
constexpr int kPilotNames = 160;

constexpr std::array<std::string_view, 12> kRanks = {"二等兵", "一等兵", "上等兵", "伍長",
                                                     "軍曹",   "曹長",   "少尉",   "中尉",
                                                     "大尉",   "少佐",   "中佐",   "大佐"};

constexpr std::array<std::string_view, 19> kPlanTopics = {
    "装甲", "機関", "射撃統制", "通信", "電子戦", "航法", "推進", "素材", "補給", "医療",
    "索敵", "防空", "砲熕",     "誘導", "工作",   "輸送", "建設", "暗号", "気象"};
constexpr int kPlanCount = 265;

constexpr std::array<std::string_view, 24> kSpecialWords = {
    "暁",   "黎明",   "灯台", "白波", "鉄壁", "疾風", "遠雷", "星影",
    "朝霧", "砂時計", "青嵐", "氷柱", "篝火", "翡翠", "月虹", "北斗",
    "稲妻", "若葉",   "潮騒", "銀河", "深雪", "紅葉", "蒼穹", "陽炎"};
constexpr int kSpecialCount = 217;
constexpr std::array<std::string_view, 9> kFullWidthDigits = {"１", "２", "３", "４", "５",
                                                              "６", "７", "８", "９"};

std::vector<std::string> PlanLines() {
  std::vector<std::string> lines;
  for (int i = 0; i < kPlanCount; ++i) {
    const auto topic = kPlanTopics[std::size_t(i) % kPlanTopics.size()];
    const int stage = i / int(kPlanTopics.size()) + 1;
    lines.push_back(std::string(topic) + "技術研究 第" + Str(stage) + "段階");
  }
  return lines;
}

std::vector<std::string> UnitLines(const std::vector<UnitType>& types) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < types.size(); ++i) {
    const UnitType& t = types[i];
    lines.push_back(Str(int(i)) + " " + t.Name + "\t" + t.Kind + "\t" + Str(t.Durability) + "\t" +
                    Str(t.Supplies) + "\t" + Str(t.Capacity));
  }
  return lines;
}

std::vector<std::string> PilotLines() {
  std::vector<std::string> lines;
  for (int i = 0; i < kPilotNames; ++i) {
    const auto family = kFamilyNames[std::size_t(i) % kFamilyNames.size()];
    // The given name moves on by one per round of family names, so no two pilots share both.
    const auto given =
        kGivenNames[std::size_t(i + i / int(kFamilyNames.size())) % kGivenNames.size()];
    lines.push_back(Str(i) + " " + std::string(family) + " " + std::string(given));
  }
  return lines;
}

std::vector<std::string> AreaLines(std::vector<int>& bases, Random& rng) {
  std::vector<std::string> lines;
  for (int i = 0; i < kAreaCount; ++i) {
    const auto prefix = kAreaPrefixes[std::size_t(i) / kAreaTerrains.size()];
    const auto terrain = kAreaTerrains[std::size_t(i) % kAreaTerrains.size()];
    bases.push_back(rng.Between(0, 8));
    lines.push_back(Str(i) + " " + std::string(prefix) + std::string(terrain) + "\t" +
                    Str(bases.back()));
  }
  return lines;
}

std::vector<std::string> SpecialLines() {
  std::vector<std::string> lines;
  int section = 0;
  int word = 0;
  for (int line = 0; line < kSpecialCount; ++line) {
    if (korvath::IsSpecialHeaderLine(line)) {
      if (section == 0)
        lines.emplace_back("―― 第１部 ――");
      else if (section == 1)
        lines.emplace_back("―― 第２部 ――");
      else
        lines.push_back("―― 特別編 その" + std::string(kFullWidthDigits[std::size_t(section - 2)]) +
                        " ――");
      ++section;
      continue;
    }
    const auto name = kSpecialWords[std::size_t(word) % kSpecialWords.size()];
    const int round = word / int(kSpecialWords.size()) + 1;
    lines.push_back(std::string(name) + "作戦 其の" + Str(round));
    ++word;
  }
  return lines;
}

void WriteLabelFile(const fs::path& dir, const char* name, const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  const std::string bytes = korvath::EncodeCp932(text);
  if (!korvath::WriteSaveFile(
          dir / name, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()})) {
    throw std::runtime_error("cannot write " + (dir / name).string());
  }
}

// --- The demo save -----------------------------------------------------------------------------

// Unit table columns.
enum UnitColumn {
  kType = 1,
  kDurability = 3,
  kSupplies = 4,
  kFatigue = 5,
  kMorale = 6,
  kPilot = 7,
  kArea = 9,
  kCarried = 11,
  kCarrier = 12,
  kMove = 13,
  kDestination = 14,
  kInBattle = 16,
  kX = 17,
  kY = 18,
  kStack = 19,
};
constexpr int kUnitSlots = 200;
constexpr int kPilotRecords = 200;
constexpr std::array<std::string_view, 5> kMoves = {"", "移動", "突入", "打上", "進入"};

struct Force {
  int faction;
  int units;
  int firstPilot, pilotCount;  // the force's pilots in pilot.txt
  int firstArea, areaCount;    // where its units stand
};
constexpr std::array<Force, 3> kForces = {{
    {0, 42, 0, 60, 0, 30},
    {4, 36, 60, 50, 30, 28},
    {7, 30, 110, 50, 52, 26},
}};

struct ForceValues {
  std::string_view money, resources, intelligence;
  std::array<int, 4> levels;  // base, class 1, class 2, enemy
  std::array<int, 4> graphs;
  std::array<int, 5> others;  // outside parties 1..3, industry, enemy industry
};
constexpr std::array<ForceValues, 3> kForceValues = {{
    {"1250000", "864000", "45", {12, 9, 7, 10}, {60, 35, 20, 50}, {30, 55, 10, 70, 40}},
    {"2480000", "1530000", "60", {14, 11, 6, 9}, {75, 45, 15, 40}, {20, 25, 65, 80, 35}},
    {"730500", "412800", "30", {8, 5, 12, 11}, {40, 20, 85, 55}, {50, 10, 35, 45, 60}},
}};

struct PilotState {
  int affiliation = 3;
  int state = 2;  // not yet on stage
  int area = 0;
  bool boarded = false;
};

void SetForceControls(WorkingCopy& wc, int f) {
  const std::string page = Str(f + 1);
  const ForceValues& v = kForceValues[std::size_t(f)];
  wc.SetItemIndex("ComboBox" + page + "_1", kForces[std::size_t(f)].faction);
  wc.SetEditText("Edit" + page + "_1", std::string(v.money));
  wc.SetEditText("Edit" + page + "_2", std::string(v.resources));
  wc.SetEditText("Edit" + page + "_3", std::string(v.intelligence));
  for (int i = 0; i < 4; ++i) {
    wc.SetEditText("Edit" + page + "_" + Str(4 + i), Str(v.levels[std::size_t(i)]));
    wc.SetEditText("Edit" + page + "_" + Str(8 + i), Str(v.graphs[std::size_t(i)]));
  }
  for (int i = 0; i < 5; ++i) {
    wc.SetEditText("Edit" + page + "_" + Str(12 + i), Str(v.others[std::size_t(i)]));
  }
}

void SetPlans(WorkingCopy& wc, int f, Random& rng) {
  struct Choice {
    std::string_view state;
    bool hasTurn;
  };
  constexpr std::array<Choice, 6> kChoices = {{{"", false},
                                               {"次提案", true},
                                               {"NEW", true},
                                               {"資金１", true},
                                               {"資金２", true},
                                               {"END", false}}};
  const GridId grid = korvath::PlanGridOf(f);
  for (int row = 1; row <= kPlanCount; ++row) {
    // Early plans are mostly finished, late ones mostly untouched.
    const int progress = (kPlanCount - row) * 100 / kPlanCount;
    int pick = 0;
    if (rng.Chance(progress)) pick = rng.Chance(70) ? 5 : rng.Between(1, 4);
    const Choice& c = kChoices[std::size_t(pick)];
    wc.SetCell(grid, row, 1, std::string(c.state));
    wc.SetCell(grid, row, 2, c.hasTurn ? Str(rng.Between(1, 12)) : "0");
  }
}

void ClearUnitRow(WorkingCopy& wc, GridId grid, int row) {
  const std::array<std::pair<int, const char*>, 15> kEmpty = {{{kType, "511"},
                                                               {kDurability, "0"},
                                                               {kSupplies, "0"},
                                                               {kFatigue, "0"},
                                                               {kMorale, "0"},
                                                               {kPilot, "255"},
                                                               {kArea, "127"},
                                                               {kCarried, "0"},
                                                               {kCarrier, "0"},
                                                               {kMove, ""},
                                                               {kDestination, "0"},
                                                               {kInBattle, "0"},
                                                               {kX, "0"},
                                                               {kY, "0"},
                                                               {kStack, "0"}}};
  for (const auto& [column, text] : kEmpty) wc.SetCell(grid, row, column, text);
}

void SetUnits(WorkingCopy& wc, int f, const std::vector<UnitType>& types,
              std::vector<PilotState>& pilots, Random& rng) {
  const Force& force = kForces[std::size_t(f)];
  const GridId grid = korvath::UnitGridOf(f);
  int nextPilot = force.firstPilot;
  const int lastPilot = force.firstPilot + force.pilotCount * 3 / 4;  // the rest wait in reserve
  struct Carrier {
    int slot;
    int room;
  };
  std::vector<Carrier> carriers;
  for (int slot = 0; slot < kUnitSlots; ++slot) {
    const int row = slot + 1;
    ClearUnitRow(wc, grid, row);
    if (slot >= force.units) continue;
    const int base = rng.Between(0, int(kUnitBases.size()) - 1);
    const int type = TypeId(base, rng.Between(0, int(kVariants.size()) - 1));
    const UnitType& t = types[std::size_t(type)];
    const int area = force.firstArea + rng.Between(0, force.areaCount - 1);
    wc.SetCell(grid, row, kType, Str(type));
    wc.SetCell(grid, row, kDurability, Str(rng.Between(t.Durability / 2, t.Durability)));
    wc.SetCell(grid, row, kSupplies, Str(rng.Between(t.Supplies / 3, t.Supplies)));
    wc.SetCell(grid, row, kFatigue, Str(rng.Between(0, 40)));
    wc.SetCell(grid, row, kMorale, Str(rng.Between(50, 100)));
    if (nextPilot < lastPilot && (t.Kind != "陸上" || rng.Chance(40))) {
      wc.SetCell(grid, row, kPilot, Str(nextPilot));
      pilots[std::size_t(nextPilot)] = {f, 0, 127, true};
      ++nextPilot;
    }
    // Land units may ride along with a carrier of the same force that has room left.
    Carrier* ride = nullptr;
    if (t.Kind == "陸上" && rng.Chance(50)) {
      for (auto& c : carriers) {
        if (c.room > 0) {
          ride = &c;
          break;
        }
      }
    }
    if (ride != nullptr) {
      --ride->room;
      wc.SetCell(grid, row, kCarried, "1");
      wc.SetCell(grid, row, kCarrier, Str(ride->slot));
      continue;  // a carried unit has no area or orders of its own
    }
    wc.SetCell(grid, row, kArea, Str(area));
    if (t.Capacity > 0) carriers.push_back({slot, t.Capacity});
    if (rng.Chance(35)) {
      wc.SetCell(grid, row, kMove, std::string(kMoves[std::size_t(rng.Between(1, 4))]));
      wc.SetCell(grid, row, kDestination,
                 Str(force.firstArea + rng.Between(0, force.areaCount - 1)));
    }
    const bool inBattle = rng.Chance(15);
    wc.SetCell(grid, row, kInBattle, inBattle ? "1" : "0");
    wc.SetCell(grid, row, kX, Str(rng.Between(0, 31)));
    wc.SetCell(grid, row, kY, Str(rng.Between(0, 31)));
    wc.SetCell(grid, row, kStack, Str(rng.Between(0, 3)));
  }
  // Pilots of the force without a unit stand in one of its areas; a few are hurt or missing.
  for (int p = force.firstPilot; p < force.firstPilot + force.pilotCount; ++p) {
    PilotState& s = pilots[std::size_t(p)];
    if (s.boarded) continue;
    s.affiliation = f;
    s.area = force.firstArea + rng.Between(0, force.areaCount - 1);
    const int roll = rng.Between(1, 100);
    s.state = roll <= 70 ? 0 : roll <= 82 ? 1 : roll <= 92 ? 2 : roll <= 97 ? 3 : 4;
  }
}

void SetPilots(WorkingCopy& wc, const std::vector<PilotState>& pilots, Random& rng) {
  const GridId grid = GridId::StringGrid4_1;
  for (int p = 0; p < kPilotRecords; ++p) {
    const int row = p + 1;
    const PilotState& s = pilots[std::size_t(p)];
    const bool known = p < kPilotNames;
    const bool injured = s.state == 1;
    wc.SetCell(grid, row, 1, Str(s.boarded ? 127 : s.area));
    wc.SetCell(grid, row, 3, s.boarded ? "1" : "0");
    wc.SetCell(grid, row, 4, Str(s.affiliation));
    wc.SetCell(grid, row, 6, Str(s.state));
    wc.SetCell(grid, row, 8, Str(known ? rng.Between(0, int(kRanks.size()) - 1) : 0));
    wc.SetCell(grid, row, 10, Str(known ? rng.Between(0, 120) : 0));
    wc.SetCell(grid, row, 11, Str(known ? rng.Between(0, 999) : 0));
    wc.SetCell(grid, row, 12, Str(known ? rng.Between(40, 100) : 0));
    wc.SetCell(grid, row, 13, Str(injured ? rng.Between(2, 20) : 0));
    wc.SetCell(grid, row, 14, "0");
  }
}

void SetAreas(WorkingCopy& wc, const std::vector<int>& bases, const std::vector<UnitType>& types,
              Random& rng) {
  // Docks: a few special areas are building something.
  const GridId docks = GridId::StringGrid5_1;
  for (int row = 1; row <= 19 * 8; ++row) {
    const bool busy = rng.Chance(30);
    wc.SetCell(docks, row, 2, busy ? Str(rng.Between(1, int(types.size()) - 1)) : "0");
    wc.SetCell(docks, row, 4, busy ? Str(rng.Between(1, 6)) : "0");
  }
  // Area control: the ruler holds every base of a quiet area; contested areas are mixed.
  constexpr std::array<std::string_view, 4> kRulers = {"自", "敵１", "敵２", "中/無"};
  const GridId areas = GridId::StringGrid5_2;
  for (int k = 0; k < 78; ++k) {
    const int row = k + 1;
    int ruler = 3;
    for (int f = 0; f < 3; ++f) {
      const Force& force = kForces[std::size_t(f)];
      if (k >= force.firstArea && k < force.firstArea + force.areaCount) ruler = f;
    }
    if (rng.Chance(10)) ruler = 3;
    const bool battle = rng.Chance(12);
    wc.SetCell(areas, row, 1, battle ? "交戦中" : "平常");
    wc.SetCell(areas, row, 2, std::string(kRulers[std::size_t(ruler)]));
    wc.SetCell(areas, row, 3, std::string(kRulers[std::size_t(ruler)]));
    for (int b = 1; b <= 8; ++b) {
      int holder = 3;
      if (b <= bases[std::size_t(k)]) holder = battle ? rng.Between(0, 3) : ruler;
      wc.SetCell(areas, row, 3 + b, std::string(kRulers[std::size_t(holder)]));
    }
  }
}

void SetSpecialPage(WorkingCopy& wc, Random& rng) {
  wc.SetItemIndex("ComboBox6_1", 1);
  wc.SetEditText("Edit6_1", "24");
  // All special areas exist; only some can be invaded yet.
  for (int i = 1; i <= 5; ++i) wc.SetChecked("CheckBox6_" + Str(i), true);
  for (int i = 10; i <= 28; ++i) wc.SetChecked("CheckBox6_" + Str(i), rng.Chance(60));
  // The first part is done, the second under way.
  for (int line = 1; line < kSpecialCount; ++line) {
    if (korvath::IsSpecialHeaderLine(line)) continue;
    const int percent = line < 85 ? 90 : line < 154 ? 40 : 10;
    wc.SetCheckListChecked(line, rng.Chance(percent));
  }
}

void SetOwnForceFlags(WorkingCopy& wc) {
  wc.SetEditText("Edit1_17", "35");
  wc.SetEditText("Edit1_18", "20");
  for (int i : {1, 2, 5, 9, 10}) wc.SetChecked("CheckBox1_" + Str(i), true);
}

void Generate(const fs::path& dir) {
  fs::create_directories(dir);
  Random rng(20240611);
  const std::vector<UnitType> types = UnitTypes();
  std::vector<int> bases;
  WriteLabelFile(dir, "plan.txt", PlanLines());
  WriteLabelFile(dir, "unit.txt", UnitLines(types));
  WriteLabelFile(dir, "pilot.txt", PilotLines());
  WriteLabelFile(dir, "area.txt", AreaLines(bases, rng));
  WriteLabelFile(dir, "class.txt", std::vector<std::string>(kRanks.begin(), kRanks.end()));
  WriteLabelFile(dir, "special.txt", SpecialLines());

  WorkingCopy wc(dir);
  const fs::path save = dir / "demo.bin";
  const std::vector<std::uint8_t> blank(korvath::SaveImage::Capacity, 0);
  if (!wc.Open(blank, save.string())) throw std::runtime_error("cannot open a blank image");

  std::vector<PilotState> pilots(kPilotRecords);
  for (int f = 0; f < 3; ++f) {
    SetForceControls(wc, f);
    SetPlans(wc, f, rng);
    SetUnits(wc, f, types, pilots, rng);
  }
  SetOwnForceFlags(wc);
  SetPilots(wc, pilots, rng);
  SetAreas(wc, bases, types, rng);
  SetSpecialPage(wc, rng);
  wc.StorePass();

  if (!korvath::WriteSaveFile(save, wc.Image().Contents())) {
    throw std::runtime_error("cannot write " + save.string());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: korvath-demo-gen OUTDIR\n");
    return 2;
  }
  try {
    Generate(argv[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "korvath-demo-gen: %s\n", e.what());
    return 1;
  }
  return 0;
}
