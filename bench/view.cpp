// Showing a race against loading its day, in one run over a downloaded season (the one bench/load
// uses). A race selection runs the race view of one race slot (selection figures, every label and
// grid filled, every grid's sort applied) and then sorts each rating grid by another button; the
// day load is the whole LoadRaceDay with ratings and support figures.
//   bench_view --home DIR [benchmark flags]
// Ends with view_vs_load=X (race selection over day load).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/race_view.h"
#include "analysis/rating_tables.h"
#include "bench_support.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "day/load_race_day.h"
#include "output/race_list.h"
#include "records/record.h"
#include "settings/gate_table.h"
#include "store/stored_paths.h"

namespace zelkova {
namespace {

namespace fs = std::filesystem;

fs::path gWork;
std::string gDate;
RaceDay* gDay = nullptr;
const RatingTables* gTables = nullptr;
const GateTable* gGates = nullptr;
std::vector<int> gSlots;  // the race slots of the day's race list

[[noreturn]] void Die(const std::string& why) {
  std::fprintf(stderr, "bench_view: %s\n", why.c_str());
  if (!gWork.empty()) {
    std::error_code ec;
    fs::remove_all(gWork, ec);
  }
  std::exit(1);
}

// A program folder that shares the season's files of the day; what a load writes stays here.
void Prepare(const fs::path& home) {
  gWork = fs::temp_directory_path() / ("zelkova-bench-view-" + std::to_string(::getpid()));
  fs::remove_all(gWork);
  fs::create_directories(gWork / "Data");
  fs::create_directory_symlink(fs::absolute(ChildPath(home, "SEI")), gWork / "SEI");
  fs::create_directory_symlink(fs::absolute(ChildPath(home, "SEIR")), gWork / "SEIR");
  const std::string prefix = FsName(gDate).string();
  for (auto& e : fs::directory_iterator(ChildPath(home, "Data"))) {
    const std::string name = e.path().filename().string();
    if (name.rfind(prefix, 0) != 0) continue;
    const std::string ext = e.path().extension().string();
    if (ext == ".CkIm" || ext == ".Hind") continue;
    fs::create_symlink(fs::absolute(e.path()), gWork / "Data" / name);
  }
}

LoadInputs Inputs() {
  LoadInputs in;
  in.dateText = gDate;
  in.programFolder = gWork;
  in.tables = gTables;
  in.gates = gGates;
  return in;
}

void BM_LoadRaceDay(benchmark::State& state) {
  LoadObserver obs;
  LoadScratch scratch;
  const LoadInputs in = Inputs();
  for (auto _ : state) {
    if (!LoadRaceDay(*gDay, in, obs, scratch).ok()) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(gDay->Races[0].Figures.FinishRating[0]);
  }
  state.counters["races"] = gDay->RaceCount;
}

// One race selection per iteration, walking the race list.
void BM_RaceView(benchmark::State& state) {
  RaceView view;
  RaceViewOptions options;
  size_t next = 0;
  int shown = 0;
  for (auto _ : state) {
    const int slot = gSlots[next++ % gSlots.size()];
    if (RunRaceView(*gDay, slot, options, view).shown) ++shown;
    for (int g = 0; g < kSortedGridCount; ++g) PressSortButton(view, static_cast<ViewGridId>(g), 1);
    for (int g = 0; g < kSortedGridCount; ++g) PressSortButton(view, static_cast<ViewGridId>(g), 0);
    benchmark::DoNotOptimize(view.grid(ViewGridId::RTList).cell(1, 3));
  }
  state.counters["shown"] = shown;
}

// The same, plus every display list the two cards paint once.
void BM_RaceViewAndCards(benchmark::State& state) {
  RaceView view;
  RaceViewOptions options;
  size_t next = 0;
  size_t ops = 0;
  for (auto _ : state) {
    const int slot = gSlots[next++ % gSlots.size()];
    RunRaceView(*gDay, slot, options, view);
    for (ViewGridId id : {ViewGridId::Jisseki, ViewGridId::Umabashira}) {
      const ViewGrid& g = view.grid(id);
      for (int r = 1; r < g.rowCount(); ++r)
        for (int c = 0; c < g.colCount(); ++c) ops += g.paint(r, c, g.widths()[static_cast<size_t>(c)], g.rowHeight()).ops().size();
    }
  }
  benchmark::DoNotOptimize(ops);
}

void PrintRatio(const bench::RatioReporter& rep, const char* name, const char* over, const char* under) {
  auto a = rep.times.find(over), b = rep.times.find(under);
  if (a == rep.times.end() || b == rep.times.end() || !(b->second > 0)) {
    std::printf("%s=n/a\n", name);
    return;
  }
  // Every benchmark here reports in microseconds.
  std::printf("%s=%.4f\n", name, a->second / b->second);
}

}  // namespace
}  // namespace zelkova

int main(int argc, char** argv) {
  using namespace zelkova;
  const bool minTime = bench::MinTimeGiven(argc, argv);
  for (auto* b : {benchmark::RegisterBenchmark("BM_LoadRaceDay", BM_LoadRaceDay),
                  benchmark::RegisterBenchmark("BM_RaceView", BM_RaceView),
                  benchmark::RegisterBenchmark("BM_RaceViewAndCards", BM_RaceViewAndCards)}) {
    b->Unit(benchmark::kMicrosecond);
    if (!minTime) b->MinTime(1.0);
  }
  benchmark::Initialize(&argc, argv);
  fs::path home;
  home = bench::HomeArgument(argc, argv);
  if (home.empty() || !DirExists(home)) Die("--home DIR: a program folder with a downloaded season (see bench/view)");
  gDate = bench::PickBusiestDate(home);
  if (gDate.empty()) Die("no race file in " + home.string());
  try {
    Prepare(home);
  } catch (const std::exception& e) {
    Die(std::string("cannot prepare the work folder: ") + e.what());
  }
  RatingTables tables;
  GateTable gates;
  const bool ratings = bench::LoadShippedTables(argv[0], tables, gates);
  if (ratings) {
    gTables = &tables;
    gGates = &gates;
  }
  auto day = MakeRaceDay();
  gDay = day.get();
  LoadObserver obs;
  if (!LoadRaceDay(*gDay, Inputs(), obs).ok()) Die("the day does not load");
  gSlots = RaceListSlots(*gDay);
  if (gSlots.empty()) Die("the day has no races");
  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::error_code ec;
  fs::remove_all(gWork, ec);
  std::printf("date=%s races=%zu ratings=%s\n", Cp932ToUtf8Lossy(gDate).c_str(), gSlots.size(), ratings ? "on" : "off");
  PrintRatio(reporter, "cards_vs_load", "BM_RaceViewAndCards", "BM_LoadRaceDay");
  PrintRatio(reporter, "view_vs_load", "BM_RaceView", "BM_LoadRaceDay");
  benchmark::Shutdown();
  return 0;
}
