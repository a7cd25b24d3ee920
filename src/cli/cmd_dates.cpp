// zelkova-cli dates: the stored dates, newest first, one per line (UTF-8).
#include <ostream>

#include "app/startup.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "cli/commands.h"

namespace zelkova::cli {

int CmdDates(CliContext& ctx, const std::vector<std::string>& args) {
  if (!args.empty()) {
    *ctx.err << "zelkova-cli: dates takes no arguments\n" << UsageText();
    return 2;
  }
  if (!DirExists(ctx.programFolder)) {
    *ctx.err << "zelkova-cli: program folder " << PathToUtf8(ctx.programFolder) << " does not exist\n";
    return 1;
  }
  for (const std::string& d : DateList(ctx.programFolder)) *ctx.out << Cp932ToUtf8Lossy(d) << "\n";
  return 0;
}

}  // namespace zelkova::cli
