// The past-runs window (馬成績) of one runner as plain data: the header line, the record labels
// and their rates, the fixed note, the speed and last-3F labels, and the grid of up to 20 past
// runs with its sort buttons, cell colours and copy text. The window only shows what this builds.
// Texts are CP932.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "analysis/cell_style.h"
#include "racedata/race_day.h"

namespace zelkova {

inline constexpr int kKakosoColumns = 28;
inline constexpr int kKakosoRuns = 20;  // the grid shows at most this many past runs

// A grid of cell texts; row 0 holds the titles. A sort exchanges whole rows.
using TextGrid = std::vector<std::vector<std::string>>;

// The row sort the analysis grids share: rows first..last (inclusive) by the text of `column`.
using SortRowsFn = std::function<void(TextGrid& grid, int first, int last, int column, bool descending)>;

// A label of the window: its component name (ASCII) and its text.
struct KakosoLabel {
  std::string name;
  std::string text;
};

// One record line: caption, counts text, then the rate of 1st finishes (and, for the distance
// and going lines, of 1st + 2nd and 1st + 2nd + 3rd).
struct KakosoRecordRow {
  std::string caption;
  KakosoLabel counts;
  std::vector<KakosoLabel> rates;
};

struct KakosoView {
  std::string UmaLabel;
  std::vector<KakosoRecordRow> records;  // in the window's order, 総着実績 first
  std::string note;
  std::array<KakosoLabel, 6> speed;   // SpeedByClass 1..6: 芝短 芝中 芝長 ダ短 ダ中 ダ長
  std::array<KakosoLabel, 6> last3f;  // Last3FByClass 1..6
  TextGrid grid;                      // title row + one row per past run (one empty row when none)
};

// Fills the window for runner slot `runner` (horse number - 1) of `race`, in No. order.
// A slot outside the race gives the titles, blank labels and one empty row.
KakosoView FillKakosoView(const RaceInfo& race, int runner);

// ---- the grid's fixed parts

const std::array<std::string, kKakosoColumns>& KakosoColumnTitles();
const std::array<int, kKakosoColumns>& KakosoColumnWidths();
// The captions of the two label rows beside the speed and last-3F labels, and of their columns.
std::string KakosoSpeedCaption();
std::string KakosoLast3FCaption();
const std::array<std::string, 6>& KakosoClassCaptions();

// ---- the sort button group (SpeedButton77Click)

struct KakosoSortButton {
  std::string caption;
  int column = 0;
  bool descending = false;
  int tieColumn = 1;
  bool tieDescending = true;
};
// The buttons in the window's order; button 0 (No.) is the one down at start.
const std::vector<KakosoSortButton>& KakosoSortButtons();

// Sorts the data rows by button `button`: the primary column, then each run of equal primary
// texts by the tie column. `sortRows` is the shared grid row sort.
void SortKakoso(TextGrid& grid, int button, const SortRowsFn& sortRows);

// ---- drawing and copying

// The style of data cell (row >= 1, col) of `grid`; row 0 keeps the grid's own title look.
CellStyle KakosoCellStyle(const TextGrid& grid, int row, int col);

// The copy command's text: the UmaLabel line, then every row of the grid (titles included),
// cells joined by TAB, each line ended by CR LF.
std::string KakosoCopyText(const KakosoView& view);

// The caption of the pop-up menu item that copies the grid.
std::string KakosoCopyCaption();

}  // namespace zelkova
