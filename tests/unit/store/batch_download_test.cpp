#include <gtest/gtest.h>

#include <map>

#include "settings/error_log.h"
#include "settings/ini_gt.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "jvlink/batch_download.h"
#include "store/legacy_um.h"
#include "store/master_index.h"
#include "store/stored_files.h"
#include "records/code_tables.h"
#include "store_fixtures.h"
#include "test_support.h"

namespace zelkova {
namespace {

using testing::HR;
using testing::RA;
using testing::SE;

std::string Line(const std::string& rec) { return std::string(WithoutLineEnd(rec)); }
// Lines of a stored file, or -1 when it cannot be read.
long Count(const std::filesystem::path& p, size_t len) {
  auto lines = ReadRecordLines(p, len);
  return lines.ok() ? static_cast<long>(lines->size()) : -1;
}

class BatchTest : public ::testing::Test {
 protected:
  BatchTest() : clock_({2024, 5, 20, 12, 0, 0}), ini_(dir_ / "zelkova.ini") {}

  // Runs one start with the scripted files, ticking the timer until the download is done.
  void Run(StoreCache::Mode mode = StoreCache::Mode::kWriteBack, std::chrono::milliseconds flush = std::chrono::milliseconds(5000)) {
    BatchDownload::Options o;
    o.mode = mode;
    o.flushInterval = flush;
    batch_ = std::make_unique<BatchDownload>(dir_.path(), jv_, prompts_, clock_, ini_, nullptr, o);
    batch_->FormCreate();
    batch_->ButtonStartClick();
    for (int i = 0; batch_->timerOn() && i < 1000; ++i) batch_->TimerJVStatusTimer();
  }
  std::filesystem::path Data(const std::string& yyyymmdd, const std::string& ext) {
    return DataPath(dir_.path(), DateText(yyyymmdd), ext);
  }
  std::string Tokyo() { return CourseNameW("05", 2); }
  // The stored files (the masters' indexes are the installation's own: they name the files they
  // index by the file system's numbers).
  std::map<std::string, std::string> Tree(const std::filesystem::path& root) {
    std::map<std::string, std::string> out;
    for (auto& e : std::filesystem::recursive_directory_iterator(root))
      if (e.is_regular_file() && e.path().filename() != "zelkova.ini" && e.path().filename() != "download.lock" &&
          e.path().parent_path().filename() != "Index")
        out[std::filesystem::relative(e.path(), root).string()] = testing::ReadBytes(e.path());
    return out;
  }

