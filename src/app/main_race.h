// The race a loaded day is best first seen on: its main race.
#pragma once

#include "racedata/race_day.h"

namespace zelkova {

// The race-list item (0-based) of the day's main race: of the races with ratings (not obstacle,
// newcomer or older maiden races) whose field is at least half horses with past runs (or of all,
// when none is), the one with the highest prize for its winner; among equally rich ones the one
// whose field holds the most past runs, then the later (a day's main race is one of its last).
// -1 when the race list is empty.
int MainRaceItem(const RaceDay& day);

}  // namespace zelkova
