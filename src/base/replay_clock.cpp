#include "base/replay_clock.h"

#include <cmath>

#include "base/fixed_fields.h"

namespace zelkova {

// Howard Hinnant's civil-day algorithms (proleptic Gregorian).
long long DaysFromCivil(long long y, long long m, long long d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

namespace {

void CivilFromDays(long long z, int& y, int& m, int& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

bool ValidDay(int y, int m, int d) {
  if (y < 1900 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int last = days[m - 1] + (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0) ? 1 : 0);
  return d <= last;
}

}  // namespace

long long SerialSeconds(const LocalTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600LL + t.minute * 60LL + t.second;
}

LocalTime FromSerialSeconds(long long s) {
  long long days = s >= 0 ? s / 86400 : -((-s + 86399) / 86400);
  long long rest = s - days * 86400;
  LocalTime t;
  CivilFromDays(days, t.year, t.month, t.day);
  t.hour = static_cast<int>(rest / 3600);
  t.minute = static_cast<int>(rest / 60 % 60);
  t.second = static_cast<int>(rest % 60);
  return t;
}

std::optional<LocalTime> ParseClockText(const std::string& text) {
  std::string_view s = TrimBlanks(text);
  // yyyy-mm-dd hh:mm[:ss]
  if (s.size() != 16 && s.size() != 19) return std::nullopt;
  if (s[4] != '-' || s[7] != '-' || s[10] != ' ' || s[13] != ':' || (s.size() == 19 && s[16] != ':'))
    return std::nullopt;
  auto num = [&](size_t pos, size_t len) { return IsAllDigits(s.substr(pos, len)) ? ParseInt(s.substr(pos, len), -1) : -1; };
  LocalTime t{static_cast<int>(num(0, 4)), static_cast<int>(num(5, 2)),  static_cast<int>(num(8, 2)),
              static_cast<int>(num(11, 2)), static_cast<int>(num(14, 2)), s.size() == 19 ? static_cast<int>(num(17, 2)) : 0};
  if (!ValidDay(t.year, t.month, t.day) || t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 ||
      t.second < 0 || t.second > 59)
    return std::nullopt;
  return t;
}

ReplayClock::ReplayClock(LocalTime start, double speed)
    : start_(start), now_(start), speed_(speed > 0 ? speed : 1), origin_(std::chrono::steady_clock::now()) {}

LocalTime ReplayClock::target() const {
  const double real = std::chrono::duration<double>(std::chrono::steady_clock::now() - origin_).count();
  return AddSeconds(start_, static_cast<long long>(std::floor(real * speed_)));
}

}  // namespace zelkova
