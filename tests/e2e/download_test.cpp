// A generated feed downloaded by the CLI into empty program folders: the stored files keep their
// layout, write-back and write-through give the same bytes, and a download killed at any point
// leaves whole files that a second download completes to the same tree.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using zelkova::testing::ReadBytes;
using zelkova::testing::TempDir;

using CliRun = zelkova::testing::CommandRun;

CliRun Sh(const std::string& cmd, const fs::path& scratch) {
  return zelkova::testing::RunCommand(cmd, scratch / "stderr.txt");
}

std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }
std::string Bin(const char* name) { return zelkova::testing::BinPath(name); }

// Record length of each stored text file kind (CR LF included).
size_t LengthOf(const std::string& ext) {
  static const std::map<std::string, size_t> lengths = {
      {".jvRA", 1272}, {".jvSEr", 555}, {".jvHR", 719}, {".jvUM2", 1609}, {".jvKS", 4173},
      {".jvCH", 3862}, {".jvSEI", 555}, {".jvSERA", 1272}, {".jvWH", 847}, {".jvO1", 962}, {".jvO2", 2042}};
  auto it = lengths.find(ext);
  return it == lengths.end() ? 0 : it->second;
}

// Stored files of a program folder by relative path; the settings, the log and the backend's
// cache are the run's own and not part of the tree.
std::map<std::string, std::string> Tree(const fs::path& home) {
  std::map<std::string, std::string> out;
  for (const char* top : {"Data", "SEI", "SEIR"}) {
    if (!fs::exists(home / top)) continue;
    for (auto& e : fs::recursive_directory_iterator(home / top))
      if (e.is_regular_file()) out[fs::relative(e.path(), home).string()] = ReadBytes(e.path());
  }
  return out;
}

// The records of one stored file; a failure when it is not whole records of its kind.
std::vector<std::string> Records(const std::string& name, const std::string& bytes) {
  std::string ext = fs::path(name).extension().string();
  size_t len = LengthOf(ext);
  std::vector<std::string> recs;
  if (len == 0) {
    ADD_FAILURE() << "unexpected file " << name;
    return recs;
  }
  if (bytes.size() % len != 0) {
    ADD_FAILURE() << name << ": " << bytes.size() << " bytes, not whole records of " << len;
    return recs;
  }
  for (size_t at = 0; at < bytes.size(); at += len) {
    std::string r = bytes.substr(at, len);
    if (r.compare(len - 2, 2, "\r\n") != 0 || r.find('\n') != len - 1) {
      ADD_FAILURE() << name << ": record " << at / len << " is not one line of " << len << " bytes";
      return {};
    }
    recs.push_back(r.substr(0, len - 2));
  }
  return recs;
}

// Every file of the tree is whole records, and no temporary file carries a stored file's name.
void ExpectWholeFiles(const std::map<std::string, std::string>& tree) {
  for (const auto& [name, bytes] : tree) {
    if (name.find(".tmp") != std::string::npos) continue;  // an interrupted rename, never read
    Records(name, bytes);
  }
}

int TempFiles(const std::map<std::string, std::string>& tree) {
  int n = 0;
  for (const auto& kv : tree) n += kv.first.find(".tmp") != std::string::npos;
  return n;
}

class DownloadE2E : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    feed_ = dir_->path() / "feed";
    CliRun gen = Sh(Bin("zelkova-feedgen") + " --out " + Q(feed_) + " --scale test --seed 11 --today 2024-05-12",
                 dir_->path());
    ASSERT_EQ(gen.status, 0) << gen.err;
  }
  // The whole feed downloaded once per process into an empty folder (write-back).
  static const std::map<std::string, std::string>& Clean() {
    if (!clean_) {
      clean_ = new std::map<std::string, std::string>;
      fs::path home = NewHome("clean");
      CliRun dl = Download(home, "");
      EXPECT_EQ(dl.status, 0) << dl.out << dl.err;
      *clean_ = Tree(home);
    }
    return *clean_;
  }
  static void TearDownTestSuite() {
    delete clean_;
    delete dir_;
    clean_ = nullptr;
    dir_ = nullptr;
  }

  // An empty program folder holding the fixed files, as an installation has them.
  static fs::path NewHome(const std::string& name) {
    fs::path home = dir_->path() / name;
    fs::create_directories(home);
    for (const char* f : {"RTJ.dat", "RTN.dat", "RTC.dat", "SetGate.tbl"}) {
      fs::path src = fs::path(ZELKOVA_BIN_DIR) / f;
      if (fs::exists(src)) fs::copy_file(src, home / f);
    }
    return home;
  }
  static CliRun Download(const fs::path& home, const std::string& extra, const std::string& env = "",
                      const fs::path& feed = {}) {
    return Sh(env + " " + Bin("zelkova-cli") + " --home " + Q(home) + " --feed " + Q(feed.empty() ? feed_ : feed) +
                  " download --from \"2000/01/01 00:00:00\" " + extra,
              dir_->path());
  }

  static TempDir* dir_;
  static fs::path feed_;
  static std::map<std::string, std::string>* clean_;
};

