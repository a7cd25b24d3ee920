#include "sql/sql_export.h"

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <functional>
#include <set>
#include <string_view>
#include <system_error>
#include <unordered_map>

#include "analysis/selection_figures.h"
#include "app/headless_day.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "output/figure_columns.h"
#include "records/code_tables.h"
#include "store/stored_files.h"
#include "store/stored_paths.h"

namespace zelkova {

namespace fs = std::filesystem;

namespace {

struct Column {
  std::string name, type;
};

// One table: its columns, its key, and which column ties a row to its date (empty: rows shared
// by every date, written by upsert).
struct Table {
  std::string name;
  std::vector<Column> cols;
  std::string key;
  std::string dateColumn;
  std::vector<std::string> indexes;
  std::string upsertWhere;  // shared tables: keep a stored row newer than the one offered
  bool clustered = false;   // rows stored in key order (SQLite: WITHOUT ROWID)
};

const char* const kInt = "INTEGER";
const char* const kReal = "DOUBLE PRECISION";
const char* const kText = "TEXT";
const char* const kDate = "DATE";

enum TableId { kRaces, kEntries, kPayouts, kOdds, kWeights, kChanges, kFigures, kFrequency, kPastRuns, kHorses,
               kJockeys, kTrainers, kTableCount };

std::vector<Table> MakeTables() {
  std::vector<Table> t(kTableCount);
  t[kRaces] = {"races",
               {{"race_date", kDate}, {"race_key", kText}, {"course_code", kText}, {"course_name", kText},
                {"meeting", kInt}, {"meeting_day", kInt}, {"race_number", kInt}, {"race_name", kText},
                {"grade_code", kText}, {"grade_name", kText}, {"race_type_code", kText}, {"condition_code", kText},
                {"class_name", kText}, {"weight_rule_code", kText}, {"weight_rule_name", kText}, {"distance", kInt},
                {"track_code", kInt}, {"surface", kText}, {"direction", kText}, {"weather_code", kText},
                {"weather_name", kText}, {"turf_going_code", kText}, {"turf_going", kText},
                {"dirt_going_code", kText}, {"dirt_going", kText}, {"registered_runners", kInt}, {"post_time", kText}},
               "race_key", "race_date", {"race_date", "course_code"}, ""};
  t[kEntries] = {"entries",
                 {{"race_date", kDate}, {"race_key", kText}, {"horse_number", kInt}, {"frame_number", kInt},
                  {"registration_no", kText}, {"horse_name", kText}, {"sex_code", kText}, {"sex_name", kText},
                  {"age", kInt}, {"trainer_code", kText}, {"trainer_name", kText}, {"jockey_code", kText},
                  {"jockey_name", kText}, {"weight_carried", kReal}, {"horse_weight", kInt},
                  {"weight_change", kInt}, {"finish_position", kInt}, {"finish_time", kReal},
                  {"win_odds", kReal}, {"popularity", kInt}, {"last_3f", kReal}},
                 "race_key, horse_number", "race_date", {"race_date", "registration_no", "jockey_code"}, ""};
  t[kPayouts] = {"payouts",
                 {{"race_date", kDate}, {"race_key", kText}, {"bet_type", kText}, {"bet_name", kText}, {"seq", kInt},
                  {"combination", kText}, {"payout", kInt}, {"popularity", kInt}},
                 "race_key, bet_type, seq", "race_date", {"race_date"}, ""};
  t[kOdds] = {"odds",
              {{"race_date", kDate}, {"race_key", kText}, {"bet_type", kText}, {"combination", kText},
               {"odds", kReal}, {"odds_high", kReal}, {"popularity", kInt}, {"announced", kText}},
              "race_key, bet_type, combination", "race_date", {"race_date"}, ""};
  t[kWeights] = {"weights",
                 {{"race_date", kDate}, {"race_key", kText}, {"horse_number", kInt}, {"horse_weight", kInt},
                  {"weight_change", kInt}},
                 "race_key, horse_number", "race_date", {"race_date"}, ""};
  t[kChanges] = {"changes",
                 {{"race_date", kDate}, {"kind", kText}, {"seq", kInt}, {"race_key", kText}, {"course_code", kText},
                  {"record", kText}},
                 "race_date, kind, seq", "race_date", {"race_key"}, ""};
  Table& f = t[kFigures];
  f = {"figures", {{"race_key", kText}}, "race_key, horse_number", "date", {"date", "pedigree_no"}, ""};
  for (const FigureColumn& c : FigureColumns()) {
    const char* type = c.kind == FigureCell::Integer ? kInt
                       : c.kind == FigureCell::Real  ? kReal
                       : c.kind == FigureCell::Date  ? kDate
                                                     : kText;
    f.cols.push_back({c.sqlName, type});
  }
  t[kFrequency] = {"rank_frequency",
                   {{"race_date", kDate}, {"rating", kText}, {"rating_index", kInt}, {"finish_position", kInt},
                    {"rank", kInt}, {"count", kInt}},
                   "race_date, rating_index, finish_position, rank", "race_date", {}, ""};
  t[kPastRuns] = {"past_runs",
                  {{"registration_no", kText}, {"race_key", kText}, {"race_date", kDate}, {"course_code", kText},
                   {"course_name", kText}, {"race_name", kText}, {"distance", kInt}, {"track_code", kInt},
                   {"surface", kText}, {"turf_going", kText}, {"dirt_going", kText}, {"runners", kInt},
                   {"horse_number", kInt}, {"jockey_code", kText}, {"jockey_name", kText},
                   {"weight_carried", kReal}, {"horse_weight", kInt}, {"finish_position", kInt},
                   {"finish_time", kReal}, {"win_odds", kReal}, {"popularity", kInt}, {"last_3f", kReal}},
                  "registration_no, race_key", "", {"race_date"}, ""};
  t[kHorses] = {"horses",
                {{"registration_no", kText}, {"horse_name", kText}, {"sex_code", kText}, {"sex_name", kText},
                 {"coat_code", kText}, {"coat_name", kText}, {"sire", kText}, {"dam", kText},
                 {"trainer_code", kText}, {"career_starts", kInt}, {"career_prize", kInt}, {"made", kText}},
                "registration_no", "", {}, "excluded.made >= horses.made"};
  t[kJockeys] = {"jockeys",
                 {{"jockey_code", kText}, {"jockey_name", kText}, {"short_name", kText}, {"birth_date", kDate},
                  {"made", kText}},
                 "jockey_code", "", {}, "excluded.made >= jockeys.made"};
  t[kTrainers] = {"trainers",
                  {{"trainer_code", kText}, {"trainer_name", kText}, {"short_name", kText}, {"birth_date", kDate},
                   {"made", kText}},
                  "trainer_code", "", {}, "excluded.made >= trainers.made"};
  for (TableId id : {kPayouts, kOdds, kWeights, kFrequency}) t[id].clustered = true;
  return t;
}

const std::vector<Table>& Tables() {
  static const std::vector<Table> t = MakeTables();
  return t;
}

std::string CreateSql(const Table& t, bool sqlite) {
  std::string s = "CREATE TABLE IF NOT EXISTS " + t.name + " (";
  for (const Column& c : t.cols) s += c.name + " " + c.type + ", ";
  s += "PRIMARY KEY (" + t.key + "))";
  // Many small rows: in SQLite kept in the order of their key alone, one tree less per row.
  if (sqlite && t.clustered) s += " WITHOUT ROWID";
  s += ";\n";
  for (const std::string& i : t.indexes)
    s += "CREATE INDEX IF NOT EXISTS " + t.name + "_" + i + " ON " + t.name + " (" + i + ");\n";
  return s;
}

std::string InsertSql(const Table& t) {
  std::string names, marks;
  for (size_t k = 0; k < t.cols.size(); ++k) {
    if (k) names += ", ";
    names += t.cols[k].name;
    marks += (k ? ", $" : "$") + std::to_string(k + 1);
  }
  std::string s = "INSERT INTO " + t.name + " (" + names + ") VALUES (" + marks + ")";
  if (t.dateColumn.empty()) {
    s += " ON CONFLICT (" + t.key + ") DO UPDATE SET ";
    bool first = true;
    for (const Column& c : t.cols) {
      if (t.key.find(c.name) != std::string::npos) continue;
      if (!first) s += ", ";
      s += c.name;
      s += " = excluded.";
      s += c.name;
      first = false;
    }
    if (!t.upsertWhere.empty()) s += " WHERE " + t.upsertWhere;
  }
  return s;
}

// ---- field values ----

std::string TrimText(std::string t) {
  static const std::string wide = "\xE3\x80\x80";
  size_t b = 0;
  for (;;) {
    if (b < t.size() && t[b] == ' ') ++b;
    else if (t.compare(b, wide.size(), wide) == 0) b += wide.size();
    else break;
  }
  t.erase(0, b);
  for (;;) {
    if (!t.empty() && t.back() == ' ') t.pop_back();
    else if (t.size() >= wide.size() && t.compare(t.size() - wide.size(), wide.size(), wide) == 0)
      t.resize(t.size() - wide.size());
    else return t;
  }
}

class Row {
 public:
  std::vector<SqlValue> v;
  void Clear() { n_ = 0; }
  SqlValue& Next() {
    if (n_ == v.size()) v.emplace_back();
    return v[n_++];
  }
  void Finish() { v.resize(n_); }
  // CP932 bytes as trimmed UTF-8; NULL when blank.
  void Text(std::string_view cp932) {
    // Codes and numbers are ASCII: trimmed as they are, into the cell's own buffer.
    if (std::all_of(cp932.begin(), cp932.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
      const size_t b = cp932.find_first_not_of(' ');
      if (b == std::string_view::npos) Null();
      else Plain(cp932.substr(b, cp932.find_last_not_of(' ') - b + 1));
      return;
    }
    std::string t = TrimText(Cp932ToUtf8Lossy(cp932));
    if (t.empty()) Next().SetNull();
    else Next().Set(std::move(t));
  }
  // Into the cell's buffer, which keeps its size from row to row.
  void Plain(std::string_view t) {
    SqlValue& c = Next();
    c.kind = SqlValue::Text;
    c.t.assign(t);
  }
  void Null() { Next().SetNull(); }
  // Digits as a number; NULL when blank or not a number.
  void Int(std::string_view digits) {
    if (IsBlank(digits) || !IsAllDigits(TrimBlanks(digits))) Null();
    else Next().Set(static_cast<long long>(FieldInt(digits, 1, digits.size())));
  }
  void Int(long long v) { Next().Set(v); }
  void Real(double v) { Next().Set(v); }
  // A number stored in tenths; NULL when blank or 0.
  void Tenths(std::string_view digits) {
    long long x = IsBlank(digits) ? 0 : FieldInt(digits, 1, digits.size());
    if (x <= 0) Null();
    else Real(static_cast<double>(x) / 10.0);
  }
  void Date(std::string_view yyyymmdd) {
    if (IsBlank(yyyymmdd) || !IsAllDigits(yyyymmdd) || yyyymmdd.substr(0, 4) == "0000") {
      Null();
      return;
    }
    Plain(std::string(yyyymmdd.substr(0, 4)) + "-" + std::string(yyyymmdd.substr(4, 2)) + "-" +
          std::string(yyyymmdd.substr(6, 2)));
  }

 private:
  size_t n_ = 0;
};

// Finishing time "mss t" (SE 339-342) in seconds; NULL when none.
void RunTime(Row& r, std::string_view t) {
  if (IsBlank(t) || !IsAllDigits(t) || FieldInt(t, 1, 4) == 0) {
    r.Null();
    return;
  }
  r.Real(FieldInt(t, 1, 1) * 60 + FieldInt(t, 2, 2) + FieldInt(t, 4, 1) / 10.0);
}

// FNV-1a over the names, sizes and times of the files a date was made from.
class Stamp {
 public:
  void Add(std::string_view s) {
    for (unsigned char c : s) h_ = (h_ ^ c) * 1099511628211ULL;
    h_ = (h_ ^ 0xff) * 1099511628211ULL;
  }
  void AddFile(const fs::path& p) {
    std::error_code ec;
    const auto size = fs::file_size(p, ec);
    if (ec) {
      Add(PathToUtf8(p.filename()) + ":none");
      return;
    }
    const auto time = fs::last_write_time(p, ec).time_since_epoch().count();
    Add(PathToUtf8(p.filename()) + ":" + std::to_string(size) + ":" + std::to_string(time));
  }
  std::string Text() const {
    char buf[20];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h_));
    return buf;
  }

