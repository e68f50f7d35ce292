#include "core/int_conversion.h"
#include "core/table_codecs.h"

namespace korvath {

namespace {

void LoadScenario(const SaveImage& image, ControlValue& value) {
  value.ItemIndex = -1;
  value.Text.clear();
  for (std::size_t item = 0; item < kScenarioItems.size(); ++item) {
    bool match = true;
    for (int k = 0; k < 3; ++k) {
      if (int(ReadBits(image, kScenarioFlags[k])) != kScenarioBits[item][k]) match = false;
    }
    if (match) {
      value.ItemIndex = int(item);
      value.Text = kScenarioItems[item];
      return;
    }
  }
}

void StoreScenario(SaveImage& image, const ControlValue& value) {
  const int item = value.ItemIndex;
  if (item < 0 || item >= int(kScenarioItems.size())) return;  // nothing chosen: keep the flags
  for (int k = 0; k < 3; ++k) WriteBits(image, kScenarioFlags[k], kScenarioBits[item][k]);
}

}  // namespace

ControlRule RuleOf(const MainFieldEntry& entry) {
  switch (entry.Kind) {
    case ControlKind::Edit:
      return ControlRule::Edit;
    case ControlKind::CheckBox:
      return ControlRule::CheckBox;
    case ControlKind::ComboBox:
      switch (ListRuleOf(entry.Control)) {
        case ListRule::Faction:
          return ControlRule::Faction;
        case ListRule::Scenario:
          return ControlRule::Scenario;
        case ListRule::None:
          break;
      }
      break;
    case ControlKind::CheckList:
    case ControlKind::StringGrid:
      break;
  }
  return ControlRule::None;
}

int ItemCountOf(std::string_view control) {
  switch (ListRuleOf(control)) {
    case ListRule::Faction:
      return kFactionItems;
    case ListRule::Scenario:
      return int(kScenarioItems.size());
    case ListRule::None:
      break;
  }
  return 0;
}

void LoadControl(const SaveImage& image, const MainFieldEntry& entry, ControlValue& value) {
  switch (RuleOf(entry)) {
    case ControlRule::Edit:
      value.Text = IntToStr(ReadBits(image, entry.Field));
      break;
    case ControlRule::CheckBox:
      value.Checked = ReadBits(image, entry.Field) != 0;
      break;
    case ControlRule::Faction: {
      const auto v = ReadBits(image, entry.Field);
      value.ItemIndex = v > 9 ? kFactionNone : int(v);
      break;
    }
    case ControlRule::Scenario:
      LoadScenario(image, value);
      break;
    case ControlRule::None:
      break;
  }
}

void StoreControl(SaveImage& image, const MainFieldEntry& entry, const ControlValue& value) {
  switch (RuleOf(entry)) {
    case ControlRule::Edit:
      WriteBits(image, entry.Field, StrToInt(value.Text));
      break;
    case ControlRule::CheckBox:
      WriteBits(image, entry.Field, value.Checked ? 1 : 0);
      break;
    case ControlRule::Faction: {
      const int i = value.ItemIndex;
      WriteBits(image, entry.Field, i >= 0 && i <= 9 ? i : kStoredNoFaction);
      break;
    }
    case ControlRule::Scenario:
      StoreScenario(image, value);
      break;
    case ControlRule::None:
      break;
  }
}

void SetUpCheckList(std::vector<CheckListLine>& lines, const LabelList& specials) {
  lines.clear();
  lines.reserve(std::size_t(specials.Count()));
  for (const std::string& text : specials.Entries()) lines.push_back({text, false, false});
  for (int header : kSpecialHeaderLines) lines.at(std::size_t(header)).Header = true;
}

// A flag whose line is missing (a special list of 211 to 216 lines) is neither loaded nor
// stored, so its bit keeps what the file had.
void LoadCheckList(const SaveImage& image, std::vector<CheckListLine>& lines) {
  for (const TCellField& flag : SpecialFlagMap()) {
    if (flag.ItemIndex < 0 || flag.ItemIndex >= int(lines.size())) continue;
    CheckListLine& line = lines[std::size_t(flag.ItemIndex)];
    if (!line.Header) line.Checked = ReadBits(image, flag) != 0;
  }
}

void StoreCheckList(SaveImage& image, const std::vector<CheckListLine>& lines) {
  for (const TCellField& flag : SpecialFlagMap()) {
    if (flag.ItemIndex < 0 || flag.ItemIndex >= int(lines.size())) continue;
    const CheckListLine& line = lines[std::size_t(flag.ItemIndex)];
    if (!line.Header) WriteBits(image, flag, line.Checked ? 1 : 0);
  }
}

}  // namespace korvath
