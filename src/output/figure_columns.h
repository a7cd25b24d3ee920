// The columns of a runner's figures, in the order `zelkova-cli figures` prints them and the SQL
// export stores them: one list, so that the two cannot drift apart.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "racedata/race_day.h"

namespace zelkova {

struct FigureCell {
  enum Kind { Integer, Real, Text, Date };
  long long i = 0;
  double d = 0;
  std::string t;  // Text: UTF-8 without its fill characters; Date: yyyy-mm-dd
};

struct FigureColumn {
  std::string name;      // the CSV heading, e.g. FinishRatingRank
  std::string sqlName;   // the same in snake case, e.g. finish_rating_rank
  FigureCell::Kind kind;
  // Fills the cell of runner slot `h` of `race` (the fields of `kind` only).
  std::function<void(FigureCell&, const RaceInfo& race, int h)> get;
};

// Every column; the figures are those of SelectionFigures having run on the race.
const std::vector<FigureColumn>& FigureColumns();

// A cell as the CSV writes it: integers plainly, reals with six decimals, texts quoted when they
// hold a comma, quote or line break.
void AppendCsvCell(std::string& out, const FigureCell& cell, FigureCell::Kind kind);

}  // namespace zelkova
