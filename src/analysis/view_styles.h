// How the race view's cells look: the colour rules of the rating grids, the 実績一覧 record card
// and the 出馬表(馬柱) race card. Cards are display lists in the cell's pixels, origin at its top
// left; font sizes are points on a 96-dpi screen.
#pragma once

#include "analysis/race_view.h"
#include "analysis/view_grid.h"
#include "base/paint_list.h"
#include "racedata/race_day.h"

namespace zelkova {

inline constexpr Rgb kPaleCyan{227, 252, 253};
inline constexpr Rgb kGrey{128, 128, 128};

// 枠 1..8 (white for anything else); the text that reads on it.
Rgb BracketColour(int bracket);
Rgb BracketTextColour(int bracket);
// 着順 1st..3rd; white otherwise.
Rgb ResultHighlight(int position);

// True iff column `col` of a rating grid shows a rank (coloured as one).
bool RankColumn(ViewGridId id, int col);

// The style of a data cell of a rating grid (row 0 keeps the default). `race` gives the figures
// some rules read (the complements, the 血統 grid's finish); null leaves those cells plain.
CellStyle RatingCellStyle(ViewGridId id, const ViewGrid& grid, int row, int col, const RaceInfo* race);

// One cell of the record card for runner number `runner` (1-based).
PaintList RecordCardCell(const RaceInfo& race, int runner, int col, int width, int height);

// One cell of the race card for runner number `runner`; greyed past runs follow the filters.
PaintList RaceCardCell(const RaceInfo& race, int runner, int col, int width, int height, SurfaceFilter surface,
                       DistanceFilter distance);

// The width column `col` of the race card needs so that the texts of runners 1..`runners`
// show whole (half-width characters are half an em); never less than `base`.
int RaceCardColumnWidth(const RaceInfo& race, int runners, int col, int base, int height, SurfaceFilter surface,
                        DistanceFilter distance);

// The height in pixels of a line of text of `points`.
int LineHeight(double points);

}  // namespace zelkova