  testing::TempDir dir_;
  testing::FakeClock clock_;
  testing::RecordingPrompts prompts_;
  testing::ScriptedJvLink jv_;
  TIniGT ini_;
  std::unique_ptr<BatchDownload> batch_;
};

TEST_F(BatchTest, DispatchFollowsDivisionAndTheFiveDayCutoff) {
  jv_.files = {{
      RA('0', "20240519", "05", 1),   // division 0, yesterday: not in the day file
      SE('0', "20240519", "05", 1, 3),  // ... but an entry of yesterday is filed in its slot
      RA('7', "20240429", "05", 2),   // three weeks old result: meeting file only
      RA('7', "20240518", "05", 3),   // two days ago: day file and meeting file
      SE('7', "20240429", "05", 2, 0, "2020100002"),   // no slot, but a horse history
      SE('A', "20240429", "05", 2, 19, "2020100003"),
      SE('1', "20240429", "05", 2, 5, "2020100004"),   // division 1, old: slot, no history
  }};
  Run();
  ASSERT_TRUE(batch_->outcome().ok()) << batch_->outcome().message();
  EXPECT_FALSE(FileExists(Data("20240519", ".jvRA")));
  EXPECT_EQ(*ReadRecord(Data("20240519", Tokyo() + ".jvSEr"), kLenSE, 2), SE('0', "20240519", "05", 1, 3));
  EXPECT_FALSE(FileExists(Data("20240429", ".jvRA")));
  auto meeting = *ReadRecordLines(MeetingPath(dir_.path(), "2024042905"), kLenRA);
  ASSERT_EQ(meeting.size(), 1u);
  EXPECT_EQ(meeting[0].substr(2, 9), "000000000");
  EXPECT_EQ(ReadRecordLines(Data("20240518", ".jvRA"), kLenRA)->size(), 1u);
  EXPECT_EQ(ReadRecordLines(MeetingPath(dir_.path(), "2024051805"), kLenRA)->size(), 1u);
  EXPECT_TRUE(FileExists(HorsePath(dir_.path(), "2020100002")));
  EXPECT_TRUE(FileExists(HorsePath(dir_.path(), "2020100003")));
  EXPECT_FALSE(FileExists(HorsePath(dir_.path(), "2020100004")));
  EXPECT_EQ(*ReadRecord(Data("20240429", Tokyo() + ".jvSEr"), kLenSE, 22), SE('1', "20240429", "05", 2, 5, "2020100004"));
  EXPECT_EQ(batch_->datesMade(), std::vector<std::string>{DateText("20240518")});
}

TEST_F(BatchTest, ResentRaceReplacesItsLineAndTwoCoursesShareDayFiles) {
  jv_.files = {{RA('1', "20240512", "05", 1), HR('1', "20240512", "05", 1), SE('1', "20240512", "05", 1, 1)},
               {RA('2', "20240512", "05", 1), RA('1', "20240512", "08", 1), HR('2', "20240512", "08", 1),
                SE('1', "20240512", "08", 1, 1)}};
  jv_.files[1][0][50] = 'Z';
  Run();
  auto ra = *ReadRecordLines(Data("20240512", ".jvRA"), kLenRA);
  ASSERT_EQ(ra.size(), 2u);
  EXPECT_EQ(ra[0][50], 'Z');
  EXPECT_EQ(ra[0].substr(2, 9), "000000000");
  EXPECT_EQ(ReadRecordLines(Data("20240512", ".jvHR"), kLenHR)->size(), 2u);
  EXPECT_TRUE(FileExists(Data("20240512", Tokyo() + ".jvSEr")));
  EXPECT_TRUE(FileExists(Data("20240512", CourseNameW("08", 2) + ".jvSEr")));
  EXPECT_EQ(batch_->fileCount(), 2);
  // The end says what is on disk: seven lines filed into the .jvRA, the .jvHR and two .jvSEr.
  EXPECT_EQ(batch_->linesSaved(), 7u);
  EXPECT_EQ(batch_->filesSaved(), 4u);
  EXPECT_EQ(batch_->label(), Sj("データ読込み完了(2/2)　4個のファイルに保存しました（取り込んだ記録7件）。"));
  EXPECT_EQ(batch_->listLines().front(), Sj("作成済み:01R/") + DateText("20240512") + ".jvRA");
}

TEST_F(BatchTest, MastersGoOnlyToDatesTheRuleAllows) {
  std::string oldKs = Line(testing::Master("KS", "00001", kLenKS));
  auto ks12 = Data("20240512", ".jvKS"), ks25 = Data("20240525", ".jvKS");
  ASSERT_TRUE(SaveLines(ks12, {oldKs}).ok());
  ASSERT_TRUE(SaveLines(ks25, {oldKs}).ok());
  jv_.files = {{RA('1', "20240512", "05", 1), RA('1', "20240525", "05", 1), testing::Master("KS", "00009", kLenKS),
                testing::Master("KS", "00002", kLenKS), testing::Master("UM", "2020100001", kLenUM)}};
  Run();
  EXPECT_EQ(ReadRecordLines(ks12, kLenKS)->size(), 1u);  // earlier in the year and present: kept
  auto ks = *ReadRecordLines(ks25, kLenKS);
  ASSERT_EQ(ks.size(), 2u);  // not earlier: overwritten, sorted
  EXPECT_LT(ks[0], ks[1]);
  EXPECT_TRUE(FileExists(Data("20240512", ".jvUM2")));  // missing, so written
  EXPECT_FALSE(FileExists(Data("20240512", ".jvCH")));  // no CH records at all
}

// A download over three dates with a list of each master kind, and the files it gives them.
class MasterFilesTest : public BatchTest {
 protected:
  const std::vector<std::string> dates_ = {"20240512", "20240525", "20240601"};
  const std::vector<std::string> exts_ = {".jvKS", ".jvCH", ".jvUM2"};
  void Feed() {
    jv_.files = {{RA('1', "20240512", "05", 1), RA('1', "20240525", "05", 1), RA('1', "20240601", "05", 1),
                  testing::Master("KS", "00009", kLenKS), testing::Master("KS", "00002", kLenKS),
                  testing::Master("CH", "01001", kLenCH), testing::Master("UM", "2020100001", kLenUM)}};
  }
  std::vector<std::filesystem::path> Masters() {
    std::vector<std::filesystem::path> out;
    for (const auto& d : dates_)
      for (const auto& e : exts_) out.push_back(Data(d, e));
    return out;
  }
  static size_t LengthOf(const std::string& ext) { return ext == ".jvKS" ? kLenKS : ext == ".jvCH" ? kLenCH : kLenUM; }
  // Whether the index the download left for a date's master fits it, as a load would find.
  bool IndexFits(const std::string& d, const std::string& e) {
    MasterIndex idx;
    const size_t keyLen = e == ".jvUM2" ? 10 : 5;
    Status s = idx.Load(Data(d, e), LengthOf(e), 12, keyLen, MasterIndexPath(dir_.path(), DateText(d), e), false);
    return s.ok() && idx.indexUsed();
  }
  // An older master of each kind for the dates from today on, which a download overwrites.
  std::map<std::filesystem::path, std::string> SeedOld() {
    std::map<std::filesystem::path, std::string> old;
    for (const auto& d : {"20240525", "20240601"})
      for (const auto& e : exts_) {
        auto p = Data(d, e);
        EXPECT_TRUE(SaveLines(p, {Line(testing::Master(e == ".jvUM2" ? "UM" : e.substr(3, 2).c_str(),
                                                        e == ".jvUM2" ? "2019100001" : "00001", LengthOf(e)))})
                        .ok());
        old[p] = testing::ReadBytes(p);
      }
    return old;
  }
};

TEST_F(MasterFilesTest, EveryDateGetsTheSameBytesStoredOnceAndARewriteChangesOneDate) {
  Feed();
  Run();
  ASSERT_TRUE(batch_->outcome().ok());
  for (const auto& e : exts_) {
    const std::string first = testing::ReadBytes(Data(dates_[0], e));
    EXPECT_EQ(first.size() % LengthOf(e), 0u);
    for (const auto& d : dates_) {
      EXPECT_EQ(testing::ReadBytes(Data(d, e)), first) << d << e;
      EXPECT_TRUE(std::filesystem::equivalent(Data(d, e), Data(dates_[0], e))) << d << e;  // one file
      EXPECT_TRUE(IndexFits(d, e)) << d << e;
      EXPECT_TRUE(std::filesystem::equivalent(MasterIndexPath(dir_.path(), DateText(d), e),
                                              MasterIndexPath(dir_.path(), DateText(dates_[0]), e)));
    }
  }
  EXPECT_EQ(batch_->listLines().back(), Sj("作成済み:") + DateText("20240601") + ".jvUM2");

  // A later download with races of one date only rewrites that date's files.
  const std::string ks0512 = testing::ReadBytes(Data("20240512", ".jvKS"));
  jv_.files = {{RA('1', "20240601", "05", 2), testing::Master("KS", "00005", kLenKS)}};
  Run();
  EXPECT_EQ(ReadRecordLines(Data("20240601", ".jvKS"), kLenKS)->size(), 1u);
  for (const auto& d : {"20240512", "20240525"}) EXPECT_EQ(testing::ReadBytes(Data(d, ".jvKS")), ks0512) << d;
  EXPECT_TRUE(std::filesystem::equivalent(Data("20240512", ".jvKS"), Data("20240525", ".jvKS")));
  EXPECT_FALSE(std::filesystem::equivalent(Data("20240512", ".jvKS"), Data("20240601", ".jvKS")));
  for (const auto& d : dates_) EXPECT_TRUE(IndexFits(d, ".jvKS")) << d;

  // So does the legacy conversion of one date's horse master.
  const std::string um = testing::ReadBytes(Data("20240512", ".jvUM2"));
  testing::WriteBytes(Data("20240525", ".jvUMA"), std::string(kLenLegacyUM, '7'));
  ASSERT_TRUE(ConvertLegacyHorseMaster(dir_.path(), DateText("20240525")).ok());
  EXPECT_NE(testing::ReadBytes(Data("20240525", ".jvUM2")), um);
  EXPECT_EQ(testing::ReadBytes(Data("20240512", ".jvUM2")), um);
  EXPECT_EQ(testing::ReadBytes(Data("20240601", ".jvUM2")), um);
  EXPECT_FALSE(IndexFits("20240525", ".jvUM2"));  // the load makes it anew
  EXPECT_TRUE(IndexFits("20240601", ".jvUM2"));

  // A download whose indexes cannot be written still stores its masters; the index left from
  // before no longer fits.
  jv_.files = {{RA('1', "20240601", "05", 3), testing::Master("KS", "00007", kLenKS)}};
  SetWriteFaultForTesting([](const std::filesystem::path& p) {
    return p.extension() == ".idx" ? Status::IoError("No space left on device") : Status::Ok();
  });
  Run();
  SetWriteFaultForTesting(nullptr);
  ASSERT_TRUE(batch_->outcome().ok()) << batch_->outcome().message();
  EXPECT_EQ(Field(ReadRecordLines(Data("20240601", ".jvKS"), kLenKS)->front(), 12, 5), "00007");
  EXPECT_FALSE(IndexFits("20240601", ".jvKS"));
}

TEST_F(MasterFilesTest, WhereLinksAreRefusedCopiesGiveTheSameTree) {
  Feed();
  Run();
  const auto linked = Tree(dir_.path());
  std::filesystem::remove_all(dir_ / "Data");
  SetLinkRefusedForTesting([](const std::filesystem::path&) { return true; });
  Run();
  SetLinkRefusedForTesting(nullptr);
  ASSERT_TRUE(batch_->outcome().ok());
  EXPECT_EQ(Tree(dir_.path()), linked);
  for (const auto& e : exts_)
    for (const auto& d : dates_) EXPECT_TRUE(IndexFits(d, e)) << d << e;  // each copy its own
  for (const auto& e : exts_)
    for (const auto& d : {"20240525", "20240601"})
      EXPECT_FALSE(std::filesystem::equivalent(Data(d, e), Data(dates_[0], e))) << d << e;  // copies
}

TEST_F(MasterFilesTest, KillAtAnyStepOfTheEndStepLeavesEachMasterOldOrNew) {
  // The files a complete run leaves, and how many disk steps the master files take.
  Feed();
  SeedOld();
  int steps = 0;
  SetWriteStepHookForTesting([&](std::string_view, const std::filesystem::path& p) {
    const std::string ext = p.extension().string();
    steps += ext == ".jvKS" || ext == ".jvCH" || ext == ".jvUM2";
  });
  Run();
  SetWriteStepHookForTesting(nullptr);
  std::map<std::filesystem::path, std::string> fresh;
  for (const auto& p : Masters()) fresh[p] = testing::ReadBytes(p);
  ASSERT_EQ(steps, 18);  // per kind: a write and two links, then three renames
  for (int kill = 1; kill <= steps; ++kill) {
    std::filesystem::remove_all(dir_ / "Data");
    auto old = SeedOld();
    EXPECT_EXIT(
        {
          int seen = 0;
          SetWriteStepHookForTesting([&](std::string_view, const std::filesystem::path& p) {
            const std::string ext = p.extension().string();
            if ((ext == ".jvKS" || ext == ".jvCH" || ext == ".jvUM2") && ++seen == kill) std::_Exit(137);
          });
          Run();
        },
        ::testing::ExitedWithCode(137), "")
        << kill;
    for (const auto& p : Masters()) {
      if (!FileExists(p)) {
        EXPECT_EQ(old.count(p), 0u) << p << " vanished at step " << kill;
        continue;
      }
      const std::string now = testing::ReadBytes(p);
      EXPECT_TRUE(now == fresh[p] || (old.count(p) && now == old[p])) << p << " torn at step " << kill;
    }
  }
  // The next download sweeps what the kill left and completes the files.
  Run();
  for (const auto& p : Masters()) EXPECT_EQ(testing::ReadBytes(p), fresh[p]) << p;
  for (auto& e : std::filesystem::directory_iterator(dir_ / "Data"))
    EXPECT_EQ(e.path().string().find(".tmp"), std::string::npos) << e.path();
}

TEST_F(BatchTest, BadRecordsAreSkippedAndLogged) {
  std::string notCp932 = RA('1', "20240512", "05", 2);
  notCp932[300] = '\x82';
  // A horse number is a key field like the race number: "Z9" files nothing, not even the
  // horse's history.
  std::string horseZ9 = SE('7', "20240512", "05", 1, 9, "2020100009");
  horseZ9.replace(28, 2, "Z9");
  jv_.files = {{RA('1', "20240512", "05", 1), RA('1', "2024..12", "05", 1), SE('7', "20240512", "05", 1, 1, "..\\..\\abcd"),
                notCp932, RA('1', "20240512", "05", 3).substr(0, 600) + "\r\n", RA('1', "20240512", "05", 4), horseZ9}};
  Run();
  EXPECT_TRUE(batch_->outcome().ok());
  EXPECT_EQ(batch_->recordsSkipped(), 5);
  EXPECT_EQ(ReadRecordLines(Data("20240512", ".jvRA"), kLenRA)->size(), 2u);
  EXPECT_FALSE(FileExists(HorsePath(dir_.path(), "2020100009")));
  auto log = *ReadTextLines(dir_ / "ErrorLog.txt");
  ASSERT_EQ(log.size(), 5u);
  EXPECT_NE(log[0].find(Sj("開催年月日が数字ではありません")), std::string::npos);
  EXPECT_NE(log[1].find(Sj("血統登録番号")), std::string::npos);
  EXPECT_NE(log[4].find(Sj("馬番が数字ではありません「Z9」")), std::string::npos);
  for (auto& e : std::filesystem::recursive_directory_iterator(dir_.path()))
    EXPECT_EQ(e.path().string().find(".."), std::string::npos) << e.path();
}

TEST_F(BatchTest, StoredFileWithWrongLinesIsReportedAndLeftAlone) {
  auto p = Data("20240512", ".jvRA");
  testing::WriteBytes(p, "short line\r\n");
  jv_.files = {{RA('1', "20240512", "05", 1), RA('1', "20240512", "05", 2), HR('1', "20240512", "05", 1)}};
  Run();
  EXPECT_EQ(testing::ReadBytes(p), "short line\r\n");
  EXPECT_TRUE(FileExists(Data("20240512", ".jvHR")));
  EXPECT_EQ(ReadTextLines(dir_ / "ErrorLog.txt")->size(), 1u);  // once per file, not per record
}

TEST_F(BatchTest, UnreadableDayFileDoesNotStopTheRecordsOtherFiles) {
  // A torn day file only costs the record its place there: the meeting and horse histories
  // of the same record are still written, and so are the records after it.
  auto ra = Data("20240518", ".jvRA");
  auto ser = Data("20240518", Tokyo() + ".jvSEr");
  testing::WriteBytes(ra, "short line\r\n");
  testing::WriteBytes(ser, std::string(553, ' ') + "\r\n" + std::string(100, ' '));
  jv_.files = {{RA('7', "20240518", "05", 3), SE('7', "20240518", "05", 3, 4, "2020100005"),
                HR('7', "20240518", "05", 3)}};
  for (auto mode : {StoreCache::Mode::kWriteBack, StoreCache::Mode::kWriteThrough}) {
    Run(mode);
    EXPECT_TRUE(batch_->outcome().ok()) << batch_->outcome().message();
    EXPECT_EQ(testing::ReadBytes(ra), "short line\r\n");
    EXPECT_EQ(testing::ReadBytes(ser).size(), 655u);
    EXPECT_EQ(Count(MeetingPath(dir_.path(), "2024051805"), kLenRA), 1);
    EXPECT_EQ(Count(HorsePath(dir_.path(), "2020100005"), kLenSE), 1);
    EXPECT_TRUE(FileExists(Data("20240518", ".jvHR")));
    EXPECT_EQ(batch_->recordsSkipped(), 2);
    EXPECT_TRUE(batch_->datesMade().empty());  // no RA reached its day file
  }
}

TEST_F(BatchTest, OverseasAndLocalCourseCodesAreFiledOthersRefused) {
  std::string bad1 = RA('7', "20240429", "a6", 1), bad2 = RA('7', "20240429", "A/", 2);
  std::string bad3 = SE('7', "20240429", "..", 1, 1, "2020100008");
  std::string bad4 = HR('1', "20240512", "\x82\xa0", 1);
  jv_.files = {{RA('7', "20240429", "A6", 11), SE('7', "20240429", "A6", 11, 3, "2020100007"),
                RA('1', "20240512", "44", 1), SE('1', "20240512", "44", 1, 2), HR('1', "20240512", "C5", 1), bad1,
                bad2, bad3, bad4}};
  Run();
  ASSERT_TRUE(batch_->outcome().ok()) << batch_->outcome().message();
  EXPECT_EQ(Count(MeetingPath(dir_.path(), "20240429A6"), kLenRA), 1);
  ASSERT_EQ(Count(HorsePath(dir_.path(), "2020100007"), kLenSE), 1);
  auto horse = *ReadRecordLines(HorsePath(dir_.path(), "2020100007"), kLenSE);
  EXPECT_EQ(Field(horse[0], 20, 2), "A6");
  EXPECT_EQ(*ReadRecord(Data("20240512", CourseNameW("44", 2) + ".jvSEr"), kLenSE, 1),
            SE('1', "20240512", "44", 1, 2));
  EXPECT_EQ(ReadRecordLines(Data("20240512", ".jvHR"), kLenHR)->size(), 1u);
  EXPECT_EQ(batch_->recordsSkipped(), 4);
  auto log = *ReadTextLines(dir_ / "ErrorLog.txt");
  ASSERT_EQ(log.size(), 4u);
  for (const auto& l : log) EXPECT_NE(l.find(Sj("競馬場コード")), std::string::npos) << l;
  for (auto& e : std::filesystem::recursive_directory_iterator(dir_.path())) {
    std::string name = e.path().filename().string();
    EXPECT_EQ(name.find("a6"), std::string::npos) << e.path();
    EXPECT_EQ(name.find(".."), std::string::npos) << e.path();
  }
}

TEST_F(BatchTest, FullDiskIsReportedAndNothingIsTorn) {
  auto p = Data("20240512", ".jvRA");
  ASSERT_TRUE(SaveLines(p, {Line(RA('0', "20240512", "05", 9))}).ok());
  std::string before = testing::ReadBytes(p);
  jv_.files = {{RA('1', "20240512", "05", 1), RA('1', "20240512", "05", 2)}};
  for (auto mode : {StoreCache::Mode::kWriteBack, StoreCache::Mode::kWriteThrough}) {
    prompts_.infos.clear();
    SetWriteFaultForTesting([](const std::filesystem::path&) { return Status::IoError("No space left on device"); });
    Run(mode);
    SetWriteFaultForTesting(nullptr);
    EXPECT_TRUE(batch_->outcome().isIoError());
    EXPECT_EQ(testing::ReadBytes(p), before);
    ASSERT_FALSE(prompts_.infos.empty());
    EXPECT_NE(prompts_.infos.back().find("No space left on device"), std::string::npos);
    // What was saved is told, not what was read: here nothing.
    EXPECT_EQ(batch_->filesSaved(), 0u);
    EXPECT_NE(prompts_.infos.back().find(Sj("保存したファイルはありません。")), std::string::npos);
    EXPECT_EQ(ini_.ReadString("JvDataGet", "LastTime", "none"), "none");  // not advanced past lost data
    EXPECT_EQ(jv_.calls.back(), "JVClose");
  }
}

TEST_F(BatchTest, WriteBackAndWriteThroughLeaveIdenticalFiles) {
  std::vector<std::string> stream;
  for (int day : {12, 19})
    for (const char* c : {"05", "08"})
      for (int race = 12; race >= 1; race -= 4) {
        std::string d = "202405" + std::to_string(day);
        for (char div : {'1', '7'}) {
          stream.push_back(RA(div, d, c, race));
          stream.push_back(HR(div, d, c, race));
          for (int h = 1; h <= 18; h += 6) stream.push_back(SE(div, d, c, race, h, "20201000" + std::to_string(10 + h)));
        }
      }
  stream.push_back(testing::Master("UM", "2020100011", kLenUM));
  jv_.files = {std::vector<std::string>(stream.begin(), stream.begin() + 50),
               std::vector<std::string>(stream.begin() + 50, stream.end())};
  Run(StoreCache::Mode::kWriteThrough);
  auto literal = Tree(dir_.path());
  std::filesystem::remove_all(dir_ / "Data");
  std::filesystem::remove_all(dir_ / "SEI");
  std::filesystem::remove_all(dir_ / "SEIR");
  Run(StoreCache::Mode::kWriteBack, std::chrono::milliseconds(0));  // flushing after every record
  EXPECT_EQ(Tree(dir_.path()), literal);
  std::filesystem::remove_all(dir_ / "Data");
  std::filesystem::remove_all(dir_ / "SEI");
  std::filesystem::remove_all(dir_ / "SEIR");
  Run(StoreCache::Mode::kWriteBack);
  EXPECT_EQ(Tree(dir_.path()), literal);
  // Per date: .jvRA, .jvHR, two .jvSEr, .jvUM2 (2 x 5); four meeting files; three horse files.
  EXPECT_EQ(literal.size(), 17u);
}

TEST_F(BatchTest, FromTimeDefaultsToEightDaysAgoAndFollowsTheLastFile) {
  jv_.files = {{RA('1', "20240512", "05", 1)}};
  Run();
  EXPECT_EQ(jv_.fromdate, "20240512120000");
  EXPECT_EQ(ini_.ReadString("JvDataGet", "LastTime", ""), "2024/05/12 18:30:00");
  EXPECT_EQ(FormatDateTime(batch_->fromTime()), "2024/05/12 18:30:00");
  // The download path remembers it too; the next window starts from it.
  jv_.downloadCount = 3;
  jv_.lastTimestamp = "20240519090000";
  Run();
  EXPECT_EQ(jv_.fromdate, "20240512183000");
  EXPECT_EQ(ini_.ReadString("JvDataGet", "LastTime", ""), "2024/05/19 09:00:00");
  EXPECT_EQ(std::count(jv_.calls.begin(), jv_.calls.end(), "JVStatus"), 3);
}

TEST_F(BatchTest, OpenResultsAndReadErrors) {
  jv_.openResult = -1;
  Run();
  EXPECT_EQ(prompts_.infos.back(), Sj("最新のデータがありません。"));
  EXPECT_EQ(jv_.closes, 1);
  jv_.openResult = -301;
  Run();
  EXPECT_EQ(prompts_.infos.back(), Sj("JVOpenエラー:認証エラーが発生しました。(-301)"));
  EXPECT_EQ(jv_.closes, 2);
  // What the backend can tell of a failure follows on its own line.
  jv_.why = Sj("理由");
  Run();
  EXPECT_EQ(prompts_.infos.back(), Sj("JVOpenエラー:認証エラーが発生しました。(-301)") + "\r\n" + Sj("理由"));
  jv_.why.clear();
  jv_.openResult = 0;
  jv_.files = {{RA('1', "20240512", "05", 1), RA('1', "20240512", "05", 2)}};
  jv_.failReadAt = 2;
  jv_.why = Sj("レコードの説明");
  Run();
  // The read stops as JV-Link wants; the box and the log name the feed file and the record.
  const std::string stopped = Sj("JVReadエラー:ダウンロードしたファイルサイズが異常です。(-402)") + "\r\n" +
                              Sj("フィードファイル「F0」の3件目のレコードで読込みが止まりました。") + "\r\n" +
                              Sj("レコードの説明");
  EXPECT_EQ(prompts_.infos.back(), stopped);
  auto log = *ReadTextLines(dir_ / "ErrorLog.txt");
  ASSERT_FALSE(log.empty());
  EXPECT_NE(log.back().find(Sj("フィードファイル「F0」の3件目")), std::string::npos) << log.back();
  EXPECT_EQ(jv_.closes, 4);
  EXPECT_EQ(ReadRecordLines(Data("20240512", ".jvRA"), kLenRA)->size(), 2u);  // flushed before the box
  EXPECT_EQ(ini_.ReadString("JvDataGet", "LastTime", "none"), "none");
}

// The progress label's texts in the order the window shows them.
struct LabelView : BatchView {
  std::vector<std::string> labels;
  void progressLabel(const std::string& text) override { labels.push_back(text); }
};

TEST_F(BatchTest, ProgressLabelTellsTheOpenThenTheCountsThenTheDownload) {
  LabelView view;
  BatchDownload b(dir_.path(), jv_, prompts_, clock_, ini_, &view);
  b.FormCreate();
  const std::string opened = Sj("JVOpen正常:正常に実行されました。(0)");
  // Nothing to read: the open's text stays beside the box.
  b.ButtonStartClick();
  EXPECT_EQ(view.labels, std::vector<std::string>{opened});
  EXPECT_EQ(prompts_.infos.back(), Sj("最新のデータがありません。"));
  // A failed open writes no such text.
  view.labels.clear();
  jv_.openResult = -301;
  b.ButtonStartClick();
  EXPECT_TRUE(view.labels.empty());
  jv_.openResult = 0;
  jv_.files = {{RA('1', "20240512", "05", 1)}};
  jv_.downloadCount = 2;
  b.ButtonStartClick();
  ASSERT_GE(view.labels.size(), 3u);
  EXPECT_EQ(view.labels[0], opened);
  EXPECT_EQ(view.labels[1], "ReadCount:1, DownloadCount:2");
  EXPECT_EQ(view.labels[2], Sj("ダウンロード中・・・"));
  b.TimerJVStatusTimer();
  EXPECT_EQ(view.labels.back(), Sj("ダウンロード中．．．(1/2)"));
}

TEST_F(BatchTest, CancelWhileDownloadingClosesAtOnceAndWhileReadingKeepsWhatWasFiled) {
  jv_.files = {{RA('1', "20240512", "05", 1), RA('1', "20240512", "05", 2), RA('1', "20240512", "05", 3)}};
  jv_.downloadCount = 5;
  BatchDownload b(dir_.path(), jv_, prompts_, clock_, ini_);
  b.FormCreate();
  b.ButtonStartClick();
  b.TimerJVStatusTimer();
  ASSERT_TRUE(b.timerOn());
  prompts_.answer = false;
  b.ButtonCancelClick();
  EXPECT_TRUE(b.timerOn());
  prompts_.answer = true;
  b.ButtonCancelClick();
  EXPECT_FALSE(b.timerOn());
  EXPECT_EQ(jv_.cancels, 1);
  EXPECT_EQ(jv_.closes, 1);
  EXPECT_EQ(b.label(), Sj("JVCancel:キャンセルされました"));

  jv_.downloadCount = 0;
  int reads = 0;
  jv_.onRead = [&] {
    if (++reads == 2) b.ButtonCancelClick();  // as the window's event pump would deliver it
  };
  b.ButtonStartClick();
  EXPECT_TRUE(b.outcome().code() == Status::Code::kCancelled);
  EXPECT_EQ(jv_.closes, 2);
  EXPECT_EQ(ReadRecordLines(Data("20240512", ".jvRA"), kLenRA)->size(), 2u);
}

}  // namespace
}  // namespace zelkova
