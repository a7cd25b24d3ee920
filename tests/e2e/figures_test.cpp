// A generated feed, downloaded by the CLI, loaded day by day: every rated race has its ratings
// and ranks, and `figures` prints them as CSV.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "store/stored_paths.h"
#include "records/code_tables.h"
#include "analysis/rating_stage.h"
#include "analysis/rating_tables.h"
#include "analysis/selection_figures.h"
#include "day/load_race_day.h"
#include "racedata/past_run_formulas.h"
#include "settings/gate_table.h"
#include "records/record.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using zelkova::testing::TempDir;

using Proc = zelkova::testing::CommandRun;

Proc Shell(const std::string& cmd, const fs::path& errFile) { return zelkova::testing::RunCommand(cmd, errFile); }
std::string Bin(const char* name) { return zelkova::testing::BinPath(name); }

// One CSV line split into cells; quoted cells may hold commas and doubled quotes.
std::vector<std::string> SplitCsv(const std::string& line) {
  std::vector<std::string> cells(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        cells.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        cells.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      cells.emplace_back();
    } else {
      cells.back() += c;
    }
  }
  return cells;
}

struct Csv {
  std::vector<std::string> header;
  std::vector<std::map<std::string, std::string>> rows;
};

Csv ParseCsv(const std::string& text) {
  Csv csv;
  size_t at = 0;
  bool first = true;
  while (at < text.size()) {
    size_t nl = text.find('\n', at);
    std::string line = text.substr(at, nl == std::string::npos ? std::string::npos : nl - at);
    at = nl == std::string::npos ? text.size() : nl + 1;
    if (line.empty()) continue;
    auto cells = SplitCsv(line);
    if (first) {
      csv.header = cells;
      first = false;
      continue;
    }
    EXPECT_EQ(cells.size(), csv.header.size()) << line;
    std::map<std::string, std::string> row;
    for (size_t i = 0; i < cells.size() && i < csv.header.size(); ++i) row[csv.header[i]] = cells[i];
    csv.rows.push_back(std::move(row));
  }
  return csv;
}

// Feed, download and the day with the most races, shared by the tests of this file.
class FiguresE2E : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    const fs::path home = dir_->path() / "home";
    const std::string failed = zelkova::testing::MakeDownloadedHome(dir_->path(), 11);
    ASSERT_TRUE(failed.empty()) << failed;
    // The date whose race file holds the most races (a three-racecourse day of 36).
    uintmax_t best = 0;
    for (auto& e : fs::directory_iterator(home / "Data")) {
      std::string name = e.path().filename().string();
      if (e.path().extension() != ".jvRA") continue;
      if (e.file_size() > best) {
        best = e.file_size();
        dateText_ = name.substr(0, name.size() - 5);
      }
    }
    ASSERT_FALSE(dateText_.empty()) << "no race file was downloaded";
    // yyyy年mm月dd日 in UTF-8: 4 digits, 3 bytes, 2 digits, 3 bytes, 2 digits, 3 bytes.
    ASSERT_EQ(dateText_.size(), 17u) << dateText_;
    digits_ = dateText_.substr(0, 4) + dateText_.substr(7, 2) + dateText_.substr(12, 2);
    home_ = home;
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }

  Proc Figures(const std::string& args) {
    return Shell(Bin("zelkova-cli") + " --home '" + home_.string() + "' figures " + args, dir_->path() / "figures.err");
  }
  std::string Err() const { return zelkova::testing::ReadBytes(dir_->path() / "figures.err"); }

  static TempDir* dir_;
  static fs::path home_;
  static std::string dateText_, digits_;
};

TempDir* FiguresE2E::dir_ = nullptr;
fs::path FiguresE2E::home_;
std::string FiguresE2E::dateText_, FiguresE2E::digits_;

double Num(const std::map<std::string, std::string>& row, const std::string& col) {
  auto it = row.find(col);
  if (it == row.end()) {
    ADD_FAILURE() << "no column " << col;
    return 0;
  }
  return std::atof(it->second.c_str());
}

// The stored race of one CSV title: its youngest-age condition code and date.
struct StoredRace {
  std::string condition;
  int date = 0;
};

