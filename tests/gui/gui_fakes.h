// Fakes of the platform layers and small file helpers shared by the GUI tests.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QtTest>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "base/file_io.h"
#include "base/platform.h"

namespace zelkova::testing {

// Records prompts as "beep" and "info:<text>"; confirm() answers No.
struct Prompts_ : Prompts {
  void beep() override { events << "beep"; }
  void information(const std::string& t) override { events << "info:" + QString::fromStdString(Cp932ToUtf8Lossy(t)); }
  bool confirm(const std::string&) override { return false; }
  void statusText(const std::string&) override {}
  void processEvents() override {}
  void busyCursor(bool) override {}
  QStringList infos() const {
    QStringList out;
    for (const QString& e : events)
      if (e.startsWith("info:")) out << e.mid(5);
    return out;
  }
  QStringList events;
};

// A window whose settings file cannot be written (a folder stands in its place, in `folder`)
// tells so once when it closes: its position is not lost in silence.
template <typename Window>
void CheckUnsavedPositionIsTold(const QString& folder) {
  QVERIFY(QDir(folder).mkdir("locked.ini"));
  Window locked(PathFromUtf8(QDir(folder).filePath("locked.ini").toStdString()));
  Prompts_ prompts;
  locked.setPrompts(&prompts);
  locked.show();
  locked.close();
  const QStringList told = prompts.infos();
  QCOMPARE(told.size(), 1);
  QVERIFY2(told[0].startsWith(QString::fromUtf8("設定を保存できませんでした：")), qPrintable(told[0]));
}

struct Shell_ : ShellOpen {
  bool open(const std::string& p) override {
    opened << QString::fromStdString(p);
    return true;
  }
  QStringList opened;
};

struct Clipboard_ : Clipboard {
  void setText(const std::string& t) override { texts.push_back(t); }
  std::vector<std::string> texts;
};

inline QString U8(const char* s) { return QString::fromUtf8(s); }

// Writes `bytes` to `path`, making its folders.
inline void Put(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

}  // namespace zelkova::testing
