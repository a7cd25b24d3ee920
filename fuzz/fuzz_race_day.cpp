// Arbitrary bytes as the stored files of one race day (race, entry, payout, odds, masters,
// check marks, a horse history and a meeting file), then a full load with ratings. Whatever the
// files hold, the load returns, keeps within the model and leaves no figure NaN; every runner's
// past-runs window fills, the 出目一覧 cells draw, and the stored rank counts read back.
// Input: the parts race_day_files.h writes.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "analysis/past_runs_view.h"
#include "analysis/rank_frequency.h"
#include "analysis/rating_tables.h"
#include "settings/gate_table.h"
#include "base/file_io.h"
#include "fuzz_support.h"
#include "race_day_files.h"
#include "store/stored_paths.h"
#include "records/code_tables.h"
#include "day/load_race_day.h"
#include "records/record.h"

using namespace zelkova;

namespace {

class FixedClock : public Clock {
 public:
  LocalTime now() const override { return {2024, 5, 12, 12, 0, 0}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1500000) return 0;
  auto parts = fuzz::SplitParts(data, size, fuzz::kRaceDayParts);
  const auto& root = fuzz::ScratchRoot("race_day");
  const std::string date = DateText("20240512");
  fuzz::WriteRaceDayFiles(root, date, parts);

  static auto day = MakeRaceDay();
  static RatingTables tables;
  static GateTable gates;
  FixedClock clock;
  LoadObserver obs;
  LoadInputs in;
  in.dateText = date;
  in.programFolder = root;
  in.clock = &clock;
  in.tables = &tables;
  in.gates = &gates;
  (void)LoadRaceDay(*day, in, obs);
  ZELKOVA_FUZZ_CHECK(day->RaceCount >= 0 && day->RaceCount <= MaxRaces);
  for (int r = 0; r < day->RaceCount; ++r) {
    const RaceFigures& f = day->Races[r].Figures;
    for (int h = 0; h < MaxRunners; ++h)
      ZELKOVA_FUZZ_CHECK(std::isfinite(f.FinishRating[h]) && std::isfinite(f.AbilityMax[h]) &&
                         std::isfinite(f.EstimatedSupport[h]));
  }
  for (char c : day->CheckMarks) ZELKOVA_FUZZ_CHECK(c == '0' || c == '1');
  // The past-runs window of every runner that has a past run, and of one that has none: the
  // others fill the same empty window, and filling hundreds of them would slow every input.
  bool emptyShown = false;
  for (int r = 0; r < day->RaceCount; ++r) {
    for (int h = 0; h < MaxRunners; ++h) {
      if (day->Races[r].Runners[h].PastRuns[0].SeRecord.empty()) {
        if (emptyShown) continue;
        emptyShown = true;
      }
      KakosoView v = FillKakosoView(day->Races[r], h);
      ZELKOVA_FUZZ_CHECK(v.grid.rowCount() >= 2 && v.grid.rowCount() <= 1 + kKakosoRuns);
      ZELKOVA_FUZZ_CHECK(v.grid.colCount() == kKakosoColumns);
      for (int b = 0; b < static_cast<int>(KakosoSortButtons().size()); ++b) SortKakoso(v.grid, b);
    }
    for (int col = 0; col < kDemeColumns; ++col) (void)DemeCell(*day, 0, col, r + 1, 90, 25);
  }
  if (FileExists(day->HindPath)) {
    auto counts = ReadDayFrequency(day->HindPath);
    ZELKOVA_FUZZ_CHECK(counts.ok() && *counts == RankDay(*day));
  }
  return 0;
}
