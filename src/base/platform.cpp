#include "base/platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <ctime>
#endif

namespace zelkova {

LocalTime SystemClock::now() const {
#ifdef _WIN32
  // The system's own local time: the C runtime's would follow a TZ variable that a Unix-like
  // shell may have set, in a form the runtime misreads.
  SYSTEMTIME st;
  GetLocalTime(&st);
  return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
#else
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
#endif
}

}  // namespace zelkova
