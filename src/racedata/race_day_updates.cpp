#include "racedata/race_day_updates.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "base/cp932.h"
#include "base/file_io.h"
#include "racedata/race_day_loader.h"
#include "records/code_tables.h"
#include "store/stored_files.h"
#include "store/stored_paths.h"

namespace zelkova {

namespace fs = std::filesystem;

namespace {

// A weight and its signed change: three digits, then the sign and three digits of the change.
// No weight (blank, 999 could not be weighed, 000 scratched) gives 0 and no change.
void SetWeight(RaceFigures& f, int h, std::string_view rec, size_t weightPos, size_t signPos, size_t changePos) {
  f.HorseWeight[h] = BodyWeightKg(Field(rec, weightPos, 3));
  int change = f.HorseWeight[h] > 0 ? static_cast<int>(FieldInt(rec, changePos, 3)) : 0;
  f.WeightChange[h] = Field(rec, signPos, 1) == "-" ? -change : change;
}

int Registered(const RaImage& ra) { return std::clamp(static_cast<int>(ra.fieldInt(882, 2)), 0, MaxRunners); }

std::string CourseAndRace(std::string_view rec) { return std::string(Field(rec, 20, 2)) + std::string(Field(rec, 26, 2)); }

// A whole file as fixed-length records; missing gives none. Only whole records count.
Result<std::vector<std::string_view>> Records(const fs::path& p, size_t len, std::string& bytes, size_t limit) {
  std::vector<std::string_view> out;
  bytes.clear();
  if (p.empty() || !FileExists(p)) return out;
  auto data = ReadFile(p);
  if (!data.ok()) {
    if (data.status().isNotFound()) return out;
    return data.status();
  }
  bytes = std::move(*data);
  for (size_t k = 0; k < limit && (k + 1) * len <= bytes.size(); ++k) out.push_back(std::string_view(bytes).substr(k * len, len));
  return out;
}

// The ranking list: sorted texts, each at most once; a text ends with the horse number ("%2d").
class RankingList {
 public:
  void Add(double first, double second, int horse) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%6.1f%6.1f%2d", first, second, horse);
    std::string key(buf);
    auto at = std::lower_bound(keys_.begin(), keys_.end(), key);
    if (at == keys_.end() || *at != key) keys_.insert(at, std::move(key));
  }
  // Order of every listed horse (position + 1); horses without a key keep theirs.
  template <size_t N>
  void Assign(std::array<int, N>& order) const {
    for (size_t i = 0; i < keys_.size(); ++i) {
      const long long horse = ParseInt(std::string_view(keys_[i]).substr(keys_[i].size() - 2), 0);
      if (horse >= 1 && static_cast<size_t>(horse) <= N) order[static_cast<size_t>(horse) - 1] = static_cast<int>(i) + 1;
    }
  }

 private:
  std::vector<std::string> keys_;
};

// Odds record `b` of `p` when it belongs to the slot (same racecourse and race number).
template <size_t L>
Status ReadOddsLine(const fs::path& p, int b, const RaImage& ra, RecordImage<L>& into) {
  if (p.empty() || !FileExists(p)) return Status::Ok();
  auto rec = ReadRecord(p, L, static_cast<uint64_t>(b));
  if (!rec.ok()) {
    // A file without that line (or cut short) has nothing for this race.
    if (rec.status().isCorruption() || rec.status().isNotFound()) return Status::Ok();
    return rec.status();
  }
  if (CourseAndRace(*rec) == CourseAndRace(ra.view())) into.assign(*rec);
  return Status::Ok();
}

}  // namespace

