// Internals shared by the code-table sources: code parsing and lookup tables built once from
// UTF-8 literals. Not for use outside src/racedata/code_*.cpp.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "base/cp932.h"
#include "records/record.h"

namespace zelkova::codes {

// An integer code text: blanks around it allowed, otherwise only digits (at most 9).
// Anything else (empty, a sign, letters, CP932 bytes) gives -1, which no table lists.
inline int CodeInt(std::string_view s) {
  s = TrimBlanks(s);
  if (s.empty() || s.size() > 9 || !IsAllDigits(s)) return -1;
  int v = 0;
  for (char c : s) v = v * 10 + (c - '0');
  return v;
}

inline constexpr std::string_view kWideSpace = "\x81\x40";  // "　" in CP932

// True iff `b` starts a double-byte CP932 character.
inline bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// `s` filled with "　" up to `bytes` (an odd remainder gets one ASCII space).
inline std::string PadWide(std::string s, size_t bytes) {
  while (s.size() + 2 <= bytes) s += kWideSpace;
  if (s.size() < bytes) s += ' ';
  return s;
}

// Integer code -> text, with a default for every code not listed.
class IntTable {
 public:
  IntTable(std::initializer_list<std::pair<int, const char*>> rows, const char* fallback) : fallback_(Sj(fallback)) {
    for (const auto& [code, text] : rows) texts_.emplace(code, Sj(text));
  }
  const std::string& get(int code) const {
    auto it = texts_.find(code);
    return it == texts_.end() ? fallback_ : it->second;
  }
  const std::string& get(std::string_view code) const { return get(CodeInt(code)); }

 private:
  std::unordered_map<int, std::string> texts_;
  std::string fallback_;
};

// ASCII code text (compared after trimming blanks) -> text, with a default.
class TextTable {
 public:
  TextTable(std::initializer_list<std::pair<const char*, const char*>> rows, const char* fallback)
      : fallback_(Sj(fallback)) {
    for (const auto& [code, text] : rows) texts_.emplace(code, Sj(text));
  }
  const std::string& get(std::string_view code) const {
    auto it = texts_.find(TrimBlanks(code));
    return it == texts_.end() ? fallback_ : it->second;
  }

 private:
  std::map<std::string, std::string, std::less<>> texts_;
  std::string fallback_;
};

}  // namespace zelkova::codes