// Titles of the day's race file, as the loader writes them, with their stored conditions.
std::map<std::string, StoredRace> StoredRaces(const fs::path& home, const std::string& dateText) {
  std::map<std::string, StoredRace> out;
  std::string ra = zelkova::testing::ReadBytes(home / "Data" / (dateText + ".jvRA"));
  for (size_t at = 0; at + zelkova::kLenRA <= ra.size(); at += zelkova::kLenRA) {
    std::string_view rec(ra.data() + at, zelkova::kLenRA);
    if (zelkova::IsBlank(zelkova::Field(rec, 12, 4))) continue;
    auto f = [&](size_t pos, size_t len) { return std::string(zelkova::Field(rec, pos, len)); };
    std::string title = f(12, 4) + zelkova::Sj("年") + f(16, 2) + zelkova::Sj("月") + f(18, 2) + zelkova::Sj("日") +
                        zelkova::CourseNameW(f(20, 2), 2) + f(22, 2) + zelkova::Sj("回") + f(24, 2) +
                        zelkova::Sj("日") + f(26, 2) + "R";
    out[zelkova::Cp932ToUtf8Lossy(title)] = {f(635, 3), static_cast<int>(zelkova::FieldInt(rec, 12, 8))};
  }
  return out;
}

// The newest date in the horse's stored history that is earlier than `raceDate` (0 when none),
// and how many of those earlier runs have a finishing position.
// The newest stored entry before `raceDate` (scratched ones included, as the program reads them);
// `finished` counts those with a place, `ran` those the horse started in (not 取消 or 除外).
int NewestEarlierRun(const fs::path& home, const std::string& reg, int raceDate, int* finished = nullptr,
                     int* ran = nullptr) {
  if (finished) *finished = 0;
  if (ran) *ran = 0;
  if (reg.size() != 10 || !zelkova::IsAllDigits(reg)) return 0;
  fs::path p = zelkova::HorsePath(home, reg);
  if (!fs::exists(p)) return 0;
  std::string sei = zelkova::testing::ReadBytes(p);
  int newest = 0;
  for (size_t at = 0; at + zelkova::kLenSE <= sei.size(); at += zelkova::kLenSE) {
    std::string_view rec(sei.data() + at, zelkova::kLenSE);
    int d = static_cast<int>(zelkova::FieldInt(rec, 12, 8));
    if (d <= 0 || d >= raceDate) continue;
    newest = std::max(newest, d);
    if (finished && zelkova::FieldInt(rec, 335, 2) > 0) ++*finished;
    const long long abnormality = zelkova::FieldInt(rec, 332, 1);
    if (ran && (abnormality < 1 || abnormality > 3)) ++*ran;
  }
  return newest;
}

