// Pari-mutuel odds of one race, every bet type from the same win odds: each runner's chance to
// win is its share of the win pool, Harville's rule turns those chances into the chance of every
// order of finish, and each pool pays its take-out back in proportion to the chances. So the
// odds of all bet types agree with each other, popularity follows the odds, and the payouts of
// a result follow its popularity.
#pragma once

#include <cstddef>
#include <vector>

namespace zelkova::feedgen {

class PoolOdds {
 public:
  // `winOdds` per horse slot in tenths (0 for a runner that does not start).
  explicit PoolOdds(const std::vector<int>& winOdds);

  int runners() const { return static_cast<int>(p_.size()); }
  bool runs(int a) const { return p_[static_cast<size_t>(a)] > 0; }
  // Chances, horse slots 0-based; pairs and triples of distinct starters.
  double win(int a) const { return p_[static_cast<size_t>(a)]; }
  double exacta(int a, int b) const;
  double quinella(int a, int b) const { return exacta(a, b) + exacta(b, a); }
  double trifecta(int a, int b, int c) const;
  double trio(int a, int b, int c) const;
  double wide(int a, int b) const;
  // Finishing in the first `places` (2 or 3).
  double place(int a, int places) const;
  // The bracket quinella of brackets x <= y, given each slot's bracket.
  double bracket(int x, int y, const std::vector<int>& frameOf) const;

  // Odds in tenths for a chance, with the pool's payback (0.8 win and place, 0.775 bracket,
  // quinella and wide, 0.75 exacta and trio, 0.725 trifecta); at least 1.0.
  static int Odds(double chance, double payback, int most);
  // 1 + the number of `all` chances greater than `chance` (ties share the better place).
  static int Popularity(double chance, const std::vector<double>& all);

 private:
  std::vector<double> p_;
};

}  // namespace zelkova::feedgen
