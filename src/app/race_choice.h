// How a command line names a race of a loaded day, as a racing fan does: the racecourse (its code
// "05" or its name 東京) with the race number, `--course 東京 --race 11`; `--race main` is the
// day's main race. Shared by the program's and zelkova-cli's options.
#pragma once

#include <string>
#include <vector>

#include "racedata/race_day.h"

namespace zelkova {

struct RaceName {
  std::string course;  // as typed (UTF-8); empty when not given
  int number = 0;      // 1..12; 0 when not given
  bool main = false;   // --race main
};

// Reads a --race value ("main" or 1..12) into `name`; the one-line reason (CP932) when it is neither.
std::string ParseRaceOption(const std::string& value, RaceName& name);

// The race-list slots `name` picks, in list order, or why it picks none (CP932): an unknown
// racecourse or a race number that is not run there, each listing what the day has.
// `one`: exactly one race is wanted: a race number run at several racecourses asks for --course,
// a racecourse alone asks for --race, and nothing named is the first race of the list.
// Otherwise a racecourse alone picks its races and nothing named picks every race.
struct RaceChoice {
  std::vector<int> picked;  // race slots
  std::string problem;
  bool needsMore = false;  // the name fits several races (or a racecourse only): it must say more
};
RaceChoice ChooseRaces(const RaceDay& day, const RaceName& name, bool one);

}  // namespace zelkova
