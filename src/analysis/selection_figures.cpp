#include "analysis/selection_figures.h"

#include "analysis/rank_list.h"
#include "analysis/scratched.h"
#include "analysis/rating_stage.h"

namespace zelkova {

namespace {

void AverageMargins(const RaceInfo& race, RaceFigures& f, int r, int samples) {
  for (int h = 0; h < r; ++h) {
    f.AverageMarginRank[h] = 0;
    double sum = 0;
    int count = 0;
    for (int j = 0; j < samples; ++j) {
      const SeImage& se = race.Runners[h].PastRuns[j].SeRecord;
      const std::string_view m = se.field(532, 4);
      const std::string_view t = TrimBlanks(m);
      if (se.fieldInt(335, 2) < 1 || t.empty() || t == "0000" || t == "9999") continue;
      // A win counts as no margin at all.
      sum += Field(m, 1, 1) == "-" ? 0.0 : static_cast<double>(ParseInt(Field(m, 2, 3), 0)) / 10;
      ++count;
    }
    f.AverageMargin[h] = count ? sum / count : 999;
  }
}

void Last3FFigures(const RaceInfo& race, RaceFigures& f, int r, int weightSwitch) {
  for (int h = 0; h < r; ++h) {
    const Runner& runner = race.Runners[h];
    const double today = static_cast<double>(runner.SeRecord.fieldInt(289, 3));
    f.Last3FMax3[h] = -99;
    f.Last3FMax5[h] = -99;
    for (int j = 0; j < 5; ++j) {
      f.Last3FFigure[h][j] = -99;
      const PastRun& run = runner.PastRuns[j];
      const long long fin = run.SeRecord.fieldInt(335, 2);
      const long long t = run.RaRecord.fieldInt(976, 3);
      const long long l = run.SeRecord.fieldInt(391, 3);
      const long long c = run.SeRecord.fieldInt(358, 2);
      const long long w = run.SeRecord.fieldInt(289, 3);
      if (fin < 1 || t < 1 || t > 998 || l < 1 || l > 998 || c < 1 || w < 1) continue;
      if (run.RaRecord.field(706, 1) == "5") {  // obstacle race
        f.Last3FFigure[h][j] = -999;
        continue;
      }
      const double x = (t / 10.0 - (l / 10.0 + (c - 1) / 10.0)) * 10 + (w / 10.0 - today / 10) * weightSwitch;
      f.Last3FFigure[h][j] = x;
      if (j < 3 && f.Last3FMax3[h] <= x) f.Last3FMax3[h] = x;
      if (f.Last3FMax5[h] <= x) f.Last3FMax5[h] = x;
    }
  }
}

void MaxRank(const PerRunner<double>& value, int r, const std::array<bool, MaxRunners>& out, PerRunner<int>& rank) {
  RankList list;
  RankKey key;
  for (int n = 1; n <= r; ++n) {
    rank[n - 1] = 0;
    if (out[n - 1]) continue;  // a runner that does not run takes no place
    if (!(value[n - 1] > -99)) continue;
    key.Clear();
    key.Append("%6.0f", value[n - 1] + 100).AppendText("  ");
    list.Add(key, n);
  }
  list.AssignDescending(rank, 6);
}

}  // namespace

void SelectionFigures(RaceInfo& race, int samples, int weightSwitch) {
  RaceFigures& f = race.Figures;
  const int r = RegisteredRunners(race);
  if (samples < 3) samples = 3;
  if (samples > 20) samples = 20;
  weightSwitch = weightSwitch == 1 ? 1 : 0;

  AverageMargins(race, f, r, samples);
  Last3FFigures(race, f, r, weightSwitch);
  const auto out = ScratchedRunners(race);
  MaxRank(f.Last3FMax3, r, out, f.Last3FMax3Rank);
  MaxRank(f.Last3FMax5, r, out, f.Last3FMax5Rank);

  RankList list;
  RankKey key;
  for (int n = 1; n <= r; ++n) {
    if (f.AverageMargin[n - 1] < 0 || out[n - 1]) continue;
    key.Clear();
    key.Append("%6.2f", f.AverageMargin[n - 1]);
    list.Add(key, n);
  }
  list.AssignAscending(f.AverageMarginRank);
}

}  // namespace zelkova
