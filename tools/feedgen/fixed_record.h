// A JV-Data record image under construction: `len` bytes (CR LF included), blank-filled, with
// fields written at 1-based positions. Writes never change the length; text is cut on a CP932
// character boundary so a field never ends in half a character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelkova::feedgen {

class FixedRecord {
 public:
  FixedRecord(std::string_view kind, size_t len);

  // Bytes as given, cut to `len` on a character boundary, then padded with ASCII blanks.
  FixedRecord& text(size_t pos, size_t len, std::string_view cp932);
  // As text(), padded with ideographic spaces (the fill of full-width name fields).
  FixedRecord& wide(size_t pos, size_t len, std::string_view cp932);
  // A non-negative number zero-padded to `len` digits; too large values give all nines.
  FixedRecord& num(size_t pos, size_t len, long long value);
  // A number right-aligned in blanks ("%*d").
  FixedRecord& rnum(size_t pos, size_t len, long long value);

  const std::string& str() const { return rec_; }
  std::string line() const { return rec_.substr(0, rec_.size() - 2); }

 private:
  void put(size_t pos, size_t len, std::string_view cp932, bool wideFill);
  std::string rec_;
};

// Length in bytes of `s` cut to at most `max` bytes without splitting a double-byte character.
size_t Cp932Cut(std::string_view s, size_t max);
// `v` zero-padded to `len` digits.
std::string Digits(long long v, size_t len);

}  // namespace zelkova::feedgen
