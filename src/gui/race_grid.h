// RaceGrid: a race-view grid on screen. It shows a core ViewGrid: the title row as the header,
// the data rows as cells, each painted from the core's style rules or, for the cards, by
// replaying the core's display list. Row r of the widget is row r + 1 of the core grid. The core's
// fixed columns stay in place while the others scroll.
#pragma once

#include <QTableWidget>
#include <functional>

class QTableView;

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
  void resizeEvent(QResizeEvent* e) override;
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  // A second view over the same rows that shows only the fixed columns, laid over the left edge.
  void buildFrozen();
  void placeFrozen();
  void updateCursor(QWidget* viewport, const QModelIndex& index);

  const ViewGrid& grid_;
  QTableView* frozen_ = nullptr;
};

}  // namespace zelkova::gui
