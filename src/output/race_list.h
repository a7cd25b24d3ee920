// The race list of a loaded day as the main window shows it: one item per loaded race slot
// whose year is not 0000, in slot order.
#pragma once

#include <vector>

#include "racedata/race_day.h"

namespace zelkova {

// The race slots of the race list items, in list order.
inline std::vector<int> RaceListSlots(const RaceDay& day) {
  std::vector<int> items;
  for (int r = 0; r < day.RaceCount && r < MaxRaces; ++r) {
    const RaImage& ra = day.Races[r].RaRecord;
    if (!ra.empty() && ra.field(12, 4) != "0000") items.push_back(r);
  }
  return items;
}

inline int RaceListCount(const RaceDay& day) { return static_cast<int>(RaceListSlots(day).size()); }

}  // namespace zelkova
