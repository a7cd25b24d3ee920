#include "analysis/race_category.h"

#include "records/record.h"

namespace zelkova {

int RaceCategoryOf(std::string_view condition, std::string_view kind) {
  const long long c = ParseInt(condition, 0);
  const long long k = ParseInt(kind, 0);
  if (c == 701 || c == 702) return 7;
  const bool young = k == 11 || k == 12;
  const bool older = k == 13 || k == 14;
  if (c == 703) return young ? 0 : 7;  // maiden races of older horses have no table
  if (young) {
    if (c == 4 || c == 5) return 1;
    if (c >= 6) return 2;
    return 7;
  }
  if (older) {
    if (c == 4 || c == 5) return 4;
    if (c >= 7 && c <= 11) return 5;
    if (c >= 12 && c <= 999) return 6;
  }
  return 7;
}

int SurfaceDistanceClassOf(int trackCode, int distance) {
  int band = 0;
  if (distance >= 1 && distance <= 1600) band = 1;
  else if (distance > 1600 && distance <= 2200) band = 2;
  else if (distance > 2200) band = 3;
  if (band == 0) return 0;
  if (trackCode >= 10 && trackCode <= 22) return band;
  if (trackCode >= 23 && trackCode <= 29) return band + 3;
  return 0;
}

int SurfaceDistanceClassOfRace(std::string_view ra) {
  return SurfaceDistanceClassOf(static_cast<int>(FieldInt(ra, 706, 2)), static_cast<int>(FieldInt(ra, 698, 4)));
}

}  // namespace zelkova
