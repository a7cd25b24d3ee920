#include "analysis/past_runs_view.h"
#include "output/grid_clipboard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "base/cp932.h"
#include "racedata/past_run_formulas.h"

namespace zelkova {
namespace {

template <size_t L>
void Put(RecordImage<L>& img, size_t pos, std::string_view text) {
  std::memcpy(img.bytes.data() + pos - 1, text.data(), text.size());
}
std::string S(const char* utf8) { return Sj(utf8); }

struct RunSpec {
  const char* date = "20240407";  // RA 12
  const char* course = "05";
  const char* finish = "01";
  const char* abnormal = "0";
  const char* last3f = "345";
};

void SetRun(Runner& r, int slot, const RunSpec& s) {
  PastRun& run = r.PastRuns[static_cast<size_t>(slot)];
  Put(run.SeRecord, 12, s.date);
  Put(run.SeRecord, 20, s.course);
  Put(run.SeRecord, 29, "07");
  Put(run.SeRecord, 289, "560");
  Put(run.SeRecord, 307, S("武豊　　"));
  Put(run.SeRecord, 325, "482");
  Put(run.SeRecord, 328, "+");
  Put(run.SeRecord, 329, "004");
  Put(run.SeRecord, 332, s.abnormal);
  Put(run.SeRecord, 335, s.finish);
  Put(run.SeRecord, 339, "1345");
  Put(run.SeRecord, 352, "03030201");
  Put(run.SeRecord, 364, "02");
  Put(run.SeRecord, 366, "00015000");
  Put(run.SeRecord, 391, s.last3f);
  Put(run.SeRecord, 532, "-003");
  Put(run.RaRecord, 12, s.date);
  Put(run.RaRecord, 20, s.course);
  Put(run.RaRecord, 605, S("皐月賞"));
  Put(run.RaRecord, 615, "A");
  Put(run.RaRecord, 617, "12");
  Put(run.RaRecord, 622, "4");
  Put(run.RaRecord, 635, "999");
  Put(run.RaRecord, 698, "2000");
  Put(run.RaRecord, 706, "17");
  Put(run.RaRecord, 882, "18");
  Put(run.RaRecord, 889, "2");
  Put(run.RaRecord, 970, "352");
  Put(run.RaRecord, 976, "348");
}

class KakosoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    race = std::make_unique<RaceInfo>();
    Runner& r = race->Runners[4];
    Put(r.SeRecord, 12, "20240512");
    Put(r.SeRecord, 41, S("テストホースゼルコヴァ"));  // 22 bytes: the label keeps 18
    Put(r.SeRecord, 79, "1");
    Put(r.SeRecord, 83, "04");
    Put(r.SeRecord, 289, "575");
    Put(r.SeRecord, 307, S("ルメール"));
    Put(r.KsRecord, 231, "2");
    // 総着実績 3-2-1-0-0-5; 芝 right and left; 芝短 2-1-0-0-0-1; 芝重 and 芝不良 one group each.
    Put(r.UmRecord, 12, "2020100001");
    Put(r.UmRecord, 1107, "003002001000000005");
    Put(r.UmRecord, 1161, "001000000000000002");
    Put(r.UmRecord, 1179, "001001000000000001");
    Put(r.UmRecord, 1485, "002001000000000001");
    Put(r.UmRecord, 1305, "001000000000000000");
    Put(r.UmRecord, 1323, "000001000000000001");
    SetRun(r, 0, {});
    SetRun(r, 1, {.date = "20240303", .course = "44", .finish = "00", .abnormal = "4", .last3f = "360"});
    SetRun(r, 2, {.date = "20231008", .course = "A8", .finish = "03"});
    RaceFigures& f = race->Figures;
    f.PastLevel[4][0] = 100;
    f.PastAbility[4][0] = 112.5;
    f.PastLevel[4][1] = 79;
    f.PastAbility[4][1] = 90;  // an abnormal run shows no ability even when one was computed
    f.PastLevel[4][2] = 0;
    f.SpeedByClass[4][1] = 1005.26;
    f.Last3FByClass[4][1] = 34.5;
  }
  std::unique_ptr<RaceInfo> race;
};

