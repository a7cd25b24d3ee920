#include "analysis/selection_figures.h"

#include <gtest/gtest.h>

#include "output/support_figures.h"
#include "race_builder.h"

namespace zelkova {
namespace {

using testing::MakeRace;
using testing::PastRunSpec;
using testing::SetPastRun;

TEST(SelectionFigures, AverageMarginCountsAWinAsNoMargin) {
  auto race = MakeRace(2);
  SetPastRun(*race, 0, 0, {.finish = "01", .margin = "-012"});
  SetPastRun(*race, 0, 1, {.finish = "02", .margin = "0004"});
  SetPastRun(*race, 0, 2, {.finish = "00", .margin = "0030"});  // no finish
  SetPastRun(*race, 0, 3, {.finish = "05", .margin = "9999"});
  SelectionFigures(*race, 13, 0);
  const RaceFigures& f = race->Figures;
  EXPECT_DOUBLE_EQ(f.AverageMargin[0], 0.2);
  EXPECT_DOUBLE_EQ(f.AverageMargin[1], 999);
  EXPECT_EQ(f.AverageMarginRank[0], 1);
  EXPECT_EQ(f.AverageMarginRank[1], 2);
  // Only the latest `samples` runs count; the sample count is kept within 3..20.
  SetPastRun(*race, 1, 3, {.finish = "04", .margin = "0010"});
  SelectionFigures(*race, 1, 0);
  EXPECT_DOUBLE_EQ(f.AverageMargin[1], 999);
  SelectionFigures(*race, 4, 0);
  EXPECT_DOUBLE_EQ(f.AverageMargin[1], 1.0);
}

TEST(SelectionFigures, Last3FFiguresWeightSwitchAndObstacles) {
  auto race = MakeRace(1);
  // Race 35.0, runner 34.5 from the front at the fourth corner, carried 57 kg (today 55).
  SetPastRun(*race, 0, 0, {.corner = "01", .weight = "570", .last3f = "345", .raceLast3f = "350"});
  SetPastRun(*race, 0, 1, {.corner = "03", .last3f = "340", .raceLast3f = "350"});
  SetPastRun(*race, 0, 2, {.track = "51"});
  SetPastRun(*race, 0, 4, {.last3f = "999"});
  const RaceFigures& f = race->Figures;
  SelectionFigures(*race, 13, 0);
  EXPECT_NEAR(f.Last3FFigure[0][0], 5, 1e-9);
  EXPECT_NEAR(f.Last3FFigure[0][1], 8, 1e-9);
  EXPECT_DOUBLE_EQ(f.Last3FFigure[0][2], -999);
  EXPECT_DOUBLE_EQ(f.Last3FFigure[0][3], -99);  // no run
  EXPECT_DOUBLE_EQ(f.Last3FFigure[0][4], -99);
  EXPECT_NEAR(f.Last3FMax3[0], 8, 1e-9);
  SelectionFigures(*race, 13, 1);
  EXPECT_NEAR(f.Last3FFigure[0][0], 7, 1e-9);
  EXPECT_NEAR(f.Last3FMax5[0], 8, 1e-9);
}

TEST(SelectionFigures, MaxRanksShareAfterRounding) {
  auto race = MakeRace(4);
  SetPastRun(*race, 0, 0, {.weight = "552"});            // 5.2
  SetPastRun(*race, 1, 0, {.weight = "548"});            // 4.8
  SetPastRun(*race, 2, 0, {.last3f = "347"});            // 3
  SelectionFigures(*race, 13, 1);
  const RaceFigures& f = race->Figures;
  EXPECT_NEAR(f.Last3FMax3[0], 5.2, 1e-9);
  EXPECT_EQ(f.Last3FMax3Rank[0], 1);
  EXPECT_EQ(f.Last3FMax3Rank[1], 1);
  EXPECT_EQ(f.Last3FMax3Rank[2], 3);
  EXPECT_EQ(f.Last3FMax3Rank[3], 0);  // no figure
}

TEST(SupportFigures, RatesFromWinOdds) {
  auto race = MakeRace(3);
  RaceFigures& f = race->Figures;
  f.WinOdds = {2.0, 10.0, -1};
  f.EstimatedSupport = {20, 0, 10};
  f.Concentration[1] = 42;
  f.SupportRate[5] = 3;
  SupportFigures(*race);
  EXPECT_NEAR(f.SupportRate[0], 41.47, 0.005);
  EXPECT_NEAR(f.SupportRate[1], 7.96, 0.005);
  EXPECT_DOUBLE_EQ(f.SupportRate[2], 0);
  EXPECT_NEAR(f.Concentration[0], 41.47 / 20, 0.001);
  EXPECT_DOUBLE_EQ(f.Concentration[1], 42);  // no estimate: kept
  EXPECT_DOUBLE_EQ(f.Concentration[2], 0);
  EXPECT_DOUBLE_EQ(f.SupportRate[5], 3);  // beyond the registered runners

  // A blank odds field (-2) counts like a dashed one.
  f.WinOdds[2] = -2;
  f.Concentration[2] = 5;
  SupportFigures(*race);
  EXPECT_DOUBLE_EQ(f.SupportRate[2], 0);
  EXPECT_DOUBLE_EQ(f.Concentration[2], 0);

  f.WinOdds[0] = 0.1;  // would divide by zero
  SupportFigures(*race);
  EXPECT_DOUBLE_EQ(f.SupportRate[0], 0);
}

TEST(SupportFigures, CalcBtn1WorksOnBetRaceOnly) {
  auto day = MakeRaceDay();
  testing::Put(day->Races[2].RaRecord, 882, "01");
  day->Races[2].Figures.WinOdds[0] = 2.0;
  day->Races[0].Figures.WinOdds[0] = 2.0;
  day->BetRace = 2;
  CalcBtn1(*day);
  EXPECT_GT(day->Races[2].Figures.SupportRate[0], 41);
  EXPECT_DOUBLE_EQ(day->Races[0].Figures.SupportRate[0], 0);
  day->BetRace = 40;
  CalcBtn1(*day);  // out of range: nothing
}

}  // namespace
}  // namespace zelkova
