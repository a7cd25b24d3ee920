// Runs a program of the build offscreen, for the tests of the programs' own options.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace zelkova::testing {

// Runs the program `exe` offscreen with `args`; its exit code, or -1 when it did not end within
// `ms`. Its stdout and stderr (UTF-8) go to `out` and `err` when given.
inline int RunOffscreen(const QString& exe, const QStringList& args, QString* out, QString* err, int ms = 20000) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  p.setProcessEnvironment(env);
  p.start(exe, args);
  if (!p.waitForFinished(ms)) return -1;
  if (out) *out = QString::fromUtf8(p.readAllStandardOutput());
  if (err) *err = QString::fromUtf8(p.readAllStandardError());
  return p.exitCode();
}

}  // namespace zelkova::testing
