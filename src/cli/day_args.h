// What the commands that load a date share: reading a date argument, the fixed files the ratings
// need, and an observer that reports a load's problems on stderr.
#pragma once

#include <filesystem>
#include <string>

#include "analysis/rating_tables.h"
#include "cli/commands.h"
#include "day/load_race_day.h"
#include "settings/gate_table.h"

namespace zelkova::cli {

// A decimal argument of at most four digits within lo..hi.
bool ParseNumber(const std::string& s, int lo, int hi, int& v);

// yyyymmdd or the date text yyyy年mm月dd日 -> the CP932 date text; empty when neither.
std::string DateArgument(const std::string& arg);

// Load problems go to stderr as warnings; the legacy horse master is converted as the program
// would.
class CliObserver : public LoadObserver {
 public:
  explicit CliObserver(CliContext& ctx) : ctx_(ctx) {}
  void UMConvertBtn(const std::string& date) override;
  void Problem(const std::string& text) override;

 private:
  CliContext& ctx_;
};

// The rating tables and the gate table, looked for in the program folder, then beside the
// executable. False (after a warning naming `command`) when either is unavailable.
struct RatingFiles {
  RatingTables tables;
  GateTable gates;
  bool ok = false;
};
void LoadRatingFiles(CliContext& ctx, const char* command, RatingFiles& files);

}  // namespace zelkova::cli