Status OzReadBtn(RaceDay& day) {
  const int b = day.BetRace;
  if (b < 0 || b >= MaxRaces) return Status::Ok();
  RaceInfo& race = day.Races[b];
  const RaImage& ra = race.RaRecord;
  if (ra.fieldInt(26, 2) > 0 && !IsBlank(CourseAndRace(ra.view()))) {
    if (Status s = ReadOddsLine(day.O1Path, b, ra, race.Odds.O1Record); !s.ok()) return s;
    if (Status s = ReadOddsLine(day.O2Path, b, ra, race.Odds.O2Record); !s.ok()) return s;
  }
  const O1Image& o1 = race.Odds.O1Record;
  const O2Image& o2 = race.Odds.O2Record;
  RaceFigures& f = race.Figures;
  RankingList list;
  const int n = Registered(ra);
  for (int h = 0; h < n; ++h) {
    const size_t sh = static_cast<size_t>(h);
    f.WinOdds[h] = OddsValue(o1.field(46 + 8 * sh, 4));
    const double place = OddsValue(o1.field(270 + 12 * sh, 4));
    if (place < 0) {
      f.PlaceOddsLow[h] = f.PlaceOddsHigh[h] = place;
      continue;
    }
    f.PlaceOddsLow[h] = static_cast<double>(o1.fieldInt(270 + 12 * sh, 4)) / 10.0;
    f.PlaceOddsHigh[h] = static_cast<double>(o1.fieldInt(274 + 12 * sh, 4)) / 10.0;
    if (f.WinOdds[h] > 0) list.Add(f.WinOdds[h], f.PlaceOddsLow[h], h + 1);
  }
  for (size_t k = 0; k < f.BracketOdds.size(); ++k) f.BracketOdds[k] = OddsValue(o1.field(606 + 9 * k, 5));
  for (size_t k = 0; k < f.QuinellaOdds.size(); ++k) f.QuinellaOdds[k] = OddsValue(o2.field(45 + 13 * k, 6));
  list.Assign(f.PopularityOrder);
  f.O1Time.Assign(o1.field(32, 4));
  f.O2Time.Assign(o2.field(32, 4));
  return Status::Ok();
}

Status HrReadBtn(RaceDay& day, bool* firstResult) {
  if (firstResult) *firstResult = false;
  const std::string current =
      day.CurrentRace >= 0 && day.CurrentRace < MaxRaces ? CourseAndRace(day.Races[day.CurrentRace].RaRecord.view()) : "";
  std::string bytes;
  // Race and entry records again: the results fetch may have replaced them.
  if (!day.RaPath.empty() && FileExists(day.RaPath)) {
    auto ra = Records(day.RaPath, kLenRA, bytes, SIZE_MAX);
    if (!ra.ok()) return ra.status();
    std::string seBytes;
    int slot = 0;
    for (std::string_view rec : *ra) {
      if (slot >= MaxRaces) break;
      RaceInfo& race = day.Races[slot];
      race.RaRecord.assign(rec);
      if (race.RaRecord.empty()) continue;  // the next record takes this slot
      const int q = static_cast<int>(race.RaRecord.fieldInt(26, 2));
      // The entry file beside the race file: its date, the racecourse's two-character name.
      const fs::path se = ChildPath(day.RaPath.parent_path(),
                                    day.DateText + CourseNameW(race.RaRecord.field(20, 2), 2) + ".jvSEr");
      if (q >= 1 && q <= 12 && FileExists(se)) {
        auto entries = Records(se, kLenSE, seBytes, SIZE_MAX);
        if (!entries.ok()) return entries.status();
        for (int h = 0; h < Registered(race.RaRecord); ++h) {
          const size_t k = static_cast<size_t>(q - 1) * MaxRunners + static_cast<size_t>(h);
          if (k < entries->size()) race.Runners[h].SeRecord.assign((*entries)[k]);
        }
      }
      ++slot;
    }
    day.RaceCount = slot;
  }
  for (auto& race : day.Races) {
    RaceFigures& f = race.Figures;
    for (int h = 0; h < MaxRunners; ++h) {
      const SeImage& se = race.Runners[h].SeRecord;
      f.FinishPos[h] = static_cast<int>(se.fieldInt(335, 2));
      f.FinalPopularity[h] = static_cast<int>(se.fieldInt(364, 2));
      f.FinalOdds[h] = static_cast<double>(se.fieldInt(360, 4)) / 10.0;
    }
  }
  if (!day.HrPath.empty() && FileExists(day.HrPath)) {
    auto hr = Records(day.HrPath, kLenHR, bytes, MaxRaces);
    if (!hr.ok()) return hr.status();
    for (auto& race : day.Races) race.HrRecord.clear();
    for (std::string_view rec : *hr) {
      for (auto& race : day.Races) {
        if (race.RaRecord.field(12, 16) != Field(rec, 12, 16)) continue;
        race.HrRecord.assign(rec);
        if (!race.Figures.HasPayouts && CourseAndRace(race.RaRecord.view()) == current && firstResult)
          *firstResult = true;
        race.Figures.HasPayouts = true;
        break;
      }
    }
  }
  for (auto& race : day.Races) ParsePayouts(race.HrRecord.view(), race.Figures);
  return Status::Ok();
}

