// A generated race day replayed in the real main window on a fast clock, over the recorded feed:
// the odds, the horse weights, the results and the payouts of the shown race arrive by themselves
// and the race view follows them without a click; the change notices fill the change window.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>

#include "analysis/race_view.h"
#include "app/app_context.h"
#include "base/cp932.h"
#include "base/replay_clock.h"
#include "day/race_day_live.h"
#include "gui/henko_form.h"
#include "gui/main_form.h"
#include "gui/race_grid.h"
#include "gui/race_view_pages.h"
#include "jvlink/recorded_jv_link.h"
#include "jvlink/software_id.h"
#include "gui_fakes.h"
#include "run_offscreen.h"

using namespace zelkova;
using zelkova::gui::TMainForm;
using zelkova::testing::U8;

namespace {

bool Run(const QString& exe, const QStringList& args) {
  QProcess p;
  p.start(exe, args);
  return p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QString Text(const std::string& cp932) { return QString::fromStdString(Cp932ToUtf8Lossy(cp932)); }

// A cell of a small table, empty when it has no item.
QString Cell(QTableWidget* t, int row, int col) {
  QTableWidgetItem* item = t->item(row, col);
  return item ? item->text() : QString();
}

}  // namespace

class LiveDayTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir;
  QString home, feed;
  int post = 0;  // the first race's post time, in minutes of the day
  // "hhmm" (or "hh:mm") of `minutes` of the day.
  static QString At(int minutes, const char* sep = "") {
    return QString("%1%2%3").arg(minutes / 60, 2, 10, QChar('0')).arg(sep).arg(minutes % 60, 2, 10, QChar('0'));
  }

