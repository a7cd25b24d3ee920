// CopyGridToClipboard: a range of a grid's cells as tab-separated lines under a heading line.
// The grid is given as its cell texts, so any table (a main-window grid, the past-runs grid)
// can be copied. Texts are CP932.
#pragma once

#include <string>
#include <vector>

#include "analysis/race_view.h"
#include "analysis/view_grid.h"
#include "base/platform.h"

namespace zelkova {

// The cell texts of a grid: cells[row][column]. A row shorter than `columns` reads as empty
// cells beyond its end; rows beyond cells.size() up to `rows` are empty.
struct GridCells {
  int columns = 0;
  int rows = 0;
  std::vector<std::vector<std::string>> cells;

  const std::string& at(int column, int row) const;
};

// The heading + CR LF, then for each row top..bottom the cells left..right joined by TAB, each
// row ended by CR LF. Empty when right < left, bottom < top, right < 0, bottom < 0,
// left >= columns or top >= rows; otherwise left and top below 0 count as 0, right and bottom
// are limited to the last column and row.
std::string GridClipboardText(const GridCells& grid, int left, int top, const std::string& heading, int bottom,
                              int right);

// Puts GridClipboardText on the clipboard (an empty text when the range is empty).
void CopyGridToClipboard(Clipboard& clipboard, const GridCells& grid, int left, int top, const std::string& heading,
                         int bottom, int right);

// N10: the whole grid, fixed rows and columns included, under `heading`.
void CopyWholeGrid(Clipboard& clipboard, const GridCells& grid, const std::string& heading);

// The texts of a race-view grid as they stand (sorted rows in their shown order), the title row
// and the hidden spacer columns included.
GridCells CellsOf(const ViewGrid& grid);

// True iff the grid carries the copy pop-up and becomes the copy target when pressed: the rating
// grids written as text (StringGrid1, 3, 7 to 11, 16 and 17). The record card and the race cards
// are drawn from the model, so their cell texts are only sort keys.
bool HasCopyMenu(ViewGridId id);

}  // namespace zelkova
