// Race classification used by the ratings: the reference-table category of a race and the
// surface/distance class of a race or past race.
#pragma once

#include <string_view>

namespace zelkova {

// 0 未勝利, 1 １勝馬若, 2 ２勝馬若, 4 1勝馬古, 5 2勝馬古, 6 3勝馬古; 7 = no ratings
// (newcomer, unraced, obstacle and older maiden races). 3 is never produced.
// `condition` is RA 635-637, `kind` RA 617-618.
int RaceCategoryOf(std::string_view condition, std::string_view kind);

// 1..3 turf up to 1600 / 2200 / beyond, 4..6 the same on dirt, 0 otherwise.
int SurfaceDistanceClassOf(int trackCode, int distance);
// From an RA image (track 706-707, distance 698-701).
int SurfaceDistanceClassOfRace(std::string_view ra);

// True for races whose ratings are computed (categories 0, 1, 2, 4, 5, 6).
inline bool HasRatings(int category) { return category >= 0 && category <= 6 && category != 3; }

}  // namespace zelkova
