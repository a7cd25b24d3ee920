// The SQL export over a downloaded generated season: a real SQLite file, and a real PostgreSQL
// server when one can be started here.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/cp932.h"
#include "output/figure_columns.h"
#include "sql/sql_export.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using zelkova::SqlConnection;
using zelkova::SqlRows;
using zelkova::SqlValue;
using zelkova::testing::ReadBytes;
using zelkova::testing::RunCommand;
using zelkova::testing::TempDir;

// Filled by a batch download alone (odds and weights come on race day).
const char* const kTables[] = {"races", "entries", "payouts", "figures", "rank_frequency",
                               "past_runs", "horses", "jockeys", "trainers", "export_stamps"};

std::vector<std::string> SplitCsv(const std::string& line) {
  std::vector<std::string> cells(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      cells.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      cells.emplace_back();
    } else {
      cells.back() += c;
    }
  }
  return cells;
}

SqlRows Query(SqlConnection& db, const std::string& sql, const std::vector<SqlValue>& params = {}) {
  auto q = db.Prepare(sql);
  EXPECT_TRUE(q.ok()) << q.status().message();
  if (!q.ok()) return {};
  auto r = db.Query(*q, params);
  EXPECT_TRUE(r.ok()) << r.status().message();
  return r.ok() ? *r : SqlRows{};
}
long long Count(SqlConnection& db, const std::string& table) {
  SqlRows r = Query(db, "SELECT COUNT(*) FROM " + table);
  return r.empty() ? -1 : std::atoll(r[0][0].c_str());
}
std::map<std::string, std::string> Stamps(SqlConnection& db) {
  std::map<std::string, std::string> m;
  for (auto& row : Query(db, "SELECT race_date, stamp FROM export_stamps")) m[row[0]] = row[1];
  return m;
}
std::unique_ptr<SqlConnection> Open(const fs::path& file) {
  auto db = zelkova::OpenSqlite(file.string());
  EXPECT_TRUE(db.ok()) << db.status().message();
  return db.ok() ? std::move(*db) : nullptr;
}

// Passes every call on, and fails every statement from the `failAt`-th Run on as a full disk would.
class FillingConnection : public SqlConnection {
 public:
  FillingConnection(SqlConnection& inner, int failAt) : inner_(inner), left_(failAt) {}
  zelkova::Status Execute(const std::string& sql) override { return inner_.Execute(sql); }
  zelkova::Result<int> Prepare(const std::string& sql) override { return inner_.Prepare(sql); }
  zelkova::Status Run(int st, const std::vector<SqlValue>& p) override {
    if (--left_ < 0) return zelkova::Status::IoError("database or disk is full");
    return inner_.Run(st, p);
  }
  zelkova::Result<SqlRows> Query(int st, const std::vector<SqlValue>& p) override { return inner_.Query(st, p); }
  const char* Dialect() const override { return inner_.Dialect(); }

 private:
  SqlConnection& inner_;
  int left_;
};

class SqlExportE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string failed = zelkova::testing::MakeDownloadedHome(dir_.path(), 7);
    ASSERT_TRUE(failed.empty()) << failed;
    home_ = dir_ / "home";
    db_ = dir_ / "season.db";
  }
  zelkova::testing::CommandRun Export(const std::string& target, const std::string& prefix = "") {
    return RunCommand(prefix + zelkova::testing::BinPath("zelkova-cli") + " --home '" + home_.string() + "' export " +
                          target,
                      dir_ / "export.err");
  }
  zelkova::testing::CommandRun ExportSqlite() { return Export("--sqlite '" + db_.string() + "'"); }
  // Every stored file of the program folder gets a new time (the same bytes).
  void TouchData() {
    for (auto& e : fs::directory_iterator(home_ / "Data"))
      fs::last_write_time(e.path(), fs::last_write_time(e.path()) + std::chrono::seconds(5));
  }

  TempDir dir_;
  fs::path home_, db_;
};

