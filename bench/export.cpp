// A downloaded season (zelkova-feedgen --scale year, then zelkova-cli download) exported into a
// new SQLite file, against the CSV export of the same dates in the same run: both load every date
// as the program does, the one then writes its CSV file, the other its rows and the figures.
// bench/export prepares the data and runs it.
//   bench_export --home DIR [benchmark flags]
// Ends with sqlite_vs_csv=X (the SQLite export's time over the CSV export's), the sizes written,
// csv_peak_rss_mb (the process after the CSV export, which runs first) and peak_rss_mb (after
// the SQLite export as well).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "app/headless_day.h"
#include "app/startup.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "bench_support.h"
#include "output/csv_export.h"
#include "sql/sql_export.h"

namespace zelkova {
namespace {

namespace fs = std::filesystem;

struct Fixture {
  fs::path home;                   // the downloaded season
  fs::path work;                   // the CSV folder's parent and the SQLite file's folder
  std::vector<std::string> dates;  // stored dates, oldest first
  double csvMb = 0, sqliteMb = 0, csvPeakMb = 0;
  SqlExportSummary sql;
};

Fixture* gFixture = nullptr;

[[noreturn]] void Die(const std::string& why) {
  std::fprintf(stderr, "bench_export: %s\n", why.c_str());
  if (gFixture && !gFixture->work.empty()) {
    std::error_code ec;
    fs::remove_all(gFixture->work, ec);
  }
  std::exit(1);
}

double PeakRssMb() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return static_cast<double>(ru.ru_maxrss) / 1024.0;
}

// Every stored file read once, so that neither export pays for reading it from the disk first.
void WarmFiles(const fs::path& home) {
  std::string buffer(size_t{1} << 20, '\0');
  std::error_code ec;
  for (fs::recursive_directory_iterator it(home, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file()) continue;
    InputFile f;
    if (!f.Open(it->path()).ok()) continue;
    size_t got = 0;
    uint64_t at = 0;
    do {
      if (!f.ReadAt(at, buffer.data(), buffer.size(), got).ok()) break;
      at += got;
    } while (got == buffer.size());
  }
}

// Each date loaded and written to CSV/yyyymmdd.csv in the work folder, as `zelkova-cli csv` does.
void BM_CsvSeason(benchmark::State& state) {
  auto day = MakeRaceDay();
  uintmax_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    for (const std::string& d : gFixture->dates) {
      auto load = LoadDayHeadless(gFixture->home, d, *day, [](const std::string&) {});
      if (!load.ok()) continue;  // a date without races: the SQLite export skips it as well
      auto path = ExportCsv(*day, gFixture->work);
      if (!path.ok()) {
        state.SkipWithError("CSV export failed");
        return;
      }
      std::error_code ec;
      bytes += fs::file_size(*path, ec);
    }
  }
  gFixture->csvMb = static_cast<double>(bytes) / 1e6;
  gFixture->csvPeakMb = PeakRssMb();
  state.counters["dates"] = static_cast<double>(gFixture->dates.size());
}

// The whole season into a new SQLite file, as `zelkova-cli export --sqlite` does.
void BM_SqliteSeason(benchmark::State& state) {
  const fs::path file = gFixture->work / "season.sqlite";
  for (auto _ : state) {
    state.PauseTiming();
    std::error_code ec;
    fs::remove(file, ec);
    fs::remove(file.string() + "-journal", ec);
    state.ResumeTiming();
    auto db = OpenSqlite(PathToUtf8(file));
    if (!db.ok()) {
      state.SkipWithError(db.status().message().c_str());
      return;
    }
    auto sum = ExportToSql(**db, gFixture->home, gFixture->dates, nullptr);
    if (!sum.ok()) {
      state.SkipWithError(sum.status().message().c_str());
      return;
    }
    gFixture->sql = *sum;
  }
  std::error_code ec;
  gFixture->sqliteMb = static_cast<double>(fs::file_size(file, ec)) / 1e6;
  state.counters["written"] = gFixture->sql.written;
}

void RegisterBenchmarks(bool minTimeGiven) {
  // A season takes seconds: once each, unless the command line asks for more time.
  for (auto* b : {benchmark::RegisterBenchmark("BM_CsvSeason", BM_CsvSeason),
                  benchmark::RegisterBenchmark("BM_SqliteSeason", BM_SqliteSeason)}) {
    b->Unit(benchmark::kSecond)->UseRealTime();
    if (!minTimeGiven) b->Iterations(1);
  }
}

}  // namespace
}  // namespace zelkova

int main(int argc, char** argv) {
  using namespace zelkova;
  RegisterBenchmarks(bench::MinTimeGiven(argc, argv));
  benchmark::Initialize(&argc, argv);
  Fixture fx;
  gFixture = &fx;
  fx.home = bench::HomeArgument(argc, argv);
  if (fx.home.empty() || !DirExists(fx.home)) Die("--home DIR: a program folder with a downloaded season (see bench/export)");
  fx.dates = DateList(fx.home);
  std::reverse(fx.dates.begin(), fx.dates.end());  // oldest first, as the export takes them
  if (fx.dates.empty()) Die("no stored date in " + fx.home.string());
  fx.work = fs::temp_directory_path() / ("zelkova-bench-export-" + std::to_string(::getpid()));
  std::error_code ec;
  fs::remove_all(fx.work, ec);
  if (!fs::create_directories(fx.work, ec)) Die("cannot make " + fx.work.string());
  WarmFiles(fx.home);

  bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  fs::remove_all(fx.work, ec);
  std::printf("dates=%zu sqlite_written=%d sqlite_failed=%d\n", fx.dates.size(), fx.sql.written, fx.sql.failed);
  std::printf("csv_mb=%.1f sqlite_mb=%.1f\n", fx.csvMb, fx.sqliteMb);
  const auto csvAt = reporter.times.find("BM_CsvSeason"), sqlAt = reporter.times.find("BM_SqliteSeason");
  if (csvAt == reporter.times.end() || sqlAt == reporter.times.end() || !(csvAt->second > 0)) {
    std::fprintf(stderr, "bench_export: no ratio: %s did not run (left out by --benchmark_filter, or failed)\n",
                 csvAt == reporter.times.end() ? "BM_CsvSeason" : "BM_SqliteSeason");
    std::printf("sqlite_vs_csv=n/a\n");
  } else {
    std::printf("sqlite_vs_csv=%.2f\n", sqlAt->second / csvAt->second);
  }
  std::printf("csv_peak_rss_mb=%.1f\n", fx.csvPeakMb);
  std::printf("peak_rss_mb=%.1f\n", PeakRssMb());
  benchmark::Shutdown();
  return fx.sql.failed ? 1 : 0;
}
