// Arbitrary bytes as the record images and figures of one race slot (any doubles, NaN and
// infinities included), then the race view over it: every label and grid, every sort button,
// every cell's style, every card's display list and clicks on cells. Whatever the bytes, a shown
// race has one row per registered runner, every row the grid's column count, and horse names
// that are whole characters of at most 18 bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <type_traits>

#include "analysis/race_view.h"
#include "analysis/rating_stage.h"
#include "analysis/view_styles.h"
#include "fuzz_support.h"
#include "racedata/race_day.h"

namespace {

using namespace zelkova;

// The shared cyclic input, with doubles of any bit pattern and small signed integers.
struct Source : fuzz::CyclicSource {
  double Double() {
    std::string_view s = Next(8);
    double d = 0;
    if (s.size() == 8) std::memcpy(&d, s.data(), 8);
    return d;
  }
  int Int() { return static_cast<int>(static_cast<int8_t>(Byte())); }
};

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

template <typename T>
void Fill(PerRunner<T>& v, Source& src) {
  for (auto& x : v) {
    if constexpr (std::is_same_v<T, double>) x = src.Double();
    else x = src.Int();
  }
}

bool WholeCharacters(std::string_view s) {
  for (size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
      if (i + 1 >= s.size()) return false;
      ++i;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::unique_ptr<RaceDay> day = MakeRaceDay();
  static RaceView view;
  Source src{{data, size}};
  const int slot = src.Byte() % 2;
  day->RaceCount = 2;
  RaceInfo& race = day->Races[static_cast<size_t>(slot)];
  race.RaRecord.assign(src.Next(kLenRA));
  race.Odds.O1Record.assign(src.Next(64));
  race.Figures.Reset();
  RaceFigures& f = race.Figures;
  const int pastRuns = src.Byte() % 22;
  for (int h = 0; h < MaxRunners; ++h) {
    Runner& r = race.Runners[static_cast<size_t>(h)];
    r.SeRecord.assign(src.Next(kLenSE));
    r.UmRecord.assign(src.Next(kLenUM));
    r.KsRecord.assign(src.Next(300));
    r.ChRecord.assign(src.Next(300));
    for (int k = 0; k < MaxPastRuns; ++k) {
      r.PastRuns[static_cast<size_t>(k)].SeRecord.assign(k < pastRuns ? src.Next(kLenSE) : std::string_view());
      r.PastRuns[static_cast<size_t>(k)].RaRecord.assign(k < pastRuns ? src.Next(kLenRA) : std::string_view());
    }
    f.HorseNoText[static_cast<size_t>(h)].Assign(src.Next(2));
    f.FrameNoText[static_cast<size_t>(h)].Assign(src.Next(1));
    for (double& x : f.RateScores[static_cast<size_t>(h)]) x = src.Double();
    for (double& x : f.Last3FFigure[static_cast<size_t>(h)]) x = src.Double();
    for (double& x : f.Last3FByClass[static_cast<size_t>(h)]) x = src.Double();
    for (double& x : f.PastLevel[static_cast<size_t>(h)]) x = src.Double();
  }
  for (auto* v : {&f.PrizePerStart, &f.JockeyWinRate, &f.WinMargin, &f.PlaceMargin, &f.FinishRating,
                  &f.FinishComplement, &f.PositionComplement, &f.WinOdds, &f.SupportRate, &f.Concentration,
                  &f.BestLast3FOnClass, &f.WeightWhenPlaced, &f.AveragePopularity})
    Fill(*v, src);
  for (auto* v : {&f.CareerStarts, &f.CareerPrize, &f.PrizeRank, &f.FinishRatingRank, &f.HorseWeight,
                  &f.WeightChange, &f.DaysSinceLastRun, &f.FinishPos, &f.PopularityOrder})
    Fill(*v, src);
  for (double& q : f.QuinellaOdds) q = src.Double();
  for (int& p : f.PayHorse) p = src.Int();
  f.PairCombo[0].Assign(src.Next(6));
  f.TripleCombo[3].Assign(src.Next(8));
  f.TopThreeShare = src.Double();
  f.O1Time.Assign(src.Next(4));
  for (char& m : day->CheckMarks) m = (src.Byte() & 1) ? '1' : '0';

  RaceViewOptions options;
  options.samples = src.Byte() % 24;
  options.weightSwitch = src.Byte() % 3;
  const RaceViewResult result = RunRaceView(*day, slot, options, view);
  Check(result.shown != !result.message.empty());
  if (!result.shown) return 0;
  const int runners = RegisteredRunners(race);
  for (int i = 0; i < kViewGridCount; ++i) {
    const auto id = static_cast<ViewGridId>(i);
    ViewGrid& g = view.grid(id);
    Check(g.rowCount() == runners + 1);
    for (int r = 0; r < g.rowCount(); ++r) Check(static_cast<int>(g.row(r).size()) == g.colCount());
    for (size_t b = 0; b < SortButtons(id).size(); ++b) PressSortButton(view, id, static_cast<int>(b));
    for (int r = 1; r < g.rowCount(); ++r) {
      if (i < kSortedGridCount && id != ViewGridId::Jisseki) {
        const std::string& name = g.cell(r, 3);
        Check(name.size() <= 18 && WholeCharacters(name));
      }
      for (int c = 0; c < g.colCount(); ++c) {
        (void)g.style(r, c);
        if (g.hasPainter()) (void)g.paint(r, c, g.widths()[static_cast<size_t>(c)], g.rowHeight());
      }
    }
  }
  // Clicks with no check file: a toggle reports that it could not save, nothing else happens.
  day->CheckPath.clear();
  const auto id = static_cast<ViewGridId>(src.Byte() % kViewGridCount);
  const ClickResult click = GridClick(*day, view, id, src.Byte() % 20, src.Byte() % 32);
  Check(click.action != ClickAction::CheckToggled || !click.saved.ok());
  Check(day->CurrentRunner >= 0 && day->CurrentRunner < MaxRunners);
  return 0;
}
