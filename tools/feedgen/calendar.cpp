#include "calendar.h"

#include "fixed_record.h"

namespace zelkova::feedgen {

// Howard Hinnant's days_from_civil / civil_from_days.
int DayNumber(int y, int m, int d) {
  y -= m <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int>(doe) - 719468;
}

void CivilDate(int day, int& y, int& m, int& d) {
  int z = day + 719468;
  const int era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe) + era * 400 + (m <= 2);
}

int Weekday(int day) { return ((day % 7) + 11) % 7; }  // 1970-01-01 was a Thursday

int Ymd(int day) {
  int y, m, d;
  CivilDate(day, y, m, d);
  return y * 10000 + m * 100 + d;
}

std::string YmdText(int day) { return Digits(Ymd(day), 8); }

std::string MdHmText(int day, int minutes) {
  return Digits(Ymd(day) % 10000, 4) + Digits(minutes / 60, 2) + Digits(minutes % 60, 2);
}

std::string StampText(int day, int minutes, int seconds) {
  return YmdText(day) + Digits(minutes / 60, 2) + Digits(minutes % 60, 2) + Digits(seconds, 2);
}

bool ParseIsoDate(const std::string& s, int& day) {
  if (s.size() != 10 || s[4] != '-' || s[7] != '-') return false;
  for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
    if (s[i] < '0' || s[i] > '9') return false;
  int y = std::stoi(s.substr(0, 4)), m = std::stoi(s.substr(5, 2)), d = std::stoi(s.substr(8, 2));
  if (y < 1990 || y > 2099 || m < 1 || m > 12 || d < 1 || d > 31) return false;
  day = DayNumber(y, m, d);
  int y2, m2, d2;
  CivilDate(day, y2, m2, d2);
  return y2 == y && m2 == m && d2 == d;
}

}  // namespace zelkova::feedgen
