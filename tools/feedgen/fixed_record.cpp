#include "fixed_record.h"

#include <cassert>
#include <cstring>

namespace zelkova::feedgen {

namespace {
bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
}  // namespace

size_t Cp932Cut(std::string_view s, size_t max) {
  size_t i = 0;
  while (i < s.size()) {
    size_t w = IsLead(static_cast<unsigned char>(s[i])) ? 2 : 1;
    if (i + w > max) break;
    i += w;
  }
  return i;
}

std::string Digits(long long v, size_t len) {
  std::string out(len, '0');
  if (v < 0) v = 0;
  long long limit = 1;
  for (size_t i = 0; i < len && limit <= 1000000000000000000LL / 10; ++i) limit *= 10;
  if (v >= limit) return std::string(len, '9');
  for (size_t i = len; i-- > 0 && v > 0; v /= 10) out[i] = static_cast<char>('0' + v % 10);
  return out;
}

FixedRecord::FixedRecord(std::string_view kind, size_t len) : rec_(len, ' ') {
  rec_[len - 2] = '\r';
  rec_[len - 1] = '\n';
  std::memcpy(rec_.data(), kind.data(), 2);
}

void FixedRecord::put(size_t pos, size_t len, std::string_view cp932, bool wideFill) {
  assert(pos >= 1 && pos - 1 + len <= rec_.size() - 2);
  char* dst = rec_.data() + pos - 1;
  size_t n = Cp932Cut(cp932, len);
  std::memcpy(dst, cp932.data(), n);
  size_t i = n;
  if (wideFill)
    for (; i + 2 <= len; i += 2) {
      dst[i] = '\x81';
      dst[i + 1] = '\x40';
    }
  for (; i < len; ++i) dst[i] = ' ';
}

FixedRecord& FixedRecord::text(size_t pos, size_t len, std::string_view cp932) {
  put(pos, len, cp932, false);
  return *this;
}

FixedRecord& FixedRecord::wide(size_t pos, size_t len, std::string_view cp932) {
  put(pos, len, cp932, true);
  return *this;
}

FixedRecord& FixedRecord::num(size_t pos, size_t len, long long value) {
  put(pos, len, Digits(value, len), false);
  return *this;
}

FixedRecord& FixedRecord::rnum(size_t pos, size_t len, long long value) {
  std::string d = std::to_string(value);
  if (d.size() > len) d = std::string(len, '9');
  put(pos, len, std::string(len - d.size(), ' ') + d, false);
  return *this;
}

}  // namespace zelkova::feedgen
