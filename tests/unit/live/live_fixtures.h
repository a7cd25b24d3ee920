// Records and a small race day for the race-day tests: a program folder holding one day at
// Tokyo (05, meeting 02, day 03) with its race, entry and odds files, and a recorded feed whose
// real-time batches the tests write.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "base/file_io.h"
#include "day/load_race_day.h"
#include "jvlink/recorded_jv_link.h"
#include "jvlink/software_id.h"
#include "records/record.h"
#include "store/stored_files.h"
#include "store/stored_paths.h"
#include "test_support.h"

namespace zelkova::testing {

inline void Put(std::string& rec, size_t pos, std::string_view text) { rec.replace(pos - 1, text.size(), text); }

inline std::string Two(int n) { return std::string{static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)}; }

// A record of `len` bytes (CR LF included): kind, data division, creation date, then blanks.
inline std::string Blank(const char* kind, char division, size_t len) {
  std::string r(len, ' ');
  Put(r, 1, kind);
  r[2] = division;
  Put(r, 4, "20240518");
  Put(r, len - 1, "\r\n");
  return r;
}

inline const char* kDay = "20240519";
// Race key of race `race` of the day (Tokyo, meeting 02, day 03).
inline std::string RaceKey(int race, const std::string& date = kDay) { return date + "05" + "0203" + Two(race); }

// RA with post time `hhmm` and `runners` runners.
inline std::string RA(int race, const std::string& hhmm, int runners = 3, char division = '2',
                      const std::string& date = kDay) {
  std::string r = Blank("RA", division, kLenRA);
  Put(r, 12, RaceKey(race, date));
  Put(r, 874, hhmm);
  Put(r, 882, Two(runners));
  return r;
}

// SE of horse `horse` in race `race`; `weight` fills 325..331 ("486+004").
inline std::string SE(int race, int horse, char division = '2', const std::string& weight = "",
                      const std::string& finish = "") {
  std::string r = Blank("SE", division, kLenSE);
  Put(r, 12, RaceKey(race));
  Put(r, 28, "1");
  Put(r, 29, Two(horse));
  Put(r, 31, "20201000" + Two(horse));
  if (!weight.empty()) Put(r, 325, weight);
  if (!finish.empty()) Put(r, 335, finish);
  return r;
}

inline std::string HR(int race, char division = '1') {
  std::string r = Blank("HR", division, kLenHR);
  Put(r, 12, RaceKey(race));
  Put(r, 103, "01000000150 1");  // win: horse 1 pays 150, popularity 1
  return r;
}

inline std::string WH(int race, const std::vector<std::string>& entries) {
  std::string r = Blank("WH", '1', kLenWH);
  Put(r, 12, RaceKey(race));
  for (size_t k = 0; k < entries.size(); ++k) Put(r, 74 + 45 * k, entries[k]);
  return r;
}

// O1 of race `race` announced at `mmddhhnn`: win odds per horse (4 characters each), place odds
// low and high (4 each, "----" allowed).
inline std::string O1(int race, const std::string& mmddhhnn, const std::vector<std::string>& win,
                      const std::vector<std::pair<std::string, std::string>>& place = {}, char division = '1') {
  std::string r = Blank("O1", division, kLenO1);
  Put(r, 12, RaceKey(race));
  Put(r, 28, mmddhhnn);
  for (size_t h = 0; h < win.size(); ++h) Put(r, 46 + 8 * h, win[h]);
  for (size_t h = 0; h < place.size(); ++h) {
    Put(r, 270 + 12 * h, place[h].first);
    Put(r, 274 + 12 * h, place[h].second);
  }
  return r;
}

inline std::string O2(int race, const std::string& mmddhhnn, char division = '1') {
  std::string r = Blank("O2", division, kLenO2);
  Put(r, 12, RaceKey(race));
  Put(r, 28, mmddhhnn);
  Put(r, 45, "000123");  // quinella 1-2: 12.3
  return r;
}

