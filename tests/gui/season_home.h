// A program folder holding a generated season, downloaded as a user would, for the GUI tests that
// work on real data.
#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace zelkova::testing {

// Runs a program to its end; true when it exited with 0.
inline bool RunProgram(const QString& exe, const QStringList& args) {
  QProcess p;
  p.start(exe, args);
  return p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Whether zelkova-feedgen and zelkova-cli are built beside the tests.
inline bool SeasonToolsBuilt() {
  const QString bin = ZELKOVA_BIN_DIR;
  return QFile::exists(bin + "/zelkova-feedgen") && QFile::exists(bin + "/zelkova-cli");
}

// Makes `home` an installed program folder (the fixed files beside it) holding a generated season
// up to 2024-05-12, written to `feed` and downloaded; false when a step failed.
inline bool DownloadedSeason(const QString& home, const QString& feed, int seed) {
  const QString bin = ZELKOVA_BIN_DIR;
  if (!QDir().mkpath(home)) return false;
  if (!RunProgram(bin + "/zelkova-feedgen",
                  {"--out", feed, "--scale", "test", "--seed", QString::number(seed), "--today", "2024-05-12"}))
    return false;
  for (const char* f : {"RTJ.dat", "RTN.dat", "RTC.dat", "SetGate.tbl"})
    if (!QFile::copy(bin + "/" + f, home + "/" + f)) return false;
  return RunProgram(bin + "/zelkova-cli", {"--home", home, "--feed", feed, "download", "--from", "2000/01/01 00:00:00"});
}

}  // namespace zelkova::testing
