// Loading a full race day (36 races, 18 runners, 21 past runs each, season-size horse master)
// against the floor of reading the same files' bytes. Prints ratio_vs_floor and peak_rss_mb.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "analysis/rating_tables.h"
#include "app/gate_table.h"
#include "base/file_io.h"
#include "jvlink/stored_paths.h"
#include "racedata/code_tables.h"
#include "racedata/load_race_day.h"

namespace zelkova {
namespace {

namespace fs = std::filesystem;

constexpr int kMasterHorses = 20000;  // a season's horse master
constexpr int kRunsPerHorse = 30;
constexpr int kPastDays = 120;
const char* const kCourses[3] = {"05", "06", "08"};

std::string Rec(const char* kind, size_t len) {
  std::string r(len, ' ');
  r[0] = kind[0];
  r[1] = kind[1];
  r[len - 2] = '\r';
  r[len - 1] = '\n';
  return r;
}
void Put(std::string& rec, size_t pos, const std::string& text) { rec.replace(pos - 1, text.size(), text); }
std::string Num(long long v, int width) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*lld", width, v);
  return buf;
}
std::string RaceKey(int ymd, const char* course, int race) {
  return std::to_string(ymd) + course + "0102" + Num(race, 2);
}
std::string Race(int ymd, const char* course, int race) {
  std::string r = Rec("RA", kLenRA);
  Put(r, 12, RaceKey(ymd, course, race));
  Put(r, 698, "1600");
  Put(r, 706, race % 2 ? "10" : "23");
  Put(r, 874, Num(1000 + race * 30, 4));
  Put(r, 882, "18");
  return r;
}
int PastDate(int i) {  // Saturdays and Sundays going back from 2024-05-05
  int day = 5 - i;  // coarse: months of 28 days are enough for distinct keys
  int month = 4, year = 2024;
  while (day < 1) {
    day += 28;
    if (--month < 1) {
      month = 12;
      --year;
    }
  }
  return year * 10000 + month * 100 + day;
}

struct Fixture {
  fs::path home;
  std::string date = DateText("20240512");
  std::vector<fs::path> files;  // everything a load reads
};

Fixture Build() {
  Fixture fx;
  fx.home = fs::temp_directory_path() / ("zelkova-bench-load-" + std::to_string(::getpid()));
  fs::create_directories(fx.home / "Data");
  std::mt19937 rng(7);
  auto data = [&](const std::string& ext) { return DataPath(fx.home, fx.date, ext); };
  auto save = [&](const fs::path& p, const std::string& bytes) {
    fs::create_directories(p.parent_path());
    if (!WriteFileAtomic(p, bytes).ok()) std::abort();
    fx.files.push_back(p);
  };
  std::string ra, hr, o1, o2;
  for (const char* c : kCourses)
    for (int q = 1; q <= 12; ++q) {
      ra += Race(20240512, c, q);
      std::string h = Rec("HR", kLenHR), a = Rec("O1", kLenO1), b = Rec("O2", kLenO2);
      Put(h, 12, RaceKey(20240512, c, q));
      Put(h, 103, "0100000012001");
      Put(a, 12, RaceKey(20240512, c, q));
      Put(b, 12, RaceKey(20240512, c, q));
      for (int i = 0; i < 18; ++i) Put(a, 46 + 8 * static_cast<size_t>(i), Num(20 + 13 * i, 4));
      hr += h;
      o1 += a;
      o2 += b;
    }
  save(data(".jvRA"), ra);
  save(data(".jvHR"), hr);
  save(data(".jvO1"), o1);
  save(data(".jvO2"), o2);
  // Past meetings: 12 races per course and day.
  for (int d = 0; d < kPastDays; ++d)
    for (const char* c : kCourses) {
      std::string f;
      for (int q = 1; q <= 12; ++q) f += Race(PastDate(d), c, q);
      save(MeetingPath(fx.home, std::to_string(PastDate(d)) + c), f);
    }
  std::string um;
  um.reserve(static_cast<size_t>(kMasterHorses) * kLenUM);
  for (int i = 0; i < kMasterHorses; ++i) {
    std::string u = Rec("UM", kLenUM);
    Put(u, 12, "20" + Num(19000000 + (i * 7919) % kMasterHorses, 8));
    Put(u, 1089, Num(1000000 + i, 9));
    Put(u, 1107, "001002003004005006");
    um += u;
  }
  save(data(".jvUM2"), um);
  um.clear();
  um.shrink_to_fit();
  std::string ks, ch;
  for (int i = 0; i < 300; ++i) {
    std::string k = Rec("KS", kLenKS), t = Rec("CH", kLenCH);
    Put(k, 12, Num(i, 5));
    Put(k, 1060, "000100000050");
    Put(t, 12, Num(i, 5));
    Put(t, 749, "000050");
    ks += k;
    ch += t;
  }
  save(data(".jvKS"), ks);
  save(data(".jvCH"), ch);
  int horse = 0;
  for (const char* c : kCourses) {
    std::string ser;
    for (int q = 1; q <= 12; ++q)
      for (int h = 1; h <= 18; ++h, ++horse) {
        std::string reg = "20" + Num(19000000 + horse * 3, 8);
        std::string se = Rec("SE", kLenSE);
        Put(se, 12, RaceKey(20240512, c, q));
        Put(se, 28, Num((h + 1) / 2 % 10, 1));
        Put(se, 29, Num(h, 2));
        Put(se, 31, reg);
        Put(se, 86, Num(horse % 300, 5));
        Put(se, 297, Num((horse * 7) % 300, 5));
        ser += se;
        // The horse's history, ascending by date.
        std::vector<int> days;
        for (int k = 0; k < kRunsPerHorse; ++k) days.push_back(static_cast<int>(rng() % kPastDays));
        std::sort(days.begin(), days.end(), std::greater<int>());
        std::string sei;
        for (int d : days) {
          std::string p = Rec("SE", kLenSE);
          Put(p, 12, RaceKey(PastDate(d), kCourses[rng() % 3], 1 + static_cast<int>(rng() % 12)));
          Put(p, 29, Num(1 + rng() % 16, 2));
          Put(p, 31, reg);
          Put(p, 335, Num(1 + rng() % 16, 2));
          Put(p, 339, Num(1 + rng() % 16, 2));
          Put(p, 351, "1345");
          Put(p, 391, "345");
          sei += p;
        }
        save(HorsePath(fx.home, reg), sei);
      }
    save(data(CourseNameW(c, 2) + ".jvSEr"), ser);
  }
  return fx;
}

Fixture* gFixture = nullptr;
RaceDay* gDay = nullptr;
RatingTables* gTables = nullptr;
GateTable* gGates = nullptr;

void BM_ReadFloor(benchmark::State& state) {
  size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    for (const auto& p : gFixture->files) {
      auto r = ReadFile(p);
      bytes += r.ok() ? r->size() : 0;
      benchmark::DoNotOptimize(r);
    }
  }
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_LoadRaceDay(benchmark::State& state) {
  LoadObserver obs;
  LoadScratch scratch;
  LoadInputs in;
  in.dateText = gFixture->date;
  in.programFolder = gFixture->home;
  in.tables = gTables;
  in.gates = gGates;
  for (auto _ : state) {
    Status s = LoadRaceDay(*gDay, in, obs, scratch);
    if (!s.ok()) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(gDay->Races[35].Figures.FinishRating[17]);
  }
  state.counters["past_runs"] = [] {
    int n = 0;
    for (const auto& r : gDay->Races)
      for (const auto& h : r.Runners)
        for (const auto& p : h.PastRuns) n += !p.RaRecord.empty();
    return n;
  }();
}

BENCHMARK(BM_ReadFloor)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_LoadRaceDay)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Keeps the mean real time of each run to form the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& r : runs)
      if (!r.error_occurred) times[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
};

}  // namespace
}  // namespace zelkova

