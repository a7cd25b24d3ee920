// The rank-frequency counts of stored days that need a load: a day whose .Hind is missing or
// damaged is loaded as the program loads it (which stores its counts again), and the stored
// days are summed (SumBtn, and a range of dates for zelkova-cli).
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "analysis/rank_frequency.h"
#include "day/load_race_day.h"

namespace zelkova {

// Loads days into a race day of its own, kept between calls. `base` gives the program folder,
// settings, tables and gates (its date is ignored); without tables or gates nothing can be
// ranked and every date fails. Problems of a load go to `obs`.
class DayFrequencyRecomputer {
 public:
  DayFrequencyRecomputer(const LoadInputs& base, SumObserver& obs);
  ~DayFrequencyRecomputer();
  // The counts of `dateText`, computed from its stored files and written to its .Hind.
  Result<RankFrequency> operator()(const std::string& dateText);
  RecomputeFn Fn() {
    return [this](const std::string& d) { return (*this)(d); };
  }

 private:
  LoadInputs base_;
  SumObserver& obs_;
  std::unique_ptr<RaceDay> day_;
  LoadScratch scratch_;
};

// SumBtn: the .Hind files of the data folder from yearFrom/monthFrom on; damaged ones are made
// again from the stored files.
SumResult SumBtn(const LoadInputs& base, int yearFrom, int monthFrom, SumObserver& obs);

// Every stored date with from <= yyyymmdd <= to: the dates of `storedDates` (date texts of the
// race files) and of the .Hind files of the program folder. A date without a .Hind, or with a
// damaged one, is computed with `recompute` first.
SumResult SumFrequencyRange(const std::filesystem::path& programFolder, const std::vector<std::string>& storedDates,
                            int from, int to, const RecomputeFn& recompute, SumObserver& obs);

}  // namespace zelkova
