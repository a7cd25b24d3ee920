#include "output/figure_columns.h"

#include <cctype>
#include <cstdio>

#include "base/cp932.h"
#include "records/code_tables.h"

namespace zelkova {

namespace {

using Kind = FigureCell::Kind;

// Texts lose the fill characters of their fixed widths (blanks and ideographic spaces).
std::string TrimFill(std::string t) {
  static const std::string wide = "\xE3\x80\x80";  // U+3000
  for (;;) {
    if (!t.empty() && t.back() == ' ') {
      t.pop_back();
    } else if (t.size() >= wide.size() && t.compare(t.size() - wide.size(), wide.size(), wide) == 0) {
      t.resize(t.size() - wide.size());
    } else {
      return t;
    }
  }
}

void Set(FigureCell& c, int v) { c.i = v; }
void Set(FigureCell& c, double v) { c.d = v; }
template <size_t N>
void Set(FigureCell& c, const FixedText<N>& v) {
  c.t = TrimFill(Cp932ToUtf8Lossy(v.View()));
}
template <typename T>
constexpr Kind KindOf() {
  if constexpr (std::is_same_v<T, int>) return Kind::Integer;
  else if constexpr (std::is_same_v<T, double>) return Kind::Real;
  else return Kind::Text;
}

// FinishRatingRank -> finish_rating_rank, Last3FOnClass -> last3f_on_class, RateScores1 -> rate_scores1.
std::string SnakeCase(const std::string& name) {
  std::string s;
  for (size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (std::isupper(static_cast<unsigned char>(c)) && i > 0) {
      const char prev = name[i - 1];
      const bool nextLower = i + 1 < name.size() && std::islower(static_cast<unsigned char>(name[i + 1]));
      if (std::islower(static_cast<unsigned char>(prev)) || (std::isupper(static_cast<unsigned char>(prev)) && nextLower))
        s += '_';
    }
    s += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return s;
}

void Push(std::vector<FigureColumn>& cols, std::string name, Kind kind,
          std::function<void(FigureCell&, const RaceInfo&, int)> get) {
  std::string sql = SnakeCase(name);
  cols.push_back({std::move(name), std::move(sql), kind, std::move(get)});
}

template <typename T>
void Add(std::vector<FigureColumn>& cols, const char* name, PerRunner<T> RaceFigures::*m) {
  Push(cols, name, KindOf<T>(), [m](FigureCell& c, const RaceInfo& r, int h) { Set(c, (r.Figures.*m)[h]); });
}
// A race-level figure, repeated on each runner's row so that a row can be read alone.
template <typename T>
void AddRace(std::vector<FigureColumn>& cols, const char* name, T RaceFigures::*m) {
  Push(cols, name, KindOf<T>(), [m](FigureCell& c, const RaceInfo& r, int) { Set(c, r.Figures.*m); });
}
template <typename T, size_t N>
void AddArray(std::vector<FigureColumn>& cols, const char* name, PerRunner<std::array<T, N>> RaceFigures::*m) {
  for (size_t i = 0; i < N; ++i)
    Push(cols, std::string(name) + std::to_string(i + 1), KindOf<T>(),
         [m, i](FigureCell& c, const RaceInfo& r, int h) { Set(c, (r.Figures.*m)[h][i]); });
}

}  // namespace

const std::vector<FigureColumn>& FigureColumns() {
  static const std::vector<FigureColumn> cols = [] {
    using F = RaceFigures;
    std::vector<FigureColumn> c;
    // Where the row belongs, in columns of their own for sorting and filtering.
    Push(c, "Date", Kind::Date, [](FigureCell& cell, const RaceInfo& r, int) {
      std::string_view d = r.RaRecord.field(12, 8);
      cell.t.assign(d.substr(0, 4)).append("-").append(d.substr(4, 2)).append("-").append(d.substr(6, 2));
    });
    Push(c, "CourseCode", Kind::Text,
         [](FigureCell& cell, const RaceInfo& r, int) { cell.t = std::string(r.RaRecord.field(20, 2)); });
    Push(c, "CourseName", Kind::Text, [](FigureCell& cell, const RaceInfo& r, int) {
      cell.t = TrimFill(Cp932ToUtf8Lossy(StripWideSpaces(CourseNameW(r.RaRecord.field(20, 2), 9))));
    });
    Push(c, "RaceNumber", Kind::Integer,
         [](FigureCell& cell, const RaceInfo& r, int) { cell.i = r.RaRecord.fieldInt(26, 2); });
    Push(c, "HorseNumber", Kind::Integer, [](FigureCell& cell, const RaceInfo&, int h) { cell.i = h + 1; });
    Push(c, "Title", Kind::Text, [](FigureCell& cell, const RaceInfo& r, int) { Set(cell, r.Figures.Title); });
    Add(c, "FinishRating", &F::FinishRating);
    Add(c, "FinishRatingRank", &F::FinishRatingRank);
    Add(c, "PopularityRating", &F::PopularityRating);
    Add(c, "PopularityRatingRank", &F::PopularityRatingRank);
    Add(c, "PositionRating", &F::PositionRating);
    Add(c, "PositionRatingRank", &F::PositionRatingRank);
    Add(c, "HorseNoText", &F::HorseNoText);
    Add(c, "FrameNoText", &F::FrameNoText);
    Add(c, "PedigreeNo", &F::PedigreeNo);
    Add(c, "HorseName", &F::HorseName);
    Add(c, "SexCode", &F::SexCode);
    Add(c, "WeightText", &F::WeightText);
    Add(c, "JockeyCode", &F::JockeyCode);
    Add(c, "JockeyName", &F::JockeyName);
    Add(c, "TrainerCode", &F::TrainerCode);
    Add(c, "TrainerName", &F::TrainerName);
    Add(c, "CareerStarts", &F::CareerStarts);
    Add(c, "CareerPrize", &F::CareerPrize);
    Add(c, "PrizePerStart", &F::PrizePerStart);
    Add(c, "PrizeRank", &F::PrizeRank);
    Add(c, "PlaceRate", &F::PlaceRate);
    Add(c, "EntryStrength", &F::EntryStrength);
    Add(c, "JockeyStarts", &F::JockeyStarts);
    Add(c, "JockeyWins", &F::JockeyWins);
    Add(c, "JockeyWinRate", &F::JockeyWinRate);
    Add(c, "TrainerStarts", &F::TrainerStarts);
    Add(c, "TrainerWins", &F::TrainerWins);
    Add(c, "TrainerWinRate", &F::TrainerWinRate);
    AddArray(c, "RateScores", &F::RateScores);
    AddArray(c, "PastLevel", &F::PastLevel);
    AddArray(c, "PastAbility", &F::PastAbility);
    Add(c, "AbilityMax", &F::AbilityMax);
    Add(c, "AbilityAvg", &F::AbilityAvg);
    Add(c, "AbilityMaxRank", &F::AbilityMaxRank);
    Add(c, "AbilityAvgRank", &F::AbilityAvgRank);
    AddArray(c, "AdjustedIndex", &F::AdjustedIndex);
    Add(c, "BestAdjusted", &F::BestAdjusted);
    Add(c, "BestAdjustedRank", &F::BestAdjustedRank);
    Add(c, "SecondAdjusted", &F::SecondAdjusted);
    Add(c, "SecondAdjustedRank", &F::SecondAdjustedRank);
    Add(c, "EstimatedSupport", &F::EstimatedSupport);
    Add(c, "EstimatedSupportRank", &F::EstimatedSupportRank);
    Add(c, "AveragePopularity", &F::AveragePopularity);
    Add(c, "AverageCorner4", &F::AverageCorner4);
    Add(c, "AverageCorner4Rank", &F::AverageCorner4Rank);
    Add(c, "WeightWhenFirstOrSecond", &F::WeightWhenFirstOrSecond);
    Add(c, "WeightWhenPlaced", &F::WeightWhenPlaced);
    Add(c, "WeightWhenUnplaced", &F::WeightWhenUnplaced);
    Add(c, "FinishComplement", &F::FinishComplement);
    Add(c, "PopularityComplement", &F::PopularityComplement);
    Add(c, "PositionComplement", &F::PositionComplement);
    Add(c, "WinMargin", &F::WinMargin);
    Add(c, "PlaceMargin", &F::PlaceMargin);
    Add(c, "PlaceMarginRank", &F::PlaceMarginRank);
    Add(c, "WinClass", &F::WinClass);
    AddArray(c, "Last3FByClass", &F::Last3FByClass);
    AddArray(c, "SpeedByClass", &F::SpeedByClass);
    Add(c, "Last3FOnClass", &F::Last3FOnClass);
    Add(c, "Last3FOnClassRank", &F::Last3FOnClassRank);
    Add(c, "SpeedOnClass", &F::SpeedOnClass);
    Add(c, "SpeedOnClassRank", &F::SpeedOnClassRank);
    Add(c, "BestLast3FOnClass", &F::BestLast3FOnClass);
    Add(c, "PopularityOrder", &F::PopularityOrder);
    AddArray(c, "Last3FFigure", &F::Last3FFigure);
    Add(c, "Last3FMax3", &F::Last3FMax3);
    Add(c, "Last3FMax3Rank", &F::Last3FMax3Rank);
    Add(c, "Last3FMax5", &F::Last3FMax5);
    Add(c, "Last3FMax5Rank", &F::Last3FMax5Rank);
    Add(c, "AverageMargin", &F::AverageMargin);
    Add(c, "AverageMarginRank", &F::AverageMarginRank);
    Add(c, "WinOdds", &F::WinOdds);
    Add(c, "PlaceOddsLow", &F::PlaceOddsLow);
    Add(c, "PlaceOddsHigh", &F::PlaceOddsHigh);
    Add(c, "DaysSinceLastRun", &F::DaysSinceLastRun);
    Add(c, "FinishPos", &F::FinishPos);
    Add(c, "FinalPopularity", &F::FinalPopularity);
    Add(c, "FinalOdds", &F::FinalOdds);
    Add(c, "HorseWeight", &F::HorseWeight);
    Add(c, "WeightChange", &F::WeightChange);
    Add(c, "SupportRate", &F::SupportRate);
    Add(c, "Concentration", &F::Concentration);
    AddRace(c, "RunnerCount", &F::RunnerCount);
    AddRace(c, "RaceCategory", &F::RaceCategory);
    AddRace(c, "SurfaceDistanceClass", &F::SurfaceDistanceClass);
    AddRace(c, "TopThreeShare", &F::TopThreeShare);
    AddRace(c, "FieldLast3FAverage", &F::FieldLast3FAverage);
    return c;
  }();
  return cols;
}

void AppendCsvCell(std::string& out, const FigureCell& cell, FigureCell::Kind kind) {
  switch (kind) {
    case Kind::Integer:
      out += std::to_string(cell.i);
      return;
    case Kind::Real: {
      char buf[64];
      std::snprintf(buf, sizeof buf, "%.6f", cell.d);
      out += buf;
      return;
    }
    case Kind::Text:
    case Kind::Date:
      break;
  }
  const std::string& t = cell.t;
  if (t.find_first_of(",\"\r\n") == std::string::npos) {
    out += t;
    return;
  }
  out += '"';
  for (char ch : t) {
    if (ch == '"') out += '"';
    out += ch;
  }
  out += '"';
}

}  // namespace zelkova
