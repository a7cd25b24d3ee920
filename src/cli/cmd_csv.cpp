// csv: the CSV export of one or more stored dates, as the program's CSVファイル command writes it.
#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "app/headless_day.h"
#include "app/startup.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "cli/commands.h"
#include "output/csv_export.h"
#include "store/stored_paths.h"

namespace zelkova::cli {

namespace {

// yyyymmdd of a date text (yyyy年mm月dd日, CP932).
std::string Digits(const std::string& dateText) {
  return dateText.substr(0, 4) + dateText.substr(6, 2) + dateText.substr(10, 2);
}

bool RangeBound(CliContext& ctx, const std::string& arg, std::string& digits) {
  std::string text;
  if (!DateOperand(ctx, arg, text)) return false;
  digits = Digits(text);
  return true;
}

// Loads and exports one date; false when it could not be exported.
bool ExportDate(CliContext& ctx, RaceDay& day, const std::string& date) {
  const std::string shown = Cp932ToUtf8Lossy(date);
  auto load = LoadDayHeadless(ctx.programFolder, date, day, [&](const std::string& text) {
    *ctx.err << "zelkova-cli: " << shown << "：" << Said(text) << "\n";
  });
  if (!load.ok()) {
    if (load.status().isNotFound())
      *ctx.err << "zelkova-cli: " << shown << "：この日のレースのデータがありません。飛ばします\n";
    else
      *ctx.err << "zelkova-cli: " << shown << "：" << Said(load.status().message()) << "。飛ばします\n";
    return false;
  }
  auto path = ExportCsv(day, ctx.programFolder);
  if (!path.ok()) {
    *ctx.err << "zelkova-cli: " << shown << "：" << Said(path.status().message()) << "\n";
    return false;
  }
  bool paid = false;
  for (const RaceInfo& race : day.Races) paid = paid || !race.HrRecord.empty();
  if (!paid)
    *ctx.err << "zelkova-cli: " << shown << "：払戻はまだありません。着順と払戻の列は空です\n";
  *ctx.out << path->string() << "\n";
  return true;
}

}  // namespace

int CmdCsv(CliContext& ctx, const std::vector<std::string>& args) {
  std::vector<std::string> dates;
  std::string from, to;
  bool range = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if ((a == "--from" || a == "--to") && i + 1 < args.size()) {
      if (!RangeBound(ctx, args[i + 1], a == "--from" ? from : to)) return 2;
      range = true;
      ++i;
    } else if (!a.empty() && a[0] != '-') {
      std::string d;
      if (!DateOperand(ctx, a, d)) return 2;
      dates.push_back(d);
    } else {
      return BadArgument(ctx, "csv には「" + a + "」という引数はありません");
    }
  }
  if (dates.empty() && !range) {
    return BadArgument(ctx, "日付（DATE...）か --from yyyymmdd --to yyyymmdd を指定してください");
  }
  if (!ProgramFolderReady(ctx)) return 1;
  bool failed = false;
  if (range) {
    if (from.empty()) from = "00000000";
    if (to.empty()) to = "99999999";
    std::vector<std::string> stored = DateList(ctx.programFolder);
    std::reverse(stored.begin(), stored.end());  // oldest first
    size_t found = 0;
    for (const std::string& d : stored) {
      const std::string digits = Digits(d);
      if (digits < from || digits > to) continue;
      if (std::find(dates.begin(), dates.end(), d) == dates.end()) dates.push_back(d);
      ++found;
    }
    if (found == 0) {
      *ctx.err << "zelkova-cli: " << from << "から" << to << "までに保存された日付はありません\n";
      failed = true;
    }
  }
  auto day = MakeRaceDay();
  for (const std::string& d : dates) failed = !ExportDate(ctx, *day, d) || failed;
  ctx.out->flush();
  return failed || !ctx.out->good() ? 1 : 0;
}

}  // namespace zelkova::cli
