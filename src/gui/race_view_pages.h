// The race view's widgets on the main window: the header labels, every analysis grid with its
// 並べ替え buttons, the odds page, the payout page and the race card's filters. They show the
// core RaceView and pass the user's clicks back; the main window runs the view.
#pragma once

#include <QObject>
#include <array>

#include "analysis/race_view.h"

class QButtonGroup;
class QLabel;
class QTableWidget;
class QWidget;

namespace zelkova::gui {

class RaceGrid;

class RaceViewPages : public QObject {
  Q_OBJECT
 public:
  RaceViewPages(RaceView& view, QObject* parent = nullptr);

  // The panel of header labels (TitleLabel1 ... F3AveLabel).
  QWidget* buildHeader(QWidget* parent);
  // The grid's 並べ替え buttons (rating grids) or filter buttons (race card), then the grid, into
  // the page's layout.
  RaceGrid* addGrid(QWidget* page, ViewGridId id);
  void buildOddsPage(QWidget* page);
  void buildPayoutPage(QWidget* page);

  RaceGrid* grid(ViewGridId id) const { return grids_[static_cast<size_t>(id)]; }
  // Everything again from the model.
  void refresh();
  void refreshGrid(ViewGridId id);

 signals:
  // A click on a data cell (core row and column); the race card reports its mouse-down.
  void cellClicked(zelkova::ViewGridId id, int row, int col);
  // A race card filter changed: the view is to be run again.
  void filtersChanged();

 private:
  QButtonGroup* sortGroup(QWidget* parent, ViewGridId id);
  QWidget* cardFilters(QWidget* parent);
  QLabel* label(QWidget* parent, const char* name);

  RaceView& view_;
  std::array<RaceGrid*, kViewGridCount> grids_{};
  std::array<QButtonGroup*, kViewGridCount> groups_{};
  QWidget* header_ = nullptr;
  QTableWidget* winOdds_ = nullptr;
  QTableWidget* popular_ = nullptr;
  QTableWidget* quinella_ = nullptr;
  QTableWidget* bracket_ = nullptr;
  QTableWidget* payouts_ = nullptr;
  QLabel* o1Time_ = nullptr;
  QLabel* o2Time_ = nullptr;
};

}  // namespace zelkova::gui
