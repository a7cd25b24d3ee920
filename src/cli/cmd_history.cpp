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
#include "records/code_tables.h"

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

// A racecourse argument: its two-character code or its short name (東京).
bool CourseMatches(const std::string& arg, std::string_view code) {
  return arg == code || arg == U(CourseNameW(code, 2));
}

}  // namespace

int CmdHistory(CliContext& ctx, const std::vector<std::string>& args) {
  static const NumberOption kRace{"--race", 1, 12, "the race number"};
  static const NumberOption kHorse{"--horse", 1, MaxRunners, "the horse number"};
  std::string date, course;
  int race = 0, horse = 0;
  auto usage = [&](const std::string& why) {
    *ctx.err << "zelkova-cli: history: " << why << "\n" << UsageText();
    return 2;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const std::string* value = i + 1 < args.size() ? &args[i + 1] : nullptr;
    if (a == "--race" || a == "--horse") {
      if (std::string why = CheckNumber(a == "--race" ? kRace : kHorse, value, a == "--race" ? race : horse);
          !why.empty())
        return usage(why);
      ++i;
    } else if (a == "--course") {
      if (!value || value->empty()) return usage("--course needs a racecourse code (05) or name (東京)");
      course = args[++i];
    } else if (!a.empty() && a[0] == '-') {
      return usage("unknown option '" + a + "'");
    } else if (!date.empty()) {
      return usage("one DATE only, not also '" + a + "'");
    } else if (!DateOperand(ctx, "history", a, date)) {
      return 2;
    }
  }
  if (date.empty()) return usage("DATE is missing");
  if (race == 0) return usage("--race N is missing");
  if (horse == 0) return usage("--horse H is missing");

  if (!ProgramFolderReady(ctx, "history")) return 1;
  auto day = MakeRaceDay();
  auto load = LoadDayHeadless(ctx.programFolder, date, *day, [&](const std::string& text) {
    *ctx.err << "zelkova-cli: history: warning: " << U(text) << "\n";
  });
  if (!load.ok()) {
    *ctx.err << "zelkova-cli: history: " << U(load.status().message()) << "\n";
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
