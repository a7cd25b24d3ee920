#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "base/file_io.h"
#include "jvlink/recorded_jv_link.h"
#include "test_support.h"

namespace zelkova {
namespace {

using testing::FakeClock;
using testing::TempDir;
using testing::WriteBytes;

// A record of `kind` that is `len` bytes long, CR LF included.
std::string Rec(const std::string& kind, size_t len, char fill = '0') {
  return kind + std::string(len - kind.size() - 2, fill) + "\r\n";
}

class RecordedJvLinkTest : public ::testing::Test {
 protected:
  void stored(const std::string& id, const std::string& file, const std::string& bytes) {
    WriteBytes(feed() / "stored" / id / file, bytes);
  }
  void batch(const std::string& dataspec, const std::string& key, const std::string& file, const std::string& bytes) {
    WriteBytes(feed() / "realtime" / dataspec / key / file, bytes);
  }
  std::filesystem::path feed() const { return dir_ / "feed"; }
  std::filesystem::path cache() const { return dir_ / "cache"; }

  RecordedJvLink& link() {
    if (!link_) link_ = std::make_unique<RecordedJvLink>(feed(), cache(), clock_);
    return *link_;
  }
  RecordedJvLink& ready() {
    EXPECT_EQ(link().JVInit("SA000000/SD000000/ZelkovaJDL/Ver.1.22"), 0);
    return link();
  }
  int open(const std::string& dataspec, const std::string& from = "20240101000000", int option = 1) {
    return link().JVOpen(dataspec, from, option, readcount_, downloadcount_, last_);
  }
  // Reads to the end (or the first error): "len:file" per record, "-1" per boundary, then the last code.
  std::vector<std::string> readAll() {
    std::vector<std::string> got;
    for (int guard = 0; guard < 100000; ++guard) {
      std::string buff, file;
      int size = 60000;
      int r = link().JVRead(buff, size, file);
      if (r > 0) {
        EXPECT_EQ(static_cast<size_t>(r), buff.size());
        EXPECT_EQ(size, r);
        got.push_back(std::to_string(r) + ":" + file);
      } else if (r == -1) {
        got.push_back("-1");
      } else if (r != -3) {
        got.push_back(std::to_string(r));
        break;
      }
    }
    return got;
  }

