// frequency: the 集計 table summed over the stored dates of a range, as tab-separated UTF-8, then
// one line per rating telling how often its first choice won and how often it had the first
// three in its top three. Dates without their counts are loaded first, as the program would.
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/rank_frequency.h"
#include "app/headless_day.h"
#include "app/startup.h"
#include "base/cp932.h"
#include "cli/commands.h"
#include "day/day_frequency.h"

namespace zelkova::cli {

namespace {

std::string U(std::string_view cp932) { return Cp932ToUtf8Lossy(cp932); }

class CliSumObserver : public SumObserver {
 public:
  explicit CliSumObserver(CliContext& ctx) : ctx_(ctx) {}
  void Problem(const std::string& text) override { *ctx_.err << "zelkova-cli: " << Said(text) << "\n"; }

 private:
  CliContext& ctx_;
};

std::string Share(long long part, long long whole) {
  if (whole <= 0) return "\t" + std::to_string(part) + "/0\t-";
  char buf[64];
  std::snprintf(buf, sizeof buf, "\t%lld/%lld\t%.1f%%", part, whole, 100.0 * static_cast<double>(part) / static_cast<double>(whole));
  return buf;
}

// Per rating: winners it ranked 1st of the winners it ranked, and first-three finishers it ranked
// in its top three of those it ranked.
std::string SummaryLines(const RankFrequency& sum) {
  std::string out;
  for (int c = 0; c < kFrequencyCategories; ++c) {
    long long winners = 0, placed = 0, placedTop3 = 0;
    for (int r = 1; r <= kFrequencyRanks; ++r) winners += sum[FrequencyIndex(c, 1, r)];
    for (int p = 1; p <= kFrequencyPositions; ++p)
      for (int r = 1; r <= kFrequencyRanks; ++r) {
        placed += sum[FrequencyIndex(c, p, r)];
        if (r <= 3) placedTop3 += sum[FrequencyIndex(c, p, r)];
      }
    out += U(FrequencyCategoryText(c)) + "\t" + U(Sj("1着が1位")) + Share(sum[FrequencyIndex(c, 1, 1)], winners) + "\t" +
           U(Sj("1-3着が3位以内")) + Share(placedTop3, placed) + "\n";
  }
  return out;
}

}  // namespace

int CmdFrequency(CliContext& ctx, const std::vector<std::string>& args) {
  std::string from, to;
  auto usage = [&](const std::string& why) { return BadArgument(ctx, why); };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string* target = a == "--from" ? &from : a == "--to" ? &to : nullptr;
    if (!target) return usage("frequency には「" + a + "」という引数はありません");
    if (i + 1 >= args.size()) return usage(a + " に日付がありません（yyyymmdd、yyyy-mm-dd、yyyy年mm月dd日）");
    if (!target->empty()) return usage(a + " が二度あります");
    if (!DateOperand(ctx, args[++i], *target)) return 2;
  }
  if (from.empty()) return usage("--from 日付 がありません");
  const int fromKey = DateTextKey(from), toKey = to.empty() ? 99999999 : DateTextKey(to);
  if (toKey < fromKey) return usage("--to の日付が --from より前です");

  if (!ProgramFolderReady(ctx)) return 1;
  CliSumObserver obs(ctx);
  // A day whose counts are missing or damaged is loaded as `view` and the program load it; the
  // load stores its counts again.
  auto day = MakeRaceDay();
  RecomputeFn recompute = [&](const std::string& date) -> Result<RankFrequency> {
    auto load = LoadDayHeadless(ctx.programFolder, date, *day, [&](const std::string& text) { obs.Problem(text); });
    if (!load.ok()) return load.status();
    if (!load->ratings) return Status::InvalidArgument(Sj("評価表またはゲート表がないため順位を付けられません"));
    return RankDay(*day);
  };
  SumResult res = SumFrequencyRange(ctx.programFolder, DateList(ctx.programFolder), fromKey, toKey, recompute, obs);

  std::string out;
  const ViewGrid grid = FrequencyGrid(&res.sum);
  for (int r = 0; r < grid.rowCount(); ++r) {
    for (int c = 0; c < grid.colCount(); ++c) out += (c ? "\t" : "") + U(grid.cell(r, c));
    out += "\n";
  }
  out += "\n" + SummaryLines(res.sum);
  *ctx.out << out;
  ctx.out->flush();
  *ctx.err << "zelkova-cli: " << res.summed << "日分を集計しました（うち" << res.recomputed << "日は保存ファイルから計算）。除いた日："
           << res.skipped << "日\n";
  // A table without some of the range's days is not a success.
  return ctx.out->good() && res.skipped == 0 ? 0 : 1;
}

}  // namespace zelkova::cli
