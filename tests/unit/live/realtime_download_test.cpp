#include <gtest/gtest.h>

#include "base/cp932.h"
#include "jvlink/jv_message.h"
#include "jvlink/realtime_download.h"
#include "live_fixtures.h"

namespace zelkova {
namespace {

using namespace testing;

SlotKeys Slots() { return {RaceKey(1), RaceKey(2)}; }

std::string Line(const std::string& rec) { return std::string(WithoutLineEnd(rec)); }

class Merges : public ::testing::Test {
 protected:
  std::filesystem::path home() const { return dir.path(); }
  std::filesystem::path data(const char* ext) const { return DataPath(home(), DateText(kDay), ext); }
  TempDir dir;
};

TEST_F(Merges, OddsReplaceTheirSlotsLineOnlyWhenNewer) {
  const std::string blank(kLenO1 - 2, ' ');
  ASSERT_TRUE(SaveLines(data(".jvO1"), {blank, blank}).ok());
  bool changed = false;
  // Race 2 is slot 1: its line, and no other, takes a newer announcement.
  const std::string first = O1(2, "05190930", {"0021"});
  ASSERT_TRUE(MergeOddsRecord(home(), Slots(), first, &changed).ok());
  EXPECT_TRUE(changed);
  EXPECT_EQ(*ReadRecordLines(data(".jvO1"), kLenO1), (std::vector<std::string>{blank, Line(first)}));
  // The same announcement time again, even with other odds, leaves the line.
  ASSERT_TRUE(MergeOddsRecord(home(), Slots(), O1(2, "05190930", {"0099"}), &changed).ok());
  EXPECT_FALSE(changed);
  // Data division 0 and 9 never replace, however new.
  for (char division : {'0', '9'}) {
    ASSERT_TRUE(MergeOddsRecord(home(), Slots(), O1(2, "05191000", {"0099"}, {}, division), &changed).ok());
    EXPECT_FALSE(changed);
  }
  const std::string newer = O1(2, "05190945", {"0034"});
  ASSERT_TRUE(MergeOddsRecord(home(), Slots(), newer, &changed).ok());
  EXPECT_TRUE(changed);
  EXPECT_EQ(*ReadRecordLines(data(".jvO1"), kLenO1), (std::vector<std::string>{blank, Line(newer)}));
  // A race that is not in the day, and a day without its odds file, store nothing.
  ASSERT_TRUE(MergeOddsRecord(home(), Slots(), O1(3, "05191000", {"0012"}), &changed).ok());
  EXPECT_FALSE(changed);
  ASSERT_TRUE(MergeOddsRecord(home(), Slots(), O2(1, "05191000"), &changed).ok());
  EXPECT_FALSE(changed);
  EXPECT_FALSE(FileExists(data(".jvO2")));
}

TEST_F(Merges, ResultsUpdateRaceFilesOnlyWhenTheyExistButCreatePayouts) {
  bool changed = true;
  ASSERT_TRUE(MergeResultsRecord(home(), RA(1, "1000", 3, '5'), &changed).ok());
  EXPECT_FALSE(changed);
  EXPECT_FALSE(FileExists(data(".jvRA")));
  ASSERT_TRUE(MergeResultsRecord(home(), HR(1), &changed).ok());
  EXPECT_TRUE(changed);
  EXPECT_EQ(*ReadRecordLines(data(".jvHR"), kLenHR), std::vector<std::string>{Line(HR(1))});
  // With a race file the result replaces the entry's line, normalised.
  // (The batch download stores race lines normalised.)
  std::string ra1 = Line(RA(1, "1000")), ra2 = Line(RA(2, "1030"));
  Normalise(ra1);
  Normalise(ra2);
  ASSERT_TRUE(SaveLines(data(".jvRA"), {ra1, ra2}).ok());
  ASSERT_TRUE(MergeResultsRecord(home(), RA(2, "1031", 3, '5'), &changed).ok());
  auto ra = *ReadRecordLines(data(".jvRA"), kLenRA);
  ASSERT_EQ(ra.size(), 2u);
  EXPECT_EQ(Field(ra[1], 3, 9), "000000000");
  EXPECT_EQ(Field(ra[1], 874, 4), "1031");
  // Entry slots: only an existing file, only horses 1..18.
  const auto se = DataPath(home(), DateText(kDay), Sj("東京") + ".jvSEr");
  ASSERT_TRUE(MergeResultsRecord(home(), SE(1, 1, '5'), &changed).ok());
  EXPECT_FALSE(FileExists(se));
  ASSERT_TRUE(SaveLines(se, BlankSlotLines()).ok());
  ASSERT_TRUE(MergeResultsRecord(home(), SE(12, 18, '5', "", "01"), &changed).ok());
  EXPECT_TRUE(changed);
  EXPECT_EQ((*ReadRecordLines(se, kLenSE))[215], Line(SE(12, 18, '5', "", "01")));
  for (int horse : {0, 19}) {
    ASSERT_TRUE(MergeResultsRecord(home(), SE(1, horse, '5'), &changed).ok());
    EXPECT_FALSE(changed);
  }
}

TEST_F(Merges, ChangeNoticesKeepOneCopyOfAJockeyChangeInOrder) {
  auto jc = [](int race, const char* horse) {
    std::string r = Change("JC", kLenJC, race, "0900");
    Put(r, 36, horse);
    return r;
  };
  bool changed = false;
  for (const auto& rec : {jc(2, "05"), jc(1, "03"), jc(2, "05")}) ASSERT_TRUE(MergeChangesRecord(home(), rec, &changed).ok());
  EXPECT_FALSE(changed);  // the repeat
  EXPECT_EQ(*ReadTextLines(data(".jvJC")), (std::vector<std::string>{Line(jc(1, "03")), Line(jc(2, "05"))}));
  // A weight change notice is created and kept sorted; its repeat changes nothing.
  ASSERT_TRUE(MergeWeightsRecord(home(), WH(2, {"486+004"}), &changed).ok());
  ASSERT_TRUE(MergeWeightsRecord(home(), WH(1, {"470-002"}), &changed).ok());
  auto wh = *ReadRecordLines(data(".jvWH"), kLenWH);
  ASSERT_EQ(wh.size(), 2u);
  EXPECT_EQ(Field(wh[0], 12, 16), RaceKey(1));
  EXPECT_EQ(Field(wh[0], 3, 9), "000000000");
}

TEST_F(Merges, RecordsThatCouldNameAnotherPathOrTearAFileAreRefused) {
  bool changed = true;
  std::string bad = HR(1);
  Put(bad, 12, "../../x");
  EXPECT_EQ(MergeResultsRecord(home(), bad, &changed).code(), Status::Code::kInvalidArgument);
  std::string shortAv = Change("AV", kLenAV, 1, "0900");
  shortAv.erase(10, 1);
  EXPECT_EQ(MergeChangesRecord(home(), shortAv, &changed).code(), Status::Code::kInvalidArgument);
  std::string badDate = Change("TC", kLenTC, 1, "0900");
  Put(badDate, 12, "2024/5/1");
  EXPECT_EQ(MergeChangesRecord(home(), badDate, &changed).code(), Status::Code::kInvalidArgument);
  EXPECT_FALSE(changed);
  EXPECT_TRUE(std::filesystem::is_empty(home()));
}

// ---- the fetch sequence ----

// Serves a script of JVRead results; records every call.
class ScriptLink : public JvLink {
 public:
  std::vector<std::string> records;  // handed out in order, between the codes of `codes`
  std::vector<int> codes;            // JVRead results before the records (e.g. -3, -1)
  int openResult = 0;
  std::vector<int> closeResults;     // JVClose results in order; 0 after the list
  std::vector<std::string> calls;

