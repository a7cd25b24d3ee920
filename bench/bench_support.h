// What the benchmark programs share: the day they run on, the time per benchmark and the
// reporter that keeps each benchmark's time to form the ratios they end with.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "analysis/rating_tables.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "records/record.h"
#include "settings/gate_table.h"

namespace zelkova::bench {

// The latest date whose race file holds the most races (CP932 date text; empty when none), and
// how many race records that file holds.
inline std::string PickBusiestDate(const std::filesystem::path& home, int* races = nullptr) {
  std::string best;
  uintmax_t bestSize = 0;
  for (auto& e : std::filesystem::directory_iterator(ChildPath(home, "Data"))) {
    if (e.path().extension() != ".jvRA") continue;
    auto name = Utf8ToCp932(e.path().stem().string());
    if (!name.ok() || name->size() != 14) continue;
    if (e.file_size() > bestSize || (e.file_size() == bestSize && *name > best)) {
      bestSize = e.file_size();
      best = *name;
    }
  }
  if (races) *races = static_cast<int>(bestSize / kLenRA);
  return best;
}

// The rating and gate tables shipped beside the executable `argv0`; false (ratings off) when
// either is not there.
inline bool LoadShippedTables(const char* argv0, RatingTables& tables, GateTable& gates) {
  const std::filesystem::path bin = std::filesystem::absolute(argv0).parent_path();
  bool ok = tables.Load(bin).ok();
  if (auto g = LoadGateTable(bin / "SetGate.tbl"); g.ok()) gates = *g;
  else ok = false;
  return ok;
}

// A second per benchmark unless the command line (or BENCHMARK_MIN_TIME) sets the time: a
// MinTime() of the benchmark would override --benchmark_min_time. The flag has to be looked
// for before benchmark::Initialize takes it out of argv.
inline bool MinTimeGiven(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::string(argv[i]).rfind("--benchmark_min_time", 0) == 0) return true;
  const char* env = std::getenv("BENCHMARK_MIN_TIME");
  return env && *env;
}

// The folder after --home on the command line (the last one given), empty without one.
inline std::string HomeArgument(int argc, char** argv) {
  std::string home;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::string(argv[i]) == "--home") home = argv[i + 1];
  return home;
}

// Keeps the mean real time of each run to form the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    // Keyed by the function name: the full name carries arguments such as "/min_time:1.000".
    // With --benchmark_repetitions the mean stands for the runs; other aggregates are not times.
    for (const auto& r : runs) {
      if (r.error_occurred) continue;
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name != "mean") continue;
      if (r.run_type == Run::RT_Iteration && seenMean.count(r.run_name.function_name)) continue;
      if (r.run_type == Run::RT_Aggregate) seenMean.insert(r.run_name.function_name);
      times[r.run_name.function_name] = r.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
  std::set<std::string> seenMean;
};

}  // namespace zelkova::bench
