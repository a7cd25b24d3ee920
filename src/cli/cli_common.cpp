// Argument checks shared by the commands that take dates.
#include <ostream>

#include "app/headless_day.h"
#include "app/startup.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "cli/commands.h"

namespace zelkova::cli {

bool DateOperand(CliContext& ctx, const char* cmd, const std::string& arg, std::string& date) {
  date = DateArgument(arg);
  if (!date.empty()) return true;
  *ctx.err << "zelkova-cli: " << cmd << ": '" << arg << "' is not a date (yyyymmdd or yyyy年mm月dd日)\n"
           << UsageText();
  return false;
}

bool ProgramFolderReady(CliContext& ctx, const char* cmd) {
  const std::string why = ProgramFolderProblem(ctx.programFolder);
  if (why.empty()) return true;
  *ctx.err << "zelkova-cli: " << cmd << ": " << Cp932ToUtf8Lossy(why) << "\n";
  return false;
}

}  // namespace zelkova::cli
