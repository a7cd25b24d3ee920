#include "app/main_race.h"

#include <tuple>

#include "analysis/race_category.h"
#include "output/race_list.h"

namespace zelkova {

int MainRaceItem(const RaceDay& day) {
  const std::vector<int> slots = RaceListSlots(day);
  int best = -1;
  std::tuple<bool, long long, int> most{false, -1, -1};
  for (size_t item = 0; item < slots.size(); ++item) {
    const RaceInfo& race = day.Races[static_cast<size_t>(slots[item])];
    int runners = 0, withPast = 0, runs = 0;
    for (int h = 0; h < race.Figures.RunnerCount && h < MaxRunners; ++h) {
      int own = 0;
      for (const PastRun& past : race.Runners[static_cast<size_t>(h)].PastRuns) own += past.SeRecord.empty() ? 0 : 1;
      ++runners;
      withPast += own > 0 ? 1 : 0;
      runs += own;
    }
    // A race with ratings, its field mostly of horses with past runs, first (an obstacle race
    // or one of newcomers has little to show), then the winner's prize money: the day's main
    // race is its richest.
    const RaImage& ra = race.RaRecord;
    const bool shows = HasRatings(RaceCategoryOf(ra.field(635, 3), ra.field(617, 2))) && runners > 0 &&
                       2 * withPast >= runners;
    const std::tuple<bool, long long, int> key{shows, ra.fieldInt(714, 8), runs};
    if (key >= most) {
      most = key;
      best = static_cast<int>(item);
    }
  }
  return best;
}

}  // namespace zelkova
