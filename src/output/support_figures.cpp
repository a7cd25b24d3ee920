#include "output/support_figures.h"

#include "analysis/rating_stage.h"

namespace zelkova {

void SupportFigures(RaceInfo& race) {
  RaceFigures& f = race.Figures;
  const int n = RegisteredRunners(race);
  for (int h = 0; h < n; ++h) {
    f.SupportRate[h] = 0;
    // A win odds of 0.1 would divide by zero; real odds start at 1.0.
    const double denom = f.WinOdds[h] * 10 - 1;
    if (f.WinOdds[h] > 0 && denom > 0) f.SupportRate[h] = 7.88 / denom * 100;
    if (f.EstimatedSupport[h] > 0) f.Concentration[h] = f.SupportRate[h] / f.EstimatedSupport[h];
  }
}

void CalcBtn1(RaceDay& day) {
  if (day.BetRace < 0 || day.BetRace >= MaxRaces) return;
  SupportFigures(day.Races[day.BetRace]);
}

}  // namespace zelkova
