// Loading a full race day (36 races, every runner with 21 earlier runs) from a downloaded
// season (zelkova-feedgen --scale year, then zelkova-cli download), against the floor of
// reading the same files' bytes in the same run. bench/load prepares the data and runs it.
//   bench_load --home DIR [benchmark flags]
// Ends with ratio_vs_floor=X (a load with the loader's scratch kept from the one before, as the
// program keeps it: the master files' keys are not read again), first_load_vs_floor=F (nothing
// kept) and peak_rss_mb=Y.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "analysis/rating_tables.h"
#include "bench_support.h"
#include "settings/gate_table.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "store/stored_paths.h"
#include "records/code_tables.h"
#include "day/load_race_day.h"

namespace zelkova {
namespace {

namespace fs = std::filesystem;

struct Fixture {
  fs::path home;              // the downloaded season
  fs::path work;              // the day's folder: the season's files, runners' histories topped up
  std::string date;           // CP932 date text of the loaded day
  std::vector<fs::path> files;  // every file a load reads
  int races = 0, runners = 0, padded = 0;
  double pastRuns = 0;        // per runner, after topping up
  int fewestPastRuns = 0;     // of any runner
  uint64_t umBytes = 0;
};

// The work folder of this run, once made; removed by Die as well as at the end.
fs::path gWork;

[[noreturn]] void Die(const std::string& why) {
  std::fprintf(stderr, "bench_load: %s\n", why.c_str());
  if (!gWork.empty()) {
    std::error_code ec;
    fs::remove_all(gWork, ec);
  }
  std::exit(1);
}

// Meeting keys (yyyymmdd + course) of the stored SEIR files, ascending.
std::vector<std::string> MeetingKeys(const fs::path& home) {
  std::vector<std::string> keys;
  fs::path seir = ChildPath(home, "SEIR");
  std::error_code ec;
  for (auto& e : fs::recursive_directory_iterator(seir, ec)) {
    std::string stem = e.path().stem().string();
    if (e.path().extension() == ".jvSERA" && stem.size() == 10 && IsAllDigits(stem)) keys.push_back(stem);
  }
  std::sort(keys.begin(), keys.end());
  return keys;
}

// A work folder that shares the season's files (symbolic links) except the day's runners'
// histories, which are copied and, where a horse has fewer than 21 earlier runs, topped up with
// older runs at stored meetings, so that every runner has a full history to attach.
void Prepare(Fixture& fx) {
  fx.work = fs::temp_directory_path() / ("zelkova-bench-load-" + std::to_string(::getpid()));
  gWork = fx.work;
  fs::remove_all(fx.work);
  fs::create_directories(fx.work / "Data");
  fs::create_directories(fx.work / "SEI");
  fs::create_directory_symlink(fs::absolute(ChildPath(fx.home, "SEIR")), fx.work / "SEIR");
  std::string prefix = FsName(fx.date).string();
  for (auto& e : fs::directory_iterator(ChildPath(fx.home, "Data"))) {
    std::string name = e.path().filename().string();
    if (name.rfind(prefix, 0) != 0) continue;
    std::string ext = e.path().extension().string();
    if (ext == ".CkIm" || ext == ".Hind") continue;  // written by loads: keep the season's untouched
    fs::copy_file(e.path(), fx.work / "Data" / name);
  }
  const std::vector<std::string> meetings = MeetingKeys(fx.home);
  // Runners of the day from the entry files, through a first load of the work folder.
  auto day = MakeRaceDay();
  LoadObserver obs;
  LoadInputs in;
  in.dateText = fx.date;
  in.programFolder = fx.work;
  if (!LoadRaceDay(*day, in, obs).ok()) Die("the season's day does not load");
  for (int r = 0; r < day->RaceCount; ++r) {
    const RaceInfo& race = day->Races[r];
    const int raceDate = static_cast<int>(race.RaRecord.fieldInt(12, 8));
    for (int h = 0; h < race.Figures.RunnerCount; ++h) {
      std::string reg(race.Runners[h].SeRecord.field(31, 10));
      if (!IsAllDigits(reg) || reg.size() != 10) continue;
      ++fx.runners;
      auto history = ReadFile(HorsePath(fx.home, reg));
      std::string sei = history.ok() ? *history : std::string();
      int earlier = 0, oldest = raceDate;
      std::string model(race.Runners[h].SeRecord.view());
      for (size_t k = 0; k + kLenSE <= sei.size(); k += kLenSE) {
        int d = static_cast<int>(FieldInt(std::string_view(sei).substr(k, kLenSE), 12, 8));
        if (d > 0 && d < raceDate) {
          ++earlier;
          if (d < oldest) {
            oldest = d;
            model = sei.substr(k, kLenSE);
          }
        }
      }
      if (earlier < MaxPastRuns) {
        ++fx.padded;
        // Older runs at stored meetings before the oldest one, oldest first as the file keeps them.
        std::vector<std::string> older;
        char cut[16];
        std::snprintf(cut, sizeof cut, "%08d", oldest);
        auto it = std::lower_bound(meetings.begin(), meetings.end(), std::string(cut));
        while (it != meetings.begin() && earlier + static_cast<int>(older.size()) < MaxPastRuns) {
          // A run every few meetings, closer together when the stored meetings run short.
          std::ptrdiff_t needed = MaxPastRuns - earlier - static_cast<std::ptrdiff_t>(older.size());
          std::ptrdiff_t step = std::clamp<std::ptrdiff_t>((it - meetings.begin()) / needed, 1, 6);
          it -= step;
          std::string rec = model;
          rec.replace(11, 10, *it);
          older.push_back(rec);
        }
        // Too few meetings before the oldest run (a horse racing since the first stored
        // week): the rest at other stored meetings before the race, on dates it has not run.
        std::set<std::string> used;
        for (size_t k = 0; k + kLenSE <= sei.size(); k += kLenSE) used.insert(sei.substr(k + 11, 8));
        for (const auto& o : older) used.insert(o.substr(11, 8));
        for (auto m = meetings.rbegin(); m != meetings.rend() && earlier + static_cast<int>(older.size()) < MaxPastRuns;
             ++m) {
          std::string d = m->substr(0, 8);
          if (std::atoi(d.c_str()) >= raceDate || !used.insert(d).second) continue;
          std::string rec = model;
          rec.replace(11, 10, *m);
          older.push_back(rec);
        }
        // The history file keeps its runs in race-key order, oldest first.
        std::vector<std::string> all(older);
        for (size_t k = 0; k + kLenSE <= sei.size(); k += kLenSE) all.push_back(sei.substr(k, kLenSE));
        std::sort(all.begin(), all.end(),
                  [](const std::string& a, const std::string& b) { return a.compare(11, 16, b, 11, 16) < 0; });
        sei.clear();
        for (const auto& r : all) sei += r;
      }
      fs::path p = HorsePath(fx.work, reg);
      fs::create_directories(p.parent_path());
      if (!WriteFileAtomic(p, sei).ok()) Die("cannot write " + p.string());
    }
  }
}

// The files one load reads, from the loaded model.
void ListFiles(Fixture& fx, const RaceDay& day) {
  std::set<fs::path> files;
  for (const char* ext : {".jvRA", ".jvHR", ".jvO1", ".jvO2", ".jvUM2", ".jvKS", ".jvCH", ".CkIm"}) {
    fs::path p = DataPath(fx.work, fx.date, ext);
    if (FileExists(p)) files.insert(p);
  }
  fx.umBytes = FileExists(DataPath(fx.work, fx.date, ".jvUM2")) ? *FileSize(DataPath(fx.work, fx.date, ".jvUM2")) : 0;
  int past = 0;
  fx.fewestPastRuns = MaxPastRuns;
  for (int r = 0; r < day.RaceCount; ++r) {
    const RaceInfo& race = day.Races[r];
    files.insert(DataPath(fx.work, fx.date, CourseNameW(race.RaRecord.field(20, 2), 2) + ".jvSEr"));
    for (int h = 0; h < race.Figures.RunnerCount; ++h) {
      const Runner& runner = race.Runners[h];
      fs::path p = HorsePath(fx.work, runner.SeRecord.field(31, 10));
      if (FileExists(p)) files.insert(p);
      int own = 0;
      for (const auto& run : runner.PastRuns) {
        if (run.SeRecord.empty()) continue;
        ++past;
        ++own;
        fs::path m = MeetingPath(fx.work, run.SeRecord.field(12, 10));
        if (FileExists(m)) files.insert(m);
      }
      fx.fewestPastRuns = std::min(fx.fewestPastRuns, own);
    }
  }
  fx.files.assign(files.begin(), files.end());
  fx.pastRuns = fx.runners ? static_cast<double>(past) / fx.runners : 0;
}

Fixture* gFixture = nullptr;
RaceDay* gDay = nullptr;
const RatingTables* gTables = nullptr;
const GateTable* gGates = nullptr;

// Every byte of the files a load reads, read once through one buffer: the cheapest way to get
// them from the system (reading each into a string of its size would also pay for that memory).
void BM_ReadFloor(benchmark::State& state) {
  size_t bytes = 0;
  std::string buffer(size_t{1} << 20, '\0');
  for (auto _ : state) {
    bytes = 0;
    for (const auto& p : gFixture->files) {
      InputFile f;
      if (!f.Open(p).ok()) continue;
      size_t got = 0;
      uint64_t at = 0;
      do {
        if (!f.ReadAt(at, buffer.data(), buffer.size(), got).ok()) break;
        at += got;
      } while (got == buffer.size());
      bytes += at;
      benchmark::DoNotOptimize(buffer.data());
    }
  }
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
  state.counters["files"] = static_cast<double>(gFixture->files.size());
}

// Loads the fixture's day `state`'s iterations long; `keep`: one scratch for all the loads, as the
// program keeps it, else a fresh one per load.
void LoadDay(benchmark::State& state, bool keep) {
  LoadObserver obs;
  LoadScratch kept;
  LoadInputs in;
  in.dateText = gFixture->date;
  in.programFolder = gFixture->work;
  in.tables = gTables;
  in.gates = gGates;
  for (auto _ : state) {
    LoadScratch fresh;
    Status s = LoadRaceDay(*gDay, in, obs, keep ? kept : fresh);
    if (!s.ok()) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(gDay->Races[0].Figures.FinishRating[0]);
  }
}

void BM_LoadRaceDay(benchmark::State& state) {
  LoadDay(state, true);
  state.counters["races"] = gDay->RaceCount;
  state.counters["past_runs_per_runner"] = gFixture->pastRuns;
}

// The same load with nothing kept from an earlier one: the first load of a day after the
// program starts, which reads every key of the master files.
void BM_LoadRaceDayFirst(benchmark::State& state) { LoadDay(state, false); }

void RegisterBenchmarks(bool minTimeGiven) {
  for (auto* b : {benchmark::RegisterBenchmark("BM_ReadFloor", BM_ReadFloor),
                  benchmark::RegisterBenchmark("BM_LoadRaceDay", BM_LoadRaceDay),
                  benchmark::RegisterBenchmark("BM_LoadRaceDayFirst", BM_LoadRaceDayFirst)}) {
    b->Unit(benchmark::kMillisecond);
    if (!minTimeGiven) b->MinTime(1.0);
  }
}

}  // namespace
}  // namespace zelkova

