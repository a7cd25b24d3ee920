// The CSV export (CSVBtn): one row per race of the loaded day with its conditions, the figures of
// the horses placed first to third and the main payouts, for study in a spreadsheet.
// Every field is wrapped in double quotes (inner characters are not quoted); CP932; CR LF.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "base/status.h"
#include "racedata/race_day.h"

namespace zelkova {

inline constexpr int kCsvFields = 160;

// The heading line (160 fields), without its line end.
const std::string& CsvHeaderLine();
// The row of one race (160 fields), without its line end. Blocks of horses that the payout
// record does not name, and payouts that are not above 0, are empty fields.
std::string CsvRaceRow(const RaceInfo& race);
// The heading and one row per race slot whose year is above 0, in slot order.
std::vector<std::string> CsvLines(const RaceDay& day);

// ProgramFolder/CSV/yyyymmdd.csv for the date of the first race slot. InvalidArgument when that
// slot holds no date (no day loaded).
Result<std::filesystem::path> CsvPath(const RaceDay& day, const std::filesystem::path& programFolder);

// ExportCsv: creates the CSV folder when missing and replaces the file atomically. Returns the
// path written; on failure (message CP932, for the user) nothing of the file is left behind.
Result<std::filesystem::path> ExportCsv(const RaceDay& day, const std::filesystem::path& programFolder);

// The information text after CSV1: the date selector's text + "のCSVファイルを出力しました。".
std::string CsvDoneMessage(const std::string& dateSelectorText);

}  // namespace zelkova
