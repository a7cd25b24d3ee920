#include "jvlink/feed_recorder.h"

#include <cstdio>
#include <set>

#include "base/cp932.h"
#include "base/file_io.h"
#include "base/fixed_fields.h"
#include "jvlink/jv_link.h"
#include "jvlink/jv_message.h"
#include "store/stored_paths.h"

namespace zelkova {
namespace {

// The buffer size the program passes to JVRead.
constexpr int kReadBuffer = 60000;
// The stored data the program downloads ("RACERCVN"), opened one id at a time so that each
// file's id is known.
constexpr const char* kStoredIds[] = {"RACE", "RCVN"};
// The day-keyed real-time streams; the odds (0B30) are keyed by race.
constexpr const char* kDayStreams[] = {"0B12", "0B11", "0B14"};

std::string Digits(int value, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, value);
  return buf;
}

std::string Stamp(const LocalTime& t, bool seconds) {
  std::string s = Digits(t.year, 4) + Digits(t.month, 2) + Digits(t.day, 2) + Digits(t.hour, 2) + Digits(t.minute, 2);
  return seconds ? s + Digits(t.second, 2) : s;
}

// A JV-Link file name as a feed file name: letters, digits, '.', '_' and '-' only.
std::string SafeName(const std::string& name) {
  std::string out;
  for (char c : name) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
                    c == '-';
    out += ok ? c : '_';
  }
  return out.empty() ? std::string("unnamed") : out;
}

class Recorder {
 public:
  Recorder(JvLink& jv, const Clock& clock, const std::filesystem::path& out, const FeedRecordOptions& o,
           FeedRecordSummary& sum)
      : jv_(jv), clock_(clock), out_(out), o_(o), sum_(sum) {}

  Status run() {
    if (Status s = EnsureDir(out_); !s.ok()) return s;
    const std::string version = jv_.version();
    if (version.size() == 4 && IsAllDigits(version)) {
      if (Status s = WriteFileAtomic(out_ / "version.txt", version); !s.ok()) return s;
    }
    if (!o_.fromdate.empty())
      for (const char* id : kStoredIds)
        if (Status s = stored(id); !s.ok()) return s;
    if (!o_.realtimeDate.empty()) {
      if (!IsDateKey(o_.realtimeDate)) return Status::InvalidArgument(Sj("「") + o_.realtimeDate + Sj("」は日付（yyyymmdd）ではありません"));
      for (const char* ds : kDayStreams)
        if (Status s = realtime(ds, o_.realtimeDate); !s.ok()) return s;
      for (const std::string& key : raceKeys_)
        if (Status s = realtime("0B30", key); !s.ok()) return s;
      for (const std::string& key : raceKeys_)
        if (Status s = video(key); !s.ok()) return s;
      if (raceKeys_.empty())
        say(o_.realtimeDate + Sj("のレースが読んだレコードにないため、オッズは記録していません（その日の蓄積系データも --from で記録してください）"));
    }
    return firstFailure_;
  }

 private:
  void say(const std::string& line) {
    if (o_.report) o_.report(line);
  }
  void pause() {
    if (o_.wait) o_.wait();
  }
  // A failure and its JV-Link message; an internal error (-401) also says what lay behind it.
  void failed(const std::string& prefix, const std::string& operation, int code) {
    std::string text = prefix + JvMessage(operation, code);
    if (code == -401 && !jv_.lastProblem().empty()) text += ": " + jv_.lastProblem();
    ++sum_.failures;
    say(text);
    if (firstFailure_.ok()) firstFailure_ = Status::IoError(text);
  }
  void close() {
    if (const int r = jv_.JVClose(); r != 0) failed(Sj("JVCloseエラー:"), "JVClose", r);
  }

  // Notes the races of the recorded day that a record names (RA and SE carry the race key).
  void noteRace(const std::string& rec) {
    if (o_.realtimeDate.empty() || rec.size() < 27) return;
    const std::string kind = rec.substr(0, 2);
    if (kind != "RA" && kind != "SE") return;
    const std::string key = rec.substr(11, 16);
    if (IsRaceKey(key) && key.compare(0, 8, o_.realtimeDate) == 0) raceKeys_.insert(key);
  }

