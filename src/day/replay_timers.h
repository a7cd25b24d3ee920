// The race-day timers on a replayed clock. Ticks fall due in clock time and run in time order,
// the clock set to each one's due time first, so a slow fetch delays the replay but never skips a
// tick: every minute of the odds schedule still gets its tick, however fast the clock runs.
#pragma once

#include <functional>
#include <map>

#include "base/replay_clock.h"

namespace zelkova {

class ReplayTimers {
 public:
  // Timer `id` runs every `intervalSeconds` of clock time. Started (or its interval changed) now,
  // its first tick is one interval from the clock's now; stopped, it is never due.
  void Set(int id, bool running, long long intervalSeconds, const ReplayClock& clock);
  bool running(int id) const;

  // Runs every tick due up to `target` in time order (equal times: lower id first), setting the
  // clock to the due time before each; `sync` is called before each pick so that a handler that
  // starts or stops a timer is seen. The clock ends at `target` (or where it was, if later).
  void RunUntil(ReplayClock& clock, const LocalTime& target, const std::function<void()>& sync,
                const std::function<void(int id)>& tick);

 private:
  struct Timer {
    bool running = false;
    long long interval = 0;
    long long next = 0;  // serial seconds
  };
  std::map<int, Timer> timers_;
};

}  // namespace zelkova