TEST_F(SqlExportE2E, FillsEveryTableAndStoresTheFiguresOfTheCli) {
  // The last day followed as on race day, for its odds and horse weights.
  auto follow = zelkova::testing::RunProgram("zelkova-cli", {"--home", home_.string(), "--feed", (dir_ / "feed").string(),
                                                             "follow", "20240512", "--clock", "2024-05-12 09:00",
                                                             "--clock-speed", "4000", "--until", "17:00"});
  ASSERT_EQ(follow.status, 0) << follow.err;
  auto r = ExportSqlite();
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("日を書き出しました"), std::string::npos) << r.err;
  auto db = Open(db_);
  for (const char* t : kTables) EXPECT_GT(Count(*db, t), 0) << t;
  EXPECT_GT(Count(*db, "odds"), 0);
  EXPECT_GT(Count(*db, "weights"), 0);
  EXPECT_EQ(Query(*db, "SELECT version FROM schema_version"), (SqlRows{{"1"}}));

  // The figures of every date, value for value as `figures` prints them.
  const auto& cols = zelkova::FigureColumns();
  std::string select = "SELECT ";
  for (size_t c = 0; c < cols.size(); ++c) {
    if (c) select += ", ";
    select += cols[c].sqlName;
  }
  select += " FROM figures WHERE date = $1 ORDER BY race_key, horse_number";
  auto q = db->Prepare(select);
  ASSERT_TRUE(q.ok()) << q.status().message();
  const auto stamps = Stamps(*db);
  ASSERT_GE(stamps.size(), 5u);
  for (const auto& [date, stamp] : stamps) {
    const std::string digits = date.substr(0, 4) + date.substr(5, 2) + date.substr(8, 2);
    auto f = zelkova::testing::RunProgram("zelkova-cli", {"--home", home_.string(), "figures", digits});
    ASSERT_EQ(f.status, 0) << f.err;
    std::map<std::string, std::vector<std::string>> cli;  // by course, race and horse number
    size_t at = f.out.find('\n') + 1;
    while (at < f.out.size()) {
      const size_t nl = f.out.find('\n', at);
      auto cells = SplitCsv(f.out.substr(at, nl - at));
      at = nl + 1;
      ASSERT_EQ(cells.size(), cols.size());
      cli[cells[1] + "/" + cells[3] + "/" + cells[4]] = cells;
    }
    SqlValue d;
    d.Set(date);
    auto rows = db->Query(*q, {d});
    ASSERT_TRUE(rows.ok());
    ASSERT_EQ(rows->size(), cli.size()) << date;
    for (const auto& row : *rows) {
      const auto it = cli.find(row[1] + "/" + row[3] + "/" + row[4]);
      ASSERT_NE(it, cli.end()) << date << " " << row[5];
      for (size_t c = 0; c < cols.size(); ++c) {
        std::string stored = row[c];
        if (cols[c].kind == zelkova::FigureCell::Real) {
          char buf[64];
          std::snprintf(buf, sizeof buf, "%.6f", std::atof(stored.c_str()));
          stored = buf;
        }
        EXPECT_EQ(stored, it->second[c]) << date << " " << row[5] << " " << cols[c].name;
      }
    }
  }
}

TEST_F(SqlExportE2E, SkipsUnchangedDatesAndRewritesAChangedOneAlone) {
  ASSERT_EQ(ExportSqlite().status, 0);
  auto db = Open(db_);
  const auto before = Stamps(*db);
  const long long figures = Count(*db, "figures"), pastRuns = Count(*db, "past_runs");
  db.reset();

  auto again = ExportSqlite();
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.err.find("0日を書き出しました（変更のない" + std::to_string(before.size()) + "日は省きました）"),
            std::string::npos)
      << again.err;

  // One date's races arrive again: that date alone is written, to the same rows.
  const fs::path hr = *std::find_if(fs::directory_iterator(home_ / "Data"), fs::directory_iterator(),
                                    [](const fs::directory_entry& e) { return e.path().extension() == ".jvRA"; });
  fs::last_write_time(hr, fs::last_write_time(hr) + std::chrono::seconds(5));
  auto one = ExportSqlite();
  ASSERT_EQ(one.status, 0) << one.err;
  EXPECT_NE(one.err.find("1日を書き出しました（変更のない" + std::to_string(before.size() - 1) + "日は省きました）"),
            std::string::npos)
      << one.err;
  db = Open(db_);
  const auto after = Stamps(*db);
  int changed = 0;
  for (const auto& [date, stamp] : after) changed += before.at(date) != stamp;
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(Count(*db, "figures"), figures);
  EXPECT_EQ(Count(*db, "past_runs"), pastRuns);
}

