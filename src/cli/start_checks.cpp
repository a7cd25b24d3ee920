// What every command of zelkova-cli checks before it starts, as the program checks it at start:
// the program folder with its fixed files, and a feed folder given with --feed.
#include <ostream>

#include "app/startup.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "cli/commands.h"
#include "jvlink/recorded_jv_link.h"
#include "settings/program_folder.h"

namespace zelkova::cli {

int CheckStart(const CliContext& ctx, bool programFolder) {
  if (!ctx.feedFolder.empty()) {
    if (Status s = CheckFeedFolder(PathFromUtf8(ctx.feedFolder)); !s.ok()) {
      *ctx.err << "zelkova-cli: " << Cp932ToUtf8Lossy(s.message()) << "\n";
      return 1;
    }
  }
  if (!programFolder) return 0;
  if (std::string why = ProgramFolderProblem(ctx.programFolder); !why.empty()) {
    *ctx.err << "zelkova-cli: " << Cp932ToUtf8Lossy(why) << "\n";
    return 1;
  }
  const FixedFiles fixed = LoadFixedFiles(ctx.programFolder);
  for (const std::string& m : fixed.messages) *ctx.err << "zelkova-cli: " << Cp932ToUtf8Lossy(m) << "\n";
  if (!fixed.messages.empty()) {
    if (const std::string hint = FixedFilesHint(ctx.programFolder, ExecutableFolder(nullptr)); !hint.empty())
      *ctx.err << "zelkova-cli: " << Cp932ToUtf8Lossy(hint) << "\n";
    return 1;
  }
  // Said once; what needs writing fails later, naming its file.
  if (Status w = ProgramFolderWritable(ctx.programFolder); !w.ok())
    *ctx.err << "zelkova-cli: " << Cp932ToUtf8Lossy(ReadOnlyFolderMessage(w)) << "\n";
  return 0;
}

int StartNewProgramFolder(const CliContext& ctx) {
  auto made = StartProgramFolder(ctx.programFolder, ExecutableFolder(nullptr));
  if (!made.ok()) {
    *ctx.err << "zelkova-cli: " << Cp932ToUtf8Lossy(made.status().message()) << "\n";
    return 1;
  }
  if (!made->empty()) *ctx.err << "zelkova-cli: " << Cp932ToUtf8Lossy(*made) << "\n";
  return 0;
}

std::string UsageText() {
  return "usage: zelkova-cli [--home DIR] [--feed DIR] COMMAND [ARGS]\n"
         "  --home DIR  the program folder (default: the folder of zelkova-cli); it must hold\n"
         "              RTJ.dat, RTN.dat, RTC.dat and SetGate.tbl, as the program's folder does\n"
         "  --feed DIR  the feed folder JV-Data comes from (it must hold stored/ or realtime/);\n"
         "              remembered in the program folder's zelkova.ini for later runs\n"
         "commands:\n"
         "  dates       the stored dates, newest first\n"
         "  download [--from \"yyyy/mm/dd hh:nn:ss\"] [--write-through]\n"
         "              batch download of stored JV-Data newer than --from; without it, newer than\n"
         "              the time remembered from the last download (at first: 8 days ago)\n"
         "  figures DATE [--race N] [--samples N] [--weight-switch 0|1] [--excel]\n"
         "              every runner's figures as CSV on stdout (docs/figures-csv.md)\n"
         "              DATE            yyyymmdd or yyyy年mm月dd日\n"
         "              --race N        1..12: that race only (default: every race of the day)\n"
         "              --samples N     3..20: past runs in the average margin (default: the\n"
         "                              program's setting, at first 13)\n"
         "              --weight-switch 0 ignores, 1 corrects for burden weight in the last-3F\n"
         "                              figures (default: the program's setting, at first 0)\n"
         "              --excel         UTF-8 with a BOM and CR LF line ends, for spreadsheets\n"
         "  csv DATE... | csv --from yyyymmdd --to yyyymmdd\n"
         "              the CSV export of each date (CSV/yyyymmdd.csv)\n"
         "  export --sqlite FILE | --postgres \"CONNINFO\" [--from yyyymmdd] [--to yyyymmdd]\n"
         "              the stored dates with every runner's figures into one SQLite file or a\n"
         "              PostgreSQL database (docs/sql.md); unchanged dates are skipped\n"
         "  hit-report DATE [--threshold N]\n"
         "              the hit report of a date (HPupload), payouts above N yen (0..999999999)\n"
         "  record-feed --out DIR [--from \"yyyy/mm/dd hh:nn:ss\"] [--option 1..4] [--realtime yyyymmdd]\n"
         "              records JV-Link's data (or --feed's) as a feed folder\n"
         "  view DATE [--race N] [--grid NAME] [--sort BUTTON] [--samples N] [--weight-switch 0|1]\n"
         "              race N of the race list (default 1) as the window shows it: the labels,\n"
         "              then each grid as tab-separated rows\n"
         "  history DATE --race N --horse H [--course CODE]\n"
         "              one runner's past runs (馬成績) as tab-separated rows\n"
         "  frequency --from yyyymmdd [--to yyyymmdd]\n"
         "              the 集計 table and hit shares over the stored dates of the range\n"
         "  follow DATE [--clock \"yyyy-mm-dd hh:mm\"] [--clock-speed N] [--until hh:mm]\n"
         "              the race-day timers without a window: each race's odds before its post,\n"
         "              results and weights at the interval of the settings, one line per fetch;\n"
         "              --clock runs as if it were then, N times as fast (default: now, 1);\n"
         "              ends at --until (default 18:00) or on Ctrl-C\n"
         "Messages go to stderr; stdout carries only the output of the command.\n"
         "exit status: 0 done; 1 a folder, a file or the data failed (said on stderr);\n"
         "             2 bad arguments (usage on stderr)\n";
}

}  // namespace zelkova::cli
