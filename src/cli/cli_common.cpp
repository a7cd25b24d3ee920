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

bool ProgramFolderReady(CliContext& ctx, const char* cmd) {
  const std::string why = ProgramFolderProblem(ctx.programFolder);
  if (why.empty()) return true;
  *ctx.err << "zelkova-cli: " << cmd << ": " << Cp932ToUtf8Lossy(why) << "\n";
  return false;
}

}  // namespace zelkova::cli
