// Loading a date without a window, for the CLI and the program's unattended options: the
// reference tables and the gate table of the program folder,
// the settings file, the legacy horse master conversion, then the whole-day load.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "base/status.h"
#include "day/load_race_day.h"

namespace zelkova {

struct HeadlessLoad {
  int samples = 13;      // AvChakusa/samplesu, the sample count of the race view's figures
  int weightSwitch = 0;  // Futanjuryo/Ignore
  bool ratings = true;   // false when a fixed file was unavailable: ratings keep their starting values
};

// Loads `dateText` (14 CP932 bytes) into `day`. Problems that do not stop the load (a fixed file
// missing, a stored file damaged) go to `warn` as CP932 or ASCII texts. NotFound when the date
// has no race file; other failures as LoadRaceDay reports them. A program folder that cannot be
// written is read without writing anything (and without saying so: the caller says it once).
Result<HeadlessLoad> LoadDayHeadless(const std::filesystem::path& programFolder, const std::string& dateText,
                                     RaceDay& day, const std::function<void(const std::string&)>& warn);

// A date argument (UTF-8): yyyymmdd, yyyy-mm-dd or the date text yyyy年mm月dd日. Empty when it is
// a date that exists, `*text` then the CP932 date text; else the one-line reason (CP932): not a
// date at all, or a day the calendar does not have (20240230).
std::string CheckDateArgument(const std::string& arg, std::string* text);
// The CP932 date text of a good date argument; empty otherwise.
std::string DateArgument(const std::string& arg);

}  // namespace zelkova
