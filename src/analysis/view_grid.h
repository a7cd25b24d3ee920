// ViewGrid: what a grid of the race view holds, independent of any widget: rows of CP932 cell
// texts (row 0 the titles), column widths and row height in pixels, and two optional queries
// that the owner sets: the style of a cell and, for grids drawn as cards, a display list per
// cell. Sorting, the clipboard copy and the CSV export work on the texts alone.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/paint_list.h"

namespace zelkova {

// Windows' default tooltip background, which the rating grids use for number and rank columns.
inline constexpr Rgb kInfoBackground{255, 255, 225};

struct CellStyle {
  enum class Align { Centre, Left };
  Rgb background = kWhite;
  Rgb text = kBlack;
  bool bold = false;
  Align align = Align::Centre;
  int top = 2;  // pixels between the cell's top and the text
  friend bool operator==(const CellStyle&, const CellStyle&) = default;
};

class ViewGrid {
 public:
  using StyleQuery = std::function<CellStyle(const ViewGrid&, int row, int col)>;
  // A display list for a data cell of `width` x `height` pixels, origin at the cell's top left.
  using CellPainter = std::function<PaintList(const ViewGrid&, int row, int col, int width, int height)>;

  ViewGrid() = default;
  // One title row with `titles`; the column count is the number of widths.
  ViewGrid(std::string name, std::vector<std::string> titles, std::vector<int> widths, int rowHeight);

  const std::string& name() const { return name_; }
  int rowCount() const { return static_cast<int>(rows_.size()); }
  int colCount() const { return static_cast<int>(widths_.size()); }
  const std::vector<int>& widths() const { return widths_; }
  // New widths for the same columns (a list of another length is ignored).
  void setWidths(std::vector<int> widths) {
    if (widths.size() == widths_.size()) widths_ = std::move(widths);
  }
  int rowHeight() const { return rowHeight_; }
  int fixedRows() const { return 1; }
  int fixedCols() const { return fixedCols_; }
  void setFixedCols(int n) { fixedCols_ = n; }

  // The text of a cell; empty outside the grid.
  const std::string& cell(int row, int col) const;
  // Writes a cell inside the grid; a cell outside is ignored.
  void setCell(int row, int col, std::string text);
  const std::vector<std::string>& row(int r) const { return rows_[static_cast<size_t>(r)]; }
  // Keeps row 0; rows beyond it are added empty or dropped.
  void setRowCount(int rows);
  // Empties every cell of rows 1 and below.
  void clearData();
  void swapRows(int a, int b);

  // The style of a cell: the grid's query, or white and centred when it has none.
  CellStyle style(int row, int col) const;
  void setStyleQuery(StyleQuery q) { style_ = std::move(q); }
  bool hasPainter() const { return static_cast<bool>(painter_); }
  PaintList paint(int row, int col, int width, int height) const;
  void setCellPainter(CellPainter p) { painter_ = std::move(p); }

 private:
  std::string name_;
  std::vector<int> widths_;
  int rowHeight_ = 18;
  int fixedCols_ = 0;
  std::vector<std::vector<std::string>> rows_;
  StyleQuery style_;
  CellPainter painter_;
};

// Orders rows first..last by the text of `column`, compared as unsigned bytes (a prefix sorts
// first): a recursive quicksort whose pivot is the middle row's text; not stable. Rows outside
// the grid are left alone.
void SortRows(ViewGrid& grid, int firstRow, int lastRow, int column, bool descending);

// One button of a 並べ替え group: its caption (CP932), the column it sorts by, the direction,
// and the column that orders rows with equal texts (ascending unless tieDescending).
struct SortButton {
  std::string caption;
  int column = 1;
  bool descending = false;
  int tieColumn = 1;
  bool tieDescending = false;
};

// The group handler: every data row by the button's column, then each run of two or more rows
// with equal texts in that column by the tie column.
void SortByButton(ViewGrid& grid, const SortButton& button);

}  // namespace zelkova