TempDir* DownloadE2E::dir_ = nullptr;
fs::path DownloadE2E::feed_;
std::map<std::string, std::string>* DownloadE2E::clean_ = nullptr;

TEST_F(DownloadE2E, StoredFilesKeepTheirLayout) {
  const auto& tree = Clean();
  ASSERT_FALSE(tree.empty());
  std::set<std::string> raDates, masterDates[3];
  std::map<std::string, std::string> firstMaster;
  int slotFiles = 0, horseFiles = 0, meetingFiles = 0;
  for (const auto& [name, bytes] : tree) {
    fs::path p(name);
    std::string ext = p.extension().string(), stem = p.stem().string();
    auto recs = Records(name, bytes);
    ASSERT_FALSE(recs.empty()) << name;
    const bool keyed = ext == ".jvRA" || ext == ".jvHR" || ext == ".jvSEI" || ext == ".jvSERA";
    if (keyed) {
      for (size_t i = 0; i < recs.size(); ++i) {
        EXPECT_EQ(recs[i].substr(2, 9), "000000000") << name << " line " << i;  // normalised
        if (i > 0) {
          EXPECT_LT(recs[i - 1].substr(11, 16), recs[i].substr(11, 16)) << name << " line " << i;
        }
      }
      EXPECT_NE(recs[0].find_first_not_of(' '), std::string::npos) << name << ": blank first line";
    }
    // yyyy年mm月dd日 in UTF-8 file names: digits at 0..3, 7..8, 12..13.
    std::string digits = stem.size() >= 17 ? stem.substr(0, 4) + stem.substr(7, 2) + stem.substr(12, 2) : "";
    if (ext == ".jvRA" || ext == ".jvHR") {
      for (const auto& r : recs) EXPECT_EQ(r.substr(11, 8), digits) << name;
      if (ext == ".jvRA") raDates.insert(stem);
    } else if (ext == ".jvSEr") {
      ++slotFiles;
      ASSERT_EQ(recs.size(), 216u) << name;
      int filled = 0;
      for (size_t k = 0; k < recs.size(); ++k) {
        if (recs[k].find_first_not_of(' ') == std::string::npos) continue;
        ++filled;
        int race = std::atoi(recs[k].substr(25, 2).c_str()), horse = std::atoi(recs[k].substr(28, 2).c_str());
        EXPECT_EQ(static_cast<int>(k), (race - 1) * 18 + (horse - 1)) << name;
        EXPECT_EQ(recs[k].substr(0, 2), "SE");
        EXPECT_EQ(recs[k].substr(11, 8), digits) << name;
      }
      EXPECT_GT(filled, 0) << name;
    } else if (ext == ".jvSEI") {
      ++horseFiles;
      EXPECT_EQ(p.parent_path().filename().string(), stem.substr(0, 4)) << name;
      for (const auto& r : recs) EXPECT_EQ(r.substr(30, 10), stem) << name;
    } else if (ext == ".jvSERA") {
      ++meetingFiles;
      EXPECT_EQ(p.parent_path().filename().string(), stem.substr(0, 4)) << name;
      for (const auto& r : recs) EXPECT_EQ(r.substr(11, 10), stem) << name;
    } else if (ext == ".jvUM2" || ext == ".jvKS" || ext == ".jvCH") {
      int m = ext == ".jvUM2" ? 0 : ext == ".jvKS" ? 1 : 2;
      masterDates[m].insert(stem);
      for (size_t i = 1; i < recs.size(); ++i) EXPECT_LE(recs[i - 1], recs[i]) << name;
      // Every date gets the same whole list of the download.
      auto [it, added] = firstMaster.emplace(ext, bytes);
      if (!added) {
        EXPECT_TRUE(it->second == bytes) << name;
      }
    }
  }
  EXPECT_GT(slotFiles, 0);
  EXPECT_GT(horseFiles, 0);
  EXPECT_GT(meetingFiles, 0);
  // An empty program folder has no master file yet, so each date that received races gets them
  // and no other date does.
  ASSERT_FALSE(raDates.empty());
  for (const auto& dates : masterDates) EXPECT_EQ(dates, raDates);
}

