#include <ostream>

#include "cli/commands.h"

namespace zelkova::cli {

int CmdFigures(CliContext& ctx, const std::vector<std::string>&) {
  *ctx.err << "zelkova-cli: figures is not available yet\n";
  return 1;
}

}  // namespace zelkova::cli
