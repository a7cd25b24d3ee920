// zelkova-cli record-feed: what JV-Link hands out, written as a feed folder that the recorded-feed
// backend serves on any machine. On Windows it records from the JV-Link control itself; with
// --feed (and on other systems) from a feed folder, which copies what that feed serves.
#include <ostream>

#include "base/console.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "cli/commands.h"
#include "jvlink/batch_download.h"
#include "jvlink/feed_recorder.h"
#include "jvlink/jv_link.h"
#include "jvlink/software_id.h"
#include "settings/error_log.h"

namespace zelkova::cli {

namespace {

int Usage(CliContext& ctx, const std::string& why) { return BadArgument(ctx, why); }

// "yyyymmddhhnnss" from "yyyy/mm/dd hh:nn:ss".
std::string FromDate(const LocalTime& t) {
  std::string s = FormatDateTime(t);  // yyyy/mm/dd hh:nn:ss
  std::string digits;
  for (char c : s)
    if (c >= '0' && c <= '9') digits += c;
  return digits;
}

}  // namespace

int CmdRecordFeed(CliContext& ctx, const std::vector<std::string>& args) {
  std::string out, from, date;
  int option = 2;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a != "--out" && a != "--from" && a != "--realtime" && a != "--option")
      return Usage(ctx, "record-feed には「" + a + "」という引数はありません");
    if (i + 1 >= args.size()) return Usage(ctx, a + " に値がありません");
    const std::string& v = args[++i];
    if (a == "--out") {
      out = v;
    } else if (a == "--from") {
      const auto t = ParseDateTime(v);
      if (!t) return Usage(ctx, "--from の「" + v + "」は日時ではありません（\"yyyy/mm/dd hh:nn:ss\"）");
      from = FromDate(*t);
    } else if (a == "--realtime") {
      std::string text;
      if (!DateOperand(ctx, v, text)) return 2;
      date = text.substr(0, 4) + text.substr(6, 2) + text.substr(10, 2);
    } else {
      if (v.size() != 1 || v[0] < '1' || v[0] > '4') return Usage(ctx, "--option は 1、2、3、4 のどれかです（「" + v + "」）");
      option = v[0] - '0';
    }
  }
  if (out.empty()) return Usage(ctx, "--out DIR がありません（書き出すフィードフォルダ）");
  if (from.empty() && date.empty()) return Usage(ctx, "--from 日時（蓄積系データ）か --realtime 日付、またはその両方を指定してください");

  SystemClock clock;
  // A feed's download index stays in memory: recording leaves the feed and the program folder alone.
  std::unique_ptr<JvLink> jv = CommandJvLink(ctx, nullptr, clock, std::filesystem::path());
  if (!jv) return 1;

  const int r = jv->JVInit(SoftwareId());
  if (r != 0) {
    *ctx.err << Cp932ToUtf8Lossy(Sj("JVInitエラーが発生しました。：")) << r << "\n";
    return 1;
  }
  FeedRecordOptions options;
  options.fromdate = from;
  options.option = option;
  options.realtimeDate = date;
  options.wait = WaitBriefly;
  std::ostream& report = *ctx.out;
  options.report = [&report](const std::string& line) { report << Cp932ToUtf8Lossy(line) << "\n" << std::flush; };
  FeedRecordSummary sum;
  const std::filesystem::path outDir = std::filesystem::absolute(PathFromUtf8(out));
  const Status s = RecordFeed(*jv, clock, outDir, options, &sum);
  *ctx.out << PathToUtf8(outDir) << "に記録しました：蓄積系ファイル" << sum.storedFiles << "個、速報系" << sum.realtimeBatches
           << "回分、映像" << sum.videos << "件、レコード" << sum.records << "件\n";
  if (!s.ok()) {
    *ctx.err << "zelkova-cli: " << Said(s.message()) << "\n";
    return 1;
  }
  return 0;
}

}  // namespace zelkova::cli
