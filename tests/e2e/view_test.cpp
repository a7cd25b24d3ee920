// zelkova-cli view over a generated, downloaded season: every grid of a race as tab-separated
// rows, sorts chosen by button caption, races named by racecourse and number as the day's race
// list shows them, and what a damaged stored file or a bad argument gives.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using zelkova::testing::CommandRun;
using zelkova::testing::TempDir;

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> out(1);
  for (char c : s) {
    if (c == sep) out.emplace_back();
    else out.back() += c;
  }
  return out;
}

// The output of one view: labels by name, grids by their bracketed heading.
struct ViewOutput {
  std::map<std::string, std::string> labels;
  std::map<std::string, std::vector<std::vector<std::string>>> grids;
  std::vector<std::string> order;
};

ViewOutput Parse(const std::string& text) {
  ViewOutput v;
  std::string grid;
  for (const std::string& line : Split(text, '\n')) {
    if (line.empty()) continue;
    if (line[0] == '[') {
      grid = line.substr(1, line.find(' ') - 1);
      if (grid == "payouts]") grid = "payouts";
      v.order.push_back(grid);
      continue;
    }
    auto cells = Split(line, '\t');
    if (grid.empty()) v.labels[cells[0]] = cells.size() > 1 ? cells[1] : "";
    else v.grids[grid].push_back(cells);
  }
  return v;
}

class ViewE2E : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    home_ = dir_->path() / "home";
    const std::string failed = zelkova::testing::MakeDownloadedHome(dir_->path(), 7);
    ASSERT_TRUE(failed.empty()) << failed;
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  CommandRun View(const std::string& args) {
    return zelkova::testing::RunCommand(
        zelkova::testing::BinPath("zelkova-cli") + " --home '" + home_.string() + "' view " + args,
        dir_->path() / "view.err");
  }
  // The day's race list (zelkova-cli races).
  std::vector<std::string> Races(const std::string& date) {
    CommandRun r = zelkova::testing::RunCommand(
        zelkova::testing::BinPath("zelkova-cli") + " --home '" + home_.string() + "' races " + date,
        dir_->path() / "view.err");
    EXPECT_EQ(r.status, 0) << Err();
    std::vector<std::string> lines = Split(r.out, '\n');
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
  }
  // The racecourse of the day's first race, as a fan names it (東京).
  std::string FirstCourse(const std::string& date) {
    auto lines = Races(date);
    return lines.empty() ? std::string() : lines[0].substr(0, 6);
  }
  std::string Err() const { return zelkova::testing::ReadBytes(dir_->path() / "view.err"); }

  static TempDir* dir_;
  static fs::path home_;
};

TempDir* ViewE2E::dir_ = nullptr;
fs::path ViewE2E::home_;

TEST_F(ViewE2E, EveryGridOfARace) {
  CommandRun r = View("20240511 --course " + FirstCourse("20240511") + " --race 11");
  ASSERT_EQ(r.status, 0) << Err();
  ViewOutput v = Parse(r.out);
  EXPECT_EQ(v.labels["RaceLabel"], "11");
  EXPECT_NE(v.labels["TitleLabel1"].find("2024年 5月11日(土)"), std::string::npos) << v.labels["TitleLabel1"];
  EXPECT_EQ(v.order, (std::vector<std::string>{"StringGrid11", "StringGrid7", "StringGrid8", "StringGrid9",
                                               "StringGrid16", "StringGrid17", "StringGrid6", "StringGrid4",
                                               "StringGrid1", "StringGrid3", "StringGrid10", "payouts"}));
  const std::map<std::string, size_t> columns{{"StringGrid11", 26}, {"StringGrid7", 28}, {"StringGrid8", 29},
                                              {"StringGrid9", 32},  {"StringGrid16", 23}, {"StringGrid17", 21},
                                              {"StringGrid6", 26},  {"StringGrid4", 14},  {"StringGrid1", 17},
                                              {"StringGrid3", 11},  {"StringGrid10", 16}};
  const size_t runners = std::stoul(v.labels["TitleLabel3"].substr(0, 2));
  ASSERT_GE(runners, 5u);
  for (const auto& [name, cols] : columns) {
    const auto& rows = v.grids[name];
    ASSERT_EQ(rows.size(), runners + 1) << name;
    for (const auto& row : rows) EXPECT_EQ(row.size(), cols) << name;
  }
  EXPECT_EQ(v.grids["StringGrid7"][0][21], "着RT");
  // 馬番 order at start; every row a runner of its own.
  const auto& kihon = v.grids["StringGrid1"];
  for (size_t n = 1; n <= runners; ++n) EXPECT_EQ(std::stoul(kihon[n][1]), n);
  // A past race day: results and payouts are in.
  EXPECT_FALSE(v.grids["payouts"].empty());
  EXPECT_EQ(v.grids["payouts"][0][0], "単勝");
}