  QTableWidget* table(TMainForm& w, const char* name) { return w.findChild<QTableWidget*>(name); }
  QString label(TMainForm& w, const char* name) { return w.findChild<QLabel*>(name)->text(); }
  // Whether the replayed clock has reached "hhmm": every tick due before has run.
  static bool past(const ReplayClock& clock, const QString& hhmm) { return HourMinute(clock.now()) >= hhmm.toStdString(); }
  // Whether any runner of the shown race has today's weight in the 馬体重 grid.
  static bool weightsShown(TMainForm& w) {
    gui::RaceGrid* g = w.raceViewPages()->grid(ViewGridId::Bataiju);
    for (int r = 0; r < g->rowCount(); ++r)
      if (g->item(r, 6) && !g->item(r, 6)->text().trimmed().isEmpty()) return true;
    return false;
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir.isValid());
    const QString bin = ZELKOVA_BIN_DIR;
    if (!QFile::exists(bin + "/zelkova-feedgen") || !QFile::exists(bin + "/zelkova-cli"))
      QSKIP("zelkova-feedgen and zelkova-cli are not built");
    home = dir.filePath("home");
    feed = dir.filePath("feed");
    QVERIFY(QDir().mkpath(home));
    QVERIFY(Run(bin + "/zelkova-feedgen", {"--out", feed, "--scale", "test", "--seed", "5", "--today", "2024-05-19"}));
    for (const char* f : {"RTJ.dat", "RTN.dat", "RTC.dat", "SetGate.tbl"})
      QVERIFY(QFile::copy(bin + "/" + f, home + "/" + f));
    QVERIFY(Run(bin + "/zelkova-cli", {"--home", home, "--feed", feed, "download", "--from", "2024/05/01 00:00:00"}));
    // A second program folder as the download left it, for the program run below.
    std::filesystem::copy(home.toStdString(), dir.filePath("home2").toStdString(),
                          std::filesystem::copy_options::recursive);
  }

  void aReplayedDayArrivesInTheViewByItself() {
    // The first race of the list is 新潟 1R, post between 09:50 and 10:20: its odds come 30
    // minutes before, its weights at 09:00, its result 12 minutes after the post. The day starts
    // at 09:00 and runs 1800 times as fast.
    ReplayClock clock({2024, 5, 19, 9, 0, 0}, 1800);
    RecordedJvLink jv(feed.toStdString(), dir.filePath("cache").toStdString(), clock);
    QCOMPARE(jv.JVInit(SoftwareId()), 0);
    testing::Prompts_ prompts;
    AppContext ctx;
    ctx.programFolder = home.toStdString();
    ctx.prompts = &prompts;
    ctx.clock = &clock;
    ctx.jvlink = &jv;
    gui::THenkoForm henko(ctx.settingsPath());
    TMainForm w(ctx);
    w.setHenkoForm(&henko);
    w.resize(1400, 900);
    QVERIFY(w.ShowRace("20240519", 1, U8("ｵｯｽﾞ"), nullptr));
    QCOMPARE(label(w, "BashoLabel"), U8("新潟"));
    QCOMPARE(label(w, "RaceLabel"), QString("1"));
    const RaImage& ra = w.raceDay()->Races[w.raceDay()->CurrentRace].RaRecord;
    post = static_cast<int>(ra.fieldInt(874, 2) * 60 + ra.fieldInt(876, 2));
    QVERIFY2(post >= 9 * 60 + 50 && post <= 10 * 60 + 20, qPrintable(At(post)));
    // Nothing of the day has arrived yet.
    QTableWidget* win = table(w, "WinOddsGrid");
    QTableWidget* payouts = table(w, "PayoutGrid");
    QVERIFY(Cell(win, 0, 0).isEmpty());
    QCOMPARE(label(w, "O1TimeLabel"), QString("NoData"));
    QVERIFY(Cell(payouts, 0, 2).isEmpty());
    QVERIFY(!weightsShown(w));
    QVERIFY(w.Timer3.isActive());  // the replayed day is today
    QVERIFY(w.Timer4.isActive());

    w.setReplayClock(&clock);
    w.AutoOzCheck()->setChecked(true);
    w.AutoOzCheckClick();
    QVERIFY(w.Timer1.isActive());
    QVERIFY2(prompts.events.isEmpty(), qPrintable(prompts.events.join("|")));

    // The odds of 30 minutes before the post, every win odds cell as the core's view writes it,
    // the favourites beside.
    QTRY_VERIFY_WITH_TIMEOUT(past(clock, At(post - 29)), 60000);
    QVERIFY(!Cell(win, 0, 0).isEmpty());
    QCOMPARE(label(w, "O1TimeLabel"), At(post - 30, ":"));
    const RaceView& view = w.raceView();
    const int runners = static_cast<int>(w.raceDay()->Races[w.raceDay()->CurrentRace].RaRecord.fieldInt(882, 2));
    for (int i = 0; i < runners; ++i) {
      QVERIFY(!view.odds.win[static_cast<size_t>(i)].empty());
      QCOMPARE(Cell(win, i, 0), Text(view.odds.win[static_cast<size_t>(i)]).trimmed());
    }
    QVERIFY(!Cell(table(w, "PopularGrid"), 0, 0).isEmpty());
    // The weights came with an earlier results tick.
    QVERIFY(weightsShown(w));

    // The result comes with the first results tick (every 15 minutes) after it: the payouts and
    // the finishing positions.
    QTRY_VERIFY_WITH_TIMEOUT(past(clock, At(post + 12)), 60000);
    QTRY_VERIFY_WITH_TIMEOUT(!Cell(payouts, 0, 2).isEmpty(), 60000);
    QVERIFY(!past(clock, At(post + 12 + 15 + 5)));
    QVERIFY(w.raceDay()->Races[w.raceDay()->CurrentRace].Figures.HasPayouts);
    gui::RaceGrid* kihon = w.raceViewPages()->grid(ViewGridId::Kihon);
    int placed = 0;
    for (int r = 0; r < kihon->rowCount(); ++r) placed += kihon->item(r, 16)->text().trimmed() == "1";
    QCOMPARE(placed, 1);
    w.Timer3Timer();
    QCOMPARE(label(w, "RestTimeLabel"), U8("発走済み"));
    // An unattended day: no box and no sound.
    QVERIFY2(prompts.events.isEmpty(), qPrintable(prompts.events.join("|")));

    // The change notices so far fill the change window, which the window's picture shows.
    w.setReplayClock(nullptr);
    const QImage plain = w.picture().toImage();
    QVERIFY(w.pressCommand("GetKaisaiBtn"));
    QVERIFY(!w.pressCommand("NoSuchBtn"));
    QVERIFY(henko.isVisible());
    int lines = 0;
    for (int i = 0; i < 5; ++i) lines += henko.list(i)->count();
    QVERIFY(lines > 0);
    QVERIFY(w.picture().toImage() != plain);
  }

  // The program itself on a replayed day: the picture is taken at the chosen moment, after the
  // odds of that morning came by themselves; the replay's options are checked.
  void theProgramTakesItsPictureAtTheReplayedMoment() {
    const QString exe = QString(ZELKOVA_BIN_DIR) + "/zelkova";
    if (!QFile::exists(exe)) QSKIP("the program is not built");
    QVERIFY2(post > 0, "the first test reads the post time");
    const QString shotAt = At(post - 25, ":");
    auto run = [&](const QStringList& args, QString* err) { return testing::RunOffscreen(exe, args, nullptr, err, 120000); };
    const QString home2 = dir.filePath("home2"), shot = dir.filePath("shot.png");
    const QStringList day = {"--home", home2, "--feed", feed, "--date", "2024-05-19", "--course", U8("新潟"), "--race", "1"};
    QString err;
    QCOMPARE(run(day + QStringList{"--screenshot", shot, "--screenshot-at", "09:45"}, &err), 2);
    QVERIFY2(err.endsWith(U8("zelkova: --screenshot-at には --clock と --screenshot が要ります\n")), qPrintable(err));
    QCOMPARE(run(day + QStringList{"--clock", "2024-05-19 09:00", "--screenshot", shot, "--screenshot-at", "9:45"}, &err), 2);
    QVERIFY2(err.contains(U8("--screenshot-at は hh:mm です")), qPrintable(err));
    QCOMPARE(run(day + QStringList{"--click", "NoSuchBtn", "--screenshot", shot}, &err), 1);
    QVERIFY2(err.contains(U8("「NoSuchBtn」というボタンやメニューはありません")), qPrintable(err));
    QVERIFY(!QFile::exists(shot));
    QCOMPARE(run(day + QStringList{"--clock", "2024-05-19 09:00", "--clock-speed", "3000", "--auto-odds", "--screenshot",
                                   shot, "--screenshot-at", shotAt},
                 &err),
             0);
    QImage picture(shot);
    QVERIFY(!picture.isNull());
    // 新潟 1R's odds of 30 minutes before the post reached its line of the stored odds file.
    QFile o1(home2 + U8("/Data/2024年05月19日.jvO1"));
    QVERIFY(o1.open(QIODevice::ReadOnly));
    const QByteArray first = o1.read(962);
    QCOMPARE(first.left(2), QByteArray("O1"));
    QCOMPARE(first.mid(27, 8), ("0519" + At(post - 30)).toLatin1());
  }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  LiveDayTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "live_day_test.moc"
