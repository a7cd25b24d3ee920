#include "gui/flow_layout.h"

#include <QWidget>
#include <algorithm>

namespace zelkova::gui {

FlowLayout::FlowLayout(QWidget* parent, int spacing) : QLayout(parent), gap_(spacing) {
  setContentsMargins(0, 0, 0, 0);
}

FlowLayout::~FlowLayout() {
  while (QLayoutItem* item = takeAt(0)) delete item;
}

void FlowLayout::addItem(QLayoutItem* item) { items_.append(item); }

QLayoutItem* FlowLayout::takeAt(int index) {
  return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

QSize FlowLayout::minimumSize() const {
  QSize size;
  for (const QLayoutItem* item : items_) size = size.expandedTo(item->minimumSize());
  const QMargins m = contentsMargins();
  return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

void FlowLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  arrange(rect, true);
}

int FlowLayout::arrange(const QRect& rect, bool apply) const {
  const QRect area = rect.marginsRemoved(contentsMargins());
  int x = area.x(), y = area.y(), lineHeight = 0;
  for (QLayoutItem* item : items_) {
    const QSize hint = item->sizeHint();
    if (x + hint.width() > area.right() + 1 && lineHeight > 0) {
      x = area.x();
      y += lineHeight + gap_;
      lineHeight = 0;
    }
    if (apply) item->setGeometry(QRect(QPoint(x, y), hint));
    x += hint.width() + gap_;
    lineHeight = std::max(lineHeight, hint.height());
  }
  return y + lineHeight - rect.y() + contentsMargins().bottom();
}

}  // namespace zelkova::gui
