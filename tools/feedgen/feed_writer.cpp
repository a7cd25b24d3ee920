#include "feed_writer.h"

#include <algorithm>
#include <map>
#include <set>

#include "base/file_io.h"
#include "calendar.h"
#include "fixed_record.h"
#include "store/stored_paths.h"
#include "records.h"
#include "records/record.h"

namespace zelkova::feedgen {

namespace {

class Writer {
 public:
  Writer(const World& w, fs::path out) : w_(w), out_(std::move(out)) {}

  Status run(const std::string& scaleName, FeedSummary* summary) {
    Status s = writeStored();
    if (s.ok()) s = writeRealtime();
    if (s.ok()) s = writeLegacy();
    if (s.ok()) s = file(out_ / "version.txt", "0490");
    // The marker file goes last, after everything before it is on disk: a feed folder holding it
    // is complete.
    if (s.ok()) s = FlushFileSystem(out_);  // one flush for the whole feed
    FeedSummary sum = summarise();
    if (s.ok()) {
      std::string readme = std::string(kFeedMarker) + "\r\n";
      readme += "seed: " + std::to_string(w_.seed) + "\r\n";
      readme += "scale: " + scaleName + "\r\n";
      readme += "today: " + YmdText(w_.today).insert(6, "-").insert(4, "-") + "\r\n";
      readme += "race days (racecourse-days): " + std::to_string(sum.raceDays) + "\r\n";
      readme += "races: " + std::to_string(sum.races) + "\r\n";
      readme += "starters: " + std::to_string(sum.starters) + "\r\n";
      readme += "stored/RACE: entries (division 1, 2), results (5, 7, A, B), payouts, masters UM KS CH\r\n";
      readme += "stored/RCVN: change notices; realtime/: 0B30 odds, 0B12 results, 0B11 weights, 0B14 changes\r\n";
      s = WriteFileAtomic(out_ / "README.txt", readme);
      if (s.ok()) {
        ++files_;
        bytes_ += readme.size();
      }
    }
    sum.files = files_;
    sum.bytes = bytes_;
    if (summary) *summary = sum;
    return s;
  }

 private:
  // ---- helpers ----
  Status file(const fs::path& p, const std::string& bytes) {
    Status s = EnsureDir(p.parent_path());
    if (!s.ok()) return s;
    s = WriteFileUnflushed(p, bytes);  // renamed into place, flushed once at the end
    if (!s.ok()) return s;
    ++files_;
    bytes_ += bytes.size();
    return Status::Ok();
  }

  // A stored JV-Link file; those released after noon today are not in the feed yet.
  Status stored(const std::string& id, int day, int minutes, const std::string& name, const std::string& bytes) {
    if (day > w_.today || (day == w_.today && minutes > 12 * 60) || bytes.empty()) return Status::Ok();
    int sec = used_[{day, minutes}]++;
    return file(out_ / "stored" / id / (StampText(day, minutes, sec % 60) + "_" + name), bytes);
  }

  // As stored(), one file per record kind as JV-Link delivers them: `bytes` (whole records of
  // any kinds) is split by kind, first-seen kind first, each file named kind + `name`.
  Status storedByKind(const std::string& id, int day, int minutes, const std::string& name, const std::string& bytes) {
    std::vector<std::pair<std::string, std::string>> parts;
    for (size_t at = 0; at < bytes.size();) {
      std::string kind = bytes.substr(at, 2);
      size_t len = RecordLength(kind);
      if (len == 0 || at + len > bytes.size()) return Status::Corruption("feedgen: record of unknown kind " + kind);
      auto it = std::find_if(parts.begin(), parts.end(), [&](auto& p) { return p.first == kind; });
      if (it == parts.end()) it = parts.insert(parts.end(), {kind, std::string()});
      it->second.append(bytes, at, len);
      at += len;
    }
    for (auto& [kind, part] : parts) {
      Status s = stored(id, day, minutes, kind + name, part);
      if (!s.ok()) return s;
    }
    return Status::Ok();
  }

  FeedSummary summarise() const {
    FeedSummary s;
    for (const RaceDate& d : w_.seasonDates) {
      std::set<std::string> courses;
      for (int ri : d.races) {
        courses.insert(w_.races[ri].course);
        ++s.races;
        for (int si : w_.races[ri].starters) {
          int a = w_.starters[si].abnormality;
          if (a != 1 && a != 3) ++s.starters;
        }
      }
      s.raceDays += static_cast<int>(courses.size());
    }
    return s;
  }

