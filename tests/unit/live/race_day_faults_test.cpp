// Faults for the writers of a race day: the real-time merges (with the counts a results fetch
// stores), the check-mark save, the .Hind write, the CSV export and the hit report, each killed at
// every disk step, on a full disk and in a read-only folder; and JV-Link failing at JVRTOpen,
// JVRead and JVClose with every code it may give while the automatic retrieval runs.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

#include "analysis/race_view.h"
#include "analysis/rank_frequency.h"
#include "base/cp932.h"
#include "day/race_day_live.h"
#include "jvlink/jv_message.h"
#include "kill_steps.h"
#include "live_fixtures.h"
#include "output/csv_export.h"
#include "output/hit_report.h"
#include "settings/ini_gt.h"

namespace zelkova {
namespace {

using namespace testing;

class Host : public LiveHost {
 public:
  std::string DateComboText() const override { return date; }
  int SelectedRaceItem() const override { return 0; }
  int RaceItemCount() const override { return 2; }
  void DLlabel(const std::string& t) override { label = t; }
  std::string date, label;
};

class RaceDayFaults : public ::testing::Test {
 protected:
  RaceDayFaults() : ini(f.home() / "zelkova.ini"), live(f.home(), *f.jv, prompts, f.clock, ini, host) {
    host.date = LiveDayFixture::date();
    live.setDay(f.day.get());
    // One batch of every stream, released before 10:15.
    f.batch("0B12", kDay, "202405191012",
            RA(1, "1000", 3, '5') + SE(1, 1, '5', "486+004", "02") + SE(1, 2, '5', "470-002", "01") + HR(1));
    f.batch("0B30", RaceKey(1), "202405190925", O1(1, "05190925", {"0021", "0035", "0050"}) + O2(1, "05190925"));
    f.batch("0B11", kDay, "202405191000", WH(1, {"486+004", "470-002"}));
    std::string av = Change("AV", kLenAV, 2, "0910");
    Put(av, 36, "03");
    f.batch("0B14", kDay, "202405190915", WE("0830", '1', '1', '1', '1') + av);
    f.clock.set({2024, 5, 19, 10, 15, 0});
    pristine_ = ReadTree(f.home());
  }

  // The program folder as the fixture made it, and the day loaded from it again.
  void Restore() {
    std::filesystem::remove_all(f.home());
    for (const auto& [p, bytes] : pristine_) WriteBytes(p, bytes);
    f.load();
    host.label.clear();
  }
  // Results, so that the outputs have payouts to write.
  void WithResults() {
    Restore();
    live.KekkaGetBtnClick();
    pristine_ = ReadTree(f.home());
    f.load();
  }
  TreeBytes pristine() const { return pristine_; }

  // The writers, each returning what the user is told when it fails ("" when all went well).
  struct Writer {
    const char* name;
    bool afterResults;  // works on a day whose results are in
    const char* named;  // the end of the file name the failure names: the first file not saved
    std::function<std::string(RaceDayFaults&)> run;
  };
  static std::vector<Writer> Writers() {
    auto fetched = [](void (RaceDayLive::*cmd)()) {
      return [cmd](RaceDayFaults& t) {
        (t.live.*cmd)();
        return t.host.label;
      };
    };
    auto told = [](const Status& s, const std::string& prefix = {}) { return s.ok() ? std::string() : prefix + s.message(); };
    return {
        {"results fetch and its counts", false, ".jvSEr", fetched(&RaceDayLive::KekkaGetBtnClick)},
        {"odds fetch", false, ".jvO1", fetched(&RaceDayLive::SokuhoOddsBtnClick)},
        {"weights fetch", false, ".jvWH", fetched(&RaceDayLive::GetBataijuBtnClick)},
        {"change notices fetch", false, ".jvWE", fetched(&RaceDayLive::GetKaisaiBtnClick)},
        {"check marks", true, ".CkIm",
         [told](RaceDayFaults& t) {
           t.f.day->CheckMark(1, 0, 2) = '1';
           return told(SaveCheckBtnClick(*t.f.day), Sj("チェックマークを保存できませんでした："));
         }},
        {".Hind", true, ".Hind",
         [told](RaceDayFaults& t) {
           RankFrequency counts{};
           return told(HindoRankBtn(*t.f.day, counts));
         }},
        {"CSV", true, ".csv", [told](RaceDayFaults& t) { return told(ExportCsv(*t.f.day, t.f.home()).status()); }},
        {"hit report", true, ".html",
         [told](RaceDayFaults& t) {
           return told(HitReport(*t.f.day, t.f.home(), LiveDayFixture::date(), kHitThresholdAll, {}).status());
         }},
    };
  }

