#include "day/load_race_day.h"

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

 private:
  const LoadInputs& in_;
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
