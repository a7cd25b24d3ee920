#include "racedata/past_run_formulas.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "records/record.h"

namespace zelkova {

namespace {

int Num(std::string_view s) { return static_cast<int>(ParseInt(s, 0)); }

double GradeEBase(int s, int c) {
  if (c <= 100) {
    if (s == 11 || s == 12) return c * 1.4 + 68 + 2;
    if (s == 13 || s == 14) return c * 1.4 + 68 - 7 + 2;
    return 64;
  }
  return 64;
}

}  // namespace

double RaceLevelScore(std::string_view grade, std::string_view kind, std::string_view condition,
                      std::string_view course, std::string_view symbol) {
  const std::string_view g = TrimBlanks(grade);
  const int s = Num(kind);
  const int c = Num(condition);
  const int j = Num(course);
  double score = 0;
  if (g.empty()) {
    score = 62;
    if (c == 701) {
      score = 68;
    } else if (c == 702) {
      score = 64;
    } else if (c == 703) {
      score = 62;
    } else if (c == 999) {
      if (kind == "11") score = 77;
      else if (s == 12 || s == 13 || s == 14) score = 87.1;
      else if (s == 18 || s == 19) score = 71;
    } else if (s == 11 || s == 12) {
      score = c * 1.4 + 68;
    } else if (s == 13 || s == 14) {
      score = c * 1.4 + 68 - 7;
    }
  } else if (g.size() == 1) {
    switch (g[0]) {
      case 'A': score = 100; break;
      case 'B': score = 93; break;
      case 'C': case 'D': case 'L': score = 86; break;
      case 'F': score = 79; break;
      case 'G': score = 77; break;
      case 'H': score = 75; break;
      case 'E':
        if (c == 999) {
          if (kind == "11") score = 79;
          else if (s == 12 || s == 13 || s == 14) score = 89.1;
          else if (s == 18 || s == 19) score = 73;
          else score = 64;
        } else {
          score = GradeEBase(s, c);
        }
        break;
      default: score = 0;
    }
  }
  if (s >= 21) score -= 7;                 // obstacle races
  if (j >= 30 && j <= 61) score -= 7;      // local racecourses
  if (!symbol.empty() && symbol[0] >= 'B' && symbol[0] <= 'M') score -= 7;
  if (symbol.size() >= 2 && symbol[1] == '2') score -= 7;
  return score < 0 ? 0 : score;
}

double AbilityIndex(std::string_view course, std::string_view finish, std::string_view margin,
                    std::string_view weight, double level) {
  const std::string_view tail = TrimBlanks(Field(margin, 2, 3));
  const std::string_view whole = TrimBlanks(margin);
  if (tail.empty() || tail == "999" || whole == "9999" || whole == "0000") return -1;
  double t = ParseInt(margin, 0) / 10.0;
  if (t >= 1.5) t = 1.5;
  int p = Num(finish);
  if (p <= 0) return -1;
  const int j = Num(course);
  if (j >= 1 && j <= 10 && p > 6) p = 6;  // central courses: beyond 6th is all the same
  double w = Num(weight) / 10.0;
  if (w <= 0) w = 55;
  return (21 - p) + level - 10 * t + 2 * (w - 55);
}

double RunSpeed(std::string_view time, int distance) {
  const std::string_view t = TrimBlanks(time);
  if (t.empty() || t == "9999" || t == "0000" || distance <= 0) return 0;
  const double seconds = Num(Field(time, 1, 1)) * 60 + Num(Field(time, 2, 3)) / 10.0;
  if (seconds <= 0) return 0;  // a time like " 000" would divide by zero
  return distance / seconds * 60;
}

double RunSpeed(std::string_view time, std::string_view distance) {
  return RunSpeed(time, Num(distance));
}

namespace {

constexpr int kMaxN = 55;

// Rows given as fixed data; the other rows are derived from them (see BuildTable).
constexpr std::array<std::array<int, 13>, 12> kRows1To12 = {{
    {7, 27},
    {6, 23, 24},
    {5, 19, 31, 44},
    {4, 17, 27, 40, 52},
    {4, 15, 23, 34, 48, 58},
    {3, 11, 20, 30, 41, 53, 63},
    {3, 11, 18, 26, 36, 47, 58, 67},
    {3, 10, 16, 24, 32, 41, 52, 62, 70},
    {2, 9, 15, 21, 28, 37, 46, 56, 66, 72},
    {2, 8, 13, 19, 27, 34, 42, 50, 59, 68, 74},
    {2, 8, 12, 17, 24, 30, 38, 45, 53, 61, 71, 76},
    {2, 7, 11, 17, 22, 29, 35, 42, 49, 57, 64, 73, 78},
}};
constexpr std::array<int, 21> kRow20 = {1,  4,  7,  10, 14, 17, 21, 25, 29, 33, 38,
                                        42, 47, 52, 57, 61, 66, 71, 77, 82, 85};
constexpr std::array<int, 10> kRow55Head = {1, 1, 2, 3, 4, 6, 7, 9, 10, 12};
constexpr std::array<int, 6> kRow55Tail = {84, 86, 88, 90, 92, 94};

using Table = std::array<std::array<int, kMaxN + 1>, kMaxN + 1>;

// Value of a row at the fraction x = k / n, linear between its entries.
double AtFraction(const std::array<int, kMaxN + 1>& row, int n, double x) {
  const double pos = x * n;
  const int lo = std::min(static_cast<int>(pos), n);
  if (lo >= n) return row[n];
  return row[lo] + (row[lo + 1] - row[lo]) * (pos - lo);
}

// The rows that are not given follow one rule:
// - row 55 between its given head (k <= 9) and tail (k >= 50) takes the curve of row 20 at the
//   same fraction k / n, lifted by an offset that runs linearly from the head's gap to the
//   tail's gap, so the row joins both given ends with the same growing steps;
// - rows 13-19 and 21-54 blend the neighbouring full rows (12 and 20, 20 and 55) at the same
//   fraction k / n, weighted linearly by n;
// - k = 0 keeps falling slowly (2 at n = 13, 1 from 14 on) and each row is made
//   non-decreasing in k. Values are rounded to the nearest integer.
Table BuildTable() {
  Table t{};
  for (auto& row : t) row.fill(9);
  t[0][0] = 9;
  for (int n = 1; n <= 12; ++n)
    for (int k = 0; k <= n; ++k) t[n][k] = kRows1To12[n - 1][k];
  for (int k = 0; k <= 20; ++k) t[20][k] = kRow20[k];
  for (int k = 0; k < 10; ++k) t[55][k] = kRow55Head[k];
  for (int k = 0; k < 6; ++k) t[55][50 + k] = kRow55Tail[k];
  const double headGap = t[55][9] - AtFraction(t[20], 20, 9.0 / 55);
  const double tailGap = t[55][50] - AtFraction(t[20], 20, 50.0 / 55);
  for (int k = 10; k < 50; ++k) {
    const double gap = headGap + (tailGap - headGap) * (k - 9) / (50 - 9);
    t[55][k] = static_cast<int>(std::lround(AtFraction(t[20], 20, k / 55.0) + gap));
  }

  auto blend = [&](int n, int a, int b) {
    const double w = static_cast<double>(n - a) / (b - a);
    for (int k = 0; k <= n; ++k) {
      const double x = static_cast<double>(k) / n;
      const double v = (1 - w) * AtFraction(t[a], a, x) + w * AtFraction(t[b], b, x);
      t[n][k] = static_cast<int>(std::lround(v));
    }
    t[n][0] = n == 13 ? 2 : 1;
    for (int k = 1; k <= n; ++k) t[n][k] = std::max(t[n][k], t[n][k - 1]);
  };
  for (int n = 13; n < 20; ++n) blend(n, 12, 20);
  for (int n = 21; n < 55; ++n) blend(n, 20, 55);
  return t;
}

}  // namespace

int RateScore(int n, int k) {
  static const Table table = BuildTable();
  if (n < 0 || k < 0 || n > kMaxN || k > n) return 9;
  return table[n][k];
}

}  // namespace zelkova
