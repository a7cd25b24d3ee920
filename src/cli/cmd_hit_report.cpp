// hit-report: the 的中 report of one stored date, written as the program writes it (HPupload),
// without opening it or touching the clipboard.
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "analysis/race_view.h"
#include "app/headless_day.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "cli/commands.h"
#include "output/hit_report.h"

namespace zelkova::cli {

int CmdHitReport(CliContext& ctx, const std::vector<std::string>& args) {
  std::string date;
  long long threshold = kHitThresholdAll;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--threshold" && i + 1 < args.size()) {
      const std::string& v = args[++i];
      if (v.empty() || v.size() > 9 || !IsAllDigits(v)) {
        return BadArgument(ctx, "--threshold の「" + v + "」は金額ではありません（円、0～999999999）");
      }
      threshold = ParseInt(v);
    } else if (date.empty() && !a.empty() && a[0] != '-') {
      if (!DateOperand(ctx, a, date)) return 2;
    } else {
      return BadArgument(ctx, "hit-report には「" + a + "」という引数はありません");
    }
  }
  if (date.empty()) return BadArgument(ctx, "日付がありません（yyyymmdd、yyyy-mm-dd、yyyy年mm月dd日）");
  if (!ProgramFolderReady(ctx)) return 1;
  const std::string shown = Cp932ToUtf8Lossy(date);
  auto day = MakeRaceDay();
  auto load = LoadDayHeadless(ctx.programFolder, date, *day, [&](const std::string& text) {
    *ctx.err << "zelkova-cli: " << shown << "：" << Said(text) << "\n";
  });
  if (!load.ok()) {
    if (load.status().isNotFound())
      *ctx.err << "zelkova-cli: " << shown << "：この日のレースのデータがありません\n";
    else
      *ctx.err << "zelkova-cli: " << shown << "：" << Said(load.status().message()) << "\n";
    return 1;
  }
  // Each race is shown by the race view, as the program shows it, with the stored settings; a race
  // it cannot show is named once.
  const std::vector<int> slots = RaceListSlots(*day);
  auto view = std::make_unique<RaceView>();
  RaceViewOptions options;
  options.samples = load->samples;
  options.weightSwitch = load->weightSwitch;
  std::set<std::string> told;
  HitReportEnv env;
  env.showRace = [&](int item) {
    const RaceViewResult r = RunRaceView(*day, slots[static_cast<size_t>(item)], options, *view);
    if (!r.shown && told.insert(r.message).second)
      *ctx.err << "zelkova-cli: " << shown << "：" << Said(r.message) << "\n";
  };
  auto files = HitReport(*day, ctx.programFolder, date, static_cast<int>(threshold), env);
  if (!files.ok()) {
    *ctx.err << "zelkova-cli: " << shown << "：" << Said(files.status().message()) << "\n";
    return 1;
  }
  *ctx.out << PathToUtf8(files->html) << "\n" << PathToUtf8(files->txt) << "\n" << PathToUtf8(files->running) << "\n";
  ctx.out->flush();
  return ctx.out->good() ? 0 : 1;
}

}  // namespace zelkova::cli
