#include "day/load_race_day.h"

#include "analysis/rank_frequency.h"
#include "analysis/rating_stage.h"
#include "output/support_figures.h"

namespace zelkova {

namespace {

class DayStages : public LoadStages {
 public:
  explicit DayStages(const LoadInputs& in) : in_(in) {}
  void BeforeOdds(RaceInfo& race) override {
    if (in_.tables && in_.gates) RatingStageBeforeOdds(race, *in_.tables, *in_.gates);
  }
  void AfterOdds(RaceInfo& race) override { RatingStageAfterOdds(race); }
  void PerRaceListItem(RaceDay& day) override { CalcBtn1(day); }
  void HindoRankBtn(RaceDay& day, LoadObserver& obs) override {
    // Without ratings every rank is 0: the stored counts of an earlier load are worth more.
    if (!in_.tables || !in_.gates) return;
    RankFrequency counts{};
    if (in_.readOnly) {
      // Shown, not stored: the stored file, if any, is older than these counts.
      obs.ShowRankFrequency(RankDay(day));
      unsaved_ = true;
      return;
    }
    Status s = zelkova::HindoRankBtn(day, counts, /*rewriteSame=*/false);
    obs.ShowRankFrequency(counts);
    if (!s.ok()) {
      obs.Problem(s.message());
      unsaved_ = true;
    }
  }
  void HindoReadBtn(RaceDay& day, LoadObserver& obs) override {
    if (unsaved_) return;  // the file is older than the counts just shown
    RankFrequency counts{};
    Status s = zelkova::HindoReadBtn(day, counts);
    if (s.ok())
      obs.ShowRankFrequency(counts);
    else if (!s.isNotFound())
      obs.Problem(UnusableFrequencyText(day.DateText, s));
  }

 private:
  const LoadInputs& in_;
  bool unsaved_ = false;
};

}  // namespace

Status LoadRaceDay(RaceDay& day, const LoadInputs& in, LoadObserver& obs, LoadScratch& scratch) {
  DayStages stages(in);
  return LoadRaceRecords(day, in, stages, obs, scratch);
}

Status LoadRaceDay(RaceDay& day, const LoadInputs& in, LoadObserver& obs) {
  LoadScratch scratch;
  return LoadRaceDay(day, in, obs, scratch);
}

}  // namespace zelkova
