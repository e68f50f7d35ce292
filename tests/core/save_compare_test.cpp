#include "core/save_compare.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/working_copy.h"
#include "tests/core/test_image.h"
#include "tests/core/test_labels.h"

namespace korvath::testing {
namespace {

using Lines = std::vector<std::string>;

class SaveCompareTest : public ::testing::Test {
 protected:
  void Open() {
    ASSERT_TRUE(a_.Open(imageA_.Contents(), "a.bin"));
    ASSERT_TRUE(b_.Open(imageB_.Contents(), "b.bin"));
  }
  Lines Compared() const {
    Lines lines;
    for (const SaveDifference& d : CompareSaves(a_, b_)) lines.push_back(FormatDifference(d));
    return lines;
  }

  TempLabelDir dir_;
  WorkingCopy a_{dir_.Path()};
  WorkingCopy b_{dir_.Path()};
  SaveImage imageA_ = BlankImage();
  SaveImage imageB_ = BlankImage();
};

TEST_F(SaveCompareTest, SaveComparedWithItselfGivesNothing) {
  std::mt19937 random(7);
  for (auto& byte : imageA_.Bytes) byte = std::uint8_t(random());
  imageB_ = imageA_;
  Open();
  EXPECT_EQ(Compared(), Lines{});
}

// Every bit belongs to exactly one field or to a byte range: flipping any one bit of a random
// save is one difference, and it names that bit.
TEST_F(SaveCompareTest, EachFlippedBitIsOneDifferenceThatNamesIt) {
  std::mt19937 random(11);
  for (auto& byte : imageA_.Bytes) byte = std::uint8_t(random());
  ASSERT_TRUE(a_.Open(imageA_.Contents(), "a.bin"));
  for (int trial = 0; trial < 60; ++trial) {
    const int64_t bit = int64_t(random() % (8u * SaveImage::Capacity));
    imageB_ = imageA_;
    imageB_.Bytes[std::size_t(bit / 8)] ^= std::uint8_t(0x80 >> (bit % 8));
    ASSERT_TRUE(b_.Open(imageB_.Contents(), "b.bin"));
    const auto differences = CompareSaves(a_, b_);
    ASSERT_EQ(differences.size(), 1u) << "bit " << bit;
    const SaveDifference& d = differences[0];
    bool named = d.Kind == DifferenceKind::Bytes && bit / 8 >= d.FirstByte &&
                 bit / 8 < d.FirstByte + d.ByteCount;
    for (const TField& f : d.Bits) {
      const int64_t first = 8 * int64_t(f.ByteOffset) + f.BitOffset;
      named = named || (bit >= first && bit < first + f.BitWidth);
    }
    EXPECT_TRUE(named) << "bit " << bit << ": " << FormatDifference(d);
    EXPECT_NE(d.A, d.B) << FormatDifference(d);
  }
}

TEST_F(SaveCompareTest, OneFieldPerTableAndControlKindGivesExactlyThoseLines) {
  PutBits(imageB_, ControlBit("Edit1_1"), 24, 1234);
  PutBits(imageB_, ControlBit("CheckBox1_1"), 1, 1);
  PutBits(imageB_, RecordBit("StringGrid1_2", 4, 0), 9, 2);   // unit type
  PutBits(imageB_, ControlBit("ComboBox2_1"), 4, 3);          // faction list
  PutBits(imageB_, RecordBit("StringGrid2_1", 0, 0), 4, 2);   // plan state, a label
  PutBits(imageB_, RecordBit("StringGrid2_1", 0, 4), 5, 7);   // plan turn
  PutBits(imageB_, RecordBit("StringGrid4_1", 2, 7), 2, 1);   // affiliation, number and label
  PutBits(imageB_, RecordBit("StringGrid5_1", 1, 82), 5, 9);  // third dock's turn
  PutBits(imageB_, RecordBit("StringGrid5_2", 3, 3), 2, 1);   // ruler
  PutBits(imageB_, 8 * 16 + 1, 1, 1);                         // scenario item 2
  PutBits(imageB_, 8 * 1414, 1, 1);                           // special plan 1
  Open();

  EXPECT_EQ(Compared(),
            (Lines{
                "自軍 / 総資金: 0 → 1234 [バイト 1622 ビット 0 幅 24]",
                "自軍 / 諜報部能力 のフラグ: オフ → オン [バイト 1530 ビット 1 幅 1]",
                "自軍 / 部隊データ / No 4 / 名前 ID: 0 兵器0 → 2 兵器2 "
                "[バイト 1763 ビット 4 幅 9]",
                "敵勢力１ / 勢力: 北方連合 → 西方帝国 [バイト 1628 ビット 0 幅 4]",
                "敵勢力１ / 開発プラン / 0 計画0 / 状態: \"\" → NEW "
                "[バイト 17593 ビット 7 幅 4]",
                "敵勢力１ / 開発プラン / 0 計画0 / ターン: 0 → 7 "
                "[バイト 17594 ビット 3 幅 5]",
                "パイロット / パイロット / 2 パイロット2 / 所属 ID: 0 自軍 → 1 敵１ "
                "[バイト 14814 ビット 7 幅 2]",
                "エリア / 特別エリア 生産ドック / 5 エリア5 No 3 / ターン: 0 → 9 "
                "[バイト 16760 ビット 6 幅 5]",
                "エリア / エリア 支配勢力 / 3 エリア3 / 支配勢力: 自 → 敵１ "
                "[バイト 17011 ビット 4 幅 2]",
                "特別 / シナリオ: \"\" → 第２部 "
                "[バイト 17 ビット 3 幅 1, バイト 16 ビット 1 幅 1, バイト 16 ビット 0 幅 1]",
                "特別 / 特別プラン / 1 特別1: オフ → オン [バイト 1414 ビット 0 幅 1]",
            }));
}

TEST_F(SaveCompareTest, CodesThatShareTheirTextAreToldApartByNumber) {
  PutBits(imageA_, ControlBit("ComboBox2_1"), 4, 10);
  PutBits(imageB_, ControlBit("ComboBox2_1"), 4, 15);
  PutBits(imageA_, RecordBit("StringGrid5_2", 3, 1), 2, 2);  // neither code has a label
  PutBits(imageB_, RecordBit("StringGrid5_2", 3, 1), 2, 3);
  Open();

  EXPECT_EQ(Compared(), (Lines{"敵勢力１ / 勢力: 無し (10) → 無し (15) [バイト 1628 ビット 0 幅 4]",
                               "エリア / エリア 支配勢力 / 3 エリア3 / 戦闘中: ? (2) → ? (3) "
                               "[バイト 17011 ビット 2 幅 2]"}));
}

TEST_F(SaveCompareTest, BitsOutsideEveryFieldAreByteRanges) {
  // Unit record 0 leaves its bits 34 to 113 (bytes 1680 bit 2 to 1690 bit 1) uninterpreted.
  ASSERT_EQ(CoveredBits()[1680], 0xC0);
  ASSERT_EQ(CoveredBits()[1683], 0x00);
  ASSERT_EQ(CoveredBits()[1622], 0xFF);  // Edit1_1
  imageB_.Bytes[1680] = 0xFF;            // the destination's low two bits, and six bits of no field
  imageB_.Bytes[1682] = 0xFF;
  imageB_.Bytes[1683] = 0x01;
  imageB_.Bytes[1686] = 0x10;
  Open();

  EXPECT_EQ(Compared(), (Lines{
                            "自軍 / 部隊データ / No 0 / 移動先 ID: 0 エリア0 → "
                            "3 エリア3 [バイト 1679 ビット 3 幅 7]",
                            "項目外 / バイト 1680: 00 → FF",
                            "項目外 / バイト 1682-1683: 00 00 → FF 01",
                            "項目外 / バイト 1686: 00 → 10",
                        }));
}

TEST_F(SaveCompareTest, FilesOfOtherLengthsSayWhereTheOtherEnds) {
  imageA_.Bytes[1682] = 0x44;
  imageB_.Length = 1682;
  Open();
  EXPECT_EQ(Compared(),
            (Lines{"ファイルの長さ: 18368 バイト → 1682 バイト", "項目外 / バイト 1682: 44 → --"}));
}

TEST_F(SaveCompareTest, ValuesEditedBackToTheOtherSaveNoLongerDiffer) {
  PutBits(imageB_, ControlBit("Edit1_1"), 24, 1234);
  PutBits(imageB_, ControlBit("ComboBox2_1"), 4, 3);
  PutBits(imageB_, RecordBit("StringGrid1_2", 4, 155), 10, 50);  // durability
  PutBits(imageB_, RecordBit("StringGrid5_2", 3, 3), 2, 1);
  PutBits(imageB_, 8 * 1414, 1, 1);
  Open();
  ASSERT_EQ(CompareSaves(a_, b_).size(), 5u);

  a_.SetCell(GridId::StringGrid1_2, 5, 3, "51");
  const auto moved = CompareSaves(a_, b_);
  ASSERT_EQ(moved.size(), 5u);
  EXPECT_EQ(moved[1].A, "51");  // a changed value keeps its mark with the new text

  a_.SetEditText("Edit1_1", "01234");  // the same number, written otherwise
  a_.SetItemIndex("ComboBox2_1", 3);
  a_.SetCell(GridId::StringGrid1_2, 5, 3, "50");
  a_.SetCell(GridId::StringGrid5_2, 4, 2, "敵１");
  a_.SetCheckListChecked(1, true);
  EXPECT_EQ(Compared(), Lines{});

  // A label that stands for nothing is not the other save's value, whatever it would store.
  a_.SetCell(GridId::StringGrid5_2, 4, 4, "xyz");
  EXPECT_EQ(Compared(), Lines{"エリア / エリア 支配勢力 / 3 エリア3 / 拠点1: xyz → 自 "
                              "[バイト 17012 ビット 0 幅 2]"});
}

}  // namespace
}  // namespace korvath::testing
