// The installed reference tables against the widths their figures are written in: the largest
// rating any field can reach still fits every cell, CSV column and print column that shows it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "analysis/rating_stage.h"
#include "analysis/rating_tables.h"
#include "race_builder.h"

namespace zelkova {
namespace {

constexpr int kRatedCategories[] = {0, 1, 2, 4, 5, 6};

std::string F(const char* format, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, v);
  return buf;
}

// Each slot contributes one entry, of whichever class the run had: the extremes of a rating are
// the sums of the per-slot extremes over the thirteen slots the stage reads.
double ExtremeRating(const RatingTables& t, int kind, int category, bool largest) {
  double sum = 0;
  for (int slot = 0; slot < 13; ++slot) {
    double best = t.at(kind, category, 1, slot);
    for (int cls = 2; cls <= 7; ++cls) {
      const double v = t.at(kind, category, cls, slot);
      best = largest ? std::max(best, v) : std::min(best, v);
    }
    sum += best;
  }
  return sum;
}

class ShippedTables : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(tables.Load(ZELKOVA_BIN_DIR).ok()); }
  RatingTables tables;
};

TEST_F(ShippedTables, EveryRatingFitsTheWidthsItIsShownIn) {
  for (int kind : {RatingTables::kFinish, RatingTables::kPopularity, RatingTables::kCorner}) {
    double most = 0, least = 1e9;
    for (int c : kRatedCategories) {
      most = std::max(most, ExtremeRating(tables, kind, c, true));
      least = std::min(least, ExtremeRating(tables, kind, c, false));
    }
    SCOPED_TRACE("table " + std::to_string(kind) + ", largest " + std::to_string(most));
    EXPECT_GT(least, 0);  // every runner of a rated race is rated, and ranked
    // Race view (着RT/人RT/展RT cells), CSV export and print, each x 100.
    EXPECT_EQ(F("%5.1f", most * 100).size(), 5u);
    EXPECT_EQ(F("%6.1f", most * 100).size(), 6u);
    // 軸推理1's R着/R人/R展: |1 - rating| x 100.
    EXPECT_EQ(F("%6.2f", std::fabs(1 - most) * 100).size(), 6u);
    EXPECT_EQ(F("%6.2f", std::fabs(1 - least) * 100).size(), 6u);
    // Rank keys compare as fixed-width text.
    EXPECT_EQ(F("%10.4f", most).size(), 10u);
    for (int c = 0; c < RatingTables::kCategories; ++c)
      for (int row = 1; row <= 7; ++row)
        for (int col = 1; col <= 14; ++col) EXPECT_EQ(ReferenceCellText(tables, kind, c, col, row).size(), 5u);
  }
}

TEST_F(ShippedTables, ThirteenWinsInTheTopClassReachTheLargestRating) {
  auto race = testing::MakeRace(2, "016", "13");  // 3勝馬古
  for (int k = 0; k < 13; ++k) testing::SetPastRun(*race, 0, k, {});
  GateTable gates;
  RatingStage(*race, tables, gates);
  const RaceFigures& f = race->Figures;
  ASSERT_EQ(f.RaceCategory, 6);
  EXPECT_NEAR(f.FinishRating[0], ExtremeRating(tables, RatingTables::kFinish, 6, true), 1e-9);
  EXPECT_NEAR(f.PopularityRating[0], ExtremeRating(tables, RatingTables::kPopularity, 6, true), 1e-9);
  EXPECT_NEAR(f.PositionRating[0], ExtremeRating(tables, RatingTables::kCorner, 6, true), 1e-9);
  for (int c : kRatedCategories)
    EXPECT_LE(ExtremeRating(tables, RatingTables::kFinish, c, true), f.FinishRating[0]);
  // The runner without runs has the smallest rating, yet one.
  EXPECT_NEAR(f.FinishRating[1], ExtremeRating(tables, RatingTables::kFinish, 6, false), 1e-9);
  EXPECT_EQ(f.FinishRatingRank[1], 2);
}

// The tables' shape: a better place is worth more, a recent run more than an older one, and no
// run less than any run, the entry the program fixes at load included.
TEST_F(ShippedTables, BetterPlacesAndRecentRunsWeighMost) {
  for (int kind : {RatingTables::kFinish, RatingTables::kPopularity, RatingTables::kCorner})
    for (int c = 0; c < RatingTables::kCategories; ++c)
      for (int slot = 0; slot < 14; ++slot)
        for (int cls = 1; cls <= 7; ++cls) {
          SCOPED_TRACE(std::to_string(kind) + "/" + std::to_string(c) + "/" + std::to_string(cls) + "/" +
                       std::to_string(slot));
          if (cls < 7) {
            EXPECT_GT(tables.at(kind, c, cls, slot), tables.at(kind, c, cls + 1, slot));
          }
          if (slot < 13) {
            EXPECT_GE(tables.at(kind, c, cls, slot), tables.at(kind, c, cls, slot + 1));
          }
        }
}

}  // namespace
}  // namespace zelkova
