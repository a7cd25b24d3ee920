// Deterministic pseudo-random numbers for the feed generator: xoshiro256** seeded by splitmix64.
// Range mapping is done here (not by <random> distributions), so a seed gives the same feed
// with every standard library.
#pragma once

#include <cstdint>

namespace zelkova::feedgen {

class Rng {
 public:
  explicit Rng(uint64_t seed) {
    uint64_t x = seed;
    for (auto& s : s_) s = SplitMix(x);
  }

  uint64_t next() {
    const uint64_t result = Rotl(s_[1] * 5, 7) * 9;
    const uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = Rotl(s_[3], 45);
    return result;
  }

  // Uniform in [0, n); n > 0. Multiply-shift mapping (bias is far below anything visible here).
  uint32_t below(uint32_t n) { return static_cast<uint32_t>(((next() >> 32) * n) >> 32); }
  // Uniform in [lo, hi].
  int range(int lo, int hi) { return lo + static_cast<int>(below(static_cast<uint32_t>(hi - lo + 1))); }
  // Uniform in [0, 1).
  double real() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
  bool chance(double p) { return real() < p; }
  // Roughly normal with mean 0 and deviation 1 (sum of four uniforms; no libm involved).
  double gauss() { return (real() + real() + real() + real() - 2.0) * 1.7320508075688772; }

  // An independent stream derived from this one and a tag (keeps parts of the feed stable
  // when another part changes how much randomness it draws).
  Rng fork(uint64_t tag) {
    uint64_t x = next() ^ (tag * 0x9E3779B97F4A7C15ULL);
    return Rng(SplitMix(x));
  }

 private:
  static uint64_t SplitMix(uint64_t& x) {
    uint64_t z = (x += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  static uint64_t Rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  uint64_t s_[4];
};

}  // namespace zelkova::feedgen
