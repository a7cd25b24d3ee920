// Hand-built races for the rating tests: record images with only the fields a test sets.
#pragma once

#include <cstring>
#include <memory>
#include <string_view>

#include "racedata/race_day.h"
#include "record_images.h"

namespace zelkova::testing {

// A race of `runners` entries: RA year, kind, condition, track, distance and runner count.
inline std::unique_ptr<RaceInfo> MakeRace(int runners, std::string_view condition = "005",
                                          std::string_view kind = "13", std::string_view track = "11",
                                          std::string_view distance = "1600") {
  auto race = std::make_unique<RaceInfo>();
  Put(race->RaRecord, 12, "2024");
  Put(race->RaRecord, 617, kind);
  Put(race->RaRecord, 635, condition);
  Put(race->RaRecord, 698, distance);
  Put(race->RaRecord, 706, track);
  char n[3];
  n[0] = static_cast<char>('0' + runners / 10);
  n[1] = static_cast<char>('0' + runners % 10);
  n[2] = 0;
  Put(race->RaRecord, 882, n);
  for (int h = 0; h < runners; ++h) Put(race->Runners[h].SeRecord, 289, "550");
  return race;
}

// Past run k of runner slot h: a run in a race with the given course and class fields.
struct PastRunSpec {
  std::string_view finish = "01";
  std::string_view popularity = "01";
  std::string_view corner = "01";
  std::string_view margin = "-003";
  std::string_view weight = "550";
  std::string_view body = "480";
  std::string_view last3f = "345";
  std::string_view time = "1345";
  std::string_view course = "05";
  std::string_view track = "11";
  std::string_view distance = "1600";
  std::string_view turfGoing = "1";
  std::string_view dirtGoing = "0";
  std::string_view raceLast3f = "350";
};

inline void SetPastRun(RaceInfo& race, int h, int k, const PastRunSpec& s) {
  PastRun& run = race.Runners[h].PastRuns[k];
  Put(run.SeRecord, 12, "2023");
  Put(run.SeRecord, 289, s.weight);
  Put(run.SeRecord, 325, s.body);
  Put(run.SeRecord, 335, s.finish);
  Put(run.SeRecord, 339, s.time);
  Put(run.SeRecord, 358, s.corner);
  Put(run.SeRecord, 364, s.popularity);
  Put(run.SeRecord, 391, s.last3f);
  Put(run.SeRecord, 532, s.margin);
  Put(run.RaRecord, 12, "2023");
  Put(run.RaRecord, 20, s.course);
  Put(run.RaRecord, 615, "C");
  Put(run.RaRecord, 617, "13");
  Put(run.RaRecord, 635, "005");
  Put(run.RaRecord, 698, s.distance);
  Put(run.RaRecord, 706, s.track);
  Put(run.RaRecord, 889, s.turfGoing);
  Put(run.RaRecord, 890, s.dirtGoing);
  Put(run.RaRecord, 976, s.raceLast3f);
}

}  // namespace zelkova::testing
