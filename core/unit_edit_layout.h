#pragma once

#include <array>
#include <string_view>

namespace korvath {

enum class UnitEditKind { Label, Edit, UpDown, GroupBox, Bevel, Button, ComboBox, CheckBox };
enum class UnitEditParent { Tab, Group1, Group2, Group3 };

// One control of the unit editor. Positions are within the parent; a height of 0 takes the
// kind's standard height (20, check boxes 17) and labels size themselves. Focusable controls
// appear in tab order.
struct UnitEditControl {
  std::string_view Name;
  UnitEditKind Kind;
  UnitEditParent Parent;
  int Left, Top, Width, Height;
  std::string_view Caption;
  std::string_view Hint;
  int DropDownCount;  // visible lines of a dropped list
};

// The height a control is drawn with: its own, else its kind's standard one. Labels size
// themselves (0).
constexpr int DrawnHeight(const UnitEditControl& c) {
  if (c.Height > 0) return c.Height;
  if (c.Kind == UnitEditKind::Label) return 0;
  return c.Kind == UnitEditKind::CheckBox ? 17 : 20;
}

inline constexpr int kUnitEditClientWidth = 545;
inline constexpr int kUnitEditClientHeight = 449;
inline constexpr int kUnitEditLeft = 51;
inline constexpr int kUnitEditTop = 34;
inline constexpr int kTabControlLeft = 8, kTabControlTop = 8, kTabControlWidth = 529,
                     kTabControlHeight = 433;
inline constexpr std::array<std::string_view, 3> kUnitEditTabs = {"自軍", "敵勢力１", "敵勢力２"};

namespace unit_edit_layout {
using K = UnitEditKind;
using P = UnitEditParent;
inline constexpr std::array<UnitEditControl, 56> kControls = {{
    {"Label1", K::Label, P::Tab, 8, 36, 0, 0, "No", "", 0},
    {"Edit1", K::Edit, P::Tab, 24, 32, 57, 0, "", "0 ～ 199", 0},
    {"UpDown1", K::UpDown, P::Tab, 81, 32, 17, 0, "", "", 0},
    {"GroupBox1", K::GroupBox, P::Tab, 8, 56, 313, 193, "兵器", "", 0},
    {"Edit2", K::Edit, P::Group1, 48, 16, 193, 0, "", "", 0},
    {"Button1", K::Button, P::Group1, 248, 16, 57, 0, "検索", "", 0},
    {"Label13", K::Label, P::Group1, 8, 44, 0, 0, "名前", "", 0},
    {"ComboBox1", K::ComboBox, P::Group1, 48, 40, 257, 0, "", "", 20},
    {"Label2", K::Label, P::Group1, 8, 68, 0, 0, "耐久", "", 0},
    {"Edit3", K::Edit, P::Group1, 48, 64, 57, 0, "", "", 0},
    {"Button2", K::Button, P::Group1, 112, 64, 41, 0, "Max", "", 0},
    {"Label6", K::Label, P::Group1, 8, 92, 0, 0, "物資", "", 0},
    {"Edit4", K::Edit, P::Group1, 48, 88, 57, 0, "", "", 0},
    {"Button3", K::Button, P::Group1, 112, 88, 41, 0, "Max", "", 0},
    {"CheckBox1", K::CheckBox, P::Group1, 160, 78, 49, 0, "連動", "", 0},
    {"Label7", K::Label, P::Group1, 216, 68, 0, 0, "疲労", "", 0},
    {"Edit5", K::Edit, P::Group1, 248, 64, 57, 0, "", "MAX 100", 0},
    {"Label8", K::Label, P::Group1, 216, 92, 0, 0, "士気", "", 0},
    {"Edit6", K::Edit, P::Group1, 248, 88, 57, 0, "", "MAX 100", 0},
    {"Bevel1", K::Bevel, P::Group1, 8, 113, 297, 2, "", "", 0},
    {"Edit7", K::Edit, P::Group1, 48, 120, 193, 0, "", "", 0},
    {"Button4", K::Button, P::Group1, 248, 120, 57, 0, "検索", "", 0},
    {"Label14", K::Label, P::Group1, 8, 148, 0, 0, "搭載先", "", 0},
    {"ComboBox2", K::ComboBox, P::Group1, 48, 144, 257, 0, "", "", 20},
    {"CheckBox2", K::CheckBox, P::Group1, 48, 170, 57, 0, "搭載可", "", 0},
    {"CheckBox3", K::CheckBox, P::Group1, 112, 170, 65, 0, "同エリア", "", 0},
    {"GroupBox2", K::GroupBox, P::Tab, 8, 256, 313, 169, "パイロット", "", 0},
    {"Edit8", K::Edit, P::Group2, 48, 16, 193, 0, "", "", 0},
    {"Button5", K::Button, P::Group2, 248, 16, 57, 0, "検索", "", 0},
    {"Label15", K::Label, P::Group2, 8, 44, 0, 0, "名前", "", 0},
    {"ComboBox3", K::ComboBox, P::Group2, 48, 40, 257, 0, "", "", 20},
    {"CheckBox4", K::CheckBox, P::Group2, 48, 66, 57, 0, "同勢力", "", 0},
    {"CheckBox5", K::CheckBox, P::Group2, 112, 66, 73, 0, "配属可能", "", 0},
    {"CheckBox6", K::CheckBox, P::Group2, 192, 66, 57, 0, "未配属", "", 0},
    {"Label3", K::Label, P::Group2, 8, 92, 0, 0, "所属", "", 0},
    {"ComboBox4", K::ComboBox, P::Group2, 48, 88, 81, 0, "", "", 8},
    {"Label9", K::Label, P::Group2, 8, 116, 0, 0, "状態", "", 0},
    {"ComboBox5", K::ComboBox, P::Group2, 48, 112, 81, 0, "", "", 8},
    {"Label10", K::Label, P::Group2, 144, 92, 0, 0, "階級", "", 0},
    {"ComboBox6", K::ComboBox, P::Group2, 176, 88, 81, 0, "", "", 13},
    {"Label11", K::Label, P::Group2, 144, 116, 0, 0, "功績", "", 0},
    {"Edit9", K::Edit, P::Group2, 176, 112, 57, 0, "", "MAX 100", 0},
    {"Label12", K::Label, P::Group2, 144, 140, 0, 0, "経験", "", 0},
    {"Edit10", K::Edit, P::Group2, 176, 136, 57, 0, "", "MAX 999", 0},
    {"GroupBox3", K::GroupBox, P::Tab, 328, 56, 193, 161, "エリア", "Max 999", 0},
    {"Edit11", K::Edit, P::Group3, 56, 16, 65, 0, "", "", 0},
    {"Button6", K::Button, P::Group3, 128, 16, 57, 0, "検索", "", 0},
    {"Label4", K::Label, P::Group3, 8, 44, 0, 0, "現在地", "", 0},
    {"ComboBox7", K::ComboBox, P::Group3, 56, 40, 129, 0, "", "", 20},
    {"Edit12", K::Edit, P::Group3, 56, 72, 65, 0, "", "", 0},
    {"Button7", K::Button, P::Group3, 128, 72, 57, 0, "検索", "", 0},
    {"Label5", K::Label, P::Group3, 8, 100, 0, 0, "移動先", "", 0},
    {"ComboBox8", K::ComboBox, P::Group3, 56, 96, 129, 0, "", "", 20},
    {"Label16", K::Label, P::Group3, 8, 132, 0, 0, "移動", "", 0},
    {"ComboBox9", K::ComboBox, P::Group3, 56, 128, 129, 0, "", "", 8},
    {"Button8", K::Button, P::Tab, 328, 368, 193, 57, "変更", "", 0},
}};
}  // namespace unit_edit_layout

}  // namespace korvath
