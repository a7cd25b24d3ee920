// The commands of zelkova-cli. Each returns the process exit status; output is UTF-8.
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/headless_day.h"
#include "app/race_choice.h"
namespace zelkova {
class Clock;
class JvLink;
class TIniGT;
}  // namespace zelkova

namespace zelkova::cli {

struct CliContext {
  std::filesystem::path programFolder;  // --home DIR, else the executable's folder
  std::string feedFolder;               // --feed DIR (UTF-8), empty when not given
  std::ostream* out = nullptr;
  std::ostream* err = nullptr;
};

// Each command gets the arguments after its name. A bad argument: one line on err saying what is
// wrong with it, exit 2.
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
int CmdRaces(CliContext& ctx, const std::vector<std::string>& args);
int CmdJvLinkSetup(CliContext& ctx, const std::vector<std::string>& args);

// The JV-Link a command downloads from: the feed folder given with --feed, else the system's
// JV-Link (the control on Windows), else the feed folder remembered in `ini` (when given). A
// recorded feed keeps its download index in `cacheDir` (empty: in memory). nullptr after saying
// why on err (the command then ends with 1).
std::unique_ptr<JvLink> CommandJvLink(CliContext& ctx, const TIniGT* ini, const Clock& clock,
                                      const std::filesystem::path& cacheDir);

// Says `why` (UTF-8) on err as the one line of a bad argument; returns 2.
int BadArgument(CliContext& ctx, const std::string& why);

// A DATE operand (yyyymmdd, yyyy-mm-dd or yyyy年mm月dd日): sets `date` to the CP932 date text, or
// says why it is none, an impossible day as such (the command then ends with status 2).
bool DateOperand(CliContext& ctx, const std::string& arg, std::string& date);
// A number option (`--race N` …) and the range it takes; `what` names the number in messages.
struct NumberOption {
  const char* name;
  int lo, hi;
  const char* what;
};
// Sets v from the option's value, or returns why it cannot (missing, not a number, out of range).
std::string CheckNumber(const NumberOption& o, const std::string* value, int& v);
// The arguments of a command that shows a day's figures: DATE, the race (--course and --race, as
// every command names a race), --samples N and --weight-switch 0|1, each checked with a message
// naming the value.
struct DayArguments {
  std::string date;          // CP932 date text
  RaceName race;             // as given
  int samples = -1;          // -1: the program's setting
  int weightSwitch = -1;     // -1: the program's setting
};
// A command's own option: returns 0 when `arg` is not one, 1 when it is a flag, 2 when it took
// `*value` (null when none follows), or -1 after naming what is wrong with it in `why`.
using OwnOption = std::function<int(const std::string& arg, const std::string* value, std::string& why)>;
// Reads the arguments into `day`, passing any other option to `own`; 0 when they are good, else 2
// after saying what is wrong. DATE is required.
int ParseDayArguments(CliContext& ctx, const std::vector<std::string>& args, DayArguments& day,
                      const OwnOption& own = {});
// The races `name` picks of a loaded day (`one`: exactly one, see ChooseRaces) into `slots`: 0, or
// after saying why on err 1 when the day has no such race and 2 when the name must say more.
int ChosenRaces(CliContext& ctx, const RaceDay& day, const RaceName& name, bool one, std::vector<int>& slots);
// A problem text of the core (CP932) for err: UTF-8 with its line ends as spaces.
std::string Said(std::string_view cp932);
// False, after saying so, when the program folder does not exist (the command ends with 1).
bool ProgramFolderReady(CliContext& ctx);
// Loads `date` into `day` as the commands that show one date do: what the load warns of goes to
// err as it comes; a failed load is said there and gives nothing (the command ends with 1).
std::optional<HeadlessLoad> LoadDayForCommand(CliContext& ctx, const std::string& date, RaceDay& day);

// The usage text, shown by --help and when no command is given.
std::string UsageText();

// The checks of the program's start: a feed folder given with --feed must be a feed folder, and
// (with `programFolder`) the program folder must exist and hold its fixed files. 0 when they
// pass; else 1, with the same messages as the program, on err.
int CheckStart(const CliContext& ctx, bool programFolder);
// A download starts a new program folder (missing or empty) with the fixed files from beside the
// program, saying so on err. 0 when the folder is there now, else 1 after saying why.
int StartNewProgramFolder(const CliContext& ctx);

}  // namespace zelkova::cli
