#include "settings/error_log.h"

#include <cstdio>

#include "base/cp932.h"
#include "base/file_io.h"

namespace zelkova {

std::string FormatDateTime(const LocalTime& t) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return buf;
}

std::string FormatTime(const LocalTime& t) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
  return buf;
}

ErrorLog::ErrorLog(std::filesystem::path programFolder, const Clock& clock)
    : folder_(std::move(programFolder)), clock_(clock) {}

std::filesystem::path ErrorLog::path() const { return ChildPath(folder_, "ErrorLog.txt"); }

Status ErrorLog::load() {
  lines_.clear();
  auto bytes = ReadFile(path());
  if (!bytes.ok()) return bytes.status().isNotFound() ? Status::Ok() : bytes.status();
  lines_ = SplitLines(*bytes);
  return Status::Ok();
}

Status ErrorLog::save() { return WriteFileAtomic(path(), JoinLinesCrLf(lines_)); }

Status ErrorLog::StartUp() {
  if (Status s = load(); !s.ok()) return s;  // an unreadable log is not overwritten
  if (lines_.size() > 100) lines_.erase(lines_.begin(), lines_.end() - 100);
  lines_.push_back(Sj("ソフト起動：") + FormatDateTime(clock_.now()));
  lines_.push_back(PathText(folder_));
  return save();
}

Status ErrorLog::AppendErrorLog(const std::string& message) {
  if (Status s = load(); !s.ok()) return s;
  lines_.push_back(Sj("【エラー】") + FormatTime(clock_.now()) + Sj("：") + message);
  return save();
}

Status AppendErrorLog(const std::filesystem::path& programFolder, const Clock& clock, const std::string& message) {
  ErrorLog log(programFolder, clock);
  return log.AppendErrorLog(message);
}

}  // namespace zelkova
