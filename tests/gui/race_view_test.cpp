// The race view in the real main window over a generated, downloaded season: choosing races,
// the grids' cells and colours, sort buttons, clicks on names and check marks, the controls that
// re-run the view.
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "analysis/race_view.h"
#include "analysis/view_styles.h"
#include "app/app_context.h"
#include "base/cp932.h"
#include "gui/kakoso_form.h"
#include "gui/main_form.h"
#include "base/fixed_fields.h"
#include "gui/paint_list_painter.h"
#include "gui/qt_platform.h"
#include "gui/race_grid.h"
#include "gui/race_view_pages.h"
#include "settings/ini_gt.h"
#include "../support/app_fixtures.h"
#include "../support/test_support.h"
#include "season_home.h"

using namespace zelkova;
using zelkova::gui::RaceGrid;
using zelkova::gui::TMainForm;

namespace {

QString U8(const char* s) { return QString::fromUtf8(s); }

struct Prompts_ : Prompts {
  void beep() override {}
  void information(const std::string& t) override { infos << QString::fromStdString(Cp932ToUtf8Lossy(t)); }
  bool confirm(const std::string&) override { return false; }
  void statusText(const std::string&) override {}
  void processEvents() override {}
  void busyCursor(bool) override {}
  QStringList infos;
};

}  // namespace

class RaceViewTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir;
  QString home;
  Prompts_ prompts;
  testing::FakeClock clock{LocalTime{2024, 5, 12, 9, 0, 0}};
  testing::FakeJvLink jv;
  AppContext ctx;

  std::unique_ptr<TMainForm> make() {
    auto w = std::make_unique<TMainForm>(ctx);
    w->resize(1400, 900);
    return w;
  }
  static void choose(TMainForm& w, const char* date, int race) {
    QVERIFY(w.ShowRace(U8(date), race, {}, nullptr));
  }
  static RaceGrid* grid(TMainForm& w, ViewGridId id) { return w.raceViewPages()->grid(id); }
  // The colour a cell is painted with, just inside its top left corner.
  static QColor cellColour(RaceGrid* g, int row, int col) {
    const QImage img = g->viewport()->grab().toImage();
    const QRect r = g->visualRect(g->model()->index(row, col));
    return img.pixelColor(r.topLeft() + QPoint(1, 1));
  }
  static QColor C(Rgb c) { return QColor(c.r, c.g, c.b); }
  QString label(TMainForm& w, const char* name) { return w.findChild<QLabel*>(name)->text(); }

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
  }

  void init() { prompts.infos.clear(); }

  void choosingARaceFillsLabelsAndGrids() {
    auto w = make();
    choose(*w, "20240511", 11);
    QVERIFY2(prompts.infos.isEmpty(), qPrintable(prompts.infos.join("|")));
    QVERIFY(!w->Panel12()->isHidden());
    QCOMPARE(label(*w, "RaceLabel"), QString("11"));
    QVERIFY2(label(*w, "TitleLabel1").startsWith(U8("2024年 5月11日(土)")), qPrintable(label(*w, "TitleLabel1")));
    const RaceView& v = w->raceView();
    const RaceInfo& race = w->raceDay()->Races[static_cast<size_t>(w->raceDay()->CurrentRace)];
    const int runners = static_cast<int>(race.RaRecord.fieldInt(882, 2));
    QVERIFY(runners >= 5);
    // Every grid shows the core's texts, one widget row per runner.
    for (int i = 0; i < kViewGridCount; ++i) {
      const auto id = static_cast<ViewGridId>(i);
      RaceGrid* g = grid(*w, id);
      QVERIFY(g);
      QCOMPARE(g->rowCount(), runners);
      QCOMPARE(g->columnCount(), v.grid(id).colCount());
      QCOMPARE(g->horizontalHeaderItem(3)->text(), QString::fromStdString(Cp932ToUtf8Lossy(v.grid(id).cell(0, 3))));
      for (int r = 1; r <= runners; ++r)
        for (int c = 0; c < g->columnCount(); ++c)
          QCOMPARE(g->item(r - 1, c)->text(), QString::fromStdString(Cp932ToUtf8Lossy(v.grid(id).cell(r, c))));
    }
    QCOMPARE(grid(*w, ViewGridId::ChakuRT)->columnWidth(3), 120);
    QVERIFY(grid(*w, ViewGridId::ChakuRT)->isColumnHidden(6));
    QCOMPARE(grid(*w, ViewGridId::Jisseki)->rowHeight(0), 50);
    QCOMPARE(grid(*w, ViewGridId::Umabashira)->rowHeight(0), 76);
    // A finished race: its payouts are shown, and the final odds the download stored for it,
    // marked final where the announcement time would be.
    auto* payouts = w->findChild<QTableWidget*>("PayoutGrid");
    QVERIFY(!payouts->isRowHidden(0));
    QVERIFY(!payouts->item(0, 2)->text().isEmpty());
    QCOMPARE(w->findChild<QLabel*>("O1TimeLabel")->text(), U8("確定"));
    QCOMPARE(w->findChild<QLabel*>("O2TimeLabel")->text(), U8("確定"));
    // Not race day: no countdown.
    QVERIFY(!w->Timer3.isActive());
    choose(*w, "20240512", 1);
    QVERIFY(w->Timer3.isActive());
  }

  void keysInTheRaceListChooseTheRace() {
    auto w = make();
    choose(*w, "20240511", 1);
    QListWidget* list = w->DatList();
    QVERIFY(list->count() >= 3);
    const int first = w->raceDay()->CurrentRace;
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentRow(), 1);
    QVERIFY(w->raceDay()->CurrentRace != first);
    QCOMPARE(label(*w, "RaceLabel"), QString("2"));
    QTest::keyClick(list, Qt::Key_End);
    QCOMPARE(w->raceView().slot(), w->raceDay()->CurrentRace);
    QCOMPARE(label(*w, "RaceLabel"),
             QString::number(w->raceDay()->Races[static_cast<size_t>(w->raceDay()->CurrentRace)].RaRecord.fieldInt(26, 2)));
    // A key that does not move the selection shows nothing again.
    QTest::keyClick(list, Qt::Key_End);
    QVERIFY(prompts.infos.isEmpty());
  }

  void draggingInTheRaceListChoosesTheRaceReleasedOn() {
    auto w = make();
    w->show();
    choose(*w, "20240511", 1);
    QListWidget* list = w->DatList();
    QWidget* port = list->viewport();
    const QPoint from = list->visualItemRect(list->item(0)).center(), to = list->visualItemRect(list->item(2)).center();
    QTest::mousePress(port, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), port->mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(port, &move);
    QTest::mouseRelease(port, Qt::LeftButton, {}, to);
    QCOMPARE(list->currentRow(), 2);
    QCOMPARE(label(*w, "RaceLabel"), QString("3"));
    QVERIFY(prompts.infos.isEmpty());
  }

  void coloursFollowTheCoreRules() {
    auto w = make();
    w->show();
    choose(*w, "20240511", 11);
    w->PageControl1()->setCurrentWidget(w->findChild<QWidget*>("TabSheetChakuRT"));
    QApplication::processEvents();
    RaceGrid* g = grid(*w, ViewGridId::ChakuRT);
    const ViewGrid& core = w->raceView().grid(ViewGridId::ChakuRT);
    for (int r = 0; r < g->rowCount(); ++r) {
      QCOMPARE(cellColour(g, r, 0), C(core.style(r + 1, 0).background));
      QCOMPARE(cellColour(g, r, 1), C(kInfoBackground));
      QCOMPARE(cellColour(g, r, 7), C(core.style(r + 1, 7).background));
      QCOMPARE(cellColour(g, r, 27), C(core.style(r + 1, 27).background));
    }
    // Frame colours as the frame number says.
    for (int r = 0; r < g->rowCount(); ++r)
      QCOMPARE(cellColour(g, r, 0), C(BracketColour(g->item(r, 0)->text().toInt())));
  }

  void sortButtonsReorderRowsAndStayDown() {
    auto w = make();
    choose(*w, "20240511", 11);
    auto* group = w->findChild<QButtonGroup*>("SpeedButton39");
    QVERIFY(group);
    QVERIFY(group->button(0)->isChecked());
    QCOMPARE(group->button(3)->text(), U8("着ＲＴ"));
    group->button(3)->click();
    RaceGrid* g = grid(*w, ViewGridId::ChakuRT);
    // Ranks ascending as texts, the unranked ("　") last in 馬番 order.
    auto sortedByRank = [g] {
      for (int r = 1; r < g->rowCount(); ++r) {
        const QByteArray a = g->item(r - 1, 22)->text().toUtf8(), b = g->item(r, 22)->text().toUtf8();
        if (a > b) return false;
        if (a == b && g->item(r - 1, 1)->text().toInt() > g->item(r, 1)->text().toInt()) return false;
      }
      return true;
    };
    QVERIFY(sortedByRank());
    QCOMPARE(g->item(0, 22)->text(), QString(" 1"));
    QCOMPARE(w->raceView().pressedButton(ViewGridId::ChakuRT), 3);
    // The next race keeps the button down and is sorted by it.
    w->UpDown1Click(true);
    QVERIFY(group->button(3)->isChecked());
    QVERIFY(sortedByRank());
    // 馬番 again.
    group->button(0)->click();
    for (int r = 0; r < g->rowCount(); ++r) QCOMPARE(g->item(r, 1)->text().toInt(), r + 1);
  }

  void namesOpenThePastRunsAndChecksToggle() {
    auto w = make();
    gui::TKakosoForm kakoso(ctx.settingsPath());
    w->setKakosoForm(&kakoso);
    w->show();
    choose(*w, "20240511", 11);
    w->PageControl1()->setCurrentWidget(w->findChild<QWidget*>("TabSheetNinRT"));
    QApplication::processEvents();
    RaceGrid* g = grid(*w, ViewGridId::NinRT);
    // A press makes the grid the copy target; a click on a name opens the past runs.
    QRect name = g->visualRect(g->model()->index(2, 3));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, name.center());
    QCOMPARE(w->CurrentGrid(), static_cast<QTableWidget*>(g));
    QCOMPARE(w->raceDay()->CurrentRunner, 2);
    QVERIFY(kakoso.isVisible());
    QTest::mouseMove(g->viewport(), name.center());
    QCOMPARE(g->viewport()->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(g->viewport(), g->visualRect(g->model()->index(2, 5)).center());
    QCOMPARE(g->viewport()->cursor().shape(), Qt::ArrowCursor);
    // CK: marked, saved, shown again with the race; a second click takes it back.
    const QRect ck = g->visualRect(g->model()->index(1, 9));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, ck.center());
    QCOMPARE(g->item(1, 9)->text(), U8("ν"));
    const RaceDay& day = *w->raceDay();
    const QByteArray file = [&] {
      QFile f(QString::fromStdString(day.CheckPath.string()));
      return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    QCOMPARE(file.size(), 1944);
    QCOMPARE(file.count('1'), 1);
    QCOMPARE(file[day.CurrentRace * 18 + 1], '1');
    w->UpDown1Click(true);
    w->UpDown1Click(false);
    QCOMPARE(g->item(1, 9)->text(), U8("ν"));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, ck.center());
    QCOMPARE(g->item(1, 9)->text(), QString());
    QFile f(QString::fromStdString(day.CheckPath.string()));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll().count('1'), 0);
    QVERIFY(prompts.infos.isEmpty());
  }

  void theRaceCardOpensThePastRunsOnAPressOnTheHorse() {
    auto w = make();
    gui::TKakosoForm kakoso(ctx.settingsPath());
    w->setKakosoForm(&kakoso);
    w->show();
    choose(*w, "20240511", 11);
    w->PageControl1()->setCurrentWidget(w->findChild<QWidget*>("TabSheetUmabashira"));
    QApplication::processEvents();
    RaceGrid* g = grid(*w, ViewGridId::Umabashira);
    // The first three columns stay in place: the press lands on the fixed part.
    auto* fixed = g->findChild<QTableView*>(g->objectName() + "Fixed");
    QVERIFY(fixed);
    QWidget* port = fixed->viewport();
    const QRect horse = fixed->visualRect(fixed->model()->index(3, 2));
    QTest::mouseMove(port, horse.center());
    QCOMPARE(port->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(port, fixed->visualRect(fixed->model()->index(3, 1)).center());
    QCOMPARE(port->cursor().shape(), Qt::ArrowCursor);
    QTest::mousePress(port, Qt::LeftButton, {}, horse.center());
    QCOMPARE(w->raceDay()->CurrentRunner, g->item(3, 1)->text().toInt() - 1);
    QVERIFY(kakoso.isVisible());
    QTest::mouseRelease(port, Qt::LeftButton, {}, horse.center());
    // A press on the frame number opens nothing.
    kakoso.hide();
    QTest::mouseClick(port, Qt::LeftButton, {}, fixed->visualRect(fixed->model()->index(3, 0)).center());
    QVERIFY(!kakoso.isVisible());
  }

  // Measured with the font the grid paints with: the letters of every text of every cell lie
  // inside their cell, above the bottom line, and no two texts of a cell overlap.
  void everyRaceCardTextShowsWhole() {
    auto w = make();
    w->show();
    for (int race : {1, 6, 11}) {
      choose(*w, "20240511", race);
      w->PageControl1()->setCurrentWidget(w->findChild<QWidget*>("TabSheetUmabashira"));
      QApplication::processEvents();
      RaceGrid* g = grid(*w, ViewGridId::Umabashira);
      const ViewGrid& v = w->raceView().grid(ViewGridId::Umabashira);
      int texts = 0;
      for (int row = 1; row < v.rowCount(); ++row)
        for (int col = 0; col < v.colCount(); ++col) {
          const QRect cell(0, 0, g->columnWidth(col), g->rowHeight(row - 1) - 1);
          std::vector<std::pair<QRect, QString>> seen;
          const PaintList ops = v.paint(row, col, cell.width(), cell.height() + 1);
          for (const PaintOp& op : ops.ops()) {
            if (op.kind != PaintOp::Kind::Text || TrimBlanks(op.text).empty()) continue;
            const QString text = gui::Q(op.text);
            const QFontMetrics m(gui::PaintListFont(op.font, 96.0));
            // The letters as painted: from the left edge to the advance, and their ink from top to bottom.
            const QRect ink = m.tightBoundingRect(text).translated(op.x1, op.y1 + m.ascent());
            const QRect r(op.x1, ink.top(), std::max(m.horizontalAdvance(text), ink.right() - op.x1 + 1), ink.height());
            const QString where = QString("race %1 row %2 col %3 '%4'").arg(race).arg(row).arg(col).arg(text);
            QVERIFY2(cell.contains(r), qPrintable(where));
            for (const auto& [other, otherText] : seen)
              QVERIFY2(!other.intersects(r), qPrintable(where + " over '" + otherText + "'"));
            seen.emplace_back(r, text);
            ++texts;
          }
        }
      QVERIFY(texts > 100);
    }
  }

  void controlsRerunTheView() {
    auto w = make();
    choose(*w, "20240511", 11);
    const ViewGrid& jiku = w->raceView().grid(ViewGridId::Jiku2);
    auto column = [&](int c) {
      QStringList out;
      for (int r = 1; r < jiku.rowCount(); ++r) out << QString::fromStdString(jiku.cell(r, c));
      return out;
    };
    // 平着差 over three runs differs from thirteen for some runner of some race of the day.
    auto* spin = w->findChild<QSpinBox*>("SpinEdit3");
    TIniGT ini(ctx.settingsPath());
    bool changed = false;
    for (int item = 0; item < w->DatList()->count() && !changed; ++item) {
      w->DatList()->setCurrentRow(item);
      w->DatListClick();
      const QStringList thirteen = column(9);
      spin->setValue(3);
      QCOMPARE(ini.ReadInteger("AvChakusa", "samplesu", 0), 3);
      changed = column(9) != thirteen;
      spin->setValue(13);
      QCOMPARE(column(9), thirteen);
    }
    QVERIFY(changed);
    auto* radios = w->findChild<QButtonGroup*>("RadioGroup1");
    radios->button(1)->click();
    QCOMPARE(ini.ReadInteger("Futanjuryo", "Ignore", 0), 1);
    radios->button(0)->click();
    QCOMPARE(ini.ReadInteger("Futanjuryo", "Ignore", 1), 0);
    // The race card's filters run the view again with the new filter.
    w->findChild<QToolButton*>("selBaBtn3")->click();
    QCOMPARE(w->raceView().surface, SurfaceFilter::Dirt);
    w->findChild<QToolButton*>("selkyoriBtn2")->click();
    QCOMPARE(w->raceView().distance, DistanceFilter::Same);
    // 読込後ﾃﾞｰﾀﾘｽﾄを消す: the race list goes once a race is shown.
    QAction* dd1 = w->findChild<QAction*>("Dd1");
    dd1->setChecked(true);
    w->show();
    QVERIFY(w->DatList()->isVisible());
    w->UpDown1Click(true);
    QVERIFY(!w->DatList()->isVisible());
    dd1->setChecked(false);
  }
};

QTEST_MAIN(RaceViewTest)
#include "race_view_test.moc"
