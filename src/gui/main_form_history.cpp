// The main window's commands for a horse's past runs and for checking the ratings against the
// results: the past-runs window (kakosoBtn), the day's rank-frequency counts (HindoRankBtn,
// HindoReadBtn) and the aggregation of the stored days (SumBtn).
#include <QApplication>
#include <QSpinBox>

#include "analysis/past_runs_view.h"
#include "analysis/rank_frequency.h"
#include "base/cp932.h"
#include "day/day_frequency.h"
#include "gui/history_pages.h"
#include "gui/kakoso_form.h"
#include "gui/main_form.h"
#include "output/analysis_print.h"

namespace zelkova::gui {

// The past-runs window of CurrentRunner in the shown race, refilled on every opening.
void TMainForm::kakosoBtnClick() {
  if (!kakosoForm_) return;
  if (!day_ || !loaded_) {
    // Nothing is chosen to show: said as the other commands of a loaded day say it.
    if (ctx_.prompts) ctx_.prompts->beep();
    info(PrintNoDataMessage());
    return;
  }
  const int race = day_->CurrentRace;
  if (race < 0 || race >= MaxRaces) return;
  if (ctx_.clipboard) kakosoForm_->setClipboard(ctx_.clipboard);
  kakosoForm_->setPrompts(ctx_.settingsPrompts());
  kakosoForm_->fill(FillKakosoView(day_->Races[static_cast<size_t>(race)], day_->CurrentRunner));
  kakosoForm_->show();
  kakosoForm_->raise();
}

bool TMainForm::ShowHorse(int number, QString* why) {
  const int race = day_ && loaded_ ? day_->CurrentRace : -1;
  const int runners = race >= 0 && race < MaxRaces ? day_->Races[static_cast<size_t>(race)].Figures.RunnerCount : 0;
  if (number < 1 || number > runners) {
    if (why) *why = QString::fromUtf8("このレースは%1頭立てです。%2番の馬はいません").arg(runners).arg(number);
    return false;
  }
  day_->CurrentRunner = number - 1;
  kakosoBtnClick();
  return true;
}

// The day's counts again from the loaded day (after a result fetch brought new finishes): shown
// on 集計 and stored in the day's .Hind.
void TMainForm::HindoRankBtnClick() {
  if (!day_ || !loaded_) return;
  RankFrequency counts{};
  const Status s = ::zelkova::HindoRankBtn(*day_, counts);
  history_->showCounts(counts);
  history_->repaintDeme();
  if (!s.ok()) info(s.message());
}

// The stored counts of the loaded day; a missing file leaves the page as it is.
void TMainForm::HindoReadBtnClick() {
  if (!day_ || !loaded_) return;
  RankFrequency counts{};
  const Status s = ::zelkova::HindoReadBtn(*day_, counts);
  if (s.ok())
    history_->showCounts(counts);
  else if (!s.isNotFound())
    info(UnusableFrequencyText(day_->DateText, s));
}

namespace {

// The aggregation's progress in Label4; what went wrong is told once at the end.
class SumProgress : public SumObserver {
 public:
  explicit SumProgress(HistoryPages& pages) : pages_(pages) {}
  void Label4(const std::string& text) override { pages_.setProgress(text); }
  void Problem(const std::string& text) override { problems.push_back(text); }
  void ProcessEvents() override { QApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }
  std::vector<std::string> problems;

 private:
  HistoryPages& pages_;
};

}  // namespace

// Sums the .Hind files of the data folder from the chosen year and month on; a damaged file is
// made again from its stored day. With no file in the folder the page stays as it is.
void TMainForm::SumBtnClick() {
  if (state_.terminate || loading_) return;
  const LoadInputs in = loadInputs({});
  SumProgress obs(*history_);
  if (ctx_.prompts) ctx_.prompts->busyCursor(true);
  const SumResult r = SumBtn(in, spinEdit1_->value(), spinEdit2_->value(), obs);
  if (ctx_.prompts) ctx_.prompts->busyCursor(false);
  if (r.listed > 0) {
    history_->showCounts(r.sum);
    history_->setProgress(::zelkova::Sj("集計終了：") + std::to_string(r.summed) + ::zelkova::Sj("日分"));
  }
  if (!obs.problems.empty()) {
    std::string text;
    for (const std::string& p : obs.problems) text += (text.empty() ? "" : "\r\n") + p;
    info(text);
  }
}

}  // namespace zelkova::gui
