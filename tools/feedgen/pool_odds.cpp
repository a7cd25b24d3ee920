#include "pool_odds.h"

#include <algorithm>
#include <cmath>

namespace zelkova::feedgen {

PoolOdds::PoolOdds(const std::vector<int>& winOdds) : p_(winOdds.size(), 0.0) {
  double total = 0;
  for (int o : winOdds)
    if (o > 0) total += 1.0 / o;
  for (size_t i = 0; i < winOdds.size(); ++i)
    if (winOdds[i] > 0) p_[i] = (1.0 / winOdds[i]) / total;
}

double PoolOdds::exacta(int a, int b) const {
  if (a == b || !runs(a) || !runs(b)) return 0;
  return win(a) * win(b) / std::max(1e-9, 1.0 - win(a));
}

double PoolOdds::trifecta(int a, int b, int c) const {
  if (a == c || b == c || !runs(c)) return 0;
  const double rest = 1.0 - win(a) - win(b);
  return exacta(a, b) * win(c) / std::max(1e-9, rest);
}

double PoolOdds::trio(int a, int b, int c) const {
  return trifecta(a, b, c) + trifecta(a, c, b) + trifecta(b, a, c) + trifecta(b, c, a) + trifecta(c, a, b) +
         trifecta(c, b, a);
}

double PoolOdds::wide(int a, int b) const {
  double p = 0;
  for (int c = 0; c < runners(); ++c)
    if (c != a && c != b) p += trio(a, b, c);
  return p;
}

double PoolOdds::place(int a, int places) const {
  double p = win(a);
  for (int b = 0; b < runners(); ++b) {
    if (b == a) continue;
    p += exacta(b, a);
    if (places < 3) continue;
    for (int c = 0; c < runners(); ++c)
      if (c != a && c != b) p += trifecta(b, c, a);
  }
  return p;
}

double PoolOdds::bracket(int x, int y, const std::vector<int>& frameOf) const {
  double p = 0;
  for (int a = 0; a < runners(); ++a)
    for (int b = a + 1; b < runners(); ++b) {
      const int fa = frameOf[static_cast<size_t>(a)], fb = frameOf[static_cast<size_t>(b)];
      if ((fa == x && fb == y) || (fa == y && fb == x)) p += quinella(a, b);
    }
  return p;
}

int PoolOdds::Odds(double chance, double payback, int most) {
  if (chance <= 0) return most;
  const double tenths = std::floor(payback / chance * 10.0);
  return static_cast<int>(std::clamp(tenths, 10.0, static_cast<double>(most)));
}

int PoolOdds::Popularity(double chance, const std::vector<double>& all) {
  int better = 0;
  for (double c : all) better += c > chance * (1 + 1e-12);
  return better + 1;
}

}  // namespace zelkova::feedgen
