// TMainForm's output commands: the CSV export, the analysis print, the hit report and the grid
// copy. Kept apart from main_form.cpp.
#include <QComboBox>
#include <QFileDialog>
#include <QStandardPaths>
#include <QHeaderView>
#include <QListWidget>
#include <QMenu>
#include <QTableWidget>
#include <set>

#include "base/cp932.h"
#include "base/file_io.h"
#include "base/fixed_fields.h"
#include "gui/all_print_form.h"
#include "gui/main_form.h"
#include "gui/qt_platform.h"
#include "gui/race_grid.h"
#include "gui/sql_export_window.h"
#include "output/analysis_print.h"
#include "output/csv_export.h"
#include "output/grid_clipboard.h"
#include "output/hit_report.h"

namespace zelkova::gui {

namespace {

void Tell(AppContext& ctx, const std::string& cp932) {
  if (ctx.prompts) ctx.prompts->information(cp932);
}

// The prompts of a run that shows race after race: each information text is shown once, with a
// busy cursor throughout; everything else passes through.
class OnceEachPrompts : public Prompts {
 public:
  explicit OnceEachPrompts(AppContext& ctx) : ctx_(ctx), inner_(ctx.prompts) {
    ctx_.prompts = this;
    if (inner_) inner_->busyCursor(true);
  }
  ~OnceEachPrompts() override {
    if (inner_) inner_->busyCursor(false);
    ctx_.prompts = inner_;
  }
  void beep() override {
    if (inner_) inner_->beep();
  }
  void information(const std::string& text) override {
    if (inner_ && told_.insert(text).second) {
      inner_->busyCursor(false);
      inner_->information(text);
      inner_->busyCursor(true);
    }
  }
  bool confirm(const std::string& text) override { return inner_ && inner_->confirm(text); }
  void statusText(const std::string& text) override {
    if (inner_) inner_->statusText(text);
  }
  void processEvents() override {
    if (inner_) inner_->processEvents();
  }
  void busyCursor(bool) override {}

 private:
  AppContext& ctx_;
  Prompts* inner_;
  std::set<std::string> told_;
};

// The texts of a grid: a race-view grid's from its model; another grid's from its cells, its
// column titles as row 0 when they are shown.
GridCells CellsOf(const QTableWidget& g) {
  if (const auto* race = qobject_cast<const RaceGrid*>(&g)) return CellsOf(race->viewGrid());
  GridCells cells;
  cells.columns = g.columnCount();
  if (!g.horizontalHeader()->isHidden()) {
    cells.cells.emplace_back();
    for (int c = 0; c < g.columnCount(); ++c) {
      const QTableWidgetItem* it = g.horizontalHeaderItem(c);
      cells.cells.back().push_back(it ? ::zelkova::gui::Sj(it->text()) : std::string());
    }
  }
  for (int r = 0; r < g.rowCount(); ++r) {
    cells.cells.emplace_back();
    for (int c = 0; c < g.columnCount(); ++c) {
      const QTableWidgetItem* it = g.item(r, c);
      cells.cells.back().push_back(it ? ::zelkova::gui::Sj(it->text()) : std::string());
    }
  }
  cells.rows = static_cast<int>(cells.cells.size());
  return cells;
}

}  // namespace

// CSVBtn: the file for the loaded day; a failure is told.
bool TMainForm::CSVBtnClick() {
  const RaceDay* day = dayLoaded() ? raceDay() : nullptr;
  if (!day) {
    Tell(ctx_, ::zelkova::Sj("CSVファイルを出力できませんでした：") + ::zelkova::Sj("CSVファイルに書き出すレースがありません。"));
    return false;
  }
  auto path = ExportCsv(*day, ctx_.programFolder);
  if (!path.ok()) Tell(ctx_, path.status().message());
  return path.ok();
}

// CSV1: with a date chosen, the export and its confirmation; with none, nothing.
void TMainForm::CSV1Click() {
  const std::string date = ::zelkova::gui::Sj(DateCombo()->currentText());
  if (TrimBlanks(date).empty()) return;
  if (CSVBtnClick()) Tell(ctx_, CsvDoneMessage(date));
}

void TMainForm::SqlExportClick() {
  if (!SqliteExportAvailable()) {
    Tell(ctx_, ::zelkova::Sj("SQLiteへの書き出しはこの版ではできません。"));
    return;
  }
  QString file;
  if (sqlFileChooser) {
    file = sqlFileChooser();
  } else {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    file = QFileDialog::getSaveFileName(this, U("SQLに書き出し"), dir + "/zelkova.sqlite",
                                        U("SQLite (*.sqlite *.db)"), nullptr, QFileDialog::DontConfirmOverwrite);
  }
  if (file.isEmpty()) return;
  // An existing file is brought up to date, not replaced: unchanged dates are skipped.
  (void)ExportSqliteWithProgress(this, ctx_, file);
}

void TMainForm::PrintBtnClick() {
  TIniGT ini(ctx_.settingsPath());
  ini.setReadOnly(ctx_.readOnly);
  RunAnalysisPrint(this, ini, ctx_.prompts, ::zelkova::gui::Sj(DateCombo()->currentText()), !Panel12()->isHidden(),
                   dayLoaded() ? raceDay() : nullptr, printShow);
}

void TMainForm::TekiAnaBtnClick() { HitReportClick(kHitThresholdAll); }
void TMainForm::TekiAnaBtn2Click() { HitReportClick(kHitThresholdLongShot); }

void TMainForm::HitReportClick(int threshold) {
  const RaceDay* day = dayLoaded() ? raceDay() : nullptr;
  if (!day) {
    if (ctx_.prompts) ctx_.prompts->beep();
    Tell(ctx_, PrintNoDataMessage());
    return;
  }
  HitReportEnv env;
  env.clipboard = ctx_.clipboard;
  env.shell = ctx_.shellOpen;
  // Each race is selected and shown, as the user would see it, before its payouts are read. The
  // races are shown once per rating: a race the view cannot show says so once, not eight times.
  env.showRace = [this](int item) {
    DatList()->setCurrentRow(item);
    DatListClick();
  };
  auto files = [&] {
    OnceEachPrompts once(ctx_);
    return HitReport(*day, ctx_.programFolder, ::zelkova::gui::Sj(DateCombo()->currentText()), threshold, env);
  }();
  if (!files.ok()) {
    Tell(ctx_, files.status().message());
    return;
  }
  if (env.shell && !files->opened)
    Tell(ctx_, ::zelkova::Sj("的中レポートを開けませんでした：") + PathText(files->txt));
}

void TMainForm::attachCopyMenu(QTableWidget* g) {
  g->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(g, &QTableWidget::customContextMenuRequested, this, [this, g](const QPoint& p) {
    currentGrid_ = g;
    if (popup_) popup_->exec(g->viewport()->mapToGlobal(p));
  });
  if (auto* race = qobject_cast<RaceGrid*>(g))
    connect(race, &RaceGrid::pressed, this, [this, g] { currentGrid_ = g; });
  else
    connect(g, &QTableWidget::cellPressed, this, [this, g] { currentGrid_ = g; });
}

// N10: the grid last pressed, whole (title row and hidden columns included, rows as sorted), under
// the race title; nothing before any grid was pressed.
void TMainForm::N10Click() {
  if (!currentGrid_ || !ctx_.clipboard) return;
  CopyWholeGrid(*ctx_.clipboard, CellsOf(*currentGrid_), view_->header.TitleLabel1);
}

}  // namespace zelkova::gui
