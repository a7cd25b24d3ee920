// Fixed-width text fields: cutting by 1-based byte position and length, blanks, and numbers
// written as digits. Every record, stored file and settings line is read with these.
#pragma once

#include <cstddef>
#include <string_view>

namespace zelkova {

// Bytes pos..pos+len-1 (1-based) of `rec`; the part beyond the end of `rec` is cut off.
inline std::string_view Field(std::string_view rec, size_t pos, size_t len) {
  if (pos == 0 || pos > rec.size()) return {};
  return rec.substr(pos - 1, len);
}

// Without leading and trailing ASCII blanks.
inline std::string_view TrimBlanks(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r' || s[b] == '\n' || s[b] == '\0')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r' || s[e - 1] == '\n' || s[e - 1] == '\0')) --e;
  return s.substr(b, e - b);
}

inline bool IsBlank(std::string_view s) { return TrimBlanks(s).empty(); }

inline bool IsAllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// A numeric text as an integer: blanks around it are ignored, an optional sign is allowed;
// anything else (letters, an empty field, overflow) gives `fallback`.
inline long long ParseInt(std::string_view s, long long fallback = 0) {
  s = TrimBlanks(s);
  if (s.empty()) return fallback;
  bool neg = false;
  size_t i = 0;
  if (s[0] == '+' || s[0] == '-') {
    neg = s[0] == '-';
    i = 1;
  }
  if (i >= s.size()) return fallback;
  long long v = 0;
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (c < '0' || c > '9') return fallback;
    if (v > 100000000000000000LL) return fallback;
    v = v * 10 + (c - '0');
  }
  return neg ? -v : v;
}

inline long long FieldInt(std::string_view rec, size_t pos, size_t len, long long fallback = 0) {
  return ParseInt(Field(rec, pos, len), fallback);
}

}  // namespace zelkova
