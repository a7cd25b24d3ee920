// RankList: the ranking rule every rank uses. Keys are fixed-width number texts followed by the
// runner number ("%2d"); sorted as bytes they order numerically. Descending ranks give the
// last key place 1; with a tie width, keys whose first `tieWidth` bytes are equal share the
// best place of their group (1, 2, 2, 4). No allocation: at most kCapacity keys.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace zelkova {

// A short key text built with printf formats.
class RankKey {
 public:
  static constexpr size_t kMax = 63;
  RankKey& Append(const char* fmt, double v);
  RankKey& AppendInt(const char* fmt, int v);
  RankKey& AppendText(std::string_view s);
  std::string_view View() const { return {buf_.data(), len_}; }
  void Clear() { len_ = 0; }

 private:
  std::array<char, kMax + 1> buf_{};
  size_t len_ = 0;
};

class RankList {
 public:
  static constexpr int kCapacity = 36;

  void Clear() { count_ = 0; sorted_ = true; }
  // Adds `key` + Format("%2d", runner). False when full (the key is dropped).
  bool Add(const RankKey& key, int runner);
  // Adds a key as given, once: an equal text already present is not added again.
  bool AddText(std::string_view key, int runner = 0);

  int size() const { return count_; }
  // Sorted views (ascending by bytes).
  std::string_view Key(int i) const;
  int Runner(int i) const;

  // Writes the rank of every listed runner into ranks[runner - 1]; others are untouched.
  // tieWidth 0: no shared ties.
  template <typename T, size_t N>
  void AssignDescending(std::array<T, N>& ranks, size_t tieWidth = 0) const {
    Walk(true, tieWidth, [&](int runner, int place) { Put(ranks, runner, place); });
  }
  template <typename T, size_t N>
  void AssignAscending(std::array<T, N>& ranks, size_t tieWidth = 0) const {
    Walk(false, tieWidth, [&](int runner, int place) { Put(ranks, runner, place); });
  }

 private:
  struct Entry {
    std::array<char, RankKey::kMax + 4> text;
    unsigned char len;
    int runner;
    std::string_view View() const { return {text.data(), len}; }
  };

  template <typename T, size_t N>
  static void Put(std::array<T, N>& ranks, int runner, int place) {
    if (runner >= 1 && static_cast<size_t>(runner) <= N) ranks[runner - 1] = static_cast<T>(place);
  }
  template <typename F>
  void Walk(bool descending, size_t tieWidth, F&& give) const {
    Sort();
    int running = 0;
    std::string_view prev;
    for (int step = 0; step < count_; ++step) {
      const int i = descending ? count_ - 1 - step : step;
      const int place = descending ? count_ - i : i + 1;
      const std::string_view lead = Key(i).substr(0, tieWidth ? tieWidth : Key(i).size());
      if (tieWidth == 0 || step == 0 || lead != prev) running = place;
      prev = lead;
      give(entries_[order_[i]].runner, tieWidth ? running : place);
    }
  }
  void Sort() const;

  std::array<Entry, kCapacity> entries_{};
  mutable std::array<unsigned char, kCapacity> order_{};
  int count_ = 0;
  mutable bool sorted_ = true;
};

}  // namespace zelkova