  int thursdayOf(int day) const {
    int start = day;
    for (int g : w_.groupStart)
      if (g <= day) start = g;
    return start - ((Weekday(start) - 4 + 7) % 7);
  }

  // A horse listed in the first entries that does not make the final field (a few races).
  int droppedOf(int ri) const {
    const Race& rc = w_.races[ri];
    if (ri % 9 != 4 || rc.registered >= 18) return -1;
    int h = static_cast<int>((static_cast<size_t>(ri) * 7919u) % w_.horses.size());
    for (int si : rc.starters)
      if (w_.starters[si].horse == h) return -1;
    return h;
  }

  // ---- stored data ----
  Status writeStored() {
    // History: results only, the day after.
    for (int ri : w_.historyRaces) {
      const Race& rc = w_.races[ri];
      std::string& b = history_[{rc.day, rc.division}];
      b += RaRecord(w_, rc, rc.division, rc.day + 1, Stage::kResults);
      for (int si : rc.starters) b += SeRecord(w_, rc, w_.starters[si], rc.division, rc.day + 1, Stage::kResults);
      if (rc.division == '7') b += HrRecord(rc, '2', rc.day + 1);
    }
    for (auto& [key, bytes] : history_) {
      std::string tag = key.second == '7' ? "K7" : std::string("K") + key.second;
      Status s = storedByKind("RACE", key.first + 1, 12 * 60, YmdText(key.first) + tag + ".jvd", bytes);
      if (!s.ok()) return s;
    }
    // Masters: one set per weekend, made on the Thursday of the first entries.
    std::map<int, std::vector<int>> groupDates;
    for (size_t i = 0; i < w_.seasonDates.size(); ++i) groupDates[thursdayOf(w_.seasonDates[i].day)].push_back(static_cast<int>(i));
    for (auto& [th, dates] : groupDates) {
      std::set<int> horses, jockeys, trainers;
      std::string ent1;
      for (int di : dates) {
        const RaceDate& d = w_.seasonDates[di];
        std::string e1, e2, r5, r7;
        for (int ri : d.races) {
          const Race& rc = w_.races[ri];
          int drop = droppedOf(ri);
          Race withDrop = rc;
          withDrop.dropped = drop;
          e1 += RaRecord(w_, withDrop, '1', th, Stage::kEntries);
          e2 += RaRecord(w_, rc, '2', d.day - 1, Stage::kFinalEntries);
          r5 += RaRecord(w_, rc, '5', d.day, Stage::kResults);
          r7 += RaRecord(w_, rc, '7', d.day + 1, Stage::kResults);
        }
        for (int ri : d.races) {
          const Race& rc = w_.races[ri];
          for (int si : rc.starters) {
            const Starter& s = w_.starters[si];
            e1 += SeRecord(w_, rc, s, '1', th, Stage::kEntries);
            e2 += SeRecord(w_, rc, s, '2', d.day - 1, Stage::kFinalEntries);
            r5 += SeRecord(w_, rc, s, '5', d.day, Stage::kResults);
            r7 += SeRecord(w_, rc, s, '7', d.day + 1, Stage::kResults);
            horses.insert(s.horse);
            jockeys.insert(s.jockey);
            if (s.prevJockey >= 0) jockeys.insert(s.prevJockey);
            trainers.insert(w_.horses[s.horse].trainer);
          }
          int drop = droppedOf(ri);
          if (drop >= 0) {
            e1 += SeListedOnly(w_, rc, drop, '1', th);
            e2 += SeListedOnly(w_, rc, drop, '0', d.day - 1);
          }
          r5 += HrRecord(rc, '1', d.day);
          r7 += HrRecord(rc, '2', d.day + 1);
          r7 += finalOdds(ri);  // the stored data holds each race's final odds
        }
        std::string ymd = YmdText(d.day);
        Status s = storedByKind("RACE", th, 17 * 60 + (d.day - th), ymd + "E1.jvd", e1);
        if (s.ok()) s = storedByKind("RACE", d.day - 1, 10 * 60, ymd + "E2.jvd", e2);
        if (s.ok()) s = storedByKind("RACE", d.day, 17 * 60 + 30, ymd + "S5.jvd", r5);
        if (s.ok()) s = storedByKind("RACE", d.day + 1, 12 * 60, ymd + "K7.jvd", r7);
        if (s.ok()) s = storedByKind("RCVN", d.day, 17 * 60 + 45, ymd + ".jvd", changes(d, nullptr));
        if (!s.ok()) return s;
      }
      std::string um, ks, ch;
      for (int h : horses) um += UmRecord(w_, w_.horses[h], th);
      for (int j : jockeys) ks += KsRecord(w_, w_.jockeys[j], th);
      for (int t : trainers) ch += ChRecord(w_, w_.trainers[t], th);
      std::string ymd = YmdText(th);
      Status s = stored("RACE", th, 17 * 60 + 30, "UM" + ymd + ".jvd", um);
      if (s.ok()) s = stored("RACE", th, 17 * 60 + 31, "KS" + ymd + ".jvd", ks);
      if (s.ok()) s = stored("RACE", th, 17 * 60 + 32, "CH" + ymd + ".jvd", ch);
      if (!s.ok()) return s;
    }
    return Status::Ok();
  }

