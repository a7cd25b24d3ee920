// The hit report (TekiAnaBtn, TekiAnaBtn2): for eight ratings, every winning quinella, exacta,
// wide, trio and trifecta combination of the loaded day with a horse that rating ranked in the
// top three, with its payout. Written as an HTML-ready text to HPupload (TKyyyymmdd.html and
// .txt), appended in a plain form to HPupload/Zerivadi.txt, opened and put on the clipboard.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/platform.h"
#include "base/status.h"
#include "output/race_list.h"
#include "racedata/race_day.h"

namespace zelkova {

// Thresholds of the two commands (yen): 的中 reports every hit, 穴的中 only those paying more.
inline constexpr int kHitThresholdAll = 0;
inline constexpr int kHitThresholdLongShot = 5000;

// The report lines for `threshold` (a hit must pay strictly more). `running` (the lines of
// Zerivadi.txt so far) gets the plain line of every hit appended. `showRace(item)` is called
// for each race list item before its entries are read, once per rating, so the caller can
// select it and run the race view; it may be empty.
std::vector<std::string> HitReportLines(const RaceDay& day, const std::string& dateText, int threshold,
                                        std::vector<std::string>& running,
                                        const std::function<void(int item)>& showRace);

// The first line of a new Zerivadi.txt.
std::string RunningListFirstLine();  // " Zelkova for JRA-VAN Data Lab."

struct HitReportFiles {
  std::filesystem::path html, txt, running;
  bool opened = false;  // the shell opened the .txt
};

struct HitReportEnv {
  Clipboard* clipboard = nullptr;  // null: nothing is put on the clipboard
  ShellOpen* shell = nullptr;      // null: the .txt is not opened
  std::function<void(int item)> showRace;
};

// HitReport(threshold): reads Zerivadi.txt when it exists, builds the report, then writes the
// .html, the .txt and the grown Zerivadi.txt together (all three or none: each is replaced
// atomically, and a failure before the last rename leaves the old ones), opens the .txt and puts
// the report on the clipboard. Fails (message CP932, for the user) when no day is loaded or a
// file cannot be read or written; then nothing is opened or copied.
Result<HitReportFiles> HitReport(const RaceDay& day, const std::filesystem::path& programFolder,
                                 const std::string& dateText, int threshold, const HitReportEnv& env);

}  // namespace zelkova
