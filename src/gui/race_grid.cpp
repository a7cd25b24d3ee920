#include "gui/race_grid.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTableView>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <algorithm>

#include "gui/paint_list_painter.h"
#include "gui/qt_platform.h"

namespace zelkova::gui {

namespace {

QColor C(Rgb c) { return QColor(c.r, c.g, c.b); }

// The font `f` narrowed so that `text` fits `room` pixels: a title or a figure wider than its
// column is drawn condensed rather than cut at the column's edges.
QFont Fitted(QFont f, const QString& text, int room) {
  const int w = QFontMetrics(f).horizontalAdvance(text);
  if (w <= room || w <= 0 || room <= 0) return f;
  f.setStretch(std::max(50, 100 * room / w));
  // Stretch factors round: narrow by a step more while the text is still too wide.
  while (f.stretch() > 50 && QFontMetrics(f).horizontalAdvance(text) > room) f.setStretch(f.stretch() - 2);
  return f;
}

// The title row: each title centred in its column, narrowed where the column is narrower.
class TitleHeader : public QHeaderView {
 public:
  explicit TitleHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

 protected:
  void paintSection(QPainter* p, const QRect& rect, int logical) const override {
    if (!rect.isValid()) return;
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    opt.rect = rect;
    opt.section = logical;
    style()->drawControl(QStyle::CE_HeaderSection, &opt, p, this);
    const QString text = model() ? model()->headerData(logical, orientation(), Qt::DisplayRole).toString() : QString();
    p->save();
    p->setClipRect(rect);
    p->setFont(Fitted(font(), text, rect.width() - 2));
    p->setPen(palette().color(QPalette::ButtonText));
    p->drawText(rect, Qt::AlignCenter, text);
    p->restore();
  }
};

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
      f = Fitted(f, text, r.width() - (s.align == CellStyle::Align::Left ? 3 : 2));
      p->setFont(f);
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
  setHorizontalHeader(new TitleHeader(this));
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
  horizontalHeader()->viewport()->installEventFilter(this);
  if (grid.fixedCols() > 0) buildFrozen();
}

void RaceGrid::buildFrozen() {
  frozen_ = new QTableView(this);
  frozen_->setObjectName(objectName() + "Fixed");
  frozen_->setModel(model());
  frozen_->setItemDelegate(itemDelegate());
  frozen_->setFont(font());
  frozen_->setFocusPolicy(Qt::NoFocus);
  frozen_->setSelectionMode(QAbstractItemView::NoSelection);
  frozen_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  frozen_->setWordWrap(false);
  frozen_->verticalHeader()->hide();
  frozen_->setHorizontalHeader(new TitleHeader(frozen_));
  frozen_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  frozen_->verticalHeader()->setMinimumSectionSize(1);
  frozen_->verticalHeader()->setDefaultSectionSize(grid_.rowHeight());
  frozen_->horizontalHeader()->setFont(horizontalHeader()->font());
  frozen_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  frozen_->horizontalHeader()->setHighlightSections(false);
  frozen_->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
  frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->setVerticalScrollMode(verticalScrollMode());
  frozen_->setFrameShape(QFrame::NoFrame);
  for (int c = 0; c < grid_.colCount(); ++c) {
    frozen_->setColumnWidth(c, columnWidth(c));
    frozen_->setColumnHidden(c, c >= grid_.fixedCols() || isColumnHidden(c));
  }
  frozen_->viewport()->setMouseTracking(true);
  frozen_->viewport()->installEventFilter(this);
  frozen_->horizontalHeader()->viewport()->installEventFilter(this);
  viewport()->stackUnder(frozen_);
  connect(frozen_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(), &QAbstractSlider::setValue);
  connect(verticalScrollBar(), &QAbstractSlider::valueChanged, frozen_->verticalScrollBar(), &QAbstractSlider::setValue);
  // Clicks on the fixed columns are clicks on the grid.
  connect(frozen_, &QAbstractItemView::pressed, this, [this](const QModelIndex& i) { emit cellPressed(i.row(), i.column()); });
  connect(frozen_, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) { emit cellClicked(i.row(), i.column()); });
  placeFrozen();
}

void RaceGrid::placeFrozen() {
  if (!frozen_) return;
  int w = 0;
  for (int c = 0; c < grid_.fixedCols() && c < columnCount(); ++c) w += isColumnHidden(c) ? 0 : columnWidth(c);
  frozen_->setGeometry(frameWidth(), frameWidth(), w + 1, viewport()->height() + horizontalHeader()->height());
}

void RaceGrid::resizeEvent(QResizeEvent* e) {
  QTableWidget::resizeEvent(e);
  placeFrozen();
}

bool RaceGrid::eventFilter(QObject* o, QEvent* e) {
  const bool frozenCells = frozen_ && o == frozen_->viewport();
  // The title row and the fixed columns are the grid too: a press there makes it the copy target
  // and the pop-up menu comes up there as over the cells.
  if (frozenCells || o == horizontalHeader()->viewport() || (frozen_ && o == frozen_->horizontalHeader()->viewport())) {
    if (e->type() == QEvent::MouseButtonPress) emit pressed();
    if (e->type() == QEvent::ContextMenu && contextMenuPolicy() == Qt::CustomContextMenu) {
      const QPoint at = static_cast<QWidget*>(o)->mapToGlobal(static_cast<QContextMenuEvent*>(e)->pos());
      emit customContextMenuRequested(viewport()->mapFromGlobal(at));
      return true;
    }
  }
  if (frozenCells && e->type() == QEvent::MouseMove)
    updateCursor(frozen_->viewport(), frozen_->indexAt(static_cast<QMouseEvent*>(e)->position().toPoint()));
  return QTableWidget::eventFilter(o, e);
}

void RaceGrid::updateCursor(QWidget* port, const QModelIndex& i) {
  const bool hand = i.isValid() && handCursorAt && handCursorAt(i.row() + 1, i.column());
  port->setCursor(hand ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void RaceGrid::refresh() {
  const int rows = std::max(grid_.rowCount() - 1, 0);
  setRowCount(rows);
  // A card grid widens its columns to what the race's texts need.
  for (int c = 0; c < grid_.colCount() && c < columnCount(); ++c) {
    const int w = grid_.widths()[static_cast<size_t>(c)];
    if (w == 0 || columnWidth(c) == w) continue;
    setColumnWidth(c, w);
    if (frozen_) frozen_->setColumnWidth(c, w);
  }
  for (int r = 0; r < rows; ++r) {
    setRowHeight(r, grid_.rowHeight());
    if (frozen_) frozen_->setRowHeight(r, grid_.rowHeight());
    for (int c = 0; c < grid_.colCount(); ++c) {
      const QString text = Q(grid_.cell(r + 1, c));
      if (QTableWidgetItem* it = item(r, c)) {
        if (it->text() != text) it->setText(text);
      } else {
        setItem(r, c, new QTableWidgetItem(text));
      }
    }
  }
  // No taller than its rows (and a scroll bar), so two grids on a page share the room well.
  setMaximumHeight(2 * frameWidth() + horizontalHeader()->height() + rows * grid_.rowHeight() +
                   horizontalScrollBar()->sizeHint().height() + 2);
  viewport()->update();
  placeFrozen();
}

void RaceGrid::mousePressEvent(QMouseEvent* e) {
  emit pressed();
  QTableWidget::mousePressEvent(e);
}

void RaceGrid::mouseMoveEvent(QMouseEvent* e) {
  QTableWidget::mouseMoveEvent(e);
  updateCursor(viewport(), indexAt(e->position().toPoint()));
}

}  // namespace zelkova::gui