 private:
  uint64_t h_ = 1469598103934665603ULL;
};

const char* const kRatingNames[8] = {"着RT", "人RT", "展RT", "能M", "能平", "格賞", "平脚", "SP"};

class Exporter {
 public:
  Exporter(SqlConnection& db, const fs::path& folder) : db_(db), folder_(folder) {}

  Status Prepare() {
    for (const Table& t : Tables()) {
      auto ins = db_.Prepare(InsertSql(t));
      if (!ins.ok()) return ins.status();
      insert_.push_back(*ins);
      int del = -1;
      if (!t.dateColumn.empty()) {
        auto d = db_.Prepare("DELETE FROM " + t.name + " WHERE " + t.dateColumn + " = $1");
        if (!d.ok()) return d.status();
        del = *d;
      }
      delete_.push_back(del);
    }
    auto get = db_.Prepare("SELECT stamp FROM export_stamps WHERE race_date = $1");
    auto put = db_.Prepare(
        "INSERT INTO export_stamps (race_date, stamp, exported_at) VALUES ($1, $2, $3) "
        "ON CONFLICT (race_date) DO UPDATE SET stamp = excluded.stamp, exported_at = excluded.exported_at");
    if (!get.ok()) return get.status();
    if (!put.ok()) return put.status();
    getStamp_ = *get;
    putStamp_ = *put;
    folders_ = ResolveStoredFolders(folder_);
    return Status::Ok();
  }

