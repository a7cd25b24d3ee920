#include "racedata/past_run_formulas.h"

#include <gtest/gtest.h>

namespace zelkova {
namespace {

TEST(RaceLevelScore, GradesConditionsAndDeductions) {
  EXPECT_DOUBLE_EQ(RaceLevelScore("A", "11", "999", "05", "000"), 100);
  EXPECT_DOUBLE_EQ(RaceLevelScore("A", "11", "999", "35", "000"), 93);  // local course
  EXPECT_DOUBLE_EQ(RaceLevelScore("E", "13", "005", "05", "000"), 70);
  EXPECT_DOUBLE_EQ(RaceLevelScore("E", "12", "999", "05", "000"), 89.1);
  EXPECT_DOUBLE_EQ(RaceLevelScore("E", "11", "999", "05", "000"), 79);
  EXPECT_DOUBLE_EQ(RaceLevelScore(" ", "11", "701", "05", "000"), 68);
  EXPECT_DOUBLE_EQ(RaceLevelScore(" ", "11", "701", "05", "020"), 61);
  EXPECT_DOUBLE_EQ(RaceLevelScore(" ", "13", "010", "05", "000"), 75);   // 10 x 1.4 + 68 - 7
  EXPECT_DOUBLE_EQ(RaceLevelScore(" ", "12", "999", "05", "000"), 87.1);
  EXPECT_DOUBLE_EQ(RaceLevelScore("Z", "11", "999", "05", "000"), 0);
  // Obstacle, local, symbol letter and symbol "2" each take 7, and the result stops at 0.
  EXPECT_DOUBLE_EQ(RaceLevelScore("H", "21", "999", "40", "B20"), 75 - 28);
  EXPECT_DOUBLE_EQ(RaceLevelScore(" ", "23", "703", "40", "C20"), 62 - 28);
  EXPECT_DOUBLE_EQ(RaceLevelScore("Z", "23", "999", "40", "C20"), 0);
}

TEST(RaceLevelScore, BranchesThatKeepTheirStartValue) {
  // Grade E: a condition that is neither a prize class nor open keeps 64, as do other kinds.
  EXPECT_DOUBLE_EQ(RaceLevelScore("E", "13", "703", "05", "000"), 64);
  EXPECT_DOUBLE_EQ(RaceLevelScore("E", "18", "005", "05", "000"), 64);
  EXPECT_DOUBLE_EQ(RaceLevelScore("E", "18", "999", "05", "000"), 73);
  EXPECT_DOUBLE_EQ(RaceLevelScore("E", "12", "010", "05", "000"), 10 * 1.4 + 70);
  // No grade: 702 and 703, open obstacle-kind races, and kinds without a rule.
  EXPECT_DOUBLE_EQ(RaceLevelScore(" ", "12", "702", "05", "000"), 64);
  EXPECT_DOUBLE_EQ(RaceLevelScore(" ", "12", "703", "05", "000"), 62);
  EXPECT_DOUBLE_EQ(RaceLevelScore(" ", "19", "999", "05", "000"), 71);
  EXPECT_DOUBLE_EQ(RaceLevelScore(" ", "11", "999", "05", "000"), 77);
  EXPECT_DOUBLE_EQ(RaceLevelScore(" ", "18", "016", "05", "000"), 62);
  EXPECT_DOUBLE_EQ(RaceLevelScore(" ", "12", "016", "05", "000"), 16 * 1.4 + 68);
  // The other grades, with and without padding; a symbol letter outside B..M takes nothing.
  EXPECT_DOUBLE_EQ(RaceLevelScore("B", "11", "999", "05", "000"), 93);
  EXPECT_DOUBLE_EQ(RaceLevelScore("L", "11", "999", "05", "A00"), 86);
  EXPECT_DOUBLE_EQ(RaceLevelScore("G", "11", "999", "05", "N00"), 77);
  EXPECT_DOUBLE_EQ(RaceLevelScore("F", "11", "999", "61", "M00"), 79 - 14);
  EXPECT_DOUBLE_EQ(RaceLevelScore("D", "11", "999", "29", "000"), 86);  // 29 is not local
}

TEST(AbilityIndex, MarginsFinishesAndWeights) {
  EXPECT_DOUBLE_EQ(AbilityIndex("05", "01", "-003", "570", 86), 113);
  // 12th: counted as 6th on a central course, as 12th elsewhere.
  EXPECT_DOUBLE_EQ(AbilityIndex("05", "12", "0010", "550", 80), 15 + 80 - 10);
  EXPECT_DOUBLE_EQ(AbilityIndex("44", "12", "0010", "550", 80), 9 + 80 - 10);
  // 2.5 s behind is capped at 1.5 s.
  EXPECT_DOUBLE_EQ(AbilityIndex("05", "03", "0025", "550", 80), 18 + 80 - 15);
  // A missing weight counts as 55 kg.
  EXPECT_DOUBLE_EQ(AbilityIndex("05", "03", "0005", "   ", 80), 18 + 80 - 5);
  EXPECT_DOUBLE_EQ(AbilityIndex("05", "01", "0000", "550", 80), -1);
  EXPECT_DOUBLE_EQ(AbilityIndex("05", "01", "9999", "550", 80), -1);
  EXPECT_DOUBLE_EQ(AbilityIndex("05", "01", " 999", "550", 80), -1);
  EXPECT_DOUBLE_EQ(AbilityIndex("05", "01", "    ", "550", 80), -1);
  EXPECT_DOUBLE_EQ(AbilityIndex("05", "00", "0003", "550", 80), -1);
  EXPECT_DOUBLE_EQ(AbilityIndex("05", "AB", "0003", "550", 80), -1);
}

TEST(RunSpeed, MetresPerMinuteAndMissingTimes) {
  EXPECT_DOUBLE_EQ(RunSpeed("1345", "1600"), 1600 / 94.5 * 60);
  EXPECT_DOUBLE_EQ(RunSpeed("0000", "1600"), 0);
  EXPECT_DOUBLE_EQ(RunSpeed("9999", "1600"), 0);
  EXPECT_DOUBLE_EQ(RunSpeed("    ", "1600"), 0);
  EXPECT_DOUBLE_EQ(RunSpeed("1345", "    "), 0);
  EXPECT_DOUBLE_EQ(RunSpeed(" 000", "1600"), 0);  // no division by a zero time
}

TEST(RateScore, GivenRowsAndOutOfRange) {
  EXPECT_EQ(RateScore(0, 0), 9);
  EXPECT_EQ(RateScore(1, 1), 27);
  EXPECT_EQ(RateScore(5, 3), 34);
  EXPECT_EQ(RateScore(12, 12), 78);
  const int row20[] = {1, 4, 7, 10, 14, 17, 21, 25, 29, 33, 38, 42, 47, 52, 57, 61, 66, 71, 77, 82, 85};
  for (int k = 0; k <= 20; ++k) EXPECT_EQ(RateScore(20, k), row20[k]) << k;
  const int head55[] = {1, 1, 2, 3, 4, 6, 7, 9, 10, 12};
  for (int k = 0; k < 10; ++k) EXPECT_EQ(RateScore(55, k), head55[k]) << k;
  EXPECT_EQ(RateScore(55, 50), 84);
  EXPECT_EQ(RateScore(55, 55), 94);
  EXPECT_EQ(RateScore(60, 3), 9);
  EXPECT_EQ(RateScore(5, 6), 9);
  EXPECT_EQ(RateScore(-1, 0), 9);
  EXPECT_EQ(RateScore(5, -1), 9);
}

TEST(RateScore, TableShape) {
  int prevLast = 0;
  for (int n = 1; n <= 55; ++n) {
    for (int k = 1; k <= n; ++k) EXPECT_GE(RateScore(n, k), RateScore(n, k - 1)) << n << "," << k;
    EXPECT_GT(RateScore(n, n), RateScore(n, 0)) << n;
    if (n >= 3) {
      EXPECT_GE(RateScore(n, n), prevLast) << n;  // the last entry climbs (rows 1-2 are given)
    }
    prevLast = RateScore(n, n);
    if (n > 1) {
      EXPECT_LE(RateScore(n, 0), RateScore(n - 1, 0)) << n;  // k = 0 falls slowly
    }
    if (n >= 14) {
      EXPECT_EQ(RateScore(n, 0), 1) << n;
    }
    for (int k = 0; k <= n; ++k) {
      EXPECT_GE(RateScore(n, k), 1);
      EXPECT_LE(RateScore(n, k), 94);
    }
  }
  EXPECT_EQ(RateScore(54, 54), 94);
  EXPECT_EQ(RateScore(13, 0), 2);
}

TEST(RateScore, DerivedRowsGrowInSmallSteps) {
  // The derived rows join the given ones without jumps: no step above the largest step of the
  // given rows 12 and 20, and row 55 fills its open middle in steps of 1 to 3.
  for (int n = 13; n <= 55; ++n)
    for (int k = 1; k <= n; ++k) EXPECT_LE(RateScore(n, k) - RateScore(n, k - 1), 9) << n << "," << k;
  for (int k = 10; k <= 50; ++k) {
    EXPECT_GE(RateScore(55, k) - RateScore(55, k - 1), 1) << k;
    EXPECT_LE(RateScore(55, k) - RateScore(55, k - 1), 3) << k;
  }
  // Half the starts won scores higher as the starts grow, as from row 12 to row 20.
  EXPECT_LE(RateScore(12, 6), RateScore(16, 8));
  EXPECT_LE(RateScore(16, 8), RateScore(20, 10));
  EXPECT_LE(RateScore(20, 10), RateScore(30, 15));
  EXPECT_LE(RateScore(30, 15), RateScore(54, 27));
}

}  // namespace
}  // namespace zelkova
