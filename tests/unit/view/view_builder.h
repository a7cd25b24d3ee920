// Hand-built race days for the race-view tests: one race slot with the fields a test sets.
#pragma once

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "analysis/race_view.h"
#include "base/cp932.h"
#include "racedata/race_day.h"
#include "record_images.h"

namespace zelkova::testing {

// A day whose slot 0 is race `raceNo` of Tokyo on 2024-05-19 (a Sunday) with `runners` entries,
// 1600 m on turf, a 3-year-olds-and-up 1勝ｸﾗｽ race. Runner n has horse number n, frame (n+1)/2.
struct ViewDay {
  std::unique_ptr<RaceDay> day = MakeRaceDay();
  RaceView view;

  explicit ViewDay(int runners = 3, int raceNo = 11) {
    day->RaceCount = 1;
    RaceInfo& r = race();
    Put(r.RaRecord, 12, "20240519");
    Put(r.RaRecord, 20, "05");
    Put(r.RaRecord, 22, "02");
    Put(r.RaRecord, 24, "08");
    Put(r.RaRecord, 26, Two(raceNo));
    Put(r.RaRecord, 28, "2");
    Put(r.RaRecord, 615, "E");
    Put(r.RaRecord, 617, "13");
    Put(r.RaRecord, 619, "000");
    Put(r.RaRecord, 622, "4");
    Put(r.RaRecord, 626, "005");
    Put(r.RaRecord, 629, "005");
    Put(r.RaRecord, 632, "005");
    Put(r.RaRecord, 635, "005");
    Put(r.RaRecord, 698, "1600");
    Put(r.RaRecord, 706, "11");
    Put(r.RaRecord, 874, "1545");
    Put(r.RaRecord, 882, Two(runners));
    r.Figures.RunnerCount = runners;
    for (int n = 1; n <= runners; ++n) runner(n);
    day->CheckPath = "";
  }
  RaceInfo& race() { return day->Races[0]; }
  RaceFigures& fig() { return race().Figures; }
  // Runner n's entry with a name, sex 牡, age 4, weight 55.0 and the texts the loader derives.
  SeImage& runner(int n) {
    SeImage& se = race().Runners[static_cast<size_t>(n - 1)].SeRecord;
    Put(se, 12, "2024");
    Put(se, 28, std::to_string((n + 1) / 2));
    Put(se, 29, Two(n));
    Put(se, 41, Sj("テストホース") + std::to_string(n % 10));
    Put(se, 79, "1");
    Put(se, 83, "04");
    Put(se, 289, "550");
    RaceFigures& f = fig();
    f.HorseNoText[static_cast<size_t>(n - 1)].Assign(Two(n));
    f.FrameNoText[static_cast<size_t>(n - 1)].Assign(std::to_string((n + 1) / 2));
    return se;
  }
  PastRun& past(int n, int k) { return race().Runners[static_cast<size_t>(n - 1)].PastRuns[static_cast<size_t>(k)]; }
  void finish(int n, int pos) {
    Put(race().Runners[static_cast<size_t>(n - 1)].SeRecord, 335, Two(pos));
    fig().FinishPos[static_cast<size_t>(n - 1)] = pos;
  }

  RaceViewResult show(int samples = 13, int weightSwitch = 0) {
    RaceViewOptions o;
    o.samples = samples;
    o.weightSwitch = weightSwitch;
    return RunRaceView(*day, 0, o, view);
  }
  ViewGrid& grid(ViewGridId id) { return view.grid(id); }
  // The cell as UTF-8, for readable expectations.
  std::string cell(ViewGridId id, int row, int col) { return Cp932ToUtf8Lossy(view.grid(id).cell(row, col)); }
  // The 1-based runner numbers of the data rows, in row order.
  std::string order(ViewGridId id, int numberCol = 1) {
    std::string out;
    const ViewGrid& g = view.grid(id);
    for (int r = 1; r < g.rowCount(); ++r) out += (r > 1 ? "," : "") + std::to_string(std::atoi(g.cell(r, numberCol).c_str()));
    return out;
  }
};

}  // namespace zelkova::testing