  // Exports one date. `skipped` says whether it was unchanged. A failed load is InvalidArgument
  // and rows that break a key Corruption (the export goes on); a database error IoError (it
  // stops).
  Status Date(const std::string& dateText, RaceDay& day, bool& skipped, std::string& warnings) {
    skipped = false;
    auto load = LoadDayHeadless(folder_, dateText, day, [&](const std::string& text) {
      if (!warnings.empty()) warnings += " ";
      warnings += Cp932ToUtf8Lossy(text);
    });
    if (!load.ok()) return Status::InvalidArgument(Cp932ToUtf8Lossy(load.status().message()));
    const std::string digits = dateText.substr(0, 4) + dateText.substr(6, 2) + dateText.substr(10, 2);
    const std::string date = digits.substr(0, 4) + "-" + digits.substr(4, 2) + "-" + digits.substr(6, 2);
    const std::string stamp = StampOf(dateText, day, *load);
    params_.assign(1, SqlValue());
    params_[0].Set(date);
    auto old = db_.Query(getStamp_, params_);
    if (!old.ok()) return old.status();
    if (!old->empty() && (*old)[0][0] == stamp) {
      skipped = true;
      return Status::Ok();
    }
    for (int r = 0; r < day.RaceCount; ++r)
      if (!day.Races[r].RaRecord.empty()) SelectionFigures(day.Races[r], load->samples, load->weightSwitch);

    if (Status s = db_.Execute("BEGIN"); !s.ok()) return s;
    Status s = WriteDate(date, dateText, day, stamp);
    if (s.ok()) s = db_.Execute("COMMIT");
    if (!s.ok()) db_.Execute("ROLLBACK");
    return s;
  }

