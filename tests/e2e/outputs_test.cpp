// A generated season, downloaded by the CLI: every stored date exported to CSV, the hit report
// and the printed page of a day, checked against the figures the CLI prints for the same runners;
// and the outputs' failures (no data, no payouts, a folder that cannot be made).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "base/file_io.h"
#include "records/code_tables.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using zelkova::testing::TempDir;
using Proc = zelkova::testing::CommandRun;

std::string Bin(const char* name) { return zelkova::testing::BinPath(name); }
std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }

// A CSV line of the export: fields wrapped in quotes, no quoting inside.
std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> out;
  if (line.size() < 2 || line.front() != '"' || line.back() != '"') return out;
  std::string inner = line.substr(1, line.size() - 2);
  size_t at = 0;
  for (;;) {
    size_t sep = inner.find("\",\"", at);
    out.push_back(inner.substr(at, sep == std::string::npos ? std::string::npos : sep - at));
    if (sep == std::string::npos) break;
    at = sep + 3;
  }
  return out;
}

// The CLI's figures as rows keyed by "title/horse number": column name -> value.
using FigureRows = std::map<std::string, std::map<std::string, std::string>>;

FigureRows ParseFigures(const std::string& text) {
  FigureRows rows;
  std::vector<std::string> header;
  size_t at = 0;
  while (at < text.size()) {
    size_t nl = text.find('\n', at);
    std::string line = text.substr(at, nl - at);
    at = nl == std::string::npos ? text.size() : nl + 1;
    std::vector<std::string> cells;
    size_t c = 0;
    for (;;) {
      size_t comma = line.find(',', c);
      cells.push_back(line.substr(c, comma == std::string::npos ? std::string::npos : comma - c));
      if (comma == std::string::npos) break;
      c = comma + 1;
    }
    if (header.empty()) {
      header = cells;
      continue;
    }
    std::map<std::string, std::string> row;
    for (size_t i = 0; i < cells.size() && i < header.size(); ++i) row[header[i]] = cells[i];
    rows[row["Title"] + "/" + row["HorseNumber"]] = row;
  }
  return rows;
}

std::string Fmt(const char* f, double v) {
  char b[64];
  std::snprintf(b, sizeof b, f, v);
  return b;
}

class OutputsE2E : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    home_ = dir_->path() / "home";
    const std::string failed = zelkova::testing::MakeDownloadedHome(dir_->path(), 11);
    ASSERT_TRUE(failed.empty()) << failed;
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static Proc Cli(const std::string& args) {
    return zelkova::testing::RunCommand(Bin("zelkova-cli") + " --home " + Q(home_) + " " + args, dir_->path() / "cli.err");
  }
  // Stored dates, oldest first, as yyyymmdd.
  static std::vector<std::string> Dates() {
    Proc p = Cli("dates");
    std::vector<std::string> out;
    size_t at = 0;
    while (at < p.out.size()) {
      size_t nl = p.out.find('\n', at);
      std::string d = p.out.substr(at, nl - at);
      at = nl + 1;
      // yyyy年mm月dd日 in UTF-8.
      out.insert(out.begin(), d.substr(0, 4) + d.substr(7, 2) + d.substr(12, 2));
    }
    return out;
  }

  static TempDir* dir_;
  static fs::path home_;
};

TempDir* OutputsE2E::dir_ = nullptr;
fs::path OutputsE2E::home_;

TEST_F(OutputsE2E, SeasonToCsvAgreesWithTheFigures) {
  std::vector<std::string> dates = Dates();
  ASSERT_GE(dates.size(), 5u);
  Proc csv = Cli("csv --from " + dates.front() + " --to " + dates.back());
  ASSERT_EQ(csv.status, 0) << csv.err;
  int finishersChecked = 0;
  for (const std::string& d : dates) {
    fs::path file = home_ / "CSV" / (d + ".csv");
    EXPECT_NE(csv.out.find(file.string()), std::string::npos) << d;
    std::vector<std::string> lines = zelkova::SplitLines(zelkova::testing::ReadBytes(file));
    ASSERT_GE(lines.size(), 13u) << d;
    Proc fig = Cli("figures " + d);
    ASSERT_EQ(fig.status, 0) << fig.err;
    FigureRows figures = ParseFigures(fig.out);
    const std::string dateText = d.substr(0, 4) + "年" + d.substr(4, 2) + "月" + d.substr(6, 2) + "日";
    for (size_t i = 0; i < lines.size(); ++i) {
      std::vector<std::string> f = Fields(lines[i]);
      ASSERT_EQ(f.size(), 160u) << d << " line " << i;
      if (i == 0) continue;
      std::string race = zelkova::Cp932ToUtf8Lossy(f[1]);
      for (int b = 0; b < 3; ++b) {
        const size_t at = 14 + 38 * static_cast<size_t>(b);
        if (f[at].empty()) continue;
        auto it = figures.find(dateText + race + "/" + std::to_string(std::atoi(f[at].c_str())));
        ASSERT_NE(it, figures.end()) << race << " horse " << f[at];
        auto& row = it->second;
        const double finish = std::atof(row["FinishRating"].c_str());
        if (std::atoi(row["FinishRatingRank"].c_str()) > 0) {
          EXPECT_EQ(f[at + 5], Fmt("%6.1f", finish * 100)) << race;
          EXPECT_EQ(f[at + 6], Fmt("%2.0f", std::atof(row["FinishRatingRank"].c_str()))) << race;
        }
        EXPECT_EQ(f[at + 14], Fmt("%6.1f", std::atof(row["EstimatedSupport"].c_str()))) << race;
        if (std::atoi(row["AbilityMaxRank"].c_str()) > 0) {
          EXPECT_EQ(f[at + 23], Fmt("%2.0f", std::atof(row["AbilityMaxRank"].c_str()))) << race;
        }
        ++finishersChecked;
      }
    }
  }
  EXPECT_GT(finishersChecked, 100);
}

