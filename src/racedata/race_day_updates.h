// The imports that bring stored records into the loaded race day without a reload. They change
// the day in place and keep no state of their own. A missing file skips its step; a file that
// cannot be read ends the import with that failure.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "base/status.h"
#include "racedata/race_day.h"

namespace zelkova {

// Odds of race slot day.BetRace (OzReadBtn, without its last step): line BetRace of the day's
// .jvO1 / .jvO2 when it is that race's, then win, place, bracket and quinella odds, the
// popularity order of the runners with usable odds, and the announcement times. The support
// figures (CalcBtn1) are the caller's to run afterwards.
Status OzReadBtn(RaceDay& day);

// Results and payouts of every race (HrReadBtn): race and entry records read again, finishing
// positions, final popularity and odds, then the day's HR records and the payout groups.
// `firstResult` is set when the HR record of race slot day.CurrentRace arrived for the first time
// (the race view is then run again).
Status HrReadBtn(RaceDay& day, bool* firstResult);

// Horse weights (BataijuReadBtn): blanks every WhRecord, files the day's WH records into the
// race slots with the same date, racecourse and race number, then sets HorseWeight and
// WeightChange of every runner from them; a runner whose entry record carries a weight takes that
// one instead. A missing WH file is not an error; a read error is returned.
Status BataijuReadBtn(RaceDay& day);

// HorseWeight and WeightChange of every runner whose entry record carries a weight; the others
// keep theirs.
void WeightsFromEntries(RaceDay& day);

// True iff a weight of runner slot h says the runner was scratched (000): its entry record's or
// entry h of the race's weight record. The other scratch marks (the abnormality code) join here.
bool ScratchedByWeight(const RaceInfo& race, int h);

// Scratch notices (.jvAV beside day.RaPath): sets ScratchNotice of each runner a notice names
// (race key and horse number) to the notice's kind; the others are cleared. A missing file
// clears them all.
Status MarkScratches(RaceDay& day);

// The lines of the change window's five lists: weather and going, scratches, jockey changes,
// post-time changes, course changes (CP932).
struct ChangeLists {
  std::array<std::vector<std::string>, 5> lines;
};

// The change notices of the loaded day (KaisaiReadBtn), from the .jvWE ... .jvCC files beside
// day.RaPath; each of the four record files gives at most 36 lines.
Result<ChangeLists> KaisaiReadBtn(const RaceDay& day);

}  // namespace zelkova
