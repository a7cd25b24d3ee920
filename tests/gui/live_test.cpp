// The race-day parts of the window: the change window and the time dialog, arming the automatic
// odds, a fetch error in the status label, and a replayed day's clock driving the odds queue.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cstdlib>

#include "app/app_context.h"
#include "base/cp932.h"
#include "base/replay_clock.h"
#include "gui/henko_form.h"
#include "gui/main_form.h"
#include "gui/oz_get_time_form.h"
#include "settings/ini_gt.h"
#include "../support/app_fixtures.h"
#include "../support/test_support.h"
#include "gui_fakes.h"

using namespace zelkova;
using zelkova::gui::TMainForm;
using zelkova::testing::Put;
using zelkova::testing::U8;

namespace {

// Records the real-time opens; every open finds nothing.
struct CountingJvLink : testing::FakeJvLink {
  int JVRTOpen(const std::string& dataspec, const std::string& key) override {
    opens << QString::fromStdString(dataspec + " " + key);
    return -1;
  }
  QStringList opens;
};

// JV-Link's one read cycle: a stored download stays in its download phase until it is closed,
// and any open meanwhile is refused with -202.
struct CycleJvLink : testing::FakeJvLink {
  int JVOpen(const std::string&, const std::string&, int, int& readcount, int& downloadcount,
             std::string& stamp) override {
    calls << "JVOpen";
    if (open) return -202;
    open = true;
    readcount = 1;
    downloadcount = 5;
    stamp = "20240519090000";
    return 0;
  }
  int JVRTOpen(const std::string& dataspec, const std::string&) override {
    calls << QString::fromStdString("JVRTOpen " + dataspec);
    if (open) return -202;
    open = true;
    return 0;
  }
  int JVStatus() override { return 0; }
  int JVClose() override {
    calls << "JVClose";
    open = false;
    return 0;
  }
  bool open = false;
  QStringList calls;
};

QByteArray Doubles(int count, double v) { return QByteArray::fromStdString(testing::Doubles(8 * count, v)); }

}  // namespace

class LiveWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> home;
  testing::Prompts_ prompts;
  testing::FakeClock clock{LocalTime{2024, 5, 19, 9, 5, 7}};
  CountingJvLink jv;
  AppContext ctx;

  QString at(const char* name) const { return home->filePath(U8(name)); }
  std::unique_ptr<TMainForm> loaded(const char* date = "2024年05月19日") {
    auto w = std::make_unique<TMainForm>(ctx);
    const int i = w->DateCombo()->findText(U8(date));
    if (i < 0) return w;
    w->DateCombo()->setCurrentIndex(i);
    w->DateComboChange();
    return w;
  }
  QString label(TMainForm& w, const char* name) const { return w.findChild<QLabel*>(name)->text(); }

 private slots:
  void init() {
    home = std::make_unique<QTemporaryDir>();
    for (const char* n : {"RTJ.dat", "RTN.dat", "RTC.dat"}) Put(at(n), Doubles(686, 2.5));
    Put(at("SetGate.tbl"), Doubles(15 * 72, 1.45));
    std::string day;
    for (int race : {1, 2}) day += testing::RaceRecord("20240519", "05", race, 3, race == 1 ? "1000" : "1030");
    Put(at("Data/2024年05月19日.jvRA"), QByteArray::fromStdString(day));
    Put(at("Data/2024年05月18日.jvRA"), QByteArray::fromStdString(testing::RaceRecord("20240518", "05", 1)));
    prompts = testing::Prompts_{};
    jv = CountingJvLink{};
    clock.set({2024, 5, 19, 9, 5, 7});
    ctx = AppContext{};
    ctx.programFolder = home->path().toStdString();
    ctx.prompts = &prompts;
    ctx.clock = &clock;
    ctx.jvlink = &jv;
  }

  void changeWindowShowsFiveListsScrolledToTheirEnds() {
    const auto settings = std::filesystem::path(home->filePath("zelkova.ini").toStdString());
    {
      TIniGT ini(settings);
      QVERIFY(ini.WriteInteger("Henkolocate", "left", 120).ok());
    }
    gui::THenkoForm form(settings);
    QCOMPARE(form.windowTitle(), U8("変更情報"));
    QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(form.pos().x(), 120);
    ChangeLists lists;
    for (int i = 0; i < 30; ++i) lists.lines[1].push_back(Sj("東京 1R 09:00 ① ") + std::to_string(i));
    lists.lines[3].push_back(Sj("東京 2R 08:00 10:30⇒10:45"));
    form.ShowLists(lists);
    QVERIFY(form.isVisible());
    QCOMPARE(form.list(1)->count(), 30);
    QCOMPARE(form.list(3)->item(0)->text(), U8("東京 2R 08:00 10:30⇒10:45"));
    QCOMPARE(form.list(0)->count(), 0);
    QVERIFY(form.list(1)->selectedItems().isEmpty());
    // A click does not leave a line selected.
    form.list(1)->item(3)->setSelected(true);
    emit form.list(1)->itemClicked(form.list(1)->item(3));
    QVERIFY(form.list(1)->selectedItems().isEmpty());
    form.move(44, 55);
    form.close();
    TIniGT ini(settings);
    QCOMPARE(ini.ReadInteger("Henkolocate", "left", 0), form.x());
    QCOMPARE(ini.ReadInteger("Henkolocate", "top", 0), form.y());
    // A position that cannot be saved is told, not lost in silence.
    testing::CheckUnsavedPositionIsTold<gui::THenkoForm>(home->path());
  }

  void timeDialogLoadsAndSavesTheThreeTimes() {
    const auto settings = std::filesystem::path(home->filePath("zelkova.ini").toStdString());
    gui::TOzGetTimeForm dialog(settings);
    QCOMPARE(dialog.windowTitle(), U8("データﾞ自動取得時刻指定"));
    QCOMPARE(dialog.SpinEdit1()->value(), 30);
    QCOMPARE(dialog.SpinEdit2()->value(), 37);
    QCOMPARE(dialog.SpinEdit3()->value(), 15);
    QVERIFY(dialog.SpinEdit2()->isHidden());
    QCOMPARE(dialog.SpinEdit1()->minimum(), 3);
    QCOMPARE(dialog.SpinEdit3()->minimum(), 5);
    dialog.SpinEdit1()->setValue(20);
    dialog.SpinEdit3()->setValue(10);
    dialog.accept();
    TIniGT ini(settings);
    QCOMPARE(ini.ReadInteger("Time", "AutoOzGet", 0), 20);
    QCOMPARE(ini.ReadInteger("Time", "AutoRdataGet", 0), 10);
    QCOMPARE(ini.ReadInteger("Time", "AutoBataijuGet", 0), 37);
  }

  void armingNeedsTodaysDay() {
    auto w = loaded("2024年05月18日");
    prompts.events.clear();  // the view's word on a race without runners
    w->AutoOzCheck()->setChecked(true);
    w->AutoOzCheckClick();
    QCOMPARE(prompts.events, (QStringList{"beep", U8("info:本日のﾃﾞｰﾀを読み込んでください。")}));
    QVERIFY(!w->AutoOzCheck()->isChecked());
    QVERIFY(!w->Timer1.isActive());
    w = loaded();
    w->AutoOzCheck()->setChecked(true);
    w->AutoOzCheckClick();
    QVERIFY(w->Timer1.isActive());
    QCOMPARE(w->Timer1.interval(), 40000);
    w->AutoOzCheck()->setChecked(false);
    w->AutoOzCheckClick();
    QVERIFY(!w->Timer1.isActive());
    // Today's day runs the results timer at the settings' interval.
    QVERIFY(w->Timer4.isActive());
    QCOMPARE(w->Timer4.interval(), 15 * 60000);
  }

  void theResultsTickWaitsWhileTheDownloadWindowHoldsItsCycle() {
    CycleJvLink cycle;
    ctx.jvlink = &cycle;
    clock.set({2024, 5, 19, 9, 30, 0});  // results are due from 09:15
    auto w = loaded();
    QVERIFY(w->Timer4.isActive());
    bool driven = false, stillOpen = false;
    QStringList during;
    QTimer::singleShot(0, this, [&] {
      QWidget* form = QApplication::activeModalWidget();
      if (!form) return;
      form->findChild<QPushButton*>("ButtonStart")->click();  // downloading: the cycle is open
      w->Timer4Timer();
      w->Timer4Timer();
      during = cycle.calls;
      stillOpen = cycle.open;
      driven = true;
      form->close();
    });
    w->JVBtnClick();
    QVERIFY(driven);
    // The ticks did not touch the download's cycle.
    QCOMPARE(during, QStringList{"JVOpen"});
    QVERIFY(stillOpen);
    // The window closed its cycle; then the tick that fell due ran, once.
    QCOMPARE(cycle.calls.mid(0, 2), (QStringList{"JVOpen", "JVClose"}));
    QCOMPARE(cycle.calls.count("JVRTOpen 0B12"), 1);
    QCOMPARE(cycle.calls.count("JVRTOpen 0B11"), 1);
    QVERIFY(!cycle.open);
  }

  void aFetchErrorStaysInTheStatusLabelAndTheDayStaysLoaded() {
    auto w = loaded();
    QCOMPARE(w->DatList()->count(), 2);
    prompts.events.clear();
    w->SokuhoOddsBtnClick();
    QCOMPARE(jv.opens, QStringList{"0B30 2024051905020301"});
    QCOMPARE(label(*w, "DLlabel"), U8("東京 1R:ｵｯｽﾞ取得エラー： 取得済みデータより最新のデータがありません。(-1)"));
    // The open error beeps; the view, which cannot show a race without runners, is not run again
    // to repeat its message box.
    QCOMPARE(prompts.events, QStringList{"beep"});
    QVERIFY(w->statusBar()->currentMessage().isEmpty());  // the real-time label alone tells it
    QVERIFY(w->dayLoaded());
    QCOMPARE(w->DatList()->count(), 2);
    QFile log(at("ErrorLog.txt"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromStdString(Cp932ToUtf8Lossy(log.readAll().toStdString()))
                .contains(U8("【エラー】09:05:07：東京 1R:ｵｯｽﾞ取得エラー：")));
    // The clock and the time to post follow the clock.
    w->Timer2Timer();
    w->Timer3Timer();
    QCOMPARE(label(*w, "NowTimLabel"), U8("09時05分07秒"));
    QCOMPARE(label(*w, "RestTimeLabel"), U8("発走までの残り時間：00:54:53"));
  }

  void aReplayedClockDrivesTheOddsQueue() {
    ReplayClock replay({2024, 5, 19, 9, 29, 0}, 120);
    ctx.clock = &replay;
    auto w = loaded();
    w->setReplayClock(&replay);
    w->AutoOzCheck()->setChecked(true);
    w->AutoOzCheckClick();
    QVERIFY(w->Timer1.isActive());
    // Race 1's odds time 09:30 comes within a second of real time; its odds are asked for once.
    QTRY_VERIFY_WITH_TIMEOUT(jv.opens.contains("0B30 2024051905020301"), 5000);
    QTest::qWait(600);
    QCOMPARE(jv.opens.count("0B30 2024051905020301"), 1);
    w->setReplayClock(nullptr);
  }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  LiveWindowTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "live_test.moc"
