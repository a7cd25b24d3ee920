// The imports that bring stored records into the loaded race day without a reload. They change
// the day in place and keep no state of their own.
#pragma once

#include "base/status.h"
#include "racedata/race_day.h"

namespace zelkova {

// Horse weights (BataijuReadBtn): blanks every WhRecord, files the day's WH records into the
// race slots with the same date, racecourse and race number, then sets HorseWeight and
// WeightChange of every runner from them; a runner whose entry record carries a weight takes that
// one instead. A missing WH file is not an error; a read error is returned.
Status BataijuReadBtn(RaceDay& day);

}  // namespace zelkova
