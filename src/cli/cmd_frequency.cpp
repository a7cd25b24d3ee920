// frequency: the 集計 table summed over the stored dates of a range, as tab-separated UTF-8, then
// one line per rating telling how often its first choice won and how often it had the first
// three in its top three. Dates without their counts are loaded first, as the program would.
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/rank_frequency.h"
#include "app/startup.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "base/platform.h"
#include "cli/commands.h"
#include "cli/day_args.h"
#include "day/day_frequency.h"
#include "settings/ini_gt.h"

namespace zelkova::cli {

namespace {

std::string U(std::string_view cp932) { return Cp932ToUtf8Lossy(cp932); }

class CliSumObserver : public SumObserver {
 public:
  explicit CliSumObserver(CliContext& ctx) : ctx_(ctx) {}
  void Problem(const std::string& text) override { *ctx_.err << "zelkova-cli: warning: " << U(text) << "\n"; }

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
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    std::string* target = a == "--from" ? &from : a == "--to" ? &to : nullptr;
    if (target && hasValue && target->empty()) {
      *target = DateArgument(args[i + 1]);
      if (target->empty()) {
        *ctx.err << "zelkova-cli: frequency: '" << args[i + 1] << "' is not a date (yyyymmdd or yyyy年mm月dd日)\n"
                 << UsageText();
        return 2;
      }
      ++i;
    } else {
      *ctx.err << "zelkova-cli: frequency: bad argument '" << a << "'\n" << UsageText();
      return 2;
    }
  }
  if (from.empty()) {
    *ctx.err << "zelkova-cli: frequency: --from yyyymmdd is needed\n" << UsageText();
    return 2;
  }
  const int fromKey = DateTextKey(from), toKey = to.empty() ? 99999999 : DateTextKey(to);
  if (toKey < fromKey) {
    *ctx.err << "zelkova-cli: frequency: --to is before --from\n";
    return 2;
  }
  if (!DirExists(ctx.programFolder)) {
    *ctx.err << "zelkova-cli: frequency: the program folder " << ctx.programFolder.string() << " does not exist\n";
    return 1;
  }

  TIniGT settings(ctx.programFolder, "zelkova");
  RatingFiles rating;
  LoadRatingFiles(ctx, "frequency", rating);
  SystemClock clock;
  LoadInputs in;
  in.programFolder = ctx.programFolder;
  in.settings = &settings;
  in.clock = &clock;
  if (rating.ok) {
    in.tables = &rating.tables;
    in.gates = &rating.gates;
  }
  CliSumObserver obs(ctx);
  SumResult res = SumFrequencyRange(in, DateList(ctx.programFolder), fromKey, toKey, obs);

  std::string out;
  for (const auto& row : FrequencyGrid(&res.sum)) {
    for (size_t c = 0; c < row.size(); ++c) out += (c ? "\t" : "") + U(row[c]);
    out += "\n";
  }
  out += "\n" + SummaryLines(res.sum);
  *ctx.out << out;
  ctx.out->flush();
  *ctx.err << "zelkova-cli: frequency: " << res.summed << " days summed (" << res.recomputed
           << " computed from the stored files), " << res.skipped << " left out\n";
  // A table without some of the range's days is not a success.
  return ctx.out->good() && res.skipped == 0 ? 0 : 1;
}

}  // namespace zelkova::cli
