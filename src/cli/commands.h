// The commands of zelkova-cli. Each returns the process exit status; output is UTF-8.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace zelkova::cli {

struct CliContext {
  std::filesystem::path programFolder;  // --home DIR, else the executable's folder
  std::string feedFolder;               // --feed DIR (UTF-8), empty when not given
  std::ostream* out = nullptr;
  std::ostream* err = nullptr;
};

// Each command gets the arguments after its name. A bad argument: usage text on err, exit 2.
int CmdDates(CliContext& ctx, const std::vector<std::string>& args);
int CmdDownload(CliContext& ctx, const std::vector<std::string>& args);
int CmdFigures(CliContext& ctx, const std::vector<std::string>& args);
int CmdCsv(CliContext& ctx, const std::vector<std::string>& args);
int CmdHitReport(CliContext& ctx, const std::vector<std::string>& args);

// The usage text, shown for unknown commands and bad arguments.
std::string UsageText();

}  // namespace zelkova::cli
