// RaceFigures: the per-race block of numbers derived from a race's records.
// Fixed size and allocation-free; Reset() restores the starting values every view tests for.
// Per-runner arrays are indexed by runner slot (horse number - 1); figures numbered 1..k
// (past runs, 実績 figures, 前１..前５) are stored at index number - 1.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace zelkova {

inline constexpr int kFigRunners = 18;
inline constexpr int kFigPastRuns = 20;

// A text of at most N single-byte characters, stored in place.
template <size_t N>
struct FixedText {
  std::array<char, N + 1> buf{};
  unsigned char len = 0;

  void Assign(std::string_view s) {
    len = static_cast<unsigned char>(std::min(s.size(), N));
    if (len) std::memcpy(buf.data(), s.data(), len);
    buf[len] = '\0';
  }
  void Clear() { len = 0; buf[0] = '\0'; }
  std::string_view View() const { return std::string_view(buf.data(), len); }
  bool Empty() const { return len == 0; }
  static constexpr size_t Capacity() { return N; }
  bool operator==(std::string_view s) const { return View() == s; }
};

template <typename T>
using PerRunner = std::array<T, kFigRunners>;

// Popularity or amount of every payout, in the order of the payout group.
struct PayoutNumbers {
  std::array<int, 8> Horse{};     // win 1-3, then place 1-5
  std::array<int, 3> Bracket{};   // bracket quinella 1-3
  std::array<int, 10> Pair{};     // quinella 1-3, then wide 1-7
  std::array<int, 6> Exacta{};    // exacta 1-6
  std::array<int, 9> Triple{};    // trio 1-3, then trifecta 1-6
};

struct RaceFigures {
  // ---- loading-time fields
  FixedText<30> Title;
  FixedText<5> AutoOddsTime;
  FixedText<5> AutoWeightTime;
  int RunnerCount = 0;
  PerRunner<FixedText<3>> HorseNoText{};
  PerRunner<FixedText<2>> FrameNoText{};
  PerRunner<FixedText<11>> PedigreeNo{};
  PerRunner<FixedText<19>> HorseName{};
  PerRunner<FixedText<2>> SexCode{};
  PerRunner<FixedText<4>> WeightText{};
  PerRunner<FixedText<6>> JockeyCode{};
  PerRunner<FixedText<9>> JockeyName{};
  PerRunner<FixedText<6>> TrainerCode{};
  PerRunner<FixedText<9>> TrainerName{};
  PerRunner<int> CareerStarts{};
  PerRunner<int> CareerPrize{};
  PerRunner<double> PrizePerStart{};
  PerRunner<int> PrizeRank{};
  PerRunner<double> PlaceRate{};
  PerRunner<double> EntryStrength{};
  PerRunner<int> JockeyStarts{};
  PerRunner<int> JockeyWins{};
  PerRunner<double> JockeyWinRate{};
  PerRunner<int> TrainerStarts{};
  PerRunner<int> TrainerWins{};
  PerRunner<double> TrainerWinRate{};
  // 実績一覧 figures 1..13 (勝率 .. 重不良) at index 0..12.
  PerRunner<std::array<double, 13>> RateScores{};
  PerRunner<std::array<double, kFigPastRuns>> PastLevel{};
  PerRunner<std::array<double, kFigPastRuns>> PastAbility{};
  PerRunner<double> AbilityMax{};
  PerRunner<double> AbilityAvg{};

  // ---- ratings
  int RaceCategory = 0;           // 0..7; 7 = no ratings
  int SurfaceDistanceClass = 0;   // 0..6
  PerRunner<int> AbilityMaxRank{};
  PerRunner<int> AbilityAvgRank{};
  PerRunner<std::array<double, 5>> AdjustedIndex{};
  PerRunner<double> BestAdjusted{};
  PerRunner<int> BestAdjustedRank{};
  PerRunner<double> SecondAdjusted{};
  PerRunner<int> SecondAdjustedRank{};
  PerRunner<double> EstimatedSupport{};
  PerRunner<double> EstimatedSupportRank{};
  double TopThreeShare = 0;
  PerRunner<double> AveragePopularity{};
  PerRunner<double> AverageCorner4{};
  PerRunner<int> AverageCorner4Rank{};
  PerRunner<double> WeightWhenFirstOrSecond{};
  PerRunner<double> WeightWhenPlaced{};
  PerRunner<double> WeightWhenUnplaced{};
  PerRunner<double> FinishRating{};
  PerRunner<int> FinishRatingRank{};
  PerRunner<double> PopularityRating{};
  PerRunner<int> PopularityRatingRank{};
  PerRunner<double> PositionRating{};
  PerRunner<int> PositionRatingRank{};
  PerRunner<double> FinishComplement{};
  PerRunner<double> PopularityComplement{};
  PerRunner<double> PositionComplement{};
  PerRunner<double> WinMargin{};
  PerRunner<double> PlaceMargin{};
  PerRunner<int> PlaceMarginRank{};
  PerRunner<FixedText<2>> WinClass{};
  // Classes 1..6 at index 0..5.
  PerRunner<std::array<double, 6>> Last3FByClass{};
  PerRunner<std::array<double, 6>> SpeedByClass{};
  PerRunner<double> Last3FOnClass{};
  PerRunner<int> Last3FOnClassRank{};
  PerRunner<double> SpeedOnClass{};
  PerRunner<int> SpeedOnClassRank{};
  PerRunner<double> BestLast3FOnClass{};
  double FieldLast3FAverage = 0;
  PerRunner<int> PopularityOrder{};
  // Selection-time figures (前１..前５ at index 0..4).
  PerRunner<std::array<double, 5>> Last3FFigure{};
  PerRunner<double> Last3FMax3{};
  PerRunner<int> Last3FMax3Rank{};
  PerRunner<double> Last3FMax5{};
  PerRunner<int> Last3FMax5Rank{};
  PerRunner<double> AverageMargin{};
  PerRunner<int> AverageMarginRank{};

  // ---- odds and results
  PerRunner<double> WinOdds{};
  PerRunner<double> PlaceOddsLow{};
  PerRunner<double> PlaceOddsHigh{};
  std::array<double, 36> BracketOdds{};
  std::array<double, 153> QuinellaOdds{};
  FixedText<5> O1Time;
  FixedText<5> O2Time;
  PerRunner<int> DaysSinceLastRun{};
  PerRunner<int> FinishPos{};
  PerRunner<int> FinalPopularity{};
  PerRunner<double> FinalOdds{};

  // ---- payout group
  std::array<int, 8> PayHorse{};
  std::array<FixedText<6>, 3> BracketCombo{};
  std::array<FixedText<6>, 10> PairCombo{};
  std::array<FixedText<6>, 6> ExactaCombo{};
  std::array<FixedText<8>, 9> TripleCombo{};
  PayoutNumbers PayPopularity;
  PayoutNumbers PayAmount;

  // ---- race-day updates
  PerRunner<int> HorseWeight{};
  PerRunner<int> WeightChange{};
  bool HasPayouts = false;

  // ---- odds support figures
  PerRunner<double> SupportRate{};
  PerRunner<double> Concentration{};

  RaceFigures() { Reset(); }
  // Everything to 0 / empty except the sentinels the views look for.
  void Reset();
};

}  // namespace zelkova