int main(int argc, char** argv) {
  using namespace zelkova;
  benchmark::Initialize(&argc, argv);
  auto day = MakeRaceDay();
  Fixture fx = Build();
  RatingTables tables;
  for (int k = 0; k < 3; ++k)
    for (int c = 0; c < RatingTables::kCategories; ++c)
      for (int l = 1; l <= RatingTables::kClasses; ++l)
        for (int s = 0; s < RatingTables::kSlots; ++s) tables.set(k, c, l, s, 1.0 + 0.1 * s);
  GateTable gates;
  for (auto& row : gates.rows) row.fill(1.4);
  gFixture = &fx;
  gDay = day.get();
  gTables = &tables;
  gGates = &gates;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::error_code ec;
  fs::remove_all(fx.home, ec);
  double floor = reporter.times["BM_ReadFloor"], load = reporter.times["BM_LoadRaceDay"];
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  std::printf("race_day_mb=%.1f\n", static_cast<double>(sizeof(RaceDay)) / (1024.0 * 1024.0));
  std::printf("ratio_vs_floor=%.2f\n", floor > 0 ? load / floor : 0.0);
  std::printf("peak_rss_mb=%.1f\n", static_cast<double>(ru.ru_maxrss) / 1024.0);
  benchmark::Shutdown();
  return 0;
}
