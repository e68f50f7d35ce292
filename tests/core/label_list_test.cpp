#include "core/label_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/label_folders.h"
#include "tests/core/odd_files.h"
#include "tests/core/temp_dir.h"

namespace korvath {
namespace {

using Entries = std::vector<std::string>;

Entries Lines(std::string_view bytes) { return LabelList::Parse(bytes).Entries(); }

TEST(LabelListParse, CutsLinesAtEveryKindOfLineEnd) {
  struct Case {
    std::string_view bytes;
    Entries want;
  };
  const Case cases[] = {
      {"a\r\nb\r\nc", {"a", "b", "c"}},
      {"a\r\nb\r\nc\r\n", {"a", "b", "c"}},
      {"a\nb\nc\n", {"a", "b", "c"}},
      {"a\rb\rc\r", {"a", "b", "c"}},
      {"a\r\nb\r\nc\r\n\r\n", {"a", "b", "c", ""}},
      {"a\n\rb", {"a", "", "b"}},  // LF CR is two line ends
      {"a\r\r\nb", {"a", "", "b"}},
      {"\r\n", {""}},
      {"\n\n", {"", ""}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Lines(c.bytes), c.want) << ::testing::PrintToString(std::string(c.bytes));
  }
}

TEST(LabelListParse, AZeroByteEndsTheText) {
  using namespace std::string_literals;
  EXPECT_EQ(Lines("a\r\nb\0c\r\nd"s), (Entries{"a", "b"}));
  EXPECT_EQ(Lines("\0a\r\nb"s), Entries{});
  EXPECT_EQ(Lines("a\r\n\0b"s), Entries{"a"});
}

TEST(LabelListParse, KeepsTheFirstLinesUpToTheBoundAndDropsTheRest) {
  constexpr auto kMax = std::size_t(LabelList::kMaxEntries);
  // Exactly at the bound, with or without a final line end, every line is kept.
  std::string text(kMax - 1, '\n');
  text += "last";
  LabelList list = LabelList::Parse(text);
  ASSERT_EQ(list.Count(), LabelList::kMaxEntries);
  EXPECT_EQ(list.Entries().back(), "last");
  // Four MiB of line feeds: the lines past the bound are not kept.
  text.assign(4u << 20, '\n');
  text.replace(kMax - 1, 4, "2\r\n3");
  list = LabelList::Parse(text);
  ASSERT_EQ(list.Count(), LabelList::kMaxEntries);
  EXPECT_EQ(list.Entries().back(), "2");
  EXPECT_EQ(list.Label(LabelList::kMaxEntries), "");
}

TEST(LabelListParse, KeepsBlanksAndTabsUntouched) {
  EXPECT_EQ(Lines(" 1 name\t3 \r\n\t\r\n"), (Entries{" 1 name\t3 ", "\t"}));
}

TEST(Cp932, DecodesKanaAndKanji) {
  struct Case {
    std::string_view cp932, utf8;
  };
  const Case cases[] = {
      {"\x82\xA0", "あ"},
      {"\x83\x41", "ア"},
      {"\xB1", "ｱ"},  // single-byte half-width kana
      {"\x8A\xBF\x8E\x9A", "漢字"},
      {"12 \x83\x5E\x83\x93\x83\x4E", "12 タンク"},
      {"\x95\x5C", "表"},  // trail byte 0x5C is not a backslash
      {"\x81\x5B", "ー"},
      {"\x81\x40", "　"},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeCp932(c.cp932), c.utf8) << c.utf8;
}

TEST(Cp932, InvalidBytesBecomeReplacementCharacters) {
  struct Case {
    std::string_view cp932, utf8;
  };
  const Case cases[] = {
      {"a\x82", "a\uFFFD"},               // cut off at the end
      {"\x82 b", "\uFFFD b"},             // lead byte without a trail byte
      {"\x82\x41\x82\xA0", "\uFFFDAあ"},  // ASCII after a lead byte is kept
      // An unassigned pair with a non-ASCII trail byte goes whole; the next character survives.
      {"\x85\x9F\x82\xA0", "\uFFFDあ"},
      {"\xEB\x9F\x83\x41", "\uFFFDア"},
      {"\x81\xAD\x82\xA0", "\uFFFDあ"},
      {"\xFF\xFFx", "\uFFFD\uFFFDx"},  // bytes that start nothing
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeCp932(c.cp932), c.utf8) << ::testing::PrintToString(std::string(c.cp932));
  }
}

TEST(Cp932, SingleBytesDecodeToOneCharacterEach) {
  for (int b = 0; b < 0x80; ++b)
    EXPECT_EQ(DecodeCp932(std::string(1, char(b))), std::string(1, char(b)));
  for (int b : {0x80, 0xA0, 0xFD, 0xFE, 0xFF})
    EXPECT_EQ(DecodeCp932(std::string(1, char(b))), "\uFFFD") << b;
  // Every lead byte followed by every trail byte: nothing may throw or read past the input.
  for (int lead = 0x80; lead < 0x100; ++lead) {
    std::string pairs;
    for (int trail = 0; trail < 0x100; ++trail) pairs += {char(lead), char(trail)};
    EXPECT_FALSE(DecodeCp932(pairs).empty());
  }
}

TEST(Cp932, EncodingRoundTripsAndMarksWhatItCannotMap) {
  EXPECT_EQ(EncodeCp932("12 漢字ｱ"), "12 \x8A\xBF\x8E\x9A\xB1");
  EXPECT_EQ(DecodeCp932(EncodeCp932("―― 第１部 ――")), "―― 第１部 ――");
  EXPECT_EQ(EncodeCp932("a😀b"), "a?b");
  EXPECT_EQ(EncodeCp932("a\xC3"), "a?");  // truncated UTF-8
}

TEST(LabelListParse, DecodesEachLineOnItsOwn) {
  // A lead byte at a line's end must not swallow the line end.
  EXPECT_EQ(Lines("\x82\r\n\x82\xA0"), (Entries{"\uFFFD", "あ"}));
}

TEST(LabelListParse, ReadsNotepadUtf8AndKeepsCp932AsCp932) {
  struct Case {
    const char* name;
    std::string bytes;
    Entries want;
  };
  const Case cases[] = {
      {"Notepad: BOM, CR LF",
       "\xEF\xBB\xBF"
       "0 戦車\r\n1 ｱﾊﾟｰﾄ\r\n",
       {"0 戦車", "1 ｱﾊﾟｰﾄ"}},
      {"UTF-8 without BOM", "12 タンク\n―― 第１部 ――", {"12 タンク", "―― 第１部 ――"}},
      {"UTF-8 of a rare kanji alone", "髙", {"髙"}},
      {"CP932", EncodeCp932("0 戦車\r\n1 ｱﾊﾟｰﾄ"), {"0 戦車", "1 ｱﾊﾟｰﾄ"}},
      // Half-width katakana that are well-formed UTF-8 too ("ý", "α", "Α" and "あ").
      {"CP932 ﾃｽ", "\xC3\xBD", {"ﾃｽ"}},
      {"CP932 ﾎｱ", "\xCE\xB1\r\n", {"ﾎｱ"}},
      {"CP932 ﾎ and kanji", "\xCE\x91\xE3\x81\x82", {DecodeCp932("\xCE\x91\xE3\x81\x82")}},
      {"a BOM alone", "\xEF\xBB\xBF", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Lines(c.bytes), c.want) << c.name;
}

// Names as players write them, in either encoding, read back as written: CP932 ones made of
// ASCII, half-width katakana, kana and JIS level-1 kanji are never taken for UTF-8.
TEST(LabelListParse, RandomNamesReadBackInEitherEncoding) {
  std::vector<std::string> pool;  // CP932 characters
  for (int b = 0xA1; b <= 0xDF; ++b) pool.emplace_back(1, char(b));
  for (int t = 0x9F; t <= 0xF1; ++t) pool.push_back({char(0x82), char(t)});
  for (int t = 0x40; t <= 0x96; ++t) {
    if (t != 0x7F) pool.push_back({char(0x83), char(t)});
  }
  for (int lead = 0x89; lead <= 0x97; ++lead) {
    for (int t = 0x40; t <= 0xFC; ++t) {
      if (t != 0x7F) pool.push_back({char(lead), char(t)});
    }
  }
  for (char c : std::string_view("0123456789 ")) pool.emplace_back(1, c);
  std::mt19937 rng(21);
  for (int n = 0; n < 20000; ++n) {
    std::string cp932;
    for (int k = 1 + int(rng() % 4); k > 0; --k) cp932 += pool[rng() % pool.size()];
    const std::string utf8 = DecodeCp932(cp932);
    ASSERT_EQ(Lines(cp932 + "\r\n"), Entries{utf8}) << ::testing::PrintToString(cp932);
    ASSERT_EQ(Lines("\xEF\xBB\xBF" + utf8), Entries{utf8});
    std::string twice = utf8;
    twice.append("\n").append(utf8);
    ASSERT_EQ(Lines(twice), (Entries{utf8, utf8})) << utf8;
  }
}

TEST(LabelList, LabelGivesTheEntryOrNothing) {
  const LabelList list(Entries{"0 none", "1 first", "2 last"});
  EXPECT_EQ(list.Label(0), "0 none");
  EXPECT_EQ(list.Label(2), "2 last");
  EXPECT_EQ(list.Label(3), "");
  EXPECT_EQ(list.Label(-1), "");
  EXPECT_EQ(list.Label(int64_t(1) << 40), "");
  EXPECT_EQ(LabelList().Label(0), "");
}

TEST(LabelList, CutToNameSplitsAtTheFirstTab) {
  LabelList list(Entries{"3 山\t3", "4 谷\tA\tB", "5 平原", "\t", ""});
  EXPECT_EQ(list.CutToName(0), "3");
  EXPECT_EQ(list.Entry(0), "3 山");
  EXPECT_EQ(list.CutToName(1), "A\tB");
  EXPECT_EQ(list.Entry(1), "4 谷");
  // Without a TAB the name is lost and the whole line goes to the caller.
  EXPECT_EQ(list.CutToName(2), "5 平原");
  EXPECT_EQ(list.Entry(2), "");
  EXPECT_EQ(list.CutToName(3), "");
  EXPECT_EQ(list.Entry(3), "");
  EXPECT_EQ(list.CutToName(4), "");
  EXPECT_EQ(list.Count(), 5);
  EXPECT_THROW(list.CutToName(5), std::out_of_range);
}

// A folder holding a set of label files written byte for byte.
class LabelFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    Write("plan.txt", Numbered(265));
    Write("unit.txt", EncodeCp932("0 なし\t-\t0\t0\t0\r\n1 戦車\t陸\t120\t40\t0\r\n"));
    Write("pilot.txt", EncodeCp932("0 パイロット\r\n"));
    Write("area.txt", Numbered(78));
    Write("class.txt", "");
    Write("special.txt", Numbered(217));
  }
  static std::string Numbered(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += std::to_string(i) + " \x96\xBC\r\n";  // "名"
    return s;
  }
  void Write(const char* name, const std::string& bytes) {
    testing::WriteFile(temp_ / name, bytes);
  }