TEST_F(KakosoTest, HeaderAndRecordLabels) {
  KakosoView v = FillKakosoView(*race, 4);
  EXPECT_EQ(v.UmaLabel, S("テストホースゼルコ [牡 4]　　(西)ルメール　57.5kg"));
  ASSERT_EQ(v.records.size(), 11u);
  const KakosoRecordRow& sogo = v.records[0];
  EXPECT_EQ(sogo.caption, S("総着実績："));
  EXPECT_EQ(sogo.counts.name, "SogoLabel");
  EXPECT_EQ(sogo.counts.text, " 3- 2- 1- 0- 0- 5");
  ASSERT_EQ(sogo.rates.size(), 1u);
  EXPECT_EQ(sogo.rates[0].name, "SogoShorituLabel");
  char want[8];
  std::snprintf(want, sizeof want, "%2d", RateScore(11, 3));
  EXPECT_EQ(sogo.rates[0].text, want);
  // 芝: the three turf groups summed class by class.
  EXPECT_EQ(v.records[1].counts.text, " 2- 1- 0- 0- 0- 3");
  const KakosoRecordRow& shortTurf = v.records[3];
  EXPECT_EQ(shortTurf.caption, S("芝短実績："));
  ASSERT_EQ(shortTurf.rates.size(), 3u);
  EXPECT_EQ(shortTurf.rates[1].name, "Siba1600RenLabel");
  for (int k = 0; k < 3; ++k) {
    std::snprintf(want, sizeof want, "%2d", RateScore(4, std::min(2 + k, 3)));
    EXPECT_EQ(shortTurf.rates[static_cast<size_t>(k)].text, want) << k;
  }
  EXPECT_EQ(v.records[9].counts.text, " 1- 1- 0- 0- 0- 1");  // 芝重不良
  EXPECT_EQ(v.records[10].counts.text, " 0- 0- 0- 0- 0- 0");
  EXPECT_EQ(v.records[10].rates[2].text, " 9");
  EXPECT_EQ(v.note, S("勝率・連率・複率は実績の単純計算ではなく、期待確率として補正された数値となっております。"));
  EXPECT_EQ(v.speed[1].name, "SibaChuSPLabel");
  EXPECT_EQ(v.speed[1].text, "1005.3");
  EXPECT_EQ(v.speed[0].text, "");
  EXPECT_EQ(v.last3f[1].text, " 34.5");
  EXPECT_EQ(v.last3f[5].name, "DirtCho3FLabel");
}

TEST_F(KakosoTest, GridRowsDecodeLocalOverseasAndAbnormalRuns) {
  KakosoView v = FillKakosoView(*race, 4);
  ASSERT_EQ(v.grid.rowCount(), 4);
  EXPECT_EQ(v.grid.cell(0, 14), S("着"));
  EXPECT_EQ(v.grid.cell(0, 24), S("速度m/分"));
  const auto& a = v.grid.row(1);
  ASSERT_EQ(a.size(), 28u);
  const std::vector<std::string> want = {
      " 1", "24/04/07", S("東京"), S("皐月賞"), "G1 ", S("3歳ｵｰﾌﾟﾝ"), S("定"), S("芝右"), "2000", S("稍"),
      S("武豊　　"), "56.0", "18", " 7", " 1", " 2", "- 0.3", "482", "+  4", "1.34.5", " " + S("③③②①"),
      "35.2", "34.8", "34.5", "  0.0", "100.0", "112.5", "  150.0"};
  for (size_t c = 0; c < want.size(); ++c) {
    if (c == 24) continue;
    EXPECT_EQ(a[c], want[c]) << "column " << c;
  }
  char speed[16];
  std::snprintf(speed, sizeof speed, "%6.1f", RunSpeed("1345", "2000"));
  EXPECT_EQ(a[24], speed);
  // A local run that ended abnormally: its course, no 3F and no ability index, level kept.
  const auto& b = v.grid.row(2);
  EXPECT_EQ(b[0], " 2");
  EXPECT_EQ(b[2], S("大井"));
  EXPECT_EQ(b[14], "  ");
  EXPECT_EQ(b[23], "");
  EXPECT_EQ(b[25], " 79.0");
  EXPECT_EQ(b[26], "");
  // A run abroad: the country's two-character name; a level of 0 is not shown.
  const auto& c = v.grid.row(3);
  EXPECT_EQ(c[2], S("フラ"));
  EXPECT_EQ(c[1], "23/10/08");
  EXPECT_EQ(c[25], "");
}

TEST_F(KakosoTest, RunnerWithoutPastRunsOrMasterGetsOneEmptyRow) {
  Runner& r = race->Runners[4];
  for (auto& run : r.PastRuns) {
    run.SeRecord.clear();
    run.RaRecord.clear();
  }
  r.UmRecord.clear();
  KakosoView v = FillKakosoView(*race, 4);
  ASSERT_EQ(v.grid.rowCount(), 2);
  EXPECT_EQ(v.grid.row(0), KakosoView::KakosoGrid().row(0));
  EXPECT_EQ(v.grid.cell(0, 27), S("獲得賞"));
  EXPECT_EQ(v.grid.row(1), std::vector<std::string>(28));
  EXPECT_FALSE(v.UmaLabel.empty());
  EXPECT_EQ(v.records[0].counts.text, "");
  EXPECT_EQ(v.records[0].rates[0].text, "");
  // A slot outside the field: titles and one empty row, nothing else.
  KakosoView none = FillKakosoView(*race, 18);
  EXPECT_EQ(none.grid.rowCount(), 2);
  EXPECT_EQ(none.UmaLabel, "");
}

