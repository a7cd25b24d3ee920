// Arbitrary bytes as the records and figures of a day's races, then every output built from them:
// the CSV rows, the printed page, the hit report and a grid copy with arbitrary ranges. Whatever
// the bytes, nothing reads outside a record or a runner slot, every CSV row has its 160 fields
// (when the records hold no quote), the page stays inside its frame and the report has its
// eight sections.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "output/analysis_print.h"
#include "output/csv_export.h"
#include "output/grid_clipboard.h"
#include "output/hit_report.h"
#include "racedata/race_day.h"
#include "fuzz_support.h"

namespace {

using namespace zelkova;

// Ranks and horse numbers, some of them out of range.
int Small(fuzz::CyclicSource& src) { return src.Byte() % 24 - 2; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 200000) return 0;
  static auto day = MakeRaceDay();
  ClearRecordImages(*day);
  IniBtn(*day);
  fuzz::CyclicSource src{data, size};
  const int races = 1 + src.Byte() % 3;
  day->RaceCount = races;
  for (int r = 0; r < races; ++r) {
    RaceInfo& race = day->Races[r];
    race.RaRecord.assign(src.Next(kLenRA));
    race.HrRecord.assign(src.Next(kLenHR));
    for (int h = 0; h < MaxRunners; ++h) race.Runners[h].SeRecord.assign(src.Next(kLenSE));
    RaceFigures& f = race.Figures;
    for (int h = 0; h < kFigRunners; ++h) {
      for (auto* rank : {&f.FinishRatingRank, &f.PopularityRatingRank, &f.PositionRatingRank, &f.AbilityMaxRank,
                         &f.AbilityAvgRank, &f.PrizeRank, &f.AverageCorner4Rank, &f.SpeedOnClassRank,
                         &f.PlaceMarginRank, &f.Last3FOnClassRank})
        (*rank)[h] = Small(src);
      f.WinMargin[h] = src.Byte() * 5.0 - 100;
      f.FinishRating[h] = src.Byte() / 7.0;
      f.DaysSinceLastRun[h] = src.Byte() * 3 - 10;
      f.BestLast3FOnClass[h] = src.Byte() * 5.0;
    }
    for (auto& c : f.PairCombo) c.Assign(src.Next(6));
    for (auto& c : f.ExactaCombo) c.Assign(src.Next(6));
    for (auto& c : f.TripleCombo) c.Assign(src.Next(8));
    for (int& a : f.PayAmount.Pair) a = src.Byte() * 200;
    for (int& a : f.PayAmount.Exacta) a = src.Byte() * 200;
    for (int& a : f.PayAmount.Triple) a = src.Byte() * 200;
  }
  day->DayCourses = {std::string(src.Next(2)), "", ""};

  for (int r = 0; r < races; ++r) {
    const std::string row = CsvRaceRow(day->Races[r]);
    ZELKOVA_FUZZ_CHECK(row.size() >= 2 && row.front() == '"' && row.back() == '"');
    size_t quotes = 0;
    for (char c : row) quotes += c == '"';
    const bool quoteInRecords = std::string_view(day->Races[r].RaRecord).find('"') != std::string_view::npos ||
                                std::string_view(day->Races[r].HrRecord).find('"') != std::string_view::npos;
    bool quoteInEntries = false;
    for (const Runner& run : day->Races[r].Runners)
      quoteInEntries = quoteInEntries || std::string_view(run.SeRecord).find('"') != std::string_view::npos;
    if (!quoteInRecords && !quoteInEntries) ZELKOVA_FUZZ_CHECK(quotes == 2 * kCsvFields);
  }

  const PaintList page = AnalysisPrint(*day, races);
  const int bottom = PrintFrameBottom(races);
  for (const PaintOp& op : page.ops()) {
    ZELKOVA_FUZZ_CHECK(op.x1 >= 100 && op.x1 <= 1990 && op.x2 <= 1990);
    ZELKOVA_FUZZ_CHECK(op.y1 >= 70 && op.y1 <= bottom && op.y2 <= bottom);
  }

  std::vector<std::string> running;
  const auto report = HitReportLines(*day, std::string(src.Next(14)), src.Byte() * 100, running, {});
  ZELKOVA_FUZZ_CHECK(report.size() >= 11);
  ZELKOVA_FUZZ_CHECK(report.back() == "</pre>");

  GridCells grid;
  grid.columns = Small(src);
  grid.rows = Small(src);
  grid.cells.assign(static_cast<size_t>(src.Byte() % 5), std::vector<std::string>(static_cast<size_t>(src.Byte() % 5), "x"));
  const std::string text = GridClipboardText(grid, Small(src), Small(src), "h", Small(src), Small(src));
  ZELKOVA_FUZZ_CHECK(text.empty() || text.rfind("h\r\n", 0) == 0);
  return 0;
}