TEST_F(FiguresE2E, EveryRatedRaceHasRatingsAndRanks) {
  Proc r = Figures(digits_);
  ASSERT_EQ(r.status, 0) << Err();
  Csv csv = ParseCsv(r.out);
  ASSERT_GE(csv.header.size(), 100u);
  // Where each row belongs comes first, in columns of its own.
  const std::vector<std::string> first = {"Date", "CourseCode", "CourseName", "RaceNumber", "HorseNumber", "Title",
                                          "FinishRating", "FinishRatingRank"};
  EXPECT_EQ(std::vector<std::string>(csv.header.begin(), csv.header.begin() + 8), first);
  EXPECT_NE(std::find(csv.header.begin(), csv.header.end(), "PastLevel20"), csv.header.end());
  EXPECT_EQ(std::find(csv.header.begin(), csv.header.end(), "PastLevel21"), csv.header.end());

  std::map<std::string, std::vector<const std::map<std::string, std::string>*>> races;
  for (const auto& row : csv.rows) races[row.at("Title")].push_back(&row);
  EXPECT_EQ(races.size(), 36u);
  std::set<int> categories;
  int rated = 0, racesWithHistory = 0;
  const auto stored = StoredRaces(home_, dateText_);
  EXPECT_EQ(stored.size(), 36u);
  for (const auto& [title, rows] : races) {
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(title.substr(0, 17), dateText_) << title;
    int cat = static_cast<int>(Num(*rows[0], "RaceCategory"));
    categories.insert(cat);
    EXPECT_EQ(static_cast<int>(rows.size()), static_cast<int>(Num(*rows[0], "RunnerCount"))) << title;
    // Every runner's history as stored: the newest earlier run gives DaysSinceLastRun, and a
    // runner with one has its race-level score; a newcomer race holds no horse that has run.
    auto sr = stored.find(title);
    ASSERT_NE(sr, stored.end()) << title;
    bool history = false, scored = false, started = false;
    for (const auto* row : rows) {
      EXPECT_EQ(row->at("Date"), digits_.substr(0, 4) + "-" + digits_.substr(4, 2) + "-" + digits_.substr(6, 2));
      EXPECT_NE(title.find(row->at("CourseName").substr(0, 3)), std::string::npos) << title;
      EXPECT_EQ(title.substr(title.size() - 3), (Num(*row, "RaceNumber") < 10 ? "0" : "") + row->at("RaceNumber") + "R");
      // Names without the fill of their fixed widths.
      for (const char* name : {"HorseName", "JockeyName", "TrainerName", "CourseName"}) {
        const std::string& v = row->at(name);
        ASSERT_FALSE(v.empty()) << title << " " << name;
        EXPECT_NE(v.back(), ' ') << v;
        EXPECT_FALSE(v.size() >= 3 && v.compare(v.size() - 3, 3, "\u3000") == 0) << v;
      }
      int finished = 0, ran = 0;
      int newest = NewestEarlierRun(home_, row->at("PedigreeNo"), sr->second.date, &finished, &ran);
      int days = newest ? zelkova::DaysBetween(newest, sr->second.date) : 0;
      EXPECT_EQ(static_cast<int>(Num(*row, "DaysSinceLastRun")), days) << title << " " << row->at("PedigreeNo");
      // The day's horse master is the version made last before the race, so its career counts
      // take in every finished run stored before it (horses rest between runs).
      EXPECT_GE(static_cast<int>(Num(*row, "CareerStarts")), finished) << title << " " << row->at("PedigreeNo");
      history |= newest != 0;
      started |= ran != 0;
      scored |= Num(*row, "PastLevel1") >= 0 && Num(*row, "DaysSinceLastRun") > 0;
      if (cat != 3 && cat != 7) {
        EXPECT_EQ(Num(*row, "PastLevel1") >= 0, newest != 0) << title << " " << row->at("PedigreeNo");
      }
    }
    // A debutants' race may hold a horse scratched from an earlier one, never one that has run.
    if (sr->second.condition == "701") {
      EXPECT_FALSE(started) << title;
    }
    racesWithHistory += history;
    if (history && cat != 3 && cat != 7) {
      EXPECT_TRUE(scored) << title << ": runners with past runs but no score";
    }
    if (cat == 3 || cat == 7) continue;
    ++rated;
    for (const char* kind : {"Finish", "Popularity", "Position"}) {
      std::string rating = std::string(kind) + "Rating", rank = rating + "Rank";
      std::vector<int> ranks;
      for (const auto* row : rows) {
        double v = Num(*row, rating);
        int k = static_cast<int>(Num(*row, rank));
        if (v > 0) {
          ranks.push_back(k);
        } else {
          EXPECT_EQ(k, 0) << title << " " << rank;
        }
        // Six decimals, as a spreadsheet reads them.
        const std::string& text = row->at(rating);
        EXPECT_EQ(text.size() - text.find('.'), 7u) << text;
      }
      ASSERT_FALSE(ranks.empty()) << title << ": no " << rating;
      std::sort(ranks.begin(), ranks.end());
      for (size_t i = 0; i < ranks.size(); ++i) EXPECT_EQ(ranks[i], static_cast<int>(i) + 1) << title << " " << rank;
    }
    // The finish ranks follow the ratings (descending).
    std::vector<std::pair<int, double>> byRank;
    for (const auto* row : rows)
      if (Num(*row, "FinishRatingRank") > 0) byRank.push_back({static_cast<int>(Num(*row, "FinishRatingRank")), Num(*row, "FinishRating")});
    std::sort(byRank.begin(), byRank.end());
    for (size_t i = 1; i < byRank.size(); ++i) EXPECT_GE(byRank[i - 1].second, byRank[i].second) << title;
  }
  EXPECT_GT(racesWithHistory, 20);
  EXPECT_GT(rated, 20);
  EXPECT_GE(categories.size(), 2u);
}

