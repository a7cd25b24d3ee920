// Argument checks shared by the commands that take dates.
#include <ostream>

#include "app/headless_day.h"
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
  if (DirExists(ctx.programFolder)) return true;
  *ctx.err << "zelkova-cli: " << cmd << ": the program folder " << PathToUtf8(ctx.programFolder) << " does not exist\n";
  return false;
}

}  // namespace zelkova::cli
