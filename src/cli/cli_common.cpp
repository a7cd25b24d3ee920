// Argument checks shared by the commands that take dates and races.
#include <ostream>

#include "app/headless_day.h"
#include "app/startup.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "base/fixed_fields.h"
#include "cli/commands.h"

namespace zelkova::cli {

int BadArgument(CliContext& ctx, const std::string& why) {
  *ctx.err << "zelkova-cli: " << why << "\n";
  return 2;
}

std::string Said(std::string_view cp932) {
  std::string t = Cp932ToUtf8Lossy(cp932);
  for (size_t at; (at = t.find("\r\n")) != std::string::npos;) t.replace(at, 2, " ");
  return t;
}

bool DateOperand(CliContext& ctx, const std::string& arg, std::string& date) {
  const std::string why = CheckDateArgument(arg, &date);
  if (why.empty()) return true;
  BadArgument(ctx, Said(why));
  return false;
}

std::string CheckNumber(const NumberOption& o, const std::string* value, int& v) {
  const std::string range = "（" + std::string(o.what) + "、" + std::to_string(o.lo) + "～" + std::to_string(o.hi) + "）";
  if (!value || value->empty() || value->rfind("--", 0) == 0) return std::string(o.name) + " に値がありません" + range;
  const std::string& t = *value;
  const std::string digits = t[0] == '-' ? t.substr(1) : t;
  if (digits.empty() || !IsAllDigits(digits)) return std::string(o.name) + " の「" + t + "」は数ではありません" + range;
  const int n = digits.size() > 6 ? o.hi + 1 : std::stoi(digits);
  if (t[0] == '-' || n < o.lo || n > o.hi) return std::string(o.name) + " " + t + " は範囲外です" + range;
  v = n;
  return {};
}

int ParseDayArguments(CliContext& ctx, const std::vector<std::string>& args, DayArguments& day, const OwnOption& own) {
  static const NumberOption kSamples{"--samples", 3, 20, "平均着差に使う過去走の数"};
  static const NumberOption kSwitch{"--weight-switch", 0, 1, "0 は負担重量無視、1 は負担重量補正"};
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const std::string* value = i + 1 < args.size() ? &args[i + 1] : nullptr;
    if (a == "--samples" || a == "--weight-switch") {
      const bool samples = a == "--samples";
      if (std::string why = CheckNumber(samples ? kSamples : kSwitch, value, samples ? day.samples : day.weightSwitch);
          !why.empty())
        return BadArgument(ctx, why);
      ++i;
      continue;
    }
    if (a == "--race" || a == "--course") {
      if (!value || value->empty() || value->rfind("--", 0) == 0)
        return BadArgument(ctx, a == "--race" ? "--race に値がありません（レース番号 1～12 か main）"
                                              : "--course に値がありません（競馬場の名前 東京 かコード 05）");
      if (a == "--course") {
        day.race.course = *value;
      } else if (std::string why = ParseRaceOption(*value, day.race); !why.empty()) {
        return BadArgument(ctx, Said(why));
      }
      ++i;
      continue;
    }
    std::string why;
    const int took = own ? own(a, value, why) : 0;
    if (took < 0) return BadArgument(ctx, why);
    if (took > 0) {
      i += static_cast<size_t>(took - 1);
    } else if (!a.empty() && a[0] == '-') {
      return BadArgument(ctx, "「" + a + "」というオプションはありません");
    } else if (!day.date.empty()) {
      return BadArgument(ctx, "日付は一つだけです（「" + a + "」は余分です）");
    } else if (!DateOperand(ctx, a, day.date)) {
      return 2;
    }
  }
  if (day.date.empty()) return BadArgument(ctx, "日付がありません（yyyymmdd、yyyy-mm-dd、yyyy年mm月dd日）");
  return 0;
}

int ChosenRaces(CliContext& ctx, const RaceDay& day, const RaceName& name, bool one, std::vector<int>& slots) {
  RaceChoice choice = ChooseRaces(day, name, one);
  slots = choice.picked;
  if (choice.problem.empty()) return 0;
  *ctx.err << "zelkova-cli: " << Cp932ToUtf8Lossy(day.DateText) << " " << Said(choice.problem) << "\n";
  return choice.needsMore ? 2 : 1;
}

bool ProgramFolderReady(CliContext& ctx) {
  const std::string why = ProgramFolderProblem(ctx.programFolder);
  if (why.empty()) return true;
  *ctx.err << "zelkova-cli: " << Said(why) << "\n";
  return false;
}

std::optional<HeadlessLoad> LoadDayForCommand(CliContext& ctx, const std::string& date, RaceDay& day) {
  auto load = LoadDayHeadless(ctx.programFolder, date, day,
                              [&](const std::string& text) { *ctx.err << "zelkova-cli: " << Said(text) << "\n"; });
  if (load.ok()) return *load;
  *ctx.err << "zelkova-cli: " << Said(load.status().message()) << "\n";
  return std::nullopt;
}

}  // namespace zelkova::cli
