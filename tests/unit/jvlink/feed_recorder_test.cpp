// Recording a feed: what a JV-Link serves comes back the same from the recorded folder, and a
// JV-Link failure costs only the stream it hit.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "base/file_io.h"
#include "jvlink/feed_recorder.h"
#include "jvlink/recorded_jv_link.h"
#include "test_support.h"

namespace zelkova {
namespace {

using testing::FakeClock;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

const std::string kRace = "2024051905020311";  // Tokyo, 2nd meeting, 3rd day, race 11

// A record of `kind`, `len` bytes with CR LF, carrying `key` at bytes 12-27.
std::string Rec(const std::string& kind, size_t len, const std::string& key = kRace) {
  std::string r = kind + "7" + "20240519" + key;
  r += std::string(len - r.size() - 2, ' ');
  return r + "\r\n";
}

// Everything a cycle serves: "file|record" per record, "-1" per boundary.
std::vector<std::string> Drain(JvLink& jv) {
  std::vector<std::string> got;
  for (int guard = 0; guard < 10000; ++guard) {
    std::string buff, file;
    int size = 60000;
    const int r = jv.JVRead(buff, size, file);
    if (r > 0) got.push_back(file + "|" + buff);
    else if (r == -1) got.push_back("-1");
    else if (r != -3) break;
  }
  return got;
}

TEST(FeedRecorderTest, WhatTheFeedServesComesBackFromTheRecording) {
  TempDir dir;
  const auto a = dir / "a";
  const std::string ra = Rec("RA", 1272), se = Rec("SE", 555), we = Rec("WE", 42);
  WriteBytes(a / "version.txt", "0491");
  WriteBytes(a / "stored" / "RACE" / "20240517090000_RAVM1.jvd", ra + se);
  WriteBytes(a / "stored" / "RACE" / "20240518090000_SEVM2.jvd", se);
  WriteBytes(a / "stored" / "RCVN" / "20240519080000_WEVM3.jvd", we);
  WriteBytes(a / "realtime" / "0B12" / "20240519" / "202405190900.txt", ra);
  WriteBytes(a / "realtime" / "0B30" / kRace / "202405191000.txt", Rec("O1", 962));
  WriteBytes(a / "realtime" / "0B30" / kRace / "202405191100.txt", Rec("O1", 962) + Rec("O2", 2042));
  WriteBytes(a / "realtime" / "0B30" / kRace / "202405191300.txt", Rec("O1", 962));  // after now: not served
  WriteBytes(a / "video" / "202405190511", "");
  FakeClock clock(LocalTime{2024, 5, 19, 12, 0, 30});

  RecordedJvLink source(a, {}, clock);
  ASSERT_EQ(source.JVInit("SA000000/SD000000/ZelkovaJDL/Ver.1.22"), 0);
  FeedRecordOptions o;
  o.fromdate = "20240101000000";
  o.realtimeDate = "20240519";
  int waits = 0;
  o.wait = [&] { ++waits; };
  std::vector<std::string> lines;
  o.report = [&](const std::string& l) { lines.push_back(l); };
  FeedRecordSummary sum;
  const auto b = dir / "b";
  ASSERT_TRUE(RecordFeed(source, clock, b, o, &sum).ok()) << ::testing::PrintToString(lines);
  EXPECT_EQ(sum.storedFiles, 3);
  EXPECT_EQ(sum.realtimeBatches, 2);  // 0B12 and the odds; 0B11 and 0B14 have none
  EXPECT_EQ(sum.videos, 1);
  EXPECT_EQ(sum.records, 4 + 1 + 2);
  EXPECT_EQ(sum.failures, 0);
  EXPECT_GT(waits, 0);  // the source "downloads" its files first

  EXPECT_EQ(ReadBytes(b / "version.txt"), "0491");
  // Each stored file under its id, stamped with the newest file's time, named as JVRead named it.
  EXPECT_EQ(ReadBytes(b / "stored" / "RACE" / "20240518090000_RAVM1.jvd"), ra + se);
  EXPECT_EQ(ReadBytes(b / "stored" / "RCVN" / "20240519080000_WEVM3.jvd"), we);
  // The newest odds at the recording's minute.
  EXPECT_EQ(ReadBytes(b / "realtime" / "0B30" / kRace / "202405191200.txt"), Rec("O1", 962) + Rec("O2", 2042));
  EXPECT_TRUE(FileExists(b / "realtime" / "0B12" / "20240519" / "202405191200.txt"));
  EXPECT_TRUE(FileExists(b / "video" / "202405190511"));

  // Served again from the recording, the stored data is the same, record for record.
  RecordedJvLink again(b, {}, clock), first(a, {}, clock);
  for (RecordedJvLink* jv : {&again, &first}) {
    ASSERT_EQ(jv->JVInit("SA000000/SD000000/ZelkovaJDL/Ver.1.22"), 0);
    int reads = 0, downloads = 0;
    std::string last;
    ASSERT_EQ(jv->JVOpen("RACERCVN", "20240101000000", 2, reads, downloads, last), 0);
    while (downloads > 0 && jv->JVStatus() < downloads) {
    }
  }
  EXPECT_EQ(Drain(again), Drain(first));

  // Recording again later adds the newer odds beside the earlier ones.
  clock.set(LocalTime{2024, 5, 19, 13, 5, 0});
  o.fromdate.clear();
  ASSERT_TRUE(RecordFeed(source, clock, b, o, &sum).ok());
  EXPECT_TRUE(FileExists(b / "realtime" / "0B30" / kRace / "202405191200.txt"));
  EXPECT_EQ(ReadBytes(b / "realtime" / "0B30" / kRace / "202405191305.txt"), Rec("O1", 962));
}

// A JV-Link whose calls follow a script per dataspec.
class ScriptedJv : public JvLink {
 public:
  struct Step {
    int code;          // > 0: a record (`rec` from `file`); else returned as it is
    std::string rec, file;
  };
  std::map<std::string, int> openResult;
  std::map<std::string, std::vector<Step>> reads;
  std::vector<std::string> calls;

