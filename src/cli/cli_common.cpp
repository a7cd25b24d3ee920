// Argument checks shared by the commands that take dates.
#include <ostream>

#include "app/headless_day.h"
#include "app/startup.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "base/fixed_fields.h"
#include "cli/commands.h"

namespace zelkova::cli {

bool DateOperand(CliContext& ctx, const char* cmd, const std::string& arg, std::string& date) {
  date = DateArgument(arg);
  if (!date.empty()) return true;
  *ctx.err << "zelkova-cli: " << cmd << ": '" << arg << "' is not a date (yyyymmdd or yyyy年mm月dd日)\n"
           << UsageText();
  return false;
}

std::string CheckNumber(const NumberOption& o, const std::string* value, int& v) {
  const std::string range = std::to_string(o.lo) + ".." + std::to_string(o.hi);
  if (!value || value->empty() || value->rfind("--", 0) == 0)
    return std::string(o.name) + " needs a value: " + o.what + ", " + range;
  const std::string& t = *value;
  const std::string digits = t[0] == '-' ? t.substr(1) : t;
  if (digits.empty() || !IsAllDigits(digits))
    return std::string(o.name) + " '" + t + "' is not a number: " + o.what + " is " + range;
  const int n = digits.size() > 6 ? o.hi + 1 : std::stoi(digits);
  if (t[0] == '-' || n < o.lo || n > o.hi)
    return std::string(o.name) + " " + t + " is out of range: " + o.what + " is " + range;
  v = n;
  return {};
}

int ParseDayArguments(CliContext& ctx, const char* cmd, const std::vector<std::string>& args, DayArguments& day,
                      const OwnOption& own) {
  static const NumberOption kSamples{"--samples", 3, 20, "the number of past runs in the average margin"};
  static const NumberOption kSwitch{"--weight-switch", 0, 1, "0 (ignore burden weight) or 1 (correct for it)"};
  auto usage = [&](const std::string& why) {
    *ctx.err << "zelkova-cli: " << cmd << ": " << why << "\n" << UsageText();
    return 2;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const std::string* value = i + 1 < args.size() ? &args[i + 1] : nullptr;
    const NumberOption* o = a == "--race" ? &day.race : a == "--samples" ? &kSamples : a == "--weight-switch" ? &kSwitch : nullptr;
    if (o) {
      int& target = o == &day.race ? day.raceNumber : o == &kSamples ? day.samples : day.weightSwitch;
      if (std::string why = CheckNumber(*o, value, target); !why.empty()) return usage(why);
      ++i;
      continue;
    }
    std::string why;
    const int took = own ? own(a, value, why) : 0;
    if (took < 0) return usage(why);
    if (took > 0) {
      i += static_cast<size_t>(took - 1);
    } else if (!a.empty() && a[0] == '-') {
      return usage("unknown option '" + a + "'");
    } else if (!day.date.empty()) {
      return usage("one DATE only, not also '" + a + "'");
    } else if (!DateOperand(ctx, cmd, a, day.date)) {
      return 2;
    }
  }
  if (day.date.empty()) return usage("DATE is missing");
  return 0;
}

bool ProgramFolderReady(CliContext& ctx, const char* cmd) {
  const std::string why = ProgramFolderProblem(ctx.programFolder);
  if (why.empty()) return true;
  *ctx.err << "zelkova-cli: " << cmd << ": " << Cp932ToUtf8Lossy(why) << "\n";
  return false;
}

}  // namespace zelkova::cli