void WeightsFromEntries(RaceDay& day) {
  for (auto& race : day.Races)
    for (int h = 0; h < MaxRunners; ++h) {
      const SeImage& se = race.Runners[h].SeRecord;
      if (BodyWeightKg(se.field(325, 3)) > 0) SetWeight(race.Figures, h, se.view(), 325, 328, 329);
    }
}

bool ScratchedByWeight(const RaceInfo& race, int h) {
  if (h < 0 || h >= MaxRunners) return false;
  if (WeightSaysScratched(race.Runners[h].SeRecord.field(325, 3))) return true;
  return WeightSaysScratched(race.WhRecord.field(74 + 45 * static_cast<size_t>(h), 3));
}

Status BataijuReadBtn(RaceDay& day) {
  for (auto& race : day.Races) race.WhRecord.clear();
  std::string bytes;
  auto wh = Records(day.WhPath, kLenWH, bytes, MaxRaces);
  if (!wh.ok()) return wh.status();
  auto key = [](std::string_view rec) {
    return std::string(Field(rec, 12, 8)) + std::string(Field(rec, 20, 2)) + std::string(Field(rec, 26, 2));
  };
  for (std::string_view rec : *wh) {
    const std::string want = key(rec);
    for (auto& race : day.Races) {
      if (key(race.RaRecord.view()) == want) {
        race.WhRecord.assign(rec);
        break;
      }
    }
  }
  for (auto& race : day.Races)
    for (int h = 0; h < MaxRunners; ++h) {
      const size_t at = 45 * static_cast<size_t>(h);
      SetWeight(race.Figures, h, race.WhRecord.view(), 74 + at, 77 + at, 78 + at);
    }
  WeightsFromEntries(day);
  return Status::Ok();
}

// ---- change notices ----