  int JVInit(const std::string&) override { return 0; }
  int JVSetUIProperties() override { return 0; }
  int JVOpen(const std::string&, const std::string&, int, int&, int&, std::string&) override { return -1; }
  int JVRTOpen(const std::string& dataspec, const std::string& key) override {
    calls.push_back("JVRTOpen " + dataspec + " " + key);
    return openResult;
  }
  int JVStatus() override { return 0; }
  int JVRead(std::string& buff, int&, std::string&) override {
    calls.push_back("JVRead");
    if (code_ < codes.size()) return codes[code_++];
    if (rec_ >= records.size()) return 0;
    buff = records[rec_++];
    return static_cast<int>(buff.size());
  }
  void JVCancel() override {}
  int JVClose() override {
    calls.push_back("JVClose");
    return close_ < closeResults.size() ? closeResults[close_++] : 0;
  }
  int JVMVCheck(const std::string&) override { return 0; }
  int JVMVPlay(const std::string&) override { return 0; }
  std::string version() override { return "0490"; }

 private:
  size_t code_ = 0, rec_ = 0, close_ = 0;
};

class Labels : public FetchView {
 public:
  void DLlabel(const std::string& t) override { shown.push_back(t); }
  void ErrorLogged(const std::string& t) override { logged.push_back(t); }
  std::vector<std::string> shown, logged;
};

class Fetching : public ::testing::Test {
 protected:
  FetchOutcome run(RealtimeKind kind, bool quiet = false) {
    FetchRequest r;
    r.kind = kind;
    r.key = kind == RealtimeKind::kOdds ? RaceKey(1) : kDay;
    r.progressText = "progress";
    r.openErrorText = "open:";
    r.openErrorBeep = !quiet;
    r.quiet = quiet;
    RealtimeDownload d(dir.path(), link, prompts, clock, labels);
    return d.Fetch(r, Slots());
  }
  std::vector<std::string> log() const { return SplitLines(ReadBytes(dir / "ErrorLog.txt")); }
  TempDir dir;
  FakeClock clock{{2024, 5, 19, 10, 4, 5}};
  ScriptLink link;
  RecordingPrompts prompts;
  Labels labels;
};

TEST_F(Fetching, FileChangesAndDownloadsKeepTheLoopReadingAndTheStreamIsClosedTwice) {
  link.codes = {-3, -1, -3, -2, -1};
  link.records = {HR(1), HR(2)};
  FetchOutcome o = run(RealtimeKind::kResults);
  EXPECT_EQ(o.records, 2);
  EXPECT_EQ(o.merged, 2);
  EXPECT_TRUE(o.error.empty());
  EXPECT_EQ(std::count(link.calls.begin(), link.calls.end(), "JVRead"), 8);
  EXPECT_EQ(std::count(link.calls.begin(), link.calls.end(), "JVClose"), 2);
  EXPECT_EQ(link.calls.front(), "JVRTOpen 0B12 20240519");
  EXPECT_EQ(labels.shown, (std::vector<std::string>{"progress", ""}));
  EXPECT_GE(prompts.pumps, 8);  // before every read, and in the end step
  EXPECT_EQ(prompts.beeps, 2);  // each successful close of a results fetch
  EXPECT_EQ(ReadRecordLines(DataPath(dir.path(), DateText(kDay), ".jvHR"), kLenHR)->size(), 2u);
}

TEST_F(Fetching, QuietResultsMakeNoSoundEvenWhenTheOpenFails) {
  link.records = {HR(1)};
  run(RealtimeKind::kResults, true);
  link.openResult = -1;
  run(RealtimeKind::kResults, true);
  run(RealtimeKind::kWeights, true);
  EXPECT_EQ(prompts.beeps, 0);
  // Change notices always beep on a good close.
  link.openResult = 0;
  run(RealtimeKind::kChanges, true);
  EXPECT_EQ(prompts.beeps, 2);
}

TEST_F(Fetching, OpenReadAndCloseErrorsGoToTheLabelAndTheLog) {
  link.openResult = -301;
  FetchOutcome o = run(RealtimeKind::kOdds);
  const std::string openText = "open:" + JvMessage("JVRTOpen", -301);
  EXPECT_EQ(o.error, openText);
  EXPECT_EQ(labels.shown.back(), openText);  // the error stays for the user to read
  EXPECT_EQ(log(), std::vector<std::string>{Sj("【エラー】10:04:05：") + openText});
  EXPECT_EQ(prompts.beeps, 1);
  EXPECT_EQ(std::count(link.calls.begin(), link.calls.end(), "JVClose"), 2);

  link = ScriptLink{};
  link.records = {O1(1, "05191000", {"0021"})};
  link.codes = {-402};
  prompts = RecordingPrompts{};
  o = run(RealtimeKind::kOdds);
  EXPECT_EQ(o.readCode, -402);
  EXPECT_EQ(o.error, JvMessage("JVRead", -402));
  EXPECT_EQ(prompts.beeps, 1);  // the odds reader beeps on a read error
  EXPECT_EQ(log().back(), Sj("【エラー】10:04:05：") + JvMessage("JVRead", -402));

  link = ScriptLink{};
  link.closeResults = {-201};
  prompts = RecordingPrompts{};
  o = run(RealtimeKind::kWeights);
  EXPECT_EQ(o.closeCode, -201);
  EXPECT_EQ(o.error, "(-201)");
  EXPECT_EQ(log().back(), Sj("【エラー】10:04:05：(-201)"));
  EXPECT_EQ(prompts.beeps, 1);  // only the second, good close
  EXPECT_FALSE(prompts.busy);
}

TEST_F(Fetching, ASkippedRecordIsLoggedAndTheRestStillMerged) {
  std::string bad = HR(1);
  Put(bad, 16, "0x");  // not a date: no file may be named after it
  link.records = {bad, HR(2)};
  FetchOutcome o = run(RealtimeKind::kResults);
  EXPECT_EQ(o.skipped, 1);
  EXPECT_EQ(o.merged, 1);
  EXPECT_TRUE(o.error.empty());
  ASSERT_EQ(labels.logged.size(), 1u);
  EXPECT_EQ(log().size(), 1u);
}

TEST_F(Fetching, ADamagedStoredFileIsToldOnceAndTheOtherFilesStillMerged) {
  const auto ra = DataPath(dir.path(), DateText(kDay), ".jvRA");
  WriteBytes(ra, "RA torn");
  link.records = {RA(1, "1000"), HR(1), RA(2, "1030"), HR(2)};
  FetchOutcome o = run(RealtimeKind::kResults);
  EXPECT_EQ(ReadBytes(ra), "RA torn");
  EXPECT_EQ(o.skipped, 2);
  EXPECT_EQ(o.merged, 2);
  EXPECT_EQ(ReadRecordLines(DataPath(dir.path(), DateText(kDay), ".jvHR"), kLenHR)->size(), 2u);
  ASSERT_EQ(log().size(), 1u);
  EXPECT_NE(log()[0].find(Sj("保存ファイルが壊れているため更新しませんでした：")), std::string::npos) << log()[0];
  EXPECT_EQ(labels.shown.back(), o.error);  // it stays for the user to read
}

TEST_F(Fetching, AStopRequestEndsTheReadAndStillCloses) {
  link.records = {HR(1), HR(2)};
  FetchRequest r;
  r.kind = RealtimeKind::kResults;
  r.key = kDay;
  RealtimeDownload d(dir.path(), link, prompts, clock, labels);
  int asked = 0;
  d.setStopCheck([&] { return ++asked > 1; });
  FetchOutcome o = d.Fetch(r, {});
  EXPECT_TRUE(o.stopped);
  EXPECT_EQ(o.records, 1);
  EXPECT_EQ(std::count(link.calls.begin(), link.calls.end(), "JVClose"), 2);
}

}  // namespace
}  // namespace zelkova
