// The main window as the user meets it: pages and commands, start-up defaults and messages,
// the fixed-file check that ends the program without writing, show and close handling.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QProgressBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QScreen>
#include <QtTest>
#include <cstdlib>
#include <cstring>

#include "app/app_context.h"
#include "settings/ini_gt.h"
#include "base/cp932.h"
#include "gui/henko_form.h"
#include "gui/kakoso_form.h"
#include "gui/help_pages.h"
#include "gui/main_form.h"
#include "gui/reference_page.h"
#include "gui/wait_form.h"
#include "jvlink/jv_link.h"
#include "../support/app_fixtures.h"
#include "../support/test_support.h"
#include "gui_fakes.h"

using namespace zelkova;
using zelkova::gui::TMainForm;

namespace {

using testing::Prompts_;
using testing::Put;
using testing::Shell_;
using testing::U8;

QByteArray Doubles(int count, double v) { return QByteArray::fromStdString(testing::Doubles(8 * count, v)); }

QStringList Listing(const QString& dir) {
  QStringList out;
  QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) out << QDir(dir).relativeFilePath(it.next());
  out.sort();
  return out;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> home;
  Prompts_ prompts;
  testing::FakeClock clock{LocalTime{2024, 5, 19, 9, 5, 7}};
  Shell_ shell;
  testing::FakeJvLink jv;
  AppContext ctx;

