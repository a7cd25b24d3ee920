// Whether a runner takes no part in the race: scratched (出走取消) or excluded (発走除外,
// 競走除外), by the entry's abnormality code, a change notice or a weight of 000 (in the entry or
// the race's weight record). Such a runner is marked in every view and ranked nowhere.
#pragma once

#include <array>
#include <string>

#include "racedata/race_day.h"

namespace zelkova {

// `h` is the runner slot (0-based); a slot outside the race is not scratched.
bool IsScratched(const RaceInfo& race, int h);

// "取消" for a runner scratched, "除外" for one excluded, empty for a runner that runs (CP932).
std::string ScratchShortName(const RaceInfo& race, int h);

// IsScratched for every runner slot of `race`.
std::array<bool, MaxRunners> ScratchedRunners(const RaceInfo& race);

}  // namespace zelkova
