// The commands of zelkova-cli. Each returns the process exit status; output is UTF-8.
#pragma once

#include <filesystem>
#include <functional>
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
int CmdExport(CliContext& ctx, const std::vector<std::string>& args);
int CmdHitReport(CliContext& ctx, const std::vector<std::string>& args);
int CmdRecordFeed(CliContext& ctx, const std::vector<std::string>& args);
int CmdView(CliContext& ctx, const std::vector<std::string>& args);
int CmdHistory(CliContext& ctx, const std::vector<std::string>& args);
int CmdFrequency(CliContext& ctx, const std::vector<std::string>& args);
int CmdFollow(CliContext& ctx, const std::vector<std::string>& args);

// A DATE operand of `cmd` (yyyymmdd or yyyy年mm月dd日): sets `date` to the CP932 date text, or
// says why it is none (the command then ends with status 2).
bool DateOperand(CliContext& ctx, const char* cmd, const std::string& arg, std::string& date);
// A number option (`--race N` …) and the range it takes; `what` names the number in messages.
struct NumberOption {
  const char* name;
  int lo, hi;
  const char* what;
};
// Sets v from the option's value, or returns why it cannot (missing, not a number, out of range).
std::string CheckNumber(const NumberOption& o, const std::string* value, int& v);
// The arguments of a command that shows a day's figures: DATE, --race N (`race` gives its range
// and meaning), --samples N and --weight-switch 0|1, each checked with a message naming the value.
struct DayArguments {
  explicit DayArguments(NumberOption r) : race(r) {}
  NumberOption race;
  std::string date;          // CP932 date text
  int raceNumber = 0;        // as given, else the caller's default
  int samples = -1;          // -1: the program's setting
  int weightSwitch = -1;     // -1: the program's setting
};
// A command's own option: returns 0 when `arg` is not one, 1 when it is a flag, 2 when it took
// `*value` (null when none follows), or -1 after naming what is wrong with it in `why`.
using OwnOption = std::function<int(const std::string& arg, const std::string* value, std::string& why)>;
// Reads the arguments into `day`, passing any other option to `own`; 0 when they are good, else 2
// after the usage text on err. DATE is required.
int ParseDayArguments(CliContext& ctx, const char* cmd, const std::vector<std::string>& args, DayArguments& day,
                      const OwnOption& own = {});
// False, after saying so, when the program folder does not exist (the command ends with 1).
bool ProgramFolderReady(CliContext& ctx, const char* cmd);

// The usage text, shown by --help and for unknown commands and bad arguments.
std::string UsageText();

// The checks of the program's start: a feed folder given with --feed must be a feed folder, and
// (with `programFolder`) the program folder must exist and hold its fixed files. 0 when they
// pass; else 1, with the same messages as the program, on err.
int CheckStart(const CliContext& ctx, bool programFolder);
// A download starts a new program folder (missing or empty) with the fixed files from beside the
// program, saying so on err. 0 when the folder is there now, else 1 after saying why.
int StartNewProgramFolder(const CliContext& ctx);

}  // namespace zelkova::cli
