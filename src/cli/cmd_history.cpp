// history: one runner's past-runs window (馬成績) as tab-separated UTF-8: the header line, the
// record labels, the note, the speed and last-3F labels, then the grid as the copy command
// gives it.
#include <ostream>
#include <string>
#include <vector>

#include "analysis/past_runs_view.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "base/platform.h"
#include "cli/commands.h"
#include "cli/day_args.h"
#include "records/code_tables.h"
#include "settings/ini_gt.h"

namespace zelkova::cli {

namespace {

std::string U(std::string_view cp932) { return Cp932ToUtf8Lossy(cp932); }

// The grid as the copy command gives it, with the terminal's line ends.
void PutGrid(std::string& out, const TextGrid& grid) {
  for (const auto& row : grid) {
    for (size_t c = 0; c < row.size(); ++c) out += (c ? "\t" : "") + U(row[c]);
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

// A racecourse argument: its two-character code or its short name (東京).
bool CourseMatches(const std::string& arg, std::string_view code) {
  return arg == code || arg == U(CourseNameW(code, 2));
}

}  // namespace

int CmdHistory(CliContext& ctx, const std::vector<std::string>& args) {
  std::string date, course;
  int race = 0, horse = 0;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--race" && hasValue && ParseNumber(args[i + 1], 1, 12, race)) {
      ++i;
    } else if (a == "--horse" && hasValue && ParseNumber(args[i + 1], 1, 18, horse)) {
      ++i;
    } else if (a == "--course" && hasValue && !args[i + 1].empty()) {
      course = args[++i];
    } else if (date.empty() && !a.empty() && a[0] != '-') {
      date = DateArgument(a);
      if (date.empty()) {
        *ctx.err << "zelkova-cli: history: '" << a << "' is not a date (yyyymmdd or yyyy年mm月dd日)\n" << UsageText();
        return 2;
      }
    } else {
      *ctx.err << "zelkova-cli: history: bad argument '" << a << "'\n" << UsageText();
      return 2;
    }
  }
  if (date.empty() || race == 0 || horse == 0) {
    *ctx.err << "zelkova-cli: history: DATE, --race N (1-12) and --horse H (1-18) are needed\n" << UsageText();
    return 2;
  }
  if (!DirExists(ctx.programFolder)) {
    *ctx.err << "zelkova-cli: history: the program folder " << ctx.programFolder.string() << " does not exist\n";
    return 1;
  }

  TIniGT settings(ctx.programFolder, "zelkova");
  RatingFiles rating;
  LoadRatingFiles(ctx, "history", rating);
  SystemClock clock;
  LoadInputs in;
  in.dateText = date;
  in.programFolder = ctx.programFolder;
  in.settings = &settings;
  in.clock = &clock;
  if (rating.ok) {
    in.tables = &rating.tables;
    in.gates = &rating.gates;
  }
  auto day = MakeRaceDay();
  CliObserver obs(ctx);
  if (Status s = LoadRaceDay(*day, in, obs); !s.ok()) {
    *ctx.err << "zelkova-cli: history: " << U(s.message()) << "\n";
    return 1;
  }

  std::vector<int> slots;
  std::string candidates;
  for (int r = 0; r < day->RaceCount; ++r) {
    const RaImage& ra = day->Races[static_cast<size_t>(r)].RaRecord;
    if (ra.empty() || ra.fieldInt(26, 2) != race) continue;
    candidates += " " + std::string(ra.field(20, 2)) + "(" + U(CourseNameW(ra.field(20, 2), 2)) + ")";
    if (course.empty() || CourseMatches(course, ra.field(20, 2))) slots.push_back(r);
  }
  if (slots.empty()) {
    *ctx.err << "zelkova-cli: history: " << U(date) << " has no race " << race
             << (course.empty() ? "" : " at " + course) << "\n";
    return 1;
  }
  if (slots.size() > 1) {
    *ctx.err << "zelkova-cli: history: " << U(date) << " has race " << race << " at several racecourses; choose one with --course:"
             << candidates << "\n";
    return 2;
  }
  const RaceInfo& info = day->Races[static_cast<size_t>(slots[0])];
  if (horse > info.Figures.RunnerCount) {
    *ctx.err << "zelkova-cli: history: race " << race << " has " << info.Figures.RunnerCount << " runners, no horse "
             << horse << "\n";
    return 1;
  }
  *ctx.out << ViewText(FillKakosoView(info, horse - 1));
  ctx.out->flush();
  return ctx.out->good() ? 0 : 1;
}

}  // namespace zelkova::cli