namespace {

struct ChangeTexts {
  std::string arrow = Sj("⇒");
};
const ChangeTexts& CT() {
  static const ChangeTexts t;
  return t;
}

std::string S(std::string_view v) { return std::string(v); }

// Racecourse name, race number and "R ", then the announcement hour and minute.
std::string RaceHead(std::string_view rec) {
  return CourseNameW(Field(rec, 20, 2), 2) + PadNumber(Field(rec, 26, 2)) + "R " + S(Field(rec, 32, 2)) + ":" +
         S(Field(rec, 34, 2)) + " ";
}

std::string WeatherLine(std::string_view we) {
  std::string weather = WeatherName(Field(we, 35, 1)) + "  ";
  weather = S(Cp932Prefix(weather, 4));
  return CourseNameW(Field(we, 20, 2), 2) + " " + S(Field(we, 30, 2)) + ":" + S(Field(we, 32, 2)) + " " + weather +
         " " + GoingName(Field(we, 36, 1), 1) + " " + GoingName(Field(we, 37, 1), 2);
}

// Weather and going: each initial notice (change id 1) with the later changes of the same day
// and racecourse applied in file order.
std::vector<std::string> WeatherLines(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  auto put = [](std::string& line, const std::string& from, size_t pos, size_t len) {
    if (line.size() < pos + len - 1) line.resize(pos + len - 1, ' ');
    line.replace(pos - 1, len, Field(from, pos, len));
  };
  for (const std::string& first : lines) {
    if (Field(first, 34, 1) != "1") continue;
    std::string merged = first;
    for (const std::string& change : lines) {
      if (Field(change, 1, 25) != Field(first, 1, 25) || change.size() < 40) continue;
      if (Field(change, 34, 1) == "3") {
        put(merged, change, 26, 9);
        put(merged, change, 36, 2);
        put(merged, change, 39, 2);
      } else if (Field(change, 34, 1) == "2") {
        put(merged, change, 26, 9);
        put(merged, change, 35, 1);
        put(merged, change, 38, 1);
      }
    }
    out.push_back(WeatherLine(merged));
  }
  return out;
}

std::string HorseName18(std::string_view rec) { return S(Cp932Prefix(Field(rec, 38, 36), 18)); }

std::string ScratchLine(std::string_view av) {
  return RaceHead(av) + CircledNumberText(Field(av, 36, 2)) + " " + HorseName18(av) + " " + ScratchName(Field(av, 3, 1)) +
         ReasonName(Field(av, 74, 3));
}

std::string JockeyLine(std::string_view jc) {
  return RaceHead(jc) + S(Cp932Prefix(Field(jc, 125, 34), 8)) + CT().arrow + S(Cp932Prefix(Field(jc, 82, 34), 8)) + "[" +
         S(Field(jc, 74, 3)) + "] " + CircledNumberText(Field(jc, 36, 2)) + " " + HorseName18(jc);
}

std::string PostTimeLine(std::string_view tc) {
  return RaceHead(tc) + S(Field(tc, 40, 2)) + ":" + S(Field(tc, 42, 2)) + CT().arrow + S(Field(tc, 36, 2)) + ":" +
         S(Field(tc, 38, 2));
}

std::string CourseLine(std::string_view cc) {
  return RaceHead(cc) + TrackShort(static_cast<int>(FieldInt(cc, 46, 2))) + S(Field(cc, 42, 4)) + "m" + CT().arrow +
         TrackShort(static_cast<int>(FieldInt(cc, 40, 2))) + S(Field(cc, 36, 4)) + "m";
}

}  // namespace

Status MarkScratches(RaceDay& day) {
  for (RaceInfo& race : day.Races)
    for (Runner& runner : race.Runners) runner.ScratchNotice = 0;
  if (day.RaPath.empty()) return Status::Ok();
  fs::path av = day.RaPath;
  av.replace_extension(".jvAV");
  std::string bytes;
  auto recs = Records(av, kLenAV, bytes, SIZE_MAX);
  if (!recs.ok()) return recs.status();
  for (std::string_view rec : *recs) {
    const char kind = rec[2];
    const long long horse = FieldInt(rec, 36, 2);
    if ((kind != '1' && kind != '2') || horse < 1 || horse > MaxRunners) continue;
    for (RaceInfo& race : day.Races)
      if (!race.RaRecord.empty() && race.RaRecord.field(12, 16) == Field(rec, 12, 16))
        race.Runners[static_cast<size_t>(horse - 1)].ScratchNotice = kind;
  }
  return Status::Ok();
}

Result<ChangeLists> KaisaiReadBtn(const RaceDay& day) {
  ChangeLists out;
  if (day.RaPath.empty()) return out;
  auto beside = [&](const char* ext) {
    fs::path p = day.RaPath;
    return p.replace_extension(ext);
  };
  const fs::path we = beside(".jvWE");
  if (FileExists(we)) {
    auto lines = ReadTextLines(we);
    if (!lines.ok() && !lines.status().isNotFound()) return lines.status();
    if (lines.ok()) out.lines[0] = WeatherLines(*lines);
  }
  struct Kind {
    const char* ext;
    size_t len;
    std::string (*line)(std::string_view);
  };
  const Kind kinds[] = {{".jvAV", kLenAV, ScratchLine},
                        {".jvJC", kLenJC, JockeyLine},
                        {".jvTC", kLenTC, PostTimeLine},
                        {".jvCC", kLenCC, CourseLine}};
  std::string bytes;
  for (size_t i = 0; i < 4; ++i) {
    auto recs = Records(beside(kinds[i].ext), kinds[i].len, bytes, MaxRaces);
    if (!recs.ok()) return recs.status();
    for (std::string_view rec : *recs) out.lines[i + 1].push_back(kinds[i].line(rec));
  }
  return out;
}

}  // namespace zelkova
