// figures: loads one date as the program does and writes every runner's RaceFigures as CSV.
// The columns are listed in docs/figures-csv.md; keep the two together.
#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/selection_figures.h"
#include "app/headless_day.h"
#include "base/cp932.h"
#include "cli/commands.h"
#include "records/code_tables.h"

namespace zelkova::cli {

namespace {

// One CSV column: its name and how a runner's value is written.
struct FigureColumn {
  std::string name;
  std::function<void(std::string&, const RaceInfo&, int)> put;
};

void PutValue(std::string& out, int v) { out += std::to_string(v); }
void PutValue(std::string& out, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.6f", v);
  out += buf;
}
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

void PutText(std::string& out, std::string_view cp932) {
  std::string t = TrimFill(Cp932ToUtf8Lossy(cp932));
  if (t.find_first_of(",\"\r\n") == std::string::npos) {
    out += t;
    return;
  }
  out += '"';
  for (char c : t) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}
template <size_t N>
void PutValue(std::string& out, const FixedText<N>& v) {
  PutText(out, v.View());
}

template <typename T>
void Add(std::vector<FigureColumn>& cols, const char* name, PerRunner<T> RaceFigures::*m) {
  cols.push_back({name, [m](std::string& out, const RaceInfo& r, int h) { PutValue(out, (r.Figures.*m)[h]); }});
}
// A race-level figure, repeated on each runner's row so that a row can be read alone.
template <typename T>
void AddRace(std::vector<FigureColumn>& cols, const char* name, T RaceFigures::*m) {
  cols.push_back({name, [m](std::string& out, const RaceInfo& r, int) { PutValue(out, r.Figures.*m); }});
}
template <typename T, size_t N>
void AddArray(std::vector<FigureColumn>& cols, const char* name, PerRunner<std::array<T, N>> RaceFigures::*m) {
  for (size_t i = 0; i < N; ++i)
    cols.push_back({std::string(name) + std::to_string(i + 1),
                    [m, i](std::string& out, const RaceInfo& r, int h) { PutValue(out, (r.Figures.*m)[h][i]); }});
}

// Every per-runner field of RaceFigures, in one place.
const std::vector<FigureColumn>& Columns() {
  static const std::vector<FigureColumn> cols = [] {
    using F = RaceFigures;
    std::vector<FigureColumn> c;
    // Where the row belongs, in columns of their own for sorting and filtering.
    c.push_back({"Date", [](std::string& out, const RaceInfo& r, int) {
                   std::string_view d = r.RaRecord.field(12, 8);
                   out.append(d.substr(0, 4)).append("-").append(d.substr(4, 2)).append("-").append(d.substr(6, 2));
                 }});
    c.push_back({"CourseCode", [](std::string& out, const RaceInfo& r, int) { out += r.RaRecord.field(20, 2); }});
    c.push_back({"CourseName", [](std::string& out, const RaceInfo& r, int) {
                   PutText(out, StripWideSpaces(CourseNameW(r.RaRecord.field(20, 2), 9)));
                 }});
    c.push_back({"RaceNumber",
                 [](std::string& out, const RaceInfo& r, int) { PutValue(out, static_cast<int>(r.RaRecord.fieldInt(26, 2))); }});
    c.push_back({"HorseNumber", [](std::string& out, const RaceInfo&, int h) { PutValue(out, h + 1); }});
    c.push_back({"Title", [](std::string& out, const RaceInfo& r, int) { PutText(out, r.Figures.Title.View()); }});
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

}  // namespace

int CmdFigures(CliContext& ctx, const std::vector<std::string>& args) {
  DayArguments given;
  bool excel = false;
  if (int bad = ParseDayArguments(ctx, args, given,
                                  [&](const std::string& a, const std::string*, std::string&) {
                                    if (a != "--excel") return 0;
                                    excel = true;
                                    return 1;
                                  }))
    return bad;
  const std::string& date = given.date;
  int samples = given.samples, weightSwitch = given.weightSwitch;

  // The program folder and its fixed files were checked at start, as the program checks them.
  auto day = MakeRaceDay();
  auto load = LoadDayHeadless(ctx.programFolder, date, *day,
                              [&](const std::string& text) { *ctx.err << "zelkova-cli: " << Said(text) << "\n"; });
  if (!load.ok()) {
    *ctx.err << "zelkova-cli: " << Said(load.status().message()) << "\n";
    return 1;
  }
  // Every race of the day, or those --course and --race name.
  std::vector<int> chosen;
  if (int status = ChosenRaces(ctx, *day, given.race, given.race.main, chosen)) return status;
  if (samples < 0) samples = load->samples;
  if (weightSwitch < 0) weightSwitch = load->weightSwitch;

  const char* eol = excel ? "\r\n" : "\n";
  const auto& cols = Columns();
  int status = 0;
  std::string out = excel ? "\xEF\xBB\xBF" : "";
  for (size_t c = 0; c < cols.size(); ++c) out += (c ? "," : "") + cols[c].name;
  out += eol;
  for (int r : chosen) {
    RaceInfo& info = day->Races[static_cast<size_t>(r)];
    SelectionFigures(info, samples, weightSwitch);
    // A runner whose entry could not be read has no row: blank names would pass for data.
    int rows = 0;
    for (int h = 0; h < info.Figures.RunnerCount; ++h) {
      if (info.Runners[h].SeRecord.empty()) continue;
      ++rows;
      for (size_t c = 0; c < cols.size(); ++c) {
        if (c) out += ',';
        cols[c].put(out, info, h);
      }
      out += eol;
    }
    if (rows == 0) {
      *ctx.err << "zelkova-cli: " << Said(info.Figures.Title.View()) << "：出せる馬がいません（登録頭数 "
               << info.Figures.RunnerCount << "）\n";
      status = 1;
    }
  }
  *ctx.out << out;
  ctx.out->flush();
  if (!ctx.out->good()) return 1;
  return status;
}

}  // namespace zelkova::cli
