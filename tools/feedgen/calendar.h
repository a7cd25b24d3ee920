// Civil dates as day numbers (days since 1970-01-01), so date arithmetic is plain integers.
#pragma once

#include <string>

namespace zelkova::feedgen {

int DayNumber(int y, int m, int d);
void CivilDate(int day, int& y, int& m, int& d);
// 0 = Sunday .. 6 = Saturday.
int Weekday(int day);
// yyyymmdd as an integer and as 8 digits.
int Ymd(int day);
std::string YmdText(int day);
// mmddhhnn of a day and minutes after midnight.
std::string MdHmText(int day, int minutes);
// yyyymmddhhnnss.
std::string StampText(int day, int minutes, int seconds);
// Parses yyyy-mm-dd; false when it is not a valid date.
bool ParseIsoDate(const std::string& s, int& day);

}  // namespace zelkova::feedgen
