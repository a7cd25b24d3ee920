// LoadRaceDay: a whole race day from its stored files: the records, then, race by race, the
// ratings and the support figures, and the follow-up steps. This is where the layers below
// (records, analysis, outputs) are put together for a date.
#pragma once

#include "racedata/race_day_loader.h"

namespace zelkova {

class RatingTables;
struct GateTable;

struct LoadInputs : RecordLoadInputs {
  const RatingTables* tables = nullptr;  // ratings are skipped when tables or gates are null
  const GateTable* gates = nullptr;
};

// Loads the date into `day`, with LoadRaceRecords' results and failures.
Status LoadRaceDay(RaceDay& day, const LoadInputs& in, LoadObserver& obs, LoadScratch& scratch);
Status LoadRaceDay(RaceDay& day, const LoadInputs& in, LoadObserver& obs);

}  // namespace zelkova