 private:
  std::string StampOf(const std::string& dateText, const RaceDay& day, const HeadlessLoad& load) {
    Stamp st;
    st.Add("schema" + std::to_string(kSqlSchemaVersion));
    st.Add(std::to_string(load.samples) + "/" + std::to_string(load.weightSwitch) + "/" + (load.ratings ? "r" : "-"));
    for (const char* f : {"RTJ.dat", "RTN.dat", "RTC.dat", "SetGate.tbl"}) st.AddFile(folder_ / f);
    // Listed after the load, which may have made files of its own (odds placeholders).
    const std::string prefix = PathToUtf8(DataPath(folders_, dateText, "").filename());
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folders_.data, ec), end; !ec && it != end; it.increment(ec))
      if (PathToUtf8(it->path().filename()).compare(0, prefix.size(), prefix) == 0) files.push_back(it->path());
    std::sort(files.begin(), files.end());
    for (const fs::path& p : files) {
      const std::string name = PathToUtf8(p.filename());
      if (name.compare(0, prefix.size(), prefix) != 0) continue;
      // Written by every load itself, from the files counted here.
      if (name.ends_with(".CkIm") || name.ends_with(".Hind")) continue;
      st.AddFile(p);
    }
    std::set<std::string> meetings;
    for (int r = 0; r < day.RaceCount; ++r)
      for (const Runner& run : day.Races[r].Runners) {
        if (run.SeRecord.empty()) continue;
        st.AddFile(HorsePath(folders_, run.SeRecord.field(31, 10)));
        for (const PastRun& p : run.PastRuns)
          if (!p.SeRecord.empty()) meetings.insert(std::string(p.SeRecord.field(12, 10)));
      }
    for (const std::string& m : meetings) st.AddFile(MeetingPath(folders_, m));
    return st.Text();
  }

  Status Put(TableId t) {
    row_.Finish();
    Status s = db_.Run(insert_[t], row_.v);
    // Damaged stored files can give two rows one key (two entry lines of a race with the same
    // horse number): the date cannot be written, the export goes on with the next.
    if (s.isCorruption())
      return Status::Corruption("保存されたレコードに食い違いがあり、表「" + Tables()[t].name + "」に同じキー（" +
                                Tables()[t].key + "）の行が二つできるため書き出せません");
    return s;
  }

  Status WriteDate(const std::string& date, const std::string& dateText, const RaceDay& day, const std::string& stamp) {
    params_.assign(1, SqlValue());
    params_[0].Set(date);
    for (size_t t = 0; t < Tables().size(); ++t)
      if (delete_[t] >= 0)
        if (Status s = db_.Run(delete_[t], params_); !s.ok()) return s;
    const auto& figureCols = FigureColumns();
    FigureCell cell;
    for (int r = 0; r < day.RaceCount; ++r) {
      const RaceInfo& race = day.Races[r];
      if (race.RaRecord.empty()) continue;
      const RaImage& ra = race.RaRecord;
      const std::string key(ra.field(12, 16));
      if (Status s = RaceRow(date, key, ra); !s.ok()) return s;
      for (int h = 0; h < MaxRunners; ++h) {
        const Runner& run = race.Runners[h];
        if (run.SeRecord.empty()) continue;
        if (Status s = EntryRow(date, key, run.SeRecord); !s.ok()) return s;
        if (h < race.Figures.RunnerCount) {
          row_.Clear();
          row_.Plain(key);
          for (const FigureColumn& c : figureCols) {
            c.get(cell, race, h);
            switch (c.kind) {
              case FigureCell::Integer: row_.Int(cell.i); break;
              case FigureCell::Real: row_.Real(cell.d); break;
              default: row_.Plain(cell.t); break;
            }
          }
          if (Status s = Put(kFigures); !s.ok()) return s;
        }
        if (Status s = Masters(run); !s.ok()) return s;
        for (const PastRun& p : run.PastRuns)
          if (!p.SeRecord.empty())
            if (Status s = PastRunRow(p); !s.ok()) return s;
      }
      if (Status s = Payouts(date, key, race.HrRecord); !s.ok()) return s;
      if (Status s = Odds(date, key, race.Odds); !s.ok()) return s;
    }
    if (Status s = Weights(date, dateText); !s.ok()) return s;
    if (Status s = Changes(date, dateText); !s.ok()) return s;
    if (auto hind = ReadHind(DataPath(folders_, dateText, ".Hind")); hind.ok()) {
      for (int b = 0; b < 8; ++b)
        for (int p = 0; p < 3; ++p)
          for (int k = 0; k < 18; ++k) {
            row_.Clear();
            row_.Plain(date);
            row_.Plain(kRatingNames[b]);
            row_.Int(b);
            row_.Int(p + 1);
            row_.Int(k + 1);
            row_.Int((*hind)[static_cast<size_t>(b * 54 + p * 18 + k)]);
            if (Status s = Put(kFrequency); !s.ok()) return s;
          }
    }
    std::vector<SqlValue> st(3);
    st[0].Set(date);
    st[1].Set(stamp);
    char now[32];
    const std::time_t t = std::time(nullptr);
    std::strftime(now, sizeof now, "%Y-%m-%d %H:%M:%S", std::localtime(&t));
    st[2].Set(std::string(now));
    return db_.Run(putStamp_, st);
  }

  Status RaceRow(const std::string& date, const std::string& key, const RaImage& ra) {
    row_.Clear();
    row_.Plain(date);
    row_.Plain(key);
    row_.Plain(std::string(ra.field(20, 2)));
    row_.Text(StripWideSpaces(CourseNameW(ra.field(20, 2), 9)));
    row_.Int(ra.field(22, 2));
    row_.Int(ra.field(24, 2));
    row_.Int(ra.field(26, 2));
    row_.Text(ra.field(33, 60));
    row_.Text(ra.field(615, 1));
    row_.Text(GradeCsv(ra.field(615, 1)));
    row_.Text(ra.field(617, 2));
    row_.Text(ra.field(635, 3));
    row_.Text(AgeClassCsv(ra.field(617, 2), ra.field(635, 3)));
    row_.Text(ra.field(622, 1));
    row_.Text(WeightRuleCsv(ra.field(622, 1)));
    row_.Int(ra.field(698, 4));
    const int track = static_cast<int>(ra.fieldInt(706, 2));
    row_.Int(ra.field(706, 2));
    row_.Text(SurfaceCsv(track));
    row_.Text(DirectionCsv(track));
    row_.Text(ra.field(888, 1));
    row_.Text(WeatherName(ra.field(888, 1)));
    row_.Text(ra.field(889, 1));
    row_.Text(GoingCsv(ra.field(889, 1)));
    row_.Text(ra.field(890, 1));
    row_.Text(GoingCsv(ra.field(890, 1)));
    row_.Int(ra.field(882, 2));
    const std::string_view post = ra.field(874, 4);
    if (IsBlank(post)) row_.Null();
    else row_.Plain(std::string(post.substr(0, 2)) + ":" + std::string(post.substr(2, 2)));
    return Put(kRaces);
  }

  void HorseWeight(const SeImage& se) {
    row_.Int(se.field(325, 3));
    const std::string_view change = se.field(329, 3);
    if (IsBlank(change) || !IsAllDigits(change)) {
      row_.Null();
    } else {
      long long v = FieldInt(change, 1, 3);
      row_.Int(se.field(328, 1) == "-" ? -v : v);
    }
  }

  Status EntryRow(const std::string& date, const std::string& key, const SeImage& se) {
    row_.Clear();
    row_.Plain(date);
    row_.Plain(key);
    row_.Int(se.field(29, 2));
    row_.Int(se.field(28, 1));
    row_.Text(se.field(31, 10));
    row_.Text(se.field(41, 36));
    row_.Text(se.field(79, 1));
    row_.Text(SexName(se.field(79, 1)));
    row_.Int(se.field(83, 2));
    row_.Text(se.field(86, 5));
    row_.Text(se.field(91, 8));
    row_.Text(se.field(297, 5));
    row_.Text(se.field(307, 8));
    row_.Tenths(se.field(289, 3));
    HorseWeight(se);
    row_.Int(se.field(335, 2));
    RunTime(row_, se.field(339, 4));
    row_.Tenths(se.field(360, 4));
    row_.Int(se.field(364, 2));
    row_.Tenths(se.field(391, 3));
    return Put(kEntries);
  }

  // Each horse's earlier run once per export: many runners of a season share their past races.
  Status PastRunRow(const PastRun& p) {
    const SeImage& se = p.SeRecord;
    const RaImage& ra = p.RaRecord;
    std::string id = std::string(se.field(31, 10)) + std::string(se.field(12, 16));
    // Over what the row is made of: the run and the few fields of its race.
    std::string_view raFields[] = {ra.field(33, 60), ra.field(698, 4), ra.field(706, 2), ra.field(882, 2),
                                   ra.field(889, 2)};
    uint64_t version = std::hash<std::string_view>{}(se.view()) ^ (ra.empty() ? 0 : 0x9e3779b97f4a7c15ULL);
    for (std::string_view f : raFields) version = version * 31 + std::hash<std::string_view>{}(f);
    auto [it, fresh] = pastWritten_.try_emplace(std::move(id), version);
    if (!fresh && it->second == version) return Status::Ok();
    it->second = version;
    row_.Clear();
    row_.Text(se.field(31, 10));
    row_.Plain(std::string(se.field(12, 16)));
    row_.Date(se.field(12, 8));
    row_.Plain(std::string(se.field(20, 2)));
    row_.Text(StripWideSpaces(CourseNameW(se.field(20, 2), 9)));
    const bool hasRace = !ra.empty();
    const int track = static_cast<int>(ra.fieldInt(706, 2));
    if (hasRace) {
      row_.Text(ra.field(33, 60));
      row_.Int(ra.field(698, 4));
      row_.Int(ra.field(706, 2));
      row_.Text(SurfaceCsv(track));
      row_.Text(GoingCsv(ra.field(889, 1)));
      row_.Text(GoingCsv(ra.field(890, 1)));
      row_.Int(ra.field(882, 2));
    } else {
      for (int k = 0; k < 7; ++k) row_.Null();
    }
    row_.Int(se.field(29, 2));
    row_.Text(se.field(297, 5));
    row_.Text(se.field(307, 8));
    row_.Tenths(se.field(289, 3));
    row_.Int(se.field(325, 3));
    row_.Int(se.field(335, 2));
    RunTime(row_, se.field(339, 4));
    row_.Tenths(se.field(360, 4));
    row_.Int(se.field(364, 2));
    row_.Tenths(se.field(391, 3));
    return Put(kPastRuns);
  }

  Status Masters(const Runner& run) {
    const UmImage& um = run.UmRecord;
    if (!um.empty() || !IsBlank(um.field(12, 10))) {
      if (!IsBlank(um.field(12, 10)) && mastersWritten_.insert("U" + std::string(um.field(4, 18))).second) {
        row_.Clear();
        row_.Text(um.field(12, 10));
        row_.Text(um.field(47, 36));
        row_.Text(um.field(201, 1));
        row_.Text(SexName(um.field(201, 1)));
        row_.Text(um.field(203, 2));
        row_.Text(CoatColourName(um.field(203, 2)));
        row_.Text(um.field(215, 36));
        row_.Text(um.field(261, 36));
        row_.Text(um.field(850, 5));
        long long starts = 0;
        for (int i = 0; i < 6; ++i) starts += um.fieldInt(1107 + 3 * static_cast<size_t>(i), 3);
        row_.Int(starts);
        row_.Int(um.fieldInt(1089, 9) / 100);
        row_.Plain(std::string(um.field(4, 8)));
        if (Status s = Put(kHorses); !s.ok()) return s;
      }
    }
    const KsImage& ks = run.KsRecord;
    if (!IsBlank(ks.field(12, 5)) && mastersWritten_.insert("K" + std::string(ks.field(4, 13))).second) {
      row_.Clear();
      row_.Text(ks.field(12, 5));
      row_.Text(ks.field(42, 34));
      row_.Text(ks.field(140, 8));
      row_.Date(ks.field(34, 8));
      row_.Plain(std::string(ks.field(4, 8)));
      if (Status s = Put(kJockeys); !s.ok()) return s;
    }
    const ChImage& ch = run.ChRecord;
    if (!IsBlank(ch.field(12, 5)) && mastersWritten_.insert("C" + std::string(ch.field(4, 13))).second) {
      row_.Clear();
      row_.Text(ch.field(12, 5));
      row_.Text(ch.field(42, 34));
      row_.Text(ch.field(106, 8));
      row_.Date(ch.field(34, 8));
      row_.Plain(std::string(ch.field(4, 8)));
      if (Status s = Put(kTrainers); !s.ok()) return s;
    }
    return Status::Ok();
  }

  Status Payout(const std::string& date, const std::string& key, const char* type, const char* name, int seq,
                std::string combination, std::string_view pay, std::string_view pop) {
    if (IsBlank(pay) || FieldInt(pay, 1, pay.size()) <= 0) return Status::Ok();
    row_.Clear();
    row_.Plain(date);
    row_.Plain(key);
    row_.Plain(type);
    row_.Plain(name);
    row_.Int(seq);
    if (combination.empty()) row_.Null();
    else row_.Plain(std::move(combination));
    row_.Int(pay);
    row_.Int(pop);
    return Put(kPayouts);
  }

  Status Payouts(const std::string& date, const std::string& key, const HrImage& img) {
    if (img.empty()) return Status::Ok();
    const std::string_view hr = img.view();
    auto f = [&](size_t pos, size_t len) { return std::string(Field(hr, pos, len)); };
    struct Group {
      const char* type;
      const char* name;
      size_t start, count, numbers, digits, popLen;
      char sep;
    };
    static const Group groups[] = {
        {"win", "単勝", 103, 3, 1, 2, 2, '-'},      {"place", "複勝", 142, 5, 1, 2, 2, '-'},
        {"bracket", "枠連", 207, 3, 2, 1, 2, '-'},  {"quinella", "馬連", 246, 3, 2, 2, 3, '-'},
        {"wide", "ワイド", 294, 7, 2, 2, 3, '-'},   {"exacta", "馬単", 454, 6, 2, 2, 3, '>'},
        {"trio", "三連複", 550, 3, 3, 2, 3, '-'},   {"trifecta", "三連単", 604, 6, 3, 2, 4, '>'},
    };
    for (const Group& g : groups) {
      const size_t width = g.numbers * g.digits + 9 + g.popLen;
      for (size_t k = 0; k < g.count; ++k) {
        const size_t at = g.start + k * width;
        std::string combination;
        for (size_t n = 0; n < g.numbers; ++n) {
          if (n) combination += g.sep;
          combination += f(at + n * g.digits, g.digits);
        }
        const size_t pay = at + g.numbers * g.digits;
        if (Status s = Payout(date, key, g.type, g.name, static_cast<int>(k + 1), combination, Field(hr, pay, 9),
                              Field(hr, pay + 9, g.popLen));
            !s.ok())
          return s;
      }
    }
    return Status::Ok();
  }

  Status OddsRow(const std::string& date, const std::string& key, const char* type, std::string combination,
                 double odds, double high, std::string_view pop, std::string_view announced) {
    if (odds <= 0) return Status::Ok();
    row_.Clear();
    row_.Plain(date);
    row_.Plain(key);
    row_.Plain(type);
    row_.Plain(std::move(combination));
    row_.Real(odds);
    if (high > 0) row_.Real(high);
    else row_.Null();
    row_.Int(pop);
    row_.Text(announced);
    return Put(kOdds);
  }

  Status Odds(const std::string& date, const std::string& key, const OddsTable& odds) {
    const std::string_view o1 = odds.O1Record.view(), o2 = odds.O2Record.view();
    if (!IsBlank(Field(o1, 12, 4))) {
      const std::string_view at = Field(o1, 28, 8);
      for (size_t h = 0; h < 18; ++h) {
        char n[4];
        std::snprintf(n, sizeof n, "%02zu", h + 1);
        if (Status s = OddsRow(date, key, "win", n, OddsValue(Field(o1, 46 + 8 * h, 4)), 0, Field(o1, 50 + 8 * h, 2), at);
            !s.ok())
          return s;
        if (Status s = OddsRow(date, key, "place", n, OddsValue(Field(o1, 270 + 12 * h, 4)),
                               OddsValue(Field(o1, 274 + 12 * h, 4)), Field(o1, 278 + 12 * h, 2), at);
            !s.ok())
          return s;
      }
      for (size_t k = 0; k < 36; ++k) {
        const std::string_view c = Field(o1, 604 + 9 * k, 2);
        if (IsBlank(c)) continue;
        if (Status s = OddsRow(date, key, "bracket", std::string(c.substr(0, 1)) + "-" + std::string(c.substr(1, 1)),
                               OddsValue(Field(o1, 606 + 9 * k, 5)), 0, Field(o1, 611 + 9 * k, 2), at);
            !s.ok())
          return s;
      }
    }
    if (!IsBlank(Field(o2, 12, 4))) {
      const std::string_view at = Field(o2, 28, 8);
      for (size_t k = 0; k < 153; ++k) {
        const std::string_view c = Field(o2, 41 + 13 * k, 4);
        if (IsBlank(c)) continue;
        if (Status s = OddsRow(date, key, "quinella", std::string(c.substr(0, 2)) + "-" + std::string(c.substr(2, 2)),
                               OddsValue(Field(o2, 45 + 13 * k, 6)), 0, Field(o2, 51 + 13 * k, 3), at);
            !s.ok())
          return s;
      }
    }
    return Status::Ok();
  }

  Status Weights(const std::string& date, const std::string& dateText) {
    auto lines = ReadRecordLines(DataPath(folders_, dateText, ".jvWH"), kLenWH);
    if (!lines.ok()) return Status::Ok();  // none announced yet
    std::set<std::string> seen;
    for (const std::string& wh : *lines) {
      if (IsBlank(Field(wh, 12, 4))) continue;
      const std::string key(Field(wh, 12, 16));
      if (!seen.insert(key).second) continue;
      for (size_t k = 0; k < 18; ++k) {
        const std::string_view no = Field(wh, 36 + 45 * k, 2);
        if (IsBlank(no) || FieldInt(no, 1, 2) == 0) continue;
        row_.Clear();
        row_.Plain(date);
        row_.Plain(key);
        row_.Int(no);
        row_.Int(Field(wh, 74 + 45 * k, 3));
        const std::string_view change = Field(wh, 78 + 45 * k, 3);
        if (IsBlank(change) || !IsAllDigits(change)) row_.Null();
        else row_.Int(Field(wh, 77 + 45 * k, 1) == "-" ? -FieldInt(change, 1, 3) : FieldInt(change, 1, 3));
        if (Status s = Put(kWeights); !s.ok()) return s;
      }
    }
    return Status::Ok();
  }

  Status Changes(const std::string& date, const std::string& dateText) {
    for (const char* kind : {"WE", "AV", "JC", "TC", "CC"}) {
      auto lines = ReadTextLines(DataPath(folders_, dateText, std::string(".jv") + kind));
      if (!lines.ok()) continue;
      int seq = 0;
      for (const std::string& line : *lines) {
        if (IsBlank(line)) continue;
        row_.Clear();
        row_.Plain(date);
        row_.Plain(kind);
        row_.Int(++seq);
        if (std::string_view(kind) == "WE") row_.Null();
        else row_.Plain(std::string(Field(line, 12, 16)));
        row_.Plain(std::string(Field(line, 20, 2)));
        row_.Text(line);
        if (Status s = Put(kChanges); !s.ok()) return s;
      }
    }
    return Status::Ok();
  }

  SqlConnection& db_;
  fs::path folder_;
  StoredFolders folders_;
  std::vector<int> insert_, delete_;
  int getStamp_ = -1, putStamp_ = -1;
  Row row_;
  std::vector<SqlValue> params_;
  std::unordered_map<std::string, uint64_t> pastWritten_;
  std::set<std::string> mastersWritten_;
};

}  // namespace

