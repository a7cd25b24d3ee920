// The hit report: which entries count at each threshold, one line per ranked horse, the exact
// report and running-list lines, and the three files written together or not at all.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/cp932.h"
#include "base/file_io.h"
#include "output/hit_report.h"
#include "records/code_tables.h"
#include "output_fixtures.h"
#include "test_support.h"

namespace zelkova {
namespace {

using testing::FakeClipboard;
using testing::MakeDay;
using testing::TempDir;

class FakeShell : public ShellOpen {
 public:
  bool open(const std::string& p) override {
    opened.push_back(p);
    return true;
  }
  std::vector<std::string> opened;
};

const std::string kDate = Sj("2024年05月12日");

// The lines of rating section k (1..8) of a report.
std::vector<std::string> Section(const std::vector<std::string>& report, int k) {
  std::vector<std::string> out;
  int seen = 0;
  for (const auto& l : report) {
    if (l.find(Sj("▼")) != std::string::npos) {
      ++seen;
      continue;
    }
    if (seen == k && l != "</pre>") out.push_back(l);
  }
  return out;
}

// A one-race day whose only paid entry is the quinella 3-5 paying `amount`.
std::unique_ptr<RaceDay> QuinellaDay(int amount) {
  auto day = MakeDay(1);
  RaceFigures& f = day->Races[0].Figures;
  f.PairCombo[0].Assign(" 3- 5");
  f.PayAmount.Pair[0] = amount;
  f.FinishRatingRank[2] = 1;
  f.FinishRatingRank[4] = 3;
  return day;
}

TEST(HitReport, ThresholdIsStrict) {
  std::vector<std::string> running;
  for (int amount : {4800, 5000}) {
    auto report = HitReportLines(*QuinellaDay(amount), kDate, kHitThresholdLongShot, running, {});
    EXPECT_TRUE(Section(report, 1).empty()) << amount;
  }
  EXPECT_TRUE(running.empty());
  auto report = HitReportLines(*QuinellaDay(12000), kDate, kHitThresholdLongShot, running, {});
  auto hits = Section(report, 1);
  ASSERT_EQ(hits.size(), 2u);
  for (const auto& l : hits) {
    EXPECT_EQ(l.rfind("<img src=\"./image/lis1.gif\"><font color=\"red\">", 0), 0u) << l;
  }
  EXPECT_EQ(running.size(), 2u);
  // Below 10,000 yen a hit is blue; threshold 0 reports it.
  hits = Section(HitReportLines(*QuinellaDay(4800), kDate, kHitThresholdAll, running, {}), 1);
  ASSERT_EQ(hits.size(), 2u);
  EXPECT_EQ(hits[0].rfind("<img src=\"./image/lis2.gif\"><font color=\"blue\">", 0), 0u);
}

TEST(HitReport, OneLinePerHorseRankedInTheTopThree) {
  auto day = QuinellaDay(12000);
  std::vector<std::string> running;
  auto report = HitReportLines(*day, kDate, 0, running, {});
  // Unused racecourse entries print as the table's blank name.
  EXPECT_EQ(report[0], Sj(" Zelkova 2024年05月12日 東京") + " " + CourseNameW("", 2) + " " + CourseNameW("", 2));
  EXPECT_EQ(report[1], "<pre>");
  EXPECT_EQ(report[2], "<font color=\"black\">" + Sj("▼着RT　▼") + "</font>");
  EXPECT_EQ(report[5], "<br><font color=\"black\">" + Sj("▼人RT　▼") + "</font>");
  EXPECT_EQ(report.back(), "</pre>");
  auto hits = Section(report, 1);
  ASSERT_EQ(hits.size(), 2u);
  EXPECT_EQ(hits[0], "<img src=\"./image/lis1.gif\"><font color=\"red\">" +
                         Sj("東京 1R[馬連　]：　 3- 5/配当   12000円/着RT　 1位:③テストホース03    　短縮名称６文") +
                         "</font>");
  EXPECT_EQ(hits[1].find(Sj("着RT　 3位:⑤テストホース05")) != std::string::npos, true) << hits[1];
  ASSERT_EQ(running.size(), 2u);
  EXPECT_EQ(running[0], Sj("202405120501R[馬連　]：　 3- 5/配当   12000円/着RT　 1位:③テストホース03    "));
  // Fourth place by the rating: nothing.
  day->Races[0].Figures.FinishRatingRank[4] = 4;
  running.clear();
  EXPECT_EQ(Section(HitReportLines(*day, kDate, 0, running, {}), 1).size(), 1u);
  // Every section has its own rank: 格賞金 ranks horse 5 second.
  day->Races[0].Figures.PrizeRank[4] = 2;
  auto prize = Section(HitReportLines(*day, kDate, 0, running, {}), 6);
  ASSERT_EQ(prize.size(), 1u);
  EXPECT_NE(prize[0].find(Sj("格賞金 2位:⑤")), std::string::npos);
}

TEST(HitReport, WalksEachBetKindsEntriesOnly) {
  auto day = MakeDay(1);
  RaceFigures& f = day->Races[0].Figures;
  f.FinishRatingRank[0] = 1;  // horse 1 tops the rating
  f.ExactaCombo[5].Assign(" 1- 2");
  f.PayAmount.Exacta[5] = 900;
  f.PairCombo[9].Assign(" 1- 4");  // wide 7
  f.PayAmount.Pair[9] = 300;
  f.TripleCombo[2].Assign(" 1- 2- 3");  // trio 3
  f.PayAmount.Triple[2] = 5000;
  f.TripleCombo[5].Assign(" 2- 1- 3");  // trifecta 3
  f.PayAmount.Triple[5] = 20000;
  f.TripleCombo[6].Assign(" 1- 2- 3");  // trifecta 4: never walked
  f.PayAmount.Triple[6] = 99999;
  f.TripleCombo[7].Assign(" 1- 3- 2");
  f.PayAmount.Triple[7] = 88888;
  f.PairCombo[1].Assign(" 0- 1");  // a horse number of 0: skipped
  f.PayAmount.Pair[1] = 700;
  std::vector<std::string> running;
  auto hits = Section(HitReportLines(*day, kDate, 0, running, {}), 1);
  ASSERT_EQ(hits.size(), 4u);
  EXPECT_NE(hits[0].find(Sj("R[馬単　]：　 1- 2/配当     900円/")), std::string::npos);
  EXPECT_NE(hits[1].find(Sj("R[ワイド]：　 1- 4/配当     300円/")), std::string::npos);
  EXPECT_NE(hits[2].find(Sj("R[３連複]: 1- 2- 3/配当    5000円/")), std::string::npos);
  EXPECT_NE(hits[3].find(Sj("R[３連単]: 2- 1- 3/配当   20000円/")), std::string::npos);
}

TEST(HitReport, EveryRaceIsShownOncePerRating) {
  auto day = MakeDay(3);
  std::vector<int> shown;
  std::vector<std::string> running;
  HitReportLines(*day, kDate, 0, running, [&](int item) { shown.push_back(item); });
  ASSERT_EQ(shown.size(), 24u);
  EXPECT_EQ((std::vector<int>(shown.begin(), shown.begin() + 4)), (std::vector<int>{0, 1, 2, 0}));
  EXPECT_EQ(shown.back(), 2);
}

TEST(HitReport, WritesReportsGrowsTheRunningListOpensAndCopies) {
  TempDir home;
  auto day = QuinellaDay(12000);
  FakeClipboard clip;
  FakeShell shell;
  HitReportEnv env{&clip, &shell, {}};
  auto files = HitReport(*day, home.path(), kDate, 0, env);
  ASSERT_TRUE(files.ok()) << files.status().message();
  EXPECT_EQ(files->html, home / "HPupload" / "TK20240512.html");
  EXPECT_EQ(files->txt, home / "HPupload" / "TK20240512.txt");
  const std::string html = testing::ReadBytes(files->html);
  EXPECT_EQ(html, testing::ReadBytes(files->txt));
  std::vector<std::string> running;
  EXPECT_EQ(html, JoinLinesCrLf(HitReportLines(*day, kDate, 0, running, {})));
  ASSERT_EQ(shell.opened, std::vector<std::string>{testing::U8(files->txt)});
  ASSERT_EQ(clip.texts, std::vector<std::string>{html});
  auto lines = SplitLines(testing::ReadBytes(home / "HPupload" / "Zerivadi.txt"));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], " Zelkova for JRA-VAN Data Lab.");
  // A second run appends the same lines again.
  ASSERT_TRUE(HitReport(*day, home.path(), kDate, 0, env).ok());
  auto again = SplitLines(testing::ReadBytes(home / "HPupload" / "Zerivadi.txt"));
  ASSERT_EQ(again.size(), 5u);
  EXPECT_EQ(again[3], lines[1]);
  EXPECT_EQ(again[4], lines[2]);
}

