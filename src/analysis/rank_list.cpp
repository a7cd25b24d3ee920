#include "analysis/rank_list.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
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

namespace {
// "%W.Pf" as printf writes it, where that is certain without printf (a load writes tens of
// thousands of these keys, and printf's exact decimal expansion was the most of their cost): the
// value scaled by 10^P, a product with an error far below a millionth while it stays below 10^9,
// rounds to the same integer as the exact value unless it lies within a millionth of a tie.
// False for everything else (other formats, ties, large or odd values), which printf then writes.
bool FixedText(const char* fmt, double v, char* out, size_t room, size_t& n) {
  if (fmt[0] != '%' || !std::isdigit(static_cast<unsigned char>(fmt[1]))) return false;
  size_t i = 1;
  int width = 0;
  while (std::isdigit(static_cast<unsigned char>(fmt[i]))) width = width * 10 + (fmt[i++] - '0');
  if (fmt[i] != '.' || !std::isdigit(static_cast<unsigned char>(fmt[i + 1])) || fmt[i + 2] != 'f' || fmt[i + 3] != 0)
    return false;
  const int prec = fmt[i + 1] - '0';
  static constexpr double kPow10[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  if (!std::isfinite(v)) return false;
  const double scaled = std::fabs(v) * kPow10[prec];
  if (!(scaled < 1e9)) return false;
  const double whole = std::floor(scaled), frac = scaled - whole;
  if (std::fabs(frac - 0.5) < 1e-6) return false;
  uint64_t q = static_cast<uint64_t>(whole) + (frac > 0.5 ? 1 : 0);
  char digits[32];
  size_t d = 0;  // digits of q, least significant first, at least prec + 1 of them
  do {
    digits[d++] = static_cast<char>('0' + q % 10);
    q /= 10;
  } while (q > 0 || d < static_cast<size_t>(prec) + 1);
  const size_t body = d + (prec > 0 ? 1 : 0) + (std::signbit(v) ? 1 : 0);
  const size_t total = std::max(body, static_cast<size_t>(width));
  if (total + 1 > room) return false;  // printf cuts it
  size_t at = 0;
  for (size_t pad = body; pad < total; ++pad) out[at++] = ' ';
  if (std::signbit(v)) out[at++] = '-';  // printf keeps the sign of a value that rounds to 0
  for (size_t k = d; k-- > 0;) {
    out[at++] = digits[k];
    if (k == static_cast<size_t>(prec) && prec > 0) out[at++] = '.';
  }
  out[at] = '\0';
  n = at;
  return true;
}
}  // namespace

RankKey& RankKey::Append(const char* fmt, double v) {
  size_t n = 0;
  if (len_ < kMax && FixedText(fmt, v, buf_.data() + len_, kMax + 1 - len_, n))
    len_ += n;
  else
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
