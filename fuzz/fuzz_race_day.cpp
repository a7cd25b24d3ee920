// Arbitrary bytes as the stored files of one race day (race, entry, payout, odds, masters,
// check marks, a horse history and a meeting file), then a full load with ratings. Whatever the
// files hold, the load returns, keeps within the model and leaves no figure NaN; every runner's
// past-runs window fills, the 出目一覧 cells draw, and the stored rank counts read back.
// Input: RA sep SE sep HR sep O1 sep O2 sep UM2 sep KS sep CH sep CKIM sep SEI sep SERA
// (sep: see fuzz_support.h); a corpus is made by joining a downloaded day's files.
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

bool Digits(std::string_view s, size_t n) { return s.size() == n && IsAllDigits(s); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1500000) return 0;
  auto parts = fuzz::SplitParts(data, size, 11);
  const auto& root = fuzz::ScratchRoot("race_day");
  fuzz::ResetDir(root / "Data");
  const std::string date = DateText("20240512");

  auto put = [&](const std::filesystem::path& p, std::string_view bytes) {
    if (bytes.empty()) return;
    fuzz::MakeDir(p.parent_path());
    ZELKOVA_FUZZ_CHECK(WriteFileAtomic(p, bytes).ok());
  };
  put(DataPath(root, date, ".jvRA"), parts[0]);
  // The entry file of the first race's racecourse (the loader names it the same way).
  const std::string_view ra = parts[0];
  put(DataPath(root, date, CourseNameW(Field(ra, 20, 2), 2) + ".jvSEr"), parts[1]);
  put(DataPath(root, date, ".jvHR"), parts[2]);
  put(DataPath(root, date, ".jvO1"), parts[3]);
  put(DataPath(root, date, ".jvO2"), parts[4]);
  put(DataPath(root, date, ".jvUM2"), parts[5]);
  put(DataPath(root, date, ".jvKS"), parts[6]);
  put(DataPath(root, date, ".jvCH"), parts[7]);
  put(DataPath(root, date, ".CkIm"), parts[8]);
  // A horse history for the first entry's horse, a meeting file for that history's first run.
  std::error_code ec;
  std::filesystem::remove_all(root / "SEI", ec);
  std::filesystem::remove_all(root / "SEIR", ec);
  const std::string_view reg = Field(parts[1], 31, 10);
  if (Digits(reg, 10)) put(HorsePath(root, reg), parts[9]);
  const std::string_view key10 = Field(parts[9], 12, 10);
  if (Digits(key10, 10)) put(MeetingPath(root, key10), parts[10]);

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
