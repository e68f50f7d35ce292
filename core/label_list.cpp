#include "core/label_list.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "core/cp932_table.h"

namespace korvath {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// Bytes of an undecodable CP932 sequence to drop. A lead byte followed by a non-ASCII trail byte
// is one unassigned character: dropping the lead alone would read its trail as the next lead and
// garble the character after it. An ASCII byte after a lead is kept, as it is likely text.
std::size_t Cp932BadLength(std::string_view rest) {
  if (rest.size() < 2) return 1;
  const auto trail = static_cast<unsigned char>(rest[1]);
  return cp932::LeadIndex(static_cast<unsigned char>(rest[0])) >= 0 && trail >= 0x80 &&
                 trail <= 0xFC
             ? 2
             : 1;
}

// The CP932 character at the front of bytes and its length; kUnassigned when there is none.
std::pair<char16_t, std::size_t> Cp932Character(std::string_view bytes) {
  const auto first = static_cast<unsigned char>(bytes[0]);
  if (cp932::kSingle[first] != cp932::kUnassigned) return {cp932::kSingle[first], 1};
  const int row = cp932::LeadIndex(first);
  if (row < 0 || bytes.size() < 2) return {cp932::kUnassigned, 0};
  const int trail = static_cast<unsigned char>(bytes[1]);
  if (trail < cp932::kTrailFirst || trail > cp932::kTrailLast) return {cp932::kUnassigned, 0};
  return {cp932::kDouble[std::size_t(row * cp932::kTrailCount + trail - cp932::kTrailFirst)], 2};
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

// Length of the UTF-8 sequence that starts with lead, 1 for a byte that cannot start one.
std::size_t Utf8Length(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC2) return 2;
  return 1;
}

// The well-formed UTF-8 character at the front of text (no overlong forms, surrogates or code
// points past U+10FFFF), or nullopt.
std::optional<char32_t> Utf8Character(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  const std::size_t length = Utf8Length(lead);
  if (length == 1) return lead < 0x80 ? std::optional<char32_t>(lead) : std::nullopt;
  if (text.size() < length) return std::nullopt;
  char32_t c = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    c = (c << 6) | (next & 0x3F);
  }
  constexpr std::array<char32_t, 5> kSmallest = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
  return c;
}

// The CP932 code of c (one byte below 0x100), nullopt when CP932 has none.
std::optional<std::uint16_t> Cp932Code(char32_t c) {
  const auto& overrides = cp932::kEncodeOverrides;
  const auto o = std::lower_bound(
      overrides.begin(), overrides.end(), c,
      [](const cp932::EncodeOverride& e, char32_t cp) { return e.CodePoint < cp; });
  if (o != overrides.end() && o->CodePoint == c) {
    return o->Bytes != 0 ? std::optional<std::uint16_t>(o->Bytes) : std::nullopt;
  }
  // Built once from the decoding tables; the last code in byte order wins.
  static const std::unordered_map<char32_t, std::uint16_t> kByCharacter = [] {
    std::unordered_map<char32_t, std::uint16_t> map;
    for (std::size_t b = 0; b < cp932::kSingle.size(); ++b) {
      if (cp932::kSingle[b] != cp932::kUnassigned) map[cp932::kSingle[b]] = std::uint16_t(b);
    }
    for (std::size_t i = 0; i < cp932::kDouble.size(); ++i) {
      if (cp932::kDouble[i] == cp932::kUnassigned) continue;
      const int row = int(i) / cp932::kTrailCount;
      const int trail = cp932::kTrailFirst + int(i) % cp932::kTrailCount;
      map[cp932::kDouble[i]] = std::uint16_t(cp932::LeadByte(row) * 0x100 + trail);
    }
    return map;
  }();
  const auto found = kByCharacter.find(c);
  if (found == kByCharacter.end()) return std::nullopt;
  return found->second;
}

}  // namespace

std::string DecodeCp932(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 3 / 2);
  while (!bytes.empty()) {
    const auto [c, length] = Cp932Character(bytes);
    if (c != cp932::kUnassigned) {
      AppendUtf8(out, c);
      bytes.remove_prefix(length);
    } else {
      out += kReplacement;
      bytes.remove_prefix(Cp932BadLength(bytes));
    }
  }
  return out;
}

std::string EncodeCp932(std::string_view utf8) {
  std::string out;
  while (!utf8.empty()) {
    const std::optional<char32_t> c = Utf8Character(utf8);
    const std::size_t length =
        std::min(Utf8Length(static_cast<unsigned char>(utf8.front())), utf8.size());
    utf8.remove_prefix(length);
    if (c && *c >= cp932::kDroppedFirst && *c <= cp932::kDroppedLast) continue;
    const std::optional<std::uint16_t> code = c ? Cp932Code(*c) : std::nullopt;
    if (!code) {
      out += '?';
      continue;
    }
    if (*code > 0xFF) out += char(*code >> 8);
    out += char(*code & 0xFF);
  }
  return out;
}

LabelList LabelList::Parse(std::string_view fileBytes) {
  const std::size_t nul = fileBytes.find('\0');
  const std::string_view text = fileBytes.substr(0, nul);
  std::vector<std::string> entries;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size() && entries.size() < std::size_t(kMaxEntries)) {
    const char c = text[i];
    if (c != '\r' && c != '\n') {
      ++i;
      continue;
    }
    entries.push_back(DecodeCp932(text.substr(start, i - start)));
    // CR LF is one line end; LF CR is two.
    i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
    start = i;
  }
  if (start < text.size() && entries.size() < std::size_t(kMaxEntries))
    entries.push_back(DecodeCp932(text.substr(start)));
  return LabelList(std::move(entries));
}

const std::string& LabelList::Label(int64_t v) const {
  static const std::string kNone;
  if (v < 0 || v >= int64_t(entries_.size())) return kNone;
  return entries_[std::size_t(v)];
}

std::string LabelList::CutToName(int i) {
  std::string& entry = entries_.at(std::size_t(i));
  const std::size_t tab = entry.find('\t');
  if (tab == std::string::npos) {
    std::string whole = std::move(entry);
    entry.clear();
    return whole;
  }
  std::string rest = entry.substr(tab + 1);
  entry.resize(tab);
  return rest;
}

LabelSet ParseLabelSet(const LabelFileBytes& files) {
  for (const std::string& bytes : files) {
    if (bytes.size() > kMaxLabelFileSize) throw StartupError();
  }
  LabelSet set;
  std::array<LabelList*, kLabelFileNames.size()> lists = {&set.plan, &set.unit,  &set.pilot,
                                                          &set.area, &set.klass, &set.special};
  for (std::size_t i = 0; i < lists.size(); ++i) *lists[i] = LabelList::Parse(files[i]);
  if (set.area.Count() < kMinAreaEntries || set.special.Count() < kMinSpecialEntries) {
    throw StartupError();
  }
  return set;
}

}  // namespace korvath