TEST_F(SqlExportE2E, AKilledOrFailedExportLeavesEachDateWhole) {
  ASSERT_EQ(ExportSqlite().status, 0);
  auto db = Open(db_);
  const auto before = Stamps(*db);
  const SqlRows perDate = Query(*db, "SELECT date, COUNT(*) FROM figures GROUP BY date ORDER BY date");
  db.reset();

  // Killed in the middle of its first date (held there by a reader): that date, and every other,
  // is as it was; the next export writes them all.
  TouchData();
  db = Open(db_);
  ASSERT_TRUE(db->Execute("BEGIN; SELECT COUNT(*) FROM races;").ok());
  const fs::path err = dir_ / "killed.err";
  const std::string cmd = zelkova::testing::BinPath("zelkova-cli") + " --home '" + home_.string() +
                          "' export --sqlite '" + db_.string() + "' 2>'" + err.string() + "' & echo $!";
  auto started = RunCommand(cmd);
  const pid_t pid = std::atoi(started.out.c_str());
  ASSERT_GT(pid, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_EQ(ReadBytes(err).find("日を書き出しました"), std::string::npos) << ReadBytes(err);
  ::kill(pid, SIGKILL);
  ASSERT_TRUE(db->Execute("COMMIT").ok());
  db.reset();
  for (int i = 0; i < 100 && ::kill(pid, 0) == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  db = Open(db_);
  EXPECT_EQ(Query(*db, "PRAGMA integrity_check"), (SqlRows{{"ok"}}));
  EXPECT_EQ(Query(*db, "SELECT date, COUNT(*) FROM figures GROUP BY date ORDER BY date"), perDate);
  EXPECT_EQ(Stamps(*db), before);
  db.reset();
  auto rerun = ExportSqlite();
  ASSERT_EQ(rerun.status, 0) << rerun.err;
  EXPECT_NE(rerun.err.find(std::to_string(before.size()) + "日を書き出しました。"), std::string::npos) << rerun.err;
  db = Open(db_);
  EXPECT_EQ(Query(*db, "SELECT date, COUNT(*) FROM figures GROUP BY date ORDER BY date"), perDate);
  const auto killed = Stamps(*db);

  // A disk that fills up in the middle of a date: that date keeps its rows, the export says so.
  TouchData();
  FillingConnection full(*db, 300);
  std::vector<std::string> dates;
  for (auto& e : fs::directory_iterator(home_ / "Data"))
    if (e.path().extension() == ".jvRA") dates.push_back(zelkova::Utf8ToCp932Lossy(e.path().stem().string()));
  std::sort(dates.begin(), dates.end());
  auto r = zelkova::ExportToSql(full, home_, dates, {});
  ASSERT_FALSE(r.ok());
  EXPECT_NE(r.status().message().find("full"), std::string::npos);
  EXPECT_EQ(Query(*db, "SELECT date, COUNT(*) FROM figures GROUP BY date ORDER BY date"), perDate);
  EXPECT_EQ(Stamps(*db), killed);
}

// Two entry lines of one race with the same horse number (a damaged file) would give two rows
// one key: that date is refused whole, with the reason, and every other date is written.
TEST_F(SqlExportE2E, ADateWhoseRecordsClashIsRefusedAndTheOthersWritten) {
  fs::path se;
  for (auto& e : fs::directory_iterator(home_ / "Data"))
    if (e.path().extension() == ".jvSEr" && (se.empty() || e.path() < se)) se = e.path();
  ASSERT_FALSE(se.empty());
  std::string bytes = ReadBytes(se);
  ASSERT_GE(bytes.size(), 2 * zelkova::kLenSE);
  bytes.replace(zelkova::kLenSE, zelkova::kLenSE, bytes, 0, zelkova::kLenSE);
  zelkova::testing::WriteBytes(se, bytes);
  const std::string date = se.stem().string().substr(0, 4) + "-" + se.stem().string().substr(7, 2) + "-" +
                           se.stem().string().substr(12, 2);  // yyyy年mm月dd日…

  auto r = ExportSqlite();
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.err.find(date + " 書き出せません: 保存されたレコードに食い違いがあり、表「entries」に同じキー"),
            std::string::npos)
      << r.err;
  auto db = Open(db_);
  const auto stamps = Stamps(*db);
  EXPECT_EQ(stamps.count(date), 0u);
  EXPECT_GE(stamps.size(), 6u);
  SqlValue day;
  day.Set(date);
  EXPECT_EQ(Query(*db, "SELECT COUNT(*) FROM races WHERE race_date = ?", {day}), (SqlRows{{"0"}}));
}

TEST_F(SqlExportE2E, AReadOnlyTargetIsReportedAndKept) {
  ASSERT_EQ(ExportSqlite().status, 0);
  const std::string bytes = ReadBytes(db_);
  fs::permissions(db_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  TouchData();
  auto r = Export("--sqlite '" + db_.string() + "'", zelkova::testing::UnprivilegedPrefix());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("読み取り専用"), std::string::npos) << r.err;
  EXPECT_EQ(ReadBytes(db_), bytes);

  // A database written by a newer version is refused, and left alone.
  fs::permissions(db_, fs::perms::owner_all);
  {
    auto db = Open(db_);
    ASSERT_TRUE(db->Execute("UPDATE schema_version SET version = 99").ok());
  }
  const std::string newer = ReadBytes(db_);
  r = ExportSqlite();
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("新しい版"), std::string::npos) << r.err;
  EXPECT_EQ(ReadBytes(db_), newer);
}

