// The race a loaded day is best first seen on: its main race.
#pragma once

#include "racedata/race_day.h"

namespace zelkova {

// The race-list item (0-based) whose field holds the most past runs, the later race on a tie
// (a day's main race is one of its last); -1 when the race list is empty.
int MainRaceItem(const RaceDay& day);

}  // namespace zelkova
