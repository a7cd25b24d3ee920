#include "analysis/scratched.h"

#include "base/cp932.h"
#include "racedata/race_day_updates.h"

namespace zelkova {

bool IsScratched(const Runner& runner) {
  // 1 出走取消, 2 発走除外, 3 競走除外; 4 and above ran (stopped, disqualified, placed lower).
  const long long code = runner.SeRecord.fieldInt(332, 1);
  return (code >= 1 && code <= 3) || runner.ScratchNotice != 0;
}

std::string ScratchShortName(const Runner& runner) {
  if (!IsScratched(runner)) return {};
  static const std::string cancelled = Sj("取消"), excluded = Sj("除外");
  const long long code = runner.SeRecord.fieldInt(332, 1);
  if (code == 1 || (code == 0 && runner.ScratchNotice == '1')) return cancelled;
  return excluded;
}

std::array<bool, MaxRunners> ScratchedRunners(const RaceInfo& race) {
  std::array<bool, MaxRunners> out{};
  for (size_t h = 0; h < out.size(); ++h)
    out[h] = IsScratched(race.Runners[h]) || ScratchedByWeight(race, static_cast<int>(h));
  return out;
}

}  // namespace zelkova
