// The outputs as the user reaches them: the print preview (recording, zoom, stored settings,
// PDF), and the main window's CSV, print and hit-report commands on a loaded day.
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <cstdlib>
#include <cstring>

#include "app/app_context.h"
#include "base/cp932.h"
#include "gui/all_print_form.h"
#include "gui/main_form.h"
#include "gui/prev_x.h"
#include "output/analysis_print.h"
#include "settings/ini_gt.h"
#include "../support/app_fixtures.h"
#include "../support/test_support.h"
#include "gui_fakes.h"

using namespace zelkova;
using zelkova::gui::PageDevice;
using zelkova::gui::PageRecorder;
using zelkova::gui::TAllPrintForm;
using zelkova::gui::TMainForm;
using zelkova::gui::TPrevX;

namespace {

using testing::Clipboard_;
using testing::Prompts_;
using testing::Put;
using testing::Shell_;
using testing::U8;

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

template <size_t L>
void Set(RecordImage<L>& img, size_t pos, std::string_view text) {
  std::memcpy(img.bytes.data() + pos - 1, text.data(), text.size());
}

// A day of `races` races on 2024-05-12 whose first three are horses 3, 5 and 1; horse 3 ranks
// first by 着RT.
std::unique_ptr<RaceDay> Day(int races) {
  auto day = MakeRaceDay();
  for (int r = 0; r < races; ++r) {
    RaceInfo& race = day->Races[r];
    Set(race.RaRecord, 12, "20240512");
    Set(race.RaRecord, 20, r < 12 ? "05" : "08");
    Set(race.RaRecord, 26, std::string{static_cast<char>('0' + (r % 12 + 1) / 10), static_cast<char>('0' + (r % 12 + 1) % 10)});
    Set(race.RaRecord, 698, "1600");
    Set(race.RaRecord, 706, "11");
    Set(race.RaRecord, 882, "16");
    Set(race.HrRecord, 105, "000000350");
    Set(race.HrRecord, 114, "01");
    Set(race.HrRecord, 142, "03");
    Set(race.HrRecord, 155, "05");
    Set(race.HrRecord, 168, "01");
    race.Figures.FinishRating[2] = 0.5;
    race.Figures.FinishRatingRank[2] = 1;
  }
  day->RaceCount = races;
  return day;
}

// Pixels of the image that `is` accepts.
template <typename F>
int Count(const QImage& img, F is) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) n += is(img.pixelColor(x, y)) ? 1 : 0;
  return n;
}
// Small text is smoothed into its background: red is whatever leans clearly to red.
bool Reddish(QColor c) { return c.red() > c.green() + 60 && c.red() > c.blue() + 60; }
bool Silver(QColor c) { return c == QColor(192, 192, 192); }

}  // namespace

class OutputsTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QTemporaryDir> home;
  Prompts_ prompts;
  Shell_ shell;
  Clipboard_ clip;
  testing::FakeClock clock{LocalTime{2024, 5, 19, 9, 5, 7}};
  testing::FakeJvLink jv;
  AppContext ctx;

  QString at(const char* name) const { return home->filePath(U8(name)); }

 private slots:
  void init() {
    home = std::make_unique<QTemporaryDir>();
    QVERIFY(home->isValid());
    prompts = Prompts_{};
    shell = Shell_{};
    clip = Clipboard_{};
    for (const char* n : {"RTJ.dat", "RTN.dat", "RTC.dat"})
      Put(at(n), QByteArray::fromStdString(testing::Doubles(8 * 686, 2.5)));
    Put(at("SetGate.tbl"), QByteArray::fromStdString(testing::Doubles(8 * 15 * 72, 1.45)));
    ctx = AppContext{};
    ctx.programFolder = home->path().toStdString();
    ctx.prompts = &prompts;
    ctx.clock = &clock;
    ctx.shellOpen = &shell;
    ctx.clipboard = &clip;
    ctx.jvlink = &jv;
  }

  void coordinatesPensAndScaleFollowThePrinter() {
    PageRecorder rec;
    PageDevice d;
    d.dpiX = 600;
    d.dpiY = 300;
    rec.setDevice(d);
    rec.setScreenDpi(96);
    rec.BeginPages();
    QCOMPARE(rec.ToX(254), 600);
    QCOMPARE(rec.ToY(254), 300);
    rec.MarginLeft = 10;
    QCOMPARE(rec.ToX(244), 600);
    rec.mapMode = PageRecorder::MapMode::pmmLo;
    QCOMPARE(rec.ToX(15), 591);  // (15 + 10) mm at 600 dpi
    // Tenths of a screen pixel to printer pixels, at least one.
    QCOMPARE(rec.PenWidth(14), 4);  // 14 * 300 / 960 = 4.4
    QCOMPARE(rec.PenWidth(1), 1);
    // A core page lands converted.
    rec.mapMode = PageRecorder::MapMode::pmmHi;
    rec.MarginLeft = 0;
    auto day = Day(24);
    rec.Draw(AnalysisPrint(*day, 24));
    QCOMPARE(rec.pageCount(), 1);
    bool frame = false;
    for (const PaintOp& op : rec.page(1).ops())
      if (op.kind == PaintOp::Kind::Box && op.y2 == 1870 * 300 / 254 + 1 && op.pen.width == 3) frame = true;  // pen 8: 2.5 rounds up
    QVERIFY(frame);

    // Zoom 100 % on a 600 dpi printer and a 96 dpi screen: 16 % of the printer pixels.
    TPrevX prev;
    prev.pages().setScreenDpi(96);
    PageDevice p600 = gui::A4Device(600);
    prev.setDevice(p600);
    prev.setZoomScale(100);
    QCOMPARE(prev.scale(), 0.16);
    prev.setZoomScale(25);
    QCOMPARE(prev.scale(), 0.04);
    prev.setZoomScale(300);
    QCOMPARE(prev.ZoomScale(), 200);
  }

  void analysisPrintShowsThePageAtTheStoredZoom() {
    TIniGT ini(home->filePath("zelkova.ini").toStdString());
    QVERIFY(ini.WriteInteger("PrintZoom", "ratio", 3).ok());
    auto day = Day(24);
    bool shown = false;
    gui::RunAnalysisPrint(nullptr, ini, &prompts, Sj("2024年05月12日"), true, day.get(), [&](TAllPrintForm& f) {
      shown = true;
      QCOMPARE(f.windowTitle(), U8("分析結果印刷"));
      TPrevX* p = f.PrevX1();
      QCOMPARE(p->ZoomScale(), 100);
      QVERIFY(f.zoomChoice()->button(3)->isChecked());
      QCOMPARE(p->pages().pageCount(), 1);
      QCOMPARE(p->pages().page(1).ops().size(), AnalysisPrint(*day, 24).ops().size());
      // The page is painted: the rank 1 in red, the heading band in silver.
      f.ZoomChange(1);
      QCOMPARE(p->ZoomScale(), 50);
      QImage img = p->grab().toImage();
      QVERIFY(Count(img, Reddish) > 0);
      QVERIFY(Count(img, Silver) > 100);
      // PDF without a printer; a missing folder is told and nothing is written.
      QVERIFY(f.SaveAsPdf(home->filePath("day.pdf").toStdString()).ok());
      QVERIFY(Read(home->filePath("day.pdf")).startsWith("%PDF"));
      Status bad = f.SaveAsPdf(home->filePath("no/such/day.pdf").toStdString());
      QVERIFY(!bad.ok());
      QVERIFY(Cp932ToUtf8Lossy(bad.message()).find("PDF") != std::string::npos);
      if (!p->hasPrinter()) {
        prompts.events.clear();
        f.findChild<QPushButton*>("PrintBtn")->click();
        f.findChild<QPushButton*>("SetupBtn")->click();
        QCOMPARE(prompts.events, (QStringList{U8("info:プリンタが登録されていません"), U8("info:プリンタが登録されていません")}));
      }
      f.move(40, 30);
      f.resize(700, 500);
      f.close();
    });
    QVERIFY(shown);
    QCOMPARE(ini.ReadInteger("PrintZoom", "ratio", -1), 1);
    QCOMPARE(ini.ReadInteger("Printlocate", "width", -1), 700);
    QCOMPARE(ini.ReadInteger("Printlocate", "height", -1), 500);
    // A zoom choice out of range shows 50% and is stored as such.
    QVERIFY(ini.WriteInteger("PrintZoom", "ratio", 9).ok());
    gui::RunAnalysisPrint(nullptr, ini, &prompts, Sj("2024年05月12日"), true, day.get(), [&](TAllPrintForm& f) {
      QCOMPARE(f.PrevX1()->ZoomScale(), 50);
      QVERIFY(f.zoomChoice()->button(1)->isChecked());
    });
    QCOMPARE(ini.ReadInteger("PrintZoom", "ratio", -1), 1);
  }

  void analysisPrintWithoutDataOrRaces() {
    TIniGT ini(home->filePath("zelkova.ini").toStdString());
    bool shown = false;
    auto show = [&](TAllPrintForm&) { shown = true; };
    auto day = Day(2);
    gui::RunAnalysisPrint(nullptr, ini, &prompts, "", true, day.get(), show);
    gui::RunAnalysisPrint(nullptr, ini, &prompts, Sj("2024年05月12日"), false, day.get(), show);
    QCOMPARE(prompts.events, (QStringList{"beep", U8("info:データを読み込んでください。"), "beep",
                                          U8("info:データを読み込んでください。")}));
    prompts.events.clear();
    gui::RunAnalysisPrint(nullptr, ini, &prompts, Sj("2024年05月12日"), true, Day(0).get(), show);
    QVERIFY(!shown);
    QVERIFY(prompts.events.isEmpty());
    QVERIFY(!QFile::exists(home->filePath("zelkova.ini")));
  }

  void mainWindowCommandsOnALoadedDay() {
    std::string ra;
    for (int r = 1; r <= 3; ++r) ra += testing::RaceRecord("20240512", "05", r, 1);
    Put(home->filePath(U8("DATA/2024年05月12日.jvRA")), QByteArray::fromStdString(ra));
    // One entry per race: the race view shows each race it is asked for.
    Put(home->filePath(U8("DATA/2024年05月12日東京.jvSEr")),
        QByteArray::fromStdString(testing::EntryFile("20240512", "05", 3, 1)));
    TMainForm w(ctx);
    int printed = 0;
    w.printShow = [&](TAllPrintForm& f) {
      ++printed;
      QCOMPARE(f.PrevX1()->pages().pageCount(), 1);
    };
    // Before a day is loaded: CSV does nothing, print and the hit report ask for data.
    w.findChild<QAction*>("CSV1")->trigger();
    w.findChild<QToolButton*>("PrintBtn")->click();
    w.findChild<QToolButton*>("TekiAnaBtn")->click();
    QCOMPARE(prompts.events, (QStringList{"beep", U8("info:データを読み込んでください。"), "beep",
                                          U8("info:データを読み込んでください。")}));
    QCOMPARE(printed, 0);
    prompts.events.clear();
    w.DateCombo()->setCurrentIndex(w.DateCombo()->findText(U8("2024年05月12日")));
    w.DateComboChange();
    QVERIFY(w.dayLoaded());
    prompts.events.clear();
    w.findChild<QAction*>("CSV1")->trigger();
    QCOMPARE(prompts.events, (QStringList{U8("info:2024年05月12日のCSVファイルを出力しました。")}));
    QCOMPARE(Read(at("CSV/20240512.csv")).count("\r\n"), 4);
    w.findChild<QToolButton*>("PrintBtn")->click();
    QCOMPARE(printed, 1);
    prompts.events.clear();
    w.findChild<QToolButton*>("TekiAnaBtn2")->click();
    QVERIFY2(prompts.events.isEmpty(), qPrintable(prompts.events.join("|")));
    QCOMPARE(shell.opened, QStringList{at("HPupload/TK20240512.txt")});
    QCOMPARE(clip.texts.size(), size_t{1});
    QCOMPARE(QByteArray::fromStdString(clip.texts[0]), Read(at("HPupload/TK20240512.html")));
    // The report walked every race and left the last one selected.
    QCOMPARE(w.DatList()->currentRow(), 2);
    // A folder that cannot be made is told; nothing is opened.
    QVERIFY(QDir(at("HPupload")).removeRecursively());
    Put(at("HPupload"), "a file");
    prompts.events.clear();
    w.findChild<QToolButton*>("TekiAnaBtn")->click();
    QCOMPARE(prompts.events.size(), 1);
    QVERIFY2(prompts.events[0].startsWith(U8("info:的中レポートを出力できませんでした")), qPrintable(prompts.events[0]));
    QCOMPARE(shell.opened.size(), 1);
  }

  void printPdfWithoutADisplay() {
    const QString exe = QString(ZELKOVA_BIN_DIR) + "/zelkova";
    if (!QFile::exists(exe)) QSKIP("the program is not built");
    std::string ra;
    for (int r = 1; r <= 2; ++r) ra += testing::RaceRecord("20240512", "05", r);
    Put(home->filePath(U8("DATA/2024年05月12日.jvRA")), QByteArray::fromStdString(ra));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    p.setProcessEnvironment(env);
    p.start(exe, {"--home", home->path(), "--date", U8("2024年05月12日"), "--print-pdf", home->filePath("a.pdf")});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    QVERIFY(Read(home->filePath("a.pdf")).startsWith("%PDF"));
    // A date without data is named, and no file is made.
    p.start(exe, {"--home", home->path(), "--date", "20240519", "--print-pdf", home->filePath("b.pdf")});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 1);
    QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(U8("2024年05月19日")));
    QVERIFY(!QFile::exists(home->filePath("b.pdf")));
  }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  OutputsTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "outputs_test.moc"
