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

}  // namespace zelkova
