#include "analysis/rating_stage.h"

#include <gtest/gtest.h>

#include "race_builder.h"
#include "racedata/past_run_formulas.h"

namespace zelkova {
namespace {

using testing::MakeRace;
using testing::PastRunSpec;
using testing::Put;
using testing::SetPastRun;

class RatingStageTest : public ::testing::Test {
 protected:
  RatingTables tables;
  GateTable gates;
};

TEST_F(RatingStageTest, OneRunnerRanksFirstEverywhere) {
  auto race = MakeRace(1);
  RaceFigures& f = race->Figures;
  f.PlaceRate[0] = 10;
  f.PrizePerStart[0] = 50;
  SetPastRun(*race, 0, 0, {});
  RatingStage(*race, tables, gates);
  EXPECT_DOUBLE_EQ(f.EstimatedSupport[0], 100 + 0.2 * 100);
  EXPECT_DOUBLE_EQ(f.TopThreeShare, f.EstimatedSupport[0]);
  EXPECT_EQ(f.EstimatedSupportRank[0], 1);
  EXPECT_EQ(f.PrizeRank[0], 1);
  EXPECT_EQ(f.AbilityMaxRank[0], 1);
  EXPECT_EQ(f.BestAdjustedRank[0], 1);
  EXPECT_EQ(f.PlaceMarginRank[0], 1);
  // Level 86 for a "C" race at a central course, winner 0.3 s clear at 55 kg.
  EXPECT_DOUBLE_EQ(f.PastLevel[0][0], 86);
  EXPECT_DOUBLE_EQ(f.PastAbility[0][0], 20 + 86 + 3);
  EXPECT_DOUBLE_EQ(f.PastAbility[0][1], -1);
  EXPECT_EQ(race->Runners[1].SeRecord.empty(), true);
  EXPECT_EQ(f.AbilityMaxRank[1], 0);  // unregistered slots stay untouched
}

TEST_F(RatingStageTest, RatingsSumTheTablesAndEqualRatingsRankByRunnerNumber) {
  for (int k = 0; k < 13; ++k) {
    tables.set(RatingTables::kFinish, 4, 1, k, 0.01);
    tables.set(RatingTables::kFinish, 4, 7, k, 0.001);
    tables.set(RatingTables::kPopularity, 4, 6, k, 0.02);
  }
  auto race = MakeRace(3);
  for (int h = 0; h < 2; ++h)
    for (int k = 0; k < 3; ++k) SetPastRun(*race, h, k, {.popularity = "14"});
  RatingStage(*race, tables, gates);
  RaceFigures& f = race->Figures;
  EXPECT_EQ(f.RaceCategory, 4);
  EXPECT_NEAR(f.FinishRating[0], 3 * 0.01 + 10 * 0.001, 1e-12);
  EXPECT_NEAR(f.PopularityRating[0], 3 * 0.02, 1e-12);
  EXPECT_NEAR(f.FinishComplement[0], 1 - f.FinishRating[0], 1e-12);
  EXPECT_DOUBLE_EQ(f.PositionComplement[0], 10000);  // corner table is all 0
  EXPECT_EQ(f.FinishRatingRank[1], 1);
  EXPECT_EQ(f.FinishRatingRank[0], 2);
  EXPECT_EQ(f.FinishRatingRank[2], 3);  // no runs: 13 x "no run"
  EXPECT_EQ(f.PositionRatingRank[0], 0);
}

TEST_F(RatingStageTest, NewcomerRacesHaveNoRatings) {
  tables.set(RatingTables::kFinish, 0, 7, 0, 5);
  auto race = MakeRace(2, "701", "11");
  RatingStage(*race, tables, gates);
  EXPECT_EQ(race->Figures.RaceCategory, 7);
  EXPECT_DOUBLE_EQ(race->Figures.FinishRating[0], 0);
  EXPECT_DOUBLE_EQ(race->Figures.FinishComplement[0], 10000);
  EXPECT_EQ(race->Figures.FinishRatingRank[0], 0);
}

TEST_F(RatingStageTest, MarginsAndWinClass) {
  auto race = MakeRace(3);
  RaceFigures& f = race->Figures;
  SetPastRun(*race, 0, 0, {.finish = "01", .margin = "-012"});
  SetPastRun(*race, 0, 1, {.finish = "02", .margin = "0004"});
  SetPastRun(*race, 0, 2, {.finish = "01", .margin = "0000"});  // no margin given
  f.CareerStarts[1] = 3;
  SetPastRun(*race, 1, 0, {.finish = "03", .margin = "0004"});
  RatingStage(*race, tables, gates);
  EXPECT_DOUBLE_EQ(f.WinMargin[0], -1.2);
  EXPECT_DOUBLE_EQ(f.PlaceMargin[0], -0.4);
  EXPECT_EQ(f.WinClass[0].View(), "A0");
  EXPECT_DOUBLE_EQ(f.WinMargin[1], 100);
  EXPECT_DOUBLE_EQ(f.PlaceMargin[1], 100);
  EXPECT_EQ(f.WinClass[1].View(), "ZZ");
  EXPECT_DOUBLE_EQ(f.WinMargin[2], 1000);
  EXPECT_EQ(f.WinClass[2].View(), "ZZ");
  EXPECT_EQ(f.PlaceMarginRank[0], 1);
}

TEST_F(RatingStageTest, HeavyGoingCountsForBestLast3FOnTurfOnly) {
  auto dirt = MakeRace(1, "005", "13", "23", "1600");
  SetPastRun(*dirt, 0, 0, {.last3f = "355", .track = "23", .turfGoing = "0", .dirtGoing = "3"});
  SetPastRun(*dirt, 0, 1, {.last3f = "365", .track = "23", .turfGoing = "0", .dirtGoing = "1"});
  RatingStage(*dirt, tables, gates);
  EXPECT_EQ(dirt->Figures.SurfaceDistanceClass, 4);
  EXPECT_DOUBLE_EQ(dirt->Figures.BestLast3FOnClass[0], 36.5);
  EXPECT_DOUBLE_EQ(dirt->Figures.Last3FOnClass[0], 36.5);

  auto turf = MakeRace(1);
  SetPastRun(*turf, 0, 0, {.last3f = "340", .turfGoing = "4"});
  SetPastRun(*turf, 0, 1, {.last3f = "350", .turfGoing = "1"});
  SetPastRun(*turf, 0, 2, {.last3f = "330", .distance = "2000"});  // another class
  RatingStage(*turf, tables, gates);
  const RaceFigures& f = turf->Figures;
  EXPECT_DOUBLE_EQ(f.BestLast3FOnClass[0], 34.0);
  EXPECT_DOUBLE_EQ(f.Last3FOnClass[0], 35.0);  // heavy going stays out of the mean
  EXPECT_DOUBLE_EQ(f.Last3FByClass[0][1], 33.0);
  EXPECT_DOUBLE_EQ(f.SpeedOnClass[0], 1600 / 94.5 * 60);
  EXPECT_DOUBLE_EQ(f.FieldLast3FAverage, 35.0);
}

TEST_F(RatingStageTest, GateRowFollowsTheFieldSize) {
  gates.rows[0][0] = 3.0;  // 8 runners
  auto eight = MakeRace(8);
  RatingStage(*eight, tables, gates);
  // Place rate 0, jockey and trainer rates at their -1 start values.
  EXPECT_DOUBLE_EQ(eight->Figures.EntryStrength[0], -2 + 3.0 / 1.5 * 10);
  auto seven = MakeRace(7);
  RatingStage(*seven, tables, gates);
  EXPECT_DOUBLE_EQ(seven->Figures.EntryStrength[0], -2 + 1.492 / 1.5 * 10);
  EXPECT_DOUBLE_EQ(GateValue(gates, 7, 8), 0);
}

TEST_F(RatingStageTest, NewcomerSupportIsThePlainShare) {
  gates.small[0] = gates.small[1] = 1.5;  // equal gates: equal entry strength
  for (const char* cond : {"701", "005"}) {
    auto race = MakeRace(2, cond, "11");
    RaceFigures& f = race->Figures;
    f.PrizePerStart = {30, 10};
    RatingStage(*race, tables, gates);
    if (cond[0] == '7') {
      EXPECT_DOUBLE_EQ(f.EstimatedSupport[0], 50);
    } else {
      EXPECT_DOUBLE_EQ(f.EstimatedSupport[0], 75 + 10);
      EXPECT_DOUBLE_EQ(f.EstimatedSupport[1], 25 + 10);
      EXPECT_DOUBLE_EQ(f.TopThreeShare, 120);
    }
  }
}

TEST_F(RatingStageTest, AdjustedIndicesKeepDistinctValues) {
  auto race = MakeRace(2);
  Put(race->Runners[0].SeRecord, 289, "570");  // 57 kg today: 4 off every index
  SetPastRun(*race, 0, 0, {.margin = "0005"});
  SetPastRun(*race, 0, 1, {.margin = "0005"});
  SetPastRun(*race, 0, 2, {.margin = "0010"});
  SetPastRun(*race, 1, 0, {.margin = "0005"});
  SetPastRun(*race, 1, 1, {.margin = "0005"});
  RatingStage(*race, tables, gates);
  const RaceFigures& f = race->Figures;
  EXPECT_DOUBLE_EQ(f.BestAdjusted[0], 20 + 86 - 5 - 4);
  EXPECT_DOUBLE_EQ(f.SecondAdjusted[0], 20 + 86 - 10 - 4);
  EXPECT_DOUBLE_EQ(f.BestAdjusted[1], 20 + 86 - 5);
  EXPECT_DOUBLE_EQ(f.SecondAdjusted[1], 0);  // all equal: no second value
  EXPECT_EQ(f.BestAdjustedRank[1], 1);
  EXPECT_EQ(f.SecondAdjustedRank[0], 1);
  EXPECT_EQ(f.SecondAdjustedRank[1], 0);
}

TEST_F(RatingStageTest, OddsOrderAndRecordScoresAfterOdds) {
  auto race = MakeRace(4);
  RaceFigures& f = race->Figures;
  f.WinOdds = {3.5, 3.5, 2.0, -1};
  f.PlaceOddsLow = {1.6, 1.4, 1.2, -1};
  f.PopularityOrder[3] = 7;
  Put(race->Runners[0].UmRecord, 1107, "002001000000000002");
  RatingStageAfterOdds(*race);
  EXPECT_EQ(f.PopularityOrder[2], 1);
  EXPECT_EQ(f.PopularityOrder[1], 2);
  EXPECT_EQ(f.PopularityOrder[0], 3);
  EXPECT_EQ(f.PopularityOrder[3], 7);  // no odds: keeps what it had
  EXPECT_DOUBLE_EQ(f.RateScores[0][0], RateScore(5, 2));
  EXPECT_DOUBLE_EQ(f.RateScores[0][1], RateScore(5, 3));
  EXPECT_DOUBLE_EQ(f.RateScores[0][3], f.RateScores[0][0]);
  EXPECT_DOUBLE_EQ(f.RateScores[1][12], 9);  // no counts
}

TEST_F(RatingStageTest, AbilityUsesTheLatestThirteenUsableRuns) {
  auto race = MakeRace(2);
  SetPastRun(*race, 0, 0, {.margin = "0005"});                 // 20 + 86 - 5 = 101
  SetPastRun(*race, 0, 1, {.margin = "0000"});                 // no index
  SetPastRun(*race, 0, 2, {.finish = "02", .margin = "0002"}); // 19 + 86 - 2 = 103
  SetPastRun(*race, 0, 13, {.margin = "-009"});                // 14th run: level only
  RatingStage(*race, tables, gates);
  const RaceFigures& f = race->Figures;
  EXPECT_DOUBLE_EQ(f.PastAbility[0][1], -1);
  EXPECT_DOUBLE_EQ(f.PastAbility[0][13], 20 + 86 + 9);
  EXPECT_DOUBLE_EQ(f.AbilityMax[0], 103);
  EXPECT_DOUBLE_EQ(f.AbilityAvg[0], 102);
  EXPECT_DOUBLE_EQ(f.AbilityMax[1], 0);
  EXPECT_EQ(f.AbilityMaxRank[0], 1);
  EXPECT_EQ(f.AbilityMaxRank[1], 2);  // every runner is ranked
}

// A runner scratched on the day, by its entry or by a change notice, takes no place, so the
// others rank as if it were not there.
TEST_F(RatingStageTest, ScratchedRunnersTakeNoPlace) {
  for (const char* how : {"entry", "notice"}) {
    auto race = MakeRace(3);
    SetPastRun(*race, 0, 0, {.margin = "-009"});  // the best, but it does not run
    SetPastRun(*race, 1, 0, {.margin = "0005"});
    SetPastRun(*race, 2, 0, {.margin = "0009"});
    if (std::string(how) == "entry") Put(race->Runners[0].SeRecord, 332, "3");  // 競走除外
    else race->Runners[0].ScratchNotice = '1';
    RatingStage(*race, tables, gates);
    const RaceFigures& f = race->Figures;
    EXPECT_EQ(f.AbilityMaxRank[0], 0) << how;
    EXPECT_EQ(f.AbilityMaxRank[1], 1) << how;
    EXPECT_EQ(f.AbilityMaxRank[2], 2) << how;
    EXPECT_EQ(f.PrizeRank[0], 0) << how;
    EXPECT_EQ(f.EstimatedSupportRank[0], 0) << how;
  }
}

TEST_F(RatingStageTest, MeansOfPopularityCornerAndBodyWeight) {
  auto race = MakeRace(2);
  SetPastRun(*race, 0, 0, {.finish = "01", .popularity = "02", .corner = "03", .body = "480"});
  SetPastRun(*race, 0, 1, {.finish = "04", .popularity = "06", .corner = "00", .body = "490"});
  SetPastRun(*race, 0, 2, {.finish = "09", .popularity = "  ", .corner = "05", .body = "500"});
  SetPastRun(*race, 0, 3, {.finish = "02", .popularity = "01", .corner = "01", .body = "000"});
  // Not weighed: in no weight average.
  SetPastRun(*race, 0, 4, {.finish = "02", .popularity = "  ", .corner = "00", .body = "999"});
  SetPastRun(*race, 0, 5, {.finish = "07", .popularity = "  ", .corner = "00", .body = "999"});
  RatingStage(*race, tables, gates);
  const RaceFigures& f = race->Figures;
  EXPECT_DOUBLE_EQ(f.AveragePopularity[0], 3);
  EXPECT_DOUBLE_EQ(f.AverageCorner4[0], 3);
  EXPECT_DOUBLE_EQ(f.WeightWhenFirstOrSecond[0], 480);
  EXPECT_DOUBLE_EQ(f.WeightWhenPlaced[0], 485);
  EXPECT_DOUBLE_EQ(f.WeightWhenUnplaced[0], 500);
  // Ascending ranks put a runner without corners last, not first.
  EXPECT_EQ(f.AverageCorner4Rank[0], 1);
  EXPECT_EQ(f.AverageCorner4Rank[1], 2);
  EXPECT_DOUBLE_EQ(f.AverageCorner4[1], 0);
}

TEST_F(RatingStageTest, BestLast3FOfARaceWithoutClassComesFromRunsWithoutClass) {
  auto race = MakeRace(1, "999", "18", "54", "3000");  // obstacle: class 0
  SetPastRun(*race, 0, 0, {.last3f = "380", .track = "54", .distance = "3000"});
  SetPastRun(*race, 0, 1, {.last3f = "340"});  // a flat 1600 m run: class 1
  RatingStage(*race, tables, gates);
  const RaceFigures& f = race->Figures;
  EXPECT_EQ(f.SurfaceDistanceClass, 0);
  EXPECT_DOUBLE_EQ(f.BestLast3FOnClass[0], 38.0);
  EXPECT_DOUBLE_EQ(f.Last3FOnClass[0], 0);  // no class, no mean
  EXPECT_DOUBLE_EQ(f.Last3FByClass[0][0], 34.0);
}

TEST_F(RatingStageTest, RecordFiguresAddTheirGroups) {
  auto race = MakeRace(1);
  UmImage& um = race->Runners[0].UmRecord;
  Put(um, 1107, "003002001000000004");  // 10 starts: 3 wins, 5 top two, 6 top three
  Put(um, 1485, "001000000000000001");  // turf to 1600: 1 of 2
  Put(um, 1539, "002000000000000002");  // dirt to 1600: 2 of 4
  RatingStageAfterOdds(*race);
  const auto& s = race->Figures.RateScores[0];
  EXPECT_DOUBLE_EQ(s[0], RateScore(10, 3));
  EXPECT_DOUBLE_EQ(s[1], RateScore(10, 5));
  EXPECT_DOUBLE_EQ(s[2], RateScore(10, 6));
  EXPECT_DOUBLE_EQ(s[8], RateScore(6, 3));
  EXPECT_DOUBLE_EQ(s[4], 9);  // no starts on right-handed turf
}

TEST(RaceFiguresReset, SentinelsTheViewsTestFor) {
  RaceFigures f;
  f.Last3FMax3[4] = 12;
  f.AverageMargin[4] = 0.5;
  f.FinishComplement[4] = 0.2;
  f.Reset();
  EXPECT_DOUBLE_EQ(f.Last3FMax3[4], -99);
  EXPECT_DOUBLE_EQ(f.Last3FMax5[17], -99);
  EXPECT_DOUBLE_EQ(f.Last3FFigure[17][4], -99);
  EXPECT_DOUBLE_EQ(f.AverageMargin[4], 999);
  EXPECT_DOUBLE_EQ(f.FinishComplement[4], 10000);
  EXPECT_DOUBLE_EQ(f.BestLast3FOnClass[0], 1000);
  EXPECT_DOUBLE_EQ(f.PlaceMargin[0], 1000);
  EXPECT_DOUBLE_EQ(f.JockeyWinRate[0], -1);
  EXPECT_DOUBLE_EQ(f.PastAbility[0][0], -1);
  EXPECT_EQ(f.Last3FMax3Rank[4], 0);
  EXPECT_TRUE(f.WinClass[0].Empty());
}

TEST_F(RatingStageTest, RunnerCountBeyondEighteenIsCapped) {
  auto race = MakeRace(1);
  Put(race->RaRecord, 882, "99");
  EXPECT_EQ(RegisteredRunners(*race), 18);
  RatingStage(*race, tables, gates);
  Put(race->RaRecord, 882, "-5");
  EXPECT_EQ(RegisteredRunners(*race), 0);
}

}  // namespace
}  // namespace zelkova
