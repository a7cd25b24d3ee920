#include "racedata/race_figures.h"

#include <type_traits>

namespace zelkova {

static_assert(std::is_trivially_copyable_v<RaceFigures>, "the block is reset by plain copies");

void RaceFigures::Reset() {
  // Zero the whole block in place: it is large, and a reset runs for every slot of every load.
  std::memset(static_cast<void*>(this), 0, sizeof(*this));
  for (int h = 0; h < kFigRunners; ++h) {
    PastLevel[h].fill(-1);
    PastAbility[h].fill(-1);
    JockeyWinRate[h] = -1;
    TrainerWinRate[h] = -1;
    WinMargin[h] = 1000;
    PlaceMargin[h] = 1000;
    BestLast3FOnClass[h] = 1000;
    AverageMargin[h] = 999;
    // The views read -99 as "no 前走 figure" before the race has been shown once.
    Last3FFigure[h].fill(-99);
    Last3FMax3[h] = -99;
    Last3FMax5[h] = -99;
    FinishComplement[h] = 10000;
    PopularityComplement[h] = 10000;
    PositionComplement[h] = 10000;
    WeightChange[h] = 999;
  }
}

}  // namespace zelkova