TEST(HitReport, FailureChangesNothing) {
  TempDir home;
  auto day = QuinellaDay(12000);
  FakeClipboard clip;
  FakeShell shell;
  HitReportEnv env{&clip, &shell, {}};
  testing::WriteBytes(home / "HPupload" / "Zerivadi.txt", " Zelkova for JRA-VAN Data Lab.\r\nold\r\n");
  SetWriteFaultForTesting([](const std::filesystem::path& p) {
    return p.filename() == "Zerivadi.txt" ? Status::IoError("No space left on device") : Status::Ok();
  });
  auto r = HitReport(*day, home.path(), kDate, 0, env);
  SetWriteFaultForTesting(nullptr);
  ASSERT_FALSE(r.ok());
  EXPECT_NE(r.status().message().find(Sj("的中レポートを出力できませんでした")), std::string::npos);
  EXPECT_EQ(testing::ReadBytes(home / "HPupload" / "Zerivadi.txt"), " Zelkova for JRA-VAN Data Lab.\r\nold\r\n");
  size_t files = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(home / "HPupload")) ++files;
  EXPECT_EQ(files, 1u);
  EXPECT_TRUE(clip.texts.empty());
  EXPECT_TRUE(shell.opened.empty());
  // Nothing loaded: told, nothing written.
  TempDir other;
  EXPECT_FALSE(HitReport(*MakeRaceDay(), other.path(), kDate, 0, env).ok());
  EXPECT_FALSE(std::filesystem::exists(other / "HPupload"));
}

}  // namespace
}  // namespace zelkova