  // Reads the open cycle to its end. Each file JVRead names is handed to `done` as it ends
  // (stored data), or everything at the end as one (real-time). False after a read error.
  bool readAll(bool perFile, const std::function<Status(const std::string& name, const std::string& bytes)>& done,
               Status& writeError) {
    std::string buff, filename, name, bytes;
    long long records = 0;
    auto flush = [&] {
      if (bytes.empty()) return true;
      writeError = done(name, bytes);
      sum_.records += records;
      bytes.clear();
      records = 0;
      return writeError.ok();
    };
    for (;;) {
      int size = kReadBuffer;
      const int r = jv_.JVRead(buff, size, filename);
      if (r > 0) {
        if (perFile && filename != name && !flush()) return true;
        name = filename;
        // Each record ends with CR LF; one that lacks it would run into the next when replayed.
        if (buff.size() < 2 || buff.compare(buff.size() - 2, 2, "\r\n") != 0) buff += "\r\n";
        noteRace(buff);
        bytes += buff;
        ++records;
      } else if (r == 0) {
        flush();
        return true;
      } else if (r == -1) {
        if (perFile && !flush()) return true;
      } else if (r == -2 || r == -3) {
        pause();
      } else {
        failed(Sj("JVReadエラー:"), "JVRead", r);
        return false;  // what was read of the file is dropped: a torn file would replay as whole
      }
    }
  }

  Status stored(const std::string& id) {
    int readcount = 0, downloadcount = 0;
    std::string last;
    const int r = jv_.JVOpen(id, o_.fromdate, o_.option, readcount, downloadcount, last);
    if (r == -1) {
      say(id + Sj("：") + o_.fromdate + Sj("より新しいデータはありません"));
      close();
      return Status::Ok();
    }
    if (r != 0) {
      failed(id + " " + Sj("JVOpenエラー:"), "JVOpen", r);
      close();
      return Status::Ok();
    }
    say(id + Sj("：ファイル") + std::to_string(readcount) + Sj("個、うちダウンロード") + std::to_string(downloadcount) + Sj("個"));
    // Every file gets the newest file's time: JV-Link names no time per file, and a replay from
    // the time the program remembers after this download then serves nothing again.
    const std::string stamp = last.size() == 14 && IsAllDigits(last) && last != "00000000000000"
                                  ? last
                                  : Stamp(clock_.now(), true);
    while (downloadcount > 0) {
      const int n = jv_.JVStatus();
      if (n < 0) {
        failed(id + " " + Sj("JVStatusエラー:"), "JVStatus", n);
        close();
        return Status::Ok();
      }
      if (n >= downloadcount) break;
      pause();
    }
    const std::filesystem::path dir = out_ / "stored" / id;
    Status writeError;
    readAll(
        true,
        [&](const std::string& name, const std::string& bytes) {
          Status s = EnsureDir(dir);
          if (s.ok()) s = WriteFileAtomic(dir / (stamp + "_" + SafeName(name)), bytes);
          if (s.ok()) ++sum_.storedFiles;
          return s;
        },
        writeError);
    close();
    return writeError;
  }

  Status realtime(const std::string& dataspec, const std::string& key) {
    const int r = jv_.JVRTOpen(dataspec, key);
    if (r != 0) {
      if (r == -1) say(dataspec + " " + key + Sj("：データがありません"));
      else failed(dataspec + " " + key + " " + Sj("JVRTOpenエラー:"), "JVRTOpen", r);
      close();
      return Status::Ok();
    }
    const std::filesystem::path dir = out_ / "realtime" / dataspec / key;
    const std::string file = Stamp(clock_.now(), false) + ".txt";
    Status writeError;
    readAll(
        false,
        [&](const std::string&, const std::string& bytes) {
          Status s = EnsureDir(dir);
          if (s.ok()) s = WriteFileAtomic(dir / file, bytes);
          if (s.ok()) ++sum_.realtimeBatches;
          return s;
        },
        writeError);
    close();
    return writeError;
  }

  Status video(const std::string& raceKey) {
    // year, month-day, racecourse, race number
    const std::string movieKey = raceKey.substr(0, 10) + raceKey.substr(14, 2);
    const int r = jv_.JVMVCheck(movieKey);
    if (r != 1) {
      if (r != 0) say(movieKey + Sj("：") + JvMessage("JVMVCheck", r));
      return Status::Ok();
    }
    Status s = EnsureDir(out_ / "video");
    if (s.ok()) s = WriteFileAtomic(out_ / "video" / movieKey, "");
    if (s.ok()) ++sum_.videos;
    return s;
  }

  JvLink& jv_;
  const Clock& clock_;
  const std::filesystem::path out_;
  const FeedRecordOptions& o_;
  FeedRecordSummary& sum_;
  std::set<std::string> raceKeys_;
  Status firstFailure_;
};

}  // namespace

Status RecordFeed(JvLink& jv, const Clock& clock, const std::filesystem::path& out, const FeedRecordOptions& options,
                  FeedRecordSummary* summary) {
  FeedRecordSummary sum;
  Status s = Recorder(jv, clock, out, options, sum).run();
  if (summary) *summary = sum;
  return s;
}

}  // namespace zelkova