  TempDir dir_;
  FakeClock clock_;
  std::unique_ptr<RecordedJvLink> link_;
  int readcount_ = -9, downloadcount_ = -9;
  std::string last_;
};

using Events = std::vector<std::string>;

TEST_F(RecordedJvLinkTest, DownloadsThenReadsFilesInTimeOrderWithBoundaries) {
  stored("RACE", "20240106090000_RA2.dat", Rec("RA", 1272));
  stored("RACE", "20240105090000_RA1.dat", Rec("RA", 1272) + Rec("SE", 555));
  stored("RACE", "20231231000000_OLD.dat", Rec("RA", 1272));  // not newer than fromdate
  stored("RCVN", "20240105120000_WE1.dat", Rec("WE", 42));
  ready();
  ASSERT_EQ(open("RACERCVN", "20240101000000", 2), 0);
  EXPECT_EQ(readcount_, 3);
  EXPECT_EQ(downloadcount_, 3);
  EXPECT_EQ(last_, "20240106090000");
  EXPECT_EQ(link().JVStatus(), 1);
  EXPECT_EQ(link().JVStatus(), 2);
  EXPECT_EQ(link().JVStatus(), 3);
  EXPECT_EQ(link().JVStatus(), 3);
  EXPECT_EQ(readAll(), (Events{"1272:RA1.dat", "555:RA1.dat", "-1", "42:WE1.dat", "-1", "1272:RA2.dat", "-1", "0"}));
  std::string buff, file;
  int size = 0;
  EXPECT_EQ(link().JVRead(buff, size, file), 0);  // stays at the end
  EXPECT_EQ(link().JVClose(), 0);
  EXPECT_EQ(link().JVClose(), 0);  // closing twice is harmless

  // The download index survives the instance: nothing is left to download.
  link_.reset();
  ready();
  ASSERT_EQ(open("RACE"), 0);
  EXPECT_EQ(readcount_, 2);
  EXPECT_EQ(downloadcount_, 0);
  EXPECT_EQ(link().JVStatus(), 0);
  EXPECT_EQ(readAll(), (Events{"1272:RA1.dat", "555:RA1.dat", "-1", "1272:RA2.dat", "-1", "0"}));
}

TEST_F(RecordedJvLinkTest, ReadingBeforeTheDownloadEndsWaitsButFinishes) {
  stored("RACE", "20240105090000_A.dat", Rec("RA", 1272));
  ready();
  ASSERT_EQ(open("RACE"), 0);
  std::string buff, file;
  int size = 60000;
  EXPECT_EQ(link().JVRead(buff, size, file), -3);
  // A caller that never polls JVStatus must not wait forever.
  EXPECT_EQ(readAll(), (Events{"1272:A.dat", "-1", "0"}));
}

TEST_F(RecordedJvLinkTest, CallContractErrors) {
  stored("RACE", "20240105090000_A.dat", Rec("RA", 1272));
  std::string buff, file;
  int size = 0;
  EXPECT_EQ(open("RACE"), -201);
  EXPECT_EQ(link().JVRTOpen("0B12", "20240105"), -201);
  EXPECT_EQ(link().JVStatus(), -201);
  EXPECT_EQ(link().JVRead(buff, size, file), -201);
  EXPECT_EQ(link().JVMVCheck("202401050511"), -201);
  EXPECT_EQ(link().JVClose(), 0);

  EXPECT_EQ(link().JVInit(""), -101);
  EXPECT_EQ(link().JVInit(std::string(64, 'S')), -102);
  EXPECT_EQ(link().JVInit(" SA000000"), -103);
  EXPECT_EQ(open("RACE"), -201);  // a failed JVInit leaves it uninitialised
  EXPECT_EQ(link().JVInit(std::string(63, 'S')), 0);

  EXPECT_EQ(link().JVStatus(), -203);
  EXPECT_EQ(link().JVRead(buff, size, file), -203);
  for (const char* dataspec : {"", "RAC", "RACEDIF", "RAC!", "RACE/../"}) EXPECT_EQ(open(dataspec), -111) << dataspec;
  for (const char* from : {"2024010100000", "20240230000000", "20240101240000", "2024010112a000", "202401010000001"})
    EXPECT_EQ(open("RACE", from), -112) << from;
  EXPECT_EQ(open("RACE", "20240101000000", 0), -115);
  EXPECT_EQ(open("RACE", "20240101000000", 5), -115);
  EXPECT_EQ(open("DIFF", "20240101000000", 2), -116);
  EXPECT_EQ(open("RACE", "20240105090000"), -1);  // equal is not newer
  EXPECT_EQ(open("BLOD"), -1);

  ASSERT_EQ(open("race"), 0);  // ids match folders without regard to case
  EXPECT_EQ(open("RACE"), -202);
  EXPECT_EQ(link().JVRTOpen("0B12", "20240105"), -202);
  EXPECT_EQ(link().JVClose(), 0);
  EXPECT_EQ(open("RACE"), 0);
}

TEST_F(RecordedJvLinkTest, InjectedCodesFireOnceAtTheChosenCall) {
  stored("RACE", "20240105090000_A.dat", Rec("RA", 1272) + Rec("RA", 1272) + Rec("RA", 1272));
  WriteBytes(feed() / "inject.txt", "JVOpen -301\r\nJVStatus -502 after 1\r\nnonsense line\nJVRead x\n");
  ready();
  EXPECT_EQ(open("RACE"), -301);
  ASSERT_EQ(open("RACE"), 0);
  EXPECT_EQ(link().JVStatus(), 1);
  EXPECT_EQ(link().JVStatus(), -502);
  link().inject("JVRead", -402, 1);
  EXPECT_EQ(readAll(), (Events{"1272:A.dat", "-402"}));
  EXPECT_EQ(readAll(), (Events{"1272:A.dat", "1272:A.dat", "-1", "0"}));
  link().inject("JVClose", -1);
  EXPECT_EQ(link().JVClose(), -1);
  EXPECT_EQ(open("RACE"), 0);  // the failed close still ended the cycle
  link().inject("JVInit", -101);
  EXPECT_EQ(link().JVInit("SA000000"), -101);
  EXPECT_EQ(link().JVInit("SA000000"), 0);
}

TEST_F(RecordedJvLinkTest, RealTimeStreamsFollowTheClock) {
  const std::string key = "2024051205010211";
  batch("0B30", key, "202405121000.txt", Rec("O1", 962, '1'));
  batch("0B30", key, "202405121030.txt", Rec("O1", 962, '2') + Rec("O2", 2042, '2'));
  batch("0B30", key, "202405121100.txt", Rec("O1", 962, '3'));
  batch("0B12", "20240512", "202405121500.txt", Rec("HR", 719));
  batch("0B12", "20240512", "202405121430.txt", Rec("SE", 555));
  ready();
  clock_.set({2024, 5, 12, 9, 59, 59});
  EXPECT_EQ(link().JVRTOpen("0B30", key), -1);
  clock_.set({2024, 5, 12, 10, 45, 0});
  ASSERT_EQ(link().JVRTOpen("0B30", key), 0);
  std::string buff, file;
  int size = 60000;
  ASSERT_EQ(link().JVRead(buff, size, file), 962);
  EXPECT_EQ(buff, Rec("O1", 962, '2'));
  EXPECT_EQ(file, "202405121030.txt");
  EXPECT_EQ(readAll(), (Events{"2042:202405121030.txt", "-1", "0"}));
  EXPECT_EQ(link().JVClose(), 0);

  clock_.set({2024, 5, 12, 15, 0, 0});
  ASSERT_EQ(link().JVRTOpen("0B12", "20240512"), 0);
  EXPECT_EQ(readAll(), (Events{"555:202405121430.txt", "-1", "719:202405121500.txt", "-1", "0"}));
  EXPECT_EQ(link().JVClose(), 0);

  EXPECT_EQ(link().JVRTOpen("0B14", "20240513"), -1);
  EXPECT_EQ(link().JVRTOpen("0B30", "20240512"), -114);
  EXPECT_EQ(link().JVRTOpen("0B11", "2024051"), -114);
  EXPECT_EQ(link().JVRTOpen("0B12", "../../x"), -114);
  EXPECT_EQ(link().JVRTOpen("0B99", "20240512"), -111);
}

TEST_F(RecordedJvLinkTest, TornOrMisshapenFilesServeWhatIsWholeThenReport403) {
  const std::string odd = "ZZ\xFF\xFE\x82" + std::string(10, 'x') + "\r\n";  // unknown kind, not CP932
  stored("RACE", "20240105090000_A.dat", Rec("RA", 1272) + Rec("SE", 555).substr(0, 300));
  stored("RACE", "20240105100000_B.dat", odd + Rec("SE", 500) + Rec("SE", 555));
  stored("RACE", "20240105110000_C.dat", "\r\n");
  // A line longer than any record, though whole: refused wherever it lies in the file.
  stored("RACE", "20240105113000_E.dat", "ZZ" + std::string(60998, 'z') + "\r\n");
  stored("RACE", "20240105120000_D.dat", Rec("HR", 719));
  ready();
  ASSERT_EQ(open("RACE"), 0);
  while (link().JVStatus() < downloadcount_) {
  }
  EXPECT_EQ(readAll(), (Events{"1272:A.dat", "-403"}));
  EXPECT_NE(link().lastProblem().find(Sj("行末（CR LF）がありません")), std::string::npos) << link().lastProblem();
  EXPECT_NE(link().lastProblem().find(Sj("A.dat」の1272バイト目")), std::string::npos) << link().lastProblem();
  EXPECT_EQ(static_cast<JvLink&>(link()).lastProblem(), link().lastProblem());
  std::string buff, file;
  int size = 0;
  EXPECT_EQ(link().JVRead(buff, size, file), -1);  // file A is passed
  EXPECT_EQ(readAll(), (Events{"-403"}));  // bytes that are not Shift-JIS
  EXPECT_NE(link().lastProblem().find(Sj("Shift-JIS（CP932）でない文字")), std::string::npos) << link().lastProblem();
  EXPECT_EQ(readAll(), (Events{"-1", "-403"}));  // an empty line
  EXPECT_EQ(readAll(), (Events{"-1", "-403"}));  // the overlong line
  EXPECT_NE(link().lastProblem().find(Sj("60000バイトを超えています")), std::string::npos) << link().lastProblem();
  EXPECT_EQ(readAll(), (Events{"-1", "719:D.dat", "-1", "0"}));
}

TEST_F(RecordedJvLinkTest, RecordsSpanningReadChunksComeOutWhole) {
  std::string big;
  for (int i = 0; i < 2000; ++i) big += Rec("RA", 1272, static_cast<char>('A' + i % 26));
  stored("RACE", "20240105090000_BIG.dat", big);
  ready();
  ASSERT_EQ(open("RACE"), 0);
  link().JVStatus();
  std::string all, buff, file;
  int size = 0, r;
  while ((r = link().JVRead(buff, size, file)) != 0) {
    ASSERT_TRUE(r == -1 || r == 1272) << r;
    if (r > 0) all += buff;
  }
  EXPECT_EQ(all, big);
}

TEST_F(RecordedJvLinkTest, NothingOutsideTheFeedIsServed) {
  stored("RACE", "20240105090000_IN.dat", Rec("RA", 1272));
  WriteBytes(dir_ / "secret.dat", Rec("RA", 1272));
  // Where links cannot be made (Windows without the right, Wine) the rest still counts.
  std::error_code noLinks;
  std::filesystem::create_symlink(dir_ / "secret.dat", feed() / "stored" / "RACE" / "20240105100000_LINK.dat", noLinks);
  stored("RACE", "20240105110000_bad name.dat", Rec("RA", 1272));
  stored("RACE", "notastamp_X.dat", Rec("RA", 1272));
  ready();
  ASSERT_EQ(open("RACE"), 0);
  EXPECT_EQ(readcount_, 1);
  EXPECT_EQ(last_, "20240105090000");
}

TEST_F(RecordedJvLinkTest, FullDiskDuringDownloadIsReportedAndRetryable) {
  stored("RACE", "20240105090000_A.dat", Rec("RA", 1272));
  ready();
  ASSERT_EQ(open("RACE"), 0);
  SetWriteFaultForTesting([](const fs::path&) { return Status::IoError("No space left on device"); });
  EXPECT_EQ(link().JVStatus(), -502);
  SetWriteFaultForTesting(nullptr);
  EXPECT_NE(link().lastProblem().find("No space"), std::string::npos);
  EXPECT_EQ(link().JVStatus(), 1);
  EXPECT_EQ(testing::ReadBytes(cache() / "downloaded.idx"), "RACE/20240105090000_A.dat\r\n");
}

TEST_F(RecordedJvLinkTest, MissingFeedFolderFailsClearly) {
  ready();
  EXPECT_EQ(open("RACE"), -401);
  EXPECT_NE(link().lastProblem().find(Sj("フィードフォルダ「")), std::string::npos);
  EXPECT_NE(link().lastProblem().find(Sj("」がありません。")), std::string::npos);
  EXPECT_EQ(link().JVRTOpen("0B12", "20240512"), -401);
  EXPECT_EQ(link().JVMVCheck("202405120511"), 0);
  EXPECT_EQ(link().version(), "0490");
  EXPECT_EQ(link().JVClose(), 0);
}

// A folder that is not a feed is named as what it is, not served as a feed with nothing new.
TEST_F(RecordedJvLinkTest, FolderThatIsNoFeedIsNamedAsSuch) {
  EXPECT_TRUE(CheckFeedFolder(feed()).isNotFound());
  WriteBytes(dir_ / "file", "x");
  Status notFolder = CheckFeedFolder(dir_ / "file");
  EXPECT_NE(notFolder.message().find(Sj("」はフォルダではありません。")), std::string::npos);
  WriteBytes(feed() / "version.txt", "0490");
  ready();
  EXPECT_EQ(open("RACE"), -401);
  EXPECT_NE(link().lastProblem().find(Sj("」はJV-Dataのフィードフォルダではありません")), std::string::npos);
  // A chooser lets the user pick another: the text says how.
  class NoChoice : public FolderChooser {
    bool choose(const std::string&, const std::string&, std::string&) override { return false; }
  } chooser;
  link().setFolderChooser(&chooser);
  EXPECT_EQ(open("RACE"), -401);
  EXPECT_NE(link().lastProblem().find(Sj("「JVLink設定」でフィードフォルダを選んでください。")), std::string::npos);
  // A feed with nothing stored yet is a feed: nothing new, no failure.
  std::filesystem::create_directories(feed() / "realtime");
  EXPECT_EQ(open("RACE"), -1);
  EXPECT_TRUE(link().lastProblem().empty());
  EXPECT_TRUE(CheckFeedFolder(feed()).ok());
}

TEST_F(RecordedJvLinkTest, VideosAndVersion) {
  WriteBytes(feed() / "video" / "202405120511", "");
  WriteBytes(feed() / "version.txt", "0480\r\n");
  ready();
  EXPECT_EQ(link().version(), "0480");
  EXPECT_EQ(link().JVMVCheck("202405120511"), 1);
  EXPECT_EQ(link().JVMVCheck("202405120512"), 0);
  EXPECT_EQ(link().JVMVCheck("20240512051"), -114);
  EXPECT_EQ(link().JVMVCheck("../../../etc"), -114);
  EXPECT_EQ(link().JVMVPlay("202405120512"), -1);
  EXPECT_EQ(link().JVMVPlay("202405120511"), 0);
  EXPECT_EQ(link().lastPlayed(), "202405120511");
  WriteBytes(feed() / "version.txt", "v4.9");
  EXPECT_EQ(link().version(), "0490");
}

// A feed's small text files are read whole, so an oversized one is refused, not loaded.
TEST_F(RecordedJvLinkTest, OversizedInjectAndVersionFilesAreIgnored) {
  stored("RACE", "20240105090000_A.dat", Rec("RA", 1272));
  std::string inject = "JVOpen -301\r\n";
  inject.resize(64 * 1024 + 1, '#');
  WriteBytes(feed() / "inject.txt", inject);
  WriteBytes(feed() / "version.txt", "0500" + std::string(64 * 1024, ' '));
  ready();
  EXPECT_NE(link().lastProblem().find(Sj("inject.txt を無視しました")), std::string::npos) << link().lastProblem();
  EXPECT_EQ(open("RACE"), 0);
  EXPECT_EQ(link().JVClose(), 0);
  EXPECT_EQ(link().version(), "0490");
  EXPECT_NE(link().lastProblem().find(Sj("version.txt を無視しました")), std::string::npos) << link().lastProblem();
  // At the limit both are still read.
  inject.resize(64 * 1024);
  WriteBytes(feed() / "inject.txt", inject);
  WriteBytes(feed() / "version.txt", "0500" + std::string(64 * 1024 - 4, ' '));
  link().setFeedFolder(feed());
  EXPECT_EQ(open("RACE"), -301);
  EXPECT_EQ(link().version(), "0500");
}

class ScriptedChooser : public FolderChooser {
 public:
  bool choose(const std::string&, const std::string&, std::string& chosen) override {
    chosen = answer;
    return confirm;
  }
  bool confirm = false;
  std::string answer;
};

TEST_F(RecordedJvLinkTest, SettingsDialogChoosesTheFeedFolder) {
  EXPECT_EQ(link().JVSetUIProperties(), 0);  // no chooser: nothing to do
  ScriptedChooser chooser;
  link().setFolderChooser(&chooser);
  EXPECT_EQ(link().JVSetUIProperties(), 0);  // closed without a choice: nothing changes
  EXPECT_EQ(link().feedFolder(), feed());
  chooser.confirm = true;
  chooser.answer = (dir_ / "nowhere").string();
  EXPECT_EQ(link().JVSetUIProperties(), -100);
  EXPECT_EQ(link().feedFolder(), feed());
  // A folder that exists but holds no feed is refused too, and says so.
  WriteBytes(dir_ / "other" / "version.txt", "0500");
  chooser.answer = (dir_ / "other").string();
  EXPECT_EQ(link().JVSetUIProperties(), -100);
  EXPECT_NE(link().lastProblem().find(Sj("フィードフォルダではありません")), std::string::npos);
  std::filesystem::create_directories(dir_ / "other" / "realtime");
  EXPECT_EQ(link().JVSetUIProperties(), 0);
  EXPECT_EQ(link().feedFolder(), dir_ / "other");
  EXPECT_EQ(link().version(), "0500");
}

}  // namespace
}  // namespace zelkova
