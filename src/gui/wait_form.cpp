#include "gui/wait_form.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace zelkova::gui {

TWaitForm::TWaitForm(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName("WaitForm");
  auto* lay = new QVBoxLayout(this);
  title_ = new QLabel(QString::fromUtf8("【計算中】　しばらくお待ちください。"), this);
  QFont f = title_->font();
  f.setBold(true);
  title_->setFont(f);
  blue_ = new QLabel(QString::fromUtf8("しばらくお待ちください。"), this);
  blue_->setStyleSheet("color: rgb(0,0,255);");
  purple_ = new QLabel(QString::fromUtf8("しばらくお待ちください。"), this);
  purple_->setStyleSheet("color: rgb(128,0,128);");
  progress_ = new QProgressBar(this);
  progress_->setRange(0, 100);
  lay->addWidget(title_);
  lay->addWidget(blue_);
  lay->addWidget(purple_);
  lay->addWidget(progress_);
  blink();
  timer_ = new QTimer(this);
  timer_->setInterval(500);
  connect(timer_, &QTimer::timeout, this, &TWaitForm::blink);
  timer_->start();
  adjustSize();
  if (QScreen* s = QGuiApplication::primaryScreen()) move(s->geometry().center() - rect().center());
}

void TWaitForm::setProgress(int percent) { progress_->setValue(percent); }

void TWaitForm::setProgress(int position, int maximum) {
  if (maximum <= 0) {
    progress_->setValue(0);
    return;
  }
  int p = static_cast<int>(static_cast<long long>(position) * 100 / maximum);
  progress_->setValue(p < 0 ? 0 : p > 100 ? 100 : p);
}

void TWaitForm::setLines(const QString& line1, const QString& line2) {
  blue_->setText(line1);
  purple_->setText(line2);
}

QString TWaitForm::line1() const { return blue_->text(); }
QString TWaitForm::line2() const { return purple_->text(); }

void TWaitForm::blink() {
  title_->setStyleSheet(red_ ? "color: rgb(255,0,0);" : "color: rgb(128,128,128);");
  red_ = !red_;
}

}  // namespace zelkova::gui
