#include "gui/qt_platform.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QStatusBar>
#include <QUrl>
#include <cstdio>

#include "base/cp932.h"

namespace zelkova::gui {

QString Q(const std::string& cp932) { return QString::fromStdString(Cp932ToUtf8Lossy(cp932)); }

std::string Sj(const QString& text) {
  auto r = Utf8ToCp932(text.toStdString());
  if (r.ok()) return *r;
  std::string out;
  for (QChar c : text) {
    auto one = Utf8ToCp932(QString(c).toStdString());
    out += one.ok() ? *one : std::string("?");
  }
  return out;
}

void UseOffscreenPlatform() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Only Windows sets WINDIR; elsewhere the offscreen platform asks fontconfig.
  const QString windows = qEnvironmentVariable("WINDIR");
  if (qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR") && !windows.isEmpty())
    qputenv("QT_QPA_FONTDIR", (windows + "/Fonts").toLocal8Bit());
}

void QtPrompts::beep() {
  if (!quiet_) QApplication::beep();
}

void QtPrompts::information(const std::string& text) {
  if (quiet_) {
    std::fprintf(stderr, "zelkova: %s\n", Cp932ToUtf8Lossy(text).c_str());
    return;
  }
  QMessageBox::information(parent_, QApplication::applicationDisplayName(), Q(text));
}

bool QtPrompts::confirm(const std::string& text) {
  if (quiet_) return false;
  return QMessageBox::question(parent_, QApplication::applicationDisplayName(), Q(text),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void QtPrompts::statusText(const std::string& text) {
  if (bar_) bar_->showMessage(Q(text));
}

void QtPrompts::processEvents() { QApplication::processEvents(); }

void QtPrompts::busyCursor(bool on) {
  if (on) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++busy_;
  } else if (busy_ > 0) {
    QApplication::restoreOverrideCursor();
    --busy_;
  }
}

void QtClipboard::setText(const std::string& text) { QApplication::clipboard()->setText(Q(text)); }

bool QtShellOpen::open(const std::string& path_utf8) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path_utf8)));
}

bool QtFolderChooser::choose(const std::string& caption, const std::string& initial_utf8, std::string& chosen_utf8) {
  QString dir = QFileDialog::getExistingDirectory(parent_, Q(caption), QString::fromStdString(initial_utf8));
  if (dir.isEmpty()) return false;
  chosen_utf8 = dir.toStdString();
  return true;
}

}  // namespace zelkova::gui
