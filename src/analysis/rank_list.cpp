#include "analysis/rank_list.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zelkova {

namespace {
// Appends a formatted number; a text that would not fit is cut, which keeps keys bounded.
template <typename V>
size_t AppendFormatted(std::array<char, RankKey::kMax + 1>& buf, size_t len, const char* fmt, V v) {
  if (len >= RankKey::kMax) return len;
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
  const int n = std::snprintf(buf.data() + len, RankKey::kMax + 1 - len, fmt, v);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
  if (n < 0) return len;
  return std::min(RankKey::kMax, len + static_cast<size_t>(n));
}
}  // namespace

RankKey& RankKey::Append(const char* fmt, double v) {
  len_ = AppendFormatted(buf_, len_, fmt, v);
  return *this;
}

RankKey& RankKey::AppendInt(const char* fmt, int v) {
  len_ = AppendFormatted(buf_, len_, fmt, v);
  return *this;
}

RankKey& RankKey::AppendText(std::string_view s) {
  const size_t n = std::min(s.size(), kMax - len_);
  std::memcpy(buf_.data() + len_, s.data(), n);
  len_ += n;
  buf_[len_] = '\0';
  return *this;
}

bool RankList::Add(const RankKey& key, int runner) {
  if (count_ >= kCapacity) return false;
  Entry& e = entries_[count_];
  const std::string_view k = key.View();
  std::memcpy(e.text.data(), k.data(), k.size());
  // "%2d" of the runner number; runner numbers are 0..99 here.
  const int r = runner < 0 ? 0 : runner % 100;
  e.text[k.size()] = r >= 10 ? static_cast<char>('0' + r / 10) : ' ';
  e.text[k.size() + 1] = static_cast<char>('0' + r % 10);
  e.len = static_cast<unsigned char>(k.size() + 2);
  e.runner = runner;
  order_[count_] = static_cast<unsigned char>(count_);
  ++count_;
  sorted_ = false;
  return true;
}

bool RankList::AddText(std::string_view key, int runner) {
  for (int i = 0; i < count_; ++i)
    if (entries_[i].View() == key) return true;
  if (count_ >= kCapacity) return false;
  Entry& e = entries_[count_];
  const size_t n = std::min(key.size(), e.text.size());
  std::memcpy(e.text.data(), key.data(), n);
  e.len = static_cast<unsigned char>(n);
  e.runner = runner;
  order_[count_] = static_cast<unsigned char>(count_);
  ++count_;
  sorted_ = false;
  return true;
}

void RankList::Sort() const {
  if (sorted_) return;
  std::sort(order_.begin(), order_.begin() + count_, [this](unsigned char a, unsigned char b) {
    const auto va = entries_[a].View(), vb = entries_[b].View();
    if (va != vb) return va < vb;
    return a < b;
  });
  sorted_ = true;
}

std::string_view RankList::Key(int i) const {
  Sort();
  if (i < 0 || i >= count_) return {};
  return entries_[order_[i]].View();
}

int RankList::Runner(int i) const {
  Sort();
  if (i < 0 || i >= count_) return 0;
  return entries_[order_[i]].runner;
}

}  // namespace zelkova
