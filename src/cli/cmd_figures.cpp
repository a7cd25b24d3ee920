// figures: loads one date as the program does and writes every runner's RaceFigures as CSV.
// The columns are listed in docs/figures-csv.md; keep the two together (the SQL export stores the same).
#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/selection_figures.h"
#include "app/headless_day.h"
#include "base/cp932.h"
#include "cli/commands.h"
#include "output/figure_columns.h"

namespace zelkova::cli {

int CmdFigures(CliContext& ctx, const std::vector<std::string>& args) {
  DayArguments given({"--race", 1, 12, "a race number"});
  bool excel = false;
  if (int bad = ParseDayArguments(ctx, "figures", args, given,
                                  [&](const std::string& a, const std::string*, std::string&) {
                                    if (a != "--excel") return 0;
                                    excel = true;
                                    return 1;
                                  }))
    return bad;
  const std::string& date = given.date;
  const int race = given.raceNumber;
  int samples = given.samples, weightSwitch = given.weightSwitch;

  // The program folder and its fixed files were checked at start, as the program checks them.
  auto day = MakeRaceDay();
  auto load = LoadDayHeadless(ctx.programFolder, date, *day, [&](const std::string& text) {
    // One line per problem: a line break of the text becomes a space.
    const std::string t = Cp932ToUtf8Lossy(text);
    std::string line;
    for (size_t i = 0; i < t.size(); ++i) {
      if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') {
        line += ' ';
        ++i;
      } else {
        line += t[i];
      }
    }
    *ctx.err << "zelkova-cli: figures: " << line << "\n";
  });
  if (!load.ok()) {
    *ctx.err << "zelkova-cli: figures: " << Cp932ToUtf8Lossy(load.status().message()) << "\n";
    return 1;
  }
  if (samples < 0) samples = load->samples;
  if (weightSwitch < 0) weightSwitch = load->weightSwitch;

  const char* eol = excel ? "\r\n" : "\n";
  const auto& cols = FigureColumns();
  FigureCell cell;
  int status = 0;
  bool found = false;
  std::string out = excel ? "\xEF\xBB\xBF" : "";
  for (size_t c = 0; c < cols.size(); ++c) {
    if (c) out += ',';
    out += cols[c].name;
  }
  out += eol;
  for (int r = 0; r < day->RaceCount; ++r) {
    RaceInfo& info = day->Races[r];
    if (info.RaRecord.empty()) continue;
    if (race > 0 && info.RaRecord.fieldInt(26, 2) != race) continue;
    found = true;
    SelectionFigures(info, samples, weightSwitch);
    // A runner whose entry could not be read has no row: blank names would pass for data.
    int rows = 0;
    for (int h = 0; h < info.Figures.RunnerCount; ++h) {
      if (info.Runners[h].SeRecord.empty()) continue;
      ++rows;
      for (size_t c = 0; c < cols.size(); ++c) {
        if (c) out += ',';
        cols[c].get(cell, info, h);
        AppendCsvCell(out, cell, cols[c].kind);
      }
      out += eol;
    }
    if (rows == 0) {
      *ctx.err << "zelkova-cli: figures: " << Cp932ToUtf8Lossy(info.Figures.Title.View())
               << ": no runner to show (the race has " << info.Figures.RunnerCount << " registered runners)\n";
      status = 1;
    }
  }
  if (!found) {
    *ctx.err << "zelkova-cli: figures: " << Cp932ToUtf8Lossy(date);
    if (race > 0)
      *ctx.err << " has no race " << race << "\n";
    else
      *ctx.err << " has no races (its race file holds none)\n";
    return 1;
  }
  *ctx.out << out;
  ctx.out->flush();
  if (!ctx.out->good()) return 1;
  return status;
}

}  // namespace zelkova::cli
