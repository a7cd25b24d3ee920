#include "gui/hint_list.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QVariant>

namespace zelkova::gui {

void HintListWidget::SetHint(QListWidget* list, const QString& hint) {
  list->setProperty("hint", hint);
  list->viewport()->update();
}

void HintListWidget::paintEvent(QPaintEvent* e) {
  QListWidget::paintEvent(e);
  const QString hint = property("hint").toString();
  if (count() > 0 || hint.isEmpty()) return;
  QPainter p(viewport());
  p.setPen(palette().color(QPalette::Disabled, QPalette::Text));
  p.drawText(viewport()->rect().adjusted(8, 8, -8, -8), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, hint);
}

void HintListWidget::keyPressEvent(QKeyEvent* e) {
  const int before = currentRow();
  QListWidget::keyPressEvent(e);
  if (currentRow() != before && currentRow() >= 0 && chosenWithoutClick) chosenWithoutClick();
}

void HintListWidget::mousePressEvent(QMouseEvent* e) {
  rowAtPress_ = currentRow();
  pressedRow_ = indexAt(e->position().toPoint()).row();
  QListWidget::mousePressEvent(e);
}

void HintListWidget::mouseReleaseEvent(QMouseEvent* e) {
  const int releasedRow = indexAt(e->position().toPoint()).row();
  QListWidget::mouseReleaseEvent(e);
  // Released on the item it was pressed on: that is a click. Otherwise a drag may have moved
  // the current item, and no click will tell.
  if (releasedRow != pressedRow_ && currentRow() != rowAtPress_ && currentRow() >= 0 && chosenWithoutClick)
    chosenWithoutClick();
}

}  // namespace zelkova::gui
