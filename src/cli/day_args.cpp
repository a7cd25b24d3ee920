#include "cli/day_args.h"

#include <ostream>

#include "base/cp932.h"
#include "base/file_io.h"
#include "settings/program_folder.h"
#include "store/legacy_um.h"
#include "store/stored_paths.h"

namespace zelkova::cli {

namespace {

// Fixed files are looked for in the program folder, then beside the executable.
std::filesystem::path FixedFile(const std::filesystem::path& home, const char* name) {
  auto p = ChildPath(home, name);
  if (FileExists(p)) return p;
  return ExecutableFolder(nullptr) / name;
}

}  // namespace

bool ParseNumber(const std::string& s, int lo, int hi, int& v) {
  if (s.empty() || s.size() > 4) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  v = std::stoi(s);
  return v >= lo && v <= hi;
}

std::string DateArgument(const std::string& arg) {
  std::string digits;
  if (arg.size() == 8 && IsAllDigits(arg)) {
    digits = arg;
  } else {
    auto sj = Utf8ToCp932(arg);
    if (!sj.ok() || sj->size() != 14) return {};
    digits = sj->substr(0, 4) + sj->substr(6, 2) + sj->substr(10, 2);
    if (!IsAllDigits(digits) || DateText(digits) != *sj) return {};
  }
  int m = std::stoi(digits.substr(4, 2)), d = std::stoi(digits.substr(6, 2));
  if (m < 1 || m > 12 || d < 1 || d > 31) return {};
  return DateText(digits);
}

void CliObserver::UMConvertBtn(const std::string& date) {
  if (!FileExists(DataPath(ctx_.programFolder, date, ".jvUMA"))) return;
  Status s = ConvertLegacyHorseMaster(ctx_.programFolder, date);
  if (!s.ok()) Problem(s.message());
}

void CliObserver::Problem(const std::string& text) {
  *ctx_.err << "zelkova-cli: warning: " << Cp932ToUtf8Lossy(text) << "\n";
}

void LoadRatingFiles(CliContext& ctx, const char* command, RatingFiles& files) {
  files.ok = true;
  if (Status s = files.tables.Load(FixedFile(ctx.programFolder, "RTJ.dat").parent_path()); !s.ok()) {
    *ctx.err << "zelkova-cli: " << command << ": rating tables unavailable (" << Cp932ToUtf8Lossy(s.message())
             << "); ratings are left at their starting values\n";
    files.ok = false;
  }
  if (auto g = LoadGateTable(FixedFile(ctx.programFolder, "SetGate.tbl")); g.ok()) {
    files.gates = *g;
  } else {
    *ctx.err << "zelkova-cli: " << command << ": gate table unavailable (" << Cp932ToUtf8Lossy(g.status().message())
             << "); ratings are left at their starting values\n";
    files.ok = false;
  }
}

}  // namespace zelkova::cli
