#include "analysis/scratched.h"

#include "base/cp932.h"
#include "racedata/race_day_updates.h"

namespace zelkova {

namespace {

// 1 出走取消, 2 発走除外, 3 競走除外; 4 and above ran (stopped, disqualified, placed lower).
long long Abnormality(const Runner& runner) { return runner.SeRecord.fieldInt(332, 1); }

}  // namespace

bool IsScratched(const RaceInfo& race, int h) {
  if (h < 0 || h >= MaxRunners) return false;
  const Runner& runner = race.Runners[static_cast<size_t>(h)];
  const long long code = Abnormality(runner);
  return (code >= 1 && code <= 3) || runner.ScratchNotice != 0 || ScratchedByWeight(race, h);
}

std::string ScratchShortName(const RaceInfo& race, int h) {
  if (!IsScratched(race, h)) return {};
  static const std::string cancelled = Sj("取消"), excluded = Sj("除外");
  const Runner& runner = race.Runners[static_cast<size_t>(h)];
  const long long code = Abnormality(runner);
  if (code == 2 || code == 3) return excluded;
  // A weight of 000 is the scratch the weight announcement tells.
  if (code == 1 || runner.ScratchNotice == '1' || (runner.ScratchNotice == 0 && ScratchedByWeight(race, h)))
    return cancelled;
  return excluded;
}

std::array<bool, MaxRunners> ScratchedRunners(const RaceInfo& race) {
  std::array<bool, MaxRunners> out{};
  for (size_t h = 0; h < out.size(); ++h) out[h] = IsScratched(race, static_cast<int>(h));
  return out;
}

}  // namespace zelkova