// A PostgreSQL server of its own in a temporary folder, on 127.0.0.1 and a free port; stopped at
// the end. Run as nobody when the tests run as root (the server refuses root).
class PostgresServer {
 public:
  explicit PostgresServer(const fs::path& dir) : data_(dir / "pg") {
    const std::string bin = "/usr/lib/postgresql/15/bin/";
    if (!fs::exists(bin + "initdb")) {
      why_ = "no /usr/lib/postgresql/15/bin/initdb";
      return;
    }
    const std::string as = ::geteuid() == 0 ? "runuser -u nobody -- " : "";
    fs::create_directories(data_);
    if (::geteuid() == 0) RunCommand("chown -R nobody '" + dir.string() + "'");
    port_ = 20000 + static_cast<int>(::getpid() % 20000);
    auto init = RunCommand(as + bin + "initdb -A trust -U zelkova -E UTF8 --locale=C.UTF-8 -D '" + data_.string() +
                           "' >/dev/null 2>&1");
    if (init.status != 0) {
      why_ = "initdb failed";
      return;
    }
    auto start = RunCommand(as + bin + "pg_ctl -w -D '" + data_.string() + "' -l '" + (data_ / "log").string() +
                            "' -o \"-c listen_addresses=127.0.0.1 -p " + std::to_string(port_) +
                            " -k '" + data_.string() + "'\" start >/dev/null 2>&1");
    if (start.status != 0) {
      why_ = "the server did not start";
      return;
    }
    stop_ = as + bin + "pg_ctl -w -m fast -D '" + data_.string() + "' stop >/dev/null 2>&1";
  }
  ~PostgresServer() {
    if (!stop_.empty()) RunCommand(stop_);
  }
  bool up() const { return !stop_.empty(); }
  const std::string& why() const { return why_; }
  std::string conninfo() const {
    return "host=127.0.0.1 port=" + std::to_string(port_) + " user=zelkova dbname=postgres";
  }