TEST_F(DownloadE2E, WriteThroughGivesTheSameBytes) {
  // The last week of the feed: race days, results, histories and masters, at a cost that a
  // literal merge (one whole-file save per record) can afford in a test.
  const std::string week = "--from \"2024/05/09 00:00:00\"";
  fs::path back = NewHome("back"), through = NewHome("through");
  CliRun a = Sh(Bin("zelkova-cli") + " --home " + Q(back) + " --feed " + Q(feed_) + " download " + week, dir_->path());
  ASSERT_EQ(a.status, 0) << a.err;
  CliRun b = Sh(Bin("zelkova-cli") + " --home " + Q(through) + " --feed " + Q(feed_) + " download --write-through " +
                    week,
                dir_->path());
  ASSERT_EQ(b.status, 0) << b.err;
  EXPECT_EQ(a.out, b.out);
  auto treeA = Tree(back), treeB = Tree(through);
  EXPECT_GT(treeA.size(), 100u);
  EXPECT_EQ(treeA.size(), treeB.size());
  EXPECT_TRUE(treeA == treeB);
  std::set<std::string> kinds;
  for (const auto& kv : treeA) kinds.insert(fs::path(kv.first).extension().string());
  EXPECT_EQ(kinds, (std::set<std::string>{".jvCH", ".jvHR", ".jvKS", ".jvO1", ".jvO2", ".jvRA", ".jvSEI", ".jvSERA", ".jvSEr",
                                          ".jvUM2"}));  // the odds files hold the final odds of past races
}

TEST_F(DownloadE2E, KilledDownloadsLeaveWholeFilesAndARerunCompletesThem) {
  const auto& clean = Clean();
  ASSERT_FALSE(clean.empty());
  fs::path home = NewHome("killed");
  // Deterministic kills after a number of records, in both modes; write-back flushes often
  // so that the kills find files on disk.
  struct Kill {
    const char* records;
    const char* extra;
  } kills[] = {{"1", ""}, {"2500", ""}, {"800", "--write-through"}, {"11000", ""}};
  for (const auto& k : kills) {
    CliRun r = Download(home, k.extra, std::string("ZELKOVA_FLUSH_MS=20 ZELKOVA_ABORT_AFTER=") + k.records);
    EXPECT_EQ(r.status, 137) << "the download was not cut at " << k.records << ": " << r.out;
    auto tree = Tree(home);
    ExpectWholeFiles(tree);
    EXPECT_EQ(TempFiles(tree), 0) << "after " << k.records;
    // Write-through has saved every record before the kill; write-back what its flushes reached.
    if (std::string(k.extra) == "--write-through") {
      EXPECT_FALSE(tree.empty()) << "nothing written before " << k.records;
    }
  }
  // A kill at an arbitrary moment, possibly in the middle of a flush.
  for (const char* delay : {"0.3", "0.8"}) {
    Sh("timeout -s KILL " + std::string(delay) + " sh -c " + "\"ZELKOVA_FLUSH_MS=0 " + Bin("zelkova-cli") +
           " --home " + Q(home) + " --feed " + Q(feed_) + " download --from '2000/01/01 00:00:00'\"",
       dir_->path());
    ExpectWholeFiles(Tree(home));
  }
  CliRun done = Download(home, "");
  ASSERT_EQ(done.status, 0) << done.err;
  auto tree = Tree(home);
  EXPECT_EQ(TempFiles(tree), 0) << "the rerun leaves what the kills left";
  EXPECT_EQ(tree.size(), clean.size());
  EXPECT_TRUE(tree == clean);
}

