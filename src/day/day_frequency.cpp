#include "day/day_frequency.h"

#include <algorithm>
#include <map>

#include "base/cp932.h"
#include "store/stored_paths.h"

namespace zelkova {

namespace {

// A load run for its counts only: its problems are the aggregation's.
class QuietLoad : public LoadObserver {
 public:
  explicit QuietLoad(SumObserver& obs) : obs_(obs) {}
  void Problem(const std::string& text) override { obs_.Problem(text); }

 private:
  SumObserver& obs_;
};

}  // namespace

DayFrequencyRecomputer::DayFrequencyRecomputer(const LoadInputs& base, SumObserver& obs) : base_(base), obs_(obs) {}
DayFrequencyRecomputer::~DayFrequencyRecomputer() = default;

Result<RankFrequency> DayFrequencyRecomputer::operator()(const std::string& dateText) {
  if (!base_.tables || !base_.gates)
    return Status::InvalidArgument(Sj("評価表またはゲート表がないため順位を付けられません"));
  if (!day_) day_ = MakeRaceDay();
  LoadInputs in = base_;
  in.dateText = dateText;
  QuietLoad obs(obs_);
  Status s = LoadRaceDay(*day_, in, obs, scratch_);
  if (!s.ok()) return s;
  return RankDay(*day_);
}

SumResult SumBtn(const LoadInputs& base, int yearFrom, int monthFrom, SumObserver& obs) {
  DayFrequencyRecomputer recompute(base, obs);
  return SumFrequencyFiles(ListFrequencyFiles(base.programFolder), yearFrom, monthFrom, recompute.Fn(), obs);
}

SumResult SumFrequencyRange(const std::filesystem::path& programFolder, const std::vector<std::string>& storedDates,
                            int from, int to, const RecomputeFn& recompute, SumObserver& obs) {
  // date text -> its file; a stored date without one gets the path the load writes.
  // Files not named by a date belong to no range.
  std::map<std::string, FrequencyFile> byDate;
  for (FrequencyFile& f : ListFrequencyFiles(programFolder)) {
    if (f.dateText.empty()) continue;
    const int key = DateTextKey(f.dateText);
    if (key < from || key > to) continue;
    // Of two names of one date (".Hind" and ".HIND"), the one the program writes is used.
    const std::string date = f.dateText;
    if (byDate.count(date) && f.path != DataPath(programFolder, date, ".Hind")) continue;
    byDate[date] = std::move(f);
  }
  for (const std::string& d : storedDates) {
    const int key = DateTextKey(d);
    if (key == 0 || key < from || key > to || byDate.count(d)) continue;
    FrequencyFile f;
    f.dateText = d.substr(0, 14);
    f.name = f.dateText + ".Hind";
    f.path = DataPath(programFolder, f.dateText, ".Hind");
    byDate[f.dateText] = std::move(f);
  }
  std::vector<FrequencyFile> files;
  for (auto& [date, f] : byDate) files.push_back(std::move(f));
  return SumFrequencyFiles(files, 0, 0, recompute, obs);
}

}  // namespace zelkova
