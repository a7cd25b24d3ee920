// TMainForm's output commands: the CSV export, the analysis print and the hit report. Kept apart
// from main_form.cpp; they use the window only through its public accessors.
#include <QComboBox>
#include <QListWidget>

#include "base/cp932.h"
#include "base/file_io.h"
#include "base/fixed_fields.h"
#include "gui/all_print_form.h"
#include "gui/main_form.h"
#include "gui/qt_platform.h"
#include "output/analysis_print.h"
#include "output/csv_export.h"
#include "output/hit_report.h"

namespace zelkova::gui {

namespace {

void Tell(AppContext& ctx, const std::string& cp932) {
  if (ctx.prompts) ctx.prompts->information(cp932);
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

void TMainForm::PrintBtnClick() {
  TIniGT ini(ctx_.settingsPath());
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
  // Each race is selected and shown, as the user would see it, before its payouts are read.
  env.showRace = [this](int item) {
    DatList()->setCurrentRow(item);
    DatListClick();
  };
  auto files = HitReport(*day, ctx_.programFolder, ::zelkova::gui::Sj(DateCombo()->currentText()), threshold, env);
  if (!files.ok()) {
    Tell(ctx_, files.status().message());
    return;
  }
  if (env.shell && !files->opened)
    Tell(ctx_, ::zelkova::Sj("的中レポートを開けませんでした：") + PathText(files->txt));
}

}  // namespace zelkova::gui
