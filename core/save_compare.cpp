#include "core/save_compare.h"

#include <algorithm>
#include <optional>
#include <span>

#include "core/field_maps.h"
#include "core/int_conversion.h"
#include "core/shown_names.h"
#include "core/table_codecs.h"
#include "core/working_copy.h"

namespace korvath {

namespace {

constexpr std::string_view kOn = "オン";
constexpr std::string_view kOff = "オフ";

// One value the editor shows, wherever it sits; the same walk decides coverage and comparison.
struct FieldSite {
  DifferenceKind Kind = DifferenceKind::Control;
  const MainFieldEntry* Entry = nullptr;  // the control, table or check list
  GridId Grid = GridId::StringGrid1_1;
  const RecordLayout* Layout = nullptr;
  const RecordField* Field = nullptr;
  int64_t RecordBit = 0;
  int Row = 0;
  const TCellField* Flag = nullptr;
};

template <typename Visit>
void WalkFields(Visit visit) {
  for (const MainFieldEntry& entry : MainFieldMap()) {
    FieldSite site;
    site.Entry = &entry;
    switch (entry.Kind) {
      case ControlKind::ComboBox:
        if (ListRuleOf(entry.Control) == ListRule::None) break;
        [[fallthrough]];
      case ControlKind::Edit:
      case ControlKind::CheckBox:
        visit(site);
        break;
      case ControlKind::CheckList:
        site.Kind = DifferenceKind::CheckListLine;
        for (const TCellField& flag : SpecialFlagMap()) {
          site.Flag = &flag;
          visit(site);
        }
        break;
      case ControlKind::StringGrid: {
        const auto grid = GridByName(entry.Control);
        if (!grid) break;
        site.Kind = DifferenceKind::Cell;
        site.Grid = *grid;
        site.Layout = RecordLayoutOf(*grid);
        if (site.Layout == nullptr) break;
        WalkRecords(entry.Field, *site.Layout,
                    [&](int64_t recordBit, const RecordField& f, int row) {
                      site.Field = &f;
                      site.RecordBit = recordBit;
                      site.Row = row;
                      visit(site);
                    });
        break;
      }
    }
  }
}

TField Normalised(int32_t byte, int32_t bit, int32_t width) {
  return {byte + bit / 8, bit % 8, width};
}

std::vector<TField> BitsOf(const FieldSite& site) {
  switch (site.Kind) {
    case DifferenceKind::Cell: {
      const BitCursor at = FieldOf(site.RecordBit, site.Field->Offset, site.Field->Width);
      return {Normalised(at.ByteOffset, at.BitOffset, at.BitWidth)};
    }
    case DifferenceKind::CheckListLine:
      return {Normalised(site.Flag->ByteOffset, site.Flag->BitOffset, site.Flag->BitWidth)};
    default:
      break;
  }
  if (ListRuleOf(site.Entry->Control) == ListRule::Scenario) {
    std::vector<TField> bits;
    for (const TField& f : kScenarioFlags) bits.push_back(Normalised(f.ByteOffset, f.BitOffset, 1));
    return bits;
  }
  const TField& f = site.Entry->Field;
  return {Normalised(f.ByteOffset, f.BitOffset, f.BitWidth)};
}

// What a field holds in one copy: the text the editor shows and the number it stands for.
// Numbers decide where there are any, so "012" and "12" are the same value; a text that stands
// for no number is compared as text.
struct Probe {
  std::string_view Text;
  std::optional<int64_t> Code;
};

bool Differ(const Probe& a, const Probe& b) {
  return a.Code != b.Code || (!a.Code && a.Text != b.Text);
}

Probe ProbeControl(const WorkingCopy& copy, const MainFieldEntry& entry) {
  const ControlValue& value = copy.Control(entry.Control);
  switch (entry.Kind) {
    case ControlKind::Edit:
      return {value.Text, TryStrToInt(value.Text)};
    case ControlKind::CheckBox:
      return {{}, value.Checked ? 1 : 0};
    default:
      break;
  }
  const int item = value.ItemIndex;
  if (ListRuleOf(entry.Control) == ListRule::Faction) {
    if (item >= 0 && item < kFactionNone) return {kFactionCaptions[std::size_t(item)], item};
    // "無し" stands for every number above the factions that the file may hold.
    const std::uint32_t held = ReadBits(copy.Image(), entry.Field);
    return {item == kFactionNone ? kFactionCaptions.back() : std::string_view(),
            held >= std::uint32_t(kFactionNone) ? int64_t(held) : kStoredNoFaction};
  }
  if (item >= 0) return {value.Text, item};
  // No item chosen keeps the flags as they are; they are what differs then.
  int64_t flags = 0;
  for (const TField& f : kScenarioFlags) flags = 2 * flags + ReadBits(copy.Image(), f);
  return {value.Text, 100 + flags};
}

Probe ProbeLine(const WorkingCopy& copy, const TCellField& flag) {
  const auto& lines = copy.CheckList();
  if (flag.ItemIndex >= 0 && flag.ItemIndex < int(lines.size()) &&
      !lines[std::size_t(flag.ItemIndex)].Header) {
    return {{}, lines[std::size_t(flag.ItemIndex)].Checked ? 1 : 0};
  }
  return {{}, ReadBits(copy.Image(), flag)};  // a line the short special list does not show
}

Probe ProbeCell(const WorkingCopy& copy, const FieldSite& site) {
  const RecordField& f = *site.Field;
  const std::string& text = copy.Grid(site.Grid).Cell(site.Row, f.Column);
  if (f.Shape != CellShape::Label) return {text, TryStrToInt(text)};
  // A label shown as loaded stands for what the file holds, even where several codes share it.
  const std::uint32_t held = ReadBits(copy.Image(), FieldOf(site.RecordBit, f.Offset, f.Width));
  if (TextOfCode(*f.Labels, held) == text) return {text, held};
  if (const CodeText* entry = EntryOfText(*f.Labels, text)) return {text, entry->Code};
  return {text, std::nullopt};
}

Probe ProbeSite(const WorkingCopy& copy, const FieldSite& site) {
  switch (site.Kind) {
    case DifferenceKind::Cell:
      return ProbeCell(copy, site);
    case DifferenceKind::CheckListLine:
      return ProbeLine(copy, *site.Flag);
    default:
      return ProbeControl(copy, *site.Entry);
  }
}

// The value as the editor shows it: names beside their numbers, check marks as words.
std::string Shown(const WorkingCopy& copy, const FieldSite& site, const Probe& p) {
  if (site.Kind == DifferenceKind::CheckListLine || site.Entry->Kind == ControlKind::CheckBox) {
    return std::string(p.Code == 1 ? kOn : kOff);
  }
  std::string text(p.Text);
  if (site.Kind != DifferenceKind::Cell || !p.Code) return text;
  const RecordField& f = *site.Field;
  // Names follow the number as typed, as the next store will show them.
  if (f.Shape == CellShape::NumberAndName) {
    const std::string& name = NameListOf(copy.Labels(), f.Names).Label(*p.Code);
    // Most names begin with their own number already.
    const std::string number = IntToStr(*p.Code) + " ";
    if (name.starts_with(number)) return name;
    if (!name.empty()) text.append(" ").append(name);
  } else if (f.Shape == CellShape::NumberAndLabel) {
    const std::string_view label = TextOfCode(*f.Labels, *p.Code);
    if (!label.empty()) text = label;
  }
  return text;
}

std::string CodeNote(const std::optional<int64_t>& code) {
  return " (" + (code ? IntToStr(*code) : std::string("-")) + ")";
}

SaveDifference DifferenceAt(const WorkingCopy& a, const WorkingCopy& b, const FieldSite& site,
                            const Probe& pa, const Probe& pb, int order) {
  SaveDifference d;
  d.Kind = site.Kind;
  d.Order = order;
  d.Page = site.Entry->Page;
  d.Control = site.Entry->Control;
  d.Caption = site.Entry->Caption;
  d.A = Shown(a, site, pa);
  d.B = Shown(b, site, pb);
  if (d.A == d.B) {
    d.A += CodeNote(pa.Code);
    d.B += CodeNote(pb.Code);
  }
  d.Bits = BitsOf(site);
  if (site.Kind == DifferenceKind::Cell) {
    d.Grid = site.Grid;
    d.Row = site.Row;
    d.Column = site.Field->Column;
    d.NameColumn = site.Field->NameColumn;
    d.RowName = ShownRowName(a.Grid(site.Grid), site.Grid, site.Row);
    const auto& columns = LayoutOf(site.Grid).Columns;
    d.Heading = columns[std::size_t(d.Column)].Heading;
    if (d.NameColumn >= 0) d.NameHeading = columns[std::size_t(d.NameColumn)].Heading;
  } else if (site.Kind == DifferenceKind::CheckListLine) {
    d.Line = site.Flag->ItemIndex;
    d.RowName = ShownLineName(a.CheckList(), d.Line);
  }
  return d;
}

std::string Hex(std::span<const std::uint8_t> bytes, int32_t first, int32_t count) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (int32_t i = first; i < first + count; ++i) {
    if (!text.empty()) text += ' ';
    if (i >= int32_t(bytes.size())) {
      text += "--";
    } else {
      text += kDigits[bytes[std::size_t(i)] >> 4];
      text += kDigits[bytes[std::size_t(i)] & 15];
    }
  }
  return text;
}

// Runs of bytes in which bits outside every field differ; a byte past one file's end counts as 0.
void AddUncoveredBytes(const SaveImage& a, const SaveImage& b, int order,
                       std::vector<SaveDifference>& out) {
  const auto& covered = CoveredBits();
  const int32_t end = std::max(a.Length, b.Length);
  auto byteAt = [](const SaveImage& image, int32_t i) {
    return i < image.Length ? image.Bytes[std::size_t(i)] : std::uint8_t(0);
  };
  for (int32_t i = 0; i < end;) {
    auto differs = [&](int32_t k) {
      return ((byteAt(a, k) ^ byteAt(b, k)) & ~covered[std::size_t(k)]) != 0;
    };
    if (!differs(i)) {
      ++i;
      continue;
    }
    int32_t last = i;
    while (last + 1 < end && differs(last + 1)) ++last;
    SaveDifference d;
    d.Kind = DifferenceKind::Bytes;
    d.Order = order;
    d.FirstByte = i;
    d.ByteCount = last - i + 1;
    d.A = Hex(a.Contents(), i, d.ByteCount);
    d.B = Hex(b.Contents(), i, d.ByteCount);
    out.push_back(std::move(d));
    i = last + 1;
  }
}

std::string BitsText(const std::vector<TField>& bits) {
  std::string text;
  for (const TField& f : bits) {
    text.append(text.empty() ? " [" : ", ")
        .append("バイト ")
        .append(IntToStr(f.ByteOffset))
        .append(" ビット ")
        .append(IntToStr(f.BitOffset))
        .append(" 幅 ")
        .append(IntToStr(f.BitWidth));
  }
  return text.empty() ? text : text + "]";
}

}  // namespace