TEST_F(OutputsE2E, DatesWithoutDataAreNamedAndSkipped) {
  std::vector<std::string> dates = Dates();
  Proc p = Cli("csv 20230102 " + dates.front());
  EXPECT_EQ(p.status, 1);
  EXPECT_NE(p.err.find("2023年01月02日：この日のレースのデータがありません"), std::string::npos) << p.err;
  EXPECT_NE(p.out.find(dates.front() + ".csv"), std::string::npos);
  EXPECT_FALSE(fs::exists(home_ / "CSV" / "20230102.csv"));
  Proc none = Cli("csv --from 19990101 --to 19991231");
  EXPECT_EQ(none.status, 1);
  EXPECT_NE(none.err.find("19990101から19991231までに保存された日付はありません"), std::string::npos) << none.err;
  EXPECT_EQ(Cli("csv 2024-05-32").status, 2);
}

TEST_F(OutputsE2E, DayWithoutPayoutsExportsConditionsOnly) {
  // The feed's today has entries but no results yet.
  Proc p = Cli("csv 20240512");
  ASSERT_EQ(p.status, 0) << p.err;
  EXPECT_NE(p.err.find("払戻はまだありません"), std::string::npos) << p.err;
  auto lines = zelkova::SplitLines(zelkova::testing::ReadBytes(home_ / "CSV" / "20240512.csv"));
  ASSERT_GT(lines.size(), 1u);
  for (size_t i = 1; i < lines.size(); ++i) {
    auto f = Fields(lines[i]);
    ASSERT_EQ(f.size(), 160u);
    EXPECT_FALSE(f[1].empty());
    for (size_t k = 14; k < 160; ++k) EXPECT_EQ(f[k], "") << i << " " << k;
  }
  Proc hit = Cli("hit-report 20240512");
  ASSERT_EQ(hit.status, 0) << hit.err;
  auto report = zelkova::SplitLines(zelkova::testing::ReadBytes(home_ / "HPupload" / "TK20240512.txt"));
  EXPECT_EQ(report.size(), 11u);  // heading, <pre>, eight sections, </pre>
}

