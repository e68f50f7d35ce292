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

// Writes the UTF-8 of c, a character of the Basic Multilingual Plane, at out; returns its end.
char* PutUtf8(char* out, char16_t c) {
  if (c < 0x80) {
    *out++ = char(c);
  } else if (c < 0x800) {
    *out++ = char(0xC0 | (c >> 6));
    *out++ = char(0x80 | (c & 0x3F));
  } else {
    *out++ = char(0xE0 | (c >> 12));
    *out++ = char(0x80 | ((c >> 6) & 0x3F));
    *out++ = char(0x80 | (c & 0x3F));
  }
  return out;
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

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// What a name is mostly made of, by CP932 code: half-width katakana, full-width digits and
// letters, hiragana, katakana, the long-vowel mark and the kanji of JIS level 1.
bool IsCommonInNames(std::uint16_t code) {
  return (code >= 0xA1 && code <= 0xDF) || code == 0x815B || (code >= 0x824F && code <= 0x82F1) ||
         (code >= 0x8340 && code <= 0x8396) || (code >= 0x889F && code <= 0x9872);
}

// A text as one encoding reads it: whether every byte belongs to a character, how many
// characters are not ASCII and how many of those are common in names, and whether CP932 has
// them all (outside its user-defined area, which no typed name holds).
struct Reading {
  bool WellFormed = true;
  int NonAscii = 0;
  int Common = 0;
  bool AllInCp932 = true;

  void Count(std::optional<std::uint16_t> code) {
    ++NonAscii;
    if (!code || (*code >= 0xF040 && *code <= 0xF9FC)) {
      AllInCp932 = false;
    } else if (IsCommonInNames(*code)) {
      ++Common;
    }
  }
  // More of its characters common in names than in other.
  bool MoreCommonThan(const Reading& other) const {
    return int64_t(Common) * other.NonAscii > int64_t(other.Common) * NonAscii;
  }
};

// With kCount false, only whether the text is well-formed: a check of each line need not look
// up every character.
template <bool kCount = true>
Reading ReadCp932(std::string_view bytes) {
  Reading reading;
  while (!bytes.empty()) {
    const std::size_t length = Cp932Character(bytes).second;
    if (length == 0) return {false};
    const auto first = static_cast<unsigned char>(bytes[0]);
    if (kCount && first >= 0x80) {
      reading.Count(length == 1
                        ? first
                        : std::uint16_t(first * 0x100 + static_cast<unsigned char>(bytes[1])));
    }
    bytes.remove_prefix(length);
  }
  return reading;
}

template <bool kCount = true>
Reading ReadUtf8(std::string_view bytes) {
  Reading reading;
  while (!bytes.empty()) {
    const std::optional<char32_t> c = Utf8Character(bytes);
    if (!c) return {false};
    if (kCount && *c >= 0x80) reading.Count(Cp932Code(*c));
    bytes.remove_prefix(Utf8Length(static_cast<unsigned char>(bytes.front())));
  }
  return reading;
}

std::string DecodeUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  while (!bytes.empty()) {
    const std::optional<char32_t> c = Utf8Character(bytes);
    const std::size_t length =
        c ? Utf8Length(static_cast<unsigned char>(bytes.front())) : std::size_t(1);
    if (c) {
      out.append(bytes.substr(0, length));
    } else {
      out += kReplacement;
    }
    bytes.remove_prefix(length);
  }
  return out;
}

// The bytes before the first NUL.
std::string_view TextOf(std::string_view fileBytes) {
  return fileBytes.substr(0, fileBytes.find('\0'));
}

// Calls onLine(line) for each line of text, at most kMaxEntries; CR LF is one line end, LF CR two.
template <typename OnLine>
void ForEachLine(std::string_view text, OnLine onLine) {
  std::size_t start = 0;
  std::size_t i = 0;
  int lines = 0;
  while (i < text.size() && lines < LabelList::kMaxEntries) {
    const char c = text[i];
    if (c != '\r' && c != '\n') {
      ++i;
      continue;
    }
    onLine(text.substr(start, i - start));
    ++lines;
    i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
    start = i;
  }
  if (start < text.size() && lines < LabelList::kMaxEntries) onLine(text.substr(start));
}

}  // namespace

LabelEncoding LabelEncodingOf(std::string_view text) {
  if (text.starts_with(kUtf8Bom)) return LabelEncoding::Utf8;
  const Reading utf8 = ReadUtf8(text);
  if (!utf8.WellFormed) return LabelEncoding::Cp932;
  const Reading cp932 = ReadCp932(text);
  if (!cp932.WellFormed) return LabelEncoding::Utf8;
  // Both read: short CP932 texts can be well-formed UTF-8 too, and UTF-8 kana and kanji are
  // mostly well-formed CP932. Each reading of the other's text has rarer characters.
  return utf8.AllInCp932 && utf8.Common > 0 && utf8.MoreCommonThan(cp932) ? LabelEncoding::Utf8
                                                                          : LabelEncoding::Cp932;
}

