// The system converter under base/cp932 (iconv on POSIX systems, the Windows API on Windows).
// Not for use elsewhere: every conversion of the program goes through base/cp932.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelkova::detail {

// Convert all of `in`. On a sequence that is not valid input or that the other side cannot
// hold they return false and set `bad` to its byte offset in `in`.
bool SystemCp932ToUtf8(std::string_view in, std::string& out, size_t& bad);
bool SystemUtf8ToCp932(std::string_view in, std::string& out, size_t& bad);

// Length of the UTF-8 sequence a lead byte starts; 0 for a byte that starts none.
inline size_t Utf8Length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

}  // namespace zelkova::detail
