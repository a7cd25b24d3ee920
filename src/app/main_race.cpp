#include "app/main_race.h"

#include "output/race_list.h"

namespace zelkova {

int MainRaceItem(const RaceDay& day) {
  const std::vector<int> slots = RaceListSlots(day);
  int best = -1, most = -1;
  for (size_t item = 0; item < slots.size(); ++item) {
    const RaceInfo& race = day.Races[static_cast<size_t>(slots[item])];
    int runs = 0;
    for (int h = 0; h < race.Figures.RunnerCount && h < MaxRunners; ++h)
      for (const PastRun& past : race.Runners[static_cast<size_t>(h)].PastRuns) runs += past.SeRecord.empty() ? 0 : 1;
    if (runs >= most) {
      most = runs;
      best = static_cast<int>(item);
    }
  }
  return best;
}

}  // namespace zelkova