namespace {

// A label file's text without its byte order mark, and how it is read.
struct LabelText {
  std::string_view Text;
  LabelEncoding Encoding;
};

LabelText ReadLabelText(std::string_view fileBytes) {
  std::string_view text = TextOf(fileBytes);
  const LabelEncoding encoding = LabelEncodingOf(text);
  if (encoding == LabelEncoding::Utf8 && text.starts_with(kUtf8Bom))
    text.remove_prefix(kUtf8Bom.size());
  return {text, encoding};
}

// The number of the first line of text that readable refuses, 0 when it reads them all.
template <typename Readable>
int FirstUnreadableLine(std::string_view text, Readable readable) {
  int line = 0;
  int bad = 0;
  ForEachLine(text, [&](std::string_view bytes) {
    ++line;
    if (bad == 0 && !readable(bytes)) bad = line;
  });
  return bad;
}

std::string NotTextReason(std::string_view fileBytes, const LabelText& text) {
  // Notepad's "Unicode" choice: neither encoding can begin with these bytes.
  if (fileBytes.starts_with("\xFF\xFE") || fileBytes.starts_with("\xFE\xFF"))
    return "UTF-16 です。UTF-8 か Shift-JIS で保存してください";
  const std::size_t nul = fileBytes.find('\0');
  if (nul != std::string_view::npos && nul <= fileBytes.find_first_of("\r\n"))
    return "1 行目にゼロのバイトがあります";
  const auto utf8 = [](std::string_view bytes) { return ReadUtf8<false>(bytes).WellFormed; };
  const auto cp932 = [](std::string_view bytes) { return ReadCp932<false>(bytes).WellFormed; };
  const std::string unreadable = " 行目に文字として読めないバイトがあります";
  if (text.Encoding == LabelEncoding::Utf8) {
    const int bad = FirstUnreadableLine(text.Text, utf8);
    return bad == 0 ? std::string() : std::to_string(bad) + unreadable;
  }
  const int bad = FirstUnreadableLine(text.Text, cp932);
  if (bad == 0) return {};
  // Neither encoding reads the file. A UTF-8 file from Notepad with one bad byte far down fails as
  // Shift-JIS at its first kanji: where UTF-8 reads further, both lines are named.
  const int badUtf8 = FirstUnreadableLine(text.Text, utf8);
  if (badUtf8 <= bad) return std::to_string(bad) + unreadable;
  return "Shift-JIS では " + std::to_string(bad) + " 行目、UTF-8 では " + std::to_string(badUtf8) +
         unreadable;
}

}  // namespace

std::string NotTextReason(std::string_view fileBytes) {
  return NotTextReason(fileBytes, ReadLabelText(fileBytes));
}

std::string DecodeCp932(std::string_view bytes) {
  // Written in place: no character, nor the replacement of a byte, takes more than three bytes.
  std::string out(bytes.size() * 3, '\0');
  char* end = out.data();
  while (!bytes.empty()) {
    const auto [c, length] = Cp932Character(bytes);
    if (c != cp932::kUnassigned) {
      end = PutUtf8(end, c);
      bytes.remove_prefix(length);
    } else {
      end = std::copy(kReplacement.begin(), kReplacement.end(), end);
      bytes.remove_prefix(Cp932BadLength(bytes));
    }
  }
  out.resize(std::size_t(end - out.data()));
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

namespace {

LabelList ParseText(const LabelText& text) {
  std::vector<std::string> entries;
  // Each line on its own: a lead byte at a line's end must not swallow the line end.
  ForEachLine(text.Text, [&](std::string_view line) {
    entries.push_back(text.Encoding == LabelEncoding::Utf8 ? DecodeUtf8(line) : DecodeCp932(line));
  });
  return LabelList(std::move(entries));
}

}  // namespace

LabelList LabelList::Parse(std::string_view fileBytes) {
  return ParseText(ReadLabelText(fileBytes));
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

namespace {

// Start-up reads some entries of these lists by fixed index.
int MinimumEntries(std::size_t file) {
  if (file == 3) return kMinAreaEntries;
  if (file == 5) return kMinSpecialEntries;
  return 0;
}

std::array<LabelList*, kLabelFileNames.size()> ListsOf(LabelSet& set) {
  return {&set.plan, &set.unit, &set.pilot, &set.area, &set.klass, &set.special};
}

// Fills set from the files that can serve; the problems of those that cannot.
std::vector<std::string> ParseInto(const LabelFileBytes& files, LabelSet& set) {
  std::vector<std::string> problems;
  const auto lists = ListsOf(set);
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::string name = kLabelFileNames[i];
    if (files[i].size() > kMaxLabelFileSize) {
      problems.push_back(name + ": " + std::to_string(kMaxLabelFileSize >> 20) +
                         " MiB を超えています");
      continue;
    }
    const LabelText text = ReadLabelText(files[i]);
    if (const std::string reason = NotTextReason(files[i], text); !reason.empty()) {
      problems.push_back(name + ": テキストではありません (");
      problems.back().append(reason).append(")");
      continue;
    }
    *lists[i] = ParseText(text);
    if (lists[i]->Count() < MinimumEntries(i)) {
      problems.push_back(name + ": " + std::to_string(MinimumEntries(i)) + " 行必要ですが " +
                         std::to_string(lists[i]->Count()) + " 行です");
    }
  }
  return problems;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += (out.empty() ? "" : "\n") + line;
  return out;
}

}  // namespace

int LabelFileIndexIgnoringCase(std::string_view name) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
  for (std::size_t i = 0; i < kLabelFileNames.size(); ++i) {
    const std::string_view wanted = kLabelFileNames[i];
    if (std::equal(name.begin(), name.end(), wanted.begin(), wanted.end(),
                   [&](char x, char y) { return lower(x) == lower(y); }))
      return int(i);
  }
  return -1;
}

std::vector<std::string> LabelSetProblems(const LabelFileBytes& files) {
  LabelSet set;
  return ParseInto(files, set);
}

std::vector<std::string> LabelSetProblems(const LabelFileBytes& files, LabelSet& lists) {
  return ParseInto(files, lists);
}

LabelSet ParseLabelSet(const LabelFileBytes& files) {
  LabelSet set;
  const std::vector<std::string> problems = ParseInto(files, set);
  if (!problems.empty()) throw StartupError(Lines(problems));
  return set;
}

}  // namespace korvath
