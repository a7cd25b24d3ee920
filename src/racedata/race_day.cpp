#include "racedata/race_day.h"

namespace zelkova {

std::unique_ptr<RaceDay> MakeRaceDay() { return std::make_unique<RaceDay>(); }

void IniBtn(RaceDay& day) {
  for (auto& race : day.Races) race.Figures.Reset();
}

void ClearRecordImages(RaceDay& day, bool pastRuns) {
  for (auto& race : day.Races) {
    race.RaRecord.clear();
    race.HrRecord.clear();
    race.WhRecord.clear();
    race.Odds.O1Record.clear();
    race.Odds.O2Record.clear();
    for (auto& runner : race.Runners) {
      runner.SeRecord.clear();
      runner.UmRecord.clear();
      runner.KsRecord.clear();
      runner.ChRecord.clear();
      runner.ScratchNotice = 0;
      if (!pastRuns) continue;
      for (auto& past : runner.PastRuns) {
        past.SeRecord.clear();
        past.RaRecord.clear();
      }
    }
  }
  day.CheckMarks.fill('0');
}

}  // namespace zelkova