  // The change notices of a race day, all in one text, or batched by release minute.
  std::string changes(const RaceDate& d, std::map<int, std::string>* batches) {
    std::string all;
    auto add = [&](int minutes, const std::string& rec) {
      all += rec;
      if (batches) (*batches)[minutes] += rec;
    };
    std::map<std::string, const Race*> firstOfCourse;
    for (int ri : d.races) {
      const Race& rc = w_.races[ri];
      if (!firstOfCourse.count(rc.course)) {
        firstOfCourse[rc.course] = &rc;
        add(8 * 60 + 30, WeRecord(rc, 8 * 60 + 30, 1, rc.weather, rc.turfGoing, rc.dirtGoing, 0, 0, 0));
      }
      // Races of one racecourse are consecutive, so race n - 1 is the one before at this course.
      const Race* prev = rc.raceNo > 1 ? &w_.races[ri - 1] : nullptr;
      if (prev && (rc.turfGoing != prev->turfGoing || rc.dirtGoing != prev->dirtGoing)) {
        int at = prev->post + 5;
        add(at, WeRecord(rc, at, 3, 0, rc.turfGoing, rc.dirtGoing, 0, prev->turfGoing, prev->dirtGoing));
      }
      if (prev && rc.weather != prev->weather) {
        int at = prev->post + 6;
        add(at, WeRecord(rc, at, 2, rc.weather, 0, 0, prev->weather, 0, 0));
      }
      if (rc.prevTrack >= 0) add(8 * 60, CcRecord(rc, 8 * 60));
      if (rc.prevPost >= 0) add(rc.prevPost - 30, TcRecord(rc, rc.prevPost - 30));
      for (int si : rc.starters) {
        const Starter& s = w_.starters[si];
        if (s.abnormality == 1) add(std::max(8 * 60, rc.post - 90), AvRecord(w_, rc, s, std::max(8 * 60, rc.post - 90)));
        if (s.abnormality == 3) add(rc.post - 2, AvRecord(w_, rc, s, rc.post - 2));
        if (s.prevJockey >= 0) add(9 * 60, JcRecord(w_, rc, s, 9 * 60));
      }
    }
    return all;
  }

  // The final odds of race `ri` (an O1 and an O2 record, division 4, no announcement time), the
  // same in the real-time stream and the stored data. They match the results' final win odds.
  std::string finalOdds(int ri) const {
    const Race& rc = w_.races[static_cast<size_t>(ri)];
    Rng r(w_.seed ^ (static_cast<uint64_t>(ri) * 0x9E3779B97F4A7C15ULL) ^ 0xF1A1ULL);
    const std::vector<int> odds = SnapshotWinOdds(w_, rc, 0.0, r);
    std::string o1 = O1Record(w_, rc, '4', rc.day, 0, odds, r);
    return o1 + O2Record(w_, rc, '4', rc.day, 0, odds, r);
  }

  // ---- real-time streams of the latest race days ----
  static std::string Minute(int day, int minutes) { return YmdText(day) + Digits(minutes / 60, 2) + Digits(minutes % 60, 2); }

