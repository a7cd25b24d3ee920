#include "output/grid_clipboard.h"

#include <algorithm>

namespace zelkova {

const std::string& GridCells::at(int column, int row) const {
  static const std::string empty;
  if (row < 0 || column < 0 || static_cast<size_t>(row) >= cells.size()) return empty;
  const auto& r = cells[static_cast<size_t>(row)];
  return static_cast<size_t>(column) < r.size() ? r[static_cast<size_t>(column)] : empty;
}

std::string GridClipboardText(const GridCells& grid, int left, int top, const std::string& heading, int bottom,
                              int right) {
  if (right < left || bottom < top || right < 0 || bottom < 0 || left >= grid.columns || top >= grid.rows) return {};
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, grid.columns - 1);
  bottom = std::min(bottom, grid.rows - 1);
  std::string text = heading + "\r\n";
  for (int row = top; row <= bottom; ++row) {
    for (int col = left; col <= right; ++col) {
      if (col > left) text += '\t';
      text += grid.at(col, row);
    }
    text += "\r\n";
  }
  return text;
}

void CopyGridToClipboard(Clipboard& clipboard, const GridCells& grid, int left, int top, const std::string& heading,
                         int bottom, int right) {
  clipboard.setText(GridClipboardText(grid, left, top, heading, bottom, right));
}

void CopyWholeGrid(Clipboard& clipboard, const GridCells& grid, const std::string& heading) {
  CopyGridToClipboard(clipboard, grid, 0, 0, heading, grid.rows - 1, grid.columns - 1);
}

GridCells CellsOf(const ViewGrid& grid) {
  GridCells cells;
  cells.columns = grid.colCount();
  cells.rows = grid.rowCount();
  cells.cells.reserve(static_cast<size_t>(grid.rowCount()));
  for (int r = 0; r < grid.rowCount(); ++r) cells.cells.push_back(grid.row(r));
  return cells;
}

bool HasCopyMenu(ViewGridId id) {
  switch (id) {
    case ViewGridId::Kihon:
    case ViewGridId::Kettou:
    case ViewGridId::ChakuRT:
    case ViewGridId::NinRT:
    case ViewGridId::TenRT:
    case ViewGridId::Bataiju:
    case ViewGridId::RTList:
    case ViewGridId::Jiku1:
    case ViewGridId::Jiku2:
      return true;
    case ViewGridId::Jisseki:
    case ViewGridId::Umabashira:
    case ViewGridId::Shutuba:
      return false;
  }
  return false;
}

}  // namespace zelkova
