#include "analysis/view_grid.h"

#include <algorithm>
#include <cstring>

namespace zelkova {

namespace {

const std::string kNoText;

// Unsigned byte order; a text that is a prefix of another sorts first.
int Compare(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  if (n) {
    int c = std::memcmp(a.data(), b.data(), n);  // memcmp compares as unsigned char
    if (c) return c;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

void QuickSort(ViewGrid& g, int first, int last, int col, bool descending) {
  // Hoare partition around the middle row's text, as the grids have always sorted: rows equal to
  // the pivot may be exchanged, so equal texts do not keep their order.
  const std::string pivot = g.cell((first + last) / 2, col);
  int i = first, j = last;
  do {
    if (descending) {
      while (Compare(g.cell(i, col), pivot) > 0) ++i;
      while (Compare(pivot, g.cell(j, col)) > 0) --j;
    } else {
      while (Compare(g.cell(i, col), pivot) < 0) ++i;
      while (Compare(pivot, g.cell(j, col)) < 0) --j;
    }
    if (i <= j) {
      g.swapRows(i, j);
      ++i;
      --j;
    }
  } while (i <= j);
  if (first < j) QuickSort(g, first, j, col, descending);
  if (i < last) QuickSort(g, i, last, col, descending);
}

}  // namespace

ViewGrid::ViewGrid(std::string name, std::vector<std::string> titles, std::vector<int> widths, int rowHeight)
    : name_(std::move(name)), widths_(std::move(widths)), rowHeight_(rowHeight) {
  titles.resize(widths_.size());
  rows_.push_back(std::move(titles));
}

const std::string& ViewGrid::cell(int row, int col) const {
  if (row < 0 || col < 0 || row >= rowCount() || col >= colCount()) return kNoText;
  return rows_[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

void ViewGrid::setCell(int row, int col, std::string text) {
  if (row < 0 || col < 0 || row >= rowCount() || col >= colCount()) return;
  rows_[static_cast<size_t>(row)][static_cast<size_t>(col)] = std::move(text);
}

void ViewGrid::setRowCount(int rows) {
  rows = std::max(rows, 1);
  rows_.resize(static_cast<size_t>(rows), std::vector<std::string>(widths_.size()));
}

void ViewGrid::clearData() {
  for (size_t r = 1; r < rows_.size(); ++r)
    for (auto& c : rows_[r]) c.clear();
}

void ViewGrid::swapRows(int a, int b) {
  if (a == b) return;
  rows_[static_cast<size_t>(a)].swap(rows_[static_cast<size_t>(b)]);
}

CellStyle ViewGrid::style(int row, int col) const { return style_ ? style_(*this, row, col) : CellStyle{}; }

PaintList ViewGrid::paint(int row, int col, int width, int height) const {
  return painter_ ? painter_(*this, row, col, width, height) : PaintList{};
}

void SortRows(ViewGrid& grid, int firstRow, int lastRow, int column, bool descending) {
  firstRow = std::max(firstRow, 0);
  lastRow = std::min(lastRow, grid.rowCount() - 1);
  if (firstRow >= lastRow || column < 0 || column >= grid.colCount()) return;
  QuickSort(grid, firstRow, lastRow, column, descending);
}

void SortByButton(ViewGrid& grid, const SortButton& button) {
  const int last = grid.rowCount() - 1;
  SortRows(grid, 1, last, button.column, button.descending);
  int start = 1;
  while (start <= last) {
    int end = start;
    while (end < last && grid.cell(end + 1, button.column) == grid.cell(start, button.column)) ++end;
    if (end > start) SortRows(grid, start, end, button.tieColumn, button.tieDescending);
    start = end + 1;
  }
}

}  // namespace zelkova
