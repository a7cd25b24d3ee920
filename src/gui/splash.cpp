#include "gui/splash.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace zelkova::gui {

TSplash::TSplash() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setObjectName("Splash");
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(306, 201);
  if (QScreen* s = QGuiApplication::primaryScreen()) move(s->geometry().center() - rect().center());
}

void TSplash::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(128, 0, 0));
  // A zelkova leaf in place of a picture: a few strokes, no image file to install.
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(QColor(60, 140, 60));
  p.setPen(Qt::NoPen);
  p.drawEllipse(QRectF(126, 30, 54, 80));
  p.setPen(QPen(QColor(255, 255, 255), 2));
  p.drawLine(153, 36, 153, 118);
  QFont f = font();
  f.setPointSize(20);
  f.setBold(true);
  p.setFont(f);
  p.drawText(QRect(0, 120, width(), 40), Qt::AlignCenter, "Zelkova");
  f.setPointSize(9);
  f.setBold(false);
  p.setFont(f);
  p.drawText(QRect(0, 160, width(), 24), Qt::AlignCenter, QString::fromUtf8("JRA-VAN Data Lab. 対応 競馬分析"));
}

void TSplash::changeEvent(QEvent* e) {
  if (e->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible()) close();
  QWidget::changeEvent(e);
}

}  // namespace zelkova::gui
