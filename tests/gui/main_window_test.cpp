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
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <cstdlib>
#include <cstring>

#include "app/app_context.h"
#include "app/ini_gt.h"
#include "base/cp932.h"
#include "gui/main_form.h"
#include "gui/reference_page.h"
#include "jvlink/jv_link.h"

using namespace zelkova;
using zelkova::gui::TMainForm;

namespace {

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

struct Clock_ : Clock {
  LocalTime now() const override { return {2024, 5, 19, 9, 5, 7}; }
};

struct Shell_ : ShellOpen {
  bool open(const std::string& p) override {
    opened << QString::fromStdString(p);
    return true;
  }
  QStringList opened;
};

struct JvLink_ : JvLink {
  int JVInit(const std::string& sid) override {
    sidSeen = sid;
    return initCode;
  }
  int JVSetUIProperties() override { return 0; }
  int JVOpen(const std::string&, const std::string&, int, int&, int&, std::string&) override { return -1; }
  int JVRTOpen(const std::string&, const std::string&) override { return -1; }
  int JVStatus() override { return 0; }
  int JVRead(std::string&, int&, std::string&) override { return 0; }
  void JVCancel() override {}
  int JVClose() override { return 0; }
  int JVMVCheck(const std::string&) override { return 0; }
  int JVMVPlay(const std::string&) override { return 0; }
  std::string version() override { return ver; }
  int initCode = 0;
  std::string ver = "0490";
  std::string sidSeen;
};

QString U8(const char* s) { return QString::fromUtf8(s); }

void Put(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray Doubles(int count, double v) {
  QByteArray out(count * 8, '\0');
  for (int i = 0; i < count; ++i) std::memcpy(out.data() + 8 * i, &v, 8);
  return out;
}

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
  Clock_ clock;
  Shell_ shell;
  JvLink_ jv;
  AppContext ctx;

  QString at(const char* name) const { return home->filePath(U8(name)); }
  std::unique_ptr<TMainForm> make() { return std::make_unique<TMainForm>(ctx); }

 private slots:
  void init() {
    home = std::make_unique<QTemporaryDir>();
    QVERIFY(home->isValid());
    for (const char* n : {"RTJ.dat", "RTN.dat", "RTC.dat"}) Put(at(n), Doubles(686, 2.5));
    Put(at("SetGate.tbl"), Doubles(15 * 72, 1.45));
    prompts = Prompts_{};
    shell.opened.clear();
    jv = JvLink_{};
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
    QCOMPARE(w->pos(), QPoint(10, 10));
    QCOMPARE(w->size(), QSize(1000, 900));
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
    for (const char* b : {"PrintBtn", "SpeedButton9", "KekkaGetBtn", "SokuhoOddsBtn", "GetBataijuBtn",
                          "GetKaisaiBtn", "RVBtn", "SumBtn"})
      w->findChild<QToolButton*>(b)->click();
    for (const char* a : {"T1", "CSV1", "A1", "J1", "N10", "N12"}) w->findChild<QAction*>(a)->trigger();
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

  void helpOpensTheChmOrSaysItIsMissing() {
    auto w = make();
    w->findChild<QAction*>("HelpContentsItem")->trigger();
    QCOMPARE(prompts.infos(), QStringList{U8("ヘルプファイル「ZelkovaJDL.CHM」が見つかりません。")});
    QVERIFY(shell.opened.isEmpty());
    Put(at("ZelkovaJDL.CHM"), "chm");
    w->findChild<QToolButton*>("SpeedButton6")->click();
    QCOMPARE(shell.opened, QStringList{at("ZelkovaJDL.CHM")});
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
    const QString exe = QString(ZELKOVA_BIN_DIR) + "/zelkova";
    if (!QFile::exists(exe)) QSKIP("zelkova not built");
    QFile::remove(at("RTJ.dat"));
    const QStringList before = Listing(home->path());
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(exe, {"--home", home->path(), "--screenshot", home->filePath("shot.png")});
    QVERIFY(p.waitForFinished(30000));
    QVERIFY(p.exitCode() != 0);
    QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(U8("「RTJ.dat」が見つかりません。")));
    QCOMPARE(Listing(home->path()), before);
  }

  void programRendersItsWindow() {
    const QString exe = QString(ZELKOVA_BIN_DIR) + "/zelkova";
    if (!QFile::exists(exe)) QSKIP("zelkova not built");
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(exe, {"--home", home->path(), "--screenshot", home->filePath("shot.png")});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    QImage shot(home->filePath("shot.png"));
    QCOMPARE(shot.size(), QSize(1000, 900));
  }
};

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  MainWindowTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "main_window_test.moc"