// Races abroad are filed under SEIR with a course code such as "A4"; a later day's load finds
// them again, so such a past run has its race and the figures built on it.
TEST_F(FiguresE2E, PastRunsAbroadKeepTheirRaceAndFigures) {
  zelkova::RatingTables tables;
  ASSERT_TRUE(tables.Load(ZELKOVA_BIN_DIR).ok());
  auto gates = zelkova::LoadGateTable(fs::path(ZELKOVA_BIN_DIR) / "SetGate.tbl");
  ASSERT_TRUE(gates.ok());
  auto day = zelkova::MakeRaceDay();
  zelkova::LoadObserver obs;
  int abroad = 0, withLast3F = 0;
  for (auto& e : fs::directory_iterator(home_ / "Data")) {
    if (e.path().extension() != ".jvRA") continue;
    zelkova::LoadInputs in;
    in.dateText = *zelkova::Utf8ToCp932(e.path().stem().string());
    in.programFolder = home_;
    in.tables = &tables;
    in.gates = &*gates;
    ASSERT_TRUE(zelkova::LoadRaceDay(*day, in, obs).ok());
    for (int r = 0; r < day->RaceCount; ++r) {
      zelkova::RaceInfo& race = day->Races[r];
      zelkova::SelectionFigures(race, 13, 0);
      for (int h = 0; h < zelkova::RegisteredRunners(race); ++h) {
        for (int k = 0; k < 20; ++k) {
          const zelkova::PastRun& run = race.Runners[h].PastRuns[k];
          const std::string course(run.SeRecord.field(20, 2));
          if (run.SeRecord.empty() || zelkova::IsAllDigits(course)) continue;
          ++abroad;
          const std::string key(run.SeRecord.field(12, 10));
          const std::string stored = zelkova::testing::ReadBytes(zelkova::MeetingPath(home_, key));
          ASSERT_FALSE(run.RaRecord.empty()) << key;
          EXPECT_NE(stored.find(std::string(run.RaRecord.view())), std::string::npos) << key;
          EXPECT_EQ(run.RaRecord.field(26, 2), run.SeRecord.field(26, 2));
          const zelkova::RaImage& ra = run.RaRecord;
          const double level = zelkova::RaceLevelScore(ra.field(615, 1), ra.field(617, 2), ra.field(635, 3),
                                                       ra.field(20, 2), ra.field(619, 3));
          EXPECT_NE(level, -1) << key;
          EXPECT_EQ(race.Figures.PastLevel[h][k], level) << key;
          const bool ran = run.SeRecord.fieldInt(335, 2) > 0 && run.SeRecord.fieldInt(391, 3) > 0 &&
                           run.SeRecord.fieldInt(358, 2) > 0 && ra.fieldInt(976, 3) > 0;
          if (k < 5 && ran) {
            ++withLast3F;
            EXPECT_GT(race.Figures.Last3FFigure[h][k], -99) << key;
          }
        }
      }
    }
  }
  EXPECT_GT(abroad, 0) << "the generated feed has no past run abroad";
  EXPECT_GT(withLast3F, 0);
}

// Every load ends with the weight import: the weights of run races reach `figures`.
TEST_F(FiguresE2E, HorseWeightsReachTheFigures) {
  int rows = 0, weighed = 0;
  for (auto& e : fs::directory_iterator(home_ / "Data")) {
    if (e.path().extension() != ".jvRA") continue;
    const std::string name = e.path().stem().string();  // yyyy年mm月dd日
    Proc p = Figures(name.substr(0, 4) + name.substr(7, 2) + name.substr(12, 2));
    ASSERT_EQ(p.status, 0) << Err();
    for (const auto& row : ParseCsv(p.out).rows) {
      ++rows;
      const int w = std::stoi(row.at("HorseWeight"));
      if (w == 0) continue;
      ++weighed;
      EXPECT_GE(w, 300) << name << " " << row.at("PedigreeNo");
      EXPECT_LT(std::abs(std::stoi(row.at("WeightChange"))), 100) << name << " " << row.at("PedigreeNo");
    }
  }
  EXPECT_GT(weighed, rows / 2) << "of " << rows << " runners";
}

