// Local times as seconds, and the clock of a replayed day: it starts at a chosen moment and runs
// `speed` times as fast as the machine's clock. Whoever drives the race-day timers moves it on
// tick by tick (set()), so every tick sees its own due time however long the one before took.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "base/platform.h"

namespace zelkova {

// Days since 1970-01-01 of a civil date (proleptic Gregorian); negative before it.
long long DaysFromCivil(long long y, long long m, long long d);
// Seconds since 1970-01-01 00:00:00 of a local time taken as a plain calendar value (no zone).
long long SerialSeconds(const LocalTime& t);
LocalTime FromSerialSeconds(long long s);
inline LocalTime AddSeconds(const LocalTime& t, long long s) { return FromSerialSeconds(SerialSeconds(t) + s); }

// "yyyy-mm-dd hh:mm" (seconds optional) -> a valid local time, else nullopt.
std::optional<LocalTime> ParseClockText(const std::string& text);

class ReplayClock : public Clock {
 public:
  ReplayClock(LocalTime start, double speed);

  // The moment last set (the start until then): what every handler sees.
  LocalTime now() const override { return now_; }
  void set(const LocalTime& t) { now_ = t; }
  // Where the replay should be by the machine's clock: start + speed x the real time elapsed.
  LocalTime target() const;
  double speed() const { return speed_; }

 private:
  LocalTime start_;
  LocalTime now_;
  double speed_;
  std::chrono::steady_clock::time_point origin_;
};

}  // namespace zelkova