  LiveDayFixture f;
  RecordingPrompts prompts;
  TIniGT ini;
  Host host;
  RaceDayLive live;

 private:
  TreeBytes pristine_;
};

TEST_F(RaceDayFaults, AKillAtAnyStepOfAWriterLeavesEveryFileOldOrNew) {
  for (const Writer& w : Writers()) {
    if (w.afterResults) WithResults();
    const int steps = KillAtEveryStep(
        f.dir.path(), f.home(), [&] { Restore(); }, [&] { EXPECT_EQ(w.run(*this), "") << w.name; }, {}, w.name);
    EXPECT_GE(steps, 2) << w.name;  // at least a temporary written and renamed
  }
}

// What the user is told when `why` stops every write, and whether the folder is as it was.
class FailingWrites : public RaceDayFaults {
 protected:
  // `namesFile`: the message names the writer's own file (on a read-only folder it may name the
  // folder that could not be made instead).
  void Check(const std::function<void()>& start, const std::function<void()>& end, const std::string& reason,
             bool namesFile) {
    for (const Writer& w : Writers()) {
      if (w.afterResults) WithResults();
      else Restore();
      const TreeBytes before = ReadTree(f.home());
      start();
      const std::string told = w.run(*this);
      end();
      // The file is named, with the reason, and nothing is lost or half written.
      EXPECT_NE(told.find(Sj("」")), std::string::npos) << w.name << ": " << Cp932ToUtf8Lossy(told);
      EXPECT_NE(told.find(reason), std::string::npos) << w.name << ": " << Cp932ToUtf8Lossy(told);
      if (namesFile) {
        EXPECT_NE(told.find(std::string(w.named) + Sj("」")), std::string::npos) << w.name << ": " << Cp932ToUtf8Lossy(told);
      }
      EXPECT_EQ(TreeDiff(before, ReadTree(f.home())), "") << w.name;
    }
  }
};

TEST_F(FailingWrites, AFullDiskIsToldAndChangesNothing) {
  const std::string full = ErrnoText(ENOSPC);
  Check([&] { SetWriteFaultForTesting([&](const std::filesystem::path&) { return Status::IoError(full); }); },
        [] { SetWriteFaultForTesting(nullptr); }, full, true);
  // Once there is room again the same commands write.
  Restore();
  live.KekkaGetBtnClick();
  EXPECT_EQ(host.label, "");
  EXPECT_TRUE(FileExists(f.data(".jvHR")));
}

TEST_F(FailingWrites, AReadOnlyFolderIsToldAndChangesNothing) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows lets anyone write into a read-only folder";
#else
  std::unique_ptr<AsUnprivilegedUser> nobody;
  Check(
      [&] {
        SetTreeWritable(f.home(), false);
        nobody = std::make_unique<AsUnprivilegedUser>();
      },
      [&] {
        nobody.reset();
        SetTreeWritable(f.home(), true);
      },
      ErrnoText(EACCES), false);
#endif
}

// JV-Link's codes for each call of a fetch (JVClose lists no code but 0: any other is an error).
const std::vector<int> kOpenCodes = {-1, -2, -111, -112, -114, -115, -116, -201, -202, -211, -301,
                                     -302, -303, -305, -401, -411, -412, -413, -421, -431, -501, -504};
const std::vector<int> kReadCodes = {-201, -202, -203, -402, -403, -502, -503};
const std::vector<int> kCloseCodes = {-1, -201, -202, -203};

class RetrievalFaults : public RaceDayFaults {
 protected:
  RetrievalFaults() {
    live.AutoOzCheckClick(true);
    // The counts of the day as a results fetch stores them again, failed or not.
    RankFrequency counts{};
    EXPECT_TRUE(HindoRankBtn(*f.day, counts).ok());
    before_ = ReadTree(f.home());
  }
  // The odds tick at race 1's odds time (09:30) and the results tick after it.
  void Ticks() {
    f.clock.set({2024, 5, 19, 9, 30, 10});
    live.AutoOddsDone.fill(false);
    live.Timer1Timer();
    f.clock.set({2024, 5, 19, 10, 15, 0});
    live.Timer4Timer();
  }
  // The day on screen: every record image and the figures the imports fill.
  std::string Shown() const {
    std::string s = std::to_string(f.day->RaceCount);
    for (int r = 0; r < MaxRaces; ++r) {
      const RaceInfo& race = f.day->Races[r];
      s += std::string(race.RaRecord.view()) + std::string(race.HrRecord.view()) + std::string(race.WhRecord.view());
      for (int h = 0; h < MaxRunners; ++h)
        s += std::string(race.Runners[h].SeRecord.view()) + std::to_string(race.Figures.WinOdds[h]) + "," +
             std::to_string(race.Figures.PopularityOrder[h]) + "," + std::to_string(race.Figures.HorseWeight[h]) + "," +
             std::to_string(race.Figures.FinishPos[h]);
    }
    return s;
  }
  TreeBytes before_;
};

TEST_F(RetrievalFaults, AnOpenOrReadErrorOfEveryCodeLeavesTheDayAndItsFilesAsTheyWere) {
  const std::string shown = Shown();
  for (const char* op : {"JVRTOpen", "JVRead"}) {
    for (int code : std::string(op) == "JVRTOpen" ? kOpenCodes : kReadCodes) {
      // Every fetch of both ticks fails at that call: two odds streams are not fetched twice,
      // so the odds tick fetches race 1 only.
      for (int k = 0; k < 3; ++k) f.jv->inject(op, code, k);
      Ticks();
      f.jv->clearInjections();
      EXPECT_EQ(Shown(), shown) << op << " " << code;
      TreeBytes now = ReadTree(f.home());
      const std::string log = now[f.home() / "ErrorLog.txt"];
      now.erase(f.home() / "ErrorLog.txt");
      TreeBytes expected = before_;
      expected.erase(f.home() / "ErrorLog.txt");
      EXPECT_EQ(TreeDiff(expected, now), "") << op << " " << code;
      // Each failure is in the label and the error log with JV-Link's message for the code.
      EXPECT_NE(host.label.find(JvMessage(op, code)), std::string::npos) << op << " " << code;
      EXPECT_NE(log.find(JvMessage(op, code)), std::string::npos) << op << " " << code;
      EXPECT_TRUE(live.timer1Running());
    }
  }
  EXPECT_EQ(prompts.beeps, static_cast<int>(kOpenCodes.size() + kReadCodes.size()));  // the odds fetch beeps
}

TEST_F(RetrievalFaults, ACloseErrorOfEveryCodeKeepsWhatWasRead) {
  for (int code : kCloseCodes) {
    Restore();
    for (int k = 0; k < 6; ++k) f.jv->inject("JVClose", code, k);
    Ticks();
    f.jv->clearInjections();
    // The stream was read and merged; only the close is told.
    EXPECT_EQ(Field((*ReadRecordLines(f.data(".jvO1"), kLenO1))[0], 28, 8), "05190925") << code;
    EXPECT_TRUE(FileExists(f.data(".jvHR"))) << code;
    EXPECT_EQ(f.day->Races[0].Figures.FinishPos[1], 1) << code;
    EXPECT_EQ(host.label, JvMessage("JVClose", code));
    EXPECT_NE(SplitLines(ReadBytes(f.home() / "ErrorLog.txt")).back().find(JvMessage("JVClose", code)), std::string::npos);
    EXPECT_TRUE(live.timer1Running());
  }
}

}  // namespace
}  // namespace zelkova