// The stored data brings each past race's final odds (no announcement time): after the download
// every past day's odds files hold them at their races' lines, the figures' win odds are the
// results' final odds, and the view says "確定" where the announcement time would be.
TEST_F(FiguresE2E, PastDaysHoldTheirFinalOdds) {
  int days = 0, runners = 0;
  for (auto& e : fs::directory_iterator(home_ / "Data")) {
    if (e.path().extension() != ".jvRA") continue;
    const std::string name = e.path().stem().string();
    const std::string digits = name.substr(0, 4) + name.substr(7, 2) + name.substr(12, 2);
    if (digits >= "20240512") continue;  // today's results are not stored yet
    SCOPED_TRACE(name);
    const std::string ra = zelkova::testing::ReadBytes(e.path());
    const size_t races = ra.size() / zelkova::kLenRA;
    for (auto [ext, len] : {std::pair{".jvO1", zelkova::kLenO1}, {".jvO2", zelkova::kLenO2}}) {
      const std::string odds = zelkova::testing::ReadBytes(home_ / "Data" / (name + ext));
      ASSERT_EQ(odds.size(), races * len) << ext;
      for (size_t i = 0; i < races; ++i) {
        std::string_view line(odds.data() + i * len, len);
        EXPECT_EQ(zelkova::Field(line, 12, 16), zelkova::Field(std::string_view(ra).substr(i * zelkova::kLenRA), 12, 16));
        EXPECT_TRUE(zelkova::Field(line, 3, 1) == "4" && zelkova::Field(line, 28, 8) == "00000000") << ext << " " << i;
      }
    }
    Proc p = Figures(digits);
    ASSERT_EQ(p.status, 0) << Err();
    for (const auto& row : ParseCsv(p.out).rows) {
      if (Num(row, "FinalOdds") <= 0) continue;
      EXPECT_DOUBLE_EQ(Num(row, "WinOdds"), Num(row, "FinalOdds")) << row.at("PedigreeNo");
      ++runners;
    }
    if (days++ == 0) {
      Proc v = Shell(Bin("zelkova-cli") + " --home '" + home_.string() + "' view " + digits + " --race main",
                     dir_->path() / "view.err");
      ASSERT_EQ(v.status, 0) << zelkova::testing::ReadBytes(dir_->path() / "view.err");
      EXPECT_NE(v.out.find("O1Time\t確定\n"), std::string::npos);
      EXPECT_NE(v.out.find("O2Time\t確定\n"), std::string::npos);
    }
  }
  EXPECT_GE(days, 3);
  EXPECT_GT(runners, 1000);
}

TEST_F(FiguresE2E, OneRaceByDateTextAndTheOptions) {
  Proc all = Figures(digits_);
  ASSERT_EQ(all.status, 0) << Err();
  Proc one = Figures("'" + dateText_ + "' --race 11 --samples 5 --weight-switch 1");
  ASSERT_EQ(one.status, 0) << Err();
  Csv a = ParseCsv(all.out), b = ParseCsv(one.out);
  ASSERT_FALSE(b.rows.empty());
  size_t expected = 0;
  for (const auto& row : a.rows) expected += row.at("Title").find("11R") != std::string::npos;
  EXPECT_EQ(b.rows.size(), expected);
  for (const auto& row : b.rows) EXPECT_NE(row.at("Title").find("11R"), std::string::npos);
  // The load-time figures do not depend on the selection options.
  for (const auto& row : b.rows)
    for (const auto& other : a.rows)
      if (other.at("Title") == row.at("Title") && other.at("HorseNumber") == row.at("HorseNumber")) {
        EXPECT_EQ(other.at("FinishRating"), row.at("FinishRating"));
      }
}