  int JVInit(const std::string&) override { return 0; }
  int JVSetUIProperties() override { return 0; }
  int JVOpen(const std::string& ds, const std::string&, int, int& readcount, int& downloadcount,
             std::string& last) override {
    calls.push_back("JVOpen " + ds);
    readcount = 2;
    downloadcount = 0;
    last = "20240518170000";
    return start(ds);
  }
  int JVRTOpen(const std::string& ds, const std::string& key) override {
    calls.push_back("JVRTOpen " + ds + " " + key);
    return start(ds);
  }
  int JVStatus() override { return 0; }
  int JVRead(std::string& buff, int&, std::string& filename) override {
    if (at_ >= script_.size()) return 0;
    const Step& s = script_[at_++];
    if (s.code <= 0) return s.code;
    buff = s.rec;
    filename = s.file;
    return static_cast<int>(buff.size());
  }
  void JVCancel() override {}
  int JVClose() override {
    calls.push_back("JVClose");
    return 0;
  }
  int JVMVCheck(const std::string& key) override {
    calls.push_back("JVMVCheck " + key);
    return -1;
  }
  int JVMVPlay(const std::string&) override { return 0; }
  std::string version() override { return "04x0"; }

 private:
  int start(const std::string& ds) {
    script_ = reads[ds];
    at_ = 0;
    auto it = openResult.find(ds);
    return it == openResult.end() ? -1 : it->second;
  }
  std::vector<Step> script_;
  size_t at_ = 0;
};

TEST(FeedRecorderTest, AFailureCostsOnlyItsStreamAndATornFileIsNotWritten) {
  TempDir dir;
  ScriptedJv jv;
  jv.openResult = {{"RACE", -301}, {"RCVN", 0}, {"0B12", 0}, {"0B11", -502}};
  const std::string we = Rec("WE", 42);
  jv.reads["RCVN"] = {{1, we, "WEVM1.jvd"}, {-1, "", ""}, {-3, "", ""}, {1, we, "WE/..\\x:2"},
                      {-1, "", ""}, {1, we, "WEVM3.jvd"}, {-402, "", ""}};
  // A record without its CR LF gets one; the race it names is then asked for its odds.
  jv.reads["0B12"] = {{1, Rec("RA", 1272).substr(0, 1270), "x"}, {0, "", ""}};
  jv.openResult["0B30"] = 0;
  jv.reads["0B30"] = {{1, Rec("O1", 962), "y"}, {-503, "", ""}};
  FakeClock clock;
  FeedRecordOptions o;
  o.fromdate = "20240101000000";
  o.realtimeDate = "20240519";
  std::vector<std::string> lines;
  o.report = [&](const std::string& l) { lines.push_back(l); };
  FeedRecordSummary sum;
  const Status s = RecordFeed(jv, clock, dir / "rec", o, &sum);

  EXPECT_FALSE(s.ok());
  EXPECT_EQ(sum.failures, 4);  // RACE's JVOpen, RCVN's read, 0B11's JVRTOpen, the odds' read
  EXPECT_EQ(sum.storedFiles, 2);
  EXPECT_EQ(ReadBytes(dir / "rec" / "stored" / "RCVN" / "20240518170000_WEVM1.jvd"), we);
  // An unsafe JVRead file name stays inside its folder.
  EXPECT_EQ(ReadBytes(dir / "rec" / "stored" / "RCVN" / "20240518170000_WE_.._x_2"), we);
  EXPECT_FALSE(FileExists(dir / "rec" / "stored" / "RCVN" / "20240518170000_WEVM3.jvd"));
  EXPECT_EQ(ReadBytes(dir / "rec" / "realtime" / "0B12" / "20240519" / "202405121000.txt"), Rec("RA", 1272));
  EXPECT_FALSE(std::filesystem::exists(dir / "rec" / "realtime" / "0B30"));
  EXPECT_FALSE(FileExists(dir / "rec" / "version.txt"));  // "04x0" is no version text

  // Every open is closed, failed or not, and the messages are JV-Link's.
  int opens = 0, closes = 0;
  for (const auto& c : jv.calls) {
    if (c.rfind("JVOpen", 0) == 0 || c.rfind("JVRTOpen", 0) == 0) ++opens;
    if (c == "JVClose") ++closes;
  }
  EXPECT_EQ(opens, 6);  // RACE, RCVN, 0B12, 0B11, 0B14, 0B30 of the one race
  EXPECT_EQ(closes, opens);
  EXPECT_EQ(jv.calls.back(), "JVMVCheck 202405190511");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "RACE " + Sj("JVOpenエラー:認証エラーが発生しました。(-301)")),
            lines.end());
}

}  // namespace
}  // namespace zelkova
