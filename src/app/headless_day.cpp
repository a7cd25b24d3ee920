#include "app/headless_day.h"

#include "app/startup.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "base/platform.h"
#include "settings/ini_gt.h"
#include "store/legacy_um.h"
#include "store/stored_paths.h"

namespace zelkova {

namespace {

// Problems go to the caller; a legacy horse master is converted as the program would.
class HeadlessObserver : public LoadObserver {
 public:
  HeadlessObserver(const std::filesystem::path& folder, const std::function<void(const std::string&)>& warn,
                   bool readOnly)
      : folder_(folder), warn_(warn), readOnly_(readOnly) {}
  void UMConvertBtn(const std::string& date) override {
    if (readOnly_ || !FileExists(DataPath(folder_, date, ".jvUMA"))) return;
    Status s = ConvertLegacyHorseMaster(folder_, date);
    if (!s.ok()) Problem(s.message());
  }
  void Problem(const std::string& text) override {
    if (warn_) warn_(text);
  }

 private:
  const std::filesystem::path& folder_;
  const std::function<void(const std::string&)>& warn_;
  bool readOnly_;
};

}  // namespace

Result<HeadlessLoad> LoadDayHeadless(const std::filesystem::path& programFolder, const std::string& dateText,
                                     RaceDay& day, const std::function<void(const std::string&)>& warn) {
  HeadlessLoad out;
  TIniGT settings(programFolder, "zelkova");
  out.samples = settings.ReadInteger("AvChakusa", "samplesu", 13);
  out.weightSwitch = settings.ReadInteger("Futanjuryo", "Ignore", 0);

  // The program folder's own fixed files, as the program starts with them (the callers check them
  // at start and end there; a file gone since leaves the ratings at their starting values).
  const FixedFiles fixed = LoadFixedFiles(programFolder);
  for (const std::string& m : fixed.messages)
    if (warn) warn(m);
  out.ratings = fixed.messages.empty();

  SystemClock clock;
  LoadInputs in;
  in.dateText = dateText;
  in.programFolder = programFolder;
  in.settings = &settings;
  in.clock = &clock;
  // Whoever runs this told the user already when the folder cannot be written.
  in.readOnly = !ProgramFolderWritable(programFolder).ok();
  if (out.ratings) {
    in.tables = &fixed.tables;
    in.gates = &fixed.gate;
  }
  HeadlessObserver obs(programFolder, warn, in.readOnly);
  if (Status s = LoadRaceDay(day, in, obs); !s.ok()) return s;
  return out;
}

std::string CheckDateArgument(const std::string& arg, std::string* text) {
  std::string digits;
  if (arg.size() == 8 && IsAllDigits(arg)) {
    digits = arg;
  } else if (arg.size() == 10 && arg[4] == '-' && arg[7] == '-') {
    digits = arg.substr(0, 4) + arg.substr(5, 2) + arg.substr(8, 2);
  } else if (auto sj = Utf8ToCp932(arg); sj.ok() && sj->size() == 14) {
    digits = sj->substr(0, 4) + sj->substr(6, 2) + sj->substr(10, 2);
    if (IsAllDigits(digits) && DateText(digits) != *sj) digits.clear();
  }
  if (digits.size() != 8 || !IsAllDigits(digits)) {
    auto shown = Utf8ToCp932(arg);
    return Sj("「") + (shown.ok() ? *shown : std::string("?")) + Sj("」は日付ではありません（yyyymmdd、yyyy-mm-dd、yyyy年mm月dd日）");
  }
  const int y = std::stoi(digits.substr(0, 4)), m = std::stoi(digits.substr(4, 2)), d = std::stoi(digits.substr(6, 2));
  static const int kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  if (y < 1 || m < 1 || m > 12 || d < 1 || d > kDays[m - 1] || (m == 2 && d == 29 && !leap))
    return DateText(digits) + Sj("という日はありません");
  if (text) *text = DateText(digits);
  return {};
}

std::string DateArgument(const std::string& arg) {
  std::string text;
  return CheckDateArgument(arg, &text).empty() ? text : std::string();
}

}  // namespace zelkova