TEST_F(DownloadE2E, CliTextsAndExitCodes) {
  // A complete run: the window's last text and what was saved on stdout, no notice meant for a
  // window's user, and nothing else.
  fs::path home = NewHome("cli");
  CliRun ok = Sh(Bin("zelkova-cli") + " --home " + Q(home) + " --feed " + Q(feed_) +
                     " download --from \"2024/05/10 00:00:00\"",
                 dir_->path());
  EXPECT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(ok.out.find("データ読込み完了("), 0u) << ok.out;
  EXPECT_NE(ok.out.find("個のファイルに保存しました"), std::string::npos) << ok.out;
  EXPECT_NE(ok.out.find("\n保存："), std::string::npos) << ok.out;
  EXPECT_EQ(ok.out.back(), '\n');
  EXPECT_EQ(ok.out.find("\n\n"), std::string::npos) << ok.out;
  EXPECT_EQ(ok.out.find("避けてください"), std::string::npos) << ok.out;
  EXPECT_EQ(ok.err.find("避けてください"), std::string::npos) << ok.err;

  CliRun bad = Sh(Bin("zelkova-cli") + " --home " + Q(home) + " --feed " + Q(feed_) + " download --from 2024-05-12",
               dir_->path());
  EXPECT_EQ(bad.status, 2);
  // A bad argument is one line, naming the value and the form it takes.
  EXPECT_EQ(bad.err, "zelkova-cli: --from の「2024-05-12」は日時ではありません（\"yyyy/mm/dd hh:nn:ss\"）\n");
  CliRun noValue = Sh(Bin("zelkova-cli") + " --home " + Q(home) + " --feed " + Q(feed_) + " download --from", dir_->path());
  EXPECT_EQ(noValue.status, 2);
  EXPECT_EQ(noValue.err, "zelkova-cli: --from に日時がありません（\"yyyy/mm/dd hh:nn:ss\"）\n");
  EXPECT_EQ(Download(home, "--bogus").status, 2);
  EXPECT_EQ(Download(home, "", "", dir_->path() / "no-such-feed").status, 1);

  // Nothing newer than the last file: the text of the window, and not a failure.
  CliRun none = Sh(Bin("zelkova-cli") + " --home " + Q(home) + " --feed " + Q(feed_) +
                    " download --from \"2099/01/01 00:00:00\"",
                dir_->path());
  EXPECT_EQ(none.status, 0) << none.err;
  EXPECT_NE(none.err.find("最新のデータがありません。"), std::string::npos) << none.err;
  EXPECT_EQ(none.out, "保存：0個のファイルに0行\n");
  // Without --from a new program folder starts 8 days back: the time it used and how to give
  // another are said.
  fs::path fresh = NewHome("fresh");
  CliRun defaulted = Sh(Bin("zelkova-cli") + " --home " + Q(fresh) + " --feed " + Q(feed_) + " download", dir_->path());
  EXPECT_EQ(defaulted.status, 0) << defaulted.err;
  EXPECT_NE(defaulted.err.find("より新しいデータを探しました"), std::string::npos) << defaulted.err;
  EXPECT_NE(defaulted.err.find("別の日時からは --from"), std::string::npos) << defaulted.err;

  // A read error from JV-Link: its text with the feed file and the record where the read stopped,
  // also in ErrorLog.txt; a failure code, and no master files.
  fs::path feed = dir_->path() / "feed-error";
  ASSERT_EQ(Sh(Bin("zelkova-feedgen") + " --out " + Q(feed) + " --scale test --seed 11 --today 2024-05-12",
               dir_->path()).status, 0);
  zelkova::testing::WriteBytes(feed / "inject.txt", "JVRead -402 after 300\n");
  CliRun err = Download(home, "", "", feed);
  EXPECT_EQ(err.status, 1);
  EXPECT_NE(err.err.find("JVReadエラー:"), std::string::npos) << err.err;
  EXPECT_NE(err.err.find("件目のレコードで読込みが止まりました。"), std::string::npos) << err.err;
  EXPECT_NE(ReadBytes(home / "ErrorLog.txt").find("JVRead"), std::string::npos);
  auto tree = Tree(home);
  ExpectWholeFiles(tree);
  for (const auto& kv : tree) EXPECT_NE(fs::path(kv.first).extension(), ".jvUM2") << kv.first;
}

// One damaged feed file ends the read, as JV-Link's rule wants, but the message says which file
// and which record, and why, so the user can act.
TEST_F(DownloadE2E, DamagedFeedFileIsNamedWithItsRecord) {
  fs::path feed = dir_->path() / "feed-damaged", home = NewHome("damaged");
  const std::string other = "ZZ" + std::string(20, 'z') + "\r\n";
  zelkova::testing::WriteBytes(feed / "stored" / "RACE" / "20240101000000_A.dat", other + other);
  zelkova::testing::WriteBytes(feed / "stored" / "RACE" / "20240102000000_B.dat",
                               other + "RA1" + std::string(97, ' ') + "\r\n" + other);
  CliRun r = Download(home, "", "", feed);
  EXPECT_EQ(r.status, 1);
  for (const char* part : {"JVReadエラー:ダウンロードしたファイル内容が異常です。(-403)",
                           "フィードファイル「B.dat」の2件目のレコードで読込みが止まりました。",
                           "レコードRAが102バイトです（1272バイトのはず）"})
    EXPECT_NE(r.err.find(part), std::string::npos) << part << "\n" << r.err;
  const std::string log = ReadBytes(home / "ErrorLog.txt");
  EXPECT_NE(log.find("B.dat"), std::string::npos) << log;
  EXPECT_NE(r.out.find("保存：0個のファイルに0行"), std::string::npos) << r.out;
}

// JV-Link's cache folder that cannot be made is named, not left behind a -502.
TEST_F(DownloadE2E, CacheFolderThatCannotBeMadeIsNamed) {
  fs::path home = NewHome("cache");
  zelkova::testing::WriteBytes(home / "jvcache", "a file where the folder goes");
  CliRun r = Download(home, "");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("JVStatusエラー:"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("ダウンロードの記録を保存できません。"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("jvcache」を作れません"), std::string::npos) << r.err;
}

}  // namespace
