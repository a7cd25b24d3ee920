// The 参考資料 page: the three reference tables behind 着RT/人RT/展RT, one grid per race
// category on sub-tabs, with a radio group choosing the table. Reads the tables it is given
// (which must outlive the page); Refresh() after they were reloaded.
#pragma once

#include <QWidget>
#include <array>

class QButtonGroup;
class QTabWidget;
class QTableWidget;

namespace zelkova {
class RatingTables;
namespace gui {

class ReferencePage : public QWidget {
  Q_OBJECT

 public:
  explicit ReferencePage(const RatingTables& tables, QWidget* parent = nullptr);

  // Selects radio item `kind` (0 着順, 1 人気, 2 ４角) and refills the grids.
  void showKind(int kind);
  int selectedKind() const;
  // Selects the first item again and refills (after the tables were loaded).
  void Refresh() { showKind(0); }
  QTableWidget* grid(int category) const { return grids_[category]; }
  QTabWidget* pages() const { return PageControl4; }

 private slots:
  void RadioGroup2Click(int kind);

 private:
  const RatingTables& tables_;
  QButtonGroup* RadioGroup2 = nullptr;
  QTabWidget* PageControl4 = nullptr;
  std::array<QTableWidget*, 7> grids_{};
};

}  // namespace gui
}  // namespace zelkova
