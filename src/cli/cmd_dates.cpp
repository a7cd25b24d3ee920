// zelkova-cli dates: the stored dates, newest first, one per line (UTF-8).
#include <ostream>

#include "app/startup.h"
#include "base/cp932.h"
#include "cli/commands.h"

namespace zelkova::cli {

int CmdDates(CliContext& ctx, const std::vector<std::string>& args) {
  if (!args.empty()) return BadArgument(ctx, "dates に引数はいりません（「" + args[0] + "」）");
  const std::vector<std::string> dates = DateList(ctx.programFolder);
  // An empty list is a new program folder, not a failure; say where the dates come from.
  if (dates.empty())
    *ctx.err << "zelkova-cli: まだ日付がありません。zelkova-cli --feed DIR download --from "
                "\"yyyy/mm/dd hh:nn:ss\" で取り込みます\n";
  for (const std::string& d : dates) *ctx.out << Cp932ToUtf8Lossy(d) << "\n";
  return 0;
}

}  // namespace zelkova::cli