TEST_F(ViewE2E, SortByButtonCaption) {
  const std::string course = FirstCourse("20240512");
  CommandRun r = View("20240512 --race 11 --course " + course + " --grid 着RT --sort 着ＲＴ");
  ASSERT_EQ(r.status, 0) << Err();
  ViewOutput v = Parse(r.out);
  ASSERT_EQ(v.order, std::vector<std::string>{"StringGrid7"});
  const auto& rows = v.grids["StringGrid7"];
  // Ranked runners 1, 2, 3 ... first; unranked ("　") last, in 馬番 order.
  int lastRank = 0, lastUnranked = 0;
  bool unranked = false;
  for (size_t i = 1; i < rows.size(); ++i) {
    const std::string& rank = rows[i][22];
    if (rank == "　") {
      unranked = true;
      int n = std::stoi(rows[i][1]);
      EXPECT_GT(n, lastUnranked);
      lastUnranked = n;
    } else {
      EXPECT_FALSE(unranked) << "a rank after an unranked runner";
      EXPECT_EQ(std::stoi(rank), ++lastRank);
    }
  }
  EXPECT_GE(lastRank, 1);
  // By component name too, descending on 支持率 or by the hidden figure of the record card.
  r = View("20240512 --race 11 --course " + course + " --grid StringGrid4 --sort 勝率");
  ASSERT_EQ(r.status, 0) << Err();
  const auto& card = Parse(r.out).grids["StringGrid4"];
  for (size_t i = 2; i < card.size(); ++i) EXPECT_GE(card[i - 1][1], card[i][1]);
}

TEST_F(ViewE2E, BadArguments) {
  CommandRun r = View("20240512 --grid nosuch");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(Err().find("StringGrid7(着RT)"), std::string::npos) << Err();
  r = View("20240512 --grid 基本情報 --sort 着ＲＴ");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(Err().find("馬番 性別 馬齢 格賞"), std::string::npos) << Err();
  EXPECT_EQ(View("20240512 --race 37").status, 2);
  EXPECT_EQ(View("--race 1").status, 2);
  EXPECT_EQ(View("2024051").status, 2);
  EXPECT_EQ(View("20240231").status, 2);
  EXPECT_NE(Err().find("2024年02月31日という日はありません"), std::string::npos) << Err();
  // A day of two racecourses: a race number alone names two races, a racecourse not run that day
  // none; each answer lists what the day has.
  r = View("20240506 --race 11");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(Err().find("11Rは"), std::string::npos) << Err();
  EXPECT_NE(Err().find("にあります。--course で競馬場を選んでください"), std::string::npos) << Err();
  r = View("20240506 --course 函館 --race 11");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(Err().find("「函館」はこの日の競馬場ではありません（この日のレース："), std::string::npos) << Err();
  EXPECT_NE(Err().find("1R～12R"), std::string::npos) << Err();
  EXPECT_EQ(View("20240506 --course " + FirstCourse("20240506")).status, 2);  // which race?
  r = View("20230101");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.out.empty());
}

TEST_F(ViewE2E, DamagedStoredFilesShowWhatTheyCan) {
  // Garbage check marks and a cut entry file: the race still shows, with a warning.
  fs::path data = home_ / "Data";
  std::string date = "2024年05月12日";
  zelkova::testing::WriteBytes(data / (date + ".CkIm"), "not check marks");
  std::string entries;
  for (auto& e : fs::directory_iterator(data))
    if (e.path().filename().string().rfind(date, 0) == 0 && e.path().extension() == ".jvSEr") {
      std::string bytes = zelkova::testing::ReadBytes(e.path());
      zelkova::testing::WriteBytes(e.path(), bytes.substr(0, bytes.size() / 2 + 100));
      entries = e.path().string();
      break;
    }
  ASSERT_FALSE(entries.empty());
  int shown = 0;
  const std::string course = FirstCourse("20240512");
  for (int race = 1; race <= 12; ++race) {
    CommandRun r = View("20240512 --course " + course + " --race " + std::to_string(race));
    ASSERT_TRUE(r.status == 0 || r.status == 1) << Err();
    if (r.status == 0) {
      ++shown;
      EXPECT_FALSE(Parse(r.out).grids["StringGrid11"].empty());
    } else {
      EXPECT_NE(Err().find("データが不十分です。"), std::string::npos) << Err();
    }
  }
  EXPECT_GE(shown, 1);
  EXPECT_NE(Err().find(".jvSEr"), std::string::npos) << Err();
}

// The race list as the window shows it; an item named by its racecourse and number is that race.
TEST_F(ViewE2E, RacesListTheDayAndNameEachRace) {
  const std::vector<std::string> races = Races("2024-05-06");
  ASSERT_GE(races.size(), 13u);
  EXPECT_EQ(races[0].size(), races.back().size());
  for (const std::string& item : races) EXPECT_EQ(item.substr(item.size() - 1), "R") << item;
  const std::string last = races.back();
  const std::string number = last.substr(last.size() - 3, 2);
  CommandRun r = View("2024年05月06日 --course " + last.substr(0, 6) + " --race " + number + " --grid 基本情報");
  ASSERT_EQ(r.status, 0) << Err();
  ViewOutput byName = Parse(r.out);
  EXPECT_EQ(byName.labels["RaceLabel"], std::to_string(std::stoi(number)));
  EXPECT_EQ(View("20240506 --race main --grid 基本情報").status, 0) << Err();
}

}  // namespace
