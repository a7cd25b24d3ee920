// Per-past-run figures: race level, ability index, run speed and the record-rate table score.
// Pure functions of field texts as cut from the records; unparsable numbers count as 0, so bad
// fields give the documented defaults (level 0 or base, index -1, speed 0, table score 9).
#pragma once

#include <string_view>

namespace zelkova {

// Level of a past race: grade (RA 615), race kind (RA 617-618), youngest-age condition
// (RA 635-637), racecourse (RA 20-21), race symbol (RA 619-621). Never negative.
double RaceLevelScore(std::string_view grade, std::string_view kind, std::string_view condition,
                      std::string_view course, std::string_view symbol);

// Ability index of one run: racecourse (RA 20-21), finish (SE 335-336), time margin
// (SE 532-535), burden weight (SE 289-291, tenths of kg) and the race's level; -1 when the
// margin or the finish is unusable.
double AbilityIndex(std::string_view course, std::string_view finish, std::string_view margin,
                    std::string_view weight, double level);

// Metres per minute from the run time (SE 339-342, m + sss tenths) and the distance
// (RA 698-701); 0 when either is missing.
double RunSpeed(std::string_view time, std::string_view distance);
double RunSpeed(std::string_view time, int distance);

// Table score for k successes in n starts; 9 outside 0 <= k <= n <= 55.
int RateScore(int n, int k);

}  // namespace zelkova