  QString at(const char* name) const { return home->filePath(U8(name)); }
  static std::string R(const char* date, const char* course, int race) {
    return testing::RaceRecord(date, course, race);
  }
  // The race file of `date` (a date text) made of `records`.
  void putDay(const QString& date, const std::vector<std::string>& records) {
    std::string bytes;
    for (const std::string& r : records) bytes += r;
    Put(home->filePath("DATA/" + date + ".jvRA"), QByteArray::fromStdString(bytes));
  }
  // Chooses `date` in the date selector as the user does.
  static void loadDate(TMainForm& w, const QString& date) {
    int i = w.DateCombo()->findText(date);
    QVERIFY2(i >= 0, qPrintable(date));
    w.DateCombo()->setCurrentIndex(i);
    w.DateComboChange();
  }
  static QString program() {
    const QString exe = QString(ZELKOVA_BIN_DIR) + "/zelkova";
    return QFile::exists(exe) ? exe : QString();
  }
  void screenshot(QProcess& p, const QString& exe) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(exe, {"--home", home->path(), "--screenshot", home->filePath("shot.png")});
  }
  std::unique_ptr<TMainForm> make() { return std::make_unique<TMainForm>(ctx); }

 private slots:
  void init() {
    home = std::make_unique<QTemporaryDir>();
    QVERIFY(home->isValid());
    for (const char* n : {"RTJ.dat", "RTN.dat", "RTC.dat"}) Put(at(n), Doubles(686, 2.5));
    Put(at("SetGate.tbl"), Doubles(15 * 72, 1.45));
    prompts = Prompts_{};
    shell.opened.clear();
    jv = testing::FakeJvLink{};
    ctx = AppContext{};
    ctx.programFolder = home->path().toStdString();
    ctx.prompts = &prompts;
    ctx.clock = &clock;
    ctx.shellOpen = &shell;
    ctx.jvlink = &jv;
  }

  void pagesInOrderWithHiddenOnesHidden() {
    auto w = make();
    QTabWidget* pc = w->PageControl1();
    QStringList captions;
    for (int i = 0; i < pc->count(); ++i) captions << pc->tabText(i);
    QCOMPARE(captions, (QStringList{U8("RT一覧"), U8("着RT"), U8("人RT"), U8("展RT"), U8("軸推理"),
                                    U8("出馬表(馬柱)"), U8("実績一覧"), U8("ｵｯｽﾞ"), U8("成績結果"), U8("基本情報"),
                                    U8("血統"), U8("馬体重"), U8("出目一覧"), U8("集計"), U8("出馬表"),
                                    U8("買い目"), U8("参考資料")}));
    for (int i = 0; i < pc->count(); ++i) QCOMPARE(pc->isTabVisible(i), i != 14 && i != 15);
    QCOMPARE(pc->currentIndex(), 0);
    for (const char* g : {"StringGrid11", "StringGrid7", "StringGrid8", "StringGrid9", "StringGrid16", "StringGrid17",
                          "StringGrid6", "StringGrid4", "StringGrid1", "StringGrid3", "StringGrid10", "StringGrid12",
                          "StringGrid13", "StringGrid14", "StringGrid15"})
      QVERIFY2(w->grid(g), g);
    // The reference page hides its ３勝馬若 table.
    QTabWidget* ref = w->referencePage()->pages();
    QCOMPARE(ref->tabText(3), U8("３勝馬若"));
    QVERIFY(!ref->isTabVisible(3));
  }

  void aReadOnlyFolderIsShownAndSaysOnceThatNothingIsSaved() {
    putDay(U8("2024年05月19日"), {R("20240519", "05", 1), R("20240519", "05", 2)});
    // The user the test acts as must reach the folder.
    QFile::setPermissions(home->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther);
    testing::SetTreeWritable(home->path().toStdString(), false);
    const QStringList before = Listing(home->path());
    {
      testing::AsUnprivilegedUser nobody;
      auto w = make();
      QVERIFY(!w->terminationRequested());
      loadDate(*w, U8("2024年05月19日"));
      QCOMPARE(w->DatList()->count(), 2);
      w->close();
    }
    testing::SetTreeWritable(home->path().toStdString(), true);
    QCOMPARE(Listing(home->path()), before);
    const QStringList infos = prompts.infos();
    QCOMPARE(infos.filter(U8("何も保存されません")).size(), 1);
    QVERIFY2(infos.filter(U8("書き込めません")).size() == 1, qPrintable(infos.join("\n")));  // that one
    QVERIFY2(infos.filter(U8("保存できません")).isEmpty(), qPrintable(infos.join("\n")));
  }

  void everyCommandIsThere() {
    auto w = make();
    for (auto [name, caption] : std::initializer_list<std::pair<const char*, const char*>>{
             {"JVBtn", "JVデータ取得"}, {"PrintBtn", "印刷"}, {"SpeedButton5", "終了"}, {"SpeedButton6", "ヘルプ"},
             {"SpeedButton7", "ﾊﾞｰｼﾞｮﾝ情報"}, {"SpeedButton9", "F"}, {"KekkaGetBtn", "結果情報"},
             {"SokuhoOddsBtn", "速報ｵｯｽﾞ"}, {"GetBataijuBtn", "馬体重"}, {"GetKaisaiBtn", "変更情報"},
             {"RVBtn", "レーシングビュアー"}, {"SumBtn", "集計"}}) {
      auto* b = w->findChild<QToolButton*>(name);
      QVERIFY2(b, name);
      QCOMPARE(b->text(), U8(caption));
    }
    for (auto [name, caption] : std::initializer_list<std::pair<const char*, const char*>>{
             {"FileExitItem", "終了(&X)"}, {"HelpContentsItem", "目次(&C)"}, {"HelpAboutItem", "ﾊﾞｰｼﾞｮﾝ情報(&A)..."},
             {"FilePrintSetupItem", "ﾌﾟﾘﾝﾀの設定(&R)..."}, {"T1", "時系列ｵｯｽﾞより取得(&T)"},
             {"O1", "全レースのオッズを一括取得(&O)"}, {"CSV1", "CSVファイル(&C)"}, {"A1", "ﾃﾞｰﾀ自動取得時刻指定(&A)"},
             {"Dd1", "読込後ﾃﾞｰﾀﾘｽﾄを消す(&D)"}, {"J1", "時系列ｵｯｽﾞﾌｫﾙﾀﾞ指定(&J)"},
             {"N10", "表をクリップボードへコピー"}, {"N12", "レーシングビュアー"}}) {
      auto* a = w->findChild<QAction*>(name);
      QVERIFY2(a, name);
      QCOMPARE(a->text(), U8(caption));
    }
    QVERIFY(w->findChild<QCheckBox*>("AutoOzCheck"));
    QVERIFY(w->findChild<QWidget*>("UpDown1"));
    QVERIFY(w->DateCombo());
    QVERIFY(w->DatList());
    QVERIFY(w->findChild<QMenu*>("PopupMenu1"));
    QCOMPARE(w->Timer1.interval(), 40000);
    QVERIFY(!w->Timer1.isActive());
    QVERIFY(w->Timer2.isActive() && w->Timer3.isActive() && !w->Timer4.isActive());
  }

  void freshFolderStartsWithDefaultsAndWritesNoSettings() {
    auto w = make();
    QVERIFY(!w->terminationRequested());
    QVERIFY(prompts.events.isEmpty());
    // The first start takes the screen's available area.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(w->pos(), screen.topLeft());
    QCOMPARE(w->width(), screen.width());
    QCOMPARE(w->findChild<QSpinBox*>("SpinEdit1")->value(), 2024);
    QCOMPARE(w->findChild<QSpinBox*>("SpinEdit2")->value(), 5);
    QCOMPARE(w->findChild<QSpinBox*>("SpinEdit3")->value(), 13);
    QVERIFY(!w->findChild<QAction*>("Dd1")->isChecked());
    QCOMPARE(w->DateCombo()->count(), 0);
    QVERIFY(w->Panel12()->isHidden());
    // Loading the stored values must not count as the user changing them.
    QVERIFY(!QFile::exists(at("zelkova.ini")));
    for (const char* d : {"DATA", "SEI", "SEIR", "kaime"}) QVERIFY2(QDir(at(d)).exists(), d);
    QVERIFY(QFile::exists(at("ErrorLog.txt")));
  }

  void dateListNewestFirst() {
    for (const char* n : {"DATA/2024年05月12日.jvRA", "DATA/2024年05月19日.jvRA", "DATA/2024年05月19日.jvSE"})
      Put(at(n), "x");
    auto w = make();
    QCOMPARE(w->DateCombo()->count(), 2);
    QCOMPARE(w->DateCombo()->itemText(0), U8("2024年05月19日"));
    QCOMPARE(w->DateCombo()->itemText(1), U8("2024年05月12日"));
    QVERIFY(w->Panel12()->isHidden());
  }

  void missingFixedFileEndsWithoutWriting() {
    QFile::remove(at("RTJ.dat"));
    const QStringList before = Listing(home->path());
    {
      auto w = make();
      QVERIFY(w->terminationRequested());
      QCOMPARE(prompts.infos(),
               QStringList{U8("「RTJ.dat」が見つかりません。インストールが正しく行われていない可能性があります。")});
      w->show();
      w->close();
    }
    QCOMPARE(Listing(home->path()), before);
    QCOMPARE(jv.sidSeen, std::string());  // no JVInit either
  }

  void shortGateTableIsReportedClearly() {
    Put(at("SetGate.tbl"), Doubles(14 * 72, 1.45));
    auto w = make();
    QVERIFY(w->terminationRequested());
    QCOMPARE(prompts.infos().size(), 1);
    QVERIFY(prompts.infos()[0].contains("SetGate.tbl"));
  }

  void showRunsJvInitOnceAndReportsItsFailure() {
    jv.initCode = -101;
    auto w = make();
    w->show();
    QCOMPARE(jv.sidSeen, std::string("SA000000/SD000000/ZelkovaJDL/Ver.1.22"));
    QCOMPARE(prompts.events, QStringList{U8("info:JVInitエラーが発生しました。：-101")});
    w->hide();
    w->show();
    QCOMPARE(prompts.events.size(), 1);
  }

  void oldJvLinkGetsAWarningAfterABeep() {
    jv.ver = "0480";
    auto w = make();
    w->show();
    QCOMPARE(prompts.events.size(), 2);
    QCOMPARE(prompts.events[0], QString("beep"));
    QVERIFY(prompts.events[1].contains("[4.8.0]"));
  }

  void closeWritesGeometryAndMenuChoicesPersist() {
    {
      auto w = make();
      w->show();
      w->move(40, 30);
      w->resize(800, 600);
      w->findChild<QAction*>("Dd1")->trigger();
      w->findChild<QSpinBox*>("SpinEdit3")->setValue(7);
      w->close();
    }
    TIniGT ini(home->path().toStdString(), "zelkova");
    QCOMPARE(ini.ReadInteger("locate", "width", 0), 800);
    QCOMPARE(ini.ReadInteger("locate", "height", 0), 600);
    QVERIFY(ini.ReadBool("datalist", "close", false));
    QCOMPARE(ini.ReadInteger("AvChakusa", "samplesu", 0), 7);
    auto again = make();
    QCOMPARE(again->size(), QSize(800, 600));
    QVERIFY(again->findChild<QAction*>("Dd1")->isChecked());
    QCOMPARE(again->findChild<QSpinBox*>("SpinEdit3")->value(), 7);
  }

  void closingTheMainWindowEndsTheProgramWhileOtherWindowsAreOpen() {
    auto w = make();
    gui::TWaitForm wait;
    gui::THenkoForm henko(ctx.settingsPath());
    gui::TKakosoForm kakoso(ctx.settingsPath());
    w->setWaitForm(&wait);
    w->setHenkoForm(&henko);
    w->setKakosoForm(&kakoso);
    w->show();
    henko.show();
    kakoso.show();
    // The program's loop ends when the main window closes; the change and past-runs windows
    // (still open) do not keep it, and its timers, running. The guard only ends a loop that
    // would otherwise run on.
    bool ranOn = false;
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, qApp, [&] {
      ranOn = true;
      QCoreApplication::quit();
    });
    guard.start(20000);
    QTimer::singleShot(0, w.get(), [&] { w->close(); });
    QApplication::exec();
    QVERIFY(!ranOn);
  }

  void settingsThatCannotBeWrittenAreReported() {
    QVERIFY(QDir().mkpath(at("zelkova.ini")));  // a folder where the file should be
    auto w = make();
    QVERIFY(!w->terminationRequested());
    prompts.events.clear();
    w->show();
    w->close();
    QCOMPARE(prompts.infos().size(), 1);
    QVERIFY2(prompts.infos()[0].startsWith(U8("設定を保存できませんでした：")), qPrintable(prompts.infos()[0]));
  }

  void commandsWithoutDataAreHarmless() {
    auto w = make();
    w->findChild<QAction*>("O1")->trigger();
    QCOMPARE(prompts.events, (QStringList{"beep", U8("info:ﾃﾞｰﾀを読み込んでください。")}));
    prompts.events.clear();
    w->findChild<QToolButton*>("PrintBtn")->click();
    QCOMPARE(prompts.events, (QStringList{"beep", U8("info:データを読み込んでください。")}));
    prompts.events.clear();
    for (const char* b : {"SpeedButton9", "KekkaGetBtn", "SokuhoOddsBtn", "GetBataijuBtn",
                          "GetKaisaiBtn", "SumBtn"})
      w->findChild<QToolButton*>(b)->click();
    for (const char* a : {"CSV1", "J1", "N10"}) w->findChild<QAction*>(a)->trigger();
    // The race video and the time-series import say what they lack.
    w->findChild<QToolButton*>("RVBtn")->click();
    w->findChild<QAction*>("N12")->trigger();
    w->findChild<QAction*>("T1")->trigger();
    QCOMPARE(prompts.events, (QStringList{U8("info:開催日が選択されていません。"), U8("info:開催日が選択されていません。"),
                                          "beep", U8("info:時系列ｵｯｽﾞﾌｫﾙﾀﾞ指定をしてください。")}));
    prompts.events.clear();
    w->UpDown1Click(true);
    w->UpDown1Click(false);
    w->MakeDataListBtnClick();
    w->IniBtnClick();
    w->UMConvertBtnClick();
    w->OzGetLoopBtnClick();
    w->CalcBtn1Click();
    w->OzReadBtnClick();
    w->HrReadBtnClick();
    w->BataijuReadBtnClick();
    w->KaisaiReadBtnClick();
    w->kakosoBtnClick();
    w->SaveCheckBtnClick();
    w->RTreadBtnClick();
    w->HindoRankBtnClick();
    w->HindoReadBtnClick();
    w->DateComboChange();
    w->DatListClick();
    QVERIFY(prompts.infos().isEmpty());
  }

  // The build writes a page per window beside the program; ヘルプ opens the main window's.
  void helpOpensTheMainWindowsPage() {
    auto w = make();
    w->findChild<QAction*>("HelpContentsItem")->trigger();
    QVERIFY(prompts.infos().isEmpty());
    QCOMPARE(shell.opened.size(), 1);
    QVERIFY2(shell.opened[0].endsWith("/help/main.html"), qPrintable(shell.opened[0]));
    QFile page(shell.opened[0]);
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(page.readAll());
    QVERIFY(text.contains(U8("<h1>メイン画面</h1>")));
    QVERIFY(text.contains(U8("出馬表(馬柱)")));
    for (const char* name : {"index", "get_data", "kakoso", "henko", "oz_get_time", "print"})
      QVERIFY2(!gui::HelpPagePath({}, name).isEmpty(), name);
  }

  void aboutShowsTheVersion() {
    auto w = make();
    QString seen;
    QTimer::singleShot(0, [&] {
      if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        for (QLabel* l : d->findChildren<QLabel*>()) seen += l->text() + "|";
        d->accept();
      }
    });
    w->findChild<QAction*>("HelpAboutItem")->trigger();
    QVERIFY2(seen.contains("Ver.1.22"), qPrintable(seen));
  }

  void raceStepperNeedsTwoRaces() {
    auto w = make();
    w->DatList()->addItems({"1R", "2R", "3R"});
    w->UpDown1Click(true);
    QCOMPARE(w->upDownPosition(), 1);
    QCOMPARE(w->DatList()->currentRow(), 1);
    w->UpDown1Click(true);
    w->UpDown1Click(true);
    QCOMPARE(w->upDownPosition(), 2);
    w->UpDown1Click(false);
    QCOMPARE(w->DatList()->currentRow(), 1);
  }

  // The program itself, as a user starts it: with RTJ.dat gone it says so and ends, writing nothing.
  void programEndsOnMissingFixedFile() {
    const QString exe = program();
    if (exe.isEmpty()) QSKIP("zelkova not built");
    QFile::remove(at("RTJ.dat"));
    const QStringList before = Listing(home->path());
    QProcess p;
    screenshot(p, exe);
    QVERIFY(p.waitForFinished(30000));
    QVERIFY(p.exitCode() != 0);
    QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(U8("「RTJ.dat」が見つかりません。")));
    QCOMPARE(Listing(home->path()), before);
  }

  // With a stored day the picture is taken after loading the newest date.
  void programRendersItsWindow() {
    const QString exe = program();
    if (exe.isEmpty()) QSKIP("zelkova not built");
    putDay("2024年05月19日", {R("20240519", "05", 1), R("20240519", "05", 2)});
    QProcess p;
    screenshot(p, exe);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    QImage shot(home->filePath("shot.png"));
    QCOMPARE(shot.width(), 800);  // the offscreen screen's width: a first start takes the screen
  }

  void choosingADateLoadsRaceListTabsAndStepper() {
    putDay("2024年05月19日", {R("20240519", "05", 1), R("20240519", "05", 2), R("20240519", "05", 3), R("", "", 0),
                              R("20240519", "08", 1), R("20240519", "08", 2)});
    auto w = make();
    loadDate(*w, U8("2024年05月19日"));
    // The first race is chosen at the end of the load; its race has no entries, which the race
    // view says.
    QCOMPARE(prompts.infos(), QStringList{U8("1レースはデータが不十分です。")});
    QVERIFY(w->dayLoaded());
    QVERIFY(w->isEnabled());
    QVERIFY(!w->waitForm()->isVisible());
    QVERIFY(w->waitForm()->ProgressBar1()->value() > 0);
    // The blank record takes no slot and no list item.
    QCOMPARE(w->DatList()->count(), 5);
    QCOMPARE(w->raceDay()->RaceCount, 5);
    QCOMPARE(w->DatList()->item(0)->text(), U8("東京 2回 3日 1R"));
    QCOMPARE(w->DatList()->item(4)->text(), U8("京都 2回 3日 2R"));
    auto* courses = w->findChild<QTabWidget*>("PageControl3");
    QCOMPARE(courses->tabText(0), U8("東京"));
    QCOMPARE(courses->tabText(1), U8("京都"));
    QVERIFY(courses->isTabVisible(0) && courses->isTabVisible(1) && !courses->isTabVisible(2));
    QCOMPARE(w->findChild<QLabel*>("BashoLabel1")->text(), QString("05"));
    QCOMPARE(w->findChild<QLabel*>("BashoLabel2")->text(), QString("08"));
    QCOMPARE(w->findChild<QLabel*>("BashoIdx1")->text(), QString(" 0"));
    QCOMPARE(w->findChild<QLabel*>("BashoIdx2")->text(), QString(" 3"));
    QCOMPARE(w->grid("StringGrid12")->rowCount(), 4);
    QCOMPARE(w->grid("StringGrid13")->rowCount(), 3);
    // The stepper walks the list and stops at its ends.
    QVERIFY(w->Panel12()->isHidden());
    QCOMPARE(w->DatList()->currentRow(), 0);
    QCOMPARE(w->raceDay()->CurrentRace, 0);
    QCOMPARE(w->upDownMaximum(), 4);
    for (int i = 0; i < 6; ++i) w->UpDown1Click(true);
    QCOMPARE(w->DatList()->currentRow(), 4);
    QCOMPARE(w->raceDay()->CurrentRace, 4);
    w->UpDown1Click(false);
    QCOMPARE(w->raceDay()->CurrentRace, 3);
    // The loaded date is today: the results timer runs at AutoRdataGet minutes.
    QVERIFY(w->Timer4.isActive());
    QCOMPARE(w->Timer4.interval(), 15 * 60000);
    // Another day with one racecourse hides the other tabs again.
    putDay("2024年05月12日", {R("20240512", "08", 1)});
    w->MakeDataListBtnClick();
    loadDate(*w, U8("2024年05月12日"));
    QCOMPARE(w->DatList()->count(), 1);
    QVERIFY(courses->isTabVisible(0) && !courses->isTabVisible(1));
    QCOMPARE(courses->tabText(0), U8("京都"));
    QVERIFY(!w->Timer4.isActive());
    QCOMPARE(w->upDownMaximum(), 0);
    w->UpDown1Click(true);
    QCOMPARE(w->DatList()->currentRow(), 0);
  }

  void missingOrBrokenDayIsToldClearly() {
    putDay("2024年05月19日", {R("20240519", "05", 1)});
    putDay("2024年05月12日", {R("20240512", "05", 1), R("20240512", "05", 2)});
    auto w = make();
    // Gone since the list was made.
    QVERIFY(QFile::remove(at("DATA/2024年05月19日.jvRA")));
    loadDate(*w, U8("2024年05月19日"));
    QCOMPARE(prompts.infos().size(), 1);
    QVERIFY2(prompts.infos()[0].contains(U8("見つかりません")), qPrintable(prompts.infos()[0]));
    QCOMPARE(w->DatList()->count(), 0);
    QVERIFY(!w->dayLoaded());
    QVERIFY(w->isEnabled());
    // A torn race file: the whole records load, the tail is reported.
    prompts.events.clear();
    Put(at("DATA/2024年05月12日.jvRA"), QByteArray::fromStdString(testing::RaceRecord("20240512", "05", 1)) + "RA7 torn");
    loadDate(*w, U8("2024年05月12日"));
    QCOMPARE(w->DatList()->count(), 1);
    // The race view's word on the entry-less race, then the load's report.
    QCOMPARE(prompts.infos().size(), 2);
    QCOMPARE(prompts.infos()[0], U8("1レースはデータが不十分です。"));
    QVERIFY2(prompts.infos()[1].startsWith(U8("読み込めなかったデータがあります")), qPrintable(prompts.infos()[1]));
  }

  // Every button and menu command once, without a day and with one, any dialog closed at once.
  void everyCommandOnceDoesNotCrash() {
    putDay("2024年05月19日", {R("20240519", "05", 1), R("20240519", "05", 2)});
    auto w = make();
    w->show();
    QTimer closer;
    closer.setInterval(20);
    QStringList dialogs;
    QObject::connect(&closer, &QTimer::timeout, [&] {
      if (QWidget* m = QApplication::activeModalWidget()) {
        dialogs << m->metaObject()->className();
        m->close();
      }
      if (QWidget* p = QApplication::activePopupWidget()) p->close();
    });
    closer.start();
    for (bool loaded : {false, true}) {
      if (loaded) {
        loadDate(*w, U8("2024年05月19日"));
        QCOMPARE(w->DatList()->count(), 2);
      }
      for (QToolButton* b : w->findChildren<QToolButton*>())
        if (b->objectName() != "SpeedButton5") b->click();
      for (QAction* a : w->findChildren<QAction*>())
        if (!a->objectName().isEmpty() && a->objectName() != "FileExitItem") a->trigger();
    }
    QVERIFY(dialogs.contains("QDialog"));  // the About window at least
    w->findChild<QAction*>("FileExitItem")->trigger();
    QVERIFY(!w->isVisible());
  }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  MainWindowTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "main_window_test.moc"
