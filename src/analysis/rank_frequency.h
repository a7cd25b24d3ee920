// How well the ratings pick the first three: the day's rank-frequency counts (HindoRankBtn,
// HindoReadBtn), the 集計 table (StringGrid15), the 出目一覧 cells (StringGrid12-14) as drawing
// operations, and the aggregation of the stored days (SumBtn). Texts are CP932.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/view_grid.h"
#include "base/paint_list.h"
#include "base/status.h"
#include "racedata/race_day.h"
#include "store/stored_files.h"

namespace zelkova {

inline constexpr int kFrequencyCategories = 8;  // 着RT 人RT 展RT 能M 能平 格賞 平脚 SP
inline constexpr int kFrequencyPositions = 3;
inline constexpr int kFrequencyRanks = 18;

// counts[c][p][r] for category c (0..7), finish p (1..3), rank r (1..18), stored flat as the
// day's .Hind file holds them.
using RankFrequency = HindCounts;

// Index of (c, p, r) in a RankFrequency; the arguments must be in range.
inline size_t FrequencyIndex(int c, int p, int r) {
  return static_cast<size_t>(c * kFrequencyPositions * kFrequencyRanks + (p - 1) * kFrequencyRanks + (r - 1));
}

// The header text of category c ("着RT" ... "SP").
const std::string& FrequencyCategoryText(int c);
// The rank runner slot h has in category c (0 = not ranked).
int CategoryRank(const RaceFigures& f, int c, int h);

// Steps 1-2 of HindoRankBtn: every race of the day with a year, every registered runner that
// finished 1st, 2nd or 3rd, one count per category that ranked it. Dead heats count each runner.
RankFrequency RankDay(const RaceDay& day);

// HindoRankBtn: ranks the day into `out` and writes it to day.HindPath (atomically). The counts
// are in `out` even when the write fails. `rewriteSame` false: a file already holding them is
// left as it is (a load of a day seen before).
Status HindoRankBtn(const RaceDay& day, RankFrequency& out, bool rewriteSame = true);
// HindoReadBtn: reads day.HindPath into `out`. NotFound (missing) and Corruption (damaged) leave
// `out` as it was.
Status HindoReadBtn(const RaceDay& day, RankFrequency& out);

// A day's counts are at most one per race and runner: Corruption when a count is negative or
// larger than a day can hold (a file of the right size with other bytes in it).
Status CheckDayFrequency(const RankFrequency& counts);
// ReadHind with that check.
Result<RankFrequency> ReadDayFrequency(const std::filesystem::path& p);

// ---- the 集計 table (StringGrid15): 25 columns, 20 rows

inline constexpr int kFrequencyGridColumns = 25;
inline constexpr int kFrequencyGridRows = 20;

// The grid with its fixed texts (categories in row 0, "1着".."3着" in row 1, ranks in column 0),
// its sizes and colours, and, when `counts` is given, the counts.
ViewGrid FrequencyGrid(const RankFrequency* counts);
CellStyle FrequencyCellStyle(const ViewGrid& grid, int row, int col);

// ---- the 出目一覧 grids (StringGrid12-14)

inline constexpr int kDemeColumns = 10;
inline constexpr int kDemeRowHeight = 25;
inline constexpr int kDemeTitleRowHeight = 40;  // two lines of titles
int DemeColumnWidth(int col);

// The drawing of cell (col, row) of the grid of the racecourse whose first race slot is
// `firstSlot` (BashoIdx), in pixels from the cell's top-left corner. `lineWidth` is the grid
// line width. Empty when the day has no races; a row beyond that racecourse's races is filled
// only.
PaintList DemeCell(const RaceDay& day, int firstSlot, int col, int row, int width, int height, int lineWidth = 1);

// ---- aggregation (SumBtn)

// A file of the list (FileListBox1): the *.hind files of the data folder.
struct FrequencyFile {
  std::string name;      // the file name, CP932
  std::string dateText;  // its first 14 bytes when they are a date text, else empty
  std::filesystem::path path;
};
// The .Hind files of ProgramFolder/Data (extension in any case), ordered by name.
std::vector<FrequencyFile> ListFrequencyFiles(const std::filesystem::path& programFolder);
// yyyymm of a date text, 0 when it is none.
int FrequencyMonthKey(std::string_view dateText);
// yyyymmdd of a date text, 0 when it is none.
int DateTextKey(std::string_view dateText);

// What the aggregation reports while it runs.
class SumObserver {
 public:
  virtual ~SumObserver() = default;
  virtual void Label4(const std::string& /*text*/) {}
  virtual void Problem(const std::string& /*text*/) {}
  virtual void ProcessEvents() {}
};

// Counts of a date computed again from its stored files; an error Status when they cannot be.
using RecomputeFn = std::function<Result<RankFrequency>(const std::string& dateText)>;

struct SumResult {
  RankFrequency sum{};
  int listed = 0;      // files in the list (none: the 集計 page keeps what it shows)
  int summed = 0;      // files added
  int recomputed = 0;  // damaged files made again from the stored data
  int skipped = 0;     // files that could not be used
};

// Adds the files whose month key is at least yearFrom * 100 + monthFrom. A file that cannot be
// used (damaged, unreadable) is reported, recomputed with `recompute` when given, and then added;
// a missing one is computed the same way without a report. One that can be neither read nor
// recomputed is reported and left out, and the sum goes on.
SumResult SumFrequencyFiles(const std::vector<FrequencyFile>& files, int yearFrom, int monthFrom,
                            const RecomputeFn& recompute, SumObserver& obs);

// The message for a day file that cannot be used, and for one that is being made again.
std::string UnusableFrequencyText(std::string_view dateText, const Status& why);
std::string DamagedFrequencyText(std::string_view dateText, const Status& why);

}  // namespace zelkova