TEST_F(KakosoTest, RunWithoutItsRaceIsLeftOutAndLaterRunsKeepTheirNumber) {
  race->Runners[4].PastRuns[1].RaRecord.clear();
  KakosoView v = FillKakosoView(*race, 4);
  ASSERT_EQ(v.grid.rowCount(), 3);
  EXPECT_EQ(v.grid.cell(1, 0), " 1");
  EXPECT_EQ(v.grid.cell(2, 0), " 3");
}

TEST_F(KakosoTest, FinishSortPutsWinsFirstAndEqualPlacesNewestFirst) {
  Runner& r = race->Runners[4];
  SetRun(r, 0, {.date = "20240407", .finish = "03"});
  SetRun(r, 1, {.date = "20240303", .finish = "01"});
  SetRun(r, 2, {.date = "20231008", .finish = "03"});
  SetRun(r, 3, {.date = "20230910", .finish = "01"});
  SetRun(r, 4, {.date = "20230820", .finish = "12"});
  KakosoView v = FillKakosoView(*race, 4);
  const auto& buttons = KakosoSortButtons();
  auto finish = std::find_if(buttons.begin(), buttons.end(), [](const SortButton& b) { return b.caption == S("着順"); });
  ASSERT_NE(finish, buttons.end());
  SortKakoso(v.grid, static_cast<int>(finish - buttons.begin()));
  std::vector<std::string> order;
  for (int i = 1; i < v.grid.rowCount(); ++i) order.push_back(v.grid.cell(i, 0));
  EXPECT_EQ(order, (std::vector<std::string>{" 2", " 4", " 1", " 3", " 5"}));
  // The No. button restores the slot order.
  SortKakoso(v.grid, 0);
  EXPECT_EQ(v.grid.cell(1, 0), " 1");
  EXPECT_EQ(v.grid.cell(5, 0), " 5");
  // The descending buttons: 獲得賞 biggest first, equal prizes newest first.
  EXPECT_TRUE(buttons.back().descending);
  EXPECT_EQ(buttons.back().column, 27);
}

TEST_F(KakosoTest, ColoursFollowTheFinishText) {
  KakosoView v = FillKakosoView(*race, 4);
  EXPECT_EQ(KakosoCellStyle(v.grid, 1, 14).background, (Rgb{255, 0, 255}));
  EXPECT_EQ(KakosoCellStyle(v.grid, 3, 14).background, (Rgb{0, 255, 255}));
  EXPECT_EQ(KakosoCellStyle(v.grid, 2, 14).background, kWhite);
  EXPECT_EQ(KakosoCellStyle(v.grid, 2, 0).background, (Rgb{0, 255, 255}));
  EXPECT_EQ(KakosoCellStyle(v.grid, 2, 1).background, kInfoBackground);
  EXPECT_EQ(KakosoCellStyle(v.grid, 2, 5).align, CellStyle::Align::Left);
  EXPECT_EQ(KakosoCellStyle(v.grid, 2, 6).align, CellStyle::Align::Centre);
  // The grid asks the same rule for its cells.
  EXPECT_EQ(v.grid.style(1, 14), KakosoCellStyle(v.grid, 1, 14));
  EXPECT_EQ(KakosoCellStyle(v.grid, 2, 6).top, 2);
}

TEST_F(KakosoTest, CopyTextStartsWithTheHeaderLine) {
  KakosoView v = FillKakosoView(*race, 4);
  std::string text = GridClipboardText(CellsOf(v.grid), 0, 0, v.UmaLabel, v.grid.rowCount() - 1, v.grid.colCount() - 1);
  ASSERT_EQ(text.rfind(v.UmaLabel + "\r\n", 0), 0u);
  size_t lines = 0, tabs = 0;
  for (char c : text) {
    lines += c == '\n';
    tabs += c == '\t';
  }
  EXPECT_EQ(lines, 1u + static_cast<size_t>(v.grid.rowCount()));
  EXPECT_EQ(tabs, 27u * static_cast<size_t>(v.grid.rowCount()));
  std::string second = text.substr(v.UmaLabel.size() + 2, text.find("\r\n", v.UmaLabel.size() + 2) - v.UmaLabel.size() - 2);
  EXPECT_EQ(second.substr(0, 3), "No\t");
  EXPECT_EQ(KakosoCopyCaption(), S("表をクリップボードへコピー"));
}

}  // namespace
}  // namespace zelkova
