// The past-runs window and the frequency pages in the real main window over a generated,
// downloaded season: a horse-name click opens that horse, its sort buttons reorder the runs, the
// 集計 page sums the stored days from the chosen month on, and 出目一覧 paints the finishers'
// ranks race by race.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "analysis/past_runs_view.h"
#include "analysis/rank_frequency.h"
#include "app/app_context.h"
#include "base/cp932.h"
#include "gui/history_pages.h"
#include "gui/kakoso_form.h"
#include "gui/main_form.h"
#include "gui/race_grid.h"
#include "gui/race_view_pages.h"
#include "output/race_list.h"
#include "store/stored_paths.h"
#include "gui_fakes.h"
#include "season_home.h"
#include "../support/app_fixtures.h"
#include "../support/test_support.h"

using namespace zelkova;
using zelkova::gui::RaceGrid;
using zelkova::gui::TMainForm;
using zelkova::testing::U8;

namespace {

QString Q8(const std::string& cp932) { return QString::fromStdString(Cp932ToUtf8Lossy(cp932)); }

// The colour a cell is painted with at `offset` from its top left corner.
QColor CellColour(QTableWidget* g, int row, int col, QPoint offset = {1, 1}) {
  const QImage img = g->viewport()->grab().toImage();
  const QRect r = g->visualRect(g->model()->index(row, col));
  return img.pixelColor(r.topLeft() + offset);
}

}  // namespace

class HistoryTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir;
  QString home;
  testing::Prompts_ prompts;
  testing::Clipboard_ clipboard;
  testing::FakeClock clock{LocalTime{2024, 5, 12, 9, 0, 0}};
  testing::FakeJvLink jv;
  AppContext ctx;

  std::unique_ptr<TMainForm> make() {
    auto w = std::make_unique<TMainForm>(ctx);
    w->resize(1400, 900);
    return w;
  }
  void open(TMainForm& w, const char* page) {
    w.PageControl1()->setCurrentWidget(w.findChild<QWidget*>(page));
    QApplication::processEvents();
  }
  RankFrequency stored(const char* yyyymmdd) {
    auto r = ReadDayFrequency(DataPath(ctx.programFolder, DateText(yyyymmdd), ".Hind"));
    if (!r.ok()) qWarning() << Q8(r.status().message());
    return r.ok() ? *r : RankFrequency{};
  }
  static QString cell(QTableWidget* g, int row, int col) { return g->item(row, col) ? g->item(row, col)->text() : QString(); }

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
    ctx.clipboard = &clipboard;
  }

  void init() {
    prompts.events.clear();
    clipboard.texts.clear();
  }

  void aNameOpensThatHorseAndItsRunsSort() {
    auto w = make();
    gui::TKakosoForm kakoso(ctx.settingsPath());
    w->setKakosoForm(&kakoso);
    w->show();
    // Before a day is loaded the 過去走 button has no horse to show, and says so.
    w->findChild<QToolButton*>("kakosoBtn")->click();
    QVERIFY(!kakoso.isVisible());
    QCOMPARE(prompts.infos(), QStringList{U8("データを読み込んでください。")});
    prompts.events.clear();
    // The race and runner with the most stored runs, so that the sort has something to order.
    QVERIFY(w->ShowRace("20240512", 0, U8("着RT"), nullptr));
    const std::vector<int> listed = RaceListSlots(*w->raceDay());
    int item = -1, number = -1, most = -1;
    for (size_t i = 0; i < listed.size(); ++i) {
      const RaceInfo& race = w->raceDay()->Races[static_cast<size_t>(listed[i])];
      for (int h = 0; h < race.Figures.RunnerCount; ++h) {
        int runs = 0;
        for (const PastRun& p : race.Runners[static_cast<size_t>(h)].PastRuns) runs += !IsBlank(p.RaRecord.field(12, 4));
        if (runs > most) {
          most = runs;
          item = static_cast<int>(i);
          number = h + 1;
        }
      }
    }
    QVERIFY2(most >= 3, "no runner of the day has three stored runs");
    QVERIFY(w->ShowRace("20240512", item + 1, U8("着RT"), nullptr));
    RaceGrid* g = w->raceViewPages()->grid(ViewGridId::ChakuRT);
    QApplication::processEvents();
    int row = 0;
    while (row < g->rowCount() && g->item(row, 1)->text().toInt() != number) ++row;
    QVERIFY(row < g->rowCount());
    const QString horse = g->item(row, 3)->text().trimmed();
    QVERIFY(!kakoso.isVisible());
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->model()->index(row, 3)).center());
    QVERIFY(kakoso.isVisible());
    QCOMPARE(w->raceDay()->CurrentRunner, number - 1);
    auto* uma = kakoso.findChild<QLabel*>("UmaLabel");
    QVERIFY2(uma->text().startsWith(horse), qPrintable(uma->text() + " / " + horse));
    RaceGrid* runs = kakoso.grid();
    QCOMPARE(runs->rowCount(), std::min(most, kKakosoRuns));
    for (int r = 0; r < runs->rowCount(); ++r) QCOMPARE(cell(runs, r, 0).toInt(), r + 1);
    // The record labels come from the horse's master.
    QVERIFY(!kakoso.findChild<QLabel*>("SogoLabel")->text().isEmpty());

    // 着順: places ascending, equal places newest first; No. puts the slots back.
    auto* finish = kakoso.findChild<QToolButton*>("SpeedButton77_10");
    QCOMPARE(finish->text(), U8("着順"));
    finish->click();
    for (int r = 1; r < runs->rowCount(); ++r) {
      const QString a = cell(runs, r - 1, 14), b = cell(runs, r, 14);
      QVERIFY2(a < b || (a == b && cell(runs, r - 1, 1) >= cell(runs, r, 1)), qPrintable(a + " " + b));
    }
    const int top = cell(runs, 0, 14).toInt();
    QCOMPARE(CellColour(runs, 0, 14), top == 1   ? QColor(255, 0, 255)
                                      : top == 2 ? QColor(255, 255, 0)
                                      : top == 3 ? QColor(0, 255, 255)
                                                 : QColor(255, 255, 255));
    kakoso.findChild<QToolButton*>("SpeedButton77_0")->click();
    for (int r = 0; r < runs->rowCount(); ++r) QCOMPARE(cell(runs, r, 0).toInt(), r + 1);

    // The copy command: the horse's line, then the grid with its titles.
    kakoso.N10Click();
    QCOMPARE(clipboard.texts.size(), size_t{1});
    const QString copied = Q8(clipboard.texts[0]);
    QVERIFY(copied.startsWith(uma->text() + "\r\nNo\t"));
    QCOMPARE(copied.count("\r\n"), 2 + runs->rowCount());

    // The toolbar's 過去走 button opens the same runner; another click another one, in No. order
    // again.
    kakoso.hide();
    finish->click();
    auto* pastRuns = w->findChild<QToolButton*>("kakosoBtn");
    QVERIFY(pastRuns);
    QCOMPARE(pastRuns->text(), U8("過去走"));
    pastRuns->click();
    QVERIFY(kakoso.isVisible());
    QCOMPARE(cell(runs, 0, 0), QString(" 1"));
    const int other = row == 0 ? 1 : 0;
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->model()->index(other, 3)).center());
    QVERIFY(uma->text().startsWith(g->item(other, 3)->text().trimmed()));
    QVERIFY2(prompts.infos().isEmpty(), qPrintable(prompts.infos().join("|")));
  }

  void sumAddsTheStoredDaysFromTheChosenMonth() {
    auto w = make();
    w->show();
    // Each load stores its day's counts and shows them on 集計.
    QVERIFY(w->ShowRace("20240505", 0, {}, nullptr));
    QVERIFY(w->ShowRace("20240511", 0, {}, nullptr));
    const RankFrequency a = stored("20240505"), b = stored("20240511");
    int64_t total = 0;
    for (int32_t v : b) total += v;
    QVERIFY(total > 0);
    auto* g = w->findChild<RaceGrid*>("StringGrid15");
    QVERIFY(g);
    open(*w, "TabSheetShukei");
    QCOMPARE(g->rowCount(), 19);
    QCOMPARE(g->columnCount(), 25);
    QCOMPARE(g->horizontalHeaderItem(1)->text(), U8("着RT"));
    QCOMPARE(cell(g, 0, 1), U8("1着"));
    QCOMPARE(cell(g, 1, 0), QString(" 1"));
    QCOMPARE(cell(g, 1, 1).toInt(), b[FrequencyIndex(0, 1, 1)]);

    // Every file from May 2024 on: both days, summed count by count.
    auto* year = w->findChild<QSpinBox*>("SpinEdit1");
    auto* month = w->findChild<QSpinBox*>("SpinEdit2");
    year->setValue(2024);
    month->setValue(5);
    w->findChild<QToolButton*>("SumBtn")->click();
    for (int c = 0; c < kFrequencyCategories; ++c)
      for (int p = 1; p <= kFrequencyPositions; ++p)
        for (int r = 1; r <= kFrequencyRanks; ++r) {
          const size_t i = FrequencyIndex(c, p, r);
          QCOMPARE(cell(g, r, 3 * c + p).toInt(), a[i] + b[i]);
        }
    QVERIFY2(w->findChild<QLabel*>("Label4")->text().contains(U8("集計")), qPrintable(w->findChild<QLabel*>("Label4")->text()));
    QCOMPARE(CellColour(g, 0, 5), QColor(192, 192, 192));
    QCOMPARE(CellColour(g, 5, 0), QColor(0, 255, 255));
    // A later month sums nothing; the bound is kept in the settings.
    month->setValue(6);
    QCOMPARE(TIniGT(ctx.settingsPath()).ReadInteger("ShukeiSpan", "tuki", 0), 6);
    w->findChild<QToolButton*>("SumBtn")->click();
    QCOMPARE(cell(g, 1, 1), QString(" 0"));
    QVERIFY2(prompts.infos().isEmpty(), qPrintable(prompts.infos().join("|")));
    year->setValue(2005);
    month->setValue(1);
  }

  void demeShowsTheFinishersRanksRaceByRace() {
    auto w = make();
    w->show();
    QVERIFY(w->ShowRace("20240511", 0, U8("出目一覧"), nullptr));
    auto* courses = w->findChild<QTabWidget*>("PageControl3");
    QVERIFY(courses->isTabVisible(0));
    courses->setCurrentIndex(0);
    QApplication::processEvents();
    auto* g = w->findChild<gui::DemeGrid*>("StringGrid12");
    QVERIFY(g);
    const RaceDay& day = *w->raceDay();
    const int first = g->firstSlot();
    QVERIFY(first >= 0);
    int races = 0;
    for (int s = 0; s < day.RaceCount; ++s) races += day.Races[static_cast<size_t>(s)].RaRecord.field(20, 2) == day.Races[static_cast<size_t>(first)].RaRecord.field(20, 2);
    QCOMPARE(g->rowCount(), races + 1);
    QCOMPARE(g->rowHeight(1), kDemeRowHeight);
    QCOMPARE(g->columnWidth(0), 27);
    QCOMPARE(g->columnWidth(1), 90);
    // Titles on silver, race numbers on aqua, the rank cells on their pale background.
    QCOMPARE(CellColour(g, 0, 1, {86, 36}), QColor(192, 192, 192));
    QCOMPARE(CellColour(g, 1, 0, {1, 1}), QColor(0, 255, 255));
    QCOMPARE(CellColour(g, 1, 2, {25, 22}), QColor(255, 251, 240));
    // The first race's winner, ranked by 着RT: the core's drawing holds that rank as text, and the
    // cell holds its colour where a rank 1 is drawn in red.
    const RaceInfo& race = day.Races[static_cast<size_t>(first)];
    const int winner = static_cast<int>(race.HrRecord.fieldInt(142, 2));
    QVERIFY(winner > 0);
    const int rank = CategoryRank(race.Figures, 0, winner - 1);
    char want[8];
    std::snprintf(want, sizeof want, "%2d", rank);
    bool found = false;
    const PaintList drawn = DemeCell(day, first, 1, 1, 90, 25);
    for (const PaintOp& op : drawn.ops())
      found |= op.kind == PaintOp::Kind::Text && op.text == (rank < 1 ? std::string(" ") : std::string(want)) && op.x1 == 6;
    QVERIFY(found);
    const QImage img = g->viewport()->grab().toImage();
    const QRect r = g->visualRect(g->model()->index(1, 1));
    bool red = false;
    for (int x = r.left() + 2; x < r.left() + 29; ++x)
      for (int y = r.top() + 3; y < r.bottom() - 2; ++y) red |= img.pixelColor(x, y) == QColor(255, 0, 0);
    QCOMPARE(red, rank == 1);
  }
};

QTEST_MAIN(HistoryTest)
#include "history_test.moc"
