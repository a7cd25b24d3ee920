#include "analysis/rating_stage.h"

#include <cstdlib>
#include <initializer_list>

#include "analysis/race_category.h"
#include "analysis/rank_list.h"
#include "analysis/scratched.h"
#include "racedata/past_run_formulas.h"
#include "records/code_tables.h"

namespace zelkova {

namespace {

constexpr int kLevelRuns = 20;   // runs with level and ability scores
constexpr int kRecentRuns = 13;  // runs behind ability, means, ratings and margins

bool HoldsRun(const PastRun& run) { return run.RaRecord.fieldInt(12, 4) > 0; }

int SeInt(const PastRun& run, size_t pos, size_t len) {
  return static_cast<int>(run.SeRecord.fieldInt(pos, len));
}

// Margin text usable for margin means: not blank, "0000" or "9999".
bool UsableMargin(std::string_view m) {
  const std::string_view t = TrimBlanks(m);
  return !t.empty() && t != "0000" && t != "9999";
}

// Heavy or bad going (重 / 不良) of a past race: the turf going, or the dirt going when the
// turf code names no going.
bool HeavyGoing(const RaImage& ra) {
  char code = ra.field(889, 1).empty() ? ' ' : ra.field(889, 1)[0];
  if (code < '1' || code > '4') code = ra.field(890, 1).empty() ? ' ' : ra.field(890, 1)[0];
  return code == '3' || code == '4';
}

double KeyValue(std::string_view key, size_t width) {
  char buf[32] = {};
  const size_t n = key.size() < width ? key.size() : width;
  for (size_t i = 0; i < n && i < sizeof buf - 1; ++i) buf[i] = key[i];
  return std::strtod(buf, nullptr);
}

// Runners that do not run, by slot.
using Out = std::array<bool, MaxRunners>;

template <typename T>
void DescendingByValue(const PerRunner<double>& value, const PerRunner<int>& prize, int r, const Out& out,
                       PerRunner<T>& rank) {
  RankList list;
  RankKey key;
  for (int n = 1; n <= r; ++n) {
    if (out[n - 1]) continue;  // a runner that does not run takes no place
    key.Clear();
    key.Append("%10.4f", value[n - 1]).AppendInt("%2d", 20 - prize[n - 1]);
    list.Add(key, n);
  }
  list.AssignDescending(rank);
}

void AscendingByValue(const PerRunner<double>& value, const PerRunner<int>& prize, int r, const Out& out,
                      PerRunner<int>& rank) {
  RankList list;
  RankKey key;
  for (int n = 1; n <= r; ++n) {
    if (out[n - 1]) continue;  // a runner that does not run takes no place
    key.Clear();
    if (value[n - 1] > 0) key.Append("%10.4f", value[n - 1]);
    else key.AppendText("99999.9999");
    key.AppendInt("%2d", prize[n - 1]);
    list.Add(key, n);
  }
  list.AssignAscending(rank);
}

void RatingRank(const PerRunner<double>& rating, int r, const Out& out, PerRunner<int>& rank) {
  RankList list;
  RankKey key;
  for (int n = 1; n <= r; ++n) {
    if (out[n - 1]) continue;  // a runner that does not run takes no place
    if (!(rating[n - 1] > 0)) continue;
    key.Clear();
    key.Append("%10.4f", rating[n - 1]);
    list.Add(key, n);
  }
  list.AssignDescending(rank);
}

void PastScores(const Runner& runner, RaceFigures& f, int h) {
  for (int k = 0; k < kLevelRuns; ++k) {
    const PastRun& run = runner.PastRuns[k];
    if (!HoldsRun(run)) continue;
    const RaImage& ra = run.RaRecord;
    const double level = RaceLevelScore(ra.field(615, 1), ra.field(617, 2), ra.field(635, 3),
                                        ra.field(20, 2), ra.field(619, 3));
    f.PastLevel[h][k] = level;
    f.PastAbility[h][k] = AbilityIndex(ra.field(20, 2), run.SeRecord.field(335, 2),
                                       run.SeRecord.field(532, 4), run.SeRecord.field(289, 3), level);
  }
  double max = 0, sum = 0;
  int count = 0;
  for (int k = 0; k < kRecentRuns; ++k) {
    const double a = f.PastAbility[h][k];
    if (!HoldsRun(runner.PastRuns[k]) || !(a > 0)) continue;
    if (a > max) max = a;
    sum += a;
    ++count;
  }
  f.AbilityMax[h] = max;
  if (count > 0) f.AbilityAvg[h] = sum / count;
}

// 能１ / 能２: the two largest distinct adjusted indices of the last five runs, compared as
// they are shown (five decimals).
void AdjustedIndices(const Runner& runner, RaceFigures& f, int h) {
  const double w = static_cast<double>(runner.SeRecord.fieldInt(289, 3)) / 10;
  double distinct[5];
  int count = 0;
  for (int k = 0; k < 5; ++k) {
    if (!(f.PastAbility[h][k] > 0)) continue;
    const double v = f.PastAbility[h][k] - (w - 55) * 2;
    f.AdjustedIndex[h][k] = v;
    RankKey key;
    key.Append("%10.5f", v);
    const double shown = KeyValue(key.View(), key.View().size());
    bool seen = false;
    for (int i = 0; i < count; ++i) seen = seen || distinct[i] == shown;
    if (!seen) distinct[count++] = shown;
  }
  double best = 0, second = 0;
  bool haveBest = false, haveSecond = false;
  for (int i = 0; i < count; ++i) {
    const double v = distinct[i];
    if (!haveBest || v > best) {
      if (haveBest) { second = best; haveSecond = true; }
      best = v;
      haveBest = true;
    } else if (!haveSecond || v > second) {
      second = v;
      haveSecond = true;
    }
  }
  if (haveBest) f.BestAdjusted[h] = best;
  if (haveSecond) f.SecondAdjusted[h] = second;
}

void EstimatedSupport(const RaceInfo& race, RaceFigures& f, int r, const GateTable& gates, const Out& out) {
  double s = 0;
  for (int n = 1; n <= r; ++n) {
    const int h = n - 1;
    const double g = GateValue(gates, r, n);
    f.EntryStrength[h] = f.PlaceRate[h] + f.JockeyWinRate[h] + f.TrainerWinRate[h] + g / 1.5 * 10;
    s += f.EntryStrength[h];
  }
  if (s > 0)
    for (int h = 0; h < r; ++h) f.EstimatedSupport[h] = f.EntryStrength[h] / s * 100;
  const std::string_view cond = race.RaRecord.field(635, 3);
  if (cond != "701" && cond != "702" && cond != "703") {
    double p = 0;
    for (int h = 0; h < r; ++h) p += f.PrizePerStart[h];
    if (p > 0)
      for (int h = 0; h < r; ++h)
        f.EstimatedSupport[h] = f.PrizePerStart[h] / p * 100 + 0.2 * f.EstimatedSupport[h];
  }

  RankList list;
  RankKey key;
  for (int n = 1; n <= r; ++n) {
    if (out[n - 1]) continue;  // a runner that does not run takes no place
    if (!(f.EstimatedSupport[n - 1] > 0)) continue;
    key.Clear();
    key.Append("%10.4f", f.EstimatedSupport[n - 1]);
    list.Add(key, n);
  }
  list.AssignDescending(f.EstimatedSupportRank);
  double share = 0;
  for (int i = list.size() - 1; i >= 0 && i >= list.size() - 3; --i) share += KeyValue(list.Key(i), 10);
  f.TopThreeShare = share;

  list.Clear();
  for (int n = 1; n <= r; ++n) {
    if (out[n - 1]) continue;  // a runner that does not run takes no place
    key.Clear();
    key.Append("%10.4f", f.PrizePerStart[n - 1]).Append("%10.4f", f.EstimatedSupport[n - 1]);
    list.Add(key, n);
  }
  list.AssignDescending(f.PrizeRank);
}

void RecentMeans(const Runner& runner, RaceFigures& f, int h) {
  double pop = 0, corner = 0, w12 = 0, w15 = 0, w6 = 0;
  int nPop = 0, nCorner = 0, n12 = 0, n15 = 0, n6 = 0;
  for (int k = 0; k < kRecentRuns; ++k) {
    const PastRun& run = runner.PastRuns[k];
    const int p = SeInt(run, 364, 2), c = SeInt(run, 358, 2);
    const int body = BodyWeightKg(run.SeRecord.field(325, 3)), fin = SeInt(run, 335, 2);
    if (p > 0) { pop += p; ++nPop; }
    if (c > 0) { corner += c; ++nCorner; }
    if (body > 0) {
      if (fin == 1 || fin == 2) { w12 += body; ++n12; }
      if (fin >= 1 && fin <= 5) { w15 += body; ++n15; }
      if (fin > 5) { w6 += body; ++n6; }
    }
  }
  if (nPop) f.AveragePopularity[h] = pop / nPop;
  if (nCorner) f.AverageCorner4[h] = corner / nCorner;
  if (n12) f.WeightWhenFirstOrSecond[h] = w12 / n12;
  if (n15) f.WeightWhenPlaced[h] = w15 / n15;
  if (n6) f.WeightWhenUnplaced[h] = w6 / n6;
}

void Ratings(const Runner& runner, RaceFigures& f, int h, int category, const RatingTables& t) {
  double fin = 0, pop = 0, pos = 0;
  for (int k = 0; k < kRecentRuns; ++k) {
    const PastRun& run = runner.PastRuns[k];
    int cf = 7, cp = 7, cc = 7;
    if (HoldsRun(run)) {
      auto cls = [](int place) { return place >= 1 && place <= 6 ? place : 6; };
      cf = cls(SeInt(run, 335, 2));
      cp = cls(SeInt(run, 364, 2));
      cc = cls(SeInt(run, 358, 2));
    }
    fin += t.at(RatingTables::kFinish, category, cf, k);
    pop += t.at(RatingTables::kPopularity, category, cp, k);
    pos += t.at(RatingTables::kCorner, category, cc, k);
  }
  f.FinishRating[h] = fin;
  f.PopularityRating[h] = pop;
  f.PositionRating[h] = pos;
  if (fin > 0) f.FinishComplement[h] = 1 - fin;
  if (pop > 0) f.PopularityComplement[h] = 1 - pop;
  if (pos > 0) f.PositionComplement[h] = 1 - pos;
}

const char* WinClassOf(double w) {
  if (w < -1) return "A0";
  if (w < -0.6) return "A1";
  if (w < -0.4) return "A2";
  if (w < -0.2) return "N0";
  if (w < -0.1) return "N1";
  if (w > 0) return "ZZ";
  return "XX";
}

void Margins(const Runner& runner, RaceFigures& f, int h) {
  double wins = 0, places = 0;
  int nWins = 0, nPlaces = 0;
  for (int k = 0; k < kRecentRuns; ++k) {
    const PastRun& run = runner.PastRuns[k];
    const int fin = SeInt(run, 335, 2);
    const std::string_view m = run.SeRecord.field(532, 4);
    if ((fin != 1 && fin != 2) || !UsableMargin(m)) continue;
    double v = static_cast<double>(ParseInt(Field(m, 2, 3), 0)) / 10;
    if (Field(m, 1, 1) == "-") v = -v;
    if (fin == 1) { wins += v; ++nWins; }
    places += v;
    ++nPlaces;
  }
  const double none = f.CareerStarts[h] >= 1 ? 100 : 1000;
  f.WinMargin[h] = nWins ? wins / nWins : none;
  f.PlaceMargin[h] = nPlaces ? places / nPlaces : none;
  f.WinClass[h].Assign(WinClassOf(f.WinMargin[h]));
}

void Last3FAndSpeed(const Runner& runner, RaceFigures& f, int h, int today) {
  double l3Sum[6] = {}, spSum[6] = {};
  int l3Count[6] = {}, spCount[6] = {};
  for (int k = 0; k < kLevelRuns; ++k) {
    const PastRun& run = runner.PastRuns[k];
    if (run.SeRecord.empty() || SeInt(run, 335, 2) < 1) continue;
    const int l = SeInt(run, 391, 3);
    if (l < 1 || l > 998) continue;
    const int c = SurfaceDistanceClassOfRace(run.RaRecord);
    const bool heavy = HeavyGoing(run.RaRecord);
    if (c >= 1 && c <= 6 && !heavy) {
      l3Sum[c - 1] += l / 10.0;
      ++l3Count[c - 1];
      const double sp = RunSpeed(run.SeRecord.field(339, 4), run.RaRecord.field(698, 4));
      if (sp > 0) {
        spSum[c - 1] += sp;
        ++spCount[c - 1];
      }
    }
    // Turf times hold up on heavy going; dirt times do not. A race of no class (obstacle,
    // no distance) compares with past runs of no class.
    if (c == today && ((c >= 1 && c <= 3) || !heavy) && l / 10.0 < f.BestLast3FOnClass[h])
      f.BestLast3FOnClass[h] = l / 10.0;
  }
  for (int c = 0; c < 6; ++c) {
    if (l3Count[c]) f.Last3FByClass[h][c] = l3Sum[c] / l3Count[c];
    if (spCount[c]) f.SpeedByClass[h][c] = spSum[c] / spCount[c];
  }
  if (today >= 1 && today <= 6) {
    f.Last3FOnClass[h] = f.Last3FByClass[h][today - 1];
    f.SpeedOnClass[h] = f.SpeedByClass[h][today - 1];
  }
}

// Sum of the six result counts of a UM group and its first count.
struct Counts {
  int total = 0, first = 0, second = 0, third = 0;
};
Counts Group(const UmImage& um, size_t pos) {
  Counts c;
  for (size_t i = 0; i < 6; ++i) c.total += static_cast<int>(um.fieldInt(pos + 3 * i, 3));
  c.first = static_cast<int>(um.fieldInt(pos, 3));
  c.second = static_cast<int>(um.fieldInt(pos + 3, 3));
  c.third = static_cast<int>(um.fieldInt(pos + 6, 3));
  return c;
}
double Rate(const UmImage& um, std::initializer_list<size_t> groups) {
  int total = 0, first = 0;
  for (size_t g : groups) {
    const Counts c = Group(um, g);
    total += c.total;
    first += c.first;
  }
  return RateScore(total, first);
}

void RecordFigures(const Runner& runner, RaceFigures& f, int h) {
  const UmImage& um = runner.UmRecord;
  const Counts all = Group(um, 1107);
  auto& s = f.RateScores[h];
  s[0] = RateScore(all.total, all.first);
  s[1] = RateScore(all.total, all.first + all.second);
  s[2] = RateScore(all.total, all.first + all.second + all.third);
  s[3] = s[0];
  s[4] = Rate(um, {1161});
  s[5] = Rate(um, {1179});
  s[6] = Rate(um, {1215});
  s[7] = Rate(um, {1233});
  s[8] = Rate(um, {1485, 1539});
  s[9] = Rate(um, {1503, 1557});
  s[10] = Rate(um, {1521, 1575});
  s[11] = Rate(um, {1269, 1287, 1341, 1359, 1413, 1431});
  s[12] = Rate(um, {1305, 1323, 1377, 1395, 1449, 1467});
}

}  // namespace

int RegisteredRunners(const RaceInfo& race) {
  const long long r = race.RaRecord.fieldInt(882, 2);
  if (r < 0) return 0;
  return r > MaxRunners ? MaxRunners : static_cast<int>(r);
}

double GateValue(const GateTable& gates, int runners, int n) {
  if (n < 1 || n > 18) return 0;
  if (runners <= 7) return n <= 7 ? gates.small[n - 1] : 0;
  if (runners > 18) return 0;
  return gates.rows[runners - 8][n - 1];
}

void RatingStageBeforeOdds(RaceInfo& race, const RatingTables& tables, const GateTable& gates) {
  RaceFigures& f = race.Figures;
  const int r = RegisteredRunners(race);
  const Out out = ScratchedRunners(race);
  f.RaceCategory = RaceCategoryOf(race.RaRecord.field(635, 3), race.RaRecord.field(617, 2));
  f.SurfaceDistanceClass = SurfaceDistanceClassOfRace(race.RaRecord);

  for (int h = 0; h < r; ++h) {
    const Runner& runner = race.Runners[h];
    PastScores(runner, f, h);
    AdjustedIndices(runner, f, h);
  }

  RankList list;
  RankKey key;
  for (int n = 1; n <= r; ++n) {
    if (out[n - 1]) continue;  // a runner that does not run takes no place
    if (!(f.BestAdjusted[n - 1] > 0)) continue;
    key.Clear();
    key.Append("%10.5f", f.BestAdjusted[n - 1]).Append("%10.5f", f.SecondAdjusted[n - 1]);
    list.Add(key, n);
  }
  list.AssignDescending(f.BestAdjustedRank, 10);
  list.Clear();
  for (int n = 1; n <= r; ++n) {
    if (out[n - 1]) continue;  // a runner that does not run takes no place
    if (!(f.SecondAdjusted[n - 1] > 0)) continue;
    key.Clear();
    key.Append("%10.5f", f.SecondAdjusted[n - 1]).Append("%10.5f", f.BestAdjusted[n - 1]);
    list.Add(key, n);
  }
  list.AssignDescending(f.SecondAdjustedRank, 10);

  EstimatedSupport(race, f, r, gates, out);

  const bool rated = HasRatings(f.RaceCategory);
  double l3Total = 0;
  int l3Count = 0;
  for (int h = 0; h < r; ++h) {
    const Runner& runner = race.Runners[h];
    RecentMeans(runner, f, h);
    if (rated) Ratings(runner, f, h, f.RaceCategory, tables);
    Margins(runner, f, h);
    Last3FAndSpeed(runner, f, h, f.SurfaceDistanceClass);
    if (f.Last3FOnClass[h] > 0) {
      l3Total += f.Last3FOnClass[h];
      ++l3Count;
    }
  }
  if (l3Count) f.FieldLast3FAverage = l3Total / l3Count;
  if (rated) {
    RatingRank(f.FinishRating, r, out, f.FinishRatingRank);
    RatingRank(f.PopularityRating, r, out, f.PopularityRatingRank);
    RatingRank(f.PositionRating, r, out, f.PositionRatingRank);
  }

  DescendingByValue(f.AbilityMax, f.PrizeRank, r, out, f.AbilityMaxRank);
  DescendingByValue(f.AbilityAvg, f.PrizeRank, r, out, f.AbilityAvgRank);
  DescendingByValue(f.SpeedOnClass, f.PrizeRank, r, out, f.SpeedOnClassRank);
  AscendingByValue(f.AverageCorner4, f.PrizeRank, r, out, f.AverageCorner4Rank);
  AscendingByValue(f.Last3FOnClass, f.PrizeRank, r, out, f.Last3FOnClassRank);
  list.Clear();
  for (int n = 1; n <= r; ++n) {
    if (out[n - 1]) continue;  // a runner that does not run takes no place
    key.Clear();
    key.Append("%10.4f", f.PlaceMargin[n - 1] + 100).AppendInt("%2d", f.PrizeRank[n - 1]);
    list.Add(key, n);
  }
  list.AssignAscending(f.PlaceMarginRank);
}

void RatingStageAfterOdds(RaceInfo& race) {
  RaceFigures& f = race.Figures;
  const int r = RegisteredRunners(race);
  const Out out = ScratchedRunners(race);
  RankList list;
  RankKey key;
  for (int n = 1; n <= r; ++n) {
    if (out[n - 1]) continue;  // a runner that does not run takes no place
    if (!(f.WinOdds[n - 1] > 0)) continue;
    key.Clear();
    key.Append("%6.1f", f.WinOdds[n - 1]).Append("%6.1f", f.PlaceOddsLow[n - 1]);
    list.Add(key, n);
  }
  list.AssignAscending(f.PopularityOrder);
  for (int h = 0; h < r; ++h) RecordFigures(race.Runners[h], f, h);
}

void RatingStage(RaceInfo& race, const RatingTables& tables, const GateTable& gates) {
  RatingStageBeforeOdds(race, tables, gates);
  RatingStageAfterOdds(race);
}

}  // namespace zelkova
