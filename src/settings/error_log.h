// ErrorLog: the program's ErrorLog.txt in the program folder, CP932 text lines ending in CR LF.
// Start-up trims it to its last 100 lines and adds the start lines; every append rewrites the
// whole file atomically. Lines already in the file are kept byte for byte.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "base/platform.h"
#include "base/status.h"

namespace zelkova {

class ErrorLog {
 public:
  ErrorLog(std::filesystem::path programFolder, const Clock& clock);

  std::filesystem::path path() const;
  // ErrorLogList as last loaded or saved.
  const std::vector<std::string>& lines() const { return lines_; }

  // Reads the file (if any) into lines() and changes nothing: for a folder that cannot be written.
  Status Load() { return load(); }
  // Loads the file (if any), keeps its last 100 lines, appends "ソフト起動：yyyy/mm/dd hh:nn:ss"
  // and the program folder line, saves.
  Status StartUp();
  // Reloads the file, appends "【エラー】hh:nn:ss：" + message (CP932), saves. Creates the file
  // when it is missing.
  Status AppendErrorLog(const std::string& message);

 private:
  Status load();
  Status save();

  std::filesystem::path folder_;
  const Clock& clock_;
  std::vector<std::string> lines_;
};

// One-shot form for the subsystems that only append.
Status AppendErrorLog(const std::filesystem::path& programFolder, const Clock& clock, const std::string& message);

// "yyyy/mm/dd hh:nn:ss" and "hh:nn:ss".
std::string FormatDateTime(const LocalTime& t);
std::string FormatTime(const LocalTime& t);

}  // namespace zelkova
