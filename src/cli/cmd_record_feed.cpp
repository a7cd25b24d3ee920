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

int Usage(CliContext& ctx, const std::string& why) {
  *ctx.err << "zelkova-cli: record-feed: " << why << "\n" << UsageText();
  return 2;
}

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
      return Usage(ctx, "unexpected argument '" + a + "'");
    if (i + 1 >= args.size()) return Usage(ctx, a + " needs a value");
    const std::string& v = args[++i];
    if (a == "--out") {
      out = v;
    } else if (a == "--from") {
      const auto t = ParseDateTime(v);
      if (!t) return Usage(ctx, "--from needs \"yyyy/mm/dd hh:nn:ss\", not '" + v + "'");
      from = FromDate(*t);
    } else if (a == "--realtime") {
      if (v.size() != 8 || v.find_first_not_of("0123456789") != std::string::npos || !ParseDateTime(
              v.substr(0, 4) + "/" + v.substr(4, 2) + "/" + v.substr(6, 2) + " 00:00:00"))
        return Usage(ctx, "--realtime needs a date yyyymmdd, not '" + v + "'");
      date = v;
    } else {
      if (v.size() != 1 || v[0] < '1' || v[0] > '4') return Usage(ctx, "--option is 1, 2, 3 or 4, not '" + v + "'");
      option = v[0] - '0';
    }
  }
  if (out.empty()) return Usage(ctx, "--out DIR is required");
  if (from.empty() && date.empty()) return Usage(ctx, "give --from TIME (stored data), --realtime DATE, or both");

  SystemClock clock;
  // A feed's download index stays in memory: recording leaves the feed and the program folder alone.
  std::unique_ptr<JvLink> jv = CommandJvLink(ctx, "record-feed", nullptr, clock, std::filesystem::path());
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
  *ctx.out << "record-feed: " << sum.storedFiles << " stored files, " << sum.realtimeBatches << " real-time batches, "
           << sum.videos << " videos, " << sum.records << " records in " << PathToUtf8(outDir) << "\n";
  if (!s.ok()) {
    *ctx.err << "zelkova-cli: record-feed: " << Cp932ToUtf8Lossy(s.message()) << "\n";
    return 1;
  }
  return 0;
}

}  // namespace zelkova::cli
