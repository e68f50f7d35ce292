#include <gtest/gtest.h>

#include "core/int_conversion.h"
#include "core/working_copy.h"
#include "tests/core/test_image.h"

namespace korvath {
namespace {

using testing::GetBits;
using testing::PutBits;

// Plan n of force f, counted in absolute bits from the file's first bit.
int64_t PlanBit(int force, int n) {
  constexpr int64_t kStarts[] = {17295 * 8 + 6, 17593 * 8 + 7, 17892 * 8};
  return kStarts[force] + 9 * n;
}
void PutPlan(SaveImage& image, int force, int n, int state, int turn) {
  PutBits(image, PlanBit(force, n), 4, state);
  PutBits(image, PlanBit(force, n) + 4, 5, turn);
}

class PlanTableTest : public testing::OpenedImageTest {
 protected:
  const CellGrid& Plans(int force) const { return copy_.Grid(PlanGridOf(force)); }
};

TEST_F(PlanTableTest, SetUpShowsPlanNamesOnly) {
  EXPECT_EQ(Plans(1).Cell(1, 0), "0 計画0");
  EXPECT_EQ(Plans(2).Cell(265, 0), "264 計画264");
  EXPECT_EQ(Plans(0).Cell(0, 2), "ターン");
  EXPECT_EQ(Plans(0).Cell(1, 1), "");
  EXPECT_EQ(Plans(0).Cell(1, 2), "");
}

TEST_F(PlanTableTest, LoadShowsEveryStateCodeAndTheTurn) {
  const char* texts[16] = {"",  "次提案", "NEW", "?", "?", "資金１", "資金２", "END",
                           "?", "?",      "?",   "?", "?", "?",      "?",      "?"};
  for (int code = 0; code < 16; ++code) PutPlan(image_, 1, 100 + code, code, code + 10);
  Open();
  for (int code = 0; code < 16; ++code) {
    EXPECT_EQ(Plans(1).Cell(101 + code, 1), texts[code]) << code;
    EXPECT_EQ(Plans(1).Cell(101 + code, 2), std::to_string(code + 10)) << code;
  }
}

TEST_F(PlanTableTest, BlocksLieBackToBackAtOddBitOffsets) {
  PutPlan(image_, 0, 264, 2, 31);
  PutPlan(image_, 1, 0, 6, 17);
  PutPlan(image_, 2, 264, 1, 1);
  Open();
  EXPECT_EQ(Plans(0).Cell(265, 1), "NEW");
  EXPECT_EQ(Plans(0).Cell(265, 2), "31");
  EXPECT_EQ(Plans(1).Cell(1, 1), "資金２");
  EXPECT_EQ(Plans(1).Cell(1, 2), "17");
  EXPECT_EQ(Plans(2).Cell(265, 1), "次提案");
}

TEST_F(PlanTableTest, StoreClearsTheTurnOfUnproposedAndFinishedPlans) {
  PutPlan(image_, 0, 0, 0, 5);
  PutPlan(image_, 0, 1, 7, 9);
  PutPlan(image_, 0, 2, 1, 9);
  PutPlan(image_, 0, 3, 3, 12);
  PutPlan(image_, 0, 4, 15, 13);
  Open();
  copy_.SetCell(PlanGridOf(0), 4, 2, "30");  // "?" plans keep their turn even when it is typed
  copy_.StorePass();
  const SaveImage& saved = copy_.Image();
  struct Expect {
    int n, state, turn;
    const char* turnCell;
  };
  const Expect expected[] = {
      {0, 0, 0, "0"}, {1, 7, 0, "0"}, {2, 1, 9, "9"}, {3, 3, 12, "30"}, {4, 15, 13, "13"},
  };
  for (const auto& e : expected) {
    EXPECT_EQ(GetBits(saved, PlanBit(0, e.n), 4), unsigned(e.state)) << e.n;
    EXPECT_EQ(GetBits(saved, PlanBit(0, e.n) + 4, 5), unsigned(e.turn)) << e.n;
    EXPECT_EQ(Plans(0).Cell(e.n + 1, 2), e.turnCell) << e.n;
  }
}

TEST_F(PlanTableTest, PopupChoicesAreStoredWithTheirTurn) {
  PutPlan(image_, 2, 10, 1, 20);
  PutPlan(image_, 2, 11, 2, 20);
  Open();
  copy_.SetActivePage(2);
  copy_.SetCurrentCell(PlanGridOf(2), 11, 1);
  copy_.PlanPopupMenuClick(3);  // "資金１"
  copy_.SetCurrentCell(PlanGridOf(2), 12, 1);
  copy_.PlanPopupMenuClick(0);  // "未提案"
  EXPECT_EQ(Plans(2).Cell(12, 1), "");
  EXPECT_EQ(Plans(2).Cell(12, 2), "0");
  copy_.StorePass();
  EXPECT_EQ(GetBits(copy_.Image(), PlanBit(2, 10), 9), (5u << 5) | 1u);
  EXPECT_EQ(GetBits(copy_.Image(), PlanBit(2, 11), 9), 0u);
}

TEST_F(PlanTableTest, TurnsAreCutToFiveBitsWithoutTouchingTheState) {
  PutPlan(image_, 1, 0, 5, 0);
  PutPlan(image_, 1, 1, 6, 0);
  Open();
  copy_.SetCell(PlanGridOf(1), 1, 2, "33");
  copy_.SetCell(PlanGridOf(1), 2, 2, "-1");
  copy_.StorePass();
  EXPECT_EQ(GetBits(copy_.Image(), PlanBit(1, 0), 9), (5u << 5) | 1u);
  EXPECT_EQ(GetBits(copy_.Image(), PlanBit(1, 1), 9), (6u << 5) | 31u);
}

TEST_F(PlanTableTest, BadTurnFailsWhateverTheStateAndKeepsEarlierRowsStored) {
  PutPlan(image_, 1, 3, 4, 2);  // "?": would not be written, but its turn is still converted
  Open();
  for (int row = 1; row <= 3; ++row) copy_.SetCell(PlanGridOf(1), row, 2, "1");
  copy_.SetCell(PlanGridOf(1), 1, 1, "NEW");
  copy_.SetCell(PlanGridOf(1), 4, 2, "x");
  copy_.SetCell(PlanGridOf(1), 5, 1, "NEW");
  try {
    copy_.StorePass();
    FAIL() << "no conversion error";
  } catch (const ConversionError& e) {
    EXPECT_STREQ(e.what(), "'x' は整数ではありません");
  }
  // Rows 1 to 3 of this table were stored before the failing row.
  EXPECT_EQ(GetBits(copy_.Image(), PlanBit(1, 0), 9), (2u << 5) | 1u);
  EXPECT_EQ(Plans(1).Cell(2, 2), "0");                      // state 0: turn cleared and shown as 0
  EXPECT_EQ(GetBits(copy_.Image(), PlanBit(1, 4), 4), 0u);  // row 5 not reached
}

}  // namespace
}  // namespace korvath
