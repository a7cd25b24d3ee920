// RaceGrid: a race-view grid on screen. It shows a core ViewGrid: the title row as the header,
// the data rows as cells, each painted from the core's style rules or, for the cards, by
// replaying the core's display list. Row r of the widget is row r + 1 of the core grid.
#pragma once

#include <QTableWidget>
#include <functional>

#include "analysis/view_grid.h"

namespace zelkova::gui {

class RaceGrid : public QTableWidget {
  Q_OBJECT
 public:
  RaceGrid(const ViewGrid& grid, QWidget* parent = nullptr);
  const ViewGrid& viewGrid() const { return grid_; }
  // Texts, row count and sizes again from the core grid.
  void refresh();
  // Whether the hand cursor shows over a cell (core rows and columns).
  std::function<bool(int row, int col)> handCursorAt;

 signals:
  // A mouse button went down on the grid (it becomes the copy target).
  void pressed();

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;

 private:
  const ViewGrid& grid_;
};

}  // namespace zelkova::gui