  testing::TempDir temp_;
  const std::filesystem::path& dir_ = temp_.Path();
};

TEST_F(LabelFolder, ReadsAllSixLists) {
  const LabelSet set = ReadLabelLists(dir_);
  EXPECT_EQ(set.plan.Count(), 265);
  EXPECT_EQ(set.unit.Count(), 2);
  EXPECT_EQ(set.unit.Entry(1), "1 戦車\t陸\t120\t40\t0");
  EXPECT_EQ(set.pilot.Count(), 1);
  EXPECT_EQ(set.area.Count(), 78);
  EXPECT_EQ(set.area.Entry(77), "77 名");
  EXPECT_EQ(set.klass.Count(), 0);
  EXPECT_EQ(set.special.Count(), 217);
}

TEST_F(LabelFolder, FailsOnAMissingFile) {
  std::filesystem::remove(dir_ / "class.txt");
  EXPECT_THROW(ReadLabelLists(dir_), StartupError);
}

TEST_F(LabelFolder, FailsOnAFolderInPlaceOfAFile) {
  std::filesystem::remove(dir_ / "pilot.txt");
  std::filesystem::create_directory(dir_ / "pilot.txt");
  EXPECT_THROW(ReadLabelLists(dir_), StartupError);
}

TEST_F(LabelFolder, FailsOnShortAreaOrSpecialLists) {
  Write("area.txt", Numbered(77));
  EXPECT_THROW(ReadLabelLists(dir_), StartupError);
  Write("area.txt", Numbered(78));
  Write("special.txt", Numbered(210));
  EXPECT_THROW(ReadLabelLists(dir_), StartupError);
  Write("special.txt", Numbered(211));
  EXPECT_EQ(ReadLabelLists(dir_).special.Count(), 211);
}