 private:
  fs::path data_;
  int port_ = 0;
  std::string why_, stop_;
};

TEST_F(SqlExportE2E, PostgresHoldsWhatSqliteHolds) {
  PostgresServer pg(dir_ / "server");
  if (!pg.up()) GTEST_SKIP() << "PostgreSQL cannot start here: " << pg.why();
  ASSERT_EQ(ExportSqlite().status, 0);
  auto r = Export("--postgres '" + pg.conninfo() + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  auto lite = Open(db_);
  auto pq = zelkova::OpenPostgres(pg.conninfo());
  ASSERT_TRUE(pq.ok()) << pq.status().message();
  for (const char* t : kTables) EXPECT_EQ(Count(**pq, t), Count(*lite, t)) << t;
  const std::string sum = "SELECT SUM(finish_rating), SUM(win_odds), COUNT(DISTINCT date) FROM figures";
  auto a = Query(**pq, sum), b = Query(*lite, sum);
  ASSERT_EQ(a.size(), 1u);
  ASSERT_EQ(b.size(), 1u);
  EXPECT_NEAR(std::atof(a[0][0].c_str()), std::atof(b[0][0].c_str()), 1e-6);
  EXPECT_NEAR(std::atof(a[0][1].c_str()), std::atof(b[0][1].c_str()), 1e-6);
  EXPECT_EQ(a[0][2], b[0][2]);

  auto again = Export("--postgres '" + pg.conninfo() + "'");
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.err.find("0日を書き出しました"), std::string::npos) << again.err;
}

}  // namespace

namespace {

std::string TrimLines(const std::string& text) {
  std::string out, line;
  std::istringstream in(text);
  while (std::getline(in, line)) {
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line + "\n";
  }
  while (out.size() > 1 && out[out.size() - 1] == '\n' && out[out.size() - 2] == '\n') out.pop_back();
  return out;
}

// The README's example queries, run as written over the demo data, print what the README shows.
TEST(SqlReadme, ExampleQueriesPrintWhatTheReadmeShows) {
  TempDir dir;
  const fs::path home = dir / "home";
  fs::create_directories(home);
  for (const char* f : {"RTJ.dat", "RTN.dat", "RTC.dat", "SetGate.tbl"})
    fs::copy_file(fs::path(ZELKOVA_BIN_DIR) / f, home / f);
  ASSERT_EQ(zelkova::testing::RunProgram("zelkova-feedgen", {"--out", (dir / "feed").string(), "--scale", "demo"}).status, 0);
  ASSERT_EQ(zelkova::testing::RunProgram("zelkova-cli", {"--home", home.string(), "--feed", (dir / "feed").string(),
                                                         "download", "--from", "2000/01/01 00:00:00"})
                .status,
            0);
  const fs::path db = dir / "zelkova.db";
  auto e = zelkova::testing::RunProgram("zelkova-cli", {"--home", home.string(), "export", "--sqlite", db.string()});
  ASSERT_EQ(e.status, 0) << e.err;

  const std::string readme = ReadBytes(fs::path(ZELKOVA_SOURCE_DIR) / "README.md");
  int examples = 0;
  for (size_t at = readme.find("```sql\n"); at != std::string::npos; at = readme.find("```sql\n", at)) {
    at += 7;
    const std::string sql = readme.substr(at, readme.find("```", at) - at);
    const size_t out = readme.find("```text\n", at) + 8;
    const std::string shown = readme.substr(out, readme.find("```", out) - out);
    zelkova::testing::WriteBytes(dir / "q.sql", sql);
    auto r = RunCommand("sqlite3 -header -column '" + db.string() + "' < '" + (dir / "q.sql").string() + "'");
    ASSERT_EQ(r.status, 0) << sql;
    EXPECT_EQ(TrimLines(r.out), TrimLines(shown)) << sql;
    ++examples;
  }
  EXPECT_EQ(examples, 3);
}

}  // namespace