  Status writeRealtime() {
    size_t n = w_.seasonDates.size();
    for (size_t i = n >= 2 ? n - 2 : 0; i < n; ++i) {
      const RaceDate& d = w_.seasonDates[i];
      std::string ymd = YmdText(d.day);
      std::map<int, std::string> results, weights, notices;
      for (int ri : d.races) {
        const Race& rc = w_.races[ri];
        std::string key = RaceKey(rc);
        // Odds snapshots; the same lines go to the time-series folder.
        std::vector<std::pair<int, int>> times;  // (day, minutes)
        if (Weekday(d.day) == 0) times.push_back({d.day - 1, 17 * 60});
        for (int before : {120, 60, 30, 15, 5}) times.push_back({d.day, rc.post - before});
        Rng r(w_.seed ^ (static_cast<uint64_t>(ri) * 0x9E3779B97F4A7C15ULL));
        std::string o1lines, o2lines;
        for (size_t k = 0; k < times.size(); ++k) {
          auto [day, minutes] = times[k];
          bool eve = day != d.day;
          double drift = std::min(1.0, (rc.post - minutes + (eve ? 1440 : 0)) / 90.0);
          char div = eve ? '2' : '1';
          const std::vector<int> odds = SnapshotWinOdds(w_, rc, drift, r);
          std::string o1 = O1Record(w_, rc, div, day, minutes, odds, r);
          std::string o2 = O2Record(w_, rc, div, day, minutes, odds, r);
          o1lines += o1;
          o2lines += o2;
          Status s = file(out_ / "realtime" / "0B30" / key / (Minute(day, minutes) + ".txt"), o1 + o2);
          if (!s.ok()) return s;
        }
        {
          // The final odds come with the results, after the race.
          const std::string fin = finalOdds(ri);
          o1lines += fin.substr(0, kLenO1);
          o2lines += fin.substr(kLenO1);
          Status s = file(out_ / "realtime" / "0B30" / key / (Minute(d.day, rc.post + 12) + ".txt"), fin);
          if (!s.ok()) return s;
        }
        std::string base = rc.course + Digits(rc.meeting, 2) + Digits(rc.dayNo, 2) + Digits(rc.raceNo, 2);
        Status s = file(out_ / "jikeiretu" / ymd / (base + ".jvO1"), o1lines);
        if (s.ok()) s = file(out_ / "jikeiretu" / ymd / (base + ".jvO2"), o2lines);
        if (!s.ok()) return s;
        std::string& res = results[rc.post + 12];
        res += RaRecord(w_, rc, '5', d.day, Stage::kResults);
        for (int si : rc.starters) res += SeRecord(w_, rc, w_.starters[si], '5', d.day, Stage::kResults);
        res += HrRecord(rc, '1', d.day);
        weights[rc.post - 70] += WhRecord(w_, rc, d.day, rc.post - 70);
        if (rc.video) {
          s = file(out_ / "video" / (ymd + rc.course + Digits(rc.raceNo, 2)), "");
          if (!s.ok()) return s;
        }
      }
      changes(d, &notices);
      for (auto* m : {&results, &weights, &notices}) {
        const char* dataspec = m == &results ? "0B12" : m == &weights ? "0B11" : "0B14";
        for (auto& [minutes, bytes] : *m) {
          Status s = file(out_ / "realtime" / dataspec / ymd / (Minute(d.day, minutes) + ".txt"), bytes);
          if (!s.ok()) return s;
        }
      }
    }
    return Status::Ok();
  }

  // ---- the legacy horse master of the first race day ----
  Status writeLegacy() {
    if (w_.seasonDates.empty()) return Status::Ok();
    const RaceDate& d = w_.seasonDates.front();
    int th = thursdayOf(d.day);
    std::set<int> horses;
    for (int ri : d.races)
      for (int si : w_.races[ri].starters) horses.insert(w_.starters[si].horse);
    std::string bytes;
    for (int h : horses) bytes += LegacyUmRecord(w_, w_.horses[h], th);
    return file(out_ / "legacy" / FsName(DateText(YmdText(d.day)) + ".jvUMA"), bytes);
  }

  const World& w_;
  fs::path out_;
  int files_ = 0;
  uint64_t bytes_ = 0;
  std::map<std::pair<int, int>, int> used_;
  std::map<std::pair<int, char>, std::string> history_;
};

}  // namespace

Status WriteFeed(const World& w, const fs::path& out, const std::string& scaleName, FeedSummary* summary) {
  return Writer(w, out).run(scaleName, summary);
}

}  // namespace zelkova::feedgen
