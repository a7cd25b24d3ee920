// RatingStage: every per-runner rating of a race computed once while a day is loaded, written
// into the race's RaceFigures (which must have been Reset). Reads only the race's record images
// and the loading-time figures; no files, no UI. The loader runs the part before the odds
// conversion, stores the odds, then runs the part after it.
#pragma once

#include "analysis/rating_tables.h"
#include "settings/gate_table.h"
#include "racedata/race_day.h"

namespace zelkova {

// Runners the stages work on: RA 882-883, kept within 0..18.
int RegisteredRunners(const RaceInfo& race);

// Steps 1-12: category and class, past-run scores, ability, adjusted indices, estimated
// support, means, 着RT/人RT/展RT, margins, last-3F and speed figures, and their ranks.
void RatingStageBeforeOdds(RaceInfo& race, const RatingTables& tables, const GateTable& gates);
// Steps 13-14: the order of today's win odds and the 実績 table scores.
void RatingStageAfterOdds(RaceInfo& race);
// Both parts in order (for callers that already hold the odds).
void RatingStage(RaceInfo& race, const RatingTables& tables, const GateTable& gates);

// The gate value of runner n (1-based) in a field of `runners`: built-in row for up to 7
// runners, the SetGate.tbl row of the field size otherwise; 0 outside the table.
double GateValue(const GateTable& gates, int runners, int n);

}  // namespace zelkova
