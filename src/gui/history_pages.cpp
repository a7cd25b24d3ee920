#include "gui/history_pages.h"

#include <QHeaderView>
#include <QLabel>
#include <QBoxLayout>
#include <QPainter>
#include <QStyledItemDelegate>

#include "gui/paint_list_painter.h"
#include "gui/qt_platform.h"
#include "gui/race_grid.h"

namespace zelkova::gui {

namespace {

// Replays the core's drawing of one 出目一覧 cell.
class DemeDelegate : public QStyledItemDelegate {
 public:
  explicit DemeDelegate(DemeGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const QRect r = option.rect;
    p->save();
    p->setClipRect(r);
    p->fillRect(r, Qt::white);
    if (const RaceDay* day = grid_->day()) {
      p->translate(r.topLeft());
      ReplayPaintList(*p, DemeCell(*day, grid_->firstSlot(), index.column(), index.row(), r.width(), r.height(), 1), 96.0);
    }
    p->restore();
  }

 private:
  DemeGrid* grid_;
};

}  // namespace

DemeGrid::DemeGrid(int index, std::function<const RaceDay*()> day, std::function<int()> firstSlot, QWidget* parent)
    : QTableWidget(parent), day_(std::move(day)), firstSlot_(std::move(firstSlot)) {
  setObjectName(QString("StringGrid%1").arg(12 + index));
  setItemDelegate(new DemeDelegate(this));
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::NoSelection);
  setFocusPolicy(Qt::NoFocus);
  horizontalHeader()->hide();
  verticalHeader()->hide();
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setDefaultSectionSize(kDemeRowHeight);
  setColumnCount(kDemeColumns);
  for (int c = 0; c < kDemeColumns; ++c) setColumnWidth(c, DemeColumnWidth(c));
  // The load sets the row count (races + 1); the title row keeps room for its two lines.
  connect(model(), &QAbstractItemModel::rowsInserted, this, [this] {
    if (rowCount() > 0) setRowHeight(0, kDemeTitleRowHeight);
  });
  setRowCount(1);
}

HistoryPages::HistoryPages(std::function<const RaceDay*()> day, QObject* parent)
    : QObject(parent), day_(std::move(day)), sum_(std::make_unique<ViewGrid>(FrequencyGrid(nullptr))) {}

HistoryPages::~HistoryPages() = default;

DemeGrid* HistoryPages::addDemeGrid(QWidget* page, int index, std::function<int()> firstSlot) {
  auto* g = new DemeGrid(index, day_, std::move(firstSlot), page);
  if (page->layout()) page->layout()->addWidget(g);
  if (index >= 0 && index < 3) deme_[static_cast<size_t>(index)] = g;
  return g;
}

RaceGrid* HistoryPages::addSumGrid(QWidget* page) {
  sumWidget_ = new RaceGrid(*sum_, page);
  // Its title row is on silver like the position row under it.
  const Rgb t = sum_->style(1, 1).background;
  sumWidget_->horizontalHeader()->setStyleSheet(
      QString("QHeaderView::section { background-color: rgb(%1, %2, %3); }").arg(t.r).arg(t.g).arg(t.b));
  sumWidget_->refresh();
  // The table stands under the range controls; the room below stays empty.
  if (auto* lay = qobject_cast<QBoxLayout*>(page->layout())) {
    lay->addWidget(sumWidget_);
    lay->addStretch();
  } else if (page->layout()) {
    page->layout()->addWidget(sumWidget_);
  }
  return sumWidget_;
}

QLabel* HistoryPages::addProgressLabel(QWidget* parent) {
  label4_ = new QLabel(parent);
  label4_->setObjectName("Label4");
  return label4_;
}

void HistoryPages::showCounts(const RankFrequency& counts) {
  *sum_ = FrequencyGrid(&counts);
  if (sumWidget_) sumWidget_->refresh();
}

void HistoryPages::repaintDeme() {
  for (DemeGrid* g : deme_)
    if (g) g->viewport()->update();
}

void HistoryPages::setProgress(const std::string& cp932) {
  if (label4_) label4_->setText(Q(cp932));
}

}  // namespace zelkova::gui
