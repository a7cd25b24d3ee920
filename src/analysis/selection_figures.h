// SelectionFigures: the 軸推理 figures of a race, recomputed each time the race is shown
// because the sample count and the burden-weight switch are user settings.
#pragma once

#include "racedata/race_day.h"

namespace zelkova {

// Fills AverageMargin, Last3FFigure, Last3FMax3, Last3FMax5 and their ranks for the
// registered runners. `samples` is kept within 3..20; `weightSwitch` 1 adds the difference in
// burden weight (kg) to each last-3F figure, 0 ignores it.
void SelectionFigures(RaceInfo& race, int samples, int weightSwitch);

}  // namespace zelkova