// Change notices: `kind` of race `race` announced at hh:mm, with its own fields put afterwards.
inline std::string Change(const char* kind, size_t len, int race, const std::string& hhmm) {
  std::string r = Blank(kind, '1', len);
  Put(r, 12, RaceKey(race));
  Put(r, 28, "0519" + hhmm);
  return r;
}

// WE of the day at Tokyo: change id 1 (initial), 2 (weather) or 3 (going).
inline std::string WE(const std::string& hhmm, char id, char weather, char turf, char dirt) {
  std::string r = Blank("WE", '1', kLenWE);
  Put(r, 12, std::string(kDay) + "05" + "0203");
  Put(r, 26, "0519" + hhmm);
  r[33] = id;
  r[34] = weather;
  r[35] = turf;
  r[36] = dirt;
  return r;
}

// A program folder with the day's files and a feed beside it; the day is loaded into `day`.
class LiveDayFixture {
 public:
  explicit LiveDayFixture(std::vector<std::string> races = {RA(1, "1000"), RA(2, "1030")},
                          char entryDivision = '2')
      : races_(std::move(races)) {
    clock.set({2024, 5, 19, 9, 0, 0});
    // Race lines are stored normalised, as the batch download writes them.
    std::string ra;
    for (auto r : races_) {
      Normalise(r);
      ra += r;
    }
    WriteBytes(DataPath(home(), date(), ".jvRA"), ra);
    std::vector<std::string> slots = BlankSlotLines();
    for (size_t i = 0; i < races_.size(); ++i) {
      const int race = static_cast<int>(FieldInt(races_[i], 26, 2));
      const int n = static_cast<int>(FieldInt(races_[i], 882, 2));
      for (int h = 1; h <= n && race >= 1 && race <= 12; ++h)
        slots[static_cast<size_t>(SlotIndex(race, h))] = std::string(WithoutLineEnd(SE(race, h, entryDivision)));
    }
    EXPECT_TRUE(SaveLines(sePath(), slots).ok());
    // One placeholder line per race line, as a load of a longer day makes them.
    EXPECT_TRUE(SaveLines(DataPath(home(), date(), ".jvO1"),
                          std::vector<std::string>(races_.size(), std::string(kLenO1 - 2, ' ')))
                    .ok());
    EXPECT_TRUE(SaveLines(DataPath(home(), date(), ".jvO2"),
                          std::vector<std::string>(races_.size(), std::string(kLenO2 - 2, ' ')))
                    .ok());
    WriteBytes(home() / "ErrorLog.txt", "");
    EXPECT_TRUE(std::filesystem::create_directories(feed() / "realtime"));
    jv = std::make_unique<RecordedJvLink>(feed(), dir.path() / "cache", clock);
    EXPECT_EQ(jv->JVInit(SoftwareId()), 0);
    load();
  }

  void load() {
    LoadInputs in;
    in.dateText = date();
    in.programFolder = home();
    in.clock = &clock;
    LoadObserver none;
    ASSERT_TRUE(LoadRaceDay(*day, in, none).ok());
  }

  static std::string date() { return DateText(kDay); }
  std::filesystem::path home() const { return dir.path() / "home"; }
  std::filesystem::path feed() const { return dir.path() / "feed"; }
  std::filesystem::path sePath() const { return DataPath(home(), date(), Sj("東京") + ".jvSEr"); }
  std::filesystem::path data(const char* ext) const { return DataPath(home(), date(), ext); }
  // A real-time batch released at `yyyymmddhhnn`.
  void batch(const std::string& dataspec, const std::string& key, const std::string& at, const std::string& bytes) {
    WriteBytes(feed() / "realtime" / dataspec / key / (at + ".txt"), bytes);
  }
  std::vector<std::string> errorLog() const { return SplitLines(ReadBytes(home() / "ErrorLog.txt")); }

  TempDir dir;
  FakeClock clock;
  std::unique_ptr<RecordedJvLink> jv;
  std::unique_ptr<RaceDay> day = MakeRaceDay();

 private:
  std::vector<std::string> races_;
};

}  // namespace zelkova::testing