TEST_F(FiguresE2E, BadArgumentsAreRefusedClearly) {
  EXPECT_EQ(Figures("20241399").status, 2);
  EXPECT_EQ(Err(), "zelkova-cli: 2024年13月99日という日はありません\n");
  EXPECT_EQ(Figures("2024-02-30").status, 2);
  EXPECT_EQ(Err(), "zelkova-cli: 2024年02月30日という日はありません\n");
  EXPECT_EQ(Figures("2024/05/12").status, 2);
  EXPECT_EQ(Err(), "zelkova-cli: 「2024/05/12」は日付ではありません（yyyymmdd、yyyy-mm-dd、yyyy年mm月dd日）\n");
  EXPECT_EQ(Figures("19990101").status, 1);  // no race file: nothing printed
  EXPECT_EQ(Figures("'../../etc'").status, 2);
  // Each bad value is named with the range it must be in.
  for (const auto& [args, said] : std::vector<std::pair<std::string, std::string>>{
           {"--race 13", "--race にはレース番号（1～12）か main を指定してください（「13」）"},
           {"--race abc", "--race にはレース番号（1～12）か main を指定してください（「abc」）"},
           {"--race", "--race に値がありません（レース番号 1～12 か main）"},
           {"--samples 2", "--samples 2 は範囲外です（平均着差に使う過去走の数、3～20）"},
           {"--weight-switch -1", "--weight-switch -1 は範囲外です（0 は負担重量無視、1 は負担重量補正、0～1）"},
           {"--bogus", "「--bogus」というオプションはありません"}}) {
    Proc p = Figures(digits_ + " " + args);
    EXPECT_EQ(p.status, 2) << args;
    EXPECT_TRUE(p.out.empty()) << args;
    EXPECT_EQ(Err(), "zelkova-cli: " + said + "\n") << args;
  }
}

// For a spreadsheet: UTF-8 with a byte order mark and CR LF line ends, the same cells.
TEST_F(FiguresE2E, ExcelFormIsUtf8WithBomAndCrLf) {
  Proc plain = Figures(digits_ + " --race 1");
  Proc excel = Figures(digits_ + " --race 1 --excel");
  ASSERT_EQ(excel.status, 0) << Err();
  ASSERT_EQ(excel.out.compare(0, 3, "\xEF\xBB\xBF"), 0);
  std::string lf = excel.out.substr(3);
  size_t crlf = 0;
  for (size_t at; (at = lf.find("\r\n")) != std::string::npos; ++crlf) lf.replace(at, 2, "\n");
  EXPECT_EQ(lf, plain.out);
  EXPECT_EQ(crlf, static_cast<size_t>(std::count(plain.out.begin(), plain.out.end(), '\n')));
}

// A day whose entry files are missing: each is named once on stderr, no row of blank runners
// is printed, and the exit status says the races could not be shown.
TEST_F(FiguresE2E, MissingEntryFilesAreNamedAndFail) {
  fs::path home = dir_->path() / "no-entries";
  fs::create_directories(home / "Data");
  for (const char* f : {"RTJ.dat", "RTN.dat", "RTC.dat", "SetGate.tbl"}) fs::copy_file(home_ / f, home / f);
  int removed = 0;
  for (auto& e : fs::directory_iterator(home_ / "Data")) {
    const std::string name = e.path().filename().string();
    if (name.rfind(dateText_, 0) != 0) continue;
    if (e.path().extension() == ".jvSEr") {
      ++removed;
      continue;
    }
    fs::copy_file(e.path(), home / "Data" / name);
  }
  ASSERT_EQ(removed, 3);
  Proc p = Shell(Bin("zelkova-cli") + " --home '" + home.string() + "' figures " + digits_, dir_->path() / "figures.err");
  EXPECT_EQ(p.status, 1);
  EXPECT_EQ(std::count(p.out.begin(), p.out.end(), '\n'), 1) << "the header only";
  const std::string err = Err();
  size_t named = 0;
  for (size_t at = 0; (at = err.find(".jvSEr」がありません。", at)) != std::string::npos; ++at) ++named;
  EXPECT_EQ(named, 3u) << err;
  EXPECT_NE(err.find("出せる馬がいません"), std::string::npos) << err;
}

}  // namespace
