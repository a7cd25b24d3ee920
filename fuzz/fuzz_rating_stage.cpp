// Arbitrary bytes as the record images of one race (RA, 18 entries with masters and past runs),
// then the rating stage, the selection figures and the support figures over them. Whatever the
// bytes, every rank stays within the field and no figure becomes NaN or infinite.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "analysis/rating_stage.h"
#include "analysis/rating_tables.h"
#include "analysis/selection_figures.h"
#include "settings/gate_table.h"
#include "output/support_figures.h"
#include "racedata/race_day.h"
#include "fuzz_support.h"

namespace {

using namespace zelkova;

using Source = fuzz::CyclicSource;

double SmallValue(Source& src) { return (static_cast<int>(src.Byte()) - 64) / 4.0; }

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

void CheckRanks(const PerRunner<int>& ranks, int r) {
  for (int h = 0; h < kFigRunners; ++h) Check(ranks[h] >= 0 && ranks[h] <= (h < r ? r : 0));
}

void CheckFinite(const PerRunner<double>& v) {
  for (double x : v) Check(std::isfinite(x));
}

void CheckInvariants(const RaceInfo& race) {
  const RaceFigures& f = race.Figures;
  const int r = RegisteredRunners(race);
  for (const auto* ranks : {&f.AbilityMaxRank, &f.AbilityAvgRank, &f.BestAdjustedRank, &f.SecondAdjustedRank,
                            &f.PrizeRank, &f.AverageCorner4Rank, &f.FinishRatingRank, &f.PopularityRatingRank,
                            &f.PositionRatingRank, &f.PlaceMarginRank, &f.Last3FOnClassRank,
                            &f.SpeedOnClassRank, &f.PopularityOrder, &f.Last3FMax3Rank, &f.Last3FMax5Rank,
                            &f.AverageMarginRank})
    CheckRanks(*ranks, r);
  for (int h = 0; h < kFigRunners; ++h) {
    Check(f.EstimatedSupportRank[h] >= 0 && f.EstimatedSupportRank[h] <= r);
    for (int k = 0; k < kFigPastRuns; ++k) Check(std::isfinite(f.PastLevel[h][k]) && std::isfinite(f.PastAbility[h][k]));
    for (int c = 0; c < 6; ++c) Check(std::isfinite(f.Last3FByClass[h][c]) && std::isfinite(f.SpeedByClass[h][c]));
    for (double x : f.RateScores[h]) Check(x == 0 || (x >= 1 && x <= 94));
  }
  for (const auto* v : {&f.AbilityMax, &f.AbilityAvg, &f.EstimatedSupport, &f.FinishRating, &f.WinMargin,
                        &f.PlaceMargin, &f.SpeedOnClass, &f.Last3FOnClass, &f.BestLast3FOnClass,
                        &f.Last3FMax3, &f.Last3FMax5, &f.AverageMargin, &f.SupportRate, &f.Concentration})
    CheckFinite(*v);
  Check(std::isfinite(f.TopThreeShare) && std::isfinite(f.FieldLast3FAverage));
  Check(f.RaceCategory >= 0 && f.RaceCategory <= 7 && f.RaceCategory != 3);
  Check(f.SurfaceDistanceClass >= 0 && f.SurfaceDistanceClass <= 6);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto race = std::make_unique<RaceInfo>();
  // Every entry of the tables is set from this input below, so keeping them between inputs
  // (they are large) carries nothing over.
  static RatingTables tables;
  GateTable gates;  // the built-in small-field factors, and rows from this input only
  Source src{data, size};

  race->RaRecord.assign(src.Next(kLenRA));
  race->Figures.Reset();
  for (int k = 0; k < 3; ++k)
    for (int c = 0; c < RatingTables::kCategories; ++c)
      for (int cls = 1; cls <= RatingTables::kClasses; ++cls)
        for (int slot = 0; slot < RatingTables::kSlots; ++slot) tables.set(k, c, cls, slot, SmallValue(src));
  for (auto& row : gates.rows)
    for (double& factor : row) factor = SmallValue(src);

  const int pastRuns = src.Byte() % 22;
  for (int h = 0; h < MaxRunners; ++h) {
    Runner& r = race->Runners[h];
    r.SeRecord.assign(src.Next(kLenSE));
    r.UmRecord.assign(src.Next(kLenUM));
    for (int k = 0; k < MaxPastRuns; ++k) {
      if (k < pastRuns) {
        r.PastRuns[k].SeRecord.assign(src.Next(kLenSE));
        r.PastRuns[k].RaRecord.assign(src.Next(kLenRA));
      } else {
        r.PastRuns[k].SeRecord.clear();
        r.PastRuns[k].RaRecord.clear();
      }
    }
    RaceFigures& f = race->Figures;
    f.PlaceRate[h] = SmallValue(src);
    f.JockeyWinRate[h] = SmallValue(src);
    f.TrainerWinRate[h] = SmallValue(src);
    f.PrizePerStart[h] = SmallValue(src);
    f.CareerStarts[h] = src.Byte() % 4;
  }

  RatingStageBeforeOdds(*race, tables, gates);
  for (int h = 0; h < MaxRunners; ++h) {
    race->Figures.WinOdds[h] = SmallValue(src);
    race->Figures.PlaceOddsLow[h] = SmallValue(src);
  }
  RatingStageAfterOdds(*race);
  SelectionFigures(*race, src.Byte() % 24, src.Byte() % 3);
  SupportFigures(*race);
  CheckInvariants(*race);
  return 0;
}