// Each refused file is named with its reason, one per line; a name that differs in case alone
// stands in for a missing one.
TEST_F(LabelFolder, SaysWhichFileCannotServeAndWhy) {
  namespace fs = std::filesystem;
  using namespace std::string_literals;
  struct Case {
    const char* name;
    std::function<void()> change;
    std::string why;  // empty: the set is read
  };
  const Case cases[] = {
      {"missing", [&] { fs::remove(dir_ / "plan.txt"); }, "plan.txt: ありません"},
      {"capitals", [&] { fs::rename(dir_ / "plan.txt", dir_ / "PLAN.TXT"); }, ""},
      {"folder", [&] { fs::remove(dir_ / "pilot.txt"), fs::create_directory(dir_ / "pilot.txt"); },
       "pilot.txt: 通常のファイルではありません"},
      {"FIFO", [&] { fs::remove(dir_ / "unit.txt"), testing::MakeFifo(dir_ / "unit.txt"); },
       "unit.txt: 通常のファイルではありません"},
      {"device link",
       [&] { fs::remove(dir_ / "class.txt"), fs::create_symlink("/dev/zero", dir_ / "class.txt"); },
       "class.txt: 通常のファイルではありません"},
      {"too few lines", [&] { Write("area.txt", Numbered(12)); },
       "area.txt: 78 行必要ですが 12 行です"},
      {"zero byte in the first line", [&] { Write("plan.txt", "PK\x03\x04\0\0\r\n"s); },
       "plan.txt: テキストではありません (1 行目にゼロのバイトがあります)"},
      {"bytes neither encoding reads",
       [&] { Write("special.txt", Numbered(220) + "\xFF\xFE\x80\r\n"); },
       "special.txt: テキストではありません (221 行目に文字として読めないバイトがあります)"},
      {"a UTF-8 file with a bad byte far down",
       [&] {
         std::string utf8;
         for (int i = 0; i < 300; ++i) utf8 += std::to_string(i) + " 青木 湊\r\n";
         Write("pilot.txt", utf8 + "\xE9\x9D\r\n");
       },
       "pilot.txt: テキストではありません (Shift-JIS では 1 行目、UTF-8 では 301 "
       "行目に文字として読めないバイトがあります)"},
      {"UTF-16",
       [&] {
         Write("class.txt",
               "\xFF\xFE"
               "0\0 \0\r\0\n\0"s);
       },
       "class.txt: テキストではありません (UTF-16 です。UTF-8 か Shift-JIS で保存してください)"},
      {"too large", [&] { Write("unit.txt", std::string((4u << 20) + 1, '\n')); },
       "unit.txt: 4 MiB を超えています"},
      {"two at once", [&] { Write("area.txt", ""), Write("special.txt", Numbered(3)); },
       "area.txt: 78 行必要ですが 0 行です\nspecial.txt: 211 行必要ですが 3 行です"},
  };
  for (const Case& c : cases) {
    // Node's file system cannot make a FIFO; the command-line suite hands one to the node program.
    if (testing::kNoOddFiles != nullptr && std::string_view(c.name) == "FIFO") continue;
    for (const auto& entry : fs::directory_iterator(dir_)) fs::remove_all(entry.path());
    SetUp();
    c.change();
    try {
      const LabelSet set = ReadLabelLists(dir_);
      EXPECT_EQ(c.why, "") << c.name;
      EXPECT_EQ(set.plan.Count(), 265) << c.name;
    } catch (const StartupError& e) {
      EXPECT_EQ(e.what(), "ファイル読込エラー\n" + c.why) << c.name;
    }
  }
}

TEST(ExecutableDir, IsTheFolderOfThisProgramNotTheWorkingFolder) {
  const auto before = std::filesystem::current_path();
  std::filesystem::current_path(std::filesystem::temp_directory_path());
  const auto dir = ExecutableDir();
  std::filesystem::current_path(before);
  ASSERT_TRUE(dir.is_absolute());
#ifdef __EMSCRIPTEN__
  // Under node the program is the script beside its .wasm, not node.
  EXPECT_TRUE(std::filesystem::exists(dir / "korvath_core_tests.wasm")) << dir;
#else
  bool holdsThisProgram = false;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::error_code ec;
    if (std::filesystem::equivalent(entry.path(), "/proc/self/exe", ec)) holdsThisProgram = true;
  }
  EXPECT_TRUE(holdsThisProgram) << dir;
#endif
}

}  // namespace
}  // namespace korvath