const std::vector<std::uint8_t>& CoveredBits() {
  static const std::vector<std::uint8_t> covered = [] {
    std::vector<std::uint8_t> mask(std::size_t(SaveImage::Capacity), 0);
    WalkFields([&](const FieldSite& site) {
      for (const TField& f : BitsOf(site)) {
        for (int64_t bit = int64_t(f.ByteOffset) * 8 + f.BitOffset, end = bit + f.BitWidth;
             bit < end && bit / 8 < SaveImage::Capacity; ++bit) {
          mask[std::size_t(bit / 8)] |= std::uint8_t(0x80 >> (bit % 8));
        }
      }
    });
    return mask;
  }();
  return covered;
}

std::vector<SaveDifference> CompareSaves(const WorkingCopy& a, const WorkingCopy& b) {
  std::vector<SaveDifference> out;
  if (a.Image().Length != b.Image().Length) {
    SaveDifference d;
    d.Kind = DifferenceKind::Length;
    d.A = IntToStr(a.Image().Length) + " バイト";
    d.B = IntToStr(b.Image().Length) + " バイト";
    out.push_back(std::move(d));
  }
  int order = 0;
  WalkFields([&](const FieldSite& site) {
    const Probe pa = ProbeSite(a, site);
    const Probe pb = ProbeSite(b, site);
    if (Differ(pa, pb)) out.push_back(DifferenceAt(a, b, site, pa, pb, order));
    ++order;
  });
  AddUncoveredBytes(a.Image(), b.Image(), order, out);
  return out;
}

