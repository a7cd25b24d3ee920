// Batch download ingest of a season against the I/O floor measured in the same run, and the
// write-back cache against write-through on a tenth of the feed. bench/ingest prepares the feed.
//   bench_ingest --feed DIR [--tenth-feed DIR] [--fixed DIR] [--work DIR] [--copies] [--keep]
// --feed: a feed folder (zelkova-feedgen --scale year --today 2024-12-22); --tenth-feed: the
// feed for the write-through comparison (default: the last tenth of --feed's stored files in the
// order JVOpen serves them; the first tenth is compared too and printed as first_tenth_ratio);
// --fixed: where RTJ.dat, RTN.dat, RTC.dat, SetGate.tbl are (default: this executable's folder).
// --copies: the season's download is refused hard links, as a file system without them would,
// so every date's master files are copies.
// Ends with ratio_vs_floor=X and ratio_vs_write_through=Y.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "settings/ini_gt.h"
#include "base/file_io.h"
#include "base/platform.h"
#include "jvlink/batch_download.h"
#include "jvlink/recorded_jv_link.h"
#include "jvlink/software_id.h"

namespace zelkova {
namespace {

namespace fs = std::filesystem;
using Clk = std::chrono::steady_clock;

[[noreturn]] void Die(const std::string& why) {
  std::fprintf(stderr, "bench_ingest: %s\n", why.c_str());
  std::exit(1);
}

double Seconds(Clk::time_point since) { return std::chrono::duration<double>(Clk::now() - since).count(); }

// "Today" of the generated feed's last day, so the five-day rules file what a user would get.
class FeedClock : public Clock {
 public:
  LocalTime now() const override { return {2024, 12, 22, 20, 0, 0}; }
};

class SilentPrompts : public Prompts {
 public:
  void beep() override {}
  void information(const std::string& text) override { last = text; }
  bool confirm(const std::string&) override { return true; }
  void statusText(const std::string&) override {}
  void processEvents() override {}
  void busyCursor(bool) override {}
  std::string last;
};

struct Tree {
  std::vector<fs::path> files;  // relative to the root
  uintmax_t bytes = 0;          // every path's bytes
  uintmax_t storedBytes = 0;    // every file's once: paths that are hard links of one file share it
  std::vector<int> sameAs;      // per file: the index of the first path of the same file, or -1
};

Tree ListTree(const fs::path& root) {
  Tree t;
  for (auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) t.files.push_back(fs::relative(e.path(), root));
  std::sort(t.files.begin(), t.files.end());
  std::map<std::pair<dev_t, ino_t>, int> seen;
  for (size_t i = 0; i < t.files.size(); ++i) {
    struct stat st {};
    if (::stat((root / t.files[i]).c_str(), &st) != 0) Die("cannot stat " + (root / t.files[i]).string());
    t.bytes += static_cast<uintmax_t>(st.st_size);
    auto [at, added] = seen.emplace(std::make_pair(st.st_dev, st.st_ino), static_cast<int>(i));
    t.sameAs.push_back(added ? -1 : at->second);
    if (added) t.storedBytes += static_cast<uintmax_t>(st.st_size);
  }
  return t;
}

// An empty program folder with the fixed files, as an installation has it.
fs::path NewHome(const fs::path& work, const std::string& name, const fs::path& fixed) {
  fs::path home = work / name;
  fs::remove_all(home);
  fs::create_directories(home);
  for (const char* f : {"RTJ.dat", "RTN.dat", "RTC.dat", "SetGate.tbl"})
    if (fs::exists(fixed / f)) fs::copy_file(fixed / f, home / f);
  return home;
}

struct Run {
  double seconds = 0;
  int lines = 0;
  // Where the time goes: JVStatus phase, read loop (with its flushes), end step (master files).
  double downloadPhase = 0, readLoop = 0, endStep = 0;
  long readLoopWrites = 0, endStepWrites = 0;
  double readLoopCpu = 0, endStepCpu = 0;
};

// CPU seconds of this process so far (user + system), to tell computing from waiting on the disk.
double CpuSeconds() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
         static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

// Atomic writes seen, counted through the write hook (which lets every write go through).
long gWrites = 0;

// Marks the phases from what the window would show.
class PhaseView : public BatchView {
 public:
  // The download bar moves only while JVStatus runs; the read loop follows its last move.
  void progress1(int, int) override {
    if (reading) return;
    readStart = Clk::now();
    writesAtRead = gWrites;
    cpuAtRead = CpuSeconds();
  }
  void progressLabel(const std::string& text) override {
    if (text.rfind("JVRead EndOfFile", 0) == 0) {
      reading = true;
      readEnd = Clk::now();
      writesAtEnd = gWrites;
      cpuAtEnd = CpuSeconds();
    }
  }
  bool reading = false;
  Clk::time_point readStart{}, readEnd{};
  long writesAtRead = 0, writesAtEnd = 0;
  double cpuAtRead = 0, cpuAtEnd = 0;
};

// What `zelkova-cli download --from ...` does, without the terminal.
Run Download(const fs::path& feed, const fs::path& home, StoreCache::Mode mode) {
  FeedClock clock;
  SilentPrompts prompts;
  TIniGT ini(home, "zelkova");
  auto start = Clk::now();
  RecordedJvLink jv(feed, home / "jvcache", clock);
  if (jv.JVInit(SoftwareId()) != 0) Die("JVInit failed on " + feed.string());
  BatchDownload::Options options;
  options.mode = mode;
  PhaseView view;
  BatchDownload batch(home, jv, prompts, clock, ini, &view, options);
  batch.FormCreate();
  batch.setFromTime(LocalTime{1990, 1, 1, 0, 0, 0});
  batch.ButtonStartClick();
  while (batch.timerOn()) batch.TimerJVStatusTimer();
  Run r;
  r.seconds = Seconds(start);
  if (!batch.outcome().ok()) Die("the download failed: " + batch.outcome().message() + " / " + prompts.last);
  r.lines = static_cast<int>(batch.listLines().size());
  auto end = Clk::now();
  r.downloadPhase = std::chrono::duration<double>(view.readStart - start).count();
  r.readLoop = std::chrono::duration<double>(view.readEnd - view.readStart).count();
  r.endStep = std::chrono::duration<double>(end - view.readEnd).count();
  r.readLoopWrites = view.writesAtEnd - view.writesAtRead;
  r.endStepWrites = gWrites - view.writesAtEnd;
  r.readLoopCpu = view.cpuAtEnd - view.cpuAtRead;
  r.endStepCpu = CpuSeconds() - view.cpuAtEnd;
  return r;
}

void PrintPhases(const char* name, const Run& r) {
  std::printf("  %s: jvstatus_phase_s=%.3f read_loop_s=%.3f (cpu %.3f, %ld writes) end_step_s=%.3f (cpu %.3f, %ld writes)\n",
              name, r.downloadPhase, r.readLoop, r.readLoopCpu, r.readLoopWrites, r.endStep, r.endStepCpu,
              r.endStepWrites);
}

// JVRead alone over the whole feed (its files already "downloaded"), to tell the backend's share
// of the read loop from the filing's.
double ReadOnly(const fs::path& feed, const fs::path& home) {
  FeedClock clock;
  RecordedJvLink jv(feed, home / "jvcache", clock);
  if (jv.JVInit(SoftwareId()) != 0) Die("JVInit failed");
  int readCount = 0, downloadCount = 0;
  std::string last, buff, file;
  auto start = Clk::now();
  if (jv.JVOpen("RACERCVN", "19900101000000", 2, readCount, downloadCount, last) != 0) Die("JVOpen failed");
  while (jv.JVStatus() < downloadCount) {
  }
  long records = 0;
  for (;;) {
    int size = 60000;
    int r = jv.JVRead(buff, size, file);
    if (r > 0) ++records;
    else if (r == 0 || r < -3) break;
  }
  jv.JVClose();
  double s = Seconds(start);
  std::printf("  jvread_only_s=%.3f (%ld records)\n", s, records);
  return s;
}

bool SameTrees(const fs::path& a, const fs::path& b) {
  Tree ta = ListTree(a), tb = ListTree(b);
  if (ta.files != tb.files) return false;
  for (const auto& f : ta.files) {
    if (f.begin()->string() == "jvcache") continue;
    auto x = ReadFile(a / f), y = ReadFile(b / f);
    if (!x.ok() || !y.ok() || *x != *y) return false;
  }
  return true;
}

// The floor: every byte of the feed read once, and the downloaded tree's bytes written once,
// file by file, made durable together as the download's flushes do.
struct Floor {
  double readFeed = 0, copyFeed = 0, writeTree = 0;
};

// Writes every file of `from` under `to` through one atomic batch, as the download writes: paths
// that are one file there are one file here (hard links), and large files leave the cache once
// written. Only the writing is timed (each file is read first, so the tree is never held in
// memory at once).
double WriteTreeOnce(const fs::path& from, const Tree& tree, const fs::path& to) {
  double s = 0;
  AtomicWriteBatch batch(/*streaming=*/true);
  std::vector<size_t> stagedAs(tree.files.size());
  for (size_t i = 0; i < tree.files.size(); ++i) {
    const fs::path& p = tree.files[i];
    auto bytes = ReadFile(from / p);
    if (!bytes.ok()) Die("cannot read " + (from / p).string());
    fs::create_directories((to / p).parent_path());
    auto t0 = Clk::now();
    const int same = tree.sameAs[i];
    Status st = same >= 0 ? batch.StageSame(to / p, stagedAs[static_cast<size_t>(same)]) : batch.Stage(to / p, *bytes);
    if (!st.ok()) Die("cannot write " + (to / p).string() + ": " + st.message());
    stagedAs[i] = batch.staged() - 1;
    s += Seconds(t0);
  }
  auto t0 = Clk::now();
  if (!batch.Commit().ok()) Die("cannot commit " + to.string());
  return s + Seconds(t0);
}

// The copies stay until the end: writing into freshly allocated blocks is what the download
// does, and deleting just before would make the next creations pay for the freed inodes.
Floor MeasureFloor(const fs::path& feed, const fs::path& tree, const fs::path& out) {
  Floor f;
  Tree feedFiles = ListTree(feed);
  auto t0 = Clk::now();
  uintmax_t n = 0;
  for (const auto& p : feedFiles.files) {
    auto r = ReadFile(feed / p);
    if (!r.ok()) Die("cannot read " + (feed / p).string());
    n += r->size();
  }
  f.readFeed = Seconds(t0);
  if (n != feedFiles.bytes) Die("feed changed while reading");
  f.writeTree = WriteTreeOnce(tree, ListTree(tree), out / "tree");
  f.copyFeed = WriteTreeOnce(feed, feedFiles, out / "feed");
  return f;
}

// A tenth of the stored files in the order JVOpen serves them (timestamp, then name): the first
// tenth (the oldest results) or the last (the season's final weeks: entries, results and the
// master lists of the recent dates, as a weekly download brings them).
fs::path TenthOf(const fs::path& feed, const fs::path& work, bool last) {
  std::vector<std::pair<std::string, fs::path>> files;
  for (auto& e : fs::recursive_directory_iterator(feed / "stored"))
    if (e.is_regular_file()) files.emplace_back(e.path().filename().string(), e.path());
  std::sort(files.begin(), files.end());
  fs::path tenth = work / (last ? "last-tenth-feed" : "first-tenth-feed");
  fs::remove_all(tenth);
  const size_t take = std::max<size_t>(1, files.size() / 10);
  const size_t from = last ? files.size() - take : 0;
  for (size_t i = from; i < from + take; ++i) {
    fs::path to = tenth / fs::relative(files[i].second, feed);
    fs::create_directories(to.parent_path());
    fs::copy_file(files[i].second, to);
  }
  if (fs::exists(feed / "version.txt")) fs::copy_file(feed / "version.txt", tenth / "version.txt");
  return tenth;
}

// Write-back against write-through on one feed; the trees must be byte-identical.
struct Comparison {
  Run wb, wt;
  bool same = false;
  double ratio() const { return wb.seconds > 0 ? wt.seconds / wb.seconds : 0.0; }
};

Comparison Compare(const char* name, const fs::path& feed, const fs::path& work, const fs::path& fixed) {
  Comparison c;
  const std::string n(name);
  fs::path wbHome = NewHome(work, n + "-write-back", fixed), wtHome = NewHome(work, n + "-write-through", fixed);
  c.wb = Download(feed, wbHome, StoreCache::Mode::kWriteBack);
  PrintPhases((n + " write-back").c_str(), c.wb);
  c.wt = Download(feed, wtHome, StoreCache::Mode::kWriteThrough);
  PrintPhases((n + " write-through").c_str(), c.wt);
  c.same = SameTrees(wbHome, wtHome);
  std::printf("%s_write_back_s=%.3f %s_write_through_s=%.3f %s_ratio=%.2f %s_trees_identical=%s\n", name, c.wb.seconds,
              name, c.wt.seconds, name, c.ratio(), name, c.same ? "yes" : "NO");
  return c;
}

}  // namespace
}  // namespace zelkova

