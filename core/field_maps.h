#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "core/save_image.h"

namespace korvath {

// Pages of the main window, in tab order.
enum Page : int {
  kPageOwnForce = 0,
  kPageEnemy1 = 1,
  kPageEnemy2 = 2,
  kPagePilots = 3,
  kPageAreas = 4,
  kPageSpecial = 5,
  kPageWeapons = 6,
};
inline constexpr std::array<std::string_view, 7> kPageCaptions = {
    "自軍", "敵勢力１", "敵勢力２", "パイロット", "エリア", "特別", "兵器一覧"};

enum class ControlKind { Edit, CheckBox, ComboBox, CheckList, StringGrid };

// One binding of a main-window control to its bits. For a string grid, Field.BitWidth is the
// record stride and the offsets give the first record.
struct MainFieldEntry {
  std::string_view Control;
  ControlKind Kind;
  int Page;
  TField Field;
  std::string_view Hint;     // tooltip of an edit box, empty elsewhere
  std::string_view Caption;  // the label beside the control, or a check box's own caption
  std::string_view Group;    // the caption of the group box around a check box, if any
  // Where the caption alone tells nothing apart (a flag without one, the four "グラフ" boxes):
  // the control whose caption names the row this one sits on.
  std::string_view RowOf;
};

// The 100 entries in the order both passes walk them.
const std::vector<MainFieldEntry>& MainFieldMap();
// The entry of a control, or nullptr.
const MainFieldEntry* FindMainField(std::string_view control);

// Drop-down lists that the passes treat by identity: the faction list of each force page and
// the scenario list. Any other drop-down list is skipped.
enum class ListRule { None, Faction, Scenario };
ListRule ListRuleOf(std::string_view control);

// The items of a faction list: item i stands for faction number i, the last for none.
inline constexpr std::array<std::string_view, 11> kFactionCaptions = {
    "北方連合",     "南洋同盟",     "東部共和国", "西方帝国",   "中央評議会", "高原自治州",
    "沿岸商業連盟", "砂漠部族連合", "群島王国",   "山岳騎士団", "無し"};

// The 206 special-plan flags in ascending item order.
const std::vector<TCellField>& SpecialFlagMap();

// Check-list lines that are section headings and carry no flag.
inline constexpr std::array<int, 11> kSpecialHeaderLines = {0,   85,  154, 161, 168, 175,
                                                            182, 189, 196, 203, 210};
bool IsSpecialHeaderLine(int line);

}  // namespace korvath