int main(int argc, char** argv) {
  using namespace zelkova;
  RegisterBenchmarks(bench::MinTimeGiven(argc, argv));
  benchmark::Initialize(&argc, argv);
  Fixture fx;
  fx.home = bench::HomeArgument(argc, argv);
  if (fx.home.empty() || !DirExists(fx.home)) Die("--home DIR: a program folder with a downloaded season (see bench/load)");
  fx.date = bench::PickBusiestDate(fx.home, &fx.races);
  if (fx.date.empty()) Die("no race file in " + fx.home.string());
  try {
    Prepare(fx);
  } catch (const std::exception& e) {
    Die(std::string("cannot prepare the work folder: ") + e.what());
  }

  // Ratings run with the shipped tables when they are beside the executable.
  RatingTables tables;
  GateTable gates;
  const bool ratings = bench::LoadShippedTables(argv[0], tables, gates);
  if (ratings) {
    gTables = &tables;
    gGates = &gates;
  }
  auto day = MakeRaceDay();
  gDay = day.get();
  {
    LoadObserver obs;
    LoadInputs in;
    in.dateText = fx.date;
    in.programFolder = fx.work;
    in.tables = gTables;
    in.gates = gGates;
    if (!LoadRaceDay(*day, in, obs).ok()) Die("the day does not load");
    ListFiles(fx, *day);
  }
  gFixture = &fx;
  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::error_code ec;
  fs::remove_all(fx.work, ec);
  const auto floorAt = reporter.times.find("BM_ReadFloor"), loadAt = reporter.times.find("BM_LoadRaceDay");
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  std::printf("date=%s races=%d runners=%d topped_up=%d past_runs_per_runner=%.2f fewest=%d ratings=%s\n",
              Cp932ToUtf8Lossy(fx.date).c_str(), fx.races, fx.runners, fx.padded, fx.pastRuns, fx.fewestPastRuns,
              ratings ? "on" : "off");
  std::printf("um_master_mb=%.1f files=%zu\n", static_cast<double>(fx.umBytes) / 1e6, fx.files.size());
  std::printf("race_day_mb=%.1f\n", static_cast<double>(sizeof(RaceDay)) / (1024.0 * 1024.0));
  if (floorAt == reporter.times.end() || loadAt == reporter.times.end()) {
    std::fprintf(stderr, "bench_load: no ratio: %s did not run (left out by --benchmark_filter, or failed)\n",
                 floorAt == reporter.times.end() ? "BM_ReadFloor" : "BM_LoadRaceDay");
    std::printf("ratio_vs_floor=n/a\n");
  } else if (!(floorAt->second > 0)) {
    std::fprintf(stderr, "bench_load: no ratio: BM_ReadFloor took no measurable time\n");
    std::printf("ratio_vs_floor=n/a\n");
  } else {
    std::printf("ratio_vs_floor=%.2f\n", loadAt->second / floorAt->second);
    const auto firstAt = reporter.times.find("BM_LoadRaceDayFirst");
    if (firstAt != reporter.times.end())
      std::printf("first_load_vs_floor=%.2f\n", firstAt->second / floorAt->second);
  }
  std::printf("peak_rss_mb=%.1f\n", static_cast<double>(ru.ru_maxrss) / 1024.0);
  benchmark::Shutdown();
  return 0;
}