int main(int argc, char** argv) {
  using namespace zelkova;
  fs::path feed, tenth, fixed = fs::absolute(argv[0]).parent_path(), work;
  bool keep = false, copies = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--keep" || a == "--copies") {
      (a == "--keep" ? keep : copies) = true;
      continue;
    }
    if (i + 1 >= argc) Die("usage: bench_ingest --feed DIR [--tenth-feed DIR] [--fixed DIR] [--work DIR] [--copies] [--keep]");
    if (a == "--feed") feed = argv[++i];
    else if (a == "--tenth-feed") tenth = argv[++i];
    else if (a == "--fixed") fixed = argv[++i];
    else if (a == "--work") work = argv[++i];
    else Die("unknown argument " + a);
  }
  if (feed.empty() || !fs::is_directory(feed / "stored")) Die("--feed DIR: a feed folder with stored/ (see bench/ingest)");
  if (work.empty()) work = fs::temp_directory_path() / ("zelkova-bench-ingest-" + std::to_string(::getpid()));
  fs::create_directories(work);
  work = fs::absolute(work);

  SetWriteFaultForTesting([](const fs::path&) {
    ++gWrites;
    return Status::Ok();
  });
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // progress shows while the long runs go on
  Tree feedTree = ListTree(feed / "stored");
  std::printf("feed: %zu stored files, %.1f MB\n", feedTree.files.size(), feedTree.bytes / 1e6);

  // Nothing is deleted until the end, and the season and its floor go first: on ext4 without a
  // journal, a creation soon after many deletions pays for skipping the freed inodes, and the
  // write-through runs replace tens of thousands of files. The season and the floor then meet
  // the same disk, which no run of this bench has deleted from.
  // (b) the season through the batch download with the write-back cache.
  fs::path home = NewHome(work, "home-write-back", fixed);
  if (copies) SetLinkRefusedForTesting([](const fs::path&) { return true; });
  Run season = Download(feed, home, StoreCache::Mode::kWriteBack);
  SetLinkRefusedForTesting(nullptr);
  Tree result = ListTree(home);
  std::printf("download_write_back_s=%.3f (%d files listed, tree %zu files, %.1f MB by path)\n", season.seconds,
              season.lines, result.files.size(), result.bytes / 1e6);
  std::printf("season_tree_mb=%.1f (%s)\n", result.storedBytes / 1e6,
              copies ? "links refused: every date's masters are copies" : "each file once, hard links shared");
  PrintPhases("season write-back", season);
  ReadOnly(feed, home);

  // (a) the floor over the same bytes.
  Floor floor = MeasureFloor(feed / "stored", home, work / "season-floor");
  const double floorSeconds = floor.readFeed + floor.writeTree;
  std::printf("floor_read_feed_s=%.3f floor_write_tree_s=%.3f floor_s=%.3f (copy_feed_s=%.3f)\n", floor.readFeed,
              floor.writeTree, floorSeconds, floor.copyFeed);

  // (c) write-through against write-back on a tenth.
  if (tenth.empty()) tenth = TenthOf(feed, work, true);
  Tree tenthTree = ListTree(tenth / "stored");
  std::printf("write-through feed: %zu stored files, %.1f MB\n", tenthTree.files.size(), tenthTree.bytes / 1e6);
  Comparison cmp = Compare("tenth", tenth, work, fixed);
  // No writer can beat writing the tree once: write-through over that floor bounds the ratio.
  Floor tenthFloor = MeasureFloor(tenth / "stored", work / "tenth-write-back", work / "tenth-floor");
  const double tenthFloorSeconds = tenthFloor.readFeed + tenthFloor.writeTree;
  std::printf("tenth_floor_s=%.3f write_through_vs_floor=%.2f\n", tenthFloorSeconds,
              tenthFloorSeconds > 0 ? cmp.wt.seconds / tenthFloorSeconds : 0.0);

  // The season's first tenth as well: old results only, no master lists to write.
  Comparison first = Compare("first_tenth", TenthOf(feed, work, false), work, fixed);
  const bool same = cmp.same && first.same;
  if (!keep) fs::remove_all(work);
  std::printf("ratio_vs_floor=%.2f\n", floorSeconds > 0 ? season.seconds / floorSeconds : 0.0);
  std::printf("ratio_vs_write_through=%.2f\n", cmp.ratio());
  return same ? 0 : 1;
}