Status PrepareSchema(SqlConnection& db) {
  if (Status s = db.Execute("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"); !s.ok())
    return Status::IoError("データベースに書き込めません: " + s.message());
  auto q = db.Prepare("SELECT version FROM schema_version");
  if (!q.ok()) return q.status();
  auto rows = db.Query(*q, {});
  if (!rows.ok()) return rows.status();
  if (!rows->empty()) {
    const int v = std::atoi((*rows)[0][0].c_str());
    if (v > kSqlSchemaVersion)
      return Status::InvalidArgument("このデータベースは新しい版のZelkova（形式" + std::to_string(v) +
                                     "）で書き出されています。新しい版で書き出すか、別のファイルを指定してください。");
    if (v == kSqlSchemaVersion) return Status::Ok();
    // Older versions are brought up here, one step at a time, when there are any.
    return Status::InvalidArgument("このデータベースの形式" + std::to_string(v) +
                                   "は古すぎて更新できません。別のファイルを指定して書き出し直してください。");
  }
  std::string ddl = "BEGIN;\n";
  const bool sqlite = std::string_view(db.Dialect()) == "sqlite";
  for (const Table& t : Tables()) ddl += CreateSql(t, sqlite);
  ddl += "CREATE TABLE IF NOT EXISTS export_stamps (race_date DATE PRIMARY KEY, stamp TEXT NOT NULL, exported_at TEXT);\n";
  ddl += "INSERT INTO schema_version (version) VALUES (" + std::to_string(kSqlSchemaVersion) + ");\nCOMMIT;";
  if (Status s = db.Execute(ddl); !s.ok()) {
    db.Execute("ROLLBACK");
    return s;
  }
  return Status::Ok();
}

