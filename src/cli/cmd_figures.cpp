// figures: loads one date as the program does and writes every runner's RaceFigures as CSV.
#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/selection_figures.h"
#include "app/headless_day.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "cli/commands.h"

namespace zelkova::cli {

namespace {

// One CSV column: its name and how a runner's value is written.
struct FigureColumn {
  std::string name;
  std::function<void(std::string&, const RaceFigures&, int)> put;
};

void PutValue(std::string& out, int v) { out += std::to_string(v); }
void PutValue(std::string& out, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.6f", v);
  out += buf;
}
void PutText(std::string& out, std::string_view cp932) {
  std::string t = Cp932ToUtf8Lossy(cp932);
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
  cols.push_back({name, [m](std::string& out, const RaceFigures& f, int h) { PutValue(out, (f.*m)[h]); }});
}
template <typename T, size_t N>
void AddArray(std::vector<FigureColumn>& cols, const char* name, PerRunner<std::array<T, N>> RaceFigures::*m) {
  for (size_t i = 0; i < N; ++i)
    cols.push_back({std::string(name) + std::to_string(i + 1),
                    [m, i](std::string& out, const RaceFigures& f, int h) { PutValue(out, (f.*m)[h][i]); }});
}

// Every per-runner field of RaceFigures, in one place.
const std::vector<FigureColumn>& Columns() {
  static const std::vector<FigureColumn> cols = [] {
    using F = RaceFigures;
    std::vector<FigureColumn> c;
    c.push_back({"Title", [](std::string& out, const F& f, int) { PutText(out, f.Title.View()); }});
    c.push_back({"HorseNo", [](std::string& out, const F&, int h) { PutValue(out, h + 1); }});
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
    // Race-level figures repeated on each runner's row, so a row can be read alone.
    c.push_back({"RunnerCount", [](std::string& out, const F& f, int) { PutValue(out, f.RunnerCount); }});
    c.push_back({"RaceCategory", [](std::string& out, const F& f, int) { PutValue(out, f.RaceCategory); }});
    c.push_back({"SurfaceDistanceClass",
                 [](std::string& out, const F& f, int) { PutValue(out, f.SurfaceDistanceClass); }});
    c.push_back({"TopThreeShare", [](std::string& out, const F& f, int) { PutValue(out, f.TopThreeShare); }});
    c.push_back(
        {"FieldLast3FAverage", [](std::string& out, const F& f, int) { PutValue(out, f.FieldLast3FAverage); }});
    return c;
  }();
  return cols;
}

bool ParseNumber(const std::string& s, int lo, int hi, int& v) {
  if (s.empty() || s.size() > 4) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  v = std::stoi(s);
  return v >= lo && v <= hi;
}

}  // namespace

int CmdFigures(CliContext& ctx, const std::vector<std::string>& args) {
  std::string date;
  int race = 0, samples = -1, weightSwitch = -1;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    bool hasValue = i + 1 < args.size();
    if (a == "--race" && hasValue && ParseNumber(args[i + 1], 1, 12, race)) {
      ++i;
    } else if (a == "--samples" && hasValue && ParseNumber(args[i + 1], 3, 20, samples)) {
      ++i;
    } else if (a == "--weight-switch" && hasValue && ParseNumber(args[i + 1], 0, 1, weightSwitch)) {
      ++i;
    } else if (date.empty() && !a.empty() && a[0] != '-') {
      if (!DateOperand(ctx, "figures", a, date)) return 2;
    } else {
      *ctx.err << "zelkova-cli: figures: bad argument '" << a << "'\n" << UsageText();
      return 2;
    }
  }
  if (date.empty()) {
    *ctx.err << "zelkova-cli: figures: DATE is missing\n" << UsageText();
    return 2;
  }
  if (!ProgramFolderReady(ctx, "figures")) return 1;

  auto day = MakeRaceDay();
  auto load = LoadDayHeadless(ctx.programFolder, date, *day, [&](const std::string& text) {
    *ctx.err << "zelkova-cli: figures: " << Cp932ToUtf8Lossy(text) << "\n";
  });
  if (!load.ok()) {
    *ctx.err << "zelkova-cli: figures: " << Cp932ToUtf8Lossy(load.status().message()) << "\n";
    return 1;
  }
  if (samples < 0) samples = load->samples;
  if (weightSwitch < 0) weightSwitch = load->weightSwitch;

  const auto& cols = Columns();
  bool found = false;
  std::string out;
  for (size_t c = 0; c < cols.size(); ++c) out += (c ? "," : "") + cols[c].name;
  out += "\n";
  for (int r = 0; r < day->RaceCount; ++r) {
    RaceInfo& info = day->Races[r];
    if (info.RaRecord.empty()) continue;
    if (race > 0 && info.RaRecord.fieldInt(26, 2) != race) continue;
    found = true;
    SelectionFigures(info, samples, weightSwitch);
    const RaceFigures& f = info.Figures;
    for (int h = 0; h < f.RunnerCount; ++h) {
      for (size_t c = 0; c < cols.size(); ++c) {
        if (c) out += ',';
        cols[c].put(out, f, h);
      }
      out += '\n';
    }
  }
  if (race > 0 && !found) {
    *ctx.err << "zelkova-cli: figures: " << Cp932ToUtf8Lossy(date) << " has no race " << race << "\n";
    return 1;
  }
  *ctx.out << out;
  ctx.out->flush();
  return ctx.out->good() ? 0 : 1;
}

}  // namespace zelkova::cli
