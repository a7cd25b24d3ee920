// Record images: one JV-Data record as its fixed-length CP932 text, CR LF included.
// Fields are cut by 1-based byte position and length, exactly as JV-Data defines them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelkova {

// Record lengths including CR LF.
inline constexpr size_t kLenRA = 1272;
inline constexpr size_t kLenSE = 555;
inline constexpr size_t kLenHR = 719;
inline constexpr size_t kLenWH = 847;
inline constexpr size_t kLenO1 = 962;
inline constexpr size_t kLenO2 = 2042;
inline constexpr size_t kLenUM = 1609;
inline constexpr size_t kLenKS = 4173;
inline constexpr size_t kLenCH = 3862;
inline constexpr size_t kLenLegacyUM = 1577;

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

// An empty image: `len` spaces.
inline std::string BlankRecord(size_t len) { return std::string(len, ' '); }

}  // namespace zelkova
