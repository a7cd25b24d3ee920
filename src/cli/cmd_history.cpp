// history: one runner's past-runs window (馬成績) as tab-separated UTF-8: the header line, the
// record labels, the note, the speed and last-3F labels, then the grid as the copy command
// gives it.
#include <ostream>
#include <string>
#include <vector>

#include "analysis/past_runs_view.h"
#include "app/headless_day.h"
#include "base/cp932.h"
#include "cli/commands.h"
#include "racedata/race_day_loader.h"

namespace zelkova::cli {

namespace {

std::string U(std::string_view cp932) { return Cp932ToUtf8Lossy(cp932); }

// The grid as the copy command gives it, with the terminal's line ends.
void PutGrid(std::string& out, const ViewGrid& grid) {
  for (int r = 0; r < grid.rowCount(); ++r) {
    for (int c = 0; c < grid.colCount(); ++c) out += (c ? "\t" : "") + U(grid.cell(r, c));
    out += "\n";
  }
}

std::string ViewText(const KakosoView& v) {
  std::string out = U(v.UmaLabel) + "\n";
  for (const KakosoRecordRow& r : v.records) {
    out += U(r.caption) + "\t" + U(r.counts.text);
    for (const KakosoLabel& rate : r.rates) out += "\t" + U(rate.text);
    out += "\n";
  }
  out += U(v.note) + "\n";
  for (const std::string& c : KakosoClassCaptions()) out += "\t" + U(c);
  out += "\n" + U(KakosoSpeedCaption());
  for (const KakosoLabel& l : v.speed) out += "\t" + U(l.text);
  out += "\n" + U(KakosoLast3FCaption());
  for (const KakosoLabel& l : v.last3f) out += "\t" + U(l.text);
  out += "\n\n";
  PutGrid(out, v.grid);
  return out;
}

}  // namespace

int CmdHistory(CliContext& ctx, const std::vector<std::string>& args) {
  static const NumberOption kHorse{"--horse", 1, MaxRunners, "馬番"};
  DayArguments given;
  int horse = 0;
  if (int bad = ParseDayArguments(ctx, args, given,
                                  [&](const std::string& a, const std::string* value, std::string& why) {
                                    if (a != "--horse") return 0;
                                    why = CheckNumber(kHorse, value, horse);
                                    return why.empty() ? 2 : -1;
                                  }))
    return bad;
  if (given.race.number == 0 && !given.race.main)
    return BadArgument(ctx, "--race がありません（--course 東京 --race 11 のように競馬場とレース番号で選びます）");
  if (horse == 0) return BadArgument(ctx, "--horse がありません（馬番、1～18）");

  if (!ProgramFolderReady(ctx)) return 1;
  auto day = MakeRaceDay();
  auto load = LoadDayForCommand(ctx, given.date, *day);
  if (!load) return 1;
  std::vector<int> chosen;
  if (int status = ChosenRaces(ctx, *day, given.race, true, chosen)) return status;
  const RaceInfo& info = day->Races[static_cast<size_t>(chosen.front())];
  if (horse > info.Figures.RunnerCount) {
    *ctx.err << "zelkova-cli: " << Said(RaceListItemText(info.RaRecord)) << "は" << info.Figures.RunnerCount
             << "頭立てです。" << horse << "番の馬はいません\n";
    return 1;
  }
  *ctx.out << ViewText(FillKakosoView(info, horse - 1));
  ctx.out->flush();
  return ctx.out->good() ? 0 : 1;
}

}  // namespace zelkova::cli
