// races: the race list of a date as the main window shows it, one item per line (UTF-8); each
// is named in the other commands by its racecourse and race number (--course 東京 --race 11).
#include <ostream>

#include "app/headless_day.h"
#include "base/cp932.h"
#include "cli/commands.h"
#include "output/race_list.h"
#include "racedata/race_day_loader.h"

namespace zelkova::cli {

int CmdRaces(CliContext& ctx, const std::vector<std::string>& args) {
  std::string date;
  for (const std::string& a : args) {
    if (!a.empty() && a[0] == '-') return BadArgument(ctx, "「" + a + "」というオプションはありません");
    if (!date.empty()) return BadArgument(ctx, "日付は一つだけです（「" + a + "」は余分です）");
    if (!DateOperand(ctx, a, date)) return 2;
  }
  if (date.empty()) return BadArgument(ctx, "日付がありません（yyyymmdd、yyyy-mm-dd、yyyy年mm月dd日）");
  if (!ProgramFolderReady(ctx)) return 1;
  auto day = MakeRaceDay();
  auto load = LoadDayForCommand(ctx, date, *day);
  if (!load) return 1;
  const std::vector<int> slots = RaceListSlots(*day);
  if (slots.empty()) {
    *ctx.err << "zelkova-cli: " << Cp932ToUtf8Lossy(date) << "にはレースがありません\n";
    return 1;
  }
  for (int slot : slots) *ctx.out << Cp932ToUtf8Lossy(RaceListItemText(day->Races[static_cast<size_t>(slot)].RaRecord)) << "\n";
  ctx.out->flush();
  return ctx.out->good() ? 0 : 1;
}

}  // namespace zelkova::cli
