#include "day/replay_timers.h"

namespace zelkova {

void ReplayTimers::Set(int id, bool running, long long intervalSeconds, const ReplayClock& clock) {
  Timer& t = timers_[id];
  if (intervalSeconds < 1) intervalSeconds = 1;
  if (running && (!t.running || t.interval != intervalSeconds)) t.next = SerialSeconds(clock.now()) + intervalSeconds;
  t.running = running;
  t.interval = intervalSeconds;
}

bool ReplayTimers::running(int id) const {
  auto it = timers_.find(id);
  return it != timers_.end() && it->second.running;
}

void ReplayTimers::RunUntil(ReplayClock& clock, const LocalTime& target, const std::function<void()>& sync,
                            const std::function<void(int id)>& tick) {
  const long long end = SerialSeconds(target);
  for (;;) {
    if (sync) sync();
    int due = -1;
    long long when = 0;
    for (auto& [id, t] : timers_) {
      if (!t.running || t.next > end) continue;
      if (due < 0 || t.next < when) {
        due = id;
        when = t.next;
      }
    }
    if (due < 0) break;
    Timer& t = timers_[due];
    t.next = when + t.interval;
    // The clock never goes back: a tick that fell due while another ran sees its own time or later.
    if (when > SerialSeconds(clock.now())) clock.set(FromSerialSeconds(when));
    tick(due);
  }
  if (end > SerialSeconds(clock.now())) clock.set(target);
}

}  // namespace zelkova
