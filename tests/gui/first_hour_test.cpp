// What a newcomer meets in the main window before any analysis: the hint of an empty program
// folder, the loaded day kept through a download that found nothing, load problems told once in
// one box, status messages shown once, and the standard dialogs in Japanese. With
// ZELKOVA_SHOTS=DIR the screens are also saved there as PNGs (the pictures of docs/).
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cstdlib>

#include "app/app_context.h"
#include "app/startup.h"
#include "base/cp932.h"
#include "gui/japanese_ui.h"
#include "gui/main_form.h"
#include "../support/app_fixtures.h"
#include "../support/test_support.h"
#include "gui_support.h"
#include "run_offscreen.h"

using namespace zelkova;
using zelkova::gui::TMainForm;

using testing::FromSj;
using testing::Put;
using testing::Shot;
using testing::U8;

class FirstHourTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> home;
  testing::RecordingPrompts prompts;
  testing::FakeClock clock{LocalTime{2024, 5, 19, 9, 5, 7}};
  testing::FakeJvLink jv;
  AppContext ctx;

  QString at(const QString& name) const { return home->filePath(name); }
  std::unique_ptr<TMainForm> make() { return std::make_unique<TMainForm>(ctx); }
  QString statusHint(TMainForm& w) const { return w.findChild<QLabel*>("StatusHint")->text(); }
  QStringList infos() const {
    QStringList out;
    for (const std::string& i : prompts.infos) out << FromSj(i);
    return out;
  }
  static void loadDate(TMainForm& w, const QString& date) {
    const int i = w.DateCombo()->findText(date);
    QVERIFY2(i >= 0, qPrintable(date));
    w.DateCombo()->setCurrentIndex(i);
    w.DateComboChange();
  }

 private slots:
  void initTestCase() { QVERIFY(gui::UseJapaneseTranslations(*QCoreApplication::instance())); }

  void init() {
    home = std::make_unique<QTemporaryDir>();
    QVERIFY(home->isValid());
    for (const char* n : {"RTJ.dat", "RTN.dat", "RTC.dat"}) Put(at(n), testing::Doubles(5488, 2.5));
    Put(at("SetGate.tbl"), testing::Doubles(15 * 576, 1.45));
    prompts = testing::RecordingPrompts{};
    jv = testing::FakeJvLink{};
    ctx = AppContext{};
    ctx.programFolder = home->path().toStdString();
    ctx.prompts = &prompts;
    ctx.clock = &clock;
    ctx.jvlink = &jv;
  }

  void firstStartSaysWhereDataComesFrom() {
    auto w = make();
    w->show();
    const QString hint = FromSj(EmptyDateListHint());
    QVERIFY(hint.contains(U8("「JVデータ取得」")));
    QCOMPARE(statusHint(*w), hint);
    QCOMPARE(w->DatList()->property("hint").toString(), hint);
    QVERIFY(prompts.infos.empty());
    Shot(w.get(), "first-start");
    // A button's hint passes over it; the standing hint comes back.
    w->statusBar()->showMessage("x", 1);
    QTRY_VERIFY(w->statusBar()->currentMessage().isEmpty());
    QCOMPARE(statusHint(*w), hint);
    // Once dates are stored the hint says what to do next, and only in the race list.
    Put(at(U8("DATA/2024年05月19日.jvRA")), testing::RaceRecord("20240519", "05", 1));
    w->MakeDataListBtnClick();
    QCOMPARE(statusHint(*w), QString());
    QCOMPARE(w->DatList()->property("hint").toString(), FromSj(ChooseDateHint()));
    loadDate(*w, U8("2024年05月19日"));
    QCOMPARE(w->DatList()->property("hint").toString(), QString());
  }

  // Closing the download window after it found nothing new keeps the day on the screen.
  void noOpDownloadKeepsTheLoadedDay() {
    Put(at(U8("DATA/2024年05月19日.jvRA")),
        testing::RaceRecord("20240519", "05", 1) + testing::RaceRecord("20240519", "05", 2));
    Put(at(U8("DATA/2024年05月12日.jvRA")), testing::RaceRecord("20240512", "05", 1));
    auto w = make();
    loadDate(*w, U8("2024年05月12日"));
    QVERIFY(w->dayLoaded());
    const bool viewShown = !w->Panel12()->isHidden();  // a race without runners hides the view
    bool started = false;
    QTimer::singleShot(0, this, [&] {
      QWidget* form = QApplication::activeModalWidget();
      QVERIFY(form);
      form->findChild<QPushButton*>("ButtonStart")->click();
      started = true;
      form->close();
    });
    w->JVBtnClick();
    QVERIFY(started);
    QVERIFY(infos().contains(U8("最新のデータがありません。")));
    QCOMPARE(w->DateCombo()->currentText(), U8("2024年05月12日"));
    QVERIFY(w->dayLoaded());
    QCOMPARE(w->DatList()->count(), 1);
    QCOMPARE(!w->Panel12()->isHidden(), viewShown);
    // A rebuild whose list lost the date lets the day go.
    QVERIFY(QFile::remove(at(U8("DATA/2024年05月12日.jvRA"))));
    w->MakeDataListBtnClick();
    QCOMPARE(w->DateCombo()->currentIndex(), -1);
    QVERIFY(!w->dayLoaded());
    QCOMPARE(w->DatList()->count(), 0);
    QVERIFY(w->Panel12()->isHidden());
  }

  // A day whose entry file is missing names it, once, in the one box of the load.
  void missingEntryFileIsToldOnceInOneBox() {
    Put(at(U8("DATA/2024年05月19日.jvRA")),
        testing::RaceRecord("20240519", "05", 1, 10) + testing::RaceRecord("20240519", "05", 2, 12));
    auto w = make();
    loadDate(*w, U8("2024年05月19日"));
    // The race view of the first race says on its own that it has no runners; the load's
    // problems come in one box.
    QStringList boxes = infos();
    boxes.removeIf([](const QString& b) { return b.endsWith(U8("レースはデータが不十分です。")); });
    QVERIFY2(boxes.size() == 1, qPrintable(boxes.join("\n---\n")));
    const QString box = boxes[0];
    QVERIFY2(box.startsWith(U8("読み込めなかったデータがあります：")), qPrintable(box));
    QCOMPARE(box.count(U8("「2024年05月19日東京.jvSEr」がありません。")), 1);
    // A race file without races: that, and its damage, in one box.
    prompts = testing::RecordingPrompts{};
    Put(at(U8("DATA/2024年05月12日.jvRA")), "");
    w->MakeDataListBtnClick();
    loadDate(*w, U8("2024年05月12日"));
    QCOMPARE(infos().size(), 1);
    QVERIFY2(infos()[0].startsWith(U8("この日付にはレースがありません：2024年05月12日")), qPrintable(infos()[0]));
    QVERIFY2(infos()[0].contains(U8("「2024年05月12日.jvRA」は空です")), qPrintable(infos()[0]));
  }

  // The program's own arguments: help on stdout with exit 0, an unknown option named, and a
  // feed folder that is none refused at start without being remembered.
  void programArgumentsAndTheFeedFolderAtStart() {
    const QString exe = QString(ZELKOVA_BIN_DIR) + "/zelkova";
    if (!QFile::exists(exe)) QSKIP("the program is not built");
    auto run = [&](const QStringList& args, QString* out, QString* err) { return testing::RunOffscreen(exe, args, out, err); };
    QString out, err;
    QCOMPARE(run({"--help"}, &out, &err), 0);
    QVERIFY2(out.startsWith(U8("使い方: zelkova [--home DIR]")), qPrintable(out));
    QVERIFY(err.isEmpty());
    // A bad argument is one line naming it; a date the calendar does not have is refused as such.
    QCOMPARE(run({"--bogus"}, &out, &err), 2);
    QVERIFY2(err.endsWith(U8("\nzelkova: 「--bogus」というオプションはありません（zelkova --help で使い方を表示します）\n")) ||
                 err == U8("zelkova: 「--bogus」というオプションはありません（zelkova --help で使い方を表示します）\n"),
             qPrintable(err));
    QCOMPARE(run({"--date", "20240230"}, &out, &err), 2);
    QVERIFY2(err.endsWith(U8("zelkova: 2024年02月30日という日はありません\n")), qPrintable(err));
    QCOMPARE(run({"--date", "2024年5月1日"}, &out, &err), 2);
    QVERIFY2(err.contains(U8("は日付ではありません（yyyymmdd、yyyy-mm-dd、yyyy年mm月dd日）")), qPrintable(err));
    QCOMPARE(run({"--race", "0"}, &out, &err), 2);
    QVERIFY2(err.contains(U8("--race にはレース番号（1～12）か main を指定してください")), qPrintable(err));
    const QString shot = home->filePath("shot.png");
    QCOMPARE(run({"--home", home->path(), "--feed", home->filePath("nowhere"), "--screenshot", shot}, &out, &err), 1);
    QVERIFY2(err.contains(U8("フィードフォルダ「") + home->filePath("nowhere") + U8("」がありません。")), qPrintable(err));
    QCOMPARE(run({"--home", home->path(), "--feed", home->filePath("RTJ.dat"), "--screenshot", shot}, &out, &err), 1);
    QVERIFY2(err.contains(U8("」はフォルダではありません。")), qPrintable(err));
    QCOMPARE(run({"--home", home->path(), "--feed", home->path(), "--screenshot", shot}, &out, &err), 1);
    QVERIFY2(err.contains(U8("」はJV-Dataのフィードフォルダではありません")), qPrintable(err));
    QVERIFY(!QFile::exists(home->filePath("zelkova.ini")));
    QVERIFY(!QFile::exists(shot));
  }

  // Qt's own dialogs and buttons speak Japanese, like the rest of the program.
  void standardDialogsSpeakJapanese() {
    QMessageBox box(QMessageBox::Question, "Zelkova", U8("データ取込を中止します。実行しますか？"),
                    QMessageBox::Yes | QMessageBox::No);
    QVERIFY2(box.button(QMessageBox::Yes)->text().contains(U8("はい")), qPrintable(box.button(QMessageBox::Yes)->text()));
    QVERIFY(box.button(QMessageBox::No)->text().contains(U8("いいえ")));
    for (const char* d : {"DATA", "SEI", "SEIR", "kaime", "feeds"}) QDir(home->path()).mkpath(d);
    QFileDialog dialog(nullptr, U8("JV-Dataフィードフォルダの選択"), home->path());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.resize(760, 420);
    dialog.show();
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    QVERIFY(buttons);
    QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), U8("キャンセル"));
    QStringList labels;
    for (QLabel* l : dialog.findChildren<QLabel*>()) labels << l->text();
    QVERIFY2(labels.join(' ').contains(U8("ディレクトリ:")), qPrintable(labels.join(' ')));
    QCOMPARE(QCoreApplication::translate("QAbstractFileIconProvider", "Folder"), U8("フォルダー"));
    Shot(&dialog, "japanese-dialog");
  }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  FirstHourTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "first_hour_test.moc"
