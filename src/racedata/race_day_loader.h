// LoadRaceRecords: resets the race day and refills it from the stored files of one date, then runs
// the second pass (times, results, payouts, texts, odds) and the follow-up hooks. The ratings and
// support figures computed in between come from the layer that runs a whole day, through
// LoadStages. What a window shows goes to a LoadObserver; every hook has a no-op default.
// Texts are CP932.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "base/platform.h"
#include "base/status.h"
#include "store/master_index.h"
#include "store/stored_files.h"
#include "racedata/race_day.h"

namespace zelkova {

// The race list's item for a race: two-character racecourse name, meeting, day and race number
// ("東京 2回 8日11R" in CP932).
std::string RaceListItemText(const RaImage& ra);

class TIniGT;

// What the main window does while a day loads.
class LoadObserver {
 public:
  virtual ~LoadObserver() = default;
  virtual void SetMainWindowEnabled(bool) {}
  virtual void ClearRestTime() {}
  virtual void StopTimers() {}  // Timer3, Timer4
  // UMConvertBtn: the date has no .jvUM2; a legacy master may be converted.
  virtual void UMConvertBtn(const std::string& /*dateText*/) {}
  virtual void ClearRaceList() {}
  virtual void ShowWaitWindow() {}
  virtual void SetWaitText(const std::string& /*line1*/, const std::string& /*line2*/) {}
  virtual void SetProgress(int /*position*/, int /*maximum*/) {}
  virtual void ProcessEvents() {}
  virtual void HidePanel12() {}
  virtual void AddRaceListItem(const std::string& /*text*/) {}
  // Racecourse tab i (0..2): hidden, or shown with its caption and the code label.
  virtual void SetCourseTab(int /*i*/, bool /*visible*/, const std::string& /*caption*/, const std::string& /*code*/) {}
  virtual void SetCourseIndexLabel(int /*i*/, const std::string& /*text*/) {}
  virtual void SetCourseGridRows(int /*i*/, int /*rows*/) {}
  virtual void SetUpDown(int /*maximum*/, int /*position*/) {}
  virtual void CloseWaitWindow() {}
  virtual void SetTimer4(int /*minutes*/, bool /*running*/) {}
  // The day's rank-frequency counts, for the 集計 table (StringGrid15).
  virtual void ShowRankFrequency(const HindCounts&) {}
  // Selects race list item `item` and runs the race view.
  virtual void SelectRace(RaceDay&, int /*item*/) {}
  // A stored file that could not be used as it is (the load goes on).
  virtual void Problem(const std::string& /*text*/) {}
  // Something worth a line in the error log that needs nothing of the user (a master's index
  // made anew).
  virtual void Log(const std::string& /*text*/) {}
};

// The computations a load runs between its reading steps. Each has a no-op default, so a load
// without stages reads records and plain conversions only.
class LoadStages {
 public:
  virtual ~LoadStages() = default;
  // Second pass, per race: after results and payouts, before the odds are converted.
  virtual void BeforeOdds(RaceInfo&) {}
  // Second pass, per race: once the odds are converted.
  virtual void AfterOdds(RaceInfo&) {}
  // Follow-up, once per race list item with day.BetRace set to its slot.
  virtual void PerRaceListItem(RaceDay&) {}
  // Last steps, before the first race is shown: the day's rank-frequency counts are made and
  // stored, then read back.
  virtual void HindoRankBtn(RaceDay&, LoadObserver&) {}
  virtual void HindoReadBtn(RaceDay&, LoadObserver&) {}
};

struct RecordLoadInputs {
  std::string dateText;  // the 14-byte date text (CP932); longer texts are cut to 14 bytes
  std::filesystem::path programFolder;
  const TIniGT* settings = nullptr;     // section Time; defaults when null
  const Clock* clock = nullptr;         // "today" for Timer4; never today when null
  // The program folder cannot be written: nothing is written (no odds placeholders, no check
  // file, no frequency counts), and nothing is said about it here.
  bool readOnly = false;
};

// Reusable buffers of the loader (master indexes and file caches), kept between loads.
struct LoadScratch {
  MasterIndex um, ks, ch;
};

// Loads the date into `day`. NotFound when the date has no race file (the model is untouched
// beyond the figure reset); IoError when an opened file cannot be read (the load ends there);
// otherwise Ok. Files that are merely missing or damaged leave blanks and are reported.
Status LoadRaceRecords(RaceDay& day, const RecordLoadInputs& in, LoadStages& stages, LoadObserver& obs,
                       LoadScratch& scratch);

// Helpers of the second pass, public for the views and tests.
// Odds text to a number: "----"/"****" (any width) -1, blank -2, else the value / 10.
double OddsValue(std::string_view text);
// The payout group of `f` from an HR record (win, place, bracket, quinella, wide, exacta, trio,
// trifecta); a combination is written only when all its numbers are above 0.
void ParsePayouts(std::string_view hr, RaceFigures& f);
// Whole days from yyyymmdd `from` to yyyymmdd `to`.
int DaysBetween(int from, int to);
// The date text of `t` (yyyy年mm月dd日, CP932).
std::string TodayText(const LocalTime& t);

}  // namespace zelkova
