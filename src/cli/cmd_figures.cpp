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
  auto load = LoadDayForCommand(ctx, date, *day);
  if (!load) return 1;
  // Every race of the day, or those --course and --race name.
  std::vector<int> chosen;
  if (int status = ChosenRaces(ctx, *day, given.race, given.race.main, chosen)) return status;
  if (samples < 0) samples = load->samples;
  if (weightSwitch < 0) weightSwitch = load->weightSwitch;

  const char* eol = excel ? "\r\n" : "\n";
  const auto& cols = FigureColumns();
  FigureCell cell;
  int status = 0;
  std::string out = excel ? "\xEF\xBB\xBF" : "";
  for (size_t c = 0; c < cols.size(); ++c) {
    if (c) out += ',';
    out += cols[c].name;
  }
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
        cols[c].get(cell, info, h);
        AppendCsvCell(out, cell, cols[c].kind);
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
