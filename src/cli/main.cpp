// zelkova-cli: headless commands over the same core as the program.
#include <iostream>
#include <string>
#include <vector>

#include "app/program_folder.h"
#include "cli/commands.h"

using zelkova::cli::CliContext;

namespace zelkova::cli {

std::string UsageText() {
  return "usage: zelkova-cli [--home DIR] [--feed DIR] COMMAND [ARGS]\n"
         "commands:\n"
         "  dates                                   the stored dates, newest first\n"
         "  download [--from \"yyyy/mm/dd hh:nn:ss\"] [--write-through]\n"
         "                                          batch download of stored JV-Data\n"
         "  figures DATE [--race N] [--samples N] [--weight-switch 0|1]\n"
         "                                          every runner's figures as CSV (DATE: yyyymmdd)\n";
}

}  // namespace zelkova::cli

int main(int argc, char** argv) {
  CliContext ctx;
  ctx.out = &std::cout;
  ctx.err = &std::cerr;
  ctx.programFolder = zelkova::ExecutableFolder(argv[0]);
  std::vector<std::string> args(argv + 1, argv + argc);
  size_t i = 0;
  while (i < args.size()) {
    if (args[i] == "--home" || args[i] == "--feed") {
      if (i + 1 >= args.size()) {
        std::cerr << "zelkova-cli: " << args[i] << " needs a folder\n" << zelkova::cli::UsageText();
        return 2;
      }
      if (args[i] == "--home")
        ctx.programFolder = std::filesystem::absolute(args[i + 1]);
      else
        ctx.feedFolder = std::filesystem::absolute(args[i + 1]).string();
      i += 2;
    } else if (args[i] == "--help" || args[i] == "-h") {
      std::cout << zelkova::cli::UsageText();
      return 0;
    } else {
      break;
    }
  }
  if (i >= args.size()) {
    std::cerr << zelkova::cli::UsageText();
    return 2;
  }
  const std::string cmd = args[i];
  std::vector<std::string> rest(args.begin() + static_cast<long>(i) + 1, args.end());
  if (cmd == "dates") return zelkova::cli::CmdDates(ctx, rest);
  if (cmd == "download") return zelkova::cli::CmdDownload(ctx, rest);
  if (cmd == "figures") return zelkova::cli::CmdFigures(ctx, rest);
  std::cerr << "zelkova-cli: unknown command '" << cmd << "'\n" << zelkova::cli::UsageText();
  return 2;
}
