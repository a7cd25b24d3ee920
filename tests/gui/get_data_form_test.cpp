// The batch download window as the user meets it: its title and controls, a cancel during the
// download with its confirmation, then a complete download over a small recorded feed.
#include <QApplication>
#include <QDateTimeEdit>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <cstdlib>

#include "app/app_context.h"
#include "base/cp932.h"
#include "gui/get_data_form.h"
#include "jvlink/recorded_jv_link.h"
#include "jvlink/software_id.h"
#include "../support/test_support.h"
#include "gui_support.h"
#include "../unit/store/store_fixtures.h"

using namespace zelkova;

using testing::FromSj;
using testing::Put;
using testing::Shot;
using testing::U8;

class GetDataFormTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    home_ = dir_.path() + "/home";
    feed_ = dir_.path() + "/feed";
    QDir().mkpath(home_);
    // 24 files of one race day at two racecourses, one race each; the last also holds a horse
    // master record.
    int n = 0;
    for (const char* course : {"05", "08"})
      for (int race = 1; race <= 12; ++race) {
        std::string recs = testing::RA('1', "20240511", course, race) + testing::SE('1', "20240511", course, race, 1) +
                           testing::HR('1', "20240511", course, race);
        if (++n == 24) recs += testing::Master("UM", "2020100001", kLenUM);
        const QString nn = QString::number(n).rightJustified(2, '0');
        Put(feed_ + "/stored/RACE/2024051112" + nn + "00_RACE20240511_" + nn + ".jvd", recs);
      }
  }

  void windowControlsCancelAndDownload() {
    testing::FakeClock clock({2024, 5, 12, 10, 0, 0});
    testing::RecordingPrompts prompts;
    RecordedJvLink jv(feed_.toStdString(), (dir_.path() + "/jvcache").toStdString(), clock);
    QCOMPARE(jv.JVInit(SoftwareId()), 0);
    AppContext ctx;
    ctx.programFolder = home_.toStdString();
    ctx.jvlink = &jv;
    ctx.prompts = &prompts;
    ctx.clock = &clock;
    bool driven = false;
    QTimer::singleShot(0, this, [&] {
      auto* form = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (form) drive(form, prompts);
      driven = form != nullptr;
      if (form) form->reject();
    });
    gui::OpenBatchDownload(nullptr, ctx);
    QVERIFY(driven);
  }

 private:
  void drive(QDialog* w, testing::RecordingPrompts& prompts) {
    QCOMPARE(w->windowTitle(), U8("ＪＶデータ取込"));
    auto* start = w->findChild<QPushButton*>("ButtonStart");
    auto* cancel = w->findChild<QPushButton*>("ButtonCancel");
    auto* settings = w->findChild<QToolButton*>("SpeedButton1");
    auto* label = w->findChild<QLabel*>("ProgressLabel");
    auto* bar1 = w->findChild<QProgressBar*>("ProgressBar1");
    auto* bar2 = w->findChild<QProgressBar*>("ProgressBar2");
    auto* list = w->findChild<QListWidget*>("ListBox1");
    auto* picker = w->findChild<QDateTimeEdit*>("DateTimePicker1");
    auto* label5 = w->findChild<QLabel*>("Label5");
    auto* timer = w->findChild<QTimer*>("TimerJVStatus");
    QVERIFY(start && cancel && settings && label && bar1 && bar2 && list && picker && label5 && timer);
    QCOMPARE(start->text(), U8("データ取込み開始"));
    QCOMPARE(cancel->text(), U8("データ取込み中止"));
    QCOMPARE(settings->text(), U8("JVLink設定"));
    QCOMPARE(settings->toolTip(), U8("JRA-VAN　Data Lab.のサービスキーやデータ保存場所の設定をします"));
    QVERIFY(!label5->isVisible());
    QCOMPARE(timer->interval(), 10);
    QVERIFY(!timer->isActive());
    // No settings yet: eight days before now.
    QCOMPARE(picker->dateTime(), QDateTime(QDate(2024, 5, 4), QTime(10, 0, 0)));
    QCOMPARE(label5->text(), QString("2024/05/04 10:00:00"));
    typeYear(picker);
    picker->setDateTime(QDateTime(QDate(2024, 5, 4), QTime(10, 0, 0)));

    // Start, then cancel before the first JVStatus tick: "No" changes nothing, "Yes" stops it.
    prompts.answer = false;
    start->click();
    QCOMPARE(FromSj(prompts.infos.front()),
             U8("データ取込を開始します。データ作成が終了するまで本ソフトを操作したり他のアプリケーションを操作することは"
                "極力避けてください。"));
    QCOMPARE(label->text(), U8("ダウンロード中・・・"));
    QVERIFY(timer->isActive());
    QVERIFY(!start->isEnabled());
    QCOMPARE(bar1->maximum(), 24);
    cancel->click();
    QCOMPARE(prompts.confirms.size(), 1);
    QCOMPARE(FromSj(prompts.confirms.back()), U8("データ取込を中止します。実行しますか？"));
    QVERIFY(timer->isActive());
    prompts.answer = true;
    cancel->click();
    QVERIFY(!timer->isActive());
    QCOMPARE(label->text(), U8("JVCancel:キャンセルされました"));
    QCOMPARE(FromSj(prompts.infos.back()), U8("JVCancel:キャンセルされました"));
    QVERIFY(start->isEnabled());
    QVERIFY(!QFileInfo::exists(home_ + "/Data"));

    // A complete run: the timer downloads, the read loop files, the end step writes the master.
    bool halfway = false;
    connect(timer, &QTimer::timeout, this, [&] {
      if (halfway || bar1->value() < 12) return;
      halfway = true;
      QCOMPARE(label->text(), U8("ダウンロード中．．．(12/24)"));
      Shot(w, "download-in-progress");
    });
    start->click();
    QVERIFY(timer->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(!timer->isActive() && start->isEnabled(), 20000);
    QVERIFY(halfway);
    // The bars stay full and the label says what is on disk: the day's race, payout and two entry
    // files and its horse master, with the 72 records filed into the first four.
    QCOMPARE(label->text(), U8("データ読込み完了(24/24)　5個のファイルに保存しました（取り込んだ記録72件）。"));
    QCOMPARE(bar1->value(), bar1->maximum());
    QCOMPARE(bar2->value(), 24);
    QCOMPARE(bar2->maximum(), 24);
    QCOMPARE(bar2->text(), QString("24 / 24"));
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    QVERIFY2(lines.contains(U8("作成済み:01R/2024年05月11日.jvRA")), qPrintable(lines.join('\n')));
    QVERIFY(lines.contains(U8("作成済み:12R/01番/2024年05月11日東京.jvSEr")));
    QCOMPARE(lines.back(), U8("作成済み:2024年05月11日.jvUM2"));
    QCOMPARE(QFileInfo(home_ + U8("/Data/2024年05月11日.jvRA")).size(), 24 * 1272);
    QCOMPARE(QFileInfo(home_ + U8("/Data/2024年05月11日東京.jvSEr")).size(), 216 * 555);
    QVERIFY(QFileInfo::exists(home_ + U8("/Data/2024年05月11日.jvUM2")));
    // The newest file time is remembered and shown.
    QCOMPARE(label5->text(), QString("2024/05/11 12:24:00"));
  }

  // Every part of the from-time can be typed over: a click into the year and "2000", and the
  // parts after it follow as they are typed.
  void typeYear(QDateTimeEdit* picker) {
    picker->setFocus();
    QTest::mouseClick(picker->findChild<QLineEdit*>(), Qt::LeftButton, {}, QPoint(8, picker->height() / 2));
    QCoreApplication::processEvents();
    QTest::keyClicks(picker, "2000");
    QCOMPARE(picker->dateTime().date().year(), 2000);
    QTest::keyClicks(picker, "1225");
    QCOMPARE(picker->dateTime().date(), QDate(2000, 12, 25));
  }

  QTemporaryDir dir_;
  QString home_, feed_;
};

QTEST_MAIN(GetDataFormTest)

#include "get_data_form_test.moc"
