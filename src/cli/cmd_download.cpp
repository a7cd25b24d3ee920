#include <ostream>

#include "cli/commands.h"

namespace zelkova::cli {

int CmdDownload(CliContext& ctx, const std::vector<std::string>&) {
  *ctx.err << "zelkova-cli: download is not available yet\n";
  return 1;
}

}  // namespace zelkova::cli