Result<SqlExportSummary> ExportToSql(SqlConnection& db, const fs::path& programFolder,
                                     const std::vector<std::string>& dates,
                                     const std::function<void(const SqlExportProgress&)>& progress) {
  if (Status s = PrepareSchema(db); !s.ok()) return s;
  Exporter ex(db, programFolder);
  if (Status s = ex.Prepare(); !s.ok()) return s;
  SqlExportSummary sum;
  auto day = MakeRaceDay();
  int index = 0;
  for (const std::string& d : dates) {
    SqlExportProgress p;
    p.date = d.size() >= 14 ? d.substr(0, 4) + "-" + d.substr(6, 2) + "-" + d.substr(10, 2) : d;
    p.index = ++index;
    p.total = static_cast<int>(dates.size());
    bool skipped = false;
    Status s = ex.Date(d, *day, skipped, p.message);
    if (s.ok()) {
      p.state = skipped ? SqlExportProgress::Skipped : SqlExportProgress::Written;
      ++(skipped ? sum.skipped : sum.written);
    } else {
      p.state = SqlExportProgress::Failed;
      p.message = s.message();
      ++sum.failed;
    }
    if (progress) progress(p);
    if (s.isIoError()) return Status::IoError(p.date + ": " + s.message());
  }
  return sum;
}

std::string SqlExportDoneText(const SqlExportSummary& s) {
  std::string t = std::to_string(s.written) + "日を書き出しました";
  if (s.skipped) t += "（変更のない" + std::to_string(s.skipped) + "日は省きました）";
  t += "。";
  if (s.failed) t += std::to_string(s.failed) + "日は書き出せませんでした。";
  return t;
}

}  // namespace zelkova
