#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace korvath {

// Any failure while reading the label files or setting up the tables at start-up.
class StartupError : public std::runtime_error {
 public:
  StartupError() : std::runtime_error("ファイル読込エラー") {}
  // The same message with a second line that tells the user where to look.
  explicit StartupError(const std::string& detail)
      : std::runtime_error("ファイル読込エラー\n" + detail) {}
};

// Shift-JIS as Windows writes it (CP932) to UTF-8; bytes that do not decode become U+FFFD.
std::string DecodeCp932(std::string_view bytes);
// UTF-8 to CP932, for the demo generator; characters CP932 lacks become '?'.
std::string EncodeCp932(std::string_view utf8);

enum class LabelEncoding { Cp932, Utf8 };

// How a label file's text (the bytes before any NUL) is read. UTF-8 when it begins with a byte
// order mark, or when it is well-formed UTF-8 and not well-formed CP932. When it is both, UTF-8
// only if it has a character of three bytes or more (every kana and kanji is one) and CP932 has
// every character it holds; CP932 otherwise. CP932's half-width katakana are single bytes that
// can pair up only into two-byte UTF-8 characters, so a file of them and ASCII stays CP932.
LabelEncoding LabelEncodingOf(std::string_view text);

// Why bytes are not the text of a label file ("1 行目にゼロのバイトがあります"), or the empty
// text when they are: a NUL before the first line end, or bytes the file's encoding cannot read.
std::string NotTextReason(std::string_view fileBytes);

// One label file: entry i is line i, the name of id i. Entries are UTF-8.
class LabelList {
 public:
  LabelList() = default;
  explicit LabelList(std::vector<std::string> entries) : entries_(std::move(entries)) {}

  // Splits raw file bytes into entries (CR LF, LF or CR end a line; a NUL ends the text) and
  // decodes each from the file's encoding (LabelEncodingOf). Lines past the first kMaxEntries are
  // dropped; bytes that do not decode become U+FFFD.
  static LabelList Parse(std::string_view fileBytes);

  // No id (at most 9 bits wide) and no table row reaches this far; real label files have a few
  // hundred lines. Without the bound a file of line feeds alone would become millions of table
  // rows and list items.
  static constexpr int kMaxEntries = 65536;

  int Count() const { return int(entries_.size()); }
  // Entry i; throws std::out_of_range when there is none.
  const std::string& Entry(int i) const { return entries_.at(std::size_t(i)); }
  const std::vector<std::string>& Entries() const { return entries_; }

  // Entry v when 0 <= v < Count(), the empty text otherwise.
  const std::string& Label(int64_t v) const {
    return v >= 0 && v < int64_t(entries_.size()) ? entries_[std::size_t(v)] : none_;
  }

  // Cuts entry i down to the text before its first TAB (empty when it has none) and returns the
  // text after that TAB, or the whole line when there is no TAB.
  std::string CutToName(int i);

 private:
  std::vector<std::string> entries_;
  inline static const std::string none_;
};

// The six files, in the order they are read.
inline constexpr std::array<const char*, 6> kLabelFileNames = {
    "plan.txt", "unit.txt", "pilot.txt", "area.txt", "class.txt", "special.txt"};

// The index in kLabelFileNames of the name that equals name but for ASCII case ("PLAN.TXT"), -1
// when there is none.
int LabelFileIndexIgnoringCase(std::string_view name);

// The six lists, in the order they are read.
struct LabelSet {
  LabelList plan;
  LabelList unit;
  LabelList pilot;
  LabelList area;
  LabelList klass;  // "class.txt": pilot ranks
  LabelList special;
};

inline constexpr int kMinAreaEntries = 78;
inline constexpr int kMinSpecialEntries = 211;

// Label files are small; anything past this is not a label file.
inline constexpr std::size_t kMaxLabelFileSize = std::size_t(4) * 1024 * 1024;

// Why a label file was not read at all: not there, or there and unreadable.
inline constexpr std::string_view kLabelFileMissing = "ありません";
inline constexpr std::string_view kLabelFileUnreadable = "読めません";

// The bytes of the six files, in the order of kLabelFileNames.
using LabelFileBytes = std::array<std::string, kLabelFileNames.size()>;

// Why each of the six files cannot serve, one "NAME: reason" per file at fault: larger than
// kMaxLabelFileSize, not text, or an area or special list too short. Empty when all can.
std::vector<std::string> LabelSetProblems(const LabelFileBytes& files);
// The same, with lists filled from the files that can serve, so that checking and reading a set
// reads each file once.
std::vector<std::string> LabelSetProblems(const LabelFileBytes& files, LabelSet& lists);

// The six lists from their files' bytes. Throws StartupError with LabelSetProblems, one per line,
// when they cannot serve.
LabelSet ParseLabelSet(const LabelFileBytes& files);

}  // namespace korvath
