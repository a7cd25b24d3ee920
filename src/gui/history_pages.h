// The pages that check the ratings against the results: 出目一覧 (one owner-drawn grid per
// racecourse of the day, StringGrid12-14, painted from the core's display lists) and 集計 (the
// rank-frequency table StringGrid15 and the progress label of the aggregation). The main window
// owns them and hands in the loaded day.
#pragma once

#include <QObject>
#include <QTableWidget>
#include <array>
#include <functional>
#include <memory>

#include "analysis/rank_frequency.h"

class QLabel;
class QWidget;

namespace zelkova::gui {

class RaceGrid;

// StringGrid12-14: every cell, the title row included, is painted from DemeCell. Row 0 is the
// title row; row r is the r-th race of the racecourse whose first race slot firstSlot() gives.
class DemeGrid : public QTableWidget {
  Q_OBJECT
 public:
  DemeGrid(int index, std::function<const RaceDay*()> day, std::function<int()> firstSlot, QWidget* parent);
  // The race day, or null before a load.
  const RaceDay* day() const { return day_(); }
  int firstSlot() const { return firstSlot_(); }

 private:
  std::function<const RaceDay*()> day_;
  std::function<int()> firstSlot_;
};

class HistoryPages : public QObject {
  Q_OBJECT
 public:
  HistoryPages(std::function<const RaceDay*()> day, QObject* parent);
  ~HistoryPages() override;

  // The grid of racecourse tab `index` (0..2) of 出目一覧, its first race slot read from
  // `firstSlot` (the BashoIdx label).
  DemeGrid* addDemeGrid(QWidget* page, int index, std::function<int()> firstSlot);
  // StringGrid15 and the progress label Label4 of 集計.
  RaceGrid* addSumGrid(QWidget* page);
  QLabel* addProgressLabel(QWidget* parent);

  // StringGrid15 shows `counts`.
  void showCounts(const RankFrequency& counts);
  // The 出目一覧 grids paint again from the day (after a load or a result fetch).
  void repaintDeme();
  void setProgress(const std::string& cp932);
  const ViewGrid& sumGrid() const { return *sum_; }

 private:
  std::function<const RaceDay*()> day_;
  std::unique_ptr<ViewGrid> sum_;
  RaceGrid* sumWidget_ = nullptr;
  QLabel* label4_ = nullptr;
  std::array<DemeGrid*, 3> deme_{};
};

}  // namespace zelkova::gui
