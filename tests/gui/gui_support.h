// Helpers shared by the GUI tests (header-only: they do not link the support library).
#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QWidget>
#include <QtTest>
#include <cstdlib>
#include <string>

#include "base/cp932.h"

namespace zelkova::testing {

inline QString U8(const char* s) { return QString::fromUtf8(s); }
inline QString FromSj(const std::string& s) { return QString::fromStdString(Cp932ToUtf8Lossy(s)); }

// Writes `bytes` to `path`, creating the folders.
inline void Put(const QString& path, const std::string& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

// Saves `w` as NAME.png into $ZELKOVA_SHOTS when that is set (the pictures of docs/).
inline void Shot(QWidget* w, const char* name) {
  const char* dir = std::getenv("ZELKOVA_SHOTS");
  if (!dir || !*dir) return;
  QApplication::processEvents();
  QVERIFY(w->grab().save(QString::fromUtf8(dir) + "/" + name + ".png", "PNG"));
}

}  // namespace zelkova::testing