std::string DescribePlace(const SaveDifference& d) {
  const auto page = [&] { return std::string(kPageCaptions[std::size_t(d.Page)]) + " / "; };
  switch (d.Kind) {
    case DifferenceKind::Control: {
      const MainFieldEntry* entry = FindMainField(d.Control);
      return page() + (entry != nullptr ? ShownControlName(*entry) : std::string(d.Control));
    }
    case DifferenceKind::Cell:
      return page() + ShownTableName(d.Grid) + " / " + d.RowName + " / " +
             ShownColumnName(d.Grid, d.Column);
    case DifferenceKind::CheckListLine:
      return page() + std::string(d.Caption) + " / " + d.RowName;
    case DifferenceKind::Bytes: {
      std::string place = "項目外 / バイト " + IntToStr(d.FirstByte);
      if (d.ByteCount > 1) place += "-" + IntToStr(d.FirstByte + d.ByteCount - 1);
      return place;
    }
    case DifferenceKind::Length:
      break;
  }
  return "ファイルの長さ";
}

std::string ShownValue(std::string_view value) {
  return value.empty() ? std::string("\"\"") : std::string(value);
}

std::string FormatDifference(const SaveDifference& d) {
  return DescribePlace(d) + ": " + ShownValue(d.A) + " → " + ShownValue(d.B) + BitsText(d.Bits);
}

}  // namespace korvath
