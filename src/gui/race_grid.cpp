#include "gui/race_grid.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "gui/paint_list_painter.h"
#include "gui/qt_platform.h"

namespace zelkova::gui {

namespace {

QColor C(Rgb c) { return QColor(c.r, c.g, c.b); }

// Paints a data cell from the core: the card's display list, or the style's colours and
// alignment with the cell's text.
class RaceGridDelegate : public QStyledItemDelegate {
 public:
  RaceGridDelegate(const ViewGrid& grid, QObject* parent) : QStyledItemDelegate(parent), grid_(grid) {}

  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const QRect r = option.rect;
    const int row = index.row() + 1, col = index.column();
    p->save();
    p->setClipRect(r);
    if (grid_.hasPainter()) {
      p->fillRect(r, Qt::white);
      // The cards are drawn in the cell's pixels, their sizes in points on a 96-dpi screen.
      p->translate(r.topLeft());
      ReplayPaintList(*p, grid_.paint(row, col, r.width(), r.height()), 96.0);
    } else {
      const CellStyle s = grid_.style(row, col);
      p->fillRect(r, C(s.background));
      QFont f = option.font;
      f.setBold(s.bold);
      p->setFont(f);
      p->setPen(C(s.text));
      const QString text = index.data(Qt::DisplayRole).toString();
      const QFontMetrics m(f);
      const int x = s.align == CellStyle::Align::Left ? r.left() + 2 : r.left() + (r.width() - m.horizontalAdvance(text)) / 2;
      p->drawText(QPoint(x, r.top() + s.top + m.ascent()), text);
    }
    p->restore();
  }

 private:
  const ViewGrid& grid_;
};

}  // namespace

RaceGrid::RaceGrid(const ViewGrid& grid, QWidget* parent) : QTableWidget(parent), grid_(grid) {
  setObjectName(QString::fromStdString(grid.name()));
  setFont(FixedPitchFont(12));
  setItemDelegate(new RaceGridDelegate(grid_, this));
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::NoSelection);
  setFocusPolicy(Qt::NoFocus);
  setWordWrap(false);
  setMouseTracking(true);
  verticalHeader()->hide();
  horizontalHeader()->setFont(FixedPitchFont(12));
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setMinimumSectionSize(0);
  horizontalHeader()->setHighlightSections(false);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setDefaultSectionSize(grid.rowHeight());
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setColumnCount(grid.colCount());
  QStringList titles;
  for (int c = 0; c < grid.colCount(); ++c) titles << Q(grid.cell(0, c));
  setHorizontalHeaderLabels(titles);
  for (int c = 0; c < grid.colCount(); ++c) {
    const int w = grid.widths()[static_cast<size_t>(c)];
    setColumnWidth(c, w);
    setColumnHidden(c, w == 0);
  }
  horizontalHeader()->setFixedHeight(20);
}

void RaceGrid::refresh() {
  const int rows = std::max(grid_.rowCount() - 1, 0);
  setRowCount(rows);
  for (int r = 0; r < rows; ++r) {
    setRowHeight(r, grid_.rowHeight());
    for (int c = 0; c < grid_.colCount(); ++c) {
      const QString text = Q(grid_.cell(r + 1, c));
      if (QTableWidgetItem* it = item(r, c)) {
        if (it->text() != text) it->setText(text);
      } else {
        setItem(r, c, new QTableWidgetItem(text));
      }
    }
  }
  viewport()->update();
}

void RaceGrid::mousePressEvent(QMouseEvent* e) {
  emit pressed();
  QTableWidget::mousePressEvent(e);
}

void RaceGrid::mouseMoveEvent(QMouseEvent* e) {
  QTableWidget::mouseMoveEvent(e);
  const QModelIndex i = indexAt(e->position().toPoint());
  const bool hand = i.isValid() && handCursorAt && handCursorAt(i.row() + 1, i.column());
  viewport()->setCursor(hand ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

}  // namespace zelkova::gui
