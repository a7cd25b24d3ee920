// The past-runs window (馬成績) of one runner as plain data: the header line, the record labels
// and their rates, the fixed note, the speed and last-3F labels, and the grid of up to 20 past
// runs with its sort buttons and cell colours. The window only shows what this builds.
// Texts are CP932.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "analysis/view_grid.h"
#include "racedata/race_day.h"

namespace zelkova {

inline constexpr int kKakosoColumns = 28;
inline constexpr int kKakosoRuns = 20;  // the grid shows at most this many past runs

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
  // Title row + one row per past run (one empty row when none), with its cell colours.
  ViewGrid grid = KakosoGrid();

  // The grid with its titles, widths and colours and no data rows.
  static ViewGrid KakosoGrid();
};

// Fills the window for runner slot `runner` (horse number - 1) of `race`, in No. order.
// A slot outside the race gives the titles, blank labels and one empty row.
KakosoView FillKakosoView(const RaceInfo& race, int runner);

// ---- the grid's fixed parts

// The captions of the two label rows beside the speed and last-3F labels, and of their columns.
std::string KakosoSpeedCaption();
std::string KakosoLast3FCaption();
const std::array<std::string, 6>& KakosoClassCaptions();

// ---- the sort button group (SpeedButton77Click)

// The buttons in the window's order; button 0 (No.) is the one down at start. Rows with equal
// texts go newest first unless a button says otherwise.
const std::vector<SortButton>& KakosoSortButtons();

// Sorts the data rows by button `button` of the group (nothing for a button outside it).
void SortKakoso(ViewGrid& grid, int button);

// The style of data cell (row >= 1, col) of the grid; row 0 keeps the grid's own title look.
CellStyle KakosoCellStyle(const ViewGrid& grid, int row, int col);

// The caption of the pop-up menu item that copies the grid.
std::string KakosoCopyCaption();

}  // namespace zelkova
