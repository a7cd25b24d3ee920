// Odds support figures (CalcBtn1): the share of win votes implied by each runner's win odds
// and its ratio to the estimated support from form.
#pragma once

#include "racedata/race_day.h"

namespace zelkova {

// SupportRate and Concentration of the registered runners of `race`. Runners without win
// odds get support 0; a runner whose EstimatedSupport is not positive keeps its Concentration.
void SupportFigures(RaceInfo& race);

// The same for race slot `day.BetRace`; nothing happens when that slot is out of range.
void CalcBtn1(RaceDay& day);

}  // namespace zelkova