TEST_F(OutputsE2E, HitReportListsRanksTheFiguresGive) {
  std::vector<std::string> dates = Dates();
  const std::string d = dates[dates.size() - 2];  // the newest day with results
  fs::path running = home_ / "HPupload" / "Zerivadi.txt";
  const size_t before = fs::exists(running) ? zelkova::SplitLines(zelkova::testing::ReadBytes(running)).size() : 1;
  Proc hit = Cli("hit-report " + d + " --threshold 5000");
  ASSERT_EQ(hit.status, 0) << hit.err;
  const std::string html = zelkova::testing::ReadBytes(home_ / "HPupload" / ("TK" + d + ".html"));
  EXPECT_EQ(html, zelkova::testing::ReadBytes(home_ / "HPupload" / ("TK" + d + ".txt")));
  auto lines = zelkova::SplitLines(zelkova::testing::ReadBytes(running));
  ASSERT_GT(lines.size(), before);
  FigureRows figures = ParseFigures(Cli("figures " + d).out);
  // Running lines: yyyymmdd cc rr, bet, combination, /配当 amount円/, label, rank 位:, circled number.
  const std::map<std::string, std::string> rankColumn = {
      {"着RT　", "FinishRatingRank"}, {"人RT　", "PopularityRatingRank"}, {"展RT　", "PositionRatingRank"},
      {"能力M ", "AbilityMaxRank"},   {"能平　", "AbilityAvgRank"},       {"格賞金", "PrizeRank"},
      {"平脚　", "AverageCorner4Rank"}, {"ＳＰ　", "SpeedOnClassRank"}};
  int checked = 0;
  for (size_t i = before; i < lines.size(); ++i) {
    const std::string line = zelkova::Cp932ToUtf8Lossy(lines[i]);
    const size_t pay = line.find("/配当 ");
    ASSERT_NE(pay, std::string::npos) << line;
    const size_t yen = line.find("円/", pay);
    EXPECT_GT(std::atoi(line.substr(pay + 8, yen - pay - 8).c_str()), 5000) << line;
    const size_t label = yen + 4;
    const size_t place = line.find("位:", label);
    const std::string kind = line.substr(label, place - 2 - label);
    ASSERT_TRUE(rankColumn.count(kind)) << line;
    const int rank = std::atoi(line.substr(place - 2, 2).c_str());
    EXPECT_TRUE(rank >= 1 && rank <= 3) << line;
    int horse = 0;
    for (int h = 1; h <= 18; ++h)
      if (line.compare(place + 4, 3, zelkova::Cp932ToUtf8Lossy(zelkova::CircledNumber(h))) == 0)
        horse = h;
    ASSERT_GT(horse, 0) << line;
    // The race of the line: course code and race number after the date.
    const std::string course = line.substr(8, 2), raceNo = line.substr(10, 2);
    bool found = false;
    for (const auto& [key, row] : figures) {
      const std::string title = row.at("Title");
      if (key != title + "/" + std::to_string(horse)) continue;
      if (title.substr(title.size() - 3, 2) != raceNo) continue;
      if (title.find(zelkova::Cp932ToUtf8Lossy(zelkova::CourseNameW(course, 2))) == std::string::npos) continue;
      EXPECT_EQ(std::atoi(row.at(rankColumn.at(kind)).c_str()), rank) << line;
      found = true;
    }
    EXPECT_TRUE(found) << line;
    ++checked;
  }
  EXPECT_GT(checked, 5);
  // A second run appends the same lines again.
  ASSERT_EQ(Cli("hit-report " + d + " --threshold 5000").status, 0);
  EXPECT_EQ(zelkova::SplitLines(zelkova::testing::ReadBytes(running)).size(), 2 * lines.size() - before);
}

TEST_F(OutputsE2E, FoldersThatCannotBeMadeAreToldAndNothingIsLeft) {
  TempDir other;
  fs::copy(home_, other.path() / "home", fs::copy_options::recursive);
  fs::path home = other.path() / "home";
  fs::remove_all(home / "CSV");
  fs::remove_all(home / "HPupload");
  zelkova::testing::WriteBytes(home / "CSV", "x");
  zelkova::testing::WriteBytes(home / "HPupload", "x");
  std::vector<std::string> dates = Dates();
  const std::string d = dates[dates.size() - 2];
  auto run = [&](const std::string& args) {
    return zelkova::testing::RunCommand(Bin("zelkova-cli") + " --home " + Q(home) + " " + args, other.path() / "err");
  };
  Proc csv = run("csv " + d);
  EXPECT_EQ(csv.status, 1);
  EXPECT_NE(csv.err.find("CSVファイルを出力できませんでした"), std::string::npos) << csv.err;
  Proc hit = run("hit-report " + d);
  EXPECT_EQ(hit.status, 1);
  EXPECT_NE(hit.err.find("的中レポートを出力できませんでした"), std::string::npos) << hit.err;
  EXPECT_EQ(zelkova::testing::ReadBytes(home / "CSV"), "x");
  EXPECT_EQ(zelkova::testing::ReadBytes(home / "HPupload"), "x");
}

TEST_F(OutputsE2E, PrintedPageAsPdf) {
  const std::string exe = std::string(ZELKOVA_BIN_DIR) + "/zelkova";
  if (!fs::exists(exe)) GTEST_SKIP() << "the program is not built";
  std::vector<std::string> dates = Dates();
  const std::string d = dates[dates.size() - 2];
  fs::path pdf = dir_->path() / "day.pdf";
  Proc p = zelkova::testing::RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + Bin("zelkova") +
                                            " --home " + Q(home_) + " --date " + d + " --print-pdf " + Q(pdf),
                                        dir_->path() / "pdf.err");
  ASSERT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(zelkova::testing::ReadBytes(pdf).substr(0, 4), "%PDF");
  // One A4 page, with its Japanese text embedded.
  Proc info = zelkova::testing::RunCommand("pdfinfo " + Q(pdf), dir_->path() / "pdfinfo.err");
  if (info.status == 0) {
    const size_t pages = info.out.find("Pages:");
    ASSERT_NE(pages, std::string::npos) << info.out;
    EXPECT_EQ(std::atoi(info.out.c_str() + pages + 6), 1) << info.out;
    EXPECT_NE(info.out.find("595 x 842 pts (A4)"), std::string::npos) << info.out;
    Proc text = zelkova::testing::RunCommand("pdftotext -layout " + Q(pdf) + " -", dir_->path() / "pdftotext.err");
    EXPECT_NE(text.out.find("分析データ"), std::string::npos);
    EXPECT_NE(text.out.find("着RT"), std::string::npos);
  }
}

}  // namespace
