// The past-runs window showing a hand-built runner: its labels and grid come from the core view,
// the 着 cells carry their colours, the sort buttons reorder the rows, the copy command puts the
// header line first, and the window keeps its place.
#include <QApplication>
#include <QLabel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <cstring>

#include "base/cp932.h"
#include "base/platform.h"
#include "gui/kakoso_form.h"
#include "gui_fakes.h"
#include "gui/race_grid.h"
#include "settings/ini_gt.h"

using namespace zelkova;

namespace {

QString U8(const char* s) { return QString::fromUtf8(s); }

template <size_t L>
void Put(RecordImage<L>& img, size_t pos, std::string_view text) {
  std::memcpy(img.bytes.data() + pos - 1, text.data(), text.size());
}

void SetRun(Runner& r, int slot, const char* date, const char* finish) {
  PastRun& run = r.PastRuns[static_cast<size_t>(slot)];
  Put(run.SeRecord, 12, date);
  Put(run.SeRecord, 335, finish);
  Put(run.SeRecord, 332, "0");
  Put(run.RaRecord, 12, date);
  Put(run.RaRecord, 20, "05");
  Put(run.RaRecord, 698, "1600");
}

// The colour a cell is painted with, just inside its top left corner.
QColor cellColour(QTableWidget* g, int row, int col) {
  const QImage img = g->viewport()->grab().toImage();
  const QRect r = g->visualRect(g->model()->index(row, col));
  return img.pixelColor(r.topLeft() + QPoint(1, 1));
}

class RecordingClipboard : public Clipboard {
 public:
  void setText(const std::string& t) override { text = t; }
  std::string text;
};

}  // namespace

class KakosoFormTest : public QObject {
  Q_OBJECT

 private slots:
  void showsTheViewSortsAndCopies() {
    QTemporaryDir dir;
    const std::filesystem::path ini = dir.filePath("zelkova.ini").toStdString();
    auto race = std::make_unique<RaceInfo>();
    Runner& r = race->Runners[2];
    Put(r.SeRecord, 12, "20240512");
    Put(r.SeRecord, 41, Sj("ゼルコヴァ"));
    Put(r.UmRecord, 12, "2020100001");
    Put(r.UmRecord, 1107, "001000002000000003");
    SetRun(r, 0, "20240407", "03");
    SetRun(r, 1, "20240303", "01");
    SetRun(r, 2, "20231008", "01");
    race->Figures.SpeedByClass[2][0] = 990.5;

    gui::TKakosoForm form(ini);
    RecordingClipboard clip;
    form.setClipboard(&clip);
    form.fill(FillKakosoView(*race, 2));
    QCOMPARE(form.windowTitle(), U8("馬成績"));
    QVERIFY(form.findChild<QLabel*>("UmaLabel")->text().startsWith(U8("ゼルコヴァ")));
    QCOMPARE(form.findChild<QLabel*>("SogoLabel")->text(), QString(" 1- 0- 2- 0- 0- 3"));
    QCOMPARE(form.findChild<QLabel*>("SibaTanSPLabel")->text(), QString("990.5"));
    QVERIFY(form.findChild<QLabel*>("DirtOmoFukLabel"));
    form.show();
    gui::RaceGrid* g = form.grid();
    QCOMPARE(g->rowCount(), 3);
    QCOMPARE(g->horizontalHeaderItem(14)->text(), U8("着"));
    QCOMPARE(g->columnWidth(5), 75);
    QCOMPARE(g->item(0, 14)->text(), QString(" 3"));
    QCOMPARE(cellColour(g, 1, 14), QColor(255, 0, 255));
    QCOMPARE(cellColour(g, 0, 14), QColor(0, 255, 255));
    QCOMPARE(cellColour(g, 0, 0), QColor(0, 255, 255));

    // 着順: the wins first, the newer win above the older; the colours move with the rows.
    auto* finish = form.findChild<QToolButton*>("SpeedButton77_10");
    QVERIFY(finish);
    QCOMPARE(finish->text(), U8("着順"));
    finish->click();
    QCOMPARE(g->item(0, 0)->text(), QString(" 2"));
    QCOMPARE(g->item(1, 0)->text(), QString(" 3"));
    QCOMPARE(g->item(2, 0)->text(), QString(" 1"));
    QCOMPARE(cellColour(g, 0, 14), QColor(255, 0, 255));

    form.N10Click();
    QVERIFY(QString::fromStdString(Cp932ToUtf8Lossy(clip.text)).startsWith(form.findChild<QLabel*>("UmaLabel")->text() + "\r\nNo\t"));

    // Refilled on every opening, back in No. order.
    form.fill(FillKakosoView(*race, 2));
    QCOMPARE(g->item(0, 0)->text(), QString(" 1"));

    form.setGeometry(40, 50, 700, 400);
    form.close();
    TIniGT settings(ini);
    QCOMPARE(settings.ReadInteger("locateKakoso", "width", 0), 700);

    // A position that cannot be saved is told, not lost in silence.
    testing::CheckUnsavedPositionIsTold<gui::TKakosoForm>(dir.path());
  }

  // The window is the main window's companion: left open, it does not keep the program running
  // once the main window is closed (終了).
  void closingTheMainWindowEndsTheProgramWhileItIsOpen() {
    QTemporaryDir dir;
    gui::TKakosoForm form(dir.filePath("zelkova.ini").toStdString());
    QWidget main;
    main.show();
    form.show();
    QApplication::setQuitOnLastWindowClosed(true);
    QTimer::singleShot(0, &main, [&main] { main.close(); });
    QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(1); });  // still running
    QCOMPARE(QCoreApplication::exec(), 0);
  }
};

QTEST_MAIN(KakosoFormTest)
#include "kakoso_form_test.moc"
