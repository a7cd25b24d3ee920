// The copy command and the hit report in the real main window over a generated, downloaded
// season: which grids take the pop-up menu and become the copy target, the clipboard text of a
// sorted grid, and the hit report that shows every race on the way.
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "analysis/race_view.h"
#include "app/app_context.h"
#include "base/cp932.h"
#include "gui/main_form.h"
#include "gui/race_grid.h"
#include "gui/race_view_pages.h"
#include "output/grid_clipboard.h"
#include "output/race_list.h"
#include "../support/app_fixtures.h"
#include "../support/test_support.h"
#include "gui_fakes.h"
#include "season_home.h"

using namespace zelkova;
using zelkova::gui::RaceGrid;
using zelkova::gui::TMainForm;
using testing::U8;

namespace {

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The clipboard text as lines (the CR LF after the last row leaves no empty line).
QStringList Lines(const std::string& cp932) {
  QStringList lines = QString::fromStdString(Cp932ToUtf8Lossy(cp932)).split("\r\n");
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  return lines;
}

// What the widget shows: its titles, then its rows, each as tab-joined texts.
QStringList Shown(const RaceGrid& g) {
  QStringList lines, cells;
  for (int c = 0; c < g.columnCount(); ++c) cells << g.horizontalHeaderItem(c)->text();
  lines << cells.join('\t');
  for (int r = 0; r < g.rowCount(); ++r) {
    cells.clear();
    for (int c = 0; c < g.columnCount(); ++c) cells << g.item(r, c)->text();
    lines << cells.join('\t');
  }
  return lines;
}

// Brings up the context menu over `w` at `at` and picks N10 from it.
void CopyThroughTheMenu(QWidget* w, QPoint at) {
  bool picked = false;
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return;
    for (QAction* a : menu->actions())
      if (a->objectName() == "N10") {
        picked = true;
        a->trigger();
      }
    menu->close();
  });
  QContextMenuEvent e(QContextMenuEvent::Mouse, at, w->mapToGlobal(at));
  QApplication::sendEvent(w, &e);
  QVERIFY(picked);
}

}  // namespace

class GridCopyTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir;
  QString home;
  testing::Prompts_ prompts;
  testing::Clipboard_ clip;
  testing::Shell_ shell;
  testing::FakeClock clock{LocalTime{2024, 5, 12, 9, 0, 0}};
  testing::FakeJvLink jv;
  AppContext ctx;

  std::unique_ptr<TMainForm> shown(const char* date, int race, const char* page) {
    auto w = std::make_unique<TMainForm>(ctx);
    w->resize(1400, 900);
    w->show();
    QString why;
    if (!w->ShowRace(U8(date), race, U8(page), &why)) {
      qWarning() << why;
      return nullptr;
    }
    QApplication::processEvents();
    return w;
  }
  static RaceGrid* grid(TMainForm& w, ViewGridId id) { return w.raceViewPages()->grid(id); }
  // The race title as the view wrote it (the label shows it without its trailing blanks).
  static QString title(TMainForm& w) {
    const QString text = QString::fromStdString(Cp932ToUtf8Lossy(w.raceView().header.TitleLabel1));
    return text.trimmed() == w.findChild<QLabel*>("TitleLabel1")->text() ? text : QString("(not shown)");
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir.isValid());
    if (!testing::SeasonToolsBuilt()) QSKIP("zelkova-feedgen and zelkova-cli are not built");
    home = dir.filePath("home");
    QVERIFY(testing::DownloadedSeason(home, dir.filePath("feed"), 7));
    ctx.programFolder = home.toStdString();
    ctx.prompts = &prompts;
    ctx.clock = &clock;
    ctx.jvlink = &jv;
    ctx.clipboard = &clip;
    ctx.shellOpen = &shell;
  }

  void init() {
    prompts = testing::Prompts_{};
    clip = testing::Clipboard_{};
    shell = testing::Shell_{};
  }

  void aPressedGridIsCopiedAsShown() {
    auto w = shown("20240511", 11, "着RT");
    QVERIFY(w);
    auto* n10 = w->findChild<QAction*>("N10");
    // Nothing pressed yet: nothing to copy.
    n10->trigger();
    QVERIFY(clip.texts.empty());
    w->findChild<QButtonGroup*>("SpeedButton39")->button(3)->click();  // 着ＲＴ
    RaceGrid* g = grid(*w, ViewGridId::ChakuRT);
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->model()->index(1, 5)).center());
    QCOMPARE(w->CurrentGrid(), static_cast<QTableWidget*>(g));
    n10->trigger();
    QCOMPARE(clip.texts.size(), size_t{1});
    const QStringList lines = Lines(clip.texts[0]);
    // The race title, the titles (the hidden spacers as empty cells), then every row as sorted.
    QVERIFY(title(*w).startsWith(U8("2024年 5月11日")));
    QCOMPARE(lines.value(0), title(*w));
    QCOMPARE(lines.mid(1), Shown(*g));
    QCOMPARE(lines[1].count('\t'), 27);
    QCOMPARE(lines[2].split('\t')[22], QString(" 1"));
    // Exactly the core's bytes: the texts are not re-encoded on the way.
    QCOMPARE(clip.texts[0], GridClipboardText(CellsOf(w->raceView().grid(ViewGridId::ChakuRT)), 0, 0,
                                              w->raceView().header.TitleLabel1, g->rowCount(), 27));
  }

  void theTextGridsTakeTheMenuAndTheDrawnOnesDoNot() {
    auto w = shown("20240511", 3, "基本情報");
    QVERIFY(w);
    for (int i = 0; i < kViewGridCount; ++i) {
      const auto id = static_cast<ViewGridId>(i);
      QCOMPARE(grid(*w, id)->contextMenuPolicy() == Qt::CustomContextMenu, HasCopyMenu(id));
    }
    // The title row is the grid too: a press there makes it the target, and the menu copies it.
    RaceGrid* kihon = grid(*w, ViewGridId::Kihon);
    QWidget* titles = kihon->horizontalHeader()->viewport();
    QTest::mouseClick(titles, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(w->CurrentGrid(), static_cast<QTableWidget*>(kihon));
    CopyThroughTheMenu(titles, QPoint(5, 5));
    QCOMPARE(clip.texts.size(), size_t{1});
    QCOMPARE(Lines(clip.texts[0]).mid(1), Shown(*kihon));
    // The menu over the cells of another grid copies that grid.
    w->PageControl1()->setCurrentWidget(w->findChild<QWidget*>("TabSheetBataiju"));
    QApplication::processEvents();
    RaceGrid* weights = grid(*w, ViewGridId::Bataiju);
    CopyThroughTheMenu(weights->viewport(), weights->visualRect(weights->model()->index(0, 7)).center());
    QCOMPARE(w->CurrentGrid(), static_cast<QTableWidget*>(weights));
    QCOMPARE(clip.texts.size(), size_t{2});
    const QStringList lines = Lines(clip.texts[1]);
    QCOMPARE(lines.value(0), title(*w));
    QCOMPARE(lines.mid(1), Shown(*weights));
    // The record card and the race card are drawn, not written: pressing them keeps the target.
    for (ViewGridId id : {ViewGridId::Jisseki, ViewGridId::Umabashira}) {
      RaceGrid* drawn = grid(*w, id);
      w->PageControl1()->setCurrentWidget(drawn->parentWidget());
      QApplication::processEvents();
      QTest::mouseClick(drawn->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
      QCOMPARE(w->CurrentGrid(), static_cast<QTableWidget*>(weights));
    }
  }

  // Runs last: it takes one racecourse's entries away from a day.
  void theHitReportShowsEveryRaceAsTheCliDoes() {
    {
      auto w = shown("20240511", 1, {});
      QVERIFY(w);
      const int races = w->DatList()->count();
      QVERIFY(races > 1);
      prompts.events.clear();
      w->findChild<QToolButton*>("TekiAnaBtn2")->click();
      QVERIFY2(prompts.events.isEmpty(), qPrintable(prompts.events.join("|")));
      QCOMPARE(w->DatList()->currentRow(), races - 1);
      QCOMPARE(w->raceDay()->CurrentRace, RaceListSlots(*w->raceDay()).back());
      QVERIFY(!w->Panel12()->isHidden());
    }
    const QByteArray gui = Read(home + "/HPupload/TK20240511.html");
    QVERIFY(gui.count("<font color=\"") > 8);
    QVERIFY(testing::RunProgram(QString(ZELKOVA_BIN_DIR) + "/zelkova-cli",
                {"--home", home, "hit-report", "20240511", "--threshold", "5000"}));
    QCOMPARE(Read(home + "/HPupload/TK20240511.html"), gui);

    // Races without entries cannot be shown: each says so once, not once per rating.
    QDir data(home + "/Data");
    const QStringList entries = data.entryList({U8("2024年05月11日*.jvSEr")}, QDir::Files, QDir::Name);
    QVERIFY(entries.size() >= 2);
    QVERIFY(data.remove(entries[0]));
    auto w = shown("20240511", 0, {});
    QVERIFY(w);
    prompts.events.clear();
    w->findChild<QToolButton*>("TekiAnaBtn")->click();
    const QStringList infos = prompts.infos();
    QVERIFY(!infos.isEmpty());
    QCOMPARE(QSet<QString>(infos.begin(), infos.end()).size(), infos.size());
    for (const QString& i : infos) QVERIFY2(i.endsWith(U8("レースはデータが不十分です。")), qPrintable(i));
    QVERIFY(!shell.opened.isEmpty());
  }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  GridCopyTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "grid_copy_test.moc"
