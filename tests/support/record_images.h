// Building record images by hand: a field's text at its 1-based byte position, two-digit keys.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "racedata/race_day.h"

namespace zelkova::testing {

// Writes `text` into the record at byte position `pos` (1-based, as record layouts count).
template <size_t L>
void Put(RecordImage<L>& img, size_t pos, std::string_view text) {
  std::memcpy(img.bytes.data() + pos - 1, text.data(), text.size());
}

// A number as two digits ("07"), as race and horse numbers are keyed.
inline std::string Two(int n) {
  char b[8];
  std::snprintf(b, sizeof b, "%02d", n % 100);
  return b;
}

}  // namespace zelkova::testing
